// Messages between the program and a worker process of its own, over a pipe: each a list of
// text fields, framed so that any text (line breaks included) arrives whole and in one piece.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/text/text_value.h"

namespace rt {

// The bytes of one message.
std::string FrameMessage(std::span<const Text> fields);

enum class FrameState { kIncomplete, kWhole, kBroken };

// Takes the first message off the front of `bytes` when it is all there (kWhole, fields set).
// kBroken: the bytes cannot be a message of this kind, so nothing more can be read from them.
FrameState TakeMessage(std::string& bytes, std::vector<Text>& fields);

}  // namespace rt
