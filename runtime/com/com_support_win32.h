// COM from runtime code: its functions, loaded on first use so that starting the program does
// not pay for them; owners of the objects and strings it hands out; what a failed call says.
#pragma once

#include <cstdint>
#include <utility>

#include "runtime/system/win32_api.h"
#include "runtime/text/text_value.h"
// After the lean Windows headers, which leave COM out.
#include <ole2.h>

namespace rt {

// The functions of ole32 and oleaut32 the runtime uses; null when the system lacks them.
struct ComFunctions {
  decltype(&::CoInitializeEx) initialize = nullptr;
  decltype(&::CoUninitialize) uninitialize = nullptr;
  decltype(&::CoCreateInstance) createInstance = nullptr;
  decltype(&::SysAllocStringLen) allocString = nullptr;
  decltype(&::SysFreeString) freeString = nullptr;
  decltype(&::SysStringLen) stringLength = nullptr;
  decltype(&::GetErrorInfo) getErrorInfo = nullptr;

  bool complete() const {
    return initialize && uninitialize && createInstance && allocString && freeString && stringLength && getErrorInfo;
  }
};

// Loaded on the first call, by whichever thread makes it.
const ComFunctions& Com();

// Holds one reference to a COM object.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(Interface* adopted) : object_(adopted) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset() {
    if (object_) std::exchange(object_, nullptr)->Release();
  }
  // For a call that hands out a reference.
  Interface** put() {
    reset();
    return &object_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }

 private:
  Interface* object_ = nullptr;
};

// Owns a BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(TextView text);
  ~Bstr() { reset(); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return value_; }
  Text text() const;
  void reset();
  // For a call that hands out a string.
  BSTR* put() {
    reset();
    return &value_;
  }

 private:
  BSTR value_ = nullptr;
};

// What a COM call that returned `result` reported: the object's own description of the error
// when it left one, the system's text for the code otherwise.
Text FailureText(HRESULT result);

}  // namespace rt
