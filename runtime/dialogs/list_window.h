// A window of its own, beside the current window, for a list of many rows, each asked of its source
// only when it shows (a virtual list) and drawn with its status icon. Above the list its label, a
// check box that narrows the rows and a line of counts, with a note under them when the source has
// one; below it a button for the selected row (also Enter and a double click), Copy (also Ctrl+C)
// and Close. Ctrl+A selects every row, typing finds a row by its first column. Copying many rows
// and finding one are done on a thread of their own, over the rows as they were then, so that the
// window goes on answering; a copy of many rows shows its progress with Cancel. It can be resized,
// closes with Escape, and asks its source twice a second for rows added since (more often while the
// source is still reading). An error in it, running out of memory included, is told and leaves the
// program running.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "runtime/dialogs/report_window.h"
#include "runtime/dialogs/row_status.h"
#include "runtime/text/text_value.h"

namespace rt {

struct ListWindowDefinition {
  TextView title;
  TextView listLabel;      // before the list, which screen readers name by it
  TextView iconResource;   // an icon resource of the executable, for its title bar and the taskbar
  TextView narrowCaption;  // the check box
  TextView actionCaption;  // what the selected row's button does
  TextView copyCaption;
  TextView closeCaption;
  TextView copyManyQuestion;  // followed by the number of rows and "?", asked before copying many
  // Asked instead when there are more than `copyMost` rows to copy: whether to copy the first (the
  // newest) `copyMost` of the `rows`, whether the check box narrows them or not.
  Text (*copyTooManyQuestion)(std::size_t rows, std::size_t copyMost, bool narrowed);
  std::size_t copyMost;
  TextView copyProgressTitle;  // the copy's progress window: its title, its count (followed by the
  TextView copyProgressCount;  // number of rows copied) and its button
  TextView cancelCaption;
  TextView copyFailed;  // the clipboard or the memory for it could not be had
  TextView failed;      // anything else went wrong, memory running out included
  std::span<const ReportColumn> columns;
};

// What has become of the rows since they were last asked for.
enum class ListUpdate { Same, AddedOnTop, Replaced };

// The rows as they were at one moment, for work on another thread while the window goes on and its
// rows change: each is read by itself, never through the source.
class ListRows {
 public:
  virtual ~ListRows() = default;
  virtual std::size_t Count() const = 0;
  // The table of `rows` (every row when none), the first `most` of them, as the clipboard gets it, a
  // line at a time in order (the header first); `put` returning false stops it.
  virtual void Table(std::span<const std::size_t> rows, std::size_t most, const std::function<bool(TextView)>& put) = 0;
  // The first row from `start` on, round to the top, whose first column starts with `typed`, in any
  // case; none when there is none or `stop` is set meanwhile.
  virtual std::optional<std::size_t> Find(std::size_t start, TextView typed, const std::atomic<bool>& stop) = 0;
};

class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual ListUpdate Update() = 0;
  virtual void Narrow(bool narrowed) = 0;
  virtual std::size_t RowCount() const = 0;
  // Asked for each cell the list draws: a source that reads its rows keeps the last one read.
  virtual std::vector<Text> Cells(std::size_t row) const = 0;  // a text per column
  virtual RowStatus Status(std::size_t row) const = 0;
  virtual Text Summary() const = 0;
  // Under the counts when there is something to say (lines passed over, say); empty otherwise.
  virtual Text Note() const { return {}; }
  // The rows shown now, for a copy or a search.
  virtual std::unique_ptr<ListRows> Rows() const = 0;
  // Still reading rows that exist: asked again sooner.
  virtual bool Busy() const { return false; }
  virtual void Act(std::size_t row) = 0;
};

// Opens the window with the source's rows, a window of the taskbar's own that the current window
// can be brought in front of; when one is open already, it is brought to the front instead and the
// source is not needed.
void OpenListWindow(const ListWindowDefinition& definition, std::unique_ptr<ListSource> source);

}  // namespace rt
