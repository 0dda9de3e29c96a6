#include "convert/journal/journal_window.h"

#include <limits>
#include <memory>

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
    kJournalTitle, u"VEXILATE_ICO", kJournalFailedOnly, kJournalOpenFolder, kCopy, kClose, kColumns};

// The journal file read once, then only what is appended to it; a journal that is not there yet
// is an empty one, and one held by another program is read once it lets go.
class JournalSource final : public rt::ListSource {
 public:
  rt::ListUpdate Update() override {
    const std::size_t before = view_.EntryCount();
    bool replaced = false;
    for (;;) {
      std::string part;
      std::uint64_t size = 0;
      const std::uint32_t error = rt::ReadFilePart(path_, read_, kPart, part, size);
      if (error != 0 && !rt::IsMissing(error)) break;
      if (size < read_) {  // removed, or replaced by a shorter one: what is there now, from its start
        view_.Clear();
        read_ = 0;
        replaced = true;
        continue;
      }
      const std::size_t taken = view_.Append(part);
      read_ += taken;
      if (part.size() < kPart || taken == 0) break;
    }
    cachedRow_ = kNoRow;
    if (replaced) return rt::ListUpdate::Replaced;
    return view_.EntryCount() == before ? rt::ListUpdate::Same : rt::ListUpdate::AddedOnTop;
  }

  void Narrow(bool narrowed) override {
    view_.ShowFailedOnly(narrowed);
    cachedRow_ = kNoRow;
  }

  std::size_t RowCount() const override { return view_.RowCount(); }
  std::vector<rt::Text> Cells(std::size_t row) const override { return JournalView::Cells(Entry(row)); }
  rt::RowStatus Status(std::size_t row) const override { return StatusOf(Entry(row).result); }
  rt::Text Summary() const override { return view_.Summary(); }
  rt::Text Table(std::span<const std::size_t> rows) const override { return view_.Table(rows); }

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
  // A row's entry is read from the journal's bytes again for each of its cells; the last one is kept.
  const JournalEntry& Entry(std::size_t row) const {
    if (row != cachedRow_) {
      cached_ = view_.Entry(row);
      cachedRow_ = row;
    }
    return cached_;
  }

  static constexpr std::size_t kNoRow = std::numeric_limits<std::size_t>::max();
  // Read a part at a time: a large journal is not held twice while it is taken in.
  static constexpr std::size_t kPart = 4 << 20;
  const rt::Text path_ = JournalPath();
  JournalView view_;
  std::uint64_t read_ = 0;  // bytes of the file the view has taken
  mutable std::size_t cachedRow_ = kNoRow;
  mutable JournalEntry cached_;
};

}  // namespace

void ShowJournal() { rt::OpenListWindow(kJournalWindow, std::make_unique<JournalSource>()); }

}  // namespace convert
