#include "runtime/stylesheet_modules_win32.h"

#include <string>

#include "runtime/com_support_win32.h"
#include "runtime/module_paths.h"
#include "runtime/module_preparation.h"
#include "runtime/xml_document_win32.h"

namespace rt {
namespace {

Text CopyName(std::size_t index) {
  const std::string digits = std::to_string(index);
  return Concat({u"m", Text(digits.begin(), digits.end()), u".xsl"});
}

bool SamePath(const Text& a, const Text& b) {
  return CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

DWORD WriteWholeFile(const Text& path, const std::string& bytes) {
  HANDLE file = CreateFileW(Wide(ExtendedLengthPath(path)), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD written = 0;
  const bool wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  const DWORD error = wrote ? 0 : GetLastError();
  CloseHandle(file);
  return wrote ? 0 : error != 0 ? error : ERROR_WRITE_FAULT;
}

}  // namespace

StylesheetModules::~StylesheetModules() {
  for (const Text& copy : copies_) DeleteFileW(Wide(ExtendedLengthPath(copy)));
  if (!directory_.empty()) RemoveDirectoryW(Wide(ExtendedLengthPath(directory_)));
}

bool StylesheetModules::MakeDirectory(Text& reason) {
  wchar_t temporary[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
  DWORD error = length == 0 || length > MAX_PATH ? GetLastError() : 0;
  for (unsigned attempt = 0; error == 0 && attempt < 100; ++attempt) {
    const std::string unique = std::to_string(GetTickCount() + attempt) + "-" + std::to_string(GetCurrentThreadId());
    const Text directory = Concat({FromWide(temporary), u"vxs", Text(unique.begin(), unique.end()), u"\\"});
    if (CreateDirectoryW(Wide(ExtendedLengthPath(directory)), nullptr)) {
      directory_ = directory;
      return true;
    }
    error = GetLastError() == ERROR_ALREADY_EXISTS ? 0 : GetLastError();
  }
  reason = OutputNotWrittenReason(FromWide(temporary), SystemMessage(error));
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
    reason = index == 0 ? UnreadableReason(path, SystemMessage(error))
                        : ModuleUnreadableReason(path, includers_[index], SystemMessage(error));
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
    reason = OutputNotWrittenReason(copy, SystemMessage(error));
    return false;
  }
  copies_.push_back(copy);

  // Each module is parsed here on its own, so that a mistake in it is told by its own path.
  ComPtr<IXMLDOMDocument2> own;
  if (index > 0) {
    own = NewDocument(msxml::kDomDocument60, reason);
    if (!own) return false;
  }
  Bstr url(FileUrl(copy));
  VARIANT source{};
  source.vt = VT_BSTR;
  source.bstrVal = url.get();
  if (!rt::Load(
          own ? own.get() : stylesheet, source, ParsedDocument::kStylesheet, path, [&prepared] { return prepared; },
          reason)) {
    return false;
  }
  if (!notAFile.empty()) {
    reason = ModuleNotAFileReason(path, notAFile);
    return false;
  }
  switch (module.scan.refused) {
    case RefusedUse::kScript:
      reason = ScriptRefusedReason(path);
      return false;
    case RefusedUse::kDocumentFunction:
      reason = DocumentFunctionRefusedReason(path);
      return false;
    case RefusedUse::kNone:
      break;
  }
  return true;
}

}  // namespace rt
