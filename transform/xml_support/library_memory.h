// The XML libraries' memory. A large document is millions of small blocks (nodes, their names'
// and texts' copies, XPath's node sets) allocated and freed in turn; the system heap under Wine
// searches long lists of free blocks for each and took more than half of a transformation's time.
// Here a small block comes from a pool of blocks of its own size, carved from large pieces of the
// system heap, and goes back to that pool when freed; a pool's piece with no block in use goes
// back to the system. Larger blocks are the system heap's.
#pragma once

#include <cstddef>

namespace rt {

// Makes the libraries allocate from the pools: in a process that uses them, before any other call
// into them (what they allocated before would be freed into the wrong place).
void UseLibraryMemoryPools();

// Every allocation of the libraries through the program, from the pools or the C library's heap,
// so that one that fails is counted: the libraries may go on with a wrong value without saying so.
// Before the libraries are first used; the pools, when used, are kept.
void CountLibraryAllocations();
unsigned LibraryAllocationFailures();
// Larger single allocations fail as when memory runs out (for tests); by default none does.
void FailLibraryAllocationsFrom(std::size_t bytes);

// The functions the libraries are given: malloc, realloc, free and strdup as the C library's,
// safe from any thread.
void* PoolAllocate(std::size_t size);
void* PoolReallocate(void* block, std::size_t size);
void PoolFree(void* block);
char* PoolDuplicate(const char* text);

}  // namespace rt
