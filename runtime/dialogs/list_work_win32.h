// Work on a list's rows on a thread of its own, over the rows as they were when it began, while the
// window goes on answering: a copy of many rows into the clipboard's memory, a search for a typed
// row. The thread touches no window: when it ends it posts kListWorkEnded to the window, whose own
// thread then takes what it made.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/dialogs/clipboard_win32.h"
#include "runtime/dialogs/list_window.h"
#include "runtime/system/win32_api.h"

namespace rt {

inline constexpr UINT kListWorkEnded = WM_APP + 3;

// A thread that is told to stop and waited for when its work is given up.
class ListWork {
 public:
  ListWork(HWND window, std::function<void(const std::atomic<bool>& stop)> work);
  ~ListWork();
  ListWork(const ListWork&) = delete;
  ListWork& operator=(const ListWork&) = delete;

  void Stop() { stop_ = true; }
  bool Ended() const { return ended_; }
  // Waits for the work to end.
  void Wait();

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

// The table of `selected` rows (every row when none), the first `most` of them, written into the
// clipboard's memory; counted as it goes, twice over (measured, then written).
class RowsCopy {
 public:
  RowsCopy(HWND window, std::unique_ptr<ListRows> rows, std::vector<std::size_t> selected, std::size_t most);

  std::size_t Rows() const { return count_; }
  // Of 2 × (Rows() + 1) lines, the header's with them: those measured, then those written.
  std::size_t Done() const { return done_; }
  void Stop() { work_.Stop(); }
  bool Ended() const { return work_.Ended(); }
  void Wait() { work_.Wait(); }
  // Once it has ended, on the window's thread: false when it was stopped, or memory or the clipboard
  // could not be had.
  bool Put(HWND owner);

 private:
  std::unique_ptr<ListRows> rows_;
  const std::vector<std::size_t> selected_;
  const std::size_t count_;
  std::atomic<std::size_t> done_{0};
  ClipboardText text_;
  bool written_ = false;
  bool stopped_ = false;
  ListWork work_;  // last: it starts once everything it uses is there
};

// The first row from `start` on, round to the top, whose first column starts with `typed`.
class RowSearch {
 public:
  RowSearch(HWND window, std::unique_ptr<ListRows> rows, std::size_t start, Text typed);

  bool Ended() const { return work_.Ended(); }
  // Once it has ended.
  std::optional<std::size_t> Found() const { return found_; }
  // How many rows there were when it began.
  std::size_t Rows() const { return count_; }

 private:
  std::unique_ptr<ListRows> rows_;
  const Text typed_;
  const std::size_t count_;
  std::optional<std::size_t> found_;
  ListWork work_;
};

}  // namespace rt
