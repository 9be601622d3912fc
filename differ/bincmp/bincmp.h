// The binary differencer's comparison, apart from its entry points.
//
// The comparison reads its two inputs in blocks and writes each change as
// soon as it is known, so that memory stays bounded whatever the sizes of the
// files: a window of each input, and the bytes of the pending change and of
// the context before it, which go to scratch files once they outgrow a set
// amount of memory (scratch.h).
#pragma once

#include <cstddef>
#include <cstdio>

namespace orv::bincmp {

struct BinOptions {
  bool rcs = false;   // -n
  long context = 0;   // -c, -C
};

// One input of the comparison, read in blocks from its start. read() stores
// up to len bytes and returns their count, 0 at the end; an input that
// cannot be read throws (the caller's own exception, passed through).
class ByteInput {
 public:
  virtual ~ByteInput() = default;
  virtual std::size_t read(unsigned char* buf, std::size_t len) = 0;
};

// Compares two inputs byte by byte, each to its end, and writes the changes
// to `out`. Returns 0 when equal, 1 when a change was written. A scratch file
// that cannot be made, written or read back throws ScratchError.
int compare_streams(ByteInput& a, ByteInput& b, const BinOptions& opt, std::FILE* out);

// Sizes that bound the memory of a comparison: the block read from an input
// at a time, and the bytes a pending change (each side) or the context keeps
// in memory before it moves to a scratch file. Tests make them small, so
// that short files cross many blocks and spill.
struct Tuning {
  std::size_t block = 64 * 1024;
  std::size_t spoolMemory = 1024 * 1024;
};
void set_tuning(const Tuning& t);
const Tuning& tuning();

}  // namespace orv::bincmp

namespace orv::bincmp {
// Called once a call holds the busy flag (tests use it to re-enter).
void set_busy_hook(void (*hook)());
}  // namespace orv::bincmp
