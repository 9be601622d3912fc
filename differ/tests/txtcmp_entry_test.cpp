// DiffFile entry: option words, messages, results, busy guard, line statuses,
// directories and the several-files form.
#include <sys/stat.h>

#include "differ/txtcmp/diff_run.h"
#include "differ/tests/diff_test_util.h"

using namespace difftest;

namespace {

struct OptionCase {
  std::vector<std::string> words;
  int result;
  std::string message;  // expected DiffError text ("" = not checked)
};

}  // namespace

TEST(DiffFileOptions, UsageErrorsTable) {
  TempDir d;
  // Seed a known message so that "no new message" can be seen.
  run_diff(d, {"diff", "-q"}, "a\n", "a\n");
  const OptionCase cases[] = {
      {{"diff", "-q"}, 2, "Unknown option \"-q\"\n"},
      {{"diff", "-nxyz"}, 2, "Unknown option \"-xyz\"\n"},
      {{"diff", "-C"}, 2, "Missing number after \"-C\" option\n"},
      {{"diff", "-C", "x"}, 2, "Missing number after \"-C\" option\n"},
      {{"diff", "-D"}, 2, "Missing #ifdef symbol after -D\n"},
      {{"diff", "-m", "-e"}, 2, "cannot specify -m with either -e or -f"},
      {{"diff", "-fm"}, 2, "cannot specify -m with either -e or -f"},
      {{"diff", "-em"}, 2, "cannot specify -m with either -e or -f"},
      {{"diff", "-M"}, 2, "cannot specify -m with either -e or -f"},  // no new message
      {{"diff", "-nCN", "2"}, 1, ""},  // -C takes the next word inside a bundle
      {{"diff", "-c5", "-n"}, 1, ""},
      {{"diff", "--", "-q"}, 1, ""},  // "--" ends the options
      {{"diff", "-", "-q"}, 1, ""},   // "-" ends them and stays
      {{"diff", "-rsHbwi"}, 1, ""},
  };
  for (const auto& c : cases) {
    DiffOutcome r = run_diff(d, c.words, "a\n", "b\n");
    std::string joined;
    for (auto& w : c.words) joined += w + " ";
    EXPECT_EQ(r.result, c.result) << joined;
    if (!c.message.empty()) {
      EXPECT_EQ(r.message, c.message) << joined;
    }
  }
}

TEST(DiffFileOptions, OptionBundlesTakeTheirWords) {
  TempDir d;
  // -C inside a bundle takes the next word, the rest of the bundle still counts.
  DiffOutcome r = run_diff(d, {"diff", "-Cn", "1"}, "a\nb\nc\n", "a\nB\nc\n");
  EXPECT_EQ(r.out.substr(r.out.find("***************")), "***************\n*** 1,3 ****\n  a\n! b\n  c\n--- 1,3 ----\n  a\n! B\n  c\n");
  // -M takes the next word for the mark.
  r = run_diff(d, {"diff", "-mM", "XY"}, "a\n", "b\n");
  EXPECT_EQ(r.out, ".mc XY\nb\n.mc\n");
  // -c0 means no context form.
  r = run_diff(d, {"diff", "-c0"}, "a\n", "b\n");
  EXPECT_EQ(r.out, "1c1\n< a\n---\n> b\n");
}

TEST(DiffFileOptions, NoStateLeaksBetweenCalls) {
  TempDir d;
  std::string a, b;
  for (int k = 0; k < 30; ++k) a += "l" + std::to_string(k) + "\n";
  b = a;
  b.replace(b.find("l5\n"), 3, "X\n");
  b.replace(b.find("l20\n"), 4, "Y\n");
  DiffOutcome seg = run_diff(d, {"bdiff", "-n", "x", "y", "4"}, a, b);
  EXPECT_EQ(seg.result, 1);
  EXPECT_EQ(run_diff(d, {"diff", "-b", "-i", "-c"}, a, b).result, 1);
  DiffOutcome plain = run_diff(d, {"diff"}, a, b);
  EXPECT_EQ(plain.out, "6c6\n< l5\n---\n> X\n21c21\n< l20\n---\n> Y\n");
  EXPECT_EQ(run_diff(d, {"diff"}, "A\n", "a\n").result, 1);  // -i did not stay
}

TEST(DiffFileResults, WhiteSpaceAndCaseOptions) {
  TempDir d;
  struct Case {
    std::string a, b;
    int plain, b_opt, w_opt, i_opt;
  } cases[] = {
      {"ab\n", "ab  \n", 1, 0, 0, 1},
      {"a b\n", "a \t b\n", 1, 0, 0, 1},
      {"a b\n", "ab\n", 1, 1, 0, 1},
      {" ab\n", "ab\n", 1, 1, 0, 1},
      {"AbC\n", "abc\n", 1, 1, 1, 0},
      {"a\xc4\n", "a\xe4\n", 1, 1, 1, 1},  // only ASCII folds
      {"ab\n", "ab", 1, 0, 0, 1},         // the line feed counts without options
      {"a\n\n", "a\n", 1, 1, 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run_diff(d, {"diff"}, c.a, c.b).result, c.plain) << c.a;
    EXPECT_EQ(run_diff(d, {"diff", "-b"}, c.a, c.b).result, c.b_opt) << c.a;
    EXPECT_EQ(run_diff(d, {"diff", "-w"}, c.a, c.b).result, c.w_opt) << c.a;
    EXPECT_EQ(run_diff(d, {"diff", "-i"}, c.a, c.b).result, c.i_opt) << c.a;
  }
}

TEST(DiffFileResults, WhiteSpaceAgreesWithGnuDiff) {
  TempDir d;
  std::srand(7);
  const char* pieces[] = {"a", "b", " ", "\t", "  ", "B", "x y"};
  for (int round = 0; round < 40; ++round) {
    std::string a, b;
    for (int l = 0; l < 4; ++l) {
      std::string line;
      for (int k = 0; k < 4; ++k) line += pieces[std::rand() % 7];
      a += line + "\n";
      std::string other = line;
      if (std::rand() % 2) other.insert(static_cast<std::size_t>(std::rand()) % (other.size() + 1), " ");
      if (std::rand() % 3 == 0) other += "\t";
      b += other + "\n";
    }
    for (const char* opt : {"-b", "-w", "-i"}) {
      DiffOutcome r = run_diff(d, {"diff", opt}, a, b);
      int st = 0;
      shell(std::string("diff -q ") + opt + " " + d.file("in1") + " " + d.file("in2") + " >/dev/null", &st);
      EXPECT_EQ(r.result, st) << opt << "\n" << a << "--\n" << b;
    }
  }
}

TEST(DiffFileResults, IdenticalFilesGiveEmptyOutput) {
  TempDir d;
  write_file(d.file("out"), "old contents\n");
  DiffOutcome r = run_diff(d, {"diff", "-n"}, "a\nb\n", "a\nb\n");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.out, "");
  r = run_diff(d, {"diff"}, "", "");
  EXPECT_EQ(r.result, 0);
}

TEST(DiffFileResults, CarriageReturns) {
  TempDir d;
  EXPECT_EQ(run_diff(d, {"diff"}, "a\r\nb\r\n", "a\nb\n").result, 0);
  EXPECT_EQ(run_diff(d, {"diff"}, "a\nb\r", "a\nb\n").result, 0);  // a lone final CR
  // A carriage return inside the last line keeps what follows it.
  DiffOutcome r = run_diff(d, {"diff", "-n"}, "a\n", "a\nab\rX");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.out, "a1 1\nab\rX");
  EXPECT_EQ(run_diff(d, {"diff"}, "ab\rX\n", "ab\n").result, 1);
}

TEST(DiffFileResults, UnreadableLines) {
  TempDir d;
  std::string bin = std::string("a\nb\0c\nd\n", 8);
  DiffOutcome r = run_diff(d, {"diff"}, "a\nx\nd\n", bin);
  EXPECT_EQ(r.result, 4);
  EXPECT_EQ(r.message, "file \"" + d.file("in2") + "\" is binary\n");

  std::string longline(1025, 'x');
  r = run_diff(d, {"diff"}, "a\n" + longline + "\n", "a\nb\n");
  EXPECT_EQ(r.result, 4);
  EXPECT_EQ(r.message, "file \"" + d.file("in1") + "\": line too long: limit 1024\n");
  EXPECT_EQ(run_diff(d, {"diff"}, std::string(1024, 'y') + "\n", "a\n").result, 1);

  // An unreadable line met inside the full matcher (after the first
  // difference) is not reported as success.
  std::string many;
  for (int k = 0; k < 20; ++k) many += "line" + std::to_string(k) + "\n";
  std::string broken = "changed\n" + many.substr(0, 30) + std::string("\0zz\n", 4) + many;
  r = run_diff(d, {"diff", "-n"}, "first\n" + many, broken);
  EXPECT_EQ(r.result, 4);
  EXPECT_EQ(r.message, "file \"" + d.file("in2") + "\" is binary\n");
  r = run_diff(d, {"diff", "-h"}, "first\n" + many, broken);
  EXPECT_EQ(r.result, 4);
}

TEST(DiffFileResults, FilesAndOutputErrors) {
  TempDir d;
  write_file(d.file("a"), "a\n");
  const char* argv[] = {"diff"};
  int r = DiffFile(1, argv, d.file("missing").c_str(), d.file("a").c_str(), d.file("out").c_str());
  EXPECT_EQ(r, 2);
  char msg[512];
  DiffError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), "diff: file \"" + d.file("missing") + "\": " + std::strerror(ENOENT));
  EXPECT_TRUE(fs::exists(d.file("out")));  // the output is opened first

  r = DiffFile(1, argv, d.file("a").c_str(), d.file("a").c_str(), d.file("nodir/out").c_str());
  EXPECT_EQ(r, 2);
  DiffError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), "diff: file \"" + d.file("nodir/out") + "\": " + std::strerror(ENOENT));

  write_file(d.file("b"), std::string(200000, 'b') + "\n");
  r = DiffFile(1, argv, d.file("a").c_str(), d.file("b").c_str(), "/dev/full");
  EXPECT_EQ(r, 2);
  DiffError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), std::string("diff: write error on standard output: ") + std::strerror(ENOSPC));
}

TEST(DiffFileResults, DiffErrorCutsLongMessages) {
  TempDir d;
  run_diff(d, {"diff", "-abcdefghijklmnopqrstu"}, "", "");  // "Unknown option "-a..."
  char buf[10];
  EXPECT_EQ(DiffError(buf, sizeof buf), 1);
  EXPECT_STREQ(buf, "Unknown ");
}

namespace {
int g_inner_result = -1;
std::string g_inner_message;
void reenter() {
  const char* argv[] = {"diff"};
  g_inner_result = DiffFile(1, argv, "/dev/null", "/dev/null", "/dev/null");
  char msg[64];
  DiffError(msg, sizeof msg);
  g_inner_message = msg;
}
}  // namespace

TEST(DiffFileResults, BusyGuard) {
  TempDir d;
  orv::txtcmp::set_busy_hook(reenter);
  DiffOutcome r = run_diff(d, {"diff"}, "a\n", "b\n");
  orv::txtcmp::set_busy_hook(nullptr);
  EXPECT_EQ(g_inner_result, 2);
  EXPECT_EQ(g_inner_message, "DLL in use");
  EXPECT_EQ(r.result, 1);  // the running call was not disturbed
  EXPECT_EQ(r.out, "1c1\n< a\n---\n> b\n");
  EXPECT_EQ(run_diff(d, {"diff"}, "a\n", "a\n").result, 0);  // the flag is free again
}

TEST(DiffFileForms, Directories) {
  TempDir d;
  fs::create_directory(d.file("dir"));
  write_file(d.file("dir/f.txt"), "a\nb\n");
  write_file(d.file("f.txt"), "a\nc\n");
  const char* argv[] = {"diff"};
  std::string out = d.file("out");
  EXPECT_EQ(DiffFile(1, argv, d.file("dir").c_str(), d.file("f.txt").c_str(), out.c_str()), 1);
  EXPECT_EQ(read_file(out), "2c2\n< b\n---\n> c\n");
  EXPECT_EQ(DiffFile(1, argv, d.file("f.txt").c_str(), (d.file("dir") + "/").c_str(), out.c_str()), 1);
  EXPECT_EQ(read_file(out), "2c2\n< c\n---\n> b\n");
  EXPECT_EQ(DiffFile(1, argv, d.file("dir").c_str(), d.file("dir").c_str(), out.c_str()), 1);
  EXPECT_EQ(read_file(out), "");

  const char* dc[] = {"dircmp"};
  EXPECT_EQ(DiffFile(1, dc, d.file("f.txt").c_str(), d.file("dir").c_str(), out.c_str()), 1);
  char msg[512];
  DiffError(msg, sizeof msg);
  EXPECT_EQ(std::string(msg), d.file("f.txt") + ": Not a directory");

  // Several files against a directory (the last word).
  write_file(d.file("g.txt"), "same\n");
  write_file(d.file("dir/g.txt"), "same\n");
  std::string f = d.file("f.txt"), g = d.file("g.txt"), dir = d.file("dir");
  const char* several[] = {"diff", "-e", f.c_str(), g.c_str(), dir.c_str()};
  EXPECT_EQ(DiffFile(5, several, "", "", out.c_str()), 1);
  EXPECT_EQ(read_file(out), "E " + f + "\n2c\nb\n.\nw\nE " + g + "\n");
  const char* several_dc[] = {"dircmp", g.c_str(), f.c_str(), dir.c_str()};
  EXPECT_EQ(DiffFile(4, several_dc, "", "", out.c_str()), 1);
  const char* bad[] = {"diff", f.c_str(), g.c_str(), f.c_str()};  // last word not a directory
  EXPECT_EQ(DiffFile(4, bad, "", "", out.c_str()), 2);
}

TEST(DiffFileForms, BackslashesInNamesBecomeSlashes) {
  TempDir d;
  fs::create_directory(d.file("sub"));
  write_file(d.file("sub/x"), "a\n");
  std::string name = d.path() + "\\sub\\x";
  const char* argv[] = {"diff"};
  EXPECT_EQ(DiffFile(1, argv, name.c_str(), name.c_str(), d.file("out").c_str()), 0);
}
