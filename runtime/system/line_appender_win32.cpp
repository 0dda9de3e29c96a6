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

static_assert(kOtherForm == ERROR_INVALID_DATA);

bool Held(DWORD error) { return HeldError(error); }

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

// Whether the file begins as the appender's own files do (or is empty): lines of one form are
// never added to a file of another.
bool OfOurForm(HANDLE file, const std::string& start) {
  std::string begins(start.size(), '\0');
  DWORD read = 0;
  OVERLAPPED first{};
  if (!ReadFile(file, begins.data(), static_cast<DWORD>(begins.size()), &read, &first)) return true;
  return read == 0 || begins.substr(0, read) == start.substr(0, read);
}

// Writes the lines at the file's end in one write, so that another writer's line never comes
// between: 0, or the system's error code. A waiting file (`ourFormOnly`) takes them only when it
// is of their form.
DWORD WriteLines(const Text& path, std::string_view lines, const std::string& start, bool ourFormOnly = false) {
  DWORD error = 0;
  const OwnedHandle file = OpenForAppending(path, error);
  if (!file) return error;
  if (!TakeTurn(file.get())) return ERROR_LOCK_VIOLATION;
  if (ourFormOnly && !OfOurForm(file.get(), start)) {
    EndTurn(file.get());
    return ERROR_INVALID_DATA;
  }
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

bool HeldError(std::uint32_t error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

AppendOutcome LineAppender::Append(TextView path, const WaitingPlaces& waiting, std::string_view lines,
                                   bool fileWritable) {
  const std::lock_guard guard(lock_);
  const Text file(path);
  AppendOutcome outcome;
  if (fileWritable) {
    // Older lines first: while some still wait, these wait after them, so that no line comes
    // before one written earlier.
    Refusal refused = MoveWaitingNow(file, waiting.holding);
    if (refused.error == 0) refused = {file, WriteLines(file, lines, start_)};
    outcome.written = refused.error == 0;
    if (outcome.written) return outcome;
    outcome.refused.push_back(std::move(refused));
  } else {
    // A journal in another form that cannot be kept aside now is held by the program that saved it.
    outcome.refused.push_back({file, ERROR_SHARING_VIOLATION});
  }
  for (const Text& place : waiting.places) {
    // Another copy of the program may be moving the waiting lines just now.
    const auto until = std::chrono::steady_clock::now() + kTurnPatience;
    DWORD error = 0;
    while (Held(error = WriteLines(place, lines, start_, true)) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds{1});
    }
    if (error == 0) {
      outcome.waitingIn = place;
      return outcome;
    }
    // The same file refusing twice (the journal held, its waiting file held) is told once.
    if (outcome.refused.back().path != place) outcome.refused.push_back({place, error});
  }
  return outcome;
}

std::uint32_t LineAppender::Ready(TextView path) {
  DWORD error = 0;
  if (OpenForAppending(Text(path), error) || Held(error)) return 0;
  return error;
}

Refusal LineAppender::MoveWaiting(TextView path, const std::vector<Text>& holding, std::chrono::milliseconds patience) {
  const auto until = std::chrono::steady_clock::now() + patience;
  for (;;) {
    Refusal refused;
    {
      const std::lock_guard guard(lock_);
      refused = MoveWaitingNow(Text(path), holding);
    }
    if (!Held(refused.error) || std::chrono::steady_clock::now() >= until) return refused;
    std::this_thread::sleep_for(kRetryPause);
  }
}

Refusal LineAppender::MoveWaitingNow(const Text& path, const std::vector<Text>& holding) {
  for (const Text& waiting : holding) {
    if (Refusal refused = MoveOne(path, waiting); refused.error != 0) return refused;
  }
  return {};
}

Refusal LineAppender::MoveOne(const Text& path, const Text& waiting) {
  // Nobody else may add to the waiting lines or move them while they are moved.
  const OwnedHandle side(CreateFileW(Wide(waiting), FILE_READ_DATA | DELETE | SYNCHRONIZE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!side) {
    const DWORD error = GetLastError();
    return {waiting, error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(side.get(), &size)) return {waiting, GetLastError()};
  if (size.QuadPart > kMostWaiting) return {waiting, ERROR_FILE_TOO_LARGE};
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(side.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    return {waiting, GetLastError() != 0 ? GetLastError() : ERROR_READ_FAULT};
  }
  std::string_view lines(bytes);
  // Saved in another form (by a spreadsheet): its lines are not moved as they stand.
  if (!lines.empty() && !lines.starts_with(start_)) return {waiting, ERROR_INVALID_DATA};
  if (lines.starts_with(start_)) lines.remove_prefix(start_.size());
  if (!lines.empty() && !lines.ends_with('\n')) lines = lines.substr(0, lines.rfind('\n') + 1);  // cut short
  if (!lines.empty()) {
    if (const DWORD error = WriteLines(path, lines, start_); error != 0) return {path, error};
  }
  // Gone when the handle closes, with nobody able to add to it meanwhile.
  FILE_DISPOSITION_INFO gone{TRUE};
  if (!SetFileInformationByHandle(side.get(), FileDispositionInfo, &gone, sizeof(gone)))
    return {waiting, GetLastError()};
  return {};
}

}  // namespace rt
