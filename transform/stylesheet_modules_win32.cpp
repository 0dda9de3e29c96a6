#include "transform/stylesheet_modules_win32.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "runtime/com/com_support_win32.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/system_error.h"
#include "runtime/text/number_text.h"
#include "transform/documents/module_paths.h"
#include "transform/documents/module_preparation.h"
#include "transform/documents/module_uses.h"
#include "transform/documents/module_view.h"
#include "transform/documents/xml_doctype.h"
#include "transform/module_view_win32.h"
#include "transform/xml_document_win32.h"

namespace rt {
namespace {

Text CopyName(std::size_t index) { return Concat({u"m", DecimalText(index), u".xsl"}); }
Text DataCopyName(std::size_t index) { return Concat({u"d", DecimalText(index), u".xml"}); }

// Loads a copy by its URL; a mistake in it is told by the path of the file it copies.
bool LoadCopy(IXMLDOMDocument2* document, const Text& copy, ParsedDocument which, const Text& path,
              const std::string& prepared, Text& reason) {
  Bstr url(FileUrl(copy));
  VARIANT source{};
  source.vt = VT_BSTR;
  source.bstrVal = url.get();
  return Load(
      document, source, which, path, [&prepared] { return prepared; }, reason);
}

// A text with parts of it replaced, the parts in order and apart.
struct Replacement {
  std::size_t begin = 0, end = 0;
  Text text;
};
Text Replaced(TextView text, std::vector<Replacement> replacements) {
  std::sort(replacements.begin(), replacements.end(),
            [](const Replacement& a, const Replacement& b) { return a.begin < b.begin; });
  Text result;
  std::size_t done = 0;
  for (const Replacement& replacement : replacements) {
    result.append(text.substr(done, replacement.begin - done));
    result.append(replacement.text);
    done = replacement.end;
  }
  result.append(text.substr(done));
  return result;
}

bool SamePath(const Text& a, const Text& b) {
  return CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

DWORD WriteWholeFile(const Text& path, const std::string& bytes) {
  const OwnedHandle file(CreateFileW(Wide(ExtendedLengthPath(path)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY, nullptr));
  if (!file) return GetLastError();
  DWORD written = 0;
  const bool wrote = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  const DWORD error = wrote ? 0 : GetLastError();
  return wrote ? 0 : error != 0 ? error : ERROR_WRITE_FAULT;
}

// The copies, then their directory (which goes only if nothing else is in it).
void RemoveCopies(const Text& directory) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Wide(directory + u"*.x*"), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do DeleteFileW(Wide(directory + FromWide(found.cFileName)));
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Wide(directory));
}

// Directories are named "vxs<process id>-<serial>".
std::uint32_t OwnerOfDirectory(const wchar_t* name) {
  DWORD owner = 0;
  for (const wchar_t* c = name + 3; *c >= L'0' && *c <= L'9' && owner < 0x10000000; ++c) {
    owner = owner * 10 + static_cast<DWORD>(*c - L'0');
  }
  return owner;
}

// Removes the directories of the process; with 0, those of every process that no longer runs,
// left by a program ended while it converted.
void RemoveDirectoriesOf(const Text& temporary, std::uint32_t processId) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Wide(temporary + u"vxs*"), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const DWORD owner = OwnerOfDirectory(found.cFileName);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || owner == 0 || owner == GetCurrentProcessId()) continue;
    if (processId != 0) {
      if (owner != processId) continue;
    } else if (const OwnedHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner)}) {
      continue;
    } else if (GetLastError() != ERROR_INVALID_PARAMETER) {  // it runs, but is not ours to look at
      continue;
    }
    RemoveCopies(Concat({temporary, FromWide(found.cFileName), u"\\"}));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

Text TemporaryDirectory() {
  wchar_t temporary[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  return length == 0 || length > MAX_PATH ? Text() : FromWide(temporary);
}

}  // namespace

StylesheetModules::~StylesheetModules() {
  if (!directory_.empty()) RemoveCopies(directory_);
}

void RemoveModuleCopiesOf(std::uint32_t processId) {
  const Text temporary = TemporaryDirectory();
  if (!temporary.empty() && processId != 0) RemoveDirectoriesOf(temporary, processId);
}

bool StylesheetModules::MakeDirectory(Text& reason) {
  const Text temporary = TemporaryDirectory();
  DWORD error = !temporary.empty() ? 0 : GetLastError() != 0 ? GetLastError() : ERROR_PATH_NOT_FOUND;
  if (error == 0) RemoveDirectoriesOf(temporary, 0);
  static std::atomic<unsigned> serial{0};
  for (unsigned attempt = 0; error == 0 && attempt < 100; ++attempt) {
    const std::string unique = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
    const Text directory = Concat({temporary, u"vxs", Text(unique.begin(), unique.end()), u"\\"});
    if (CreateDirectoryW(Wide(ExtendedLengthPath(directory)), nullptr)) {
      directory_ = directory;
      return true;
    }
    error = GetLastError() == ERROR_ALREADY_EXISTS ? 0 : GetLastError();
  }
  reason = OutputNotWrittenReason(temporary, SystemErrorText(error));
  return false;
}

std::size_t StylesheetModules::IndexOf(const Text& path, const Text& includedFrom) {
  for (std::size_t index = 0; index < paths_.size(); ++index) {
    if (SamePath(paths_[index], path)) return index;
  }
  paths_.push_back(path);
  includers_.push_back(includedFrom);
  return paths_.size() - 1;
}

bool StylesheetModules::Load(const Text& stylesheetPath, IXMLDOMDocument2* stylesheet, Text& reason) {
  if (!MakeDirectory(reason)) return false;
  IndexOf(stylesheetPath, Text());
  folder_ = stylesheetPath.substr(0, stylesheetPath.find_last_of(u"\\/") + 1);
  // Modules are added as they are found; each is read once, so cycles end.
  for (std::size_t index = 0; index < paths_.size(); ++index) {
    if (!ReadModule(index, reason)) return false;
  }
  if (const auto circle = ModuleInCircle(pulledIn_)) {
    reason = ModuleCircleReason(paths_[*circle]);
    return false;
  }
  std::vector<ModuleView> views;
  for (const PreparedModule& module : modules_) views.push_back(module.scan.view);
  const StylesheetUses uses = UsesOf(views, paths_, folder_, ModulesAre::kWritten);
  if (!uses.blockers.empty()) {
    reason = BlockersReason(Places(uses.blockers));
    return false;
  }
  return CopyDataFiles(uses.files, reason) && CopyModules(uses.files, stylesheet, reason);
}

bool StylesheetModules::ReadModule(std::size_t index, Text& reason) {
  const Text path = paths_[index];
  std::string bytes;
  if (const DWORD error = ReadWholeFile(path, bytes)) {
    reason = index == 0 ? UnreadableReason(path, SystemErrorText(error))
                        : ModuleUnreadableReason(path, includers_[index], SystemErrorText(error));
    return false;
  }
  // The files its DTD names are read by the rules of the files document() reads.
  const FileFetcher fetch = [this](TextView systemId, TextView base) {
    FetchedFile file;
    file.path = FileBeside(base, systemId, folder_).value_or(Text(systemId));
    if (file.path == systemId) return file;
    const DWORD error = ReadWholeFile(file.path, file.bytes);
    file.outcome = error == 0 ? FetchOutcome::kRead : FetchOutcome::kUnreadable;
    if (error != 0) file.systemText = SystemErrorText(error);
    return file;
  };
  modules_.push_back(PrepareModule(bytes, path, fetch));
  const PreparedModule& module = modules_.back();
  if (!module.refusal.empty()) {
    reason = module.refusal;
    return false;
  }
  pulledIn_.resize(paths_.size());
  for (const ModuleReference& reference : module.scan.references) {
    const auto target = ModuleFilePath(path, reference.href);
    if (!target) {
      reason = ModuleNotAFileReason(path, reference.href);
      return false;
    }
    pulledIn_[index].push_back(IndexOf(*target, path));
  }
  return true;
}

// Each file document() reads gets a copy beside the modules', its DTD taken out as a module's is,
// read once by the library so that a mistake in it is told by its own path.
bool StylesheetModules::CopyDataFiles(const std::vector<DataFile>& files, Text& reason) {
  for (const DataFile& file : files) {
    if (std::any_of(dataPaths_.begin(), dataPaths_.end(),
                    [&](const Text& known) { return SamePath(known, file.path); })) {
      continue;
    }
    const Text& namedIn = paths_[file.place.module];
    std::string bytes;
    if (const DWORD error = ReadWholeFile(file.path, bytes)) {
      reason = DataFileUnreadableReason(file.path, namedIn, SystemErrorText(error));
      return false;
    }
    const PreparedModule data = PrepareDataFile(bytes, file.path);  // its DTD reads nothing beside it
    if (!data.refusal.empty()) {
      reason = data.refusal;
      return false;
    }
    const Text copy = directory_ + DataCopyName(dataPaths_.size());
    const std::string prepared = BytesOf(data.units.text, data.units.form);
    if (const DWORD error = WriteWholeFile(copy, prepared)) {
      reason = OutputNotWrittenReason(copy, SystemErrorText(error));
      return false;
    }
    ComPtr<IXMLDOMDocument2> document = NewDocument(msxml::kDomDocument60, reason);
    if (!document || !LoadCopy(document.get(), copy, ParsedDocument::kInput, file.path, prepared, reason)) {
      return false;
    }
    dataPaths_.push_back(file.path);
  }
  return true;
}

std::size_t StylesheetModules::DataIndexOf(const Text& path) const {
  for (std::size_t index = 0; index < dataPaths_.size(); ++index) {
    if (SamePath(dataPaths_[index], path)) return index;
  }
  return dataPaths_.size();
}

// The copies name each other and the data files' copies; the library reads them, and what it
// reads is checked once more: read as the program read it, pulling in and reading only copies.
bool StylesheetModules::CopyModules(const std::vector<DataFile>& files, IXMLDOMDocument2* stylesheet, Text& reason) {
  std::vector<ModuleView> parsed;
  std::vector<Text> copies;
  for (std::size_t index = 0; index < modules_.size(); ++index) {
    const PreparedModule& module = modules_[index];
    std::vector<Replacement> replacements;
    std::vector<Text> hrefs;
    // The program's own view of the copy: the module's, with the same values changed.
    ModuleView expected = module.scan.view;
    std::vector<std::pair<LiteralPlace, Text>> changed;
    for (std::size_t k = 0; k < module.scan.references.size(); ++k) {
      const ModuleReference& reference = module.scan.references[k];
      hrefs.push_back(CopyName(pulledIn_[index][k]));
      replacements.push_back({reference.begin, reference.end, hrefs.back()});
      for (ViewElement& element : expected) {
        for (ViewAttribute& attribute : element.attributes) {
          if (attribute.begin == reference.begin && attribute.end == reference.end) attribute.value = hrefs.back();
        }
      }
    }
    for (const DataFile& file : files) {
      if (file.place.module != index) continue;
      const ViewAttribute& attribute = module.scan.view[file.place.element].attributes[file.place.attribute];
      // By URL: some implementations of the library read a relative address against the current
      // directory, not against the module.
      replacements.push_back({attribute.begin + file.place.begin, attribute.begin + file.place.end,
                              FileUrl(directory_ + DataCopyName(DataIndexOf(file.path)))});
      changed.push_back({file.place, replacements.back().text});
    }
    const Text text = Replaced(module.units.text, replacements);
    const std::string prepared = BytesOf(text, module.units.form);
    copies.push_back(directory_ + CopyName(index));
    if (const DWORD error = WriteWholeFile(copies.back(), prepared)) {
      reason = OutputNotWrittenReason(copies.back(), SystemErrorText(error));
      return false;
    }
    // Each module is parsed here on its own, so that a mistake in it is told by its own path.
    ComPtr<IXMLDOMDocument2> own;
    if (index > 0) {
      own = NewStylesheetDocument(msxml::kDomDocument60, reason);
      if (!own) return false;
    }
    IXMLDOMDocument2* document = own ? own.get() : stylesheet;
    if (!LoadCopy(document, copies.back(), ParsedDocument::kStylesheet, paths_[index], prepared, reason)) return false;
    parsed.push_back(ViewOf(document));
    // Literals are changed from the last in a value on, so that the places before stay.
    std::sort(changed.begin(), changed.end(),
              [](const auto& a, const auto& b) { return a.first.begin > b.first.begin; });
    for (const auto& [place, url] : changed) {
      Text& value = expected[place.element].attributes[place.attribute].value;
      value.replace(place.begin, place.end - place.begin, url);
    }
    if (!SameView(expected, parsed.back()) || CheckModuleView(parsed.back()).hrefs != hrefs) {
      reason = ModulesReadOtherwiseReason(paths_[index]);
      return false;
    }
  }
  // What is refused is looked for once more in the library's own parse of the copies: every
  // file document() reads there must be one of the copies.
  const StylesheetUses uses = UsesOf(parsed, copies, directory_, ModulesAre::kCopies);
  if (!uses.blockers.empty()) {
    reason = BlockersReason(Places(uses.blockers));
    return false;
  }
  for (const DataFile& file : uses.files) {
    bool copied = false;
    for (std::size_t k = 0; k < dataPaths_.size(); ++k) {
      copied = copied || SamePath(file.path, directory_ + DataCopyName(k));
    }
    if (!copied) {
      reason = ModulesReadOtherwiseReason(paths_[file.place.module]);
      return false;
    }
  }
  return true;
}

std::vector<BlockerPlace> StylesheetModules::Places(const std::vector<ModuleBlocker>& blockers) const {
  std::vector<BlockerPlace> places;
  for (const ModuleBlocker& blocker : blockers) {
    const PreparedModule& module = modules_[blocker.module];
    places.push_back({paths_[blocker.module], PlaceOf(module.units.text, module.scan.view[blocker.element].start).line,
                      blocker.what});
  }
  return places;
}

}  // namespace rt
