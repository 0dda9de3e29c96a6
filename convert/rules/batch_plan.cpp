#include "convert/rules/batch_plan.h"

#include <algorithm>
#include <map>

#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"

namespace convert {
namespace {

char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  if (c >= u'а' && c <= u'я') return static_cast<char16_t>(c - u'а' + u'А');
  if (c == u'ё') return u'Ё';
  return c;
}

// Names compare as Windows compares file names: without regard to case.
rt::Text Folded(rt::TextView text) {
  rt::Text folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(), Upper);
  return folded;
}

}  // namespace

bool IsXmlName(rt::TextView name) { return Folded(name).ends_with(u".XML"); }

std::vector<BatchItem> PlanBatch(std::span<const BatchInput> inputs, bool requireXml) {
  std::vector<const BatchInput*> ordered;
  for (const BatchInput& input : inputs) ordered.push_back(&input);
  std::stable_sort(ordered.begin(), ordered.end(), [](const BatchInput* a, const BatchInput* b) {
    const rt::Text nameA = Folded(FileNamePart(a->path)), nameB = Folded(FileNamePart(b->path));
    return nameA != nameB ? nameA < nameB : Folded(a->path) < Folded(b->path);
  });

  std::vector<BatchItem> plan;
  std::map<rt::Text, rt::Text> outputs;  // output name -> the input name that has it
  for (const BatchInput* input : ordered) {
    BatchItem item{input->path, FileNamePart(input->path), {}, false, {}};
    if (input->missing) {
      item.refusal = kNoSuchFile;
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
          if (const auto taken = outputs.find(Folded(item.outputName)); taken != outputs.end()) {
            item.refusal = rt::Concat({kSameOutputAs, taken->second});
          } else {
            outputs.emplace(Folded(item.outputName), item.inputName);
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
