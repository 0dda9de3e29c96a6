#include <thread>

#include "runtime/system/line_appender.h"
#include "runtime/system/owned_handle_win32.h"
#include "runtime/system/user_files.h"
#include "runtime/system/win32_api.h"

namespace rt {
namespace {

// Appending only: every write goes to the end of the file, whatever another writer did meanwhile.
// Reading, to see how the file ends.
constexpr DWORD kAccess = FILE_READ_DATA | FILE_APPEND_DATA | SYNCHRONIZE;
constexpr DWORD kSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::chrono::milliseconds kRetryPause{50};
// Appending is one indivisible write on Windows, but Wine finds the end and writes there in two
// steps. So writers of the program take turns, by a lock on a byte far beyond any file's end,
// which no reader touches; a writer that keeps it longer than this counts as holding the file.
constexpr DWORD kTurnOffsetHigh = 0x40000000;
constexpr std::chrono::milliseconds kTurnPatience{1000};
// Lines wait for a few days of a held journal at most; more is no file of waiting lines.
constexpr LONGLONG kMostWaiting = 256ll << 20;
// A file made and gone again between the attempts is not waited for.
constexpr int kOpenAttempts = 3;

bool Held(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// The file opened for appending, or nothing and the system's error. A missing file is made (its folder
// too), shared with readers only until its start is written, so that no line comes before it.
OwnedHandle OpenForAppending(const Text& path, DWORD& error) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    OwnedHandle file(
        CreateFileW(Wide(path), kAccess, kSharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) {
      MakeDirectory(path.substr(0, path.find_last_of(u"\\/")));
    } else if (error != ERROR_FILE_NOT_FOUND) {
      return file;
    }
    OwnedHandle made(
        CreateFileW(Wide(path), kAccess, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (made) return made;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS) return made;  // another writer has just made it: theirs is opened
  }
  return OwnedHandle();
}

// Whether the file's last byte ends a line; an empty file does not.
bool EndsInLineEnd(HANDLE file, LONGLONG size) {
  OVERLAPPED last{};
  last.Offset = static_cast<DWORD>(size - 1);
  last.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size - 1) >> 32);
  char byte = 0;
  DWORD read = 0;
  return ReadFile(file, &byte, 1, &read, &last) && read == 1 && byte == '\n';
}

// Waits for this writer's turn; false when another keeps it (ERROR_LOCK_VIOLATION). A file
// system without locks has indivisible appends of its own.
bool TakeTurn(HANDLE file) {
  const auto until = std::chrono::steady_clock::now() + kTurnPatience;
  for (;;) {
    OVERLAPPED turn{};
    turn.OffsetHigh = kTurnOffsetHigh;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &turn)) return true;
    if (GetLastError() != ERROR_LOCK_VIOLATION) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds{1});
  }
}

void EndTurn(HANDLE file) {
  OVERLAPPED turn{};
  turn.OffsetHigh = kTurnOffsetHigh;
  UnlockFileEx(file, 0, 1, 0, &turn);
}

// What goes before the lines: a new file's start, or a line end after a line cut short.
std::string Lead(HANDLE file, const std::string& start) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return "\r\n";  // an empty line is skipped when read
  if (size.QuadPart == 0) return start;
  return EndsInLineEnd(file, size.QuadPart) ? std::string() : std::string("\r\n");
}

// Writes the lines at the file's end in one write, so that another writer's line never comes
// between: 0, or the system's error code.
DWORD WriteLines(const Text& path, std::string_view lines, const std::string& start) {
  DWORD error = 0;
  const OwnedHandle file = OpenForAppending(path, error);
  if (!file) return error;
  if (!TakeTurn(file.get())) return ERROR_LOCK_VIOLATION;
  const std::string bytes = Lead(file.get(), start) + std::string(lines);
  DWORD written = 0;
  error = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    error = GetLastError();
  } else if (written != bytes.size()) {
    error = ERROR_DISK_FULL;  // a line cut short by it is closed by the next write
  }
  EndTurn(file.get());
  return error;
}

}  // namespace

AppendOutcome LineAppender::Append(TextView path, TextView waiting, std::string_view lines, bool fileWritable) {
  const std::lock_guard guard(lock_);
  const Text file(path), side(waiting);
  AppendOutcome outcome;
  if (fileWritable) {
    // Older lines first: while some still wait, these wait after them, so that no line comes
    // before one written earlier.
    outcome.error = MoveWaitingNow(file, side);
    if (outcome.error == 0) outcome.error = WriteLines(file, lines, start_);
    if (outcome.error == 0) return outcome;
    outcome.held = Held(outcome.error);
  } else {
    // A journal in another form that cannot be kept aside now is held by the program that saved it.
    outcome.error = ERROR_SHARING_VIOLATION;
    outcome.held = true;
  }
  // Another copy of the program may be moving the waiting lines just now.
  const auto until = std::chrono::steady_clock::now() + kTurnPatience;
  while (Held(outcome.waitingError = WriteLines(side, lines, start_)) && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds{1});
  }
  outcome.waiting = outcome.waitingError == 0;
  return outcome;
}

std::uint32_t LineAppender::Ready(TextView path) {
  DWORD error = 0;
  if (OpenForAppending(Text(path), error) || Held(error)) return 0;
  return error;
}

std::uint32_t LineAppender::MoveWaiting(TextView path, TextView waiting, std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  for (;;) {
    std::uint32_t error = 0;
    {
      const std::lock_guard guard(lock_);
      error = MoveWaitingNow(Text(path), Text(waiting));
    }
    if (!Held(error) || std::chrono::steady_clock::now() >= until) return error;
    std::this_thread::sleep_for(kRetryPause);
  }
}

std::uint32_t LineAppender::MoveWaitingNow(const Text& path, const Text& waiting) {
  // Nobody else may add to the waiting lines or move them while they are moved.
  const OwnedHandle side(CreateFileW(Wide(waiting), FILE_READ_DATA | DELETE | SYNCHRONIZE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!side) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(side.get(), &size)) return GetLastError();
  if (size.QuadPart > kMostWaiting) return ERROR_FILE_TOO_LARGE;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(side.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    return GetLastError() != 0 ? GetLastError() : ERROR_READ_FAULT;
  }
  std::string_view lines(bytes);
  if (lines.starts_with(start_)) lines.remove_prefix(start_.size());
  if (!lines.empty() && !lines.ends_with('\n')) lines = lines.substr(0, lines.rfind('\n') + 1);  // cut short
  if (!lines.empty()) {
    if (const DWORD error = WriteLines(path, lines, start_); error != 0) return error;
  }
  // Gone when the handle closes, with nobody able to add to it meanwhile.
  FILE_DISPOSITION_INFO gone{TRUE};
  return SetFileInformationByHandle(side.get(), FileDispositionInfo, &gone, sizeof(gone)) ? 0 : GetLastError();
}

}  // namespace rt
