#include "transform/documents/module_uses.h"

#include <map>
#include <optional>
#include <tuple>

#include "transform/documents/document_function_call.h"
#include "transform/documents/module_paths.h"

namespace rt {
namespace {

constexpr TextView kXsltNamespace = u"http://www.w3.org/1999/XSL/Transform";
constexpr TextView kScriptNamespace = u"urn:schemas-microsoft-com:xslt";
constexpr TextView kXmlNamespace = u"http://www.w3.org/XML/1998/namespace";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

const ViewAttribute* AttributeNamed(const ViewElement& element, TextView local, std::size_t* index = nullptr) {
  for (std::size_t i = 0; i < element.attributes.size(); ++i) {
    const ViewAttribute& attribute = element.attributes[i];
    if (attribute.space.empty() && attribute.local == local) {
      if (index) *index = i;
      return &attribute;
    }
  }
  return nullptr;
}

// A top-level variable or parameter whose value the program knows: a string literal, or
// nothing at all (the empty string). Nothing sets the parameters of the program's
// transformations, so a parameter's value is its default.
struct Binding {
  Text value;
  std::optional<LiteralPlace> place;  // where a literal value is written
};

// Names bound once in all the modules, at the top level, to a value the program knows.
std::map<Text, Binding, std::less<>> KnownBindings(std::span<const ModuleView> views) {
  std::map<Text, std::optional<Binding>, std::less<>> bound;
  for (std::size_t module = 0; module < views.size(); ++module) {
    for (std::size_t index = 0; index < views[module].size(); ++index) {
      const ViewElement& element = views[module][index];
      if (element.space != kXsltNamespace || (element.local != u"variable" && element.local != u"param")) continue;
      const ViewAttribute* name = AttributeNamed(element, u"name");
      if (!name) continue;
      std::optional<Binding> known;
      std::size_t selectIndex = 0;
      const ViewAttribute* select = AttributeNamed(element, u"select", &selectIndex);
      if (element.depth == 1 && !select && element.empty) known = Binding{};
      if (element.depth == 1 && select) {
        std::size_t first = 0, last = select->value.size();
        while (first < last && IsSpace(select->value[first])) ++first;
        while (last > first && IsSpace(select->value[last - 1])) --last;
        const TextView literal = TextView(select->value).substr(first, last - first);
        if (literal.size() >= 2 && (literal[0] == u'\'' || literal[0] == u'"') && literal.back() == literal[0] &&
            literal.substr(1, literal.size() - 2).find(literal[0]) == TextView::npos) {
          known = Binding{Text(literal.substr(1, literal.size() - 2)),
                          LiteralPlace{module, index, selectIndex, first + 1, last - 1}};
        }
      }
      // Bound again anywhere, the name may stand for another value where it is used.
      const auto [at, added] = bound.try_emplace(name->value, known);
      if (!added) at->second.reset();
    }
  }
  std::map<Text, Binding, std::less<>> known;
  for (auto& [name, binding] : bound) {
    if (binding) known.emplace(name, std::move(*binding));
  }
  return known;
}

bool IsAbsolute(TextView uri) {
  const std::size_t colon = uri.find(u':');
  const std::size_t slash = uri.find_first_of(u"/\\");
  return uri.starts_with(u'/') || uri.starts_with(u'\\') || (colon != TextView::npos && colon < slash);
}

bool Inside(TextView path, TextView folder) {
  if (path.size() <= folder.size()) return false;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (Lower(path[i]) != Lower(folder[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<Text> FileBeside(TextView base, TextView address, TextView folder) {
  if (IsAbsolute(address)) return std::nullopt;
  std::optional<Text> path = ModuleFilePath(base, address);
  if (!path || !Inside(*path, folder)) return std::nullopt;
  return path;
}

StylesheetUses UsesOf(std::span<const ModuleView> views, std::span<const Text> modulePaths, TextView folder,
                      ModulesAre modules) {
  const bool written = modules == ModulesAre::kWritten;
  StylesheetUses uses;
  const auto bindings = KnownBindings(views);
  std::map<std::tuple<std::size_t, std::size_t, std::size_t, std::size_t>, Text> targets;  // by place
  for (std::size_t module = 0; module < views.size() && module < modulePaths.size(); ++module) {
    for (std::size_t index = 0; index < views[module].size(); ++index) {
      const ViewElement& element = views[module][index];
      const auto block = [&](Blocker what) { uses.blockers.push_back({module, index, what}); };
      const bool xslt = element.space == kXsltNamespace;
      if (element.space == kScriptNamespace && element.local == u"script") block(Blocker::kScript);
      for (std::size_t a = 0; a < element.attributes.size(); ++a) {
        const ViewAttribute& attribute = element.attributes[a];
        if (attribute.space == kXmlNamespace && attribute.local == u"base") block(Blocker::kBase);
        const auto holds = xslt ? AttributeHolds::kExpression : AttributeHolds::kTemplate;
        for (const DocumentCall& call : DocumentCallsIn(attribute.value, holds)) {
          std::optional<Binding> known;
          if (call.first == DocumentCall::Argument::kLiteral) {
            known = Binding{call.text, LiteralPlace{module, index, a, call.begin, call.end}};
          } else if (const auto found = bindings.find(call.text);
                     call.first == DocumentCall::Argument::kVariable && found != bindings.end()) {
            known = found->second;
          }
          if (!known) {
            block(Blocker::kDocumentUnknown);
            continue;
          }
          const TextView uri = TextView(known->value).substr(0, known->value.find(u'#'));
          if (uri.empty()) continue;  // the module itself, whatever the base
          // A base from elsewhere (the input) could read the address against anything.
          if (call.base) {
            block(Blocker::kDocumentUnknown);
            continue;
          }
          const std::optional<Text> path =
              written && IsAbsolute(uri) ? std::nullopt : ModuleFilePath(modulePaths[module], uri);
          if (!path || !Inside(*path, folder)) {
            block(Blocker::kDocumentOutside);
            continue;
          }
          const LiteralPlace& place = *known->place;
          const ViewAttribute& literal = views[place.module][place.element].attributes[place.attribute];
          const auto [target, added] =
              targets.try_emplace({place.module, place.element, place.attribute, place.begin}, *path);
          // One literal can be pointed at one copy only.
          if ((written && !literal.verbatim) || (!added && target->second != *path)) {
            block(Blocker::kDocumentUnknown);
            continue;
          }
          uses.files.push_back({place, *path});
        }
      }
    }
  }
  return uses;
}

}  // namespace rt
