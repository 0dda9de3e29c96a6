// A file as the COM stream the system XML library reads a document from or writes a result to.
#pragma once

#include <cstdint>

#include "runtime/com/com_support_win32.h"
#include "runtime/text/text_value.h"

namespace rt {

class FileStream final : public IStream {
 public:
  enum class Access { kRead, kWrite };

  // Opens an existing file: to read it shared with other readers, or to write it alone from
  // its start. Null, and the system's error code, when it cannot be opened.
  static ComPtr<FileStream> Open(TextView path, Access access, DWORD& error);
  // A stream over a file the caller has open and closes itself.
  static ComPtr<FileStream> Over(HANDLE file);

  // Writes what is buffered through to the disk and closes the file (one of its own); the
  // stream fails from then on.
  void Close();

  std::uint64_t bytesWritten() const { return bytesWritten_; }
  // The system's error code of the first write or flush that failed, 0 when none did.
  DWORD writeError() const { return writeError_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // ISequentialStream
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override;
  // IStream
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER size, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER size, DWORD type) override;
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* facts, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override;

 private:
  FileStream(HANDLE file, bool owned) : file_(file), owned_(owned) {}
  ~FileStream();

  ::LONG references_ = 1;
  HANDLE file_;
  bool owned_;
  std::uint64_t bytesWritten_ = 0;
  DWORD writeError_ = 0;
};

}  // namespace rt
