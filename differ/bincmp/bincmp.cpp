// Byte comparison of the binary differencer. Each byte counts as one line,
// numbered from 1. After a difference the comparison resynchronises on the
// first run of 5 equal bytes between a 325-byte window of file 1 and a
// 25-byte window of file 2 (smallest file-1 start first, then smallest
// file-2 start); a window pair without a hit moves on by 320 and 20 bytes,
// keeping 5 bytes of overlap. When either window would run past its file's
// end, everything from the start of the difference to both ends is the last
// change.
//
// The inputs are read in blocks and only a window of each is in memory. The
// bytes of a pending change (each side) and of the equal bytes before it
// that may serve as context are kept in spools (scratch.h), which move to
// scratch files when they grow long; a change is written when its end is
// found, in the same bytes as a whole-file comparison would write it. An
// input in memory is its own window, and spools over it note pieces of it
// (no copy, no scratch file). The output goes to a sink in chunks.
#include "differ/bincmp/bincmp.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "differ/bincmp/scratch.h"

namespace orv::bincmp {

namespace {

constexpr long kWin1 = 325;
constexpr long kWin2 = 25;
constexpr long kRun = 5;

Tuning g_tuning;

// The part of one input in memory: bytes [start_, start_ + len_) at base_.
// Positions asked for never go back before an earlier request's position, so
// the bytes before it can be dropped when the buffer is filled again. An
// input in memory is all there from the start: base_ is its span and no
// buffer is filled.
class Window {
 public:
  explicit Window(ByteInput& in) : in_(in), block_(std::max<std::size_t>(g_tuning.block, 1)) {
    std::string_view bytes;
    if (in.in_memory(bytes)) {
      base_ = reinterpret_cast<const unsigned char*>(bytes.data());
      len_ = static_cast<long>(bytes.size());
      eof_ = true;
      inMemory_ = true;
    } else {
      buf_.resize(block_ + 2 * kWin1);
      base_ = buf_.data();
    }
  }
  // Whether the bytes at() points to stay valid for the whole comparison.
  bool inMemory() const { return inMemory_; }

  // Makes bytes [pos, pos + n) available (n <= kWin1, start_ <= pos <=
  // start_ + len_); false when the input ends first.
  bool ensure(long pos, long n) {
    if (pos + n <= start_ + len_) return true;
    if (eof_) return false;
    const long drop = pos - start_;
    std::memmove(buf_.data(), buf_.data() + drop, static_cast<std::size_t>(len_ - drop));
    start_ = pos;
    len_ -= drop;
    while (len_ < n && !eof_) {
      const std::size_t room = std::min(block_, buf_.size() - static_cast<std::size_t>(len_));
      const std::size_t got = in_.read(buf_.data() + len_, room);
      if (got == 0)
        eof_ = true;
      else
        len_ += static_cast<long>(got);
    }
    return len_ >= n;
  }
  const unsigned char* at(long pos) const { return base_ + (pos - start_); }
  long available(long pos) const { return start_ + len_ - pos; }

  // Appends everything from pos to the input's end to the spool.
  void spoolRest(long pos, Spool& to) {
    while (ensure(pos, 1)) {
      const long n = available(pos);
      to.append(at(pos), static_cast<std::size_t>(n));
      pos += n;
    }
  }

 private:
  ByteInput& in_;
  std::size_t block_;
  std::vector<unsigned char> buf_;
  const unsigned char* base_ = nullptr;
  long start_ = 0;
  long len_ = 0;
  bool eof_ = false;
  bool inMemory_ = false;
};

// The last `limit` equal bytes since the end of the last change: what
// context a change may take before its start. Two segments of up to `limit`
// bytes each take turns; the older one is emptied when the newer one is full.
class History {
 public:
  History(long limit, std::size_t memory, Spool::Keep keep)
      : limit_(static_cast<std::size_t>(std::max(limit, 0L))), seg_{Spool(memory, keep), Spool(memory, keep)} {}

  // Bytes recorded since the last reset.
  long count() const { return count_; }
  void reset() {
    seg_[0].clear();
    seg_[1].clear();
    count_ = 0;
  }
  void add(const unsigned char* p, std::size_t n) {
    count_ += static_cast<long>(n);
    if (limit_ == 0) return;
    if (n >= limit_) {
      seg_[0].clear();
      seg_[1].clear();
      seg_[cur_].append(p + n - limit_, limit_);
      return;
    }
    while (n > 0) {
      if (seg_[cur_].size() == limit_) {
        cur_ ^= 1;
        seg_[cur_].clear();
      }
      const std::size_t k = std::min(n, limit_ - seg_[cur_].size());
      seg_[cur_].append(p, k);
      p += k;
      n -= k;
    }
  }
  // Passes the last x bytes (x <= the limit and the count) to sink.
  void replayLast(std::size_t x, const ByteSink& sink) const {
    const Spool& cur = seg_[cur_];
    const Spool& old = seg_[cur_ ^ 1];
    if (x > cur.size()) old.replay(old.size() - (x - cur.size()), old.size(), sink);
    cur.replay(cur.size() - std::min(x, cur.size()), cur.size(), sink);
  }

 private:
  std::size_t limit_;
  Spool seg_[2];
  int cur_ = 0;
  long count_ = 0;
};

// The output on its way to the sink, gathered into chunks so that the sink
// is not called for every byte.
class Output {
 public:
  explicit Output(diffsup::DiffSink& sink) : sink_(sink) { buf_.reserve(kChunk); }
  void put(char ch) {
    buf_.push_back(ch);
    if (buf_.size() >= kChunk) flush();
  }
  void put(const unsigned char* p, std::size_t n) {
    if (n >= kChunk) {  // a long piece goes on as it is
      flush();
      sink_.write(std::string_view(reinterpret_cast<const char*>(p), n));
      return;
    }
    buf_.append(reinterpret_cast<const char*>(p), n);
    if (buf_.size() >= kChunk) flush();
  }
  void put(const char* s) { put(reinterpret_cast<const unsigned char*>(s), std::strlen(s)); }
  // A heading line: a few numbers, never long.
  void print(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    char line[128];
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    if (n > 0) put(reinterpret_cast<const unsigned char*>(line), std::min<std::size_t>(n, sizeof line - 1));
  }
  void flush() {
    if (buf_.empty()) return;
    sink_.write(buf_);
    buf_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;
  diffsup::DiffSink& sink_;
  std::string buf_;
};

// Listing text: printable bytes below 128 and line feeds as they are, other
// bytes as a backslash and three octal digits; every line opens with the
// marker. Bytes come in pieces.
class ListingText {
 public:
  ListingText(Output& out, const char* marker) : out_(out), marker_(marker) {}
  void put(const unsigned char* p, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
      const unsigned char ch = p[k];
      if (atLineStart_) out_.put(marker_);
      atLineStart_ = false;
      if (ch == '\n') {
        out_.put('\n');
        atLineStart_ = true;
      } else if (ch >= 0x20 && ch < 0x7F) {
        out_.put(static_cast<char>(ch));
      } else {
        const char octal[4] = {'\\', static_cast<char>('0' + (ch >> 6)), static_cast<char>('0' + ((ch >> 3) & 7)),
                               static_cast<char>('0' + (ch & 7))};
        out_.put(reinterpret_cast<const unsigned char*>(octal), 4);
      }
      any_ = true;
      last_ = ch;
    }
  }
  // An empty text is the marker alone; the text always ends its line.
  void finish() {
    if (!any_) out_.put(marker_);
    if (!any_ || last_ != '\n') out_.put('\n');
  }

 private:
  Output& out_;
  const char* marker_;
  bool atLineStart_ = true;
  bool any_ = false;
  unsigned char last_ = 0;
};

class ChangeWriter {
 public:
  ChangeWriter(const BinOptions& o, diffsup::DiffSink& out) : opt_(o), out_(out) {}

  // Change of file-1 bytes [s1, s1 + n1) into file-2 bytes [s2, s2 + n2)
  // (0-based offsets). Each side is the last x bytes of the history (the
  // context, equal in both files) followed by the side's spool. The change
  // reaches the sink as soon as it is written.
  void write(long s1, long n1, long s2, long n2, const History& h, long x, const Spool& side1,
             const Spool& side2) {
    emit(s1, n1, s2, n2, h, x, side1, side2);
    out_.flush();
  }

 private:
  void emit(long s1, long n1, long s2, long n2, const History& h, long x, const Spool& side1,
            const Spool& side2) {
    const long a = s1 + 1, c = s2 + 1;  // byte positions from 1
    if (opt_.rcs) {
      if (n1 == 0) {
        out_.print("a%ld %ld\n", a - 1, n2);
      } else {
        out_.print("d%ld %ld\n", a, n1);
        if (n2 > 0) out_.print("a%ld %ld\n", a + n1 - 1, n2);
      }
      if (n2 > 0) {
        const ByteSink raw = [this](const unsigned char* p, std::size_t n) { out_.put(p, n); };
        h.replayLast(static_cast<std::size_t>(x), raw);
        side2.replay(0, side2.size(), raw);
        out_.put('\n');
      }
      return;
    }
    if (n1 == 0) {
      if (n2 == 1)
        out_.print("%lda%ld\n", a, c);
      else
        out_.print("%lda%ld,%ld\n", a, c, c + n2 - 1);
      text("> ", h, x, side2);
    } else if (n2 == 0) {
      if (n1 == 1)
        out_.print("%ldd%ld\n", a, c);
      else
        out_.print("%ld,%ldd%ld\n", a, a + n1 - 1, c);
      text("< ", h, x, side1);
    } else {
      if (n1 == 1)
        out_.print("%ld", a);
      else
        out_.print("%ld,%ld", a, a + n1 - 1);
      if (n2 == 1)
        out_.print("c%ld\n", c);
      else
        out_.print("c%ld,%ld\n", c, c + n2 - 1);
      text("< ", h, x, side1);
      out_.put("---\n");
      text("> ", h, x, side2);
    }
  }

  void text(const char* marker, const History& h, long x, const Spool& side) {
    ListingText t(out_, marker);
    const ByteSink sink = [&t](const unsigned char* p, std::size_t n) { t.put(p, n); };
    h.replayLast(static_cast<std::size_t>(x), sink);
    side.replay(0, side.size(), sink);
    t.finish();
  }

  const BinOptions& opt_;
  Output out_;
};

// Length of the common prefix of p and q (n bytes each).
long commonPrefix(const unsigned char* p, const unsigned char* q, long n) {
  long k = 0;
  constexpr long kStep = 256;
  while (k + kStep <= n && std::memcmp(p + k, q + k, kStep) == 0) k += kStep;
  while (k < n && p[k] == q[k]) ++k;
  return k;
}

}  // namespace

std::size_t MemoryInput::read(unsigned char* buf, std::size_t len) {
  const std::size_t n = std::min(len, bytes_.size() - read_);
  std::memcpy(buf, bytes_.data() + read_, n);
  read_ += n;
  return n;
}

void set_tuning(const Tuning& t) { g_tuning = t; }
const Tuning& tuning() { return g_tuning; }

int compare_streams(ByteInput& in1, ByteInput& in2, const BinOptions& opt, diffsup::DiffSink& out) {
  Window A(in1), B(in2);
  ChangeWriter w(opt, out);
  // Bytes of an input in memory are noted where they are, not copied.
  const auto keep = [](const Window& win) { return win.inMemory() ? Spool::Keep::kBorrow : Spool::Keep::kCopy; };
  History history(opt.context, g_tuning.spoolMemory, keep(A));
  Spool side1(g_tuning.spoolMemory, keep(A)), side2(g_tuning.spoolMemory, keep(B));
  long i1 = 0, i2 = 0;  // current bytes (0-based)
  long end1 = 0;        // end of the last written change in file 1: context never reaches back past it
  int result = 0;
  const long c = opt.context;

  for (;;) {
    // Equal run. Its bytes from the end of the last change on are the
    // history; the distance from that end is the same in both files.
    bool more1 = false, more2 = false;
    for (;;) {
      more1 = A.ensure(i1, 1);
      more2 = B.ensure(i2, 1);
      if (!more1 || !more2) break;
      const long m = std::min(A.available(i1), B.available(i2));
      const long k = commonPrefix(A.at(i1), B.at(i2), m);
      if (i1 + k > end1) {
        const long from = std::max(i1, end1);
        history.add(A.at(from), static_cast<std::size_t>(i1 + k - from));
      }
      i1 += k;
      i2 += k;
      if (k < m) break;
    }
    if (!more1 && !more2) break;
    // A difference starts here.
    const long start1 = i1, start2 = i2;
    const long x = std::min(c, history.count());
    side1.clear();
    side2.clear();
    long q1 = 0, q2 = 0;  // bytes of the pending run, no resynchronisation found yet
    bool hit = false;
    long hi = 0, hj = 0;
    while (more1 && more2) {
      const long w1 = start1 + q1, w2 = start2 + q2;
      if (!A.ensure(w1, kWin1) || !B.ensure(w2, kWin2)) break;  // a window runs past its file's end
      const unsigned char* p1 = A.at(w1);
      const unsigned char* p2 = B.at(w2);
      for (long i = 0; i <= kWin1 - kRun && !hit; ++i)
        for (long j = 0; j <= kWin2 - kRun; ++j)
          if (std::memcmp(p1 + i, p2 + j, kRun) == 0) {
            hit = true;
            hi = i;
            hj = j;
            break;
          }
      if (hit) break;
      side1.append(p1, kWin1 - kRun);
      side2.append(p2, kWin2 - kRun);
      q1 += kWin1 - kRun;
      q2 += kWin2 - kRun;
    }
    if (!hit) {
      // The last change runs from the start of the difference to both ends.
      A.spoolRest(start1 + q1, side1);
      B.spoolRest(start2 + q2, side2);
      const long n1 = static_cast<long>(side1.size()), n2 = static_cast<long>(side2.size());
      w.write(start1 - x, n1 + x, start2 - x, n2 + x, history, x, side1, side2);
      result = 1;
      break;
    }
    // Changed bytes [start, w + i); context of up to x bytes on each side, but
    // never more after the change than the 5 equal bytes that were found.
    const long d1 = q1 + hi, d2 = q2 + hj;
    const long after = std::min(x, kRun);
    side1.append(A.at(start1 + q1), static_cast<std::size_t>(hi + after));
    side2.append(B.at(start2 + q2), static_cast<std::size_t>(hj + after));
    w.write(start1 - x, d1 + x + after, start2 - x, d2 + x + after, history, x, side1, side2);
    result = 1;
    end1 = start1 + d1 + after;
    history.reset();
    // Skip the changed bytes and the first equal byte; a change without
    // context ends before that byte, which is then the first of the history.
    i1 = start1 + d1 + 1;
    i2 = start2 + d2 + 1;
    if (end1 < i1) history.add(A.at(end1), static_cast<std::size_t>(i1 - end1));
  }
  return result;
}

}  // namespace orv::bincmp
