// Archive information items: the getters over a fixture tree, the list
// cursors, the enumeration order, the setters with their failures, and the
// events around each change.
#include "vc/error_codes.h"
#include "vc/tests/info_test_support.h"

#include <cstring>

using namespace info_test;

namespace {

struct ArchiveInfoTest : InfoTest {
  void SetUp() override {
    InfoTest::SetUp();
    ASSERT_EQ(vcSetSysInfo(99, "alice"), 0);
  }
};

struct GetCase {
  int item;
  const char* expected;  // "<n>" for a code
};

TEST_F(ArchiveInfoTest, StringItems) {
  int h = openText(kTree);
  const std::string file = path("tree.v");
  const GetCase cases[] = {
      {2, "A tree with @ signs.\n"}, {4, "# "}, {6, ""}, {8, "1.3"}, {51, "1.3"},
      {62, file.c_str()}, {70, ""}, {79, "<95>"}, {99, "<56>"}, {14, "<56>"},
  };
  for (const auto& c : cases) EXPECT_EQ(str(h, c.item), c.expected) << c.item;
  EXPECT_EQ(vcGetArchiveInfo(h, 8, nullptr, 10), vc::err::kBadArgument);
  EXPECT_EQ(vcGetArchiveInfo(99, 8, nullptr, 10), vc::err::kBadArchiveHandle);
  // A short buffer: the first length - 1 characters, 4, the needed length.
  char small[4];
  EXPECT_EQ(vcGetArchiveInfo(h, 2, small, sizeof small), vc::err::kBufferTooSmall);
  EXPECT_STREQ(small, "A t");
  EXPECT_EQ(vcBufferLenQ(), 22);
}

TEST_F(ArchiveInfoTest, FlagAndCountItems) {
  int h = openText(kTree);
  EXPECT_EQ(byte(h, 5), 0);
  EXPECT_EQ(byte(h, 7), 0);
  EXPECT_EQ(byte(h, 12), 1);
  EXPECT_EQ(byte(h, 13), 0);
  EXPECT_EQ(byte(h, 47), 0);
  EXPECT_EQ(byte(h, 48), 0);
  std::uint32_t n = 0;
  const std::pair<int, std::uint32_t> counts[] = {{66, 7}, {67, 3}, {68, 4}};
  for (auto [item, expected] : counts) {
    ASSERT_EQ(vcGetArchiveInfo(h, item, reinterpret_cast<char*>(&n), 4), 0);
    EXPECT_EQ(n, expected) << item;
  }
  // The file changes on disk: item 47.
  writeFile(path("tree.v"), std::string(kTree) + "\n");
  EXPECT_EQ(byte(h, 47), 1);
}

TEST_F(ArchiveInfoTest, ModeWordClearsWriteBitsUnderStrictLocking) {
  int h = openText(kTree);
  std::uint16_t mode = 0;
  EXPECT_EQ(vcGetArchiveInfo(h, 64, reinterpret_cast<char*>(&mode), 1), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcBufferLenQ(), 2);
  ::chmod(path("tree.v").c_str(), 0664);
  vcCloseArchive(h);
  h = 0;
  ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), 0);
  ASSERT_EQ(vcGetArchiveInfo(h, 64, reinterpret_cast<char*>(&mode), 2), 0);
  EXPECT_EQ(mode, 0444);
  ASSERT_EQ(vcSetArchiveInfo(h, 26, "0", nullptr), 0);
  ASSERT_EQ(vcGetArchiveInfo(h, 64, reinterpret_cast<char*>(&mode), 2), 0);
  EXPECT_EQ(mode, 0664);
  // A file made by this open reports the override.
  int fresh = 0;
  ASSERT_EQ(vcOpenArchive(path("new.v").c_str(), &fresh, 4), 0);
  EXPECT_EQ(byte(fresh, 48), 1);
  ASSERT_EQ(vcGetArchiveInfo(fresh, 64, reinterpret_cast<char*>(&mode), 2), 0);
  EXPECT_EQ(mode, 07644);
}

TEST_F(ArchiveInfoTest, ListCursorsWrapAfterFive) {
  int h = openText(kTree);
  const std::pair<int, std::vector<std::string>> lists[] = {
      {1, {"alice", "Bob", "carol"}},
      {9, {"bob 1.2.1.2", "alice 1.3"}},
      {11, {"rel2 1.2", "fix 1.2.1.1", "rel1 1.1"}},
  };
  for (const auto& [item, names] : lists) {
    for (int round = 0; round < 2; ++round) {
      for (const auto& n : names) EXPECT_EQ(str(h, item), n) << item;
      EXPECT_EQ(str(h, item), "<5>") << item;
    }
    EXPECT_EQ(str(h, item), names.front());
  }
  // Membership, without case.
  char name[16] = "BOB";
  EXPECT_EQ(vcGetArchiveInfo(h, 10, name, sizeof name), 0);
  std::strcpy(name, "zed");
  EXPECT_EQ(vcGetArchiveInfo(h, 10, name, sizeof name), vc::err::kAccessNameMissing);
  // Empty lists.
  int one = openText(readFile(archive_test::fixtureDir() + "/one.v"), "one.v");
  EXPECT_EQ(str(one, 1), "<39>");
  EXPECT_EQ(vcGetArchiveInfo(one, 10, name, sizeof name), vc::err::kAccessListEmpty);
  EXPECT_EQ(str(one, 11), "<5>");
  EXPECT_EQ(str(one, 79), "<95>");
}

TEST_F(ArchiveInfoTest, EnumerationOrderVisitsBranchesBeforeTheirRevision) {
  int h = openText(kTree);
  std::vector<std::string> order{str(h, 51)};
  for (;;) {
    std::string next = rev(h, 33, order.back().c_str());
    if (next == "<48>") break;
    order.push_back(next);
    ASSERT_LT(order.size(), 20u);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"1.3", "1.2.2.1", "1.2.1.2", "1.2.1.1.1.1", "1.2.1.1",
                                             "1.2", "1.1"}));
}

TEST_F(ArchiveInfoTest, FormatItem) {
  std::string one = readFile(archive_test::fixtureDir() + "/one.v");
  const std::size_t at = one.find("format text;\n");
  ASSERT_NE(at, std::string::npos);
  one.erase(at, 13);
  auto stated = [&](const char* format) {
    std::string t = one;
    t.insert(at, std::string("format ") + format + ";\n");
    return t;
  };
  EXPECT_EQ(byte(openText(one, "a.v"), 3), 2);
  EXPECT_EQ(byte(openText(kTree, "b.v"), 3), 0);
  EXPECT_EQ(byte(openText(stated("binary"), "c.v"), 3), 1);
  EXPECT_EQ(byte(openText(stated("text"), "d.v"), 3), 0);
  // Changes between text and binary: refused when binary is stated or
  // there is more than one revision.
  struct Case {
    const char* file;
    const char* value;
    int rc;
    int after;
  } cases[] = {{"a.v", "0", 0, 0},  {"a.v", "\x02", 0, 2}, {"a.v", "7", 56, 2}, {"a.v", "1", 0, 1},
               {"a.v", "0", 24, 1}, {"b.v", "1", 24, 0},    {"b.v", "0", 0, 0},  {"c.v", "0", 24, 1},
               {"c.v", "2", 24, 1}, {"c.v", "1", 0, 1},     {"d.v", "1", 0, 1}};
  for (const auto& c : cases) {
    int h = 0;
    vc::VcArchive* a = nullptr;
    for (int i = 1; i <= 100 && !h; ++i)
      if (vc::lookupArchive(inst(), i, a) == 0 && a->path == path(c.file)) h = i;
    ASSERT_NE(h, 0);
    EXPECT_EQ(vcSetArchiveInfo(h, 25, c.value, nullptr), c.rc) << c.file << " " << c.value;
    EXPECT_EQ(byte(h, 3), c.after) << c.file << " " << c.value;
  }
}

// ---- setters ----

struct SetCase {
  const char* name;
  int item;
  const char* value;
  const char* second;
  int rc;
  int readItem;          // item read back after commit and reopen (0: none)
  const char* expected;  // its first answer
};

const SetCase kSets[] = {
    {"add access", 17, "dave", nullptr, 0, 1, "dave"},
    {"add present access", 17, "BOB", nullptr, 38, 1, "alice"},
    {"add empty access", 17, "", nullptr, 38, 1, "alice"},
    {"drop access", 22, "CAROL", nullptr, 0, 1, "alice"},
    {"drop absent access", 22, "zed", nullptr, 40, 1, "alice"},
    {"add label", 19, "rel3", "1.3", 0, 11, "rel3 1.3"},
    {"add label by label", 19, "rel3", "rel2.1.1", 0, 11, "rel3 1.2.1.1"},
    {"label exists", 19, "rel2", "1.3", 35, 11, "rel2 1.2"},
    {"label syntax", 19, "3rel", "1.3", 56, 11, "rel2 1.2"},
    {"label with a dot", 19, "re.l", "1.3", 56, 11, "rel2 1.2"},
    {"label without revision", 19, "rel3", nullptr, 56, 11, "rel2 1.2"},
    {"label on unknown label", 19, "rel3", "nolabel", 36, 11, "rel2 1.2"},
    {"drop label", 24, "rel2", nullptr, 0, 11, "fix 1.2.1.1"},
    {"drop absent label", 24, "Rel2", nullptr, 36, 11, "rel2 1.2"},
    {"comment", 20, "// a@b", nullptr, 0, 4, "// a@b"},
    {"default branch of a revision", 21, "1.2.1.2", nullptr, 0, 6, "1.2.1"},
    {"default branch by label", 21, "rel2", nullptr, 0, 6, "1"},
    {"default branch as branch", 21, "1.2.2", nullptr, 0, 6, "1.2.2"},
    {"default branch cleared", 21, "", nullptr, 0, 6, ""},
    {"default branch bad", 21, "1.2x", nullptr, 51, 6, ""},
    {"description", 49, "new @ text\n", nullptr, 0, 2, "new @ text\n"},
    {"extension", 72, "ext @ text", nullptr, 0, 70, "ext @ text"},
    {"add security", 80, "QA", nullptr, 0, 79, "QA"},
    {"drop absent security", 81, "QA", nullptr, 97, 79, "<95>"},
    {"strict off", 26, "\x00", nullptr, 0, 12, ""},
    {"compression", 45, "13", nullptr, 0, 5, "\x0f"},  // gzip keeps no window size
    {"compression from the option", 45, "1", nullptr, 0, 5, "\x0f"},
    {"compression out of range", 45, "7", nullptr, 0, 5, "\x0f"},
    {"unknown item", 23, "x", nullptr, 56, 0, nullptr},
};

class ArchiveSetter : public ArchiveInfoTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(ArchiveSetter, ChangesSurviveTheCommit) {
  const SetCase& c = GetParam();
  int h = openText(kTree);
  const std::string before = readFile(path("tree.v"));
  EXPECT_EQ(vcSetArchiveInfo(h, c.item, c.value, c.second), c.rc);
  EXPECT_EQ(byte(h, 13), c.rc == 0 ? 1 : 0);
  if (c.rc != 0) {
    EXPECT_EQ(vcCommitArchive(h, 0), 0);
    vcCloseArchive(h);
    EXPECT_EQ(readFile(path("tree.v")), before);  // nothing changed
    h = 0;
    ASSERT_EQ(vcOpenArchive(path("tree.v").c_str(), &h, 2), 0);
  } else {
    h = reopen(h);
  }
  if (c.readItem == 12 || c.readItem == 5) {
    EXPECT_EQ(byte(h, c.readItem), c.expected[0]);
  } else if (c.readItem) {
    EXPECT_EQ(str(h, c.readItem), c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Items, ArchiveSetter, ::testing::ValuesIn(kSets),
                         [](const auto& param) {
                           std::string n = param.param.name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST_F(ArchiveInfoTest, CompressionBitsAsGiven) {
  int h = openText(kTree);
  ASSERT_EQ(vcSetConfig("compress", "14"), 0);
  const std::pair<const char*, int> cases[] = {{"13", 13}, {"\x0e", 14}, {"1", 14}, {"0", 0},
                                               {"99", 15}, {"8", 15},    {"9", 9}};
  for (auto [value, bits] : cases) {
    ASSERT_EQ(vcSetArchiveInfo(h, 45, value, nullptr), 0) << value;
    EXPECT_EQ(byte(h, 5), bits) << value;
  }
  // 9 to 12 are refused when written.
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kCompressError);
  ASSERT_EQ(vcSetArchiveInfo(h, 45, "13", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(path("tree.v")).substr(0, 3), std::string("\x1f\x8b\x08", 3));
  EXPECT_EQ(std::system(("gzip -t '" + path("tree.v") + "'").c_str()), 0);
}

TEST_F(ArchiveInfoTest, SettersNeedTheWriteLockExceptItem63) {
  int h = openText(kTree, "tree.v", 1);
  EXPECT_EQ(vcSetArchiveInfo(h, 20, "x", nullptr), vc::err::kNotOpenForWrite);
  EXPECT_EQ(vcSetArchiveInfo(h, 63, "/shown/path,v", nullptr), 0);
  EXPECT_EQ(rec(h)->displayPath, "/shown/path,v");
  EXPECT_EQ(byte(h, 13), 0);
  int w = openText(kTree, "w.v");
  EXPECT_EQ(vcSetArchiveInfo(w, 20, nullptr, nullptr), vc::err::kBadArgument);
  EXPECT_EQ(vcSetArchiveInfo(w, 46, "1", nullptr), 0);
  EXPECT_EQ(byte(w, 13), 1);
  EXPECT_EQ(vcSetArchiveInfo(w, 46, "\x00", nullptr), 0);
  EXPECT_EQ(byte(w, 13), 0);
}

TEST_F(ArchiveInfoTest, IdItems) {
  int h = openText(kTree);
  auto id = [&](int item, const char* key) {
    char buf[64] = "junk";
    int rc = vcGetIdArchiveInfo(h, item, key, buf, sizeof buf);
    return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">" + buf;
  };
  EXPECT_EQ(id(14, "fix"), "1.2.1.1");
  EXPECT_EQ(id(14, "FIX"), "<36>");
  EXPECT_EQ(id(15, "BOB"), "1.2.1.2");
  EXPECT_EQ(id(15, "carol"), "<42>");
  EXPECT_EQ(id(16, "1.3"), "alice");
  EXPECT_EQ(id(16, "rel2"), "<42>");
  EXPECT_EQ(id(13, "1.3"), "<56>junk");
  EXPECT_EQ(vcGetIdArchiveInfo(h, 14, nullptr, nullptr, 0), vc::err::kBadArgument);
}

// ---- events ----

const char* kRecorder =
    "autoaction preaddaccess=pre\nautoaction addaccess=post\n"
    "autoaction preaddlabel=pre\nautoaction addlabel=post\n"
    "autoaction precomment=pre\nautoaction comment=post\n"
    "autoaction predefaultbranch=pre\nautoaction defaultbranch=post\n"
    "autoaction predropaccess=pre\nautoaction dropaccess=post\n"
    "autoaction predroplabel=pre\nautoaction droplabel=post\n"
    "autoaction predescription=pre\nautoaction description=post\n"
    "autoaction prearchextension=pre\nautoaction archextension=post\n"
    "autoaction preaddsecurity=pre\nautoaction addsecurity=post\n"
    "autoaction predropsecurity=pre\nautoaction dropsecurity=post\n"
    "block pre\necho $(event)/$(revision)/$(newvalue)\nreturn $(go)\nend\n"
    "block post\necho $(event)/$(revision)/$(newvalue)\nend\n";

struct EventCase {
  int item;
  const char* value;
  const char* second;
  const char* pre;   // echo of the pre-event
  const char* post;  // echo of the after-event
};

const EventCase kEvents[] = {
    {17, "dave", nullptr, "preaddaccess//dave", "addaccess//dave"},
    {19, "rel3", "1.3", "preaddlabel/1.3/rel3", "addlabel/1.3/rel3"},
    {20, "#-", nullptr, "precomment//#-", "comment//#-"},
    {21, "1.2.1", nullptr, "predefaultbranch//1.2.1", "defaultbranch//1.2.1"},
    {22, "carol", nullptr, "predropaccess//carol", "dropaccess//carol"},
    {24, "fix", nullptr, "predroplabel/1.2.1.1/fix", "droplabel/1.2.1.1/fix"},
    {49, "words", nullptr, "predescription//words", "description//words"},
    {72, "more", nullptr, "prearchextension//more", "archextension//more"},
    {80, "QA", nullptr, "preaddsecurity//QA", "addsecurity//QA"},
};

class ArchiveEvents : public ArchiveInfoTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(ArchiveEvents, RunBeforeAndAfterAndAHaltChangesNothing) {
  const EventCase& c = GetParam();
  ASSERT_EQ(config(kRecorder), 0);
  int h = openText(kTree);
  ASSERT_EQ(vcSetConfig("go", "1"), 0);
  EXPECT_EQ(vcSetArchiveInfo(h, c.item, c.value, c.second), 0);
  EXPECT_EQ(echoed(), (std::vector<std::string>{c.pre, c.post}));
  vcCloseArchive(h);

  echoed().clear();
  ASSERT_EQ(vcSetConfig("go", "0"), 0);
  h = openText(kTree);
  const std::string before = readFile(path("tree.v"));
  EXPECT_EQ(vcSetArchiveInfo(h, c.item, c.value, c.second), vc::err::kEventHalted);
  EXPECT_EQ(echoed(), std::vector<std::string>{c.pre});
  EXPECT_EQ(byte(h, 13), 0);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(path("tree.v")), before);
}

INSTANTIATE_TEST_SUITE_P(Items, ArchiveEvents, ::testing::ValuesIn(kEvents));

TEST_F(ArchiveInfoTest, LabelRefusalsAnswerTheirCodes) {
  int h = openText(kTree);
  deniedPermissions() = {"addlabel", "deletelabel"};
  EXPECT_EQ(vcSetArchiveInfo(h, 19, "rel3", "1.3"), vc::err::kDenyAddLabel);
  EXPECT_EQ(vcSetArchiveInfo(h, 24, "fix", nullptr), vc::err::kDenyDeleteLabel);
  EXPECT_EQ(str(h, 11), "rel2 1.2");
  EXPECT_EQ(byte(h, 13), 0);
}

TEST_F(ArchiveInfoTest, ExpandRevisionAndTokens) {
  int h = openText(kTree);
  struct Case {
    const char* name;
    const char* expected;
  } cases[] = {{"rel2.1", "1.2.1"}, {"fix.2", "1.2.1.1.2"}, {"01.0002", "1.2"}, {"1.00", "1.0"},
               {"", ""},            {"nolabel", "<36>"},  {"1.2x", "<51>"},   {"1..2", "<51>"},
               {"1.-2", "<51>"},    {"rel1.1.1", "1.1.1.1"}, {"1.x2", "<36>"}};
  for (const auto& c : cases) {
    char buf[64] = {};
    int rc = vcExpandRevision(h, c.name, buf, sizeof buf);
    EXPECT_EQ(rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">", c.expected) << c.name;
  }
  char one[1];
  EXPECT_EQ(vcExpandRevision(h, "1.1", one, 1), vc::err::kBadArgument);
  const std::string longName(2100, '1');
  char big[4096];
  EXPECT_EQ(vcExpandRevision(h, longName.c_str(), big, sizeof big), vc::err::kSymbolTooLong);
}

}  // namespace
