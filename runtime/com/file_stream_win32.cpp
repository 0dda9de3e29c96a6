#include "runtime/com/file_stream_win32.h"

namespace rt {
namespace {

HRESULT LastErrorResult() { return HRESULT_FROM_WIN32(GetLastError()); }

}  // namespace

ComPtr<FileStream> FileStream::Open(TextView path, Access access, DWORD& error) {
  const Text name(path);
  const bool reading = access == Access::kRead;
  HANDLE file = CreateFileW(Wide(name), reading ? GENERIC_READ : GENERIC_WRITE, reading ? FILE_SHARE_READ : 0, nullptr,
                            reading ? OPEN_EXISTING : TRUNCATE_EXISTING,
                            reading ? FILE_FLAG_SEQUENTIAL_SCAN : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return ComPtr<FileStream>();
  }
  error = 0;
  return ComPtr<FileStream>(new FileStream(file, true));
}

ComPtr<FileStream> FileStream::Over(HANDLE file) { return ComPtr<FileStream>(new FileStream(file, false)); }

FileStream::~FileStream() { Close(); }

void FileStream::Close() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  if (bytesWritten_ > 0 && !FlushFileBuffers(file_) && writeError_ == 0) writeError_ = GetLastError();
  if (owned_) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

HRESULT FileStream::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(ISequentialStream) || iid == __uuidof(IStream)) {
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FileStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG FileStream::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT FileStream::Read(void* data, ULONG size, ULONG* read) {
  DWORD count = 0;
  const bool ok = ReadFile(file_, data, size, &count, nullptr);
  if (read) *read = count;
  return ok ? S_OK : LastErrorResult();
}

HRESULT FileStream::Write(const void* data, ULONG size, ULONG* written) {
  DWORD count = 0;
  DWORD error = 0;
  if (!WriteFile(file_, data, size, &count, nullptr)) {
    error = GetLastError();
  } else if (count != size) {
    error = ERROR_WRITE_FAULT;
  }
  if (written) *written = count;
  bytesWritten_ += count;
  if (error == 0) return S_OK;
  if (writeError_ == 0) writeError_ = error;
  return HRESULT_FROM_WIN32(error);
}

HRESULT FileStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  // The stream's origins are the file's: set, current, end.
  LARGE_INTEGER reached{};
  if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  if (!SetFilePointerEx(file_, move, &reached, origin)) return LastErrorResult();
  if (position) position->QuadPart = static_cast<ULONGLONG>(reached.QuadPart);
  return S_OK;
}

HRESULT FileStream::SetSize(ULARGE_INTEGER size) {
  LARGE_INTEGER here{}, zero{}, end{};
  end.QuadPart = static_cast<LONGLONG>(size.QuadPart);
  if (!SetFilePointerEx(file_, zero, &here, FILE_CURRENT) || !SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(file_) || !SetFilePointerEx(file_, here, nullptr, FILE_BEGIN)) {
    return LastErrorResult();
  }
  return S_OK;
}

HRESULT FileStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }

HRESULT FileStream::Commit(DWORD) { return S_OK; }  // writes go straight to the file

HRESULT FileStream::Revert() { return STG_E_INVALIDFUNCTION; }

HRESULT FileStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT FileStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return STG_E_INVALIDFUNCTION; }

HRESULT FileStream::Stat(STATSTG* facts, DWORD) {
  if (!facts) return STG_E_INVALIDPOINTER;
  *facts = STATSTG{};
  facts->type = STGTY_STREAM;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_, &size)) return LastErrorResult();
  facts->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  return S_OK;
}

HRESULT FileStream::Clone(IStream**) { return E_NOTIMPL; }

}  // namespace rt
