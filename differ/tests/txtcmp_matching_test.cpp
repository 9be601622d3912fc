// Line matching: random pairs with many ties checked by an independent applier
// of the archive edit script and against GNU diff --minimal's changed-line
// counts; hash collisions; segments; the half-hearted matcher and the memory
// fallback.
#include <fstream>
#include <random>

#include "differ/txtcmp/diff_run.h"
#include "differ/tests/diff_test_util.h"

using namespace difftest;

namespace {

std::string random_text(std::mt19937& rng, int max_lines, int alphabet) {
  std::uniform_int_distribution<int> count(0, max_lines), pick(0, alphabet - 1);
  int n = count(rng);
  std::string s;
  for (int k = 0; k < n; ++k) s += "w" + std::to_string(pick(rng)) + "\n";
  return s;
}

// A second text derived from the first by random edits.
std::string mutate(std::mt19937& rng, const std::string& base, int alphabet) {
  auto lines = split_lines(base);
  std::uniform_int_distribution<int> op(0, 3), pick(0, alphabet - 1);
  std::string out;
  for (const auto& l : lines) {
    switch (op(rng)) {
      case 0: break;  // deleted
      case 1: out += "w" + std::to_string(pick(rng)) + "\n"; break;  // replaced
      case 2: out += l + "w" + std::to_string(pick(rng)) + "\n"; break;  // line added after
      default: out += l;
    }
  }
  return out;
}

long gnu_minimal_count(const TempDir& d) {
  return script_changed_lines(shell("diff --minimal -n " + d.file("in1") + " " + d.file("in2")));
}

}  // namespace

TEST(DiffMatching, RandomPairsAreValidAndMinimal) {
  TempDir d;
  std::mt19937 rng(12345);
  for (int round = 0; round < 150; ++round) {
    const int alphabet = round % 3 == 0 ? 3 : 8;
    std::string a = random_text(rng, 400, alphabet);
    std::string b = round % 2 ? mutate(rng, a, alphabet) : random_text(rng, 400, alphabet);
    DiffOutcome r = run_diff(d, {"diff", "-n"}, a, b);
    ASSERT_EQ(r.result, a == b ? 0 : 1);
    ASSERT_EQ(apply_line_script(a, r.out), b) << "round " << round;
    EXPECT_EQ(script_changed_lines(r.out), gnu_minimal_count(d)) << "round " << round;
  }
}

// Seeded pairs of several shapes: few distinct lines (where every line has
// many equals in the other file), long runs of lines found in one file only,
// and a mix of both. Each -n script must rebuild file 2 from file 1 and change
// as many lines as diff --minimal does.
namespace {

struct PairShape {
  const char* name;
  int distinct;      // how many frequent lines the texts draw from
  int unique_runs;   // how many runs of lines of their own each text holds
  int max_lines;
  bool derived;      // file 2 is file 1 with random edits (else drawn anew)
};

std::string shaped_text(std::mt19937& rng, const PairShape& sh, int tag) {
  std::uniform_int_distribution<int> count(0, sh.max_lines), pick(0, sh.distinct - 1);
  std::uniform_int_distribution<int> run_len(1, 60);
  std::vector<std::string> lines;
  const int n = count(rng);
  for (int k = 0; k < n; ++k) lines.push_back("w" + std::to_string(pick(rng)) + "\n");
  for (int r = 0; r < sh.unique_runs; ++r) {
    std::uniform_int_distribution<int> at(0, static_cast<int>(lines.size()));
    auto where = lines.begin() + at(rng);
    std::vector<std::string> run;
    const int len = run_len(rng);
    for (int k = 0; k < len; ++k) run.push_back("u" + std::to_string(tag) + "." + std::to_string(r) + "." +
                                                std::to_string(k) + "\n");
    lines.insert(where, run.begin(), run.end());
  }
  std::string s;
  for (const auto& l : lines) s += l;
  return s;
}

}  // namespace

TEST(DiffMatching, ShapedPairsAreValidAndMinimal) {
  const PairShape shapes[] = {
      {"two lines", 2, 0, 300, false},     {"two lines, edited", 2, 0, 300, true},
      {"four lines", 4, 0, 500, false},    {"four lines, edited", 4, 0, 500, true},
      {"eight lines", 8, 0, 500, true},    {"unique runs", 3, 4, 200, false},
      {"unique runs, edited", 5, 3, 200, true}, {"only unique runs", 1, 6, 0, false},
  };
  const bool have_gnu = std::ifstream("/usr/bin/diff").good();
  TempDir d;
  std::mt19937 rng(20261210);
  for (const PairShape& sh : shapes) {
    for (int round = 0; round < 25; ++round) {
      const std::string a = shaped_text(rng, sh, 1);
      const std::string b = sh.derived ? mutate(rng, a, sh.distinct) : shaped_text(rng, sh, round % 2 ? 1 : 2);
      DiffOutcome r = run_diff(d, {"diff", "-n"}, a, b);
      ASSERT_EQ(r.result, a == b ? 0 : 1) << sh.name << " round " << round;
      ASSERT_EQ(apply_line_script(a, r.out), b) << sh.name << " round " << round;
      if (have_gnu) {
        EXPECT_EQ(script_changed_lines(r.out), gnu_minimal_count(d)) << sh.name << " round " << round;
      }
    }
  }
}

TEST(DiffMatching, LastLineWithoutLineFeed) {
  TempDir d;
  const std::pair<std::string, std::string> pairs[] = {
      {"a\nb", "a\nb\n"}, {"a\nb\n", "a\nb"}, {"x", "y"}, {"a\nb", "a\nc"}, {"", "z"}};
  for (const auto& [a, b] : pairs) {
    for (const char* mode : {"diff", "diffh"}) {
      DiffOutcome r = run_diff(d, {mode, "-n"}, a, b);
      EXPECT_EQ(r.result, 1);
      EXPECT_EQ(apply_line_script(a, r.out), b) << mode << " " << a;
    }
  }
}

TEST(DiffMatching, HashCollisionBecomesAOneLineChange) {
  // Two different short lines with equal CRC-16/ARC (bit-by-bit here).
  auto crc = [](const std::string& s) {
    std::uint16_t r = 0;
    for (unsigned char c : s) {
      r ^= c;
      for (int k = 0; k < 8; ++k) r = (r & 1) ? static_cast<std::uint16_t>((r >> 1) ^ 0xA001) : r >> 1;
    }
    return r;
  };
  std::vector<int> seen(65536, -1);
  std::string l1, l2;
  for (int k = 0; l1.empty(); ++k) {
    std::string s = "c" + std::to_string(k) + "\n";
    int& slot = seen[crc(s)];
    if (slot >= 0) {
      l1 = "c" + std::to_string(slot) + "\n";
      l2 = s;
    }
    slot = k;
  }
  ASSERT_NE(l1, l2);
  TempDir d;
  const std::string a = "top\n" + l1 + "mid\n" + l1 + "end\n";
  const std::string b = "top\n" + l1 + "mid\n" + l2 + "end\n";
  DiffOutcome r = run_diff(d, {"diff"}, a, b);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out, "4c4\n< " + l1 + "---\n> " + l2);
  // Next to a real change the collision still yields a valid script.
  const std::string c = "top\nnew\n" + l2 + "end\n";
  for (const char* mode : {"diff", "diffh"}) {
    r = run_diff(d, {mode, "-n"}, a, c);
    EXPECT_EQ(apply_line_script(a, r.out), c) << mode;
    r = run_diff(d, {mode, "-n"}, "x\n" + l1, "x\n" + l2);
    EXPECT_EQ(r.out, "d2 1\na2 1\n" + l2) << mode;
  }
}

TEST(DiffMatching, ListedMatcherEdgeCases) {
  TempDir d;
  EXPECT_EQ(run_diff(d, {"diff"}, "", "1\n2\n3\n").out, "0a1,3\n> 1\n> 2\n> 3\n");
  EXPECT_EQ(run_diff(d, {"diff"}, "1\n2\n", "").out, "1,2d0\n< 1\n< 2\n");
  // A block moved from the top to the bottom shows once deleted, once added.
  DiffOutcome r = run_diff(d, {"diff", "-n"}, "m1\nm2\na\nb\nc\nd\n", "a\nb\nc\nd\nm1\nm2\n");
  EXPECT_EQ(r.out, "d1 2\na6 2\nm1\nm2\n");
  // diffh on files whose lines all differ: one change up to both ends.
  r = run_diff(d, {"diffh"}, "a\nb\nc\n", "x\ny\n");
  EXPECT_EQ(r.out, "1,3c1,2\n< a\n< b\n< c\n---\n> x\n> y\n");
}

TEST(DiffMatching, SegmentsAndHalfHeartedStayValid) {
  TempDir d;
  std::mt19937 rng(99);
  for (int round = 0; round < 60; ++round) {
    std::string a = random_text(rng, 200, 6);
    std::string b = mutate(rng, a, 6);
    DiffOutcome seg = run_diff(d, {"bdiff", "-n", "x", "y", std::to_string(1 + round % 7)}, a, b);
    ASSERT_EQ(apply_line_script(a, seg.out), b) << "segment round " << round;
    DiffOutcome half = run_diff(d, {"diff", "-hn"}, a, b);
    ASSERT_EQ(apply_line_script(a, half.out), b) << "diffh round " << round;
    EXPECT_EQ(half.result, a == b ? 0 : 1);
  }
}

TEST(DiffMatching, HalfHeartedTerminatesOnAnyInput) {
  // A small fuzz loop: arbitrary short texts of a few line kinds, including
  // empty lines, missing final line feeds and carriage returns.
  TempDir d;
  std::mt19937 rng(4242);
  const char* parts[] = {"a\n", "b\n", "\n", "a", "\r\n", "c\r", "a\n"};
  for (int round = 0; round < 200; ++round) {
    std::string a, b;
    for (int k = rng() % 12; k > 0; --k) a += parts[rng() % 7];
    for (int k = rng() % 12; k > 0; --k) b += parts[rng() % 7];
    DiffOutcome r = run_diff(d, {"diffh", "-N"}, a, b);
    EXPECT_LE(r.result, 1);
  }
}

TEST(DiffMatching, MemoryFallback) {
  TempDir d;
  std::mt19937 rng(7);
  std::string a = random_text(rng, 300, 5) + "tail\n";
  std::string b = mutate(rng, a, 5);
  orv::txtcmp::set_memory_budget(4096);
  DiffOutcome fail = run_diff(d, {"diff", "-n"}, a, b);
  DiffOutcome fallback = run_diff(d, {"diff", "-Hn"}, a, b);
  DiffOutcome fallback_ed = run_diff(d, {"diff", "-He"}, a, b);
  orv::txtcmp::set_memory_budget(std::size_t{256} << 20);
  EXPECT_EQ(fail.result, 2);
  EXPECT_EQ(fail.message, "insufficient memory (try diff -h)\n");
  EXPECT_EQ(fallback.result, 1);
  EXPECT_EQ(apply_line_script(a, fallback.out), b);
  // The fallback output is the half-hearted matcher's.
  EXPECT_EQ(fallback.out, run_diff(d, {"diffh", "-n"}, a, b).out);
  EXPECT_EQ(fallback_ed.result, 1);
}

TEST(DiffMatching, FallbackAfterEarlierSegments) {
  // In segment mode a later segment that runs out of memory falls back from
  // its own start; the earlier segments' output stands once.
  // The first segment (lines 5 to 104) holds one change at its start and
  // needs little matching; the second holds changes throughout.
  TempDir d;
  std::string a, b;
  for (int k = 0; k < 200; ++k) {
    const std::string body = std::to_string(k);
    a += "s" + body + "\n";
    b += (k == 4 || (k >= 110 && k % 7 == 4) ? "t" : "s") + body + "\n";
  }
  orv::txtcmp::set_memory_budget(6 * 1024);
  DiffOutcome plain = run_diff(d, {"bdiff", "-n", "x", "y", "100"}, a, b);
  DiffOutcome seg = run_diff(d, {"bdiff", "-Hn", "x", "y", "100"}, a, b);
  orv::txtcmp::set_memory_budget(std::size_t{256} << 20);
  EXPECT_EQ(plain.result, 2);  // the second segment does not fit
  EXPECT_EQ(seg.result, 1);
  EXPECT_EQ(apply_line_script(a, seg.out), b);
  // The first segment was matched in full before the fallback.
  EXPECT_EQ(seg.out.substr(0, 12), "d5 1\na5 1\nt4");
}
