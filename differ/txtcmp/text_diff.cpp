// The comparison of one pair of texts, shared by DiffFile and diff_texts, and
// the in-memory entry diff_texts (see text_diff.h).
#include "differ/txtcmp/text_diff.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "differ/txtcmp/matchers.h"

namespace orv::txtcmp {

namespace {

std::atomic<std::size_t> g_budget{std::size_t{256} << 20};
std::atomic<bool> g_gallop{true};

// Directory-compare pass: bytes only. The first unequal byte, or the first
// end, decides; an end that a failed read made is reported there.
bool bytes_equal(InputText& f1, InputText& f2) {
  const std::string_view a = f1.bytes(), b = f2.bytes();
  const std::size_t n = std::min(a.size(), b.size());
  if (n && std::memcmp(a.data(), b.data(), n) != 0) return false;
  const bool end1 = a.size() == n, end2 = b.size() == n;
  if (end1) f1.reach_byte_end();
  if (end2) f2.reach_byte_end();
  return end1 && end2;
}

}  // namespace

std::size_t memory_budget() { return g_budget.load(); }
void set_memory_budget(std::size_t bytes) { g_budget.store(bytes); }
bool gallop_search() { return g_gallop.load(std::memory_order_relaxed); }
void set_gallop_search(bool on) { g_gallop.store(on); }

int compare_pair_texts(PairContext& ctx) {
  const Options& opt = ctx.opt;
  InputText& f1 = ctx.f1;
  InputText& f2 = ctx.f2;
  DiffWriter& w = ctx.w;
  int result;
  if (opt.dircmp) {
    result = bytes_equal(f1, f2) ? 0 : 1;
  } else {
    f1.split();
    f2.split();
    if (skip_common(ctx)) {
      w.end_output();
      result = 0;
    } else {
      // The half-hearted matcher matches by line hash, and only the lines
      // from the first difference on; the full matcher classes lines itself.
      const long first1 = f1.tell() + 1, first2 = f2.tell() + 1;
      auto half = [&] {
        f1.hash_from(first1, opt.rules);
        f2.hash_from(first2, opt.rules);
        return half_match(ctx);
      };
      if (opt.half) {
        result = half();
      } else {
        result = full_match(ctx);
        if (result == 2) {
          if (!opt.fallback) {
            ctx.msgs.set_plain("insufficient memory (try diff -h)\n");
            throw FatalError{};
          }
          result = half();
        }
      }
    }
  }
  // A line that could not be read ended its text early: the output covers
  // only part of the pair, so the pair is reported as unreadable.
  if (f1.unreadable_seen() || f2.unreadable_seen()) result = 4;
  return result;
}

int diff_texts(std::string_view text1, std::string_view text2, const TextDiffOptions& options, DiffSink& out,
               std::string* message) {
  diffsup::MessageBuffer msgs;
  int result;
  try {
    Options opt;
    opt.rules = options.rules;
    opt.half = options.half;
    opt.fallback = options.fallback;
    opt.segmented = options.segmented;
    if (options.segmented && options.seglen > 0) opt.seglen = options.seglen;
    if (options.form == TextDiffOptions::Form::kBlocks)
      opt.blocks = true;
    else
      opt.rcs = true;
    InputText f1(std::string(options.name1), "", msgs);
    InputText f2(std::string(options.name2), "", msgs);
    f1.load(text1);
    f2.load(text2);
    DiffWriter w(out, opt, {}, {}, opt.half);
    PairContext ctx{opt, f1, f2, w, msgs};
    result = compare_pair_texts(ctx);
  } catch (const FatalError&) {
    result = 2;
  } catch (const std::bad_alloc&) {
    msgs.set_plain("insufficient memory (try diff -h)\n");
    result = 2;
  }
  if (message) *message = result >= 2 ? msgs.text() : std::string();
  return result;
}

}  // namespace orv::txtcmp
