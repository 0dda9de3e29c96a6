#include "convert/journal/journal_window.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "convert/journal/journal_file.h"
#include "convert/journal/journal_lines.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/journal/rules/journal_view.h"
#include "convert/rules/conversion_messages.h"
#include "convert/rules/name_fields.h"
#include "runtime/dialogs/list_window.h"
#include "runtime/process/program_launch.h"
#include "runtime/system/file_facts.h"
#include "runtime/system/file_part.h"
#include "runtime/window/dialog_services.h"

namespace convert {
namespace {

constexpr rt::ReportColumn kColumns[] = {{kJournalColumnTime, 100},
                                         {kColumnInput, 180},
                                         {kColumnOutput, 62},
                                         {kJournalColumnResult, 72},
                                         {kJournalColumnReason, 180}};
// A sheet of Excel takes the header line and this many rows.
constexpr std::size_t kRowsASheetTakes = kSpreadsheetRows - 1;
constexpr rt::ListWindowDefinition kJournalWindow{kJournalTitle,
                                                  kJournalListLabel,
                                                  u"VEXILATE_ICO",
                                                  kJournalFailedOnly,
                                                  kJournalOpenFolder,
                                                  kJournalCopy,
                                                  kJournalClose,
                                                  kJournalCopyMany,
                                                  &JournalCopyTooManyQuestion,
                                                  kRowsASheetTakes,
                                                  kJournalCopyProgress,
                                                  kJournalCopied,
                                                  kCancel,
                                                  kJournalCopyFailed,
                                                  kJournalWindowFailed,
                                                  kColumns};

// The rows shown when a copy or a search began, read on its thread through blocks of its own.
class JournalRowsAtWork final : public rt::ListRows {
 public:
  JournalRowsAtWork(JournalRows rows, std::vector<rt::Text> paths, std::vector<JournalForm> forms,
                    const JournalLocale& locale)
      : rows_(std::move(rows)),
        lines_(std::move(paths), JournalLines::kEveryRow),
        forms_(std::move(forms)),
        locale_(locale) {}

  std::size_t Count() const override { return rows_.size(); }
  void Table(std::span<const std::size_t> rows, std::size_t most,
             const std::function<bool(rt::TextView)>& put) override {
    WriteJournalTable(rows_, rows, most, reader_, put);
  }
  std::optional<std::size_t> Find(std::size_t start, rt::TextView typed, const std::atomic<bool>& stop) override {
    return FindJournalRow(rows_, start, typed, reader_, stop);
  }

 private:
  const JournalRows rows_;
  JournalLines lines_;
  const std::vector<JournalForm> forms_;
  const JournalLocale locale_;
  const JournalLineReader reader_ = EntriesThrough(lines_, forms_, locale_);
};

// One of the journal's files as the indexer has read it: its lines' form is known from its first.
struct JournalFileRead {
  rt::Text path;
  JournalFileReading reading;
  bool inLongLine = false;  // a line longer than a part, passed over to its end
};

// The journal's files indexed by a thread of their own, a part at a time and one file after the
// other, the rows handed to the window as each part is done so that the list fills while the rest
// is read; then it looks every half second for lines appended. A file that is not there yet is an
// empty one, one held by another program is read once it lets go, and when one is replaced by a
// shorter one (the waiting lines moved to the journal, a journal kept aside) all are read again.
class JournalSource final : public rt::ListSource {
 public:
  // Waits a moment for the first part, so that a journal of usual size shows whole at once.
  JournalSource() : indexer_([this] { Index(); }) {
    std::unique_lock lock(mutex_);
    handed_.wait_for(lock, kFirstPartWait, [this] { return firstHanded_; });
  }

  ~JournalSource() override {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    indexer_.join();
  }

  rt::ListUpdate Update() override {
    std::vector<JournalLineMark> marks;
    bool replaced = false;
    const bool wasBusy = busy_;
    const std::uint64_t wasPassed = passed_.count;
    {
      const std::lock_guard lock(mutex_);
      marks.swap(marks_);
      replaced = std::exchange(replaced_, false);
      busy_ = reading_;
      cut_ = cut_ || failed_;
      // A file's form is known once its first line is read.
      forms_ = sharedForms_;
      passed_ = sharedPassed_;
      if (replaced) paths_ = sharedPaths_;
    }
    if (replaced) {
      view_.Clear();
      lines_.Forget(paths_);
    }
    view_.Add(marks);
    cachedRow_ = kNoRow;
    if (replaced) return rt::ListUpdate::Replaced;
    return marks.empty() && wasBusy == busy_ && wasPassed == passed_.count ? rt::ListUpdate::Same
                                                                           : rt::ListUpdate::AddedOnTop;
  }

  void Narrow(bool narrowed) override {
    view_.ShowFailedOnly(narrowed);
    cachedRow_ = kNoRow;
  }

  std::size_t RowCount() const override { return view_.RowCount(); }
  std::vector<rt::Text> Cells(std::size_t row) const override { return JournalView::Cells(Entry(row)); }
  rt::RowStatus Status(std::size_t row) const override { return StatusOf(Entry(row).result); }
  rt::Text Summary() const override {
    return rt::Concat({view_.Summary(), cut_ ? kJournalReadCut : busy_ ? kJournalStillReading : u""});
  }
  rt::Text Note() const override {
    std::vector<rt::Text> names;
    for (const rt::Text& path : paths_) names.push_back(FileNamePart(path));
    return PassedOverNote(passed_, names);
  }
  std::unique_ptr<rt::ListRows> Rows() const override {
    return std::make_unique<JournalRowsAtWork>(view_.Rows(), paths_, forms_, locale_);
  }
  bool Busy() const override { return busy_; }

  // The output file, or the input when there is none; its folder when the file has gone since.
  void Act(std::size_t row) override {
    const JournalEntry& entry = Entry(row);
    const rt::Text& file = entry.outputPath.empty() ? entry.inputPath : entry.outputPath;
    const rt::Text folder = file.substr(0, file.find_last_of(u'\\') + 1);
    if (rt::IsFile(file)) {
      rt::ShowInExplorer(rt::WindowHandle(), file, false);
    } else if (!folder.empty() && rt::IsDirectory(folder)) {
      rt::ShowInExplorer(rt::WindowHandle(), folder, true);
    } else {
      rt::Beep(150, 1);
    }
  }

 private:
  // On the indexing thread: the journal's files from the start, as the window takes them.
  std::vector<JournalFileRead> Files() {
    std::vector<JournalFileRead> files;
    for (rt::Text& path : JournalFiles(folder_)) {
      files.emplace_back().path = std::move(path);
      files.back().reading.file = static_cast<std::uint32_t>(files.size() - 1);
    }
    const std::lock_guard lock(mutex_);
    sharedPaths_.clear();
    for (const JournalFileRead& file : files) sharedPaths_.push_back(file.path);
    sharedForms_.assign(files.size(), JournalForm());
    sharedPassed_ = {};
    return files;
  }

  // On the indexing thread: the file's whole lines from where the last reading ended; false when the
  // file is replaced.
  bool IndexPart(JournalFileRead& file, std::string& part, JournalEntry& scratch, std::vector<JournalLineMark>& marks,
                 PassedOverLines& passed, bool& more) {
    JournalFileReading& reading = file.reading;
    std::uint64_t size = 0;
    std::uint32_t error = rt::ReadFilePart(file.path, reading.offset, kPart, part, size);
    if (rt::IsMissing(error)) {  // not there (yet), or removed: an empty file
      error = 0;
      size = 0;
      part.clear();
    }
    if (error != 0) return true;
    if (size < reading.offset) return false;
    more = part.size() == kPart;
    if (file.inLongLine) {  // no entry is this long: passed over to its end
      const std::size_t end = part.find('\n');
      reading.offset += end == std::string::npos ? part.size() : end + 1;
      if (end != std::string::npos) {
        file.inLongLine = false;
        passed.Add(reading.file, ++reading.lines);
      }
      return true;
    }
    const bool formKnown = reading.lines > 0;
    const std::size_t taken = MarkJournalLines(part, reading, locale_, scratch, marks, passed);
    file.inLongLine = taken == 0 && more;
    if (!formKnown && reading.lines > 0) {
      const std::lock_guard lock(mutex_);
      sharedForms_[reading.file] = reading.form;
    }
    return true;
  }

  void Index() {
    std::string part;
    std::vector<JournalLineMark> marks;
    PassedOverLines passed;
    JournalEntry scratch;
    std::vector<JournalFileRead> files = Files();
    try {
      for (;;) {
        marks.clear();
        const std::uint64_t wasPassed = passed.count;
        bool more = false, replaced = false;
        // In the order written: a file's rows only once those before it are all in.
        for (std::size_t number = 0; number < files.size() && !more && !replaced; ++number) {
          replaced = !IndexPart(files[number], part, scratch, marks, passed, more);
        }
        if (replaced) {
          files = Files();
          marks.clear();
          passed = {};
          more = true;
        }
        std::unique_lock lock(mutex_);
        if (replaced) {
          marks_.clear();
          replaced_ = true;
        }
        marks_.insert(marks_.end(), marks.begin(), marks.end());
        if (passed.count != wasPassed) sharedPassed_ = passed;
        reading_ = more;
        firstHanded_ = true;
        handed_.notify_all();
        if (!more) wake_.wait_for(lock, std::chrono::milliseconds(500), [this] { return stop_; });
        if (stop_) return;
      }
    } catch (const std::exception&) {  // memory for the index ran out: what was read stays shown
      const std::lock_guard lock(mutex_);
      failed_ = true;
      reading_ = false;
      firstHanded_ = true;
      handed_.notify_all();
    }
  }

  // A row's entry is read from the journal file again for each of its cells; the last one is kept.
  const JournalEntry& Entry(std::size_t row) const {
    if (row != cachedRow_) {
      cached_ = view_.Entry(row);
      cachedRow_ = row;
    }
    return cached_;
  }

  static constexpr std::size_t kNoRow = std::numeric_limits<std::size_t>::max();
  // Read a part at a time: the list fills as each is indexed, and little is held meanwhile.
  static constexpr std::size_t kPart = 4 << 20;
  static constexpr std::chrono::milliseconds kFirstPartWait{250};
  const JournalLocale locale_ = ThisLocale();
  const rt::Text folder_ = JournalFolder();  // taken on the window's thread, where the settings are
  std::vector<rt::Text> paths_;              // of the files, by their numbers, as the window reads them
  JournalLines lines_;
  std::vector<JournalForm> forms_;  // of each file, as the window reads its rows
  PassedOverLines passed_;
  JournalView view_{EntriesThrough(lines_, forms_, locale_)};
  mutable std::size_t cachedRow_ = kNoRow;
  mutable JournalEntry cached_;
  bool busy_ = true;  // as last taken from the indexer
  bool cut_ = false;

  std::mutex mutex_;                    // guards what follows, shared with the indexing thread
  std::condition_variable wake_;        // the indexer, to stop
  std::condition_variable handed_;      // the window, when the first part is handed over
  std::vector<JournalLineMark> marks_;  // indexed, not yet taken by the window
  std::vector<rt::Text> sharedPaths_;   // the files being indexed
  std::vector<JournalForm> sharedForms_;
  PassedOverLines sharedPassed_;
  bool replaced_ = true;  // the window takes the files at its first update
  bool reading_ = true;
  bool firstHanded_ = false;
  bool failed_ = false;
  bool stop_ = false;
  std::thread indexer_;  // last: it starts once everything it uses is there
};

}  // namespace

void ShowJournal() {
  try {
    rt::OpenListWindow(kJournalWindow, std::make_unique<JournalSource>());
  } catch (const std::exception&) {  // no memory or thread for it: told, and the program goes on
    rt::ShowMessage(kJournalWindowFailed, kJournalTitle, rt::kWarningIcon, u"", rt::BUTTON_OK, 0);
  }
}

}  // namespace convert
