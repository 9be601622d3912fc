// Byte comparison of the binary differencer. Each byte counts as one line,
// numbered from 1. After a difference the comparison resynchronises on the
// first run of 5 equal bytes between a 325-byte window of file 1 and a
// 25-byte window of file 2 (smallest file-1 start first, then smallest
// file-2 start); a window pair without a hit moves on by 320 and 20 bytes,
// keeping 5 bytes of overlap. When either window would run past its file's
// end, everything from the start of the difference to both ends is the last
// change.
#include "bincmp.h"

#include <algorithm>
#include <cstring>

namespace orv::bincmp {

namespace {

constexpr long kWin1 = 325;
constexpr long kWin2 = 25;
constexpr long kRun = 5;

class ChangeWriter {
 public:
  ChangeWriter(std::span<const unsigned char> a, std::span<const unsigned char> b, const BinOptions& o,
               std::FILE* out)
      : a_(a), b_(b), opt_(o), out_(out) {}

  // Change of file-1 bytes [s1, s1 + n1) into file-2 bytes [s2, s2 + n2)
  // (0-based offsets).
  void write(long s1, long n1, long s2, long n2) {
    const long a = s1 + 1, c = s2 + 1;  // byte positions from 1
    if (opt_.rcs) {
      if (n1 == 0) {
        std::fprintf(out_, "a%ld %ld\n", a - 1, n2);
      } else {
        std::fprintf(out_, "d%ld %ld\n", a, n1);
        if (n2 > 0) std::fprintf(out_, "a%ld %ld\n", a + n1 - 1, n2);
      }
      if (n2 > 0) {
        std::fwrite(b_.data() + s2, 1, static_cast<std::size_t>(n2), out_);
        std::fputc('\n', out_);
      }
      return;
    }
    if (n1 == 0) {
      if (n2 == 1)
        std::fprintf(out_, "%lda%ld\n", a, c);
      else
        std::fprintf(out_, "%lda%ld,%ld\n", a, c, c + n2 - 1);
      text("> ", b_.data() + s2, n2);
    } else if (n2 == 0) {
      if (n1 == 1)
        std::fprintf(out_, "%ldd%ld\n", a, c);
      else
        std::fprintf(out_, "%ld,%ldd%ld\n", a, a + n1 - 1, c);
      text("< ", a_.data() + s1, n1);
    } else {
      if (n1 == 1)
        std::fprintf(out_, "%ld", a);
      else
        std::fprintf(out_, "%ld,%ld", a, a + n1 - 1);
      if (n2 == 1)
        std::fprintf(out_, "c%ld\n", c);
      else
        std::fprintf(out_, "c%ld,%ld\n", c, c + n2 - 1);
      text("< ", a_.data() + s1, n1);
      std::fputs("---\n", out_);
      text("> ", b_.data() + s2, n2);
    }
  }

 private:
  // Listing text: printable bytes below 128 and line feeds as they are, other
  // bytes as a backslash and three octal digits.
  void text(const char* marker, const unsigned char* p, long n) {
    std::fputs(marker, out_);
    for (long k = 0; k < n; ++k) {
      unsigned char ch = p[k];
      if (ch == '\n') {
        std::fputc('\n', out_);
        if (k + 1 < n) std::fputs(marker, out_);
      } else if (ch >= 0x20 && ch < 0x7F) {
        std::fputc(ch, out_);
      } else {
        std::fprintf(out_, "\\%03o", ch);
      }
    }
    if (n == 0 || p[n - 1] != '\n') std::fputc('\n', out_);
  }

  std::span<const unsigned char> a_;
  std::span<const unsigned char> b_;
  const BinOptions& opt_;
  std::FILE* out_;
};

}  // namespace

int compare_bytes(std::span<const unsigned char> A, std::span<const unsigned char> B, const BinOptions& opt,
                  std::FILE* out) {
  ChangeWriter w(A, B, opt, out);
  const long n1 = static_cast<long>(A.size()), n2 = static_cast<long>(B.size());
  long i1 = 0, i2 = 0;      // current bytes (0-based)
  long end1 = 0, end2 = 0;  // ends of the last written change: context never reaches back past them
  int result = 0;
  const long c = opt.context;

  for (;;) {
    // Equal run.
    while (i1 < n1 && i2 < n2 && A[static_cast<std::size_t>(i1)] == B[static_cast<std::size_t>(i2)]) {
      ++i1;
      ++i2;
    }
    if (i1 >= n1 && i2 >= n2) break;
    // A difference starts here.
    const long start1 = i1, start2 = i2;
    const long x = std::min({c, start1 - end1, start2 - end2});
    long q1 = 0, q2 = 0;  // bytes of the pending run, no resynchronisation found yet
    bool hit = false;
    long hi = 0, hj = 0;
    while (i1 < n1 && i2 < n2) {
      const long w1 = start1 + q1, w2 = start2 + q2;
      if (w1 + kWin1 > n1 || w2 + kWin2 > n2) break;  // a window runs past its file's end
      const unsigned char* p1 = A.data() + w1;
      const unsigned char* p2 = B.data() + w2;
      for (long i = 0; i <= kWin1 - kRun && !hit; ++i)
        for (long j = 0; j <= kWin2 - kRun; ++j)
          if (std::memcmp(p1 + i, p2 + j, kRun) == 0) {
            hit = true;
            hi = i;
            hj = j;
            break;
          }
      if (hit) break;
      q1 += kWin1 - kRun;
      q2 += kWin2 - kRun;
    }
    if (!hit) {
      // The last change runs from the start of the difference to both ends.
      w.write(start1 - x, n1 - start1 + x, start2 - x, n2 - start2 + x);
      result = 1;
      i1 = n1;
      i2 = n2;
      break;
    }
    // Changed bytes [start, w + i); context of up to x bytes on each side, but
    // never more after the change than the 5 equal bytes that were found.
    const long d1 = q1 + hi, d2 = q2 + hj;
    const long after = std::min(x, kRun);
    w.write(start1 - x, d1 + x + after, start2 - x, d2 + x + after);
    result = 1;
    end1 = start1 + d1 + after;
    end2 = start2 + d2 + after;
    // Skip the changed bytes and the first equal byte.
    i1 = start1 + d1 + 1;
    i2 = start2 + d2 + 1;
  }
  return result;
}

}  // namespace orv::bincmp
