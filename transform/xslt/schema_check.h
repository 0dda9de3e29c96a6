// An XML Schema compiled once, and files checked against it as they are read, in one pass that
// keeps no tree: memory stays level whatever the file's size.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "runtime/text/text_value.h"

typedef struct _xmlSchema xmlSchema;

namespace rt {

class CompiledSchema {
 public:
  // The schema at `path` (a full path) compiled; every file it includes or imports is read by
  // ReadGuard's rule, in the schema's folder. Null, with the reason for the user, when it cannot
  // be; `absent` tells when that is because there is no such file.
  static std::unique_ptr<CompiledSchema> Compile(TextView path, Text& reason, bool* absent = nullptr);
  ~CompiledSchema();
  CompiledSchema(const CompiledSchema&) = delete;
  CompiledSchema& operator=(const CompiledSchema&) = delete;

  // Nothing when the file matches the schema. Otherwise what does not, as a user can act on it:
  // the first problems, each with its line, the path of its element or attribute
  // ("/Файл/Документ/СвНП/@ИНН") and the library's text, then how many more there are. With
  // `refuseDtd` a file that declares a DTD does not match. When the schema itself is at fault
  // (the library cannot use it on this file) the reason says so and `schemaFault` is set.
  std::optional<Text> Problems(TextView filePath, bool refuseDtd = false, bool* schemaFault = nullptr) const;
  // The same of a document already parsed (an xmlDocPtr): no second reading of its file.
  std::optional<Text> ProblemsOfParsed(void* document, bool* schemaFault = nullptr) const;

 private:
  friend class SchemaStreamCheck;
  CompiledSchema() = default;
  xmlSchema* schema_ = nullptr;
  Text path_;
};

// A file checked against a schema as its bytes come, in order (a result as it is written), so
// that nothing is read twice.
class SchemaStreamCheck {
 public:
  // `filePath` names the file in reasons; `refuseDtd` as for CompiledSchema::Problems.
  SchemaStreamCheck(const CompiledSchema& schema, TextView filePath, bool refuseDtd = false);
  ~SchemaStreamCheck();
  SchemaStreamCheck(const SchemaStreamCheck&) = delete;
  SchemaStreamCheck& operator=(const SchemaStreamCheck&) = delete;

  void Take(std::string_view bytes);
  // After the last bytes: as CompiledSchema::Problems says it.
  std::optional<Text> Problems(bool* schemaFault = nullptr);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The schemas of a stylesheet's two formats, which lie beside it: "qRec7to4.in.xsd" for its
// input and "qRec7to4.out.xsd" for its result. Either may be absent: that side is not checked.
// Told the path of each file as its preparing begins, so that a crash in the middle names it.
using PreparingNotice = std::function<void(TextView path)>;

struct FormatSchemas {
  std::unique_ptr<CompiledSchema> input, result;

  // False, with the reason, when one that is there cannot be read or compiled.
  bool Compile(TextView stylesheetPath, Text& reason, const PreparingNotice& preparing = {});
};

Text SchemaBeside(TextView stylesheetPath, bool forResult);

}  // namespace rt
