// COM on the calling thread for the life of an object: what the system XML library needs.
#pragma once

namespace rt {

// Initialises COM (a single-threaded apartment unless asked) on the calling thread and undoes it when the
// object goes. A thread that already has COM in another model keeps it and can use it too.
class ComThreadScope {
 public:
  // A thread that owns no window can take the multithreaded apartment, which needs no hidden
  // window of COM's own (and so, under Wine, no display).
  enum class Apartment { kSingle, kMulti };
  explicit ComThreadScope(Apartment apartment = Apartment::kSingle);
  ~ComThreadScope();
  ComThreadScope(const ComThreadScope&) = delete;
  ComThreadScope& operator=(const ComThreadScope&) = delete;

  // Whether COM can be used on this thread now.
  bool ready() const { return ready_; }

 private:
  bool ready_ = false;
  bool undo_ = false;
};

}  // namespace rt
