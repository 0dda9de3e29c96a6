#include "runtime/text/message_frames.h"

namespace rt {
namespace {

// A worker's messages carry paths and reasons; anything near this size is not one of them.
constexpr std::uint32_t kMaxMessageBytes = 16 * 1024 * 1024;

void PutNumber(std::string& bytes, std::uint32_t number) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(number >> shift & 0xFF));
}

std::uint32_t NumberAt(std::string_view bytes, std::size_t at) {
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) {
    number = number << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return number;
}

}  // namespace

// The length of what follows, then each field as its length in units and its UTF-16LE units.
std::string FrameMessage(std::span<const Text> fields) {
  std::string body;
  for (const Text& field : fields) {
    PutNumber(body, static_cast<std::uint32_t>(field.size()));
    for (const char16_t unit : field) {
      body.push_back(static_cast<char>(unit & 0xFF));
      body.push_back(static_cast<char>(unit >> 8));
    }
  }
  std::string bytes;
  PutNumber(bytes, static_cast<std::uint32_t>(body.size()));
  return bytes + body;
}

FrameState TakeMessage(std::string& bytes, std::vector<Text>& fields) {
  if (bytes.size() < 4) return FrameState::kIncomplete;
  const std::uint32_t length = NumberAt(bytes, 0);
  if (length > kMaxMessageBytes) return FrameState::kBroken;
  if (bytes.size() - 4 < length) return FrameState::kIncomplete;
  const std::string_view body = std::string_view(bytes).substr(4, length);
  std::vector<Text> read;
  for (std::size_t at = 0; at < body.size();) {
    if (body.size() - at < 4) return FrameState::kBroken;
    const std::uint32_t units = NumberAt(body, at);
    at += 4;
    if ((body.size() - at) / 2 < units) return FrameState::kBroken;
    Text field(units, u'\0');
    for (char16_t& unit : field) {
      unit =
          static_cast<char16_t>(static_cast<unsigned char>(body[at]) | static_cast<unsigned char>(body[at + 1]) << 8);
      at += 2;
    }
    read.push_back(std::move(field));
  }
  bytes.erase(0, 4 + static_cast<std::size_t>(length));
  fields = std::move(read);
  return FrameState::kWhole;
}

}  // namespace rt
