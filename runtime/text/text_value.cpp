#include "runtime/text/text_value.h"

namespace rt {

void AssignField(FieldSpan field, TextView text) {
  const Text copy(text.substr(0, field.size()));  // the source may alias the field
  std::copy(copy.begin(), copy.end(), field.begin());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(copy.size()), field.end(), kBlank);
}

Text CLIP(TextView text) {
  const auto last = text.find_last_not_of(kBlank);
  return Text(last == TextView::npos ? TextView() : text.substr(0, last + 1));
}

TextView TrimmedRight(TextView text) {
  const auto end = text.find_last_not_of(u" \t\r\n");
  return end == TextView::npos ? TextView() : text.substr(0, end + 1);
}

LONG LEN(TextView text) { return static_cast<LONG>(text.size()); }

Text SUB(TextView text, LONG start, LONG length) {
  const auto size = static_cast<std::int64_t>(text.size());
  std::int64_t first = start;  // 1-based
  if (first == 0) {
    first = 1;
  } else if (first < 0) {
    first = size + first + 1;
    if (first < 1) first = 1;
  }
  if (first > size) return Text();
  const std::int64_t available = size - first + 1;
  const std::int64_t count = length < 0 ? available : std::min<std::int64_t>(length, available);
  return Text(text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(count)));
}

Text Concat(std::initializer_list<TextView> parts) {
  std::size_t total = 0;
  for (const auto part : parts) total += part.size();
  Text joined;
  joined.reserve(total);
  for (const auto part : parts) joined.append(part);
  return joined;
}

int CompareText(TextView a, TextView b) {
  const std::size_t longest = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < longest; ++i) {
    const char16_t ca = i < a.size() ? a[i] : kBlank;
    const char16_t cb = i < b.size() ? b[i] : kBlank;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return 0;
}

bool SameText(TextView a, TextView b) { return CompareText(a, b) == 0; }

bool TextIsTrue(TextView text) { return text.find_first_not_of(kBlank) != TextView::npos; }

}  // namespace rt
