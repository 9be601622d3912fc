// Tests of the merge: block summaries, the choices over random pairs (no
// choice leaves the common lines, all of file 1 or of file 2 gives that file
// back byte for byte in both line-end formats, both gives file 2's lines
// first), deletion blocks, edited blocks and the questions they raise, and
// the saved file.
#include <gtest/gtest.h>

#include <random>

#include "merge/merge_model.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

namespace {

using namespace orv::merge;

struct ScriptedPrompt : MergePrompt {
  std::vector<bool> answers;
  std::vector<std::string> asked;
  bool ask(const std::string& q) override {
    asked.push_back(q);
    EXPECT_FALSE(answers.empty()) << "unexpected question: " << q;
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

TEST(BlockSummary, Texts) {
  struct Case {
    DiffBlock b;
    const char* text;
  } cases[] = {
      {{'a', 4, 0, 0, 5, 1, 0}, "Add line 5 [b.c] after line 4 [a.c]"},
      {{'a', 0, 0, 0, 1, 3, 0}, "Add lines 1 - 3 [b.c] after line 0 [a.c]"},
      {{'c', 3, 1, 0, 3, 1, 0}, "Change line 3 [a.c] to line 3 [b.c]"},
      {{'c', 3, 1, 0, 3, 2, 0}, "Change line 3 [a.c] to lines 3 - 4 [b.c]"},
      {{'c', 3, 2, 0, 3, 1, 0}, "Change lines 3 - 4 [a.c] to line 3 [b.c]"},
      {{'c', 3, 2, 0, 5, 3, 0}, "Change lines 3 - 4 [a.c] to lines 5 - 7 [b.c]"},
      {{'d', 7, 1, 0, 6, 0, 0}, "Delete line 7 [a.c]"},
      {{'d', 7, 3, 0, 6, 0, 0}, "Delete lines 7 - 9 [a.c]"},
  };
  for (const Case& c : cases) EXPECT_EQ(blockSummary(c.b, "/x/y/a.c", "dir\\b.c"), c.text);
}

struct MergeTest : ::testing::Test {
  orv::test::TempDir d{"orv-merge"};
  std::string file(const std::string& name, const std::string& text) {
    const std::string p = d.path() + "/" + name;
    orv::sys::writeWholeFile(p, text);
    return p;
  }
  std::string saved(MergeModel& m, int format) {
    const std::string out = d.path() + "/merged";
    EXPECT_EQ(m.save(out, format), "");
    std::string text;
    orv::sys::readWholeFile(out, text);
    return text;
  }
};

std::string randomText(std::mt19937& rng) {
  static const char* pool[] = {"a", "b", "c", "", "{", "}", "x y"};
  std::string s;
  for (int n = 1 + static_cast<int>(rng() % 20); n > 0; --n) s += std::string(pool[rng() % 7]) + "\n";
  return s;
}

std::string mutate(std::mt19937& rng, const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t nl = text.find('\n', at) + 1;
    const std::string line = text.substr(at, nl - at);
    at = nl;
    const unsigned r = rng() % 6;
    if (r == 0) continue;
    if (r == 1) out += "new\n";
    out += r == 2 ? "changed\n" : line;
  }
  return out + (rng() % 3 == 0 ? "tail\n" : "");
}

std::string crlf(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST_F(MergeTest, ChoicesOverRandomPairs) {
  std::mt19937 rng(777);
  int merged = 0;
  for (int round = 0; round < 200; ++round) {
    const std::string one = randomText(rng), two = mutate(rng, one);
    FileDiff f(file("a", one), file("b", two));
    if (f.result() != kReady) continue;
    ++merged;
    std::string common;
    for (const DiffLine& l : f.lines())
      if (l.source == kBoth) common += l.text + "\n";
    MergeModel none(f, "a", "b");
    EXPECT_EQ(saved(none, 2), common) << round;
    for (int side : {0, 1}) {
      MergeModel m(f, "a", "b");
      for (int b = 0; b < f.blockCount(); ++b) ASSERT_TRUE(m.takeSide(side, b, nullptr));
      EXPECT_TRUE(m.modified());
      EXPECT_EQ(saved(m, 2), side == 0 ? one : two) << round;
      EXPECT_FALSE(m.modified());
      EXPECT_EQ(saved(m, 1), crlf(side == 0 ? one : two)) << round;
    }
    // Both: each block's file-2 lines, then its file-1 lines.
    MergeModel both(f, "a", "b");
    std::string expected;
    int previous = -1;
    for (const DiffLine& l : f.lines()) {
      if (l.blockIndex < 0) {
        expected += l.text + "\n";
      } else if (l.blockIndex != previous) {
        const DiffBlock& b = f.blocks()[static_cast<std::size_t>(l.blockIndex)];
        for (int k = 0; k < b.count2; ++k) expected += f.lines()[static_cast<std::size_t>(b.firstIndex2 + k)].text + "\n";
        for (int k = 0; k < b.count1; ++k) expected += f.lines()[static_cast<std::size_t>(b.firstIndex1 + k)].text + "\n";
      }
      previous = l.blockIndex;
    }
    for (int b = 0; b < f.blockCount(); ++b) {
      both.takeSide(0, b, nullptr);
      both.addSide(1, b);
    }
    EXPECT_EQ(saved(both, 2), expected) << round;
  }
  EXPECT_GT(merged, 150);
}

TEST_F(MergeTest, MarkersDeletionBlocksAndRemoval) {
  FileDiff f(file("a", "x\nb\nc\nd\n"), file("b", "y\nb\nd\n"));
  ASSERT_EQ(f.result(), kReady);
  MergeModel m(f, "a", "b");
  // One marker per block, also for a difference at line 1.
  int markers = 0;
  for (const MergeRow& r : m.rows()) markers += r.rowClass == kMarkerRow;
  EXPECT_EQ(markers, f.blockCount());
  EXPECT_EQ(m.rows().front().line.text, "--- Change line 1 [a] to line 1 [b] ---");
  const int del = 1;
  ASSERT_EQ(f.blocks()[del].kind, 'd');
  m.takeSide(1, del, nullptr);
  EXPECT_EQ(m.blockText(del), "");
  m.takeSide(0, del, nullptr);
  EXPECT_EQ(m.blockText(del), "c\n");
  m.takeSide(0, 0, nullptr);
  m.addSide(1, 0);
  EXPECT_EQ(m.blockText(0), "y\nx\n");
  m.addSide(1, 0);  // a second add of the same side changes nothing
  m.addSide(0, 0);
  EXPECT_EQ(m.blockText(0), "y\nx\n");
  EXPECT_TRUE(m.removeSide(1, 0, nullptr));
  EXPECT_EQ(m.blockText(0), "x\n");
}

TEST_F(MergeTest, EditedBlocksAndTheirQuestions) {
  FileDiff f(file("a", "1\n2\n3\n"), file("b", "1\nTWO\n3\n"));
  ASSERT_EQ(f.result(), kReady);
  MergeModel m(f, "a", "b");
  struct Edit {
    const char* text;
    const char* back;
  } edits[] = {
      {"p\r\nq", "p\nq\n"},  // no final line end: the last line stays
      {"p\nq\n", "p\nq\n"},  // a final line end adds no empty line
      {"", "\n"},            // emptied: one empty edited line
  };
  for (const Edit& e : edits) {
    m.editBlock(0, e.text);
    EXPECT_EQ(m.blockText(0), e.back) << e.text;
  }
  ScriptedPrompt no;
  no.answers = {false};
  EXPECT_FALSE(m.takeSide(0, 0, &no));
  EXPECT_EQ(no.asked, std::vector<std::string>{"Replace Edited block?"});
  EXPECT_EQ(m.blockText(0), "\n");
  ScriptedPrompt yes;
  yes.answers = {true};
  EXPECT_TRUE(m.removeSide(0, 0, &yes));
  EXPECT_EQ(yes.asked, std::vector<std::string>{"Delete Edited block?"});
  EXPECT_EQ(m.blockText(0), "");  // the edited rows went too
  m.editBlock(0, "mine\n");
  EXPECT_EQ(saved(m, 2), "1\nmine\n3\n");
  // A failed save keeps the merge modified.
  m.takeSide(1, 0, nullptr);
  EXPECT_EQ(m.save(d.path() + "/no/such/dir/out", 2).rfind("Cannot write to ", 0), 0u);
  EXPECT_TRUE(m.modified());
}

}  // namespace
