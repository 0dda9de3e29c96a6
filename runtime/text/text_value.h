// Text values: fixed-length blank-padded fields, NUL-terminated buffers, and the
// operations the application's procedures are written with. Text is UTF-16 inside.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace rt {

using Text = std::u16string;
using TextView = std::u16string_view;
using LONG = std::int32_t;

inline constexpr char16_t kBlank = u' ';

// A caller's fixed-length field as the window services see it (bindings, dialog targets).
using FieldSpan = std::span<char16_t>;

// Copies text into a fixed-length field: cut at the field's size, the rest blanks.
void AssignField(FieldSpan field, TextView text);

// STRING(n): exactly n characters, blank-padded; a longer text is cut without notice.
template <std::size_t N>
class STRING {
 public:
  static constexpr std::size_t kSize = N;

  STRING() { chars_.fill(kBlank); }
  STRING(TextView text) { AssignField(chars_, text); }  // NOLINT: assignment semantics
  STRING& operator=(TextView text) {
    AssignField(chars_, text);
    return *this;
  }
  TextView view() const { return {chars_.data(), N}; }
  operator TextView() const { return view(); }  // NOLINT: fields are used as texts
  FieldSpan field() { return chars_; }

 private:
  std::array<char16_t, N> chars_;
};

// CSTRING(n): NUL-terminated text in an n-character buffer, at most n-1 characters.
template <std::size_t N>
class CSTRING {
  static_assert(N >= 1);

 public:
  static constexpr std::size_t kSize = N;

  CSTRING() { chars_.fill(u'\0'); }
  CSTRING(TextView text) { assign(text); }  // NOLINT: assignment semantics
  CSTRING& operator=(TextView text) {
    assign(text);
    return *this;
  }
  const char16_t* c_str() const { return chars_.data(); }
  TextView view() const { return TextView(chars_.data()); }
  operator TextView() const { return view(); }  // NOLINT: buffers are used as texts

 private:
  void assign(TextView text) {
    const Text copy(text.substr(0, N - 1));  // the source may alias this buffer
    std::copy(copy.begin(), copy.end(), chars_.begin());
    std::fill(chars_.begin() + static_cast<std::ptrdiff_t>(copy.size()), chars_.end(), u'\0');
  }
  std::array<char16_t, N> chars_;
};

// Text without its trailing blanks (U+0020 only; tabs and NULs stay).
Text CLIP(TextView text);

// Text without trailing white space (blanks, tabs, line breaks): the system's and the libraries'
// messages end in a line break of their own.
TextView TrimmedRight(TextView text);

// Length in characters.
LONG LEN(TextView text);

// Substring from a 1-based start; a negative start counts from the end, a negative length
// takes the rest. Out-of-range starts give the empty text.
Text SUB(TextView text, LONG start, LONG length);

// Concatenation of any number of texts, every character kept.
Text Concat(std::initializer_list<TextView> parts);

// Comparison with the shorter text extended by blanks: "\" equals "\ ".
int CompareText(TextView a, TextView b);
bool SameText(TextView a, TextView b);

// The truth of a text: false when empty or all blanks.
bool TextIsTrue(TextView text);

}  // namespace rt
