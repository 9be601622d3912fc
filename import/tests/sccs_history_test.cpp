// SCCS histories made with the SCCS tools (package cssc) and imported: every
// delta, found in the archive by its unique comment, checks out through the
// revision library to exactly what "get -k -p" gives for its SID. Seeded
// random histories edit, branch, and branch off branch deltas. Skipped when
// the tools are not installed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <vector>

#include "import/tests/import_test_util.h"
#include "import/include/orv/sccsty32.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;

std::string freshLine(std::mt19937& rng, int n) {
  static const char* words[] = {"alpha", "beta", "@", "gamma", "x = y;", "}", "", "if (a)", "@@ b"};
  return std::string(words[rng() % 9]) + " " + std::to_string(n) + "." + std::to_string(rng() % 100) + "\n";
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t nl = text.find('\n', at);
    nl = nl == std::string::npos ? text.size() : nl + 1;
    out.push_back(text.substr(at, nl - at));
    at = nl;
  }
  return out;
}

std::string mutate(std::mt19937& rng, const std::string& text, int n) {
  std::vector<std::string> lines = splitLines(text);
  for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) {
    const std::size_t at = lines.empty() ? 0 : rng() % lines.size();
    switch (lines.empty() ? 1 : rng() % 3) {
      case 0: lines[at] = freshLine(rng, n); break;
      case 1: lines.insert(lines.begin() + static_cast<long>(at), freshLine(rng, n)); break;
      default: lines.erase(lines.begin() + static_cast<long>(at)); break;
    }
  }
  if (lines.empty()) lines.push_back(freshLine(rng, n));
  std::string out;
  for (const auto& l : lines) out += l;
  return out;
}

// Makes s.f.c in dir; returns each delta's SID by its comment.
std::map<std::string, std::string> makeHistory(const std::string& dir, unsigned seed) {
  std::mt19937 rng(seed);
  std::string first;
  for (int i = 0; i < 8; ++i) first += freshLine(rng, 0);
  writeFile(dir + "/init.c", first);
  int rc = 0;
  run(dir, "sccs admin -fb -iinit.c -y'delta 0' s.f.c && rm init.c", &rc);
  EXPECT_EQ(rc, 0);
  std::map<std::string, std::string> sids{{"delta 0", "1.1"}};
  std::vector<std::string> all{"1.1"};
  for (int n = 1; n <= 14; ++n) {
    const std::string base = all[rng() % all.size()];
    const bool branch = rng() % 3 == 0;
    run(dir, "sccs get -s -e " + std::string(branch ? "-b " : "") + "-r" + base + " s.f.c", &rc);
    if (rc != 0) continue;
    writeFile(dir + "/f.c", mutate(rng, readFile(dir + "/f.c"), n));
    const std::string comment = "delta " + std::to_string(n);
    const std::string out = run(dir, "sccs delta -y'" + comment + "' s.f.c", &rc);
    EXPECT_EQ(rc, 0) << out;
    const std::string sid = out.substr(0, out.find('\n'));
    sids[comment] = sid;
    all.push_back(sid);
  }
  return sids;
}

TEST(SccsHistory, EveryDeltaChecksOutAsGetGivesIt) {
  if (!haveSccsTools()) GTEST_SKIP() << "the SCCS tools (package cssc) are not installed";
  int revisions = 0, offBranches = 0;
  for (unsigned seed = 1; seed <= 30; ++seed) {
    orv::test::TempDir d{"orv-sccshist"};
    const auto sids = makeHistory(d.path(), seed);
    const std::string outDir = d.path() + "/archives";
    ASSERT_EQ(::mkdir(outDir.c_str(), 0777), 0);
    ASSERT_EQ(sccs2rcsFile(0, 0, 0, (d.path() + "/s.f.c").c_str(), outDir.c_str()), 0) << "seed " << seed;
    const std::string archive = outDir + "/f.c";
    const auto numbers = numbersByLog(archive);
    Library lib(d.path());
    ASSERT_TRUE(lib.ok);
    for (const auto& [comment, sid] : sids) {
      ASSERT_TRUE(numbers.count(comment + "\n")) << "seed " << seed << ": " << comment;
      const std::string expected = run(d.path(), "sccs get -s -k -p -r" + sid + " s.f.c");
      const std::string got = lib.checkOut(archive, numbers.at(comment + "\n"), d.path() + "/out.c");
      EXPECT_EQ(got, expected) << "seed " << seed << ", SID " << sid << " as " << numbers.at(comment + "\n");
      ++revisions;
      const std::string& number = numbers.at(comment + "\n");
      offBranches += std::count(number.begin(), number.end(), '.') >= 5;
    }
  }
  EXPECT_GT(revisions, 300);
  EXPECT_GT(offBranches, 0) << "no branch off a branch delta was made";
}

}  // namespace
