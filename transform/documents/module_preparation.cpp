#include "transform/documents/module_preparation.h"

#include "transform/documents/xml_entities.h"
#include "transform/documents/xml_transform_reasons.h"

namespace rt {

PreparedModule PrepareModule(std::string_view bytes, TextView modulePath) {
  PreparedModule module;
  module.units = UnitsOf(bytes);
  const Doctype doctype = ReadDoctype(module.units.text);
  if (doctype.problem != DtdProblem::kNone) {
    const UnitPlace place = PlaceOf(module.units.text, doctype.problemAt);
    module.refusal = DtdProblemReason(modulePath, doctype.problem, doctype.entity, place.line, place.column);
    return module;
  }
  Expansion expansion = WithoutDoctype(module.units.text, doctype);
  if (expansion.problem != ExpansionProblem::kNone) {
    module.refusal = ExpansionProblemReason(modulePath, expansion.problem, expansion.entity);
    return module;
  }
  module.units.text = std::move(expansion.text);
  module.scan = ScanStylesheetModule(module.units.text);
  return module;
}

}  // namespace rt
