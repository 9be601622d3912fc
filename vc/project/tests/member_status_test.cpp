// Tests of the member status calls: the working-file bits against the state
// recorded at the add (a touch, other bytes of the same size and time, a
// deleted or unreadable file), the update calls, the revision bits, and the
// archive bits from real archives (a newer head, a lock, a missing
// revision, a branch line that moved on, no archive at all).
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/config/user_name.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/fault_injection.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

namespace err = vc::err;
using namespace projecttest;

bool grantAll(vc::VcInstance&, const char*) { return true; }

struct MemberStatusTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-status"};
  int h = 0;
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    vc::permissionBridge().granted = grantAll;
    writeFile(path("p.prj"), "--ORV Project--\n$Revision$\nEndOptions\n");
    ASSERT_EQ(vcOpenProject(path("p.prj").c_str(), 2, &h, 0), 0);
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  void setTime(const std::string& name, long seconds) {
    struct utimbuf t {seconds, seconds};
    ASSERT_EQ(::utime(path(name).c_str(), &t), 0);
  }
  std::uint32_t number(int item) {
    std::uint32_t v = 0;
    EXPECT_EQ(vcGetMember(h, item, reinterpret_cast<char*>(&v), 4), 0) << item;
    return v;
  }
  std::string text(int item) {
    char buf[256] = {};
    const int rc = vcGetMember(h, item, buf, sizeof buf);
    return rc ? "<" + std::to_string(rc) + ">" : std::string(buf);
  }
  std::uint32_t workBits(const std::string& name) {
    EXPECT_EQ(vcMemberWorkChanges(h, path(name).c_str(), nullptr), 0);
    EXPECT_EQ(vcInProject(h, path(name).c_str()), 0);
    return number(110);
  }
  // Checks name in as one revision per text, returning the open archive.
  int archiveWith(const std::string& name, std::initializer_list<const char*> texts) {
    char archiveName[2048] = "";
    int a = 0;
    EXPECT_EQ(vcFindArchiveName(path(name).c_str(), archiveName, sizeof archiveName, &a, 4 | 2), 0);
    for (const char* t : texts) {
      writeFile(path(name), t);
      char revision[32] = "";
      EXPECT_EQ(vcCiRevision(a, nullptr, path(name).c_str(), 0, revision, sizeof revision), 0);
    }
    EXPECT_EQ(vcCommitArchive(a, 0), 0);
    return a;
  }
  std::uint32_t archiveBits(const std::string& name, int* archive = nullptr) {
    vcMemberArchiveChanges(h, path(name).c_str(), archive, 1);
    EXPECT_EQ(vcInProject(h, path(name).c_str()), 0);
    return number(110);
  }
};

TEST_F(MemberStatusTest, WorkingFileBitsAgainstTheRecordedState) {
  writeFile(path("a.c"), "int a;\n");
  setTime("a.c", 1000000);
  ASSERT_EQ(vcAddMember(h, 'f', path("a.c").c_str(), nullptr, nullptr), 0);
  // The add took the present state: nothing differs.
  EXPECT_EQ(workBits("a.c"), 0u);
  EXPECT_EQ(number(103), 7u);
  EXPECT_EQ(number(105), 1000000u);
  EXPECT_EQ(number(104), static_cast<std::uint32_t>('i' + 'n' + 't' + ' ' + 'a' + ';' + '\n'));

  struct Case {
    const char* what;
    const char* text;
    long time;
    std::uint32_t bits;
  };
  const Case cases[] = {
      {"touched only", "int a;\n", 1000050, 0x4},
      {"same size and time, other bytes: not read", "int b;\n", 1000000, 0},
      {"longer", "int ab;\n", 1000000, 0x1 | 0x2},
      {"same bytes rearranged, new time", "int ;a\n", 1000060, 0x4},
      {"other bytes, new time", "int c;\n", 1000060, 0x1 | 0x4},
  };
  for (const Case& c : cases) {
    writeFile(path("a.c"), c.text);
    setTime("a.c", c.time);
    EXPECT_EQ(workBits("a.c"), c.bits) << c.what;
    writeFile(path("a.c"), "int a;\n");
    setTime("a.c", 1000000);
  }
  // Accepting the new state: recorded values become the current ones.
  writeFile(path("a.c"), "int abc;\n");
  EXPECT_EQ(workBits("a.c"), 0x1u | 0x2u | 0x4u);
  char flag[4] = {};
  ASSERT_EQ(vcGetProject(h, 152, flag, sizeof flag), 0);
  const char before = flag[0];
  EXPECT_EQ(vcMemberWorkUpdate(h, nullptr), 0);
  EXPECT_EQ(number(110), 0u);
  EXPECT_EQ(number(103), 9u);
  ASSERT_EQ(vcGetProject(h, 152, flag, sizeof flag), 0);
  EXPECT_EQ(flag[0], 1) << int(before);
  EXPECT_EQ(workBits("a.c"), 0u);

  ASSERT_EQ(::unlink(path("a.c").c_str()), 0);
  EXPECT_EQ(workBits("a.c"), 0x8u);
  // A different work directory is asked about when given.
  ::mkdir(path("w").c_str(), 0755);
  writeFile(path("w/a.c"), "int abc;\n");
  EXPECT_EQ(vcMemberWorkChanges(h, path("a.c").c_str(), path("w").c_str()), 0);
  EXPECT_EQ(number(110) & 0x8u, 0u);
}

TEST_F(MemberStatusTest, UnreadableWorkingFile) {
  writeFile(path("a.c"), "int a;\n");
  setTime("a.c", 1000000);
  ASSERT_EQ(vcAddMember(h, 'f', path("a.c").c_str(), nullptr, nullptr), 0);
  writeFile(path("a.c"), "int abc;\n");
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::read> broken(EIO, {.pathContains = "a.c"});
    const std::uint32_t bits = workBits("a.c");
    EXPECT_EQ(bits, 0x10u | 0x2u | 0x4u);  // the sum is unknown, so not reported
    EXPECT_EQ(vcExtraError(), EIO);
  }
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  ASSERT_EQ(::chmod(path("a.c").c_str(), 0), 0);
  EXPECT_EQ(workBits("a.c") & 0x11u, 0x10u);
  ::chmod(path("a.c").c_str(), 0644);
}

TEST_F(MemberStatusTest, MemberAddedWhileMissingHasAnAllZeroRecord) {
  ASSERT_EQ(vcAddMember(h, 'f', path("gone.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(number(110), 0x8u);
  for (int item : {103, 104, 105, 106, 107, 109}) EXPECT_EQ(number(item), 0u) << item;
  EXPECT_EQ(text(108), "");
  EXPECT_EQ(workBits("gone.c"), 0x8u);
}

TEST_F(MemberStatusTest, RevisionBitsAndUpdates) {
  writeFile(path("a.c"), "x\n");
  ASSERT_EQ(vcAddMember(h, 'a', path("a.c").c_str(), "1.2", nullptr), 0);
  // Nothing recorded against 1.2: differs; after the update it does not.
  EXPECT_EQ(vcMemberRevChanges(h, nullptr, nullptr), 0);
  EXPECT_EQ(number(110) & 0x8000u, 0x8000u);
  EXPECT_EQ(vcMemberRevUpdate(h, nullptr), 0);
  EXPECT_EQ(number(110) & 0x8000u, 0u);
  EXPECT_EQ(text(108), "1.2");
  EXPECT_EQ(vcMemberNewRevision(h, nullptr, nullptr, "1.1"), 0);
  EXPECT_EQ(vcMemberRevChanges(h, nullptr, nullptr), 0);
  EXPECT_EQ(number(110) & 0x8000u, 0x8000u);
  // Both absent counts as equal.
  writeFile(path("b.c"), "y\n");
  ASSERT_EQ(vcAddMember(h, 'f', path("b.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(vcMemberRevChanges(h, nullptr, nullptr), 0);
  EXPECT_EQ(number(110) & 0x8000u, 0u);
  // Errors: unknown project and member, no record after vcDoneUses.
  EXPECT_EQ(vcMemberWorkChanges(h + 100, nullptr, nullptr), err::kBadProjectHandle);
  EXPECT_EQ(vcMemberRevChanges(h, path("nope.c").c_str(), nullptr), err::kNotMember);
  ASSERT_EQ(vcDoneUses(h), 0);
  EXPECT_EQ(vcMemberWorkUpdate(h, nullptr), err::kDone);
  EXPECT_EQ(vcMemberRevUpdate(h, nullptr), err::kDone);
  EXPECT_EQ(text(103), "<5>");
  // The graph comes back when a call needs it.
  EXPECT_EQ(vcMemberWorkChanges(h, nullptr, nullptr), 0);
  EXPECT_EQ(number(103), 0u);
}

TEST_F(MemberStatusTest, ArchiveBitsFromTheRevisionTree) {
  const int a = archiveWith("a.c", {"one\n", "two\n", "three\n"});
  ASSERT_EQ(vcCloseArchive(a), 0);
  ASSERT_EQ(vcAddMember(h, 'a', path("a.c").c_str(), "1.2", nullptr), 0);
  EXPECT_EQ(archiveBits("a.c"), 0x100u);
  EXPECT_EQ(text(117), "1.3");
  // The head itself: nothing; with a lock on it: 0x200 and the locker.
  ASSERT_EQ(vcSetMember(h, 127, "1.3"), 0);
  EXPECT_EQ(archiveBits("a.c"), 0u);
  int w = 0;
  char archiveName[2048] = "";
  ASSERT_EQ(vcMemberOpenArchive(h, nullptr, archiveName, sizeof archiveName, &w, 2), 0);
  ASSERT_EQ(vcWriteLock(w), 0);
  ASSERT_EQ(vcSetRevInfo(w, 18, "1.3", nullptr), 0);
  ASSERT_EQ(vcCommitArchive(w, 1), 0);
  int handed = 0;
  EXPECT_EQ(archiveBits("a.c", &handed), 0x200u);
  EXPECT_NE(handed, 0);
  EXPECT_EQ(text(118), vc::currentUserName(*vc::currentInstance()));
  EXPECT_FALSE(text(118).empty());
  // The same from the handle already open, for the current project's
  // current member.
  EXPECT_EQ(vcMemberAnyArchiveChanges(handed), err::kBadProjectHandle);
  ASSERT_EQ(vcSetSysInfo(52, std::to_string(h).c_str()), 0);
  EXPECT_EQ(vcMemberAnyArchiveChanges(handed), 0);
  EXPECT_EQ(number(110), 0x200u);
  EXPECT_EQ(vcCloseArchive(handed), 0);
  // A revision the archive lacks.
  ASSERT_EQ(vcSetMember(h, 127, "1.7"), 0);
  EXPECT_EQ(archiveBits("a.c"), 0x80u);
  // No archive at all; a kind f member has none to look at.
  writeFile(path("b.c"), "b\n");
  ASSERT_EQ(vcAddMember(h, 'a', path("b.c").c_str(), "1.1", nullptr), 0);
  EXPECT_NE(vcMemberArchiveChanges(h, nullptr, nullptr, 1), 0);
  EXPECT_EQ(number(110) & 0xF03E0u, 0x20u);
  ASSERT_EQ(vcAddMember(h, 'f', path("c.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(vcMemberArchiveChanges(h, nullptr, nullptr, 1), 0);
  EXPECT_EQ(number(110) & 0xF03E0u, 0u);
  // Kind i without a revision reports nothing when its archive is missing.
  ASSERT_EQ(vcAddMember(h, 'i', path("d.c").c_str(), nullptr, nullptr), 0);
  EXPECT_EQ(vcMemberArchiveChanges(h, nullptr, nullptr, 1), 0);
  EXPECT_EQ(number(110) & 0xF03E0u, 0u);
}

TEST_F(MemberStatusTest, BranchLineThatMovedOn) {
  int a = archiveWith("a.c", {"one\n", "two\n"});
  // Two revisions on a branch from 1.1.
  for (const char* t : {"b1\n", "b2\n"}) {
    writeFile(path("a.c"), t);
    char revision[32] = "";
    ASSERT_EQ(vcCiRevision(a, std::string(t) == "b1\n" ? "1.1.1" : "1.1.1.1", path("a.c").c_str(), 0,
                           revision, sizeof revision), 0) << t;
  }
  ASSERT_EQ(vcCommitArchive(a, 1), 0);
  ASSERT_EQ(vcAddMember(h, 'a', path("a.c").c_str(), "1.1.1.1", nullptr), 0);
  EXPECT_EQ(archiveBits("a.c"), 0x100u);
  EXPECT_EQ(text(117), "1.1.1.2");
  ASSERT_EQ(vcSetMember(h, 127, "1.1.1.2"), 0);
  EXPECT_EQ(archiveBits("a.c"), 0u);
}

}  // namespace
