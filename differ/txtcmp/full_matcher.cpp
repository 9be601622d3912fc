// Full matcher: a shortest edit script by Myers' greedy O(ND) search with the
// linear-space middle-snake refinement. Each segment of both files is taken
// from the input texts, the common end is dropped, every other line gets its
// class (lines of one class compare equal, see line_classes.h), lines whose
// class the other file lacks are set aside, and the search over the classes
// of the rest fills J. Time grows with the number of differences among the
// lines both files hold, not with how often lines repeat nor with how many
// lines only one file has. Matched lines are then compared for real: a
// collision of the classes' 64-bit hashes becomes a change before any change
// is written, so each unmatched run is one maximal change.
//
// Memory: every table the matcher makes is charged against a fixed budget
// (the texts and their line index are the caller's, made before matching);
// past it the segment is abandoned and the caller may fall back to the
// half-hearted matcher.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "differ/txtcmp/line_classes.h"
#include "differ/txtcmp/matchers.h"

namespace orv::txtcmp {

namespace {

struct OutOfMemory {};

class Budget {
 public:
  explicit Budget(std::size_t limit) : limit_(limit) {}
  void charge(std::size_t bytes) {
    used_ += bytes;
    if (used_ > limit_) throw OutOfMemory{};
  }
  template <class V>
  void reserve(V& v, std::size_t n) {
    if (n > v.capacity()) {
      charge((n - v.capacity()) * sizeof(typename V::value_type));
      v.reserve(n);
    }
  }
  template <class V, class T>
  void push(V& v, const T& x) {
    if (v.size() == v.capacity()) reserve(v, std::max<std::size_t>(500, 2 * v.capacity()));
    v.push_back(x);
  }

 private:
  std::size_t used_ = 0;
  std::size_t limit_;
};

// The lines of one file's segment, numbered from 1: a view of the input
// text's lines.
struct SegmentLines {
  const InputText* in = nullptr;
  long before = 0;                      // the file's lines before the segment
  long n = 0;
  long count() const { return n; }
  std::string_view line(long k) const { return in->line(before + k); }
};

// Takes up to `limit` lines from the current position; true when the limit
// stopped the taking.
bool read_segment(InputText& f, SegmentLines& s, long limit) {
  s.in = &f;
  s.before = f.tell();
  const long avail = f.count() - s.before;
  s.n = avail < limit ? avail : limit;
  return f.advance(limit);
}

// The common end of a segment's two files, dropped before matching: lines
// l1 + 1 .. n1 of file 1 equal lines l2 + 1 .. n2 of file 2.
struct CommonEnd {
  std::int32_t l1, l2;
};

CommonEnd drop_common_end(const SegmentLines& a, const SegmentLines& b, const LineRules& rules) {
  std::int32_t l1 = static_cast<std::int32_t>(a.count()), l2 = static_cast<std::int32_t>(b.count());
  while (l1 > 0 && l2 > 0 && line_compare(a.line(l1), b.line(l2), rules) == 0) {
    --l1;
    --l2;
  }
  return {l1, l2};
}

// Myers' greedy O(ND) search for a shortest edit script over the two class
// sequences, in linear space: the middle snake of each box splits it into two
// boxes whose edit distances add up to the box's, and each half is searched
// the same way. No heuristic cuts the search short, so the script is
// minimal. Lines are indexed from 0 here (x is file-1 line x + 1).
class MiddleSnakeSearch {
 public:
  MiddleSnakeSearch(const std::int32_t* a, const std::int32_t* b, std::int32_t n1, std::int32_t n2,
                    std::vector<std::int32_t>& J, Budget& budget)
      : a_(a), b_(b), J_(J), off_(static_cast<std::ptrdiff_t>(n2) + 1) {
    const std::size_t size = static_cast<std::size_t>(n1) + static_cast<std::size_t>(n2) + 3;
    budget.reserve(fwd_store_, size);
    budget.reserve(bwd_store_, size);
    fwd_store_.assign(size, 0);
    bwd_store_.assign(size, 0);
    fd_ = fwd_store_.data() + off_;
    bd_ = bwd_store_.data() + off_;
  }

  // Matches file-1 lines [xoff, xlim) against file-2 lines [yoff, ylim).
  void compare(std::int32_t xoff, std::int32_t xlim, std::int32_t yoff, std::int32_t ylim) {
    for (;;) {
      while (xoff < xlim && yoff < ylim && a_[xoff] == b_[yoff]) match(xoff++, yoff++);
      while (xoff < xlim && yoff < ylim && a_[xlim - 1] == b_[ylim - 1]) match(--xlim, --ylim);
      if (xoff == xlim || yoff == ylim) return;  // only insertions or only deletions
      const Split s = split(xoff, xlim, yoff, ylim);
      // The smaller box by recursion, the larger by the loop: the depth
      // stays logarithmic.
      if ((s.x - xoff) + (s.y - yoff) < (xlim - s.x) + (ylim - s.y)) {
        compare(xoff, s.x, yoff, s.y);
        xoff = s.x;
        yoff = s.y;
      } else {
        compare(s.x, xlim, s.y, ylim);
        xlim = s.x;
        ylim = s.y;
      }
    }
  }

 private:
  struct Split {
    std::int32_t x, y;
  };

  void match(std::int32_t x, std::int32_t y) { J_[static_cast<std::size_t>(x) + 1] = y + 1; }

  // A point on a shortest path through the box, strictly inside it (the box
  // is trimmed: its first and last lines differ). fd_[k]: the furthest x
  // the forward search reached on diagonal k = x - y; bd_[k]: the least x
  // the backward search reached.
  Split split(std::int32_t xoff, std::int32_t xlim, std::int32_t yoff, std::int32_t ylim) {
    const std::int32_t dmin = xoff - ylim, dmax = xlim - yoff;
    const std::int32_t fmid = xoff - yoff, bmid = xlim - ylim;
    const bool odd = ((fmid - bmid) & 1) != 0;
    std::int32_t fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
    fd_[fmid] = xoff;
    bd_[bmid] = xlim;
    for (;;) {
      if (fmin > dmin)
        fd_[--fmin - 1] = -1;
      else
        ++fmin;
      if (fmax < dmax)
        fd_[++fmax + 1] = -1;
      else
        --fmax;
      for (std::int32_t d = fmax; d >= fmin; d -= 2) {
        const std::int32_t lo = fd_[d - 1], hi = fd_[d + 1];
        std::int32_t x = lo >= hi ? lo + 1 : hi;
        std::int32_t y = x - d;
        while (x < xlim && y < ylim && a_[x] == b_[y]) {
          ++x;
          ++y;
        }
        fd_[d] = x;
        if (odd && bmin <= d && d <= bmax && bd_[d] <= x) return {x, y};
      }
      if (bmin > dmin)
        bd_[--bmin - 1] = kFar;
      else
        ++bmin;
      if (bmax < dmax)
        bd_[++bmax + 1] = kFar;
      else
        --bmax;
      for (std::int32_t d = bmax; d >= bmin; d -= 2) {
        const std::int32_t lo = bd_[d - 1], hi = bd_[d + 1];
        std::int32_t x = lo < hi ? lo : hi - 1;
        std::int32_t y = x - d;
        while (x > xoff && y > yoff && a_[x - 1] == b_[y - 1]) {
          --x;
          --y;
        }
        bd_[d] = x;
        if (!odd && fmin <= d && d <= fmax && x <= fd_[d]) return {x, y};
      }
    }
  }

  static constexpr std::int32_t kFar = 0x7FFFFFFF;
  const std::int32_t* a_;
  const std::int32_t* b_;
  std::vector<std::int32_t>& J_;
  std::ptrdiff_t off_;
  std::vector<std::int32_t> fwd_store_, bwd_store_;
  std::int32_t* fd_ = nullptr;
  std::int32_t* bd_ = nullptr;
};

// The lines of one file before the common end that the other file also
// holds: their classes, and their line numbers (from 0).
struct Matchable {
  std::vector<std::int32_t> cls, at;
};

// Classes the lines before the common end and keeps the matchable ones.
void classify(const SegmentLines& a, const SegmentLines& b, CommonEnd end, const LineRules& rules, Budget& budget,
              Matchable& ma, Matchable& mb) {
  const auto n1 = static_cast<std::size_t>(end.l1), n2 = static_cast<std::size_t>(end.l2);
  budget.charge(LineClassifier::bytes_for(n1 + n2));
  LineClassifier classes(rules, n1 + n2);
  std::vector<std::int32_t> ca, cb;
  budget.reserve(ca, n1);
  budget.reserve(cb, n2);
  for (std::size_t k = 1; k <= n1; ++k) ca.push_back(classes.class_of(a.line(static_cast<long>(k))));
  for (std::size_t k = 1; k <= n2; ++k) cb.push_back(classes.class_of(b.line(static_cast<long>(k))));
  std::vector<std::uint8_t> held;  // bit 1: file 1 holds the class; bit 2: file 2
  budget.reserve(held, static_cast<std::size_t>(classes.classes()));
  held.assign(static_cast<std::size_t>(classes.classes()), 0);
  for (std::int32_t c : ca) held[static_cast<std::size_t>(c)] |= 1;
  for (std::int32_t c : cb) held[static_cast<std::size_t>(c)] |= 2;
  auto keep = [&](const std::vector<std::int32_t>& c, Matchable& m) {
    std::size_t n = 0;
    for (std::int32_t x : c) n += held[static_cast<std::size_t>(x)] == 3;
    budget.reserve(m.cls, n);
    budget.reserve(m.at, n);
    for (std::size_t i = 0; i < c.size(); ++i)
      if (held[static_cast<std::size_t>(c[i])] == 3) {
        m.cls.push_back(c[i]);
        m.at.push_back(static_cast<std::int32_t>(i));
      }
  };
  keep(ca, ma);
  keep(cb, mb);
}

// The shortest edit script over the lines before the common end, as matches
// in J: the search runs over the matchable lines only, and its matches are
// carried back to the lines' own numbers.
void match_before_common_end(const SegmentLines& a, const SegmentLines& b, CommonEnd end, const LineRules& rules,
                             Budget& budget, std::vector<std::int32_t>& J) {
  Matchable ma, mb;
  classify(a, b, end, rules, budget, ma, mb);
  const auto m1 = static_cast<std::int32_t>(ma.cls.size()), m2 = static_cast<std::int32_t>(mb.cls.size());
  if (m1 == 0 || m2 == 0) return;
  std::vector<std::int32_t> K;  // K[x + 1]: the matchable file-2 line (from 1) of matchable file-1 line x
  budget.reserve(K, static_cast<std::size_t>(m1) + 2);
  K.assign(static_cast<std::size_t>(m1) + 2, 0);
  {
    MiddleSnakeSearch search(ma.cls.data(), mb.cls.data(), m1, m2, K, budget);
    search.compare(0, m1, 0, m2);
  }
  for (std::int32_t x = 0; x < m1; ++x) {
    const std::int32_t y = K[static_cast<std::size_t>(x) + 1];
    if (y != 0)
      J[static_cast<std::size_t>(ma.at[static_cast<std::size_t>(x)]) + 1] = mb.at[static_cast<std::size_t>(y) - 1] + 1;
  }
}

// Computes J for the segment: J[i] = matched file-2 line of file-1 line i, or
// 0; J[n1 + 1] = n2 + 1 closes it.
std::vector<std::int32_t> match_lines(const SegmentLines& a, const SegmentLines& b, const LineRules& rules,
                                      Budget& budget) {
  const std::int32_t n1 = static_cast<std::int32_t>(a.count());
  const std::int32_t n2 = static_cast<std::int32_t>(b.count());
  std::vector<std::int32_t> J;
  budget.reserve(J, static_cast<std::size_t>(n1) + 2);
  J.assign(static_cast<std::size_t>(n1) + 2, 0);
  const CommonEnd end = drop_common_end(a, b, rules);
  if (end.l1 > 0 && end.l2 > 0) match_before_common_end(a, b, end, rules, budget, J);
  // The dropped common end matches by position.
  for (std::int32_t i = end.l1 + 1; i <= n1; ++i) J[static_cast<std::size_t>(i)] = i + end.l2 - end.l1;
  J[static_cast<std::size_t>(n1) + 1] = n2 + 1;
  return J;
}

// Confirms every match with the real comparison: a hash collision becomes a
// change before any change is written.
void confirm_matches(const SegmentLines& a, const SegmentLines& b, const LineRules& rules,
                     std::vector<std::int32_t>& J) {
  for (long i = 1; i <= a.count(); ++i) {
    std::int32_t& j = J[static_cast<std::size_t>(i)];
    if (j != 0 && line_compare(a.line(i), b.line(j), rules) != 0) j = 0;
  }
}

// Writes the segment: common lines, and each unmatched run as one change
// (added, deleted or changed lines); then moves the writer's offsets past it.
void write_segment(DiffWriter& w, const SegmentLines& a, const SegmentLines& b,
                   const std::vector<std::int32_t>& J) {
  const long n1 = a.count(), n2 = b.count();
  long i = 1, j = 1;
  while (i <= n1 || j <= n2) {
    if (i <= n1 && J[static_cast<std::size_t>(i)] == j) {
      w.common(a.line(i), b.line(j));
      ++i;
      ++j;
      continue;
    }
    long k = i;
    while (k <= n1 && J[static_cast<std::size_t>(k)] == 0) ++k;
    const long jk = J[static_cast<std::size_t>(k)];
    if (k == i)
      w.change('a', i - 1, i - 1, j, jk - 1);
    else if (jk == j)
      w.change('d', i, k - 1, j - 1, j - 1);
    else
      w.change('c', i, k - 1, j, jk - 1);
    for (long m = i; m < k; ++m) w.deleted(a.line(m));
    w.separator();
    for (long m = j; m < jk; ++m) w.added(b.line(m));
    w.end_change();
    i = k;
    j = jk;
  }
  w.off1 += n1;
  w.off2 += n2;
}

}  // namespace

int full_match(PairContext& ctx) {
  DiffWriter& w = ctx.w;
  const long seglen = ctx.opt.seglen;
  for (;;) {
    const long s1 = ctx.f1.tell(), s2 = ctx.f2.tell();
    bool more = false;
    try {
      Budget budget(memory_budget());
      SegmentLines a, b;
      budget.charge(2 * 1024);
      bool full1 = read_segment(ctx.f1, a, seglen);
      bool full2 = read_segment(ctx.f2, b, seglen);
      if (full1 || full2) {
        if (!ctx.opt.segmented) {
          ctx.msgs.set_plain("too many lines in file \"%s\"\n", (full1 ? ctx.f1 : ctx.f2).name().c_str());
          throw OutOfMemory{};
        }
        more = true;
      }
      std::vector<std::int32_t> J = match_lines(a, b, ctx.opt.rules, budget);
      confirm_matches(a, b, ctx.opt.rules, J);
      write_segment(w, a, b, J);
    } catch (const OutOfMemory&) {
      ctx.f1.seek(s1);
      ctx.f2.seek(s2);
      return 2;
    } catch (const std::bad_alloc&) {
      ctx.f1.seek(s1);
      ctx.f2.seek(s2);
      return 2;
    }
    if (!more) break;
  }
  w.end_output();
  return w.changes() > 0 ? 1 : 0;
}

}  // namespace orv::txtcmp
