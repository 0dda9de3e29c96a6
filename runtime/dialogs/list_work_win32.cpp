#include "runtime/dialogs/list_work_win32.h"

#include <algorithm>
#include <utility>

namespace rt {

ListWork::ListWork(HWND window, std::function<void(const std::atomic<bool>& stop)> work)
    : thread_([this, window, work = std::move(work)] {
        try {
          work(stop_);
        } catch (const std::exception&) {  // memory ran out: the work comes to nothing, the program goes on
        }
        ended_ = true;
        PostMessageW(window, kListWorkEnded, 0, 0);
      }) {}

ListWork::~ListWork() {
  Stop();
  Wait();
}

void ListWork::Wait() {
  if (thread_.joinable()) thread_.join();
}

RowsCopy::RowsCopy(HWND window, std::unique_ptr<ListRows> rows, std::vector<std::size_t> selected, std::size_t most)
    : rows_(std::move(rows)),
      selected_(std::move(selected)),
      count_(std::min(selected_.empty() ? rows_->Count() : selected_.size(), most)),
      work_(window, [this](const std::atomic<bool>& stop) {
        written_ = text_.Write([&](const std::function<void(TextView)>& put) {
          rows_->Table(selected_, count_, [&](TextView line) {
            put(line);
            done_.fetch_add(1, std::memory_order_relaxed);
            return !stop;
          });
        });
        stopped_ = stop;
      }) {}

bool RowsCopy::Put(HWND owner) {
  Wait();
  return written_ && !stopped_ && PutOnClipboard(owner, text_);
}

RowSearch::RowSearch(HWND window, std::unique_ptr<ListRows> rows, std::size_t start, Text typed)
    : rows_(std::move(rows)),
      typed_(std::move(typed)),
      count_(rows_->Count()),
      work_(window, [this, start](const std::atomic<bool>& stop) { found_ = rows_->Find(start, typed_, stop); }) {}

}  // namespace rt
