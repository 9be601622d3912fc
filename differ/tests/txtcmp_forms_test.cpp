// Output forms of the text differencer: golden outputs for one small pair in
// every form, the listed edge cases, comparison with GNU diff on fixtures that
// have a single longest common subsequence, ed scripts run through ed, #ifdef
// output run through a small evaluator, and context hunk boundaries.
#include "differ/tests/diff_test_util.h"

using namespace difftest;

namespace {

const std::string kOld = "a\nb\nc\nd\ne\nf\ng\n";
const std::string kNew = "a\nB\nc\nd\nx\ny\ne\ng\n.\n";

// Keeps the lines of a -D merge that apply with or without the symbol.
std::string eval_ifdef(const std::string& merged, const std::string& sym, bool defined) {
  std::string out;
  std::vector<bool> stack;
  auto active = [&] {
    for (bool b : stack)
      if (!b) return false;
    return true;
  };
  for (const auto& line : split_lines(merged)) {
    if (line == "#ifdef " + sym + "\n") {
      stack.push_back(defined);
    } else if (line == "#ifndef " + sym + "\n") {
      stack.push_back(!defined);
    } else if (line == "#else\n") {
      stack.back() = !stack.back();
    } else if (line == "#endif\n") {
      stack.pop_back();
    } else if (active()) {
      out += line;
    }
  }
  EXPECT_TRUE(stack.empty());
  return out;
}

std::string ed_apply(const TempDir& d, const std::string& a, const std::string& script) {
  write_file(d.file("ed_target"), a);
  write_file(d.file("ed_script"), script + "w\nq\n");
  int st = 0;
  shell("ed -s " + d.file("ed_target") + " < " + d.file("ed_script") + " 2>&1", &st);
  EXPECT_EQ(st, 0);
  return read_file(d.file("ed_target"));
}

}  // namespace

TEST(DiffForms, GoldenOutputsOfOnePair) {
  TempDir d;
  struct Case {
    std::vector<std::string> words;
    std::string out;
  } cases[] = {
      {{"diff"}, "2c2\n< b\n---\n> B\n4a5,6\n> x\n> y\n6d7\n< f\n7a9\n> .\n"},
      {{"diff", "-n"}, "d2 1\na2 1\nB\na4 2\nx\ny\nd6 1\na7 1\n.\n"},
      {{"diff", "-N"}, "c 2 1 2 1\na 4 0 5 2\nd 6 1 7 0\na 7 0 9 1\n"},
      {{"diff", "-e"}, "7a\n..\n.\n8s/^\\.//\n6d\n4a\nx\ny\n.\n2c\nB\n.\n"},
      {{"diff", "-f"}, "c2\nB\n.\na4\nx\ny\n.\nd6\na7\n..\n.\n9s/^\\.//\n"},
      {{"diff", "-Dsym"},
       "a\n#ifndef sym\nb\n#else\nB\n#endif\nc\nd\n#ifdef sym\nx\ny\n#endif\ne\n#ifndef sym\nf\n#endif\ng\n"
       "#ifdef sym\n.\n#endif\n"},
      {{"diff", "-m"}, "a\n.mc \\(br\nB\n.mc\nc\nd\n.mc \\(br\nx\ny\n.mc\ne\n.mc \\(**\n.mc\ng\n.\n"},
      {{"diff", "-c"},
       "***************\n*** 1,7 ****\n  a\n! b\n  c\n  d\n  e\n- f\n  g\n--- 1,9 ----\n  a\n! B\n  c\n  d\n"
       "+ x\n+ y\n  e\n  g\n+ .\n"},
      {{"diffh", "-e"}, "2c\nB\n.\n4a\nx\ny\n.\n8d\n8a\n..\n.\n9s/^\\.//\n"},
  };
  for (const auto& c : cases) {
    const std::string label = c.words.front() + " " + c.words.back();
    DiffOutcome r = run_diff(d, c.words, kOld, kNew);
    EXPECT_EQ(r.result, 1) << label;
    std::string out = r.out;
    if (c.words.back() == "-c") out = out.substr(out.find("***************"));
    EXPECT_EQ(out, c.out) << label;
  }
}

TEST(DiffForms, ListedEdgeCases) {
  TempDir d;
  EXPECT_EQ(run_diff(d, {"diff", "-n"}, "old\n", "new\n").out, "d1 1\na1 1\nnew\n");
  EXPECT_EQ(run_diff(d, {"diff", "-n"}, "a\n", "x\ny\na\n").out, "a0 2\nx\ny\n");
  EXPECT_EQ(run_diff(d, {"diff", "-N"}, "1\n2\n3\n4\n5\n", "1\n2\n5\n").out, "d 3 2 2 0\n");
  EXPECT_EQ(run_diff(d, {"diff", "-N"}, "1\n2\n3\n4\n5\n", "1\n2\n3\nX\nY\nZ\n").out, "c 4 2 4 3\n");
  EXPECT_EQ(run_diff(d, {"diff", "-e"}, "a\n", "a\n.\n").out, "1a\n..\n.\n2s/^\\.//\n");
  EXPECT_EQ(run_diff(d, {"diff", "-m"}, "a\nb\nc\n", "a\nB\nc\n").out, "a\n.mc \\(br\nB\n.mc\nc\n");
  EXPECT_EQ(run_diff(d, {"diff", "-n"}, "a\nb\nc\n", "a\nX\nc\n").out, "d2 1\na2 1\nX\n");
  EXPECT_EQ(run_diff(d, {"diff", "-N"}, "", "a\nb\nc\n").out, "a 0 0 1 3\n");
  EXPECT_EQ(run_diff(d, {"diff"}, "a\nb\n", "").out, "1,2d0\n< a\n< b\n");
  DiffOutcome same = run_diff(d, {"diff", "-Dsym"}, kOld, kOld);
  EXPECT_EQ(same.result, 0);
  EXPECT_EQ(same.out, kOld);
}

TEST(DiffForms, NormalAndScriptMatchGnuDiffOnUniqueFixtures) {
  TempDir d;
  // Pairs whose lines are all distinct within each file: one LCS only.
  const std::pair<std::string, std::string> fixtures[] = {
      {"a\nb\nc\nd\ne\n", "a\nc\nd\nX\ne\nY\n"},
      {"", "one\ntwo\n"},
      {"one\ntwo\n", ""},
      {"1\n2\n3\n4\n5\n6\n7\n8\n", "0\n1\n2\n4\n5\nsix\n7\n8\n9\n"},
      {"top\nmid\nbot\n", "mid\nbot\ntop\n"},
      {"p\nq\nr\n", "x\ny\nz\n"},
  };
  for (const auto& [a, b] : fixtures) {
    DiffOutcome r = run_diff(d, {"diff"}, a, b);
    EXPECT_EQ(r.out, shell("diff " + d.file("in1") + " " + d.file("in2"))) << a << "--\n" << b;
    r = run_diff(d, {"diff", "-n"}, a, b);
    EXPECT_EQ(r.out, shell("diff -n " + d.file("in1") + " " + d.file("in2"))) << a << "--\n" << b;
  }
}

TEST(DiffForms, EdScriptsRebuildTheNewFile) {
  TempDir d;
  // A dot line inside a change that lies below a change altering the line
  // count, lines that begin with dots and backslashes, and additions at both
  // ends.
  const std::string a = "1\n2\n3\n4\n5\n6\n7\n8\n9\n";
  const std::string b = "0\n1\nnew\nnew2\n3\n4\n.\n.x\n6\n\\back\n7\n..\n9\nend\n";
  for (const char* mode : {"diff", "diffh"}) {
    DiffOutcome r = run_diff(d, {mode, "-e"}, a, b);
    EXPECT_EQ(ed_apply(d, a, r.out), b) << mode << "\n" << r.out;
  }
  // The same through a forced fallback and in segments.
  DiffOutcome seg = run_diff(d, {"bdiff", "-e", "x", "y", "3"}, a, b);
  EXPECT_EQ(ed_apply(d, a, seg.out), b) << seg.out;
}

TEST(DiffForms, IfdefMergeGivesBothFiles) {
  TempDir d;
  const std::string a = "k\nl\nm\nn\no\np\n";
  const std::string b = "new\nk\nM\nn\np\nq\n";
  DiffOutcome r = run_diff(d, {"diff", "-DNEW"}, a, b);
  EXPECT_EQ(eval_ifdef(r.out, "NEW", true), b);
  EXPECT_EQ(eval_ifdef(r.out, "NEW", false), a);
  r = run_diff(d, {"diffh", "-DNEW"}, a, b);
  EXPECT_EQ(eval_ifdef(r.out, "NEW", true), b);
  EXPECT_EQ(eval_ifdef(r.out, "NEW", false), a);
}

TEST(DiffForms, ChangeBarsMarkPendingLogic) {
  TempDir d;
  // Added lines that start with "." get no mark before them; a deletion gets
  // the deletion mark; a dot-only deletion gets none.
  DiffOutcome r = run_diff(d, {"diff", "-m"}, "a\n.x\nb\nc\n", "a\n.sp\nnew\nb\n");
  EXPECT_EQ(r.out, "a\n.sp\n.mc \\(br\nnew\n.mc\nb\n.mc \\(**\n.mc\n");
}

namespace {

std::string numbered(int n, int changed1 = -1, int changed2 = -1, int changed3 = -1) {
  std::string s;
  for (int k = 1; k <= n; ++k)
    s += (k == changed1 || k == changed2 || k == changed3 ? "X" : "L") + std::to_string(k) + "\n";
  return s;
}

}  // namespace

TEST(DiffForms, ContextHunkBoundaries) {
  TempDir d;
  // Changes 6 common lines apart (2n with n = 3): two hunks.
  DiffOutcome r = run_diff(d, {"diff", "-c"}, numbered(20), numbered(20, 5, 12));
  EXPECT_EQ(r.out.substr(r.out.find("***************")),
            "***************\n*** 2,8 ****\n  L2\n  L3\n  L4\n! L5\n  L6\n  L7\n  L8\n--- 2,8 ----\n"
            "  L2\n  L3\n  L4\n! X5\n  L6\n  L7\n  L8\n"
            "***************\n*** 9,15 ****\n  L9\n  L10\n  L11\n! L12\n  L13\n  L14\n  L15\n--- 9,15 ----\n"
            "  L9\n  L10\n  L11\n! X12\n  L13\n  L14\n  L15\n");
  // 5 lines apart: one hunk.
  r = run_diff(d, {"diff", "-C", "3"}, numbered(20), numbered(20, 5, 11));
  EXPECT_EQ(r.out.substr(r.out.find("***************")),
            "***************\n*** 2,14 ****\n  L2\n  L3\n  L4\n! L5\n  L6\n  L7\n  L8\n  L9\n  L10\n! L11\n"
            "  L12\n  L13\n  L14\n--- 2,14 ----\n  L2\n  L3\n  L4\n! X5\n  L6\n  L7\n  L8\n  L9\n  L10\n! X11\n"
            "  L12\n  L13\n  L14\n");
  // Changes at the first and the last line: shorter context at the ends;
  // a side without changes shows no lines.
  r = run_diff(d, {"diff", "-c2"}, "L1\nL2\nL3\nL4\nL5\nL6\nL7\n", "L2\nL3\nL4\nL5\nL6\nL7\nL8\n");
  EXPECT_EQ(r.out.substr(r.out.find("***************")),
            "***************\n*** 1,3 ****\n- L1\n  L2\n  L3\n--- 1,2 ----\n"
            "***************\n*** 6,7 ****\n--- 5,7 ----\n  L6\n  L7\n+ L8\n");
}

TEST(DiffForms, ContextHeaderUsesTwoDigitDays) {
  TempDir d;
  write_file(d.file("in1"), "a\n");
  write_file(d.file("in2"), "b\n");
  // 2021-03-05 07:08:09 UTC (tests run with TZ=UTC).
  shell("touch -d '2021-03-05 07:08:09Z' " + d.file("in1") + " " + d.file("in2"));
  const char* argv[] = {"diff", "-c"};
  ASSERT_EQ(DiffFile(2, argv, d.file("in1").c_str(), d.file("in2").c_str(), d.file("out").c_str()), 1);
  std::string out = read_file(d.file("out"));
  EXPECT_EQ(out.substr(0, out.find("***************")),
            "*** " + d.file("in1") + " Fri Mar 05 07:08:09 2021\n--- " + d.file("in2") + " Fri Mar 05 07:08:09 2021\n");
}

TEST(DiffForms, ContextHunkWithMoreThan255Runs) {
  TempDir d;
  // 200 single-line changes one common line apart: 400 runs in one stretch.
  std::string a, b;
  for (int k = 0; k < 200; ++k) {
    a += "same" + std::to_string(k) + "\nold" + std::to_string(k) + "\n";
    b += "same" + std::to_string(k) + "\nnew" + std::to_string(k) + "\n";
  }
  DiffOutcome r = run_diff(d, {"diff", "-c1"}, a, b);
  ASSERT_EQ(r.result, 1);
  // Every hunk's ranges agree with its lines, and together the hunks mark
  // every changed line exactly once on each side.
  auto lines = split_lines(r.out);
  int changed_old = 0, changed_new = 0, hunks = 0;
  for (std::size_t k = 2; k < lines.size(); ++k) {
    if (lines[k] == "***************\n") ++hunks;
    if (lines[k].rfind("! old", 0) == 0) ++changed_old;
    if (lines[k].rfind("! new", 0) == 0) ++changed_new;
  }
  EXPECT_GE(hunks, 2);
  EXPECT_GE(changed_old, 200);
  EXPECT_GE(changed_new, 200);
  for (int k = 0; k < 200; ++k) {
    EXPECT_NE(r.out.find("! old" + std::to_string(k) + "\n"), std::string::npos) << k;
    EXPECT_NE(r.out.find("! new" + std::to_string(k) + "\n"), std::string::npos) << k;
  }
}
