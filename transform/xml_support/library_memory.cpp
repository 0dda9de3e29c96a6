#include "transform/xml_support/library_memory.h"

#include <libxml/xmlmemory.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>

namespace rt {
namespace {

struct Piece;

// Before every block: the pool's piece it came from (none for a large block) and what it holds.
// As aligned as the C library's blocks, so the block after it is too.
struct alignas(std::max_align_t) Header {
  Piece* piece;
  std::size_t size;
};
constexpr std::size_t kUnit = sizeof(Header);

// Pools for blocks up to this size, one for each multiple of kUnit: a node, a name, a short text.
constexpr std::size_t kLargestPooled = 512;
constexpr std::size_t kPools = kLargestPooled / kUnit;
// Large enough that a document of a million blocks takes few from the system.
constexpr std::size_t kPieceBytes = 64 * 1024;

// A piece of the system heap cut into blocks of one pool's size, handed out from its list of
// freed blocks, else from its room never used (untouched until then).
struct alignas(std::max_align_t) Piece {
  Piece* previous;  // in its pool's list of pieces with room
  Piece* next;
  void* freed;  // each freed block holds the next one
  char* fresh;
  char* end;
  std::size_t pool;
  std::size_t inUse;
  bool listed;
};

// Per pool, its pieces with room: blocks come from the first, pieces that regain room go last so
// that the first ones fill up and the others can empty.
struct Pool {
  Piece* first = nullptr;
  Piece* last = nullptr;
};
Pool g_pools[kPools];
std::atomic_flag g_busy = ATOMIC_FLAG_INIT;

class Lock {
 public:
  Lock() {
    while (g_busy.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~Lock() { g_busy.clear(std::memory_order_release); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

constexpr std::size_t BlockBytes(std::size_t pool) { return kUnit + (pool + 1) * kUnit; }

void Append(Pool& pool, Piece* piece) {
  piece->previous = pool.last;
  piece->next = nullptr;
  (pool.last != nullptr ? pool.last->next : pool.first) = piece;
  pool.last = piece;
  piece->listed = true;
}

void Prepend(Pool& pool, Piece* piece) {
  piece->previous = nullptr;
  piece->next = pool.first;
  (pool.first != nullptr ? pool.first->previous : pool.last) = piece;
  pool.first = piece;
  piece->listed = true;
}

void Remove(Pool& pool, Piece* piece) {
  (piece->previous != nullptr ? piece->previous->next : pool.first) = piece->next;
  (piece->next != nullptr ? piece->next->previous : pool.last) = piece->previous;
  piece->listed = false;
}

bool Full(const Piece& piece) {
  return piece.freed == nullptr && static_cast<std::size_t>(piece.end - piece.fresh) < BlockBytes(piece.pool);
}

Piece* NewPiece(std::size_t pool) {
  void* memory = std::malloc(kPieceBytes);
  if (memory == nullptr) return nullptr;
  auto* piece = static_cast<Piece*>(memory);
  piece->freed = nullptr;
  piece->fresh = static_cast<char*>(memory) + sizeof(Piece);
  piece->end = static_cast<char*>(memory) + kPieceBytes;
  piece->pool = pool;
  piece->inUse = 0;
  return piece;
}

Header* Pooled(std::size_t size) {
  const std::size_t index = size == 0 ? 0 : (size - 1) / kUnit;
  Pool& pool = g_pools[index];
  Header* block = nullptr;
  {
    const Lock lock;
    Piece* piece = pool.first;
    if (piece == nullptr) {
      piece = NewPiece(index);
      if (piece == nullptr) return nullptr;
      Prepend(pool, piece);
    }
    if (piece->freed != nullptr) {
      block = static_cast<Header*>(piece->freed);
      std::memcpy(&piece->freed, block + 1, sizeof piece->freed);
    } else {
      block = reinterpret_cast<Header*>(piece->fresh);
      piece->fresh += BlockBytes(index);
    }
    ++piece->inUse;
    if (Full(*piece)) Remove(pool, piece);
    block->piece = piece;
  }
  block->size = (index + 1) * kUnit;
  return block;
}

Header* Large(std::size_t size) {
  if (size > std::numeric_limits<std::size_t>::max() - kUnit) return nullptr;
  auto* block = static_cast<Header*>(std::malloc(kUnit + size));
  if (block == nullptr) return nullptr;
  block->piece = nullptr;
  block->size = size;
  return block;
}

Header* HeaderOf(void* block) { return static_cast<Header*>(block) - 1; }

}  // namespace

void* PoolAllocate(std::size_t size) {
  Header* block = size <= kLargestPooled ? Pooled(size) : Large(size);
  return block != nullptr ? block + 1 : nullptr;
}

void PoolFree(void* block) {
  if (block == nullptr) return;
  Header* header = HeaderOf(block);
  Piece* piece = header->piece;
  if (piece == nullptr) {
    std::free(header);
    return;
  }
  Piece* emptied = nullptr;
  {
    const Lock lock;
    Pool& pool = g_pools[piece->pool];
    std::memcpy(block, &piece->freed, sizeof piece->freed);
    piece->freed = header;
    --piece->inUse;
    if (!piece->listed) {
      Append(pool, piece);
    } else if (piece->inUse == 0 && (pool.first != piece || piece->next != nullptr)) {
      // One piece stays with the pool, so that a block freed and asked for again in turn does
      // not take a piece from the system each time.
      Remove(pool, piece);
      emptied = piece;
    }
  }
  if (emptied != nullptr) std::free(emptied);
}

void* PoolReallocate(void* block, std::size_t size) {
  if (block == nullptr) return PoolAllocate(size);
  Header* header = HeaderOf(block);
  if (header->piece == nullptr && size > kLargestPooled) {
    if (size > std::numeric_limits<std::size_t>::max() - kUnit) return nullptr;
    auto* moved = static_cast<Header*>(std::realloc(header, kUnit + size));
    if (moved == nullptr) return nullptr;
    moved->size = size;
    return moved + 1;
  }
  // A pooled block that still holds it stays where it is.
  if (header->piece != nullptr && size <= header->size) return block;
  void* moved = PoolAllocate(size);
  if (moved == nullptr) return nullptr;
  std::memcpy(moved, block, size < header->size ? size : header->size);
  PoolFree(block);
  return moved;
}

char* PoolDuplicate(const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(PoolAllocate(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

namespace {

std::atomic<bool> g_pooled{false};
std::atomic<unsigned> g_failedAllocations{0};
std::atomic<std::size_t> g_failFrom{std::numeric_limits<std::size_t>::max()};

void* CountedAllocate(std::size_t size) {
  void* block = size >= g_failFrom.load(std::memory_order_relaxed) ? nullptr
                : g_pooled.load(std::memory_order_relaxed)         ? PoolAllocate(size)
                                                                   : std::malloc(size);
  if (block == nullptr && size != 0) ++g_failedAllocations;
  return block;
}

void* CountedReallocate(void* block, std::size_t size) {
  void* moved = size >= g_failFrom.load(std::memory_order_relaxed) ? nullptr
                : g_pooled.load(std::memory_order_relaxed)         ? PoolReallocate(block, size)
                                                                   : std::realloc(block, size);
  if (moved == nullptr && size != 0) ++g_failedAllocations;
  return moved;
}

void CountedFree(void* block) {
  if (g_pooled.load(std::memory_order_relaxed)) {
    PoolFree(block);
  } else {
    std::free(block);
  }
}

char* CountedDuplicate(const char* text) {
  const std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(CountedAllocate(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

void UseLibraryMemoryPools() {
  g_pooled = true;
  CountLibraryAllocations();
}

void CountLibraryAllocations() { xmlMemSetup(CountedFree, CountedAllocate, CountedReallocate, CountedDuplicate); }

unsigned LibraryAllocationFailures() { return g_failedAllocations.load(); }

void FailLibraryAllocationsFrom(std::size_t bytes) { g_failFrom = bytes; }

}  // namespace rt
