#include "runtime/system/system_error.h"
#include "runtime/system/win32_api.h"
#include "runtime/text/number_text.h"

namespace rt {

Text SystemDescription(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const Text text = length && buffer ? FromWide(buffer, length) : Text();
  if (buffer) LocalFree(buffer);
  return Text(TrimmedRight(text));
}

Text SystemErrorText(std::uint32_t code) {
  const Text text = SystemDescription(code);
  return text.empty() ? Concat({u"код ", CodeText(code)}) : text;
}

}  // namespace rt
