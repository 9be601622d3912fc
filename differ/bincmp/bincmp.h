// The binary differencer's comparison, apart from its entry points.
#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace orv::bincmp {

struct BinOptions {
  bool rcs = false;   // -n
  long context = 0;   // -c, -C
};

// Compares two byte sequences and writes the changes to `out`.
// Returns 0 when equal, 1 when a change was written.
int compare_bytes(std::span<const unsigned char> a, std::span<const unsigned char> b, const BinOptions& opt,
                  std::FILE* out);

}  // namespace orv::bincmp

namespace orv::bincmp {
// Called once a call holds the busy flag (tests use it to re-enter).
void set_busy_hook(void (*hook)());
}  // namespace orv::bincmp
