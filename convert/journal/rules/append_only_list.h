// Values only ever added at the end, kept in blocks that never move: a copy shares the blocks and
// sees the values there when it was made, so that another thread can read it while the original
// goes on growing (the new values land past the copy's end, where it never reads).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

namespace convert {

template <typename Value>
class AppendOnlyList {
 public:
  void push_back(const Value& value) {
    if (size_ % kBlock == 0) blocks_.push_back(std::make_shared<Block>());
    (*blocks_.back())[size_ % kBlock] = value;
    ++size_;
  }

  // Lets go of the blocks; copies made before keep theirs.
  void clear() {
    blocks_.clear();
    size_ = 0;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const Value& operator[](std::size_t index) const { return (*blocks_[index / kBlock])[index % kBlock]; }

 private:
  // Large enough that millions of values take few blocks, small enough for a list of a few.
  static constexpr std::size_t kBlock = std::size_t{1} << 14;
  using Block = std::array<Value, kBlock>;

  std::vector<std::shared_ptr<Block>> blocks_;
  std::size_t size_ = 0;
};

}  // namespace convert
