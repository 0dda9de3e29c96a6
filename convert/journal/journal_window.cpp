#include "convert/journal/journal_window.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "convert/journal/journal_file.h"
#include "convert/journal/rules/journal_results.h"
#include "convert/journal/rules/journal_view.h"
#include "convert/rules/conversion_messages.h"
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
constexpr rt::ListWindowDefinition kJournalWindow{
    kJournalTitle,      kJournalListLabel,    u"VEXILATE_ICO", kJournalFailedOnly,
    kJournalOpenFolder, kJournalCopy,         kJournalClose,   kJournalCopyMany,
    kJournalCopyFailed, kJournalWindowFailed, kColumns};

// The journal's files are read one after the other (journals kept aside, the journal, the lines
// waiting beside it): an offset holds the file's number in its top bits.
constexpr int kFileShift = 56;
constexpr std::uint64_t kInFile = (std::uint64_t{1} << kFileShift) - 1;

// The lines of the journal's files as the rows on screen ask for them, read a block at a time and
// the last few blocks kept: the rows in view, and a copy going through them all, read each block once.
class JournalLines {
 public:
  std::string_view LineAt(std::uint64_t offset) {
    const std::uint64_t start = offset - offset % kBlock;
    const Block& block = BlockAt(start, offset);
    const std::string_view rest =
        std::string_view(block.bytes)
            .substr(static_cast<std::size_t>(std::min<std::uint64_t>(offset - start, block.bytes.size())));
    if (const std::size_t end = rest.find('\n'); end != std::string_view::npos) return rest.substr(0, end);
    // The line goes on into the next block: read from its start, at most the longest line there is.
    for (const std::size_t most : {kBlock, kLongestLine}) {
      std::uint64_t size = 0;
      if (rt::ReadFilePart(PathOf(offset), offset & kInFile, most, crossing_, size) != 0) return {};
      if (const std::size_t end = crossing_.find('\n'); end != std::string::npos) return {crossing_.data(), end};
    }
    return crossing_;
  }

  // The files were replaced: nothing read of them holds.
  void Forget(std::vector<rt::Text> paths) {
    for (Block& block : blocks_) block = Block();
    paths_ = std::move(paths);
  }

 private:
  static constexpr std::size_t kBlock = 64 << 10;
  static constexpr std::size_t kLongestLine = 1 << 20;
  static constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
  struct Block {
    std::uint64_t start = kNone;
    std::uint64_t used = 0;  // when last asked for, to give the oldest up
    std::string bytes;
  };

  // A block read when the file ended inside it is read again for a line written since.
  const Block& BlockAt(std::uint64_t start, std::uint64_t offset) {
    Block* found = &blocks_.front();
    for (Block& block : blocks_) {
      if (block.start == start) {
        found = &block;
        break;
      }
      if (block.used < found->used) found = &block;
    }
    found->used = ++uses_;
    if (found->start != start || (found->bytes.size() < kBlock && offset - start >= found->bytes.size())) {
      std::uint64_t size = 0;
      found->start = start;
      if (rt::ReadFilePart(PathOf(start), start & kInFile, kBlock, found->bytes, size) != 0) found->bytes.clear();
    }
    return *found;
  }

  rt::TextView PathOf(std::uint64_t offset) const {
    const std::size_t file = static_cast<std::size_t>(offset >> kFileShift);
    return file < paths_.size() ? rt::TextView(paths_[file]) : rt::TextView();
  }

  std::vector<rt::Text> paths_;
  std::array<Block, 8> blocks_;
  std::uint64_t uses_ = 0;
  std::string crossing_;
};

// One of the journal's files as the indexer has read it: its lines' form is known from its first.
struct JournalFileRead {
  rt::Text path;
  std::uint64_t read = 0;  // bytes indexed
  std::optional<JournalForm> form;
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
    std::vector<rt::Text> paths;
    {
      const std::lock_guard lock(mutex_);
      marks.swap(marks_);
      replaced = std::exchange(replaced_, false);
      busy_ = reading_;
      cut_ = cut_ || failed_;
      // A file's form is known once its first line is read.
      forms_ = sharedForms_;
      if (replaced) paths = sharedPaths_;
    }
    if (replaced) {
      view_.Clear();
      lines_.Forget(std::move(paths));
    }
    view_.Add(marks);
    cachedRow_ = kNoRow;
    if (replaced) return rt::ListUpdate::Replaced;
    return marks.empty() && wasBusy == busy_ ? rt::ListUpdate::Same : rt::ListUpdate::AddedOnTop;
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
  void Table(std::span<const std::size_t> rows, const std::function<void(rt::TextView)>& put) const override {
    view_.Table(rows, put);
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
    for (rt::Text& path : JournalFiles(folder_)) files.push_back({std::move(path), 0, std::nullopt});
    const std::lock_guard lock(mutex_);
    sharedPaths_.clear();
    for (const JournalFileRead& file : files) sharedPaths_.push_back(file.path);
    sharedForms_.assign(files.size(), JournalForm());
    return files;
  }

  // On the indexing thread: the files' whole lines from where the last reading ended; false when the
  // file is replaced.
  bool IndexPart(std::size_t number, JournalFileRead& file, std::string& part, JournalEntry& scratch,
                 std::vector<JournalLineMark>& marks, bool& more) {
    std::uint64_t size = 0;
    std::uint32_t error = rt::ReadFilePart(file.path, file.read, kPart, part, size);
    if (rt::IsMissing(error)) {  // not there (yet), or removed: an empty file
      error = 0;
      size = 0;
      part.clear();
    }
    if (error != 0) return true;
    if (size < file.read) return false;
    if (!file.form) {
      const std::size_t end = part.find('\n');
      if (end == std::string::npos) return true;  // its first line is still being written
      // What is no journal's header shows no rows.
      file.form = JournalFormOf(std::string_view(part).substr(0, end), locale_).value_or(JournalForm());
      const std::lock_guard lock(mutex_);
      sharedForms_[number] = *file.form;
    }
    const std::size_t taken =
        MarkJournalLines(part, std::uint64_t{number} << kFileShift | file.read, *file.form, locale_, scratch, marks);
    file.read += taken;
    // A line longer than a part is no entry: passed over.
    if (taken == 0 && part.size() == kPart) {
      const std::size_t end = part.find('\n');
      file.read += end == std::string::npos ? part.size() : end + 1;
    }
    more = part.size() == kPart;
    return true;
  }

  void Index() {
    std::string part;
    std::vector<JournalLineMark> marks;
    JournalEntry scratch;
    std::vector<JournalFileRead> files = Files();
    try {
      for (;;) {
        marks.clear();
        bool more = false, replaced = false;
        // In the order written: a file's rows only once those before it are all in.
        for (std::size_t number = 0; number < files.size() && !more && !replaced; ++number) {
          replaced = !IndexPart(number, files[number], part, scratch, marks, more);
        }
        if (replaced) {
          files = Files();
          marks.clear();
          more = true;
        }
        std::unique_lock lock(mutex_);
        if (replaced) {
          marks_.clear();
          replaced_ = true;
        }
        marks_.insert(marks_.end(), marks.begin(), marks.end());
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
  JournalLines lines_;
  std::vector<JournalForm> forms_;  // of each file, as the window reads its rows
  JournalView view_{[this](std::uint64_t offset, JournalEntry& entry) {
    const std::size_t file = static_cast<std::size_t>(offset >> kFileShift);
    return file < forms_.size() &&
           ReadJournalLine(lines_.LineAt(offset), forms_[file], locale_, entry) == LineRead::Entry;
  }};
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
