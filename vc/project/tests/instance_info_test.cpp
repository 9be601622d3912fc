// Instance items, token rules, user names, the text streams, the operation
// log and the Borland option calls.
#include "vc/tests/info_test_support.h"
#include "vc/archive/operation_log.h"
#include "vc/error_codes.h"
#include "vc/security/security_state.h"
#include "vc/archive/current_work.h"

#include <cstring>

using namespace info_test;

namespace {

struct InstanceInfoTest : InfoTest {};

std::string sys(int item) {
  char buf[256] = {};
  int rc = vcGetSysInfo(item, buf, sizeof buf);
  return rc == 0 ? std::string(buf) : "<" + std::to_string(rc) + ">";
}

int fixedUser(char* buf, std::size_t len) {
  if (len < 49) return 4;
  std::strcpy(buf, "sysuser");
  return 0;
}

TEST_F(InstanceInfoTest, GetItems) {
  char level = 0;
  ASSERT_EQ(vcGetSysInfo(51, &level, 1), 0);
  EXPECT_EQ(level, 38);
  EXPECT_EQ(sys(40), inst().identity.currentDirectory);
  EXPECT_EQ(sys(79), securityOf(inst()).databasePath);
  EXPECT_EQ(sys(39), "<56>");
  EXPECT_EQ(sys(84), "<56>");
  EXPECT_EQ(vcGetSysInfo(40, nullptr, 5), vc::err::kBadArgument);
  std::int32_t handle = -1;
  ASSERT_EQ(vcGetSysInfo(82, reinterpret_cast<char*>(&handle), 4), 0);
  EXPECT_EQ(handle, 0);
  int h = openText(archive_test::readFile(archive_test::fixtureDir() + "/one.v"), "one.v", 1);
  ASSERT_EQ(vcGetSysInfo(82, reinterpret_cast<char*>(&handle), 4), 0);
  EXPECT_EQ(handle, h);
  EXPECT_EQ(vcGetSysInfo(82, reinterpret_cast<char*>(&handle), 3), vc::err::kBadArgument);
  ASSERT_EQ(vcGetSysInfo(81, reinterpret_cast<char*>(&handle), 4), 0);
  EXPECT_EQ(handle, 0);
}

TEST_F(InstanceInfoTest, SetItems) {
  EXPECT_EQ(vcSetSysInfo(42, "/some/where"), 0);
  EXPECT_EQ(sys(40), "/some/where");
  EXPECT_EQ(vcSetSysInfo(42, nullptr), vc::err::kBadArgument);
  EXPECT_EQ(vcSetSysInfo(50, "x"), 0);
  EXPECT_EQ(vcSetSysInfo(51, "x"), vc::err::kBadArgument);
  EXPECT_EQ(vcSetSysInfo(52, "0"), 0);
  EXPECT_EQ(vcSetSysInfo(52, "7"), vc::err::kBadProjectHandle);
  int a = openText(kTree, "a.v", 1);
  int b = openText(kTree, "b.v", 1);
  EXPECT_EQ(vcSetSysInfo(77, std::to_string(a).c_str()), 0);
  EXPECT_EQ(archiveWorkOf(inst()).archive, rec(a));
  EXPECT_EQ(vcSetSysInfo(77, "77"), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcSetSysInfo(77, "0"), 0);
  EXPECT_EQ(archiveWorkOf(inst()).archive, nullptr);
  // An empty text clears the current archive too.
  EXPECT_EQ(vcSetSysInfo(77, std::to_string(a).c_str()), 0);
  EXPECT_EQ(vcSetSysInfo(77, ""), 0);
  EXPECT_EQ(archiveWorkOf(inst()).archive, nullptr);
  EXPECT_EQ(vcSetSysInfo(52, ""), 0);
  (void)b;
  EXPECT_EQ(vcSetSysInfo(78, "0"), 0);
  EXPECT_EQ(securityOf(inst()).on, 0);
  EXPECT_EQ(vcSetSysInfo(78, "1"), 0);
  EXPECT_EQ(securityOf(inst()).on, 1);
  EXPECT_EQ(vcSetSysInfo(99, ""), vc::err::kBadArgument);
  EXPECT_EQ(vcSetSysInfo(99, std::string(50, 'x').c_str()), vc::err::kBadArgument);
  EXPECT_EQ(vcSetSysInfo(99, std::string(49, 'x').c_str()), 0);
  EXPECT_EQ(vcSetSysInfo(100, "x"), 0);
}

TEST_F(InstanceInfoTest, UserNames) {
  struct Case {
    const char* authenticated;  // null: none
    const char* logname;        // null: not set
    const char* user;           // item 41
    const char* login;          // item 61
  } cases[] = {
      {nullptr, nullptr, "unknown", "unknown"},
      {nullptr, "jo", "jo", "jo"},
      {"Ann", nullptr, "Ann", "Ann"},
      {"Ann", "jo", "Ann", "jo"},
      {"9lives", "a b;c", "_lives", "a_b_c"},
      {"x@y", "", "x_y", "unknown"},  // an empty logname is "unknown"
  };
  for (const auto& c : cases) {
    inst().flags &= ~vc::kInstSystemUser;
    inst().identity.userName[0] = '\0';
    vcDropConfig("logname");
    if (c.authenticated) {
      ASSERT_EQ(vcSetSysInfo(99, c.authenticated), 0);
    }
    if (c.logname) {
      ASSERT_EQ(vcSetSysInfo(43, c.logname), 0);
    }
    EXPECT_EQ(sys(41), c.user) << (c.authenticated ? c.authenticated : "-") << " " << (c.logname ? c.logname : "-");
    EXPECT_EQ(sys(61), c.login) << (c.authenticated ? c.authenticated : "-") << " " << (c.logname ? c.logname : "-");
  }
}

// The two user-name rules (config/user_name.h) seen through every public
// place that shows them: items 41 and 61, the access check of opening for
// writing, the owner of a lock, the lock check-in takes back, the author of
// the new revision and the `%a`/`%u` of the operation log. The current user
// is the authenticated user (found at start-up or set through item 99), else
// the option `logname`; the login name is `logname`, else the authenticated
// user; both else "unknown", both made safe.
const char* g_systemName = nullptr;  // what the system names the user; null: nothing
int systemName(char* buf, std::size_t len) {
  if (!g_systemName) return 5;
  if (len < 49) return 4;
  std::strcpy(buf, g_systemName);
  return 0;
}

struct UserCase {
  const char* startUp;  // the system's name at start-up; null: none
  const char* item99;   // set through vcSetSysInfo(99); null: not set
  const char* logname;  // the option; null: not set
  const char* current;  // item 41, access list, lock owner
  const char* login;    // item 61, author, %a
};

const UserCase kUserCases[] = {
    // authenticated user x logname
    {nullptr, nullptr, nullptr, "unknown", "unknown"},
    {nullptr, nullptr, "jo", "jo", "jo"},
    {"Ann", nullptr, nullptr, "Ann", "Ann"},
    {"Ann", nullptr, "jo", "Ann", "jo"},
    // the same through item 99, which also replaces a start-up name
    {nullptr, "Ann", nullptr, "Ann", "Ann"},
    {nullptr, "Ann", "jo", "Ann", "jo"},
    {"sys", "Ann", "jo", "Ann", "jo"},
    // both made safe
    {"x@y", nullptr, "a b", "x_y", "a_b"},
    {nullptr, nullptr, "9;z", "__z", "__z"},
};

class UserNames : public InstanceInfoTest, public ::testing::WithParamInterface<UserCase> {};

TEST_P(UserNames, ThroughTheirCallers) {
  const UserCase& c = GetParam();
  g_systemName = c.startUp;
  vc::seams().systemUserName = systemName;
  vcAPIcleanup();
  ASSERT_EQ(vcAPIinit(), 0);
  if (c.item99) {
    ASSERT_EQ(vcSetSysInfo(99, c.item99), 0);
  }
  if (c.logname) {
    ASSERT_EQ(vcSetConfig("logname", c.logname), 0);
  }
  EXPECT_EQ(sys(41), c.current);
  EXPECT_EQ(sys(61), c.login);

  const std::string log = path("ops.log");
  ASSERT_EQ(vcSetConfig("logfile", log.c_str()), 0);
  ASSERT_EQ(vcSetConfig("logformat", "%C|%a|%u"), 0);
  // Only the current user is on the access list; locking is strict.
  std::string text = readFile(archive_test::fixtureDir() + "/one.v");
  text.replace(text.find("access ;"), 8, std::string("access ") + c.current + ";");
  const int h = openText(text, "one.v", 2);
  ASSERT_NE(h, 0) << "the access check";
  ASSERT_EQ(vcSetRevInfo(h, 18, "1.1", nullptr), 0);
  EXPECT_EQ(str(h, 9), std::string(c.current) + " 1.1") << "the lock's owner";
  writeFile(path("one"), "hello\nworld\nagain\n");
  char number[32] = {};
  ASSERT_EQ(vcCiRevision(h, nullptr, path("one").c_str(), 0, number, sizeof number), 0)
      << "check-in finds the current user's lock";
  EXPECT_STREQ(number, "1.2");
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_EQ(rev(h, 27, "1.2"), c.login) << "the author";
  EXPECT_EQ(str(h, 9), "<5>") << "check-in took the lock back";
  EXPECT_EQ(readFile(log), std::string("ci|") + c.login + "|" + c.current + "\n");
  ASSERT_EQ(vcCloseArchive(h), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, UserNames, ::testing::ValuesIn(kUserCases));

TEST_F(InstanceInfoTest, WithoutAnInstance) {
  vcAPIcleanup();
  vc::seams().systemUserName = fixedUser;
  char level = 0;
  EXPECT_EQ(vcGetSysInfo(51, &level, 1), 0);
  EXPECT_EQ(level, 38);
  EXPECT_EQ(sys(41), "sysuser");
  char small[10];
  EXPECT_EQ(vcGetSysInfo(41, small, sizeof small), vc::err::kBufferTooSmall);
  EXPECT_EQ(sys(40), "<8>");
  EXPECT_EQ(vcSetSysInfo(42, "/x"), vc::err::kBadCaller);
  EXPECT_EQ(vcValidateToken(0, 53, "1.1"), vc::err::kBadCaller);
  ASSERT_EQ(vcAPIinit(), 0);
}

struct TokenCase {
  int kind;
  const char* text;
  int rc;
};

const TokenCase kTokens[] = {
    {53, "1.0", 0},        {53, "1.2.1.1", 0},   {53, "1.02", 54},     {53, "1.", 54},
    {53, "1", 54},         {53, "", 54},         {53, ".1.2", 54},     {53, "1..2", 54},
    {53, "0.0", 0},        {53, "1.2a", 54},     {52, "alice", 0},     {52, "_x.y-z", 0},
    {52, "9lives", 0},     {52, "a;b", 54},      {52, "a b", 54},      {52, "a@b", 54},
    {52, "", 54},          {56, "a:b", 54},      {56, "a,b", 54},      {54, "Exp", 0},
    {54, "9x", 54},        {54, "_rel-1", 0},    {55, "rel_2", 0},     {55, "rel-2", 54},
    {55, "2rel", 54},      {55, "_", 0},         {74, "strictlocks", 0}, {74, "  compress = 15", 0},
    {74, "logname # me", 0}, {74, "1abc", 54},   {74, "worktoarch x", 54}, {74, "workmap a=b", 0},
    {74, "AutoAction pre=blk", 0}, {74, "bad-name", 54}, {74, "", 54},  {76, "%v%d/%f", 0},
    {76, "%x", 54},        {76, "abc%", 54},     {76, "plain", 0},     {57, "x", 56},
    {51, "x", 56},         {77, "x", 56},
};

class Tokens : public InstanceInfoTest, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(Tokens, Validate) { EXPECT_EQ(vcValidateToken(0, GetParam().kind, GetParam().text), GetParam().rc); }

INSTANTIATE_TEST_SUITE_P(Table, Tokens, ::testing::ValuesIn(kTokens));

TEST_F(InstanceInfoTest, TokenArgumentsAndVanillaNames) {
  EXPECT_EQ(vcValidateToken(0, 53, nullptr), vc::err::kBadArgument);
  EXPECT_EQ(vcValidateToken(9, 53, "1.1"), vc::err::kBadArchiveHandle);
  ASSERT_EQ(vcSetConfig("vanillarcs", nullptr), 0);
  EXPECT_EQ(vcValidateToken(0, 52, "9lives"), vc::err::kBadToken);
}

// ---- text streams ----

std::string g_got;
int g_stopAfter = -1;
int takeChar(int c) {
  g_got += static_cast<char>(c);
  return g_stopAfter < 0 || static_cast<int>(g_got.size()) < g_stopAfter;
}
std::string g_feed;
std::size_t g_at = 0;
int giveChar() { return g_at < g_feed.size() ? static_cast<unsigned char>(g_feed[g_at++]) : 0; }

TEST_F(InstanceInfoTest, TextStreams) {
  ASSERT_EQ(vcSetSysInfo(99, "alice"), 0);
  int h = openText(kTree);
  struct Case {
    int item;
    const char* revision;
    int rc;
    const char* text;
  } cases[] = {{2, nullptr, 0, "A tree with @ signs.\n"}, {4, nullptr, 0, "# "},
               {31, "1.2", 0, "second@\n"},              {32, "rel2", 0, "d3 1\n"},
               {31, "1.9", 48, ""},                       {31, nullptr, 56, ""},
               {49, nullptr, 56, ""}};
  for (const auto& c : cases) {
    g_got.clear();
    EXPECT_EQ(vcGetCache(h, c.revision, c.item, takeChar), c.rc) << c.item;
    EXPECT_EQ(g_got, c.text) << c.item;
  }
  g_got.clear();
  g_stopAfter = 3;
  EXPECT_EQ(vcGetCache(h, nullptr, 2, takeChar), vc::err::kDone);
  EXPECT_EQ(g_got, "A t");
  g_stopAfter = -1;

  const std::pair<int, const char*> puts[] = {{49, "new desc @"}, {20, "-- "}, {72, "x@y"}, {39, "new log"}};
  for (auto [item, text] : puts) {
    g_feed = text;
    g_at = 0;
    EXPECT_EQ(vcPutCache(h, "1.1", item, giveChar), 0) << item;
  }
  EXPECT_EQ(vcPutCache(h, "1.1", 31, giveChar), vc::err::kBadArgument);
  EXPECT_EQ(byte(h, 13), 1);
  h = reopen(h);
  EXPECT_EQ(str(h, 2), "new desc @");
  EXPECT_EQ(str(h, 4), "-- ");
  EXPECT_EQ(str(h, 70), "x@y");
  EXPECT_EQ(rev(h, 31, "1.1"), "new log");
  int r = openText(kTree, "r.v", 1);
  EXPECT_EQ(vcPutCache(r, nullptr, 49, giveChar), vc::err::kNotOpenForWrite);
}

// ---- operation log ----

std::int64_t fixedNow() { return 1700000000; }  // 2023-11-14 22:13:20 UTC

struct LogCase {
  const char* format;
  const char* expected;
};

const LogCase kLogFormats[] = {
    {"%C", "ci"},
    {"%D", "23.11.14 22:13:20"},
    {"%F", "tree.v"},
    {"%L", "second@\n"},
    {"%S", "Rel"},
    {"%a", "jo"},
    {"%d", "95/03/01 10:00:00"},
    {"%l", ""},
    {"%r", "1.2"},
    {"%u", "Ann"},
    {"%x%%", ""},
    {"%r\\t%u", "1.2\tAnn"},
    {"\\a\\b\\f\\n\\r\\v\\\\\\q", "\a\b\f\n\r\v\\q"},
    {"100%", "100%"},
};

class LogFormat : public InstanceInfoTest, public ::testing::WithParamInterface<LogCase> {};

TEST_P(LogFormat, Expands) {
  vc::seams().now = fixedNow;
  ASSERT_EQ(vcSetSysInfo(99, "Ann"), 0);
  ASSERT_EQ(vcSetSysInfo(43, "jo"), 0);
  ASSERT_EQ(vcSetConfig("Nocentury", nullptr), 0);
  std::string open = kTree;
  open.replace(open.find("access alice Bob carol;"), 23, "access ;");
  int h = openText(open);
  ASSERT_EQ(str(h, 8), "1.3");
  EXPECT_EQ(vc::expandLogFormat(inst(), *rec(h), GetParam().format, "ci", "1.2"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Escapes, LogFormat, ::testing::ValuesIn(kLogFormats));

TEST_F(InstanceInfoTest, LogLinesAreWrittenOnCommitAndClose) {
  vc::seams().now = fixedNow;
  ASSERT_EQ(vcSetConfig("logname", "alice"), 0);
  ASSERT_EQ(vcSetSysInfo(99, "Ann"), 0);
  ASSERT_EQ(vcSetConfig("century", nullptr), 0);
  const std::string log = path("ops.log");
  std::string open = kTree;  // Ann, the current user, on the access list
  open.replace(open.find("access alice Bob carol;"), 23, "access alice Ann;");
  int h = openText(open);
  vc::recordOperation(inst(), *rec(h), "ci", "1.3");  // no log file: nothing noted
  EXPECT_TRUE(rec(h)->pendingLog.empty());
  ASSERT_EQ(vcSetConfig("logfile", log.c_str()), 0);
  vc::recordOperation(inst(), *rec(h), "ci", "1.3");
  vc::recordOperation(inst(), *rec(h), "co", "1.2");
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  const std::string first = readFile(log);
  EXPECT_EQ(first, "ci Ann 1.3 " + path("tree.v") + " 2023.11.14 22:13:20 alice\n"
                   "co Ann 1.2 " + path("tree.v") + " 2023.11.14 22:13:20 \n");
  ASSERT_EQ(vcSetConfig("logformat", "%C:%r:%S"), 0);
  vc::recordOperation(inst(), *rec(h), "co", "1.1");
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_EQ(readFile(log), first + "co:1.1:Exp\n");
}

// ---- Borland project options ----

std::string le16(unsigned v) { return std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}; }
std::string prjHeader(unsigned version) {
  return std::string("Turbo C Project File \x1a\0", 23) + std::string("\x01\x0d\x12\x17\x01\x1a\x00", 7) +
         le16(version);
}
std::string prjRecord(unsigned type, const std::string& data) {
  return le16(type) + le16(static_cast<unsigned>(data.size())) + data;
}

TEST_F(InstanceInfoTest, BorlandOptionCalls) {
  const std::string options = prjRecord(50, le16(302) + le16(13) + std::string("c:\\inc;d:\\h\0", 12) + "x");
  writeFile(path("good.prj"), prjHeader(0x0700) + prjRecord(10, "ab") + options + prjRecord(0xffff, ""));
  writeFile(path("old.prj"), prjHeader(0x0600) + options + prjRecord(0xffff, ""));
  writeFile(path("cut.prj"), prjHeader(0x0700) + le16(50) + le16(400) + "short");
  char buf[64];
  EXPECT_EQ(vcbccoption(path("good.prj").c_str(), 302, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "c:\\inc;d:\\h");
  EXPECT_EQ(vcbccoption(path("good.prj").c_str(), 303, buf, sizeof buf), vc::err::kOptionNotDefined);
  EXPECT_EQ(vcbccoption(path("good.prj").c_str(), 302, buf, 4), vc::err::kBufferTooSmall);
  EXPECT_EQ(vcBufferLenQ(), 12);
  EXPECT_EQ(vcbccoption(path("old.prj").c_str(), 302, buf, sizeof buf), vc::err::kNotBorlandProject);
  EXPECT_EQ(vcbccoption(path("cut.prj").c_str(), 302, buf, sizeof buf), vc::err::kNotBorlandProject);
  EXPECT_EQ(vcbccoption(path("none.prj").c_str(), 302, buf, sizeof buf), vc::err::kCannotOpenFile);
  EXPECT_EQ(vcExtraError(), ENOENT);
  EXPECT_EQ(vcbccoption(nullptr, 302, buf, sizeof buf), vc::err::kBadArgument);
  EXPECT_EQ(vcbccdone(), 0);
  vcAPIcleanup();
  EXPECT_EQ(vcbccoption(path("good.prj").c_str(), 302, buf, sizeof buf), vc::err::kBadCaller);
  EXPECT_EQ(vcbccdone(), vc::err::kBadCaller);
  ASSERT_EQ(vcAPIinit(), 0);
}

}  // namespace
