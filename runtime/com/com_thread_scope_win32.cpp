#include "runtime/com/com_support_win32.h"
#include "runtime/com/com_thread_scope.h"

namespace rt {

ComThreadScope::ComThreadScope(Apartment apartment) {
  if (!Com().complete()) return;
  const DWORD model = apartment == Apartment::kMulti ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED;
  const HRESULT result = Com().initialize(nullptr, model | COINIT_DISABLE_OLE1DDE);
  undo_ = SUCCEEDED(result);
  ready_ = undo_ || result == RPC_E_CHANGED_MODE;
}

ComThreadScope::~ComThreadScope() {
  if (undo_) Com().uninitialize();
}

}  // namespace rt
