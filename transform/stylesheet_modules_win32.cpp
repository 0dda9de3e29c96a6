#include "transform/stylesheet_modules_win32.h"

#include <atomic>
#include <string>

#include "runtime/com/com_support_win32.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/system_error.h"
#include "runtime/text/number_text.h"
#include "transform/documents/module_paths.h"
#include "transform/documents/module_preparation.h"
#include "transform/documents/module_view.h"
#include "transform/module_view_win32.h"
#include "transform/xml_document_win32.h"

namespace rt {
namespace {

Text CopyName(std::size_t index) { return Concat({u"m", DecimalText(index), u".xsl"}); }

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
  HANDLE search = FindFirstFileW(Wide(directory + u"m*.xsl"), &found);
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
  // Modules are added as they are found; each is read once, so cycles end.
  for (std::size_t index = 0; index < paths_.size(); ++index) {
    if (!LoadModule(index, stylesheet, reason)) return false;
  }
  if (const auto circle = ModuleInCircle(pulledIn_)) {
    reason = ModuleCircleReason(paths_[*circle]);
    return false;
  }
  return true;
}

bool StylesheetModules::LoadModule(std::size_t index, IXMLDOMDocument2* stylesheet, Text& reason) {
  const Text path = paths_[index];
  std::string bytes;
  if (const DWORD error = ReadWholeFile(path, bytes)) {
    reason = index == 0 ? UnreadableReason(path, SystemErrorText(error))
                        : ModuleUnreadableReason(path, includers_[index], SystemErrorText(error));
    return false;
  }
  const PreparedModule module = PrepareModule(bytes, path);
  if (!module.refusal.empty()) {
    reason = module.refusal;
    return false;
  }
  std::vector<Text> hrefs;
  Text notAFile;
  pulledIn_.resize(paths_.size());
  for (const ModuleReference& reference : module.scan.references) {
    if (const auto target = ModuleFilePath(path, reference.href)) {
      const std::size_t pulled = IndexOf(*target, path);
      pulledIn_[index].push_back(pulled);
      hrefs.push_back(CopyName(pulled));
    } else {
      if (notAFile.empty()) notAFile = reference.href;
      hrefs.push_back(module.units.text.substr(reference.begin, reference.end - reference.begin));
    }
  }
  const std::string prepared = BytesOf(WithHrefs(module.units.text, module.scan.references, hrefs), module.units.form);
  const Text copy = directory_ + CopyName(index);
  if (const DWORD error = WriteWholeFile(copy, prepared)) {
    reason = OutputNotWrittenReason(copy, SystemErrorText(error));
    return false;
  }

  // Each module is parsed here on its own, so that a mistake in it is told by its own path.
  ComPtr<IXMLDOMDocument2> own;
  if (index > 0) {
    own = NewStylesheetDocument(msxml::kDomDocument60, reason);
    if (!own) return false;
  }
  Bstr url(FileUrl(copy));
  VARIANT source{};
  source.vt = VT_BSTR;
  source.bstrVal = url.get();
  const auto bytesParsed = [&prepared] { return prepared; };
  if (!rt::Load(own ? own.get() : stylesheet, source, ParsedDocument::kStylesheet, path, bytesParsed, reason)) {
    return false;
  }
  if (!notAFile.empty()) {
    reason = ModuleNotAFileReason(path, notAFile);
    return false;
  }
  // What is refused is looked for in the library's own parse of the copy: the very document it
  // compiles, or reads again when it pulls the module in.
  const ViewCheck check = CheckModuleView(ViewOf(own ? own.get() : stylesheet));
  switch (check.refused) {
    case RefusedUse::kScript:
      reason = ScriptRefusedReason(path);
      return false;
    case RefusedUse::kDocumentFunction:
      reason = DocumentFunctionRefusedReason(path);
      return false;
    case RefusedUse::kBase:
      reason = BaseRefusedReason(path);
      return false;
    case RefusedUse::kNone:
      break;
  }
  // The library pulls in exactly the copies the program has read and checked, or nothing.
  if (check.hrefs != hrefs) {
    reason = ModulesReadOtherwiseReason(path);
    return false;
  }
  return true;
}

}  // namespace rt
