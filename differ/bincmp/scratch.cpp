// Scratch files and the byte spool of the binary differencer (see
// scratch.h). Every call goes through the system-call seam, so tests can
// make a scratch file fail like any other.
#include "differ/bincmp/scratch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/fs/temp_file.h"
#include "platform/sys/system_calls.h"

namespace orv::bincmp {

int open_scratch_file() {
  int err = ENOENT;
  for (const std::string& dir : fs::temporaryDirectories()) {
    int fd = fs::openUnnamed(dir, 0600);
    if (fd >= 0) return fd;
    err = errno;
    if (!fs::unnamedUnsupported(err)) continue;
    // No unnamed files here: a fresh name, removed as soon as it is open.
    const unsigned pid = static_cast<unsigned>(sys::calls().getpid());
    fs::CreatedFile f = fs::createUnique(
        [&](unsigned n) { return dir + "/orv-diffb." + std::to_string(pid) + "." + std::to_string(n); }, 100,
        0600);
    if (f.fd >= 0) {
      sys::calls().unlink(f.path.c_str());
      return f.fd;
    }
    err = f.error;
  }
  errno = err;
  return -1;
}

Spool::Spool(std::size_t memory, Keep keep)
    : memory_(std::max<std::size_t>(memory, 1)), borrow_(keep == Keep::kBorrow) {}

Spool::~Spool() {
  if (fd_ >= 0) sys::calls().close(fd_);
}

void Spool::append(const unsigned char* p, std::size_t n) {
  if (borrow_) {
    if (n == 0) return;
    if (!borrowed_.empty() && borrowed_.back().p + borrowed_.back().n == p)
      borrowed_.back().n += n;
    else
      borrowed_.push_back(Piece{p, n});
    borrowedBytes_ += n;
    return;
  }
  while (n > 0) {
    if (mem_.size() >= memory_) spill();
    const std::size_t k = std::min(n, memory_ - mem_.size());
    mem_.insert(mem_.end(), p, p + k);
    p += k;
    n -= k;
  }
}

void Spool::spill() {
  if (fd_ < 0) {
    fd_ = open_scratch_file();
    if (fd_ < 0) throw ScratchError{errno};
  }
  if (!sys::writeAll(fd_, mem_.data(), mem_.size())) throw ScratchError{errno};
  fileBytes_ += mem_.size();
  mem_.clear();
}

void Spool::replay(std::size_t from, std::size_t to, const ByteSink& sink) const {
  to = std::min(to, size());
  if (borrow_) {
    std::size_t at = 0;  // offset of the piece's first byte
    for (const Piece& piece : borrowed_) {
      if (at >= to) break;
      const std::size_t lo = std::max(from, at), hi = std::min(to, at + piece.n);
      if (lo < hi) sink(piece.p + (lo - at), hi - lo);
      at += piece.n;
    }
    return;
  }
  if (from < fileBytes_) {
    std::vector<unsigned char> buf(std::min<std::size_t>(64 * 1024, fileBytes_ - from));
    while (from < std::min(to, fileBytes_)) {
      const std::size_t want = std::min(buf.size(), std::min(to, fileBytes_) - from);
      const ssize_t got = sys::calls().pread(fd_, buf.data(), want, static_cast<off_t>(from));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) throw ScratchError{got < 0 ? errno : EIO};
      sink(buf.data(), static_cast<std::size_t>(got));
      from += static_cast<std::size_t>(got);
    }
  }
  if (to > from) sink(mem_.data() + (from - fileBytes_), to - from);
}

void Spool::clear() {
  borrowed_.clear();
  borrowedBytes_ = 0;
  mem_.clear();
  if (fileBytes_ > 0) {
    // The file is cut and written again from its start.
    if (sys::calls().ftruncate(fd_, 0) != 0 || sys::calls().lseek(fd_, 0, SEEK_SET) != 0)
      throw ScratchError{errno};
    fileBytes_ = 0;
  }
}

}  // namespace orv::bincmp
