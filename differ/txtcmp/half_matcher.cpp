// The first pass over the common lines and the half-hearted matcher.
//
// The half-hearted matcher needs little memory of its own: it reads both
// texts forward together, one line of each per step, keeping only the hashes
// read since the last resynchronisation, and walks the anti-diagonals of the
// (file 1, file 2) line grid in a zig-zag until it meets a pair of equal
// hashes (or both ends).
// The lines before that pair form one change; the texts are read again from
// the cycle's start to write it, then the first pass goes on.
#include <cstdint>
#include <new>
#include <vector>

#include "differ/txtcmp/matchers.h"

namespace orv::txtcmp {

bool skip_common(PairContext& ctx) {
  std::string_view l1, l2;
  for (;;) {
    const long o1 = ctx.f1.tell(), o2 = ctx.f2.tell();
    const bool got1 = ctx.f1.next(l1);
    const bool got2 = ctx.f2.next(l2);
    if (!got1 && !got2) return true;
    if (!got1 || !got2 || line_compare(l1, l2, ctx.opt.rules) != 0) {
      ctx.f1.seek(o1);
      ctx.f2.seek(o2);
      return false;
    }
    ctx.w.common(l1, l2);
    ++ctx.w.off1;
    ++ctx.w.off2;
  }
}

namespace {

constexpr std::uint32_t kEnd = 0x10000;  // hash slot of a file that has ended

std::uint32_t next_hash(InputText& f) {
  std::string_view line;
  std::uint16_t hash = 0;
  return f.next(line, hash) ? hash : kEnd;
}

// One cycle: finds the resynchronisation point from the current lines and
// writes the change before it.
void half_cycle(PairContext& ctx) {
  InputText& f1 = ctx.f1;
  InputText& f2 = ctx.f2;
  const long start1 = f1.tell(), start2 = f2.tell();
  std::vector<std::uint32_t> h1, h2;  // hashes of the lines read this cycle
  h1.reserve(100);
  h2.reserve(100);
  h1.push_back(next_hash(f1));
  h2.push_back(next_hash(f2));

  auto probe = [&](std::size_t b, std::size_t c) { return h1[b] == h2[c]; };
  std::size_t b = 0, c = 0;  // current line of file 1 and of file 2 in the cycle
  int dir = 0;
  bool found = probe(b, c);
  while (!found) {
    // Step one line further along the current direction, unless that file
    // has ended there.
    bool in_file1 = dir == 1 ? h2[c] == kEnd : h1[b] != kEnd;
    h1.push_back(next_hash(f1));
    h2.push_back(next_hash(f2));
    if (in_file1)
      ++b;
    else
      ++c;
    found = probe(b, c);
    // Slide along the anti-diagonal, probing each position.
    while (!found) {
      if (dir == 1) {
        if (c == 0 || h1[b] == kEnd) break;
        ++b;
        --c;
      } else {
        if (b == 0 || h2[c] == kEnd) break;
        --b;
        ++c;
      }
      found = probe(b, c);
    }
    dir ^= 1;
  }
  // Back up over equal hashes just before the meeting point.
  while (b > 0 && c > 0 && h1[b - 1] == h2[c - 1]) {
    --b;
    --c;
  }
  long n1 = static_cast<long>(b), n2 = static_cast<long>(c);
  if (n1 == 0 && n2 == 0) n1 = n2 = 1;  // first lines differ but hash equal

  f1.seek(start1);
  f2.seek(start2);
  DiffWriter& w = ctx.w;
  if (n1 == 0)
    w.change('a', 0, 0, 1, n2);
  else if (n2 == 0)
    w.change('d', 1, n1, 0, 0);
  else
    w.change('c', 1, n1, 1, n2);
  std::string_view line;
  for (long k = 0; k < n1 && f1.next(line); ++k) w.deleted(line);
  w.separator();
  for (long k = 0; k < n2 && f2.next(line); ++k) w.added(line);
  w.end_change();
  w.off1 += n1;
  w.off2 += n2;
}

}  // namespace

int half_match(PairContext& ctx) {
  try {
    while (!skip_common(ctx)) half_cycle(ctx);
  } catch (const std::bad_alloc&) {
    ctx.msgs.set_plain("insufficient memory");
    throw FatalError{};
  }
  ctx.w.end_output();
  return 1;
}

}  // namespace orv::txtcmp
