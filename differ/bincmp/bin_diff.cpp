// The binary differencer in memory (see bin_diff.h): both inputs as spans,
// the comparison of bincmp.cpp over them.
#include "differ/bincmp/bin_diff.h"

#include <cstring>
#include <new>

#include "differ/bincmp/scratch.h"

namespace orv::bincmp {

int diff_bytes(std::string_view bytes1, std::string_view bytes2, const BinOptions& options, diffsup::DiffSink& out,
               std::string* message) {
  MemoryInput in1(bytes1), in2(bytes2);
  try {
    return compare_streams(in1, in2, options, out);
  } catch (const std::bad_alloc&) {
    if (message) *message = "insufficient memory";
    return 2;
  } catch (const ScratchError& e) {
    // Not expected: spools over inputs in memory make no scratch file.
    if (message) *message = std::string("scratch file: ") + std::strerror(e.err);
    return 2;
  }
}

}  // namespace orv::bincmp
