// The files of the batch benchmarks: name n carries registration number n and organisation
// batch 1, so that each gives an output name of its own.
#pragma once

#include <cwchar>
#include <string>

namespace bench {

inline std::wstring BatchName(int n) {
  wchar_t registration[8];
  std::swprintf(registration, 8, L"%06d", n);
  return L"ABCDEFGHIJKLMNOPQRSTUVWXYZA" + std::wstring(registration) + L"BCDEF00001GHIJKLMNOPQRSTUV00000.XML";
}

inline std::wstring BatchOutputName(int n) {
  wchar_t registration[8];
  std::swprintf(registration, 8, L"%06d", n);
  return std::wstring(registration) + L"00.001";
}

}  // namespace bench
