// The memory calls: every block a kel* call hands to its caller comes from
// kelMalloc and goes back through kelFree.
#include "kel/kellib/include/kel.h"

#include <cstdlib>
#include <cstring>

extern "C" KEL_API void* kelMalloc(long size) {
  if (size < 1) return nullptr;
  return std::malloc(static_cast<std::size_t>(size));
}

// A size below 1 answers null and leaves the block to the caller, unchanged.
extern "C" KEL_API void* kelRealloc(void* block, long size) {
  if (size < 1) return nullptr;
  return std::realloc(block, static_cast<std::size_t>(size));
}

extern "C" KEL_API void kelFree(void* block) { std::free(block); }

extern "C" KEL_API char* kelStrdup(const char* text) {
  if (!text) return nullptr;
  const std::size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(kelMalloc(static_cast<long>(n)));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}
