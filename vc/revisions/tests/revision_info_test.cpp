// Revision information items: the getters and relations over the fixture
// tree, locks, renumbering, the promotion rules and the revision events.
#include "vc/error_codes.h"
#include "vc/tests/info_test_support.h"
#include "platform/sys/system_calls.h"

using namespace info_test;

namespace {

struct RevisionInfoTest : InfoTest {
  void SetUp() override {
    InfoTest::SetUp();
    ASSERT_EQ(vcSetSysInfo(99, "alice"), 0);
  }
};

struct RevCase {
  int item;
  const char* revision;
  const char* expected;
};

const RevCase kGets[] = {
    {27, "1.2", "bob"},
    {27, "rel1", "alice"},
    {28, "1.2", "1.2.1.1"},
    {28, "1.3", "<48>"},
    {29, "1.2.1.2", "1.2.2.1"},  // from any revision of the first branch
    {29, "1.2.2.1", "<48>"},
    {29, "1.2", "<48>"},
    {30, "1.3", "95/03/02 10:00:00"},
    {30, "1.2.1.1.1.1", "2001/01/01 00:00:01"},
    {31, "1.2", "second@\n"},
    {31, "fix", "first fix\n"},
    {32, "1.3", "line one\nline two\nline three\n"},
    {32, "1.2.2.1", "a2 1\nerin's line\n"},
    {34, "1.2", "Rel"},
    {34, "1.2.1.2", ""},
    {44, "rel2", "1.2"},
    {44, "1", "1.3"},        // a release number: where the search ended
    {44, "1.2.1", "1.2.1.2"},
    {44, "1.4", "<48>"},     // a full number that is missing
    {44, "1.2.1.9", "<48>"},
    {59, "1.3", "1.2"},
    {59, "1.1", "<48>"},
    {59, "1.2.1.2", "1.2.1.1"},
    {59, "1.2.1.1", "<48>"},
    {60, "1.3", "+1 -0"},
    {60, "1.2", "+0 -1"},
    {60, "1.1", ""},
    {60, "1.2.1.1", "+2 -1"},
    {60, "1.2.1.1.1.1", "+1 -0"},
    {75, "1.2", "1.3"},
    {75, "1.3", "<48>"},
    {75, "1.2.1.1", "1.2.1.2"},
    {75, "1.2.1.2", "<48>"},
    {26, "1.2", "<56>"},
    {45, "1.2", "<56>"},
    {27, "nolabel", "<36>"},
};

class RevisionGetter : public RevisionInfoTest, public ::testing::WithParamInterface<RevCase> {};

TEST_P(RevisionGetter, Answers) {
  int h = openText(kTree);
  EXPECT_EQ(rev(h, GetParam().item, GetParam().revision), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Tree, RevisionGetter, ::testing::ValuesIn(kGets));

TEST_F(RevisionInfoTest, ExistenceCountsAndArguments) {
  int h = openText(kTree);
  EXPECT_EQ(vcGetRevInfo(h, 69, "1.2.1.1.1.1", nullptr, 0), 0);
  EXPECT_EQ(vcGetRevInfo(h, 69, "1", nullptr, 0), vc::err::kRevisionMissing);
  EXPECT_EQ(vcGetRevInfo(h, 69, "1.4", nullptr, 0), vc::err::kRevisionMissing);
  EXPECT_EQ(vcGetRevInfo(h, 27, nullptr, nullptr, 0), vc::err::kBadArgument);
  char b[8];
  EXPECT_EQ(vcGetRevInfo(h, 27, "1.2", b, 0), vc::err::kBadArgument);
  EXPECT_EQ(vcGetRevInfo(42, 27, "1.2", b, 8), vc::err::kBadArchiveHandle);
  std::uint32_t n = 0;
  ASSERT_EQ(vcGetRevInfo(h, 65, "1.2", reinterpret_cast<char*>(&n), 4), 0);
  EXPECT_EQ(n, 2u);
  // An empty archive: item 44 answers an empty string for short numbers.
  int fresh = 0;
  ASSERT_EQ(vcOpenArchive(path("new.v").c_str(), &fresh, 4), 0);
  EXPECT_EQ(rev(fresh, 44, "1.1"), "");
  EXPECT_EQ(rev(fresh, 44, "1.1.1.1"), "<48>");
  EXPECT_EQ(rev(fresh, 27, "1.1"), "<48>");
}

// ---- locks ----

TEST_F(RevisionInfoTest, LockRules) {
  int h = openText(kTree);
  struct Case {
    const char* user;
    int item;
    const char* revision;
    int rc;
  } cases[] = {
      {"alice", 18, "1.3", 0},  // hers already
      {"alice", 18, "1.2", vc::err::kOtherRevisionLocked},  // she holds another
      {"alice", 18, "1.2.1.2", vc::err::kRevisionAlreadyLocked},  // bob's
      {"alice", 23, "1.2.1.2", vc::err::kLockedByOther},
      {"alice", 23, "1.2", vc::err::kRevisionNotLocked},
      {"alice", 18, "1.9", vc::err::kRevisionMissing},
      {"alice", 23, "1.3", 0},
      {"alice", 18, "1.2", 0},  // now free to take another
      {"carol", 51, "1.2", 0},  // breaking alice's lock
      {"carol", 18, "rel1", 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(vcSetSysInfo(99, c.user), 0);
    EXPECT_EQ(vcSetRevInfo(h, c.item, c.revision, nullptr), c.rc) << c.user << c.item << c.revision;
  }
  h = reopen(h);
  std::vector<std::string> locks;
  for (std::string e; (e = str(h, 9)) != "<5>";) locks.push_back(e);
  EXPECT_EQ(locks, (std::vector<std::string>{"carol 1.1", "bob 1.2.1.2"}));
  // Breaking needs the permission.
  ASSERT_EQ(vcSetSysInfo(99, "alice"), 0);
  deniedPermissions() = {"breaklocks"};
  EXPECT_EQ(vcSetRevInfo(h, 51, "1.1", nullptr), vc::err::kDenyBreakLock);
  EXPECT_EQ(vcSetRevInfo(h, 23, "1.1", nullptr), vc::err::kLockedByOther);
  // Without the write lock.
  int r = openText(kTree, "r.v", 1);
  EXPECT_EQ(vcSetRevInfo(r, 18, "1.1", nullptr), vc::err::kNotOpenForWrite);
}

TEST_F(RevisionInfoTest, LockEventsAndTheirRefusal) {
  ASSERT_EQ(config("autoaction prelock=pre\nautoaction lock=post\nautoaction preunlock=pre\n"
                   "autoaction unlock=post\nblock pre\necho $(event)/$(revision)\nreturn $(go)\nend\n"
                   "block post\necho $(event)/$(revision)\nend\n"),
            0);
  ASSERT_EQ(vcSetConfig("go", "1"), 0);
  int h = openText(kTree);
  EXPECT_EQ(vcSetRevInfo(h, 23, "1.3", nullptr), 0);
  EXPECT_EQ(vcSetRevInfo(h, 18, "1.1", nullptr), 0);
  EXPECT_EQ(echoed(), (std::vector<std::string>{"preunlock/1.3", "unlock/1.3", "prelock/1.1", "lock/1.1"}));
  ASSERT_EQ(vcSetConfig("go", "0"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 23, "1.1", nullptr), vc::err::kEventHalted);
  EXPECT_EQ(str(h, 9), "alice 1.1");
  deniedPermissions() = {"lock"};
  ASSERT_EQ(vcSetConfig("go", "1"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 23, "1.1", nullptr), 0);
  EXPECT_EQ(vcSetRevInfo(h, 18, "1.2", nullptr), vc::err::kDenyLock);
}

// ---- renumbering ----

TEST_F(RevisionInfoTest, Renumbering) {
  int h = openText(kTree);
  struct Case {
    const char* from;
    const char* to;
    int rc;
  } cases[] = {
      {"1.2", "1.5", vc::err::kRevisionHasBranches},  // has branches
      {"1.3", "1.2", vc::err::kRevisionExists},  // taken
      {"1.3", "1.3.1", vc::err::kRevisionOutOfRange},  // other field count
      {"1.3", "01.2x", vc::err::kBadRevisionNumber},
      {"1.3", "1.2.5", vc::err::kRevisionOutOfRange},
      {"1.2.1.2", "1.2.3.2", vc::err::kRevisionOutOfRange},  // would leave its branch
      {"1.2.1.2", "1.2.1.1.5", vc::err::kRevisionOutOfRange},
      {"1.2.2.1", "1.2.2.0", 0},  // first of its branch: anything below nothing
      {"1.1", "1.0", 0},
      {"1.3", "1.0", vc::err::kRevisionExists},
      {"1.3", "2.1", 0},  // newest: anything above the older one
      {"1.0", "1.3", vc::err::kRevisionOutOfRange},  // would pass 1.2
      {"nolabel", "1.9", vc::err::kSymbolMissing},
      {"1.7", "1.8", vc::err::kRevisionMissing},
  };
  for (const auto& c : cases) EXPECT_EQ(vcSetRevInfo(h, 35, c.from, c.to), c.rc) << c.from << "->" << c.to;
  h = reopen(h);
  EXPECT_EQ(str(h, 8), "2.1");
  EXPECT_EQ(rev(h, 31, "2.1"), "third\n");
  EXPECT_EQ(rev(h, 32, "1.2.2.0"), "a2 1\nerin's line\n");
  // Labels and locks follow the revision.
  EXPECT_EQ(str(h, 11), "rel2 1.2");
  EXPECT_EQ(str(h, 11), "fix 1.2.1.1");
  EXPECT_EQ(str(h, 11), "rel1 1.0");
  EXPECT_EQ(str(h, 9), "bob 1.2.1.2");
  EXPECT_EQ(str(h, 9), "alice 2.1");
}

// ---- state, author, date, log and the promotion rules ----

TEST_F(RevisionInfoTest, WalkInEnumerationOrderFollowsChangesOfTheTree) {
  int h = openText(kTree);
  auto walk = [&] {
    std::vector<std::string> out;
    for (std::string r = str(h, VC_ARCHIVE_ITEM_FIRST_REVISION); r[0] != '<' && out.size() < 20;
         r = rev(h, VC_REVISION_ITEM_NEXT, r.c_str()))
      out.push_back(r);
    return out;
  };
  // Down the trunk; before each revision its branches from the last listed
  // to the first, each from its newest revision back.
  EXPECT_EQ(walk(), (std::vector<std::string>{"1.3", "1.2.2.1", "1.2.1.2", "1.2.1.1.1.1", "1.2.1.1", "1.2", "1.1"}));
  EXPECT_EQ(rev(h, VC_REVISION_ITEM_NEXT, "1.1"), "<48>");
  EXPECT_EQ(rev(h, VC_REVISION_ITEM_NEXT, "fix"), "1.2");
  ASSERT_EQ(vcDeleteRevision(h, "1.2.1.1.1.1"), 0);
  EXPECT_EQ(walk(), (std::vector<std::string>{"1.3", "1.2.2.1", "1.2.1.2", "1.2.1.1", "1.2", "1.1"}));
  ASSERT_EQ(vcDeleteRevision(h, "1.2.2.1"), 0);
  EXPECT_EQ(walk(), (std::vector<std::string>{"1.3", "1.2.1.2", "1.2.1.1", "1.2", "1.1"}));
  h = reopen(h);
  EXPECT_EQ(walk(), (std::vector<std::string>{"1.3", "1.2.1.2", "1.2.1.1", "1.2", "1.1"}));
}

// Bytes the library reads through pread (the archive reader's only read).
std::uint64_t gPreadBytes = 0;
ssize_t countingPread(int fd, void* buf, size_t len, off_t offset) {
  const ssize_t got = orv::sys::realCalls().pread(fd, buf, len, offset);
  if (got > 0) gPreadBytes += static_cast<std::uint64_t>(got);
  return got;
}

TEST_F(RevisionInfoTest, CheckOutReadsItsArchiveOnce) {
  // A head revision of 200,000 lines, far longer than the reader's first
  // blocks, and an older revision behind it.
  std::string head;
  for (int i = 0; i < 200000; ++i) head += "line " + std::to_string(i) + " of a long text\n";
  const std::string text = "head 1.2;\naccess ;\nsymbols ;\nlocks ; strict;\ncomment @# @;\n\n\n"
                           "1.2\ndate 2020.01.02.00.00.00; author bob; state Exp;\nbranches ;\nnext 1.1;\n\n"
                           "1.1\ndate 2020.01.01.00.00.00; author bob; state Exp;\nbranches ;\nnext ;\n\n\n"
                           "desc\n@@\n\n\n1.2\nlog\n@second\n@\ntext\n@" + head +
                           "@\n\n\n1.1\nlog\n@first\n@\ntext\n@d1 1\na1 1\nold line\n@\n";
  writeFile(path("long.v"), text);
  const std::string work = path("long.txt");
  gPreadBytes = 0;
  orv::sys::calls().pread = &countingPread;
  int h = 0;
  const int opened = vcOpenArchive(path("long.v").c_str(), &h, VC_ARCHIVE_OPEN_READ);
  const int checkedOut = opened ? opened : vcCheckOutRevision(h, "1.2", work.c_str(), 0);
  orv::sys::resetCalls();
  ASSERT_EQ(opened, 0);
  ASSERT_EQ(checkedOut, 0);
  vcCloseArchive(h);
  std::string out;
  ASSERT_EQ(orv::sys::readWholeFile(work, out), 0);
  EXPECT_EQ(out, head);
  // The whole file once; beside it the bytes of its recognition and what
  // the header's first block (64 KiB) held past the header, which the
  // reading of the texts reads again.
  EXPECT_GE(gPreadBytes, text.size());
  EXPECT_LE(gPreadBytes, text.size() + 65 * 1024);
}

TEST_F(RevisionInfoTest, PlainRevisionItems) {
  ASSERT_EQ(config("autoaction prenewlog=pre\nautoaction newlog=post\nautoaction prenewdate=pre\n"
                   "autoaction newauthor=post\n"
                   "block pre\necho $(event)/$(revision)/$(newvalue)\nreturn 1\nend\n"
                   "block post\necho $(event)/$(revision)/$(newvalue)\nend\n"),
            0);
  int h = openText(kTree);
  EXPECT_EQ(vcSetRevInfo(h, 39, "1.2.1.1", "log with @ sign"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 37, "1.1", "zoe"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 37, "1.1", "z;oe"), vc::err::kBadArgument);
  EXPECT_EQ(vcSetRevInfo(h, 38, "1.1", "99.12.31.23.59.59"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 36, "1.1", "Beta"), 0);
  EXPECT_EQ(vcSetRevInfo(h, 36, "1.1", "9x"), vc::err::kBadArgument);
  EXPECT_EQ(vcSetRevInfo(h, 40, "1.1", "x"), vc::err::kBadArgument);
  EXPECT_EQ(vcSetRevInfo(h, 39, "1.1", nullptr), vc::err::kBadArgument);
  EXPECT_EQ(echoed(), (std::vector<std::string>{"prenewlog/1.2.1.1/log with @ sign",
                                                "newlog/1.2.1.1/log with @ sign", "newauthor/1.1/zoe",
                                                "prenewdate/1.1/99.12.31.23.59.59"}));
  h = reopen(h);
  EXPECT_EQ(rev(h, 31, "1.2.1.1"), "log with @ sign");
  EXPECT_EQ(rev(h, 32, "1.2.1.1"), "d1 1\na2 2\nfix a\nfix b\n");
  EXPECT_EQ(rev(h, 27, "1.1"), "zoe");
  EXPECT_EQ(rev(h, 30, "1.1"), "99/12/31 23:59:59");
  EXPECT_EQ(rev(h, 34, "1.1"), "Beta");
  EXPECT_EQ(rev(h, 31, "1.1"), "first\n");
}

struct PromotionCase {
  const char* from;
  const char* to;
  const char* denied;   // a permission refused, or ""
  const char* allowed;  // the policy value "allowedstates"
  int rc;
};

const PromotionCase kPromotions[] = {
    {"Exp", "Rel", "", "", 0},
    {"Exp", "Exp", "promote", "", 0},  // same rank
    {"Exp", "Rel", "promote", "", 245},
    {"Rel", "Exp", "demote", "", 246},
    {"Rel", "Exp", "promote", "", 0},
    {"Exp", "Gone", "", "", 83},
    {"Exp", "Rel", "", "Exp,Beta", 275},
    {"Rel", "Exp", "", "Beta Rel", 276},
    {"Exp", "Beta", "", "Beta\tRel", 0},
    {"Odd", "Exp", "", "", 0},  // from outside the list: a promotion
    {"Odd", "Exp", "promote", "", 245},
};

class Promotion : public RevisionInfoTest, public ::testing::WithParamInterface<PromotionCase> {};

TEST_P(Promotion, Rules) {
  const PromotionCase& c = GetParam();
  ASSERT_EQ(vcSetConfig("states", "Exp, Beta,Rel"), 0);
  int h = openText(kTree);
  ASSERT_EQ(str(h, 8), "1.3");  // reads the header
  rec(h)->file.lookup("1.1")->state = c.from;
  if (*c.denied) deniedPermissions() = {c.denied};
  allowedStates() = c.allowed;
  EXPECT_EQ(vcSetRevInfo(h, 36, "1.1", c.to), c.rc);
  EXPECT_EQ(rev(h, 34, "1.1"), c.rc == 0 ? c.to : c.from);
}

INSTANTIATE_TEST_SUITE_P(Matrix, Promotion, ::testing::ValuesIn(kPromotions));

TEST_F(RevisionInfoTest, AnEmptyStateListAllowsEveryState) {
  int h = openText(kTree);
  deniedPermissions() = {"promote", "demote"};
  EXPECT_EQ(vcSetRevInfo(h, 36, "1.1", "Anything"), 0);
}

}  // namespace
