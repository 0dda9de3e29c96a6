#include "runtime/com/com_support_win32.h"

#include "runtime/system/system_error.h"
#include "runtime/system/system_library_win32.h"

namespace rt {
namespace {

template <typename Function>
void Load(Function& function, const wchar_t* library, const char* name) {
  function = LoadSystemFunction<Function>(library, name);
}

ComFunctions LoadComFunctions() {
  ComFunctions functions;
  Load(functions.initialize, L"ole32.dll", "CoInitializeEx");
  Load(functions.uninitialize, L"ole32.dll", "CoUninitialize");
  Load(functions.createInstance, L"ole32.dll", "CoCreateInstance");
  Load(functions.allocString, L"oleaut32.dll", "SysAllocStringLen");
  Load(functions.freeString, L"oleaut32.dll", "SysFreeString");
  Load(functions.stringLength, L"oleaut32.dll", "SysStringLen");
  Load(functions.getErrorInfo, L"oleaut32.dll", "GetErrorInfo");
  return functions;
}

}  // namespace

const ComFunctions& Com() {
  static const ComFunctions functions = LoadComFunctions();
  return functions;
}

Bstr::Bstr(TextView text) {
  if (Com().allocString) {
    value_ = Com().allocString(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  }
}

Text Bstr::text() const {
  if (!value_ || !Com().stringLength) return Text();
  return FromWide(value_, Com().stringLength(value_));
}

void Bstr::reset() {
  if (value_ && Com().freeString) Com().freeString(value_);
  value_ = nullptr;
}

Text FailureText(HRESULT result) {
  ComPtr<IErrorInfo> info;
  if (Com().getErrorInfo && Com().getErrorInfo(0, info.put()) == S_OK && info) {
    Bstr description;
    if (SUCCEEDED(info->GetDescription(description.put())) && !description.text().empty()) return description.text();
  }
  return SystemErrorText(static_cast<std::uint32_t>(result));
}

}  // namespace rt
