#include "convert/rules/batch_plan.h"

#include <algorithm>
#include <map>
#include <set>

#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/text/upper_case.h"

namespace convert {
namespace {

// The name a row shows; a drive's root by its path.
rt::Text RowName(rt::TextView path) {
  const rt::Text name = FileNamePart(path);
  return name.empty() ? rt::Text(path) : name;
}

}  // namespace

rt::Text FoldedName(rt::TextView name) {
  rt::Text folded(name);
  FoldInPlace(folded);
  return folded;
}

void FoldInPlace(rt::Text& name) { rt::UpperCaseInPlace(name); }

rt::Text DirectoryPath(rt::TextView path) {
  while (path.size() > 3 && (path.ends_with(u'\\') || path.ends_with(u'/'))) path.remove_suffix(1);
  return rt::Text(path);
}

rt::Text FolderOfFile(rt::TextView path) { return DirectoryPath(path.substr(0, path.find_last_of(u"\\/") + 1)); }

bool IsXmlName(rt::TextView name) { return FoldedName(name).ends_with(u".XML"); }

bool NamesAPattern(rt::TextView path) { return FileNamePart(path).find_first_of(u"*?") != rt::Text::npos; }

std::vector<BatchInput> WithoutRepeats(std::vector<BatchInput> inputs) {
  std::set<rt::Text> seen;
  std::vector<BatchInput> kept;
  for (BatchInput& input : inputs) {
    if (seen.insert(FoldedName(input.path)).second) kept.push_back(std::move(input));
  }
  return kept;
}

std::vector<BatchItem> PlanBatch(std::span<const BatchInput> inputs, bool requireXml) {
  std::vector<const BatchInput*> ordered;
  for (const BatchInput& input : inputs) ordered.push_back(&input);
  std::stable_sort(ordered.begin(), ordered.end(), [](const BatchInput* a, const BatchInput* b) {
    const rt::Text nameA = FoldedName(FileNamePart(a->path)), nameB = FoldedName(FileNamePart(b->path));
    return nameA != nameB ? nameA < nameB : FoldedName(a->path) < FoldedName(b->path);
  });

  std::vector<BatchItem> plan;
  std::map<rt::Text, rt::Text> outputs;  // output name -> the input name that has it
  for (const BatchInput* input : ordered) {
    BatchItem item{input->path, RowName(input->path), {}, false, {}};
    if (input->missing) {
      item.refusal = kNoSuchFile;
    } else if (input->withoutXmlFiles) {
      item.refusal = kNoXmlFiles;
    } else if (input->isDirectory) {
      item.refusal = kNotAFile;
    } else if (requireXml && !IsXmlName(item.inputName)) {
      item.refusal = kNotAnXmlFile;
    } else {
      const NameFields fields = ReadNameFields(item.inputName);
      switch (CheckNameFields(fields)) {
        case NameProblem::RegistrationNumber:
          item.refusal = kNoRegistrationNumber;
          break;
        case NameProblem::BatchNumber:
          item.refusal = kWrongBatchNumber;
          break;
        case NameProblem::None:
          item.outputName = OutputName(fields);
          if (const auto taken = outputs.find(FoldedName(item.outputName)); taken != outputs.end()) {
            item.refusal = rt::Concat({kSameOutputAs, taken->second});
          } else {
            outputs.emplace(FoldedName(item.outputName), item.inputName);
            item.accepted = true;
          }
          break;
      }
    }
    plan.push_back(std::move(item));
  }
  return plan;
}

}  // namespace convert
