// The binary differencer's comparison, apart from its entry points.
//
// The comparison reads its two inputs in blocks and writes each change as
// soon as it is known, so that memory stays bounded whatever the sizes of the
// files: a window of each input, and the bytes of the pending change and of
// the context before it, which go to scratch files once they outgrow a set
// amount of memory (scratch.h). An input may also be a span of bytes in
// memory: the comparison then reads it in place, and the pending change and
// its context are noted as pieces of the spans instead of copies
// (bin_diff.h is that form's entry).
#pragma once

#include <cstddef>
#include <string_view>

#include "differ/support/diff_sink.h"

namespace orv::bincmp {

struct BinOptions {
  bool rcs = false;   // -n
  long context = 0;   // -c, -C
};

// One input of the comparison, read in blocks from its start. read() stores
// up to len bytes and returns their count, 0 at the end; an input that
// cannot be read throws (the caller's own exception, passed through). An
// input whose bytes are all in memory says so through in_memory(), and is
// then read in place, never through read().
class ByteInput {
 public:
  virtual ~ByteInput() = default;
  virtual std::size_t read(unsigned char* buf, std::size_t len) = 0;
  // True with the whole input in `bytes` when it is a span in memory that
  // stays valid and unchanged during the comparison.
  virtual bool in_memory(std::string_view& bytes) const {
    (void)bytes;
    return false;
  }
};

// An input that is a span of memory (not copied).
class MemoryInput final : public ByteInput {
 public:
  explicit MemoryInput(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(unsigned char* buf, std::size_t len) override;
  bool in_memory(std::string_view& bytes) const override {
    bytes = bytes_;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t read_ = 0;
};

// Compares two inputs byte by byte, each to its end, and writes the changes
// to `out`. Returns 0 when equal, 1 when a change was written. A scratch file
// that cannot be made, written or read back throws ScratchError (never when
// both inputs are in memory: no scratch file is needed then).
int compare_streams(ByteInput& a, ByteInput& b, const BinOptions& opt, diffsup::DiffSink& out);

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
