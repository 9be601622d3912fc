// Tests of the comparison model: the differencer's words, its results, the
// interleaving of both files' lines with the blocks (the worked example, a
// leading insertion, an insertion after the last line, a deletion), line
// ends, whole long lines, refused listings, and a property test over seeded
// random pairs: the lines of each file come back from the list in order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "merge/file_diff.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace {

using namespace orv::merge;

// An engine that records its words and writes a given listing.
struct FakeEngine : DiffEngine {
  int answer = 1;
  std::string listing;
  std::vector<std::string> words;
  int run(const std::vector<std::string>& w, const std::string&, const std::string&, const std::string& out) override {
    words = w;
    orv::sys::writeWholeFile(out, listing);
    return answer;
  }
};

struct FileDiffTest : ::testing::Test {
  orv::test::TempDir d{"orv-filediff"};
  std::string file(const std::string& name, const std::string& text) {
    const std::string p = d.path() + "/" + name;
    orv::sys::writeWholeFile(p, text);
    return p;
  }
};

// "source:number:kind:block:text" for each line, joined by blanks.
std::string shape(const FileDiff& f) {
  std::string s;
  for (const DiffLine& l : f.lines())
    s += (s.empty() ? "" : " ") + std::to_string(l.source) + ":" + std::to_string(l.lineNumber) + ":" + l.kind + ":" +
         std::to_string(l.blockIndex) + ":" + l.text;
  return s;
}

TEST_F(FileDiffTest, WordsForEveryOptionSet) {
  for (int bits = 0; bits < 8; ++bits) {
    CompareOptions o{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
    FakeEngine e;
    e.answer = 0;
    FileDiff f(file("a", "x\n"), file("b", "x\n"), o, e);
    std::vector<std::string> expected{"diff", "-N", "-H"};
    if (bits & 1) expected.push_back("-i");
    if (bits & 2) expected.push_back("-w");
    if (bits & 4) expected.push_back("-b");
    expected.push_back("--");
    EXPECT_EQ(e.words, expected) << bits;
  }
}

TEST_F(FileDiffTest, DifferencerResults) {
  struct Case {
    int answer;
    std::string listing;
    int result;
  } cases[] = {
      {0, "", kNoDifferences},
      {2, "", kDifferTrouble},
      {4, "", kBinaryInput},
      {7, "c 1 1 1 1\n", kDifferTrouble},    // an answer the differencer never gives
      {1, "c 1 1\n", kDifferTrouble},        // a short line
      {1, "c 3 1 3 1\nc 1 1 1 1\n", kDifferTrouble},  // out of order
      {1, "c 1 2 1 1\nd 2 1 1 0\n", kDifferTrouble},  // overlapping
      {1, "x 1 1 1 1\n", kDifferTrouble},
      {1, "c 1 1 1 1\n", kReady},
  };
  const std::string a = file("a", "1\n2\n3\n"), b = file("b", "one\n2\n3\n");
  for (const Case& c : cases) {
    FakeEngine e;
    e.answer = c.answer;
    e.listing = c.listing;
    EXPECT_EQ(FileDiff(a, b, {}, e).result(), c.result) << c.answer << " " << c.listing;
  }
  FakeEngine e;
  e.listing = "c 1 1 1 1\n";
  EXPECT_EQ(FileDiff(d.path() + "/missing", b, {}, e).result(), kReadFailure);
  ::setenv("TMPDIR", (d.path() + "/no/such/dir").c_str(), 1);
  EXPECT_EQ(FileDiff(a, b, {}, e).result(), kNoTemporaryFile);
  ::unsetenv("TMPDIR");
}

TEST_F(FileDiffTest, LinesAndBlocksInterleave) {
  struct Case {
    const char* what;
    std::string one, two, shape;
  } cases[] = {
      {"the worked example", "1\n2\n3\n4\n5\n", "1\n2\nC\n5\n",
       "3:1:n:-1:1 3:2:n:-1:2 0:3:c:0:3 0:4:c:0:4 1:3:c:0:C 3:5:n:-1:5"},
      {"insertion before the first line", "a\nb\n", "x\ny\na\nb\n", "1:1:a:0:x 1:2:a:0:y 3:1:n:-1:a 3:2:n:-1:b"},
      {"insertion after the last line", "a\nb\n", "a\nb\nz\n", "3:1:n:-1:a 3:2:n:-1:b 1:3:a:0:z"},
      {"deletion", "a\nb\nc\n", "a\nc\n", "3:1:n:-1:a 0:2:d:0:b 3:3:n:-1:c"},
      {"line ends", "a\r\nb\r\n", "a\nB\n", "3:1:n:-1:a 0:2:c:0:b 1:2:c:0:B"},
  };
  for (const Case& c : cases) {
    FileDiff f(file("a", c.one), file("b", c.two));
    ASSERT_EQ(f.result(), kReady) << c.what;
    EXPECT_EQ(shape(f), c.shape) << c.what;
  }
  FileDiff del(file("a", "a\nb\nc\n"), file("b", "a\nc\n"));
  ASSERT_EQ(del.blockCount(), 1);
  EXPECT_EQ(del.blocks()[0].firstIndex1, 1);
  EXPECT_EQ(del.blocks()[0].firstIndex2, 0);  // no file-2 lines
}

TEST_F(FileDiffTest, LongLinesStayWhole) {
  const std::string longLine(1023, 'x');
  FileDiff f(file("a", "a\n" + longLine + "\nc\n"), file("b", "a\n" + longLine + "\nC\n"));
  ASSERT_EQ(f.result(), kReady);
  ASSERT_EQ(f.lines().size(), 4u);
  EXPECT_EQ(f.lines()[1].text, longLine);
  EXPECT_EQ(f.lines()[2].lineNumber, 3);
}

std::string randomText(std::mt19937& rng) {
  static const char* pool[] = {"a", "b", "c", "", "{", "}", "x y", "b "};
  std::string s;
  for (int n = static_cast<int>(rng() % 25); n > 0; --n) s += std::string(pool[rng() % 8]) + "\n";
  return s;
}

std::string mutate(std::mt19937& rng, const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t nl = text.find('\n', at) + 1;
    const std::string line = text.substr(at, nl - at);
    at = nl;
    switch (rng() % 6) {
      case 0: break;
      case 1: out += "new " + std::to_string(rng() % 9) + "\n" + line; break;
      case 2: out += "changed\n"; break;
      default: out += line;
    }
  }
  if (rng() % 3 == 0) out += "tail\n";
  return out;
}

TEST_F(FileDiffTest, EachFileComesBackFromTheList) {
  std::mt19937 rng(20261210);
  int compared = 0;
  for (int round = 0; round < 200; ++round) {
    const std::string one = randomText(rng), two = mutate(rng, one);
    FileDiff f(file("a", one), file("b", two));
    if (one == two) {
      EXPECT_EQ(f.result(), kNoDifferences);
      continue;
    }
    ASSERT_EQ(f.result(), kReady) << round;
    ++compared;
    std::string back1, back2;
    int n1 = 0, n2 = 0;
    for (std::size_t k = 0; k < f.lines().size(); ++k) {
      const DiffLine& l = f.lines()[k];
      if (l.source != kFile2) {
        back1 += l.text + "\n";
        EXPECT_EQ(l.lineNumber, ++n1) << round;
      }
      if (l.source != kFile1) {
        back2 += l.text + "\n";
        if (l.source == kFile2) {
          EXPECT_EQ(l.lineNumber, n2 + 1) << round;
        }
        ++n2;
      }
      if (l.blockIndex >= 0) {
        const DiffBlock& b = f.blocks()[static_cast<std::size_t>(l.blockIndex)];
        EXPECT_EQ(l.kind, b.kind);
        const int first = l.source == kFile1 ? b.firstIndex1 : b.firstIndex2;
        EXPECT_LE(first, static_cast<int>(k));
        EXPECT_EQ(f.lines()[static_cast<std::size_t>(first)].blockIndex, l.blockIndex);
        EXPECT_EQ(f.lines()[static_cast<std::size_t>(first)].source, l.source);
      }
    }
    EXPECT_EQ(back1, one) << round;
    EXPECT_EQ(back2, two) << round;
  }
  EXPECT_GT(compared, 150);
}

}  // namespace
