// Scratch storage of the binary differencer: unnamed files in the temporary
// directory, and a byte spool that keeps its first bytes in memory and the
// rest in such a file.
//
// A change between two long stretches is written only once its end is
// known (its heading counts the bytes of both sides, and file 1's bytes come
// before file 2's), so its bytes must be kept somewhere until then; the
// spool keeps them without letting memory grow with them. Scratch files have
// no name (O_TMPFILE, or a name removed at once where the file system has no
// unnamed files), so nothing is left behind by a process that is killed.
// When the bytes are in memory already and stay there (an input given as a
// span), a spool only notes where they are: no copy, no scratch file.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace orv::bincmp {

// A scratch file that could not be made, written or read: errno value.
struct ScratchError {
  int err;
};

// Opens an unnamed file for reading and writing in the first temporary
// directory that takes one ($TMPDIR, $TMP, $TEMP, /tmp). -1 with errno set
// when none does.
int open_scratch_file();

// Receives bytes in pieces.
using ByteSink = std::function<void(const unsigned char* p, std::size_t n)>;

// Bytes appended at the end and read back in order. At most `memory` bytes
// are held in memory: when more come, those move to the end of a scratch
// file made when first needed. Failures of the scratch file throw
// ScratchError. A borrowing spool keeps no bytes: it notes the pieces
// appended (adjacent pieces join into one), which must stay valid and
// unchanged until the spool is cleared or destroyed; it never makes a
// scratch file.
class Spool {
 public:
  enum class Keep { kCopy, kBorrow };
  explicit Spool(std::size_t memory, Keep keep = Keep::kCopy);
  ~Spool();
  Spool(const Spool&) = delete;
  Spool& operator=(const Spool&) = delete;

  std::size_t size() const { return fileBytes_ + mem_.size() + borrowedBytes_; }
  void append(const unsigned char* p, std::size_t n);
  // Passes bytes [from, to) to sink, in order.
  void replay(std::size_t from, std::size_t to, const ByteSink& sink) const;
  // Empties the spool (the scratch file is kept, cut to nothing).
  void clear();

 private:
  void spill();

  struct Piece {
    const unsigned char* p;
    std::size_t n;
  };

  std::size_t memory_;
  bool borrow_;
  std::vector<Piece> borrowed_;  // a borrowing spool's pieces, in order
  std::size_t borrowedBytes_ = 0;
  std::vector<unsigned char> mem_;  // the bytes after those in the file
  std::size_t fileBytes_ = 0;
  int fd_ = -1;
};

}  // namespace orv::bincmp
