#include "transform/documents/module_preparation.h"

#include "transform/documents/xml_encoding.h"
#include "transform/documents/xml_entities.h"
#include "transform/documents/xml_transform_reasons.h"

namespace rt {

PreparedModule PrepareDataFile(std::string_view bytes, TextView modulePath, const FileFetcher& fetch) {
  PreparedModule module;
  // The program reads markup exactly only in encodings where ASCII is always itself.
  const DocumentEncoding encoding = EncodingOf(bytes);
  if (!encoding.readable) {
    module.refusal = EncodingRefusedReason(modulePath, encoding.name);
    return module;
  }
  module.units = UnitsOf(bytes);
  const Doctype doctype =
      ReadDoctype(module.units.text, DtdFiles{fetch, Text(modulePath), module.units.form, encoding.name});
  if (doctype.problem != DtdProblem::kNone) {
    module.refusal = DtdProblemReason(modulePath, doctype);
    return module;
  }
  Expansion expansion = WithoutDoctype(module.units.text, doctype);
  if (expansion.problem != ExpansionProblem::kNone) {
    module.refusal = ExpansionProblemReason(modulePath, expansion.problem, expansion.entity);
    return module;
  }
  module.units.text = std::move(expansion.text);
  return module;
}

PreparedModule PrepareModule(std::string_view bytes, TextView modulePath, const FileFetcher& fetch) {
  PreparedModule module = PrepareDataFile(bytes, modulePath, fetch);
  if (!module.refusal.empty()) return module;
  module.scan = ScanStylesheetModule(module.units.text);
  if (module.scan.unreadable) {
    const UnitPlace place = PlaceOf(module.units.text, module.scan.unreadableAt);
    module.refusal = MarkupUnreadReason(modulePath, place.line, place.column);
  }
  return module;
}

}  // namespace rt
