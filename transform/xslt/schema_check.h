// An XML Schema compiled once, and files checked against it as they are read, in one pass that
// keeps no tree: memory stays level whatever the file's size.
#pragma once

#include <memory>
#include <optional>

#include "runtime/text/text_value.h"

typedef struct _xmlSchema xmlSchema;

namespace rt {

class CompiledSchema {
 public:
  // The schema at `path` (a full path) compiled; every file it includes or imports is read by
  // ReadGuard's rule, in the schema's folder. Null, with the reason for the user, when it cannot be.
  static std::unique_ptr<CompiledSchema> Compile(TextView path, Text& reason);
  ~CompiledSchema();
  CompiledSchema(const CompiledSchema&) = delete;
  CompiledSchema& operator=(const CompiledSchema&) = delete;

  // Nothing when the file matches the schema. Otherwise what does not, as a user can act on it:
  // the first problems, each with its line, the path of its element or attribute
  // ("/Файл/Документ/СвНП/@ИНН") and the library's text, then how many more there are.
  std::optional<Text> Problems(TextView filePath) const;

 private:
  CompiledSchema() = default;
  xmlSchema* schema_ = nullptr;
};

}  // namespace rt
