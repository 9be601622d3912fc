// Failing system calls met by the differencers: an input that stops reading
// part of the way through, and an output that cannot be written. Faults are
// made through the system-call table (platform/sys/fault_injection.h), so
// they hit exactly one file at one point of the run.
#include <cerrno>
#include <cstring>

#include "differ/tests/diff_test_util.h"
#include "platform/sys/fault_injection.h"

using namespace difftest;
using orv::sys::ScopedFault;
using orv::sys::SystemCalls;

namespace {

// About 290 KB of numbered lines: several fills of a 64 KiB stream buffer,
// so a fault after the first fill lands in the middle of the file.
std::string numbered(int count, int changedAt = -1, const std::string& word = "line ") {
  std::string s;
  for (int k = 0; k < count; ++k)
    s += (k == changedAt ? "changed " : word) + std::to_string(k) + " of the input\n";
  return s;
}

std::string text_read_error(const std::string& program, const std::string& file) {
  return program + ": read error on file \"" + file + "\": " + std::strerror(EIO);
}

}  // namespace

TEST(DifferencerFaults, TextInputThatCannotBeReadIsReportedUnreadable) {
  TempDir d;
  const std::string a = numbered(14000, 3), b = numbered(14000, 9000);
  struct Case {
    std::vector<std::string> words;
    const char* file;  // the input whose reads fail
    int after;         // reads let through first
  } cases[] = {
      {{"diff", "-n"}, "in1", 0},  // the very first read
      {{"diff", "-n"}, "in2", 0},
      {{"diff", "-n"}, "in1", 1},  // part of the way through
      {{"diff", "-n"}, "in2", 2},
      {{"diff"}, "in2", 3},
      {{"diff", "-h"}, "in1", 1},  // the half matcher
      {{"diff", "-e"}, "in2", 1},
  };
  for (const auto& c : cases) {
    std::string label = c.words[0] + (c.words.size() > 1 ? " " + c.words[1] : "") + " " + c.file + " after " +
                        std::to_string(c.after);
    DiffOutcome r{};
    {
      ScopedFault<&SystemCalls::read> eio(EIO, {.after = c.after, .pathContains = std::string("/") + c.file});
      r = run_diff(d, c.words, a, b);
      EXPECT_GE(eio.failures(), 1) << label;
    }
    // Never a partial script passed off as the whole difference.
    EXPECT_EQ(r.result, 4) << label;
    EXPECT_EQ(r.message, text_read_error("diff", d.file(c.file))) << label;
  }
  // The same pair reads cleanly once the fault is gone.
  EXPECT_EQ(run_diff(d, {"diff", "-n"}, a, b).result, 1);
}

TEST(DifferencerFaults, TextInputThatCannotBeOpenedGivesTrouble) {
  TempDir d;
  DiffOutcome r{};
  {
    ScopedFault<&SystemCalls::open> eacces(EACCES, {.pathContains = "/in2"});
    r = run_diff(d, {"diff"}, "a\n", "b\n");
  }
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "diff: file \"" + d.file("in2") + "\": " + std::strerror(EACCES));
}

TEST(DifferencerFaults, OutputThatCannotBeWrittenGivesTrouble) {
  TempDir d;
  // Every line differs: the script runs to several buffers.
  const std::string a = numbered(14000), b = numbered(14000, -1, "other ");
  for (int after : {0, 2}) {
    DiffOutcome r{};
    {
      ScopedFault<&SystemCalls::write> full(ENOSPC, {.after = after, .pathContains = "/out"});
      r = run_diff(d, {"diff", "-e"}, a, b);
      EXPECT_GE(full.failures(), 1) << after;
    }
    EXPECT_EQ(r.result, 2) << after;
    EXPECT_EQ(r.message, std::string("diff: write error on standard output: ") + std::strerror(ENOSPC)) << after;
  }
}

TEST(DifferencerFaults, BinaryInputThatCannotBeReadIsTroubleAndWritesNothing) {
  TempDir d;
  const std::string a = numbered(14000, 3), b = numbered(14000, 9000);
  for (const char* file : {"in1", "in2"}) {
    for (int after : {0, 2}) {
      std::filesystem::remove(d.file("out"));
      DiffOutcome r{};
      {
        ScopedFault<&SystemCalls::read> eio(EIO, {.after = after, .pathContains = std::string("/") + file});
        r = run_diff(d, {"diffb", "-n"}, a, b, true);
        EXPECT_EQ(eio.failures(), 1) << file << " after " << after;
      }
      EXPECT_EQ(r.result, 2) << file << " after " << after;
      EXPECT_EQ(r.message, "input file \"" + d.file(file) + "\": " + std::strerror(EIO)) << file;
      EXPECT_FALSE(std::filesystem::exists(d.file("out"))) << "the output is not touched";
    }
  }
}

TEST(DifferencerFaults, BinaryOutputThatCannotBeWrittenGivesTrouble) {
  TempDir d;
  DiffOutcome r{};
  {
    ScopedFault<&SystemCalls::write> eio(EIO, {.pathContains = "/out"});
    r = run_diff(d, {"diffb", "-n"}, "abc", "abd", true);
  }
  EXPECT_EQ(r.result, 2);
  EXPECT_EQ(r.message, "file \"" + d.file("out") + "\": " + std::strerror(EIO));
}
