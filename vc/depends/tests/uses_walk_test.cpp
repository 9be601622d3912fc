// Walks over the dependency graph: the order in which vcEnumUses,
// vcAddUsedFiles, the cache writer and the make rules visit a small
// branching graph (shared headers, a header reached twice, a cycle), the
// answers of a stopped vcEnumUses, and a million-deep include chain in a
// cache, which every walk must get through without exhausting the stack.
#include "vc/depends/tests/depends_test_support.h"
#include "vc/error_codes.h"

#include <cstdio>

namespace {

namespace err = vc::err;
using namespace dependstest;

// The names a callback was given, with the scratch directory as "<dir>".
std::vector<std::string>& seen() {
  static std::vector<std::string> names;
  return names;
}

struct UsesWalkTest : DependsTest {
  // Members main.c, a.h and util.c; non-member headers x.h, y.h, z.h, w.h
  // and v.h under inc/. The cache lists each node's dependencies in the
  // reverse of the order they are kept in (the reader puts each in front):
  //   main.c -> a.h, x.h, y.h
  //   a.h    -> y.h, v.h
  //   x.h    -> z.h, w.h
  //   y.h    -> z.h, x.h       (x.h reached a second way)
  //   z.h    -> x.h            (a cycle)
  //   util.c -> w.h, v.h
  //   w.h, v.h: nothing; v.h has no record of its own
  void branchingGraph() {
    const std::string inc = path("inc/");
    const std::string cache =
        "$(projectdir)/main.c 1 2 3\n"
        "!" + inc + "y.h 13\n"
        "!" + inc + "x.h 12\n"
        "!$(projectdir)/a.h 11\n"
        "$(projectdir)/a.h 4 5 6\n"
        "!" + inc + "v.h 16\n"
        "!" + inc + "y.h 13\n" +
        inc + "x.h 7 8 9\n"
        "!" + inc + "w.h 15\n"
        "!" + inc + "z.h 14\n" +
        inc + "y.h a b c\n"
        "!" + inc + "x.h 12\n"
        "!" + inc + "z.h 14\n" +
        inc + "z.h d e f\n"
        "!" + inc + "x.h 12\n" +
        inc + "w.h 10 11 12\n"
        "$(projectdir)/util.c 20 21 22\n"
        "!" + inc + "v.h 16\n"
        "!" + inc + "w.h 15\n";
    ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
    openProject({}, {"$(projectdir)/main.c", "$(projectdir)/a.h", "$(projectdir)/util.c"});
  }
  std::vector<std::string> enumerate(const std::string& member, int* answer = nullptr) {
    usedNames().clear();
    const int rc = vcEnumUses(h, path(member).c_str(), collectUsed);
    if (answer) *answer = rc;
    std::vector<std::string> out;
    for (const std::string& n : usedNames()) out.push_back(placeholders(n));
    return out;
  }
};

using Names = std::vector<std::string>;

// The text with every wrap (" \", a line feed, four blanks) taken out: where
// a rule wraps depends on the length of the scratch directory's name.
std::string unwrapped(std::string text) {
  const std::string wrap = " \\\n    ";
  for (std::size_t at = text.find(wrap); at != std::string::npos; at = text.find(wrap, at)) text.erase(at, wrap.size());
  return text;
}

// The orders below are those the walks have always had: each is depth first
// in list order, every node once.
TEST_F(UsesWalkTest, BranchingGraphIsWalkedInItsOrder) {
  branchingGraph();
  int answer = -1;
  EXPECT_EQ(enumerate("main.c", &answer), (Names{"<dir>/a.h", "<dir>/inc/y.h", "<dir>/inc/z.h", "<dir>/inc/x.h",
                                                  "<dir>/inc/w.h", "<dir>/inc/v.h"}));
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(enumerate("a.h", &answer),
            (Names{"<dir>/inc/y.h", "<dir>/inc/z.h", "<dir>/inc/x.h", "<dir>/inc/w.h", "<dir>/inc/v.h"}));
  EXPECT_EQ(enumerate("util.c", &answer), (Names{"<dir>/inc/w.h", "<dir>/inc/v.h"}));

  // Members in member order (a.h, main.c, util.c), each record followed by
  // its dependency lines and then, depth first, the records it reaches.
  ASSERT_EQ(vcSaveUses(h), 0);
  EXPECT_EQ(placeholders(read("p.use")),
            "$(projectdir)/a.h 4 5 6\n"
            "!<dir>/inc/y.h c\n"
            "!<dir>/inc/v.h 16\n"
            "<dir>/inc/y.h a b c\n"
            "!<dir>/inc/z.h f\n"
            "!<dir>/inc/x.h 12\n"
            "<dir>/inc/z.h d e f\n"
            "!<dir>/inc/x.h 12\n"
            "<dir>/inc/x.h 7 8 12\n"
            "!<dir>/inc/z.h f\n"
            "!<dir>/inc/w.h 15\n"
            "<dir>/inc/w.h 10 11 15\n"
            "<dir>/inc/v.h 0 0 16\n"
            "$(projectdir)/main.c 1 2 3\n"
            "!$(projectdir)/a.h 6\n"
            "!<dir>/inc/x.h 12\n"
            "!<dir>/inc/y.h c\n"
            "$(projectdir)/util.c 20 21 22\n"
            "!<dir>/inc/w.h 15\n"
            "!<dir>/inc/v.h 16\n");

  const std::string marker = "\n### ORV TY generated dependencies follow, do not remove/change this line\n";
  ASSERT_EQ(vcWriteDepends(h, path("Makefile").c_str(), nullptr, nullptr, VC_DEPENDS_ALL_FILES), err::kDone);
  EXPECT_EQ(placeholders(unwrapped(read("Makefile"))),
            marker +
                "main.obj : <dir>/a.h <dir>/inc/y.h <dir>/inc/z.h <dir>/inc/x.h <dir>/inc/w.h <dir>/inc/v.h \n\n"
                "util.obj : <dir>/inc/w.h <dir>/inc/v.h \n\n");
  ASSERT_EQ(vcWriteDepends(h, path("Makefile").c_str(), nullptr, nullptr, 0), err::kDone);
  EXPECT_EQ(placeholders(unwrapped(read("Makefile"))), marker + "main.obj : <dir>/a.h \n\nutil.obj : \n\n");

  // A declined file is not descended into.
  seen().clear();
  EXPECT_EQ(vcAddUsedFiles(h, path("main.c").c_str(), [](const char* name) {
              seen().push_back(name);
              return 0;
            }),
            0);
  for (std::string& n : seen()) n = placeholders(n);
  EXPECT_EQ(seen(), (Names{"<dir>/inc/y.h", "<dir>/inc/v.h", "<dir>/inc/x.h"}));
}

// A callback's answer other than 0 stops the walk: vcEnumUses answers it
// when it came for a direct dependency of the member, and 1 when it came
// further down.
TEST_F(UsesWalkTest, StoppedWalkAnswers) {
  branchingGraph();
  struct Case {
    const char* stopAt;
    int answer;
    Names seenUpTo;
  } cases[] = {
      {"<dir>/a.h", 7, {"<dir>/a.h"}},
      {"<dir>/inc/y.h", 1, {"<dir>/a.h", "<dir>/inc/y.h"}},
      {"<dir>/inc/w.h", 1, {"<dir>/a.h", "<dir>/inc/y.h", "<dir>/inc/z.h", "<dir>/inc/x.h", "<dir>/inc/w.h"}},
      {"<dir>/inc/v.h", 1, {"<dir>/a.h", "<dir>/inc/y.h", "<dir>/inc/z.h", "<dir>/inc/x.h", "<dir>/inc/w.h",
                            "<dir>/inc/v.h"}},
  };
  static std::string stop;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stopAt);
    stop = c.stopAt;
    seen().clear();
    const int rc = vcEnumUses(h, path("main.c").c_str(), [](const char* name) {
      seen().push_back(name);
      return seen().back().find(stop.substr(5)) != std::string::npos ? 7 : 0;
    });
    EXPECT_EQ(rc, c.answer);
    for (std::string& n : seen()) n = placeholders(n);
    EXPECT_EQ(seen(), c.seenUpTo);
  }
}

// A million-deep include chain: main.c -> /c/1 -> /c/2 -> ... Every walk
// gets to its end, in order, and none exhausts the stack. Builds with the
// address sanitizer, whose allocations cost many times more, check their
// memory over a fifth of it (still far deeper than a walk on the stack
// could go there).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kDepth = 200000;
#else
constexpr int kDepth = 1000000;
#endif

struct ChainWalk {
  static int next;        // the number the next name must have
  static bool inOrder;
  static int stopAt;      // the number whose callback answers 9; 0 for none
  static int step(const char* name) {
    const std::string expected = "/c/" + std::to_string(next);
    if (expected != name) inOrder = false;
    return next++ == stopAt ? 9 : 0;
  }
  static void reset(int stop = 0) {
    next = 1;
    inOrder = true;
    stopAt = stop;
  }
};
int ChainWalk::next = 1;
bool ChainWalk::inOrder = true;
int ChainWalk::stopAt = 0;

TEST_F(UsesWalkTest, MillionDeepChainIsWalkedWhole) {
  std::string cache = "$(projectdir)/main.c 1 2 3\n!/c/1 1\n";
  cache.reserve(static_cast<std::size_t>(kDepth) * 30);
  for (int i = 1; i < kDepth; ++i)
    cache += "/c/" + std::to_string(i) + " 1 1 1\n!/c/" + std::to_string(i + 1) + " 1\n";
  cache += "/c/" + std::to_string(kDepth) + " 1 1 1\n";
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  put("main.c", "");
  openProject({}, {"$(projectdir)/main.c"});

  ChainWalk::reset();
  EXPECT_EQ(vcEnumUses(h, path("main.c").c_str(), ChainWalk::step), 0);
  EXPECT_EQ(ChainWalk::next, kDepth + 1);
  EXPECT_TRUE(ChainWalk::inOrder);
  // Stopped at the far end: a nested walk stopped, so the answer is 1; at
  // the first, the callback's own answer.
  ChainWalk::reset(kDepth);
  EXPECT_EQ(vcEnumUses(h, path("main.c").c_str(), ChainWalk::step), 1);
  ChainWalk::reset(1);
  EXPECT_EQ(vcEnumUses(h, path("main.c").c_str(), ChainWalk::step), 9);

  // The cache is written back as it was read.
  ASSERT_EQ(vcSaveUses(h), 0);
  EXPECT_TRUE(read("p.use") == cache);

  // Every name in the rule, once.
  ASSERT_EQ(vcWriteDepends(h, path("Makefile").c_str(), nullptr, nullptr, VC_DEPENDS_ALL_FILES), err::kDone);
  const std::string rules = read("Makefile");
  std::size_t count = 0;
  for (std::size_t at = rules.find("/c/"); at != std::string::npos; at = rules.find("/c/", at + 3)) ++count;
  EXPECT_EQ(count, static_cast<std::size_t>(kDepth));

  // The first file is offered to be added; declined, nothing below it is.
  ChainWalk::reset();
  EXPECT_EQ(vcAddUsedFiles(h, path("main.c").c_str(), ChainWalk::step), 0);
  EXPECT_EQ(ChainWalk::next, 2);
  EXPECT_EQ(vcCloseProject(h), 0);
}

// vcAddUsedFiles goes down through members without asking: a long chain of
// members is walked to its end, where the one file that is no member is
// offered.
TEST_F(UsesWalkTest, LongMemberChainIsWalkedToItsEnd) {
  constexpr int kMembers = 100000;
  auto member = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "m%06d.c", i);
    return std::string(name);
  };
  std::string project = "--ORV Project--\n$Revision$\nEndOptions\n";
  std::string cache;
  // Members in descending order, so that each is put in front at once.
  for (int i = kMembers; i >= 1; --i) project += member(i) + " f  \n";
  for (int i = 1; i < kMembers; ++i)
    cache += "$(projectdir)/" + member(i) + " 1 1 1\n!$(projectdir)/" + member(i + 1) + " 1\n";
  cache += "$(projectdir)/" + member(kMembers) + " 1 1 1\n!/c/1 1\n/c/1 1 1 1\n";
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.prj"), project), 0);
  ASSERT_EQ(orv::sys::writeWholeFile(path("p.use"), cache), 0);
  ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  ChainWalk::reset();
  EXPECT_EQ(vcAddUsedFiles(h, path(member(1)).c_str(), ChainWalk::step), 0);
  EXPECT_EQ(ChainWalk::next, 2);
  EXPECT_TRUE(ChainWalk::inOrder);
  EXPECT_EQ(vcCloseProject(h), 0);
}

}  // namespace
