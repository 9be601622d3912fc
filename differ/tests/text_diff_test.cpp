// The differencer in memory (text_diff.h): the same scripts, block lists,
// results and messages as DiffFile over files holding the same texts, the
// memory budget's road, no file touched, and calls that need neither
// DiffFile's busy flag nor its message.
#include <atomic>
#include <functional>
#include <random>
#include <thread>

#include "differ/txtcmp/diff_run.h"
#include "differ/tests/diff_test_util.h"
#include "platform/sys/fault_injection.h"
#include "differ/txtcmp/text_diff.h"

using namespace difftest;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;
using orv::txtcmp::TextDiffOptions;

namespace {

struct MemoryOutcome {
  int result;
  std::string out;
  std::string message;
};

MemoryOutcome in_memory(const std::string& a, const std::string& b, const TextDiffOptions& o) {
  orv::txtcmp::StringSink sink;
  MemoryOutcome r;
  r.result = orv::txtcmp::diff_texts(a, b, o, sink, &r.message);
  r.out = std::move(sink.text);
  return r;
}

// The option words of DiffFile that ask for what the options ask.
std::vector<std::string> words_for(const TextDiffOptions& o) {
  std::vector<std::string> w{o.segmented ? "bdiff" : "diff"};
  std::string letters = "-";
  letters += o.form == TextDiffOptions::Form::kBlocks ? 'N' : 'n';
  if (o.rules.blanks) letters += 'b';
  if (o.rules.white) letters += 'w';
  if (o.rules.nocase) letters += 'i';
  if (o.half) letters += 'h';
  if (o.fallback) letters += 'H';
  w.push_back(letters);
  if (o.segmented) {
    w.push_back("x");
    w.push_back("y");
    w.push_back(std::to_string(o.seglen));
  }
  return w;
}

std::string random_line(std::mt19937& rng) {
  static const char* const kinds[] = {"a\n", "b\n", "\n", "  a \n", "A\n", "a  b\n", "}\n", ".\n", "a b\n", "c\r\n"};
  if (rng() % 9 == 0) return "w" + std::to_string(rng() % 50) + "\n";
  return kinds[rng() % 10];
}

std::string random_text(std::mt19937& rng, int max_lines) {
  std::string s;
  for (int n = static_cast<int>(rng() % static_cast<unsigned>(max_lines + 1)); n > 0; --n) s += random_line(rng);
  return s;
}

std::string mutate(std::mt19937& rng, const std::string& base) {
  std::string out;
  for (const auto& l : split_lines(base)) {
    switch (rng() % 5) {
      case 0: break;
      case 1: out += random_line(rng); break;
      case 2: out += l + random_line(rng); break;
      default: out += l;
    }
  }
  // Now and then an ending of another kind.
  switch (rng() % 8) {
    case 0: if (!out.empty()) out.pop_back(); break;   // no final line feed
    case 1: if (!out.empty()) out.back() = '\r'; break;  // a carriage return last
    default: break;
  }
  return out;
}

}  // namespace

TEST(TextDiff, SameOutputAsDiffFileForEveryOptionSet) {
  TempDir d;
  std::mt19937 rng(2024);
  for (int round = 0; round < 120; ++round) {
    const std::string a = random_text(rng, 150);
    const std::string b = round % 4 ? mutate(rng, a) : random_text(rng, 150);
    TextDiffOptions o;
    o.form = round % 3 == 0 ? TextDiffOptions::Form::kBlocks : TextDiffOptions::Form::kEditScript;
    o.rules.blanks = rng() % 4 == 0;
    o.rules.white = rng() % 5 == 0;
    o.rules.nocase = rng() % 4 == 0;
    o.half = rng() % 4 == 0;
    o.fallback = rng() % 3 == 0;
    o.segmented = rng() % 4 == 0;
    o.seglen = 1 + static_cast<long>(rng() % 40);
    const MemoryOutcome m = in_memory(a, b, o);
    const DiffOutcome f = run_diff(d, words_for(o), a, b);
    std::string label;
    for (const auto& w : words_for(o)) label += w + " ";
    ASSERT_EQ(m.result, f.result) << label << "round " << round;
    ASSERT_EQ(m.out, f.out) << label << "round " << round;
    if (o.form == TextDiffOptions::Form::kEditScript && !o.rules.blanks && !o.rules.white && !o.rules.nocase &&
        a.find('\r') == std::string::npos && b.find('\r') == std::string::npos) {
      EXPECT_EQ(apply_line_script(a, m.out), b) << label << "round " << round;
    }
  }
}

TEST(TextDiff, UnreadableLinesEndTheTextWithTheirMessage) {
  TempDir d;
  const std::string longLine = std::string(1025, 'x') + "\n";
  TextDiffOptions o;
  o.name1 = "old";
  o.name2 = "new";
  struct Case {
    std::string a, b, message;
  } cases[] = {
      {"a\nb\n", "a\n" + longLine + "c\n", "file \"new\": line too long: limit 1024\n"},
      {"a\n" + std::string("b\0c\n", 4), "a\nc\n", "file \"old\" is binary\n"},
      {"a\n", std::string(1025, 'y'), "file \"new\": line too long: limit 1024\n"},
  };
  for (const auto& c : cases) {
    const MemoryOutcome m = in_memory(c.a, c.b, o);
    EXPECT_EQ(m.result, 4);
    EXPECT_EQ(m.message, c.message);
    const DiffOutcome f = run_diff(d, {"diff", "-n"}, c.a, c.b);
    EXPECT_EQ(m.out, f.out);
  }
  // DiffFile's last message stays as it was.
  run_diff(d, {"diff", "-q"}, "a\n", "a\n");
  EXPECT_EQ(in_memory(cases[0].a, cases[0].b, o).result, 4);
  char msg[256];
  DiffError(msg, sizeof msg);
  EXPECT_STREQ(msg, "Unknown option \"-q\"\n");
  // The longest line that is read: 1,024 characters and the line feed.
  const std::string longest = std::string(1024, 'z') + "\n";
  const MemoryOutcome ok = in_memory("a\n", longest, o);
  EXPECT_EQ(ok.result, 1);
  EXPECT_EQ(ok.out, "d1 1\na1 1\n" + longest);
  EXPECT_EQ(ok.message, "");
}

TEST(TextDiff, MemoryBudgetRoad) {
  std::mt19937 rng(7);
  std::string a;
  for (int k = 0; k < 300; ++k) a += "w" + std::to_string(rng() % 5) + "\n";
  a += "tail\n";
  std::string b;
  for (const auto& l : split_lines(a)) b += rng() % 5 == 0 ? "w" + std::to_string(rng() % 7) + "\n" : l;
  TextDiffOptions plain, fallback, half;
  fallback.fallback = true;
  half.half = true;
  orv::txtcmp::set_memory_budget(4096);
  const MemoryOutcome fail = in_memory(a, b, plain);
  const MemoryOutcome fell = in_memory(a, b, fallback);
  orv::txtcmp::set_memory_budget(std::size_t{256} << 20);
  EXPECT_EQ(fail.result, 2);
  EXPECT_EQ(fail.message, "insufficient memory (try diff -h)\n");
  EXPECT_EQ(fell.result, 1);
  EXPECT_EQ(fell.message, "");
  EXPECT_EQ(fell.out, in_memory(a, b, half).out);  // the half-hearted matcher's script
  EXPECT_EQ(apply_line_script(a, fell.out), b);
  // With the budget back the full matcher does it.
  const MemoryOutcome full = in_memory(a, b, plain);
  EXPECT_EQ(full.result, 1);
  EXPECT_EQ(apply_line_script(a, full.out), b);
}

// The budget is for inputs that truly exceed it: the matcher's own tables
// for two files of just under a million lines fit whatever the lines hold.
// The shapes that ask the most: every line distinct and every line matchable
// (classes and tables for all of them), and a million lines drawn from four.
TEST(TextDiff, FilesUnderAMillionLinesNeverRunShort) {
  constexpr int kLines = 999999;
  std::mt19937 rng(99);
  const char* four[] = {"\n", "{\n", "}\n", "    return 0;\n"};
  struct Shape {
    const char* name;
    std::function<std::string(int)> line;
  } shapes[] = {
      {"distinct", [](int k) { return std::to_string(k) + "\n"; }},
      {"four lines", [&](int) { return std::string(four[rng() % 4]); }},
  };
  for (const Shape& shape : shapes) {
    std::string a, b;
    a.reserve(std::size_t{8} * kLines);
    b.reserve(std::size_t{8} * kLines);
    for (int k = 0; k < kLines; ++k) {
      const std::string line = shape.line(k);
      a += line;
      // The first and last lines changed, and one line in a thousand.
      b += k == 0 || k == kLines - 1 || rng() % 1000 == 0 ? "changed\n" : line;
    }
    const MemoryOutcome m = in_memory(a, b, TextDiffOptions{});
    EXPECT_EQ(m.result, 1) << shape.name;
    EXPECT_EQ(m.message, "") << shape.name;
    EXPECT_EQ(apply_line_script(a, m.out), b) << shape.name;
  }
}

TEST(TextDiff, TouchesNoFile) {
  ScopedFault<&SystemCalls::open> open(EACCES);
  ScopedFault<&SystemCalls::read> read(EIO);
  ScopedFault<&SystemCalls::write> write(EIO);
  const MemoryOutcome m = in_memory("a\nb\nc\n", "a\nB\nc\nd\n", {});
  EXPECT_EQ(m.result, 1);
  EXPECT_EQ(m.out, "d2 1\na2 1\nB\na3 1\nd\n");
  EXPECT_EQ(open.matchingCalls() + read.matchingCalls() + write.matchingCalls(), 0);
}

TEST(TextDiff, IdenticalTextsWriteNothing) {
  for (const std::string& t : {std::string(), std::string("a\n"), std::string("a\nb")}) {
    for (auto form : {TextDiffOptions::Form::kEditScript, TextDiffOptions::Form::kBlocks}) {
      TextDiffOptions o;
      o.form = form;
      const MemoryOutcome m = in_memory(t, t, o);
      EXPECT_EQ(m.result, 0);
      EXPECT_EQ(m.out, "");
    }
  }
  // Equal under the rules.
  TextDiffOptions o;
  o.rules.nocase = true;
  o.rules.blanks = true;
  EXPECT_EQ(in_memory("A  b\n", "a b \n", o).result, 0);
}

TEST(TextDiff, BlockListAndPiecesThroughAnySink) {
  struct Counting final : orv::txtcmp::DiffSink {
    int pieces = 0;
    std::string text;
    void write(std::string_view bytes) override {
      ++pieces;
      text.append(bytes);
    }
  } sink;
  TextDiffOptions o;
  o.form = TextDiffOptions::Form::kBlocks;
  EXPECT_EQ(orv::txtcmp::diff_texts("a\nb\nc\nd\n", "a\nx\nc\nd\ne\n", o, sink), 1);
  EXPECT_EQ(sink.text, "c 2 1 2 1\na 4 0 5 1\n");
  EXPECT_EQ(sink.pieces, 2);
}

// DiffFile's busy flag and message belong to DiffFile alone: a comparison in
// memory runs while a DiffFile call is under way, and in several threads.
TEST(TextDiff, RunsBesideDiffFileAndInThreads) {
  TempDir d;
  static std::atomic<int> inner{-1};
  static orv::txtcmp::StringSink innerOut;
  orv::txtcmp::set_busy_hook([] { inner = orv::txtcmp::diff_texts("a\n", "b\n", {}, innerOut); });
  const DiffOutcome f = run_diff(d, {"diff", "-n"}, "a\n", "a\n");
  orv::txtcmp::set_busy_hook(nullptr);
  EXPECT_EQ(f.result, 0);
  EXPECT_EQ(inner.load(), 1);
  EXPECT_EQ(innerOut.text, "d1 1\na1 1\nb\n");

  std::mt19937 rng(99);
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int k = 0; k < 8; ++k) {
    std::string a = random_text(rng, 400);
    pairs.emplace_back(a, mutate(rng, a));
  }
  std::vector<std::string> expected;
  for (const auto& [a, b] : pairs) expected.push_back(in_memory(a, b, {}).out);
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int rep = 0; rep < 20; ++rep)
        for (std::size_t k = 0; k < pairs.size(); ++k)
          if (in_memory(pairs[k].first, pairs[k].second, {}).out != expected[k]) ++mismatches;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(mismatches.load(), 0);
}
