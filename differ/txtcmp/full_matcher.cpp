// Full matcher: the Hunt-McIlroy longest common subsequence over 16-bit line
// hashes. Each segment of both files is taken from the input texts (lines and
// their hashes), the common end is dropped, file 2 is sorted into hash
// classes, candidates are built on the k-list, and the chain is unravelled
// into J. Matched lines are then compared for real: a hash collision becomes a
// change before any change is written, so each unmatched run is one maximal
// change.
//
// Memory: every table and candidate block is charged against a fixed budget,
// and so is the segment's text, as the copy of it that each segment once
// read (see read_segment); past it the segment is abandoned and the caller
// may fall back to the half-hearted matcher.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "matchers.h"

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
// text's lines and hashes.
struct SegmentLines {
  const InputText* in = nullptr;
  long before = 0;                      // the file's lines before the segment
  long n = 0;
  const std::uint16_t* hash = nullptr;  // hash[k]: line k of the segment
  long count() const { return n; }
  std::string_view line(long k) const { return in->line(before + k); }
};

// Takes up to `limit` lines from the current position; true when the limit
// stopped the taking. The budget is charged what copying them into a growing
// text and two growing tables cost (a string from its empty capacity, the
// tables from one entry, each grown as Budget::push grows), so a segment
// fits the budget exactly when it did when segments were read into copies.
bool read_segment(InputText& f, SegmentLines& s, long limit, Budget& b) {
  s.in = &f;
  s.before = f.tell();
  s.hash = f.hashes() + s.before;
  const long avail = f.count() - s.before;
  s.n = avail < limit ? avail : limit;
  constexpr std::size_t kEmptyStringCapacity = 15;
  std::size_t size = 0, capacity = kEmptyStringCapacity;
  std::size_t entries = 1, slots = 1;
  for (long k = 1; k <= s.n; ++k) {
    const std::size_t len = s.line(k).size();
    if (size + len > capacity) {
      const std::size_t grown = std::max(size + len, 2 * capacity + 4096);
      b.charge(grown - capacity);
      capacity = grown;
    }
    size += len;
    if (entries == slots) {
      const std::size_t grown = std::max<std::size_t>(500, 2 * slots);
      b.charge((grown - slots) * sizeof(std::size_t));    // line starts
      b.charge((grown - slots) * sizeof(std::uint16_t));  // hashes
      slots = grown;
    }
    ++entries;
  }
  return f.advance(limit);
}

struct Candidate {
  std::int32_t x, y, pred;
};

// Candidates in blocks, released together at the end of a segment.
class CandidatePool {
 public:
  explicit CandidatePool(Budget& b) : budget_(b) {}
  std::int32_t make(std::int32_t x, std::int32_t y, std::int32_t pred) {
    if ((count_ & kMask) == 0) {
      budget_.charge(sizeof(Candidate) << kShift);
      blocks_.emplace_back(new Candidate[std::size_t{1} << kShift]);
    }
    (*this)[count_] = Candidate{x, y, pred};
    return count_++;
  }
  Candidate& operator[](std::int32_t i) { return blocks_[static_cast<std::size_t>(i) >> kShift][i & kMask]; }

 private:
  static constexpr int kShift = 12;
  static constexpr std::int32_t kMask = (1 << kShift) - 1;
  Budget& budget_;
  std::vector<std::unique_ptr<Candidate[]>> blocks_;
  std::int32_t count_ = 0;
};

// Smallest l in [lo, hi] with ky[l] >= y; ky[hi] >= y holds (the fence).
// Along one hash class y only grows, so the search gallops forward from the
// position found for the previous line of the class.
inline std::int32_t gallop(const std::int32_t* ky, std::int32_t lo, std::int32_t hi, std::int32_t y) {
  if (ky[lo] >= y) return lo;
  std::int32_t step = 1, below = lo;  // ky[below] < y
  while (below + step < hi && ky[below + step] < y) {
    below += step;
    step <<= 1;
  }
  std::int32_t top = std::min(below + step, hi);  // ky[top] >= y
  while (top - below > 1) {
    std::int32_t mid = below + (top - below) / 2;
    if (ky[mid] < y)
      below = mid;
    else
      top = mid;
  }
  return top;
}

// The common end of a segment's two files, dropped before matching: lines
// l1 + 1 .. n1 of file 1 equal (by hash) lines l2 + 1 .. n2 of file 2. The
// check before writing confirms these matches like every other.
struct CommonEnd {
  std::int32_t l1, l2;
};

CommonEnd drop_common_end(const SegmentLines& a, const SegmentLines& b) {
  std::int32_t l1 = static_cast<std::int32_t>(a.count()), l2 = static_cast<std::int32_t>(b.count());
  while (l1 > 0 && l2 > 0 && a.hash[static_cast<std::size_t>(l1)] == b.hash[static_cast<std::size_t>(l2)]) {
    --l1;
    --l2;
  }
  return {l1, l2};
}

// File 2's lines grouped by hash. sorted[1..l2]: file-2 line numbers ordered
// by (hash, line), the last line of each hash class negated. cls[i]: the index
// in sorted of the first line of file-1 line i's class, or 0 when no file-2
// line has its hash.
struct HashClasses {
  std::vector<std::int32_t> sorted;
  std::vector<std::int32_t> cls;
};

HashClasses sort_into_classes(const SegmentLines& a, const SegmentLines& b, CommonEnd end, Budget& budget) {
  HashClasses h;
  std::vector<std::uint64_t> keys;  // (hash << 32) | line, freed on return
  budget.reserve(keys, static_cast<std::size_t>(end.l2));
  for (std::int32_t j = 1; j <= end.l2; ++j)
    keys.push_back((std::uint64_t{b.hash[static_cast<std::size_t>(j)]} << 32) | static_cast<std::uint32_t>(j));
  std::sort(keys.begin(), keys.end());
  budget.reserve(h.sorted, static_cast<std::size_t>(end.l2) + 2);
  h.sorted.assign(static_cast<std::size_t>(end.l2) + 2, 0);
  for (std::size_t p = 0; p < keys.size(); ++p) {
    const bool last = p + 1 == keys.size() || (keys[p + 1] >> 32) != (keys[p] >> 32);
    const auto line = static_cast<std::int32_t>(keys[p] & 0xFFFFFFFFu);
    h.sorted[p + 1] = last ? -line : line;
  }
  budget.reserve(h.cls, static_cast<std::size_t>(end.l1) + 1);
  h.cls.assign(static_cast<std::size_t>(end.l1) + 1, 0);
  for (std::int32_t i = 1; i <= end.l1; ++i) {
    const std::uint64_t hash = a.hash[static_cast<std::size_t>(i)];
    auto it = std::lower_bound(keys.begin(), keys.end(), hash << 32);
    if (it != keys.end() && (*it >> 32) == hash)
      h.cls[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(it - keys.begin()) + 1;
  }
  return h;
}

// The k-list of the candidate walk: kc[l] is the candidate that ends the best
// chain of length l found so far and ky[l] its file-2 line (ky[k + 1] is the
// fence, l2 + 1); at[y] is the k-list position that holds file-2 line y, or 0.
class KList {
 public:
  KList(std::int32_t l1, std::int32_t l2, CandidatePool& cand, Budget& budget) : fence_(l2 + 1), cand_(cand) {
    const std::int32_t kmax = std::min(l1, l2) + 2;
    budget.reserve(kc_, static_cast<std::size_t>(kmax));
    budget.reserve(ky_, static_cast<std::size_t>(kmax));
    budget.reserve(at_, static_cast<std::size_t>(l2) + 2);
    kc_.assign(static_cast<std::size_t>(kmax), 0);
    ky_.assign(static_cast<std::size_t>(kmax), 0);
    at_.assign(static_cast<std::size_t>(l2) + 2, 0);
    kc_[0] = cand_.make(0, 0, -1);
    ky_[0] = 0;
    ky_[1] = fence_;
  }

  // Offers file-1 line i against its hash class, which starts at sorted[p]:
  // the class's file-2 lines in increasing order each replace the k-list
  // entry they improve, until one extends the list.
  void add_line(std::int32_t i, const std::int32_t* sorted, std::int32_t p, bool gallop_on) {
    std::int32_t oldl = 0;
    std::int32_t oldc = kc_[0];
    std::int32_t oldy = 0;  // y of oldc
    std::int32_t pos = 1;
    for (bool last = false; !last; ++p) {
      std::int32_t y = sorted[p];
      if (y < 0) {
        y = -y;
        last = true;
      }
      if (y <= oldy) continue;
      // A line already on the k-list changes nothing: the step only moves
      // the search position.
      if (const std::int32_t held = at_[static_cast<std::size_t>(y)]; held != 0) {
        pos = held;
        continue;
      }
      const std::int32_t l = gallop(ky_.data(), gallop_on ? pos : 1, k_ + 1, y);
      pos = l;
      if (l != oldl + 1) {
        oldc = kc_[static_cast<std::size_t>(l - 1)];
        oldy = ky_[static_cast<std::size_t>(l - 1)];
      }
      if (l > k_) {
        extend(i, y, oldc);
        return;
      }
      // Delayed replacement: entry l's old candidate becomes the predecessor
      // for the next line of this class.
      const std::int32_t replaced_c = kc_[static_cast<std::size_t>(l)];
      const std::int32_t replaced_y = ky_[static_cast<std::size_t>(l)];
      replace(l, i, y, oldc);
      oldc = replaced_c;
      oldy = replaced_y;
      oldl = l;
    }
  }

  // The candidate that ends the longest chain.
  std::int32_t longest() const { return kc_[static_cast<std::size_t>(k_)]; }

 private:
  void set(std::int32_t l, std::int32_t i, std::int32_t y, std::int32_t pred) {
    kc_[static_cast<std::size_t>(l)] = cand_.make(i, y, pred);
    ky_[static_cast<std::size_t>(l)] = y;
    at_[static_cast<std::size_t>(y)] = l;
  }
  void replace(std::int32_t l, std::int32_t i, std::int32_t y, std::int32_t pred) {
    at_[static_cast<std::size_t>(ky_[static_cast<std::size_t>(l)])] = 0;
    set(l, i, y, pred);
  }
  void extend(std::int32_t i, std::int32_t y, std::int32_t pred) {
    set(k_ + 1, i, y, pred);
    ++k_;
    ky_[static_cast<std::size_t>(k_ + 1)] = fence_;
  }

  std::vector<std::int32_t> kc_, ky_, at_;
  std::int32_t k_ = 0;
  const std::int32_t fence_;
  CandidatePool& cand_;
};

// Hunt-McIlroy over the lines before the common end: the longest chain of
// candidates, unravelled into J.
void match_before_common_end(const SegmentLines& a, const SegmentLines& b, CommonEnd end, Budget& budget,
                             std::vector<std::int32_t>& J) {
  const HashClasses classes = sort_into_classes(a, b, end, budget);
  CandidatePool cand(budget);
  KList klist(end.l1, end.l2, cand, budget);
  const bool gallop_on = gallop_search();
  for (std::int32_t i = 1; i <= end.l1; ++i)
    if (const std::int32_t p = classes.cls[static_cast<std::size_t>(i)]; p != 0)
      klist.add_line(i, classes.sorted.data(), p, gallop_on);
  for (std::int32_t c = klist.longest(); c > 0; c = cand[c].pred) J[static_cast<std::size_t>(cand[c].x)] = cand[c].y;
}

// Computes J for the segment: J[i] = matched file-2 line of file-1 line i, or
// 0; J[n1 + 1] = n2 + 1 closes it.
std::vector<std::int32_t> match_lines(const SegmentLines& a, const SegmentLines& b, Budget& budget) {
  const std::int32_t n1 = static_cast<std::int32_t>(a.count());
  const std::int32_t n2 = static_cast<std::int32_t>(b.count());
  std::vector<std::int32_t> J;
  budget.reserve(J, static_cast<std::size_t>(n1) + 2);
  J.assign(static_cast<std::size_t>(n1) + 2, 0);
  const CommonEnd end = drop_common_end(a, b);
  if (end.l1 > 0 && end.l2 > 0) match_before_common_end(a, b, end, budget, J);
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
      bool full1 = read_segment(ctx.f1, a, seglen, budget);
      bool full2 = read_segment(ctx.f2, b, seglen, budget);
      if (full1 || full2) {
        if (!ctx.opt.segmented) {
          ctx.msgs.set_plain("too many lines in file \"%s\"\n", (full1 ? ctx.f1 : ctx.f2).name().c_str());
          throw OutOfMemory{};
        }
        more = true;
      }
      std::vector<std::int32_t> J = match_lines(a, b, budget);
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
