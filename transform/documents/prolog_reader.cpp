#include "transform/documents/prolog_reader.h"

#include <algorithm>

namespace rt {
namespace {

constexpr TextView kDoctypeOpen = u"<!DOCTYPE", kCommentOpen = u"<!--", kInstructionOpen = u"<?";
constexpr TextView kUtf16Mark = u"\xFEFF", kUtf8Mark = u"\xEF\xBB\xBF";  // UTF-8's read one unit per byte

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

void PrologReader::Feed(std::string_view bytes) {
  if (decided()) return;
  decoded_.clear();
  decoder_.Decode(bytes, decoded_);
  Feed(TextView(decoded_));
}

void PrologReader::Feed(TextView units) {
  Run(units, received_);
  received_ += units.size();
}

PrologScan PrologReader::Finish() {
  decoded_.clear();
  decoder_.Finish(decoded_);
  Feed(TextView(decoded_));
  if (state_ == State::kMark) Unmark();
  const std::uint64_t at = !decided() && state_ == State::kSpace ? received_ : markupAt_;
  return {end_, static_cast<std::size_t>(at)};
}

void PrologReader::Run(TextView units, std::uint64_t first) {
  std::size_t i = 0;
  while (i < units.size() && !decided()) {
    if (state_ == State::kComment || state_ == State::kInstruction) {
      i = Skip(units, i);
    } else {
      Take(units[i], first + i);
      ++i;
    }
  }
}

void PrologReader::Take(char16_t unit, std::uint64_t index) {
  if (state_ == State::kMark) {
    held_[heldSize_++] = unit;
    const TextView held(held_, heldSize_);
    if (held == kUtf16Mark || held == kUtf8Mark) {
      heldSize_ = 0;
      state_ = State::kSpace;
    } else if (!kUtf8Mark.starts_with(held)) {
      Unmark();
    }
    return;
  }
  if (state_ == State::kSpace) {
    if (IsSpace(unit)) return;
    state_ = State::kMarkup;
    markupAt_ = index;
    heldSize_ = 0;
  }
  held_[heldSize_++] = unit;
  const TextView held(held_, heldSize_);
  if (held == kInstructionOpen) {
    state_ = State::kInstruction;
    marks_ = 0;
  } else if (held == kCommentOpen) {
    state_ = State::kComment;
    marks_ = 0;
  } else if (held == kDoctypeOpen) {
    end_ = PrologEnd::kDoctype;
  } else if (!kDoctypeOpen.starts_with(held) && !kCommentOpen.starts_with(held)) {
    end_ = PrologEnd::kElementOrOther;
  }
}

void PrologReader::Unmark() {
  const Text start(held_, heldSize_);
  heldSize_ = 0;
  state_ = State::kSpace;
  Run(start, 0);
}

std::size_t PrologReader::Skip(TextView units, std::size_t i) {
  const bool comment = state_ == State::kComment;
  const char16_t mark = comment ? u'-' : u'?';
  const std::size_t wanted = comment ? 2 : 1;
  const char16_t* const text = units.data();
  for (;;) {
    // std::find rather than the view's own: it is unrolled, and a comment can be most of a file.
    const auto close = static_cast<std::size_t>(std::find(text + i, text + units.size(), u'>') - text);
    std::size_t marks = 0;
    while (marks < wanted && close - marks > i && text[close - marks - 1] == mark) ++marks;
    if (marks == close - i) marks = std::min(wanted, marks + marks_);  // the run began before units[i]
    if (close == units.size()) {
      marks_ = marks;
      return close;
    }
    if (marks == wanted) {
      state_ = State::kSpace;
      return close + 1;
    }
    marks_ = 0;
    i = close + 1;
  }
}

PrologScan ScanProlog(TextView units) {
  PrologReader reader;
  reader.Feed(units);
  return reader.Finish();
}

}  // namespace rt
