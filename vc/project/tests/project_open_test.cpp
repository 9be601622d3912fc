// Tests of opening, saving and closing projects and sandboxes: the order of
// the refusals, the handles, a sandbox leading to its master (and to a
// revision of it), the locks' change test against another process, and
// saves that replace the file whole or not at all.
#include "vc/project/tests/project_test_support.h"
#include "vc/error_codes.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/fault_injection.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

namespace {

namespace err = vc::err;

using namespace projecttest;
bool exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

const std::string kTwoMembers =
    "--ORV Project--\n$Revision$\ndescription=two\nEndOptions\na.c a  \nb.c a 1.2 \n";

struct ProjectOpenTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-projopen"};
  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    denied().clear();
    vc::permissionBridge().granted = grantedUnlessDenied;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
  }
  std::string path(const std::string& name) { return scratch.path() + "/" + name; }
  int open(const std::string& name, int flags, int* handle) {
    return vcOpenProject(path(name).c_str(), flags, handle, 0);
  }
};

TEST_F(ProjectOpenTest, RefusalsComeInTheirOrder) {
  writeFile(path("p.prj"), kTwoMembers);
  writeFile(path("not.prj"), "hello\n");
  struct Case {
    const char* what;
    std::set<std::string> deny;
    const char* name;  // null: a null name
    int flags;
    int expected;
  } cases[] = {
      {"open refused before a bad name", {"openproject", "createproject"}, nullptr, 4,
       err::kDenyOpenProject},
      {"bad name before create", {"createproject"}, nullptr, 4, err::kBadArgument},
      {"create refused", {"createproject", "modifyproject"}, "new.prj", 5, err::kDenyCreateProject},
      {"missing without create", {}, "missing.prj", 1, err::kCannotOpenProject},
      {"not a project file", {"modifyproject"}, "not.prj", 1, err::kNotProjectFile},
      {"modify refused", {"modifyproject"}, "p.prj", 1, err::kDenyModifyProject},
      {"modify refused for 2 too", {"modifyproject"}, "p.prj", 2, err::kDenyModifyProject},
      {"read needs no modify", {"modifyproject"}, "p.prj", 0, 0},
      {"existing file needs no create", {"createproject"}, "p.prj", 5, 0},
  };
  for (const Case& c : cases) {
    denied() = c.deny;
    int h = -1;
    const std::string name = c.name ? path(c.name) : std::string();
    EXPECT_EQ(vcOpenProject(c.name ? name.c_str() : nullptr, c.flags, &h, 0), c.expected) << c.what;
    if (c.expected == 0) {
      EXPECT_EQ(vcCloseProject(h), 0) << c.what;
    }
  }
  EXPECT_FALSE(exists(path("new.prj")));
}

TEST_F(ProjectOpenTest, WithoutInstance) {
  vcAPIcleanup();
  int h = 0;
  EXPECT_EQ(vcOpenProject(path("p.prj").c_str(), 0, &h, 0), err::kBadCaller);
  EXPECT_EQ(vcCloseProject(1), err::kBadCaller);
  EXPECT_EQ(vcCloseSandbox(1), err::kBadCaller);
  EXPECT_EQ(vcSaveProject(1), err::kBadProjectHandle);
  EXPECT_EQ(vcProjectWriteLock(1), err::kBadProjectHandle);
  EXPECT_EQ(vcSaveSandbox(1), err::kBadSandboxHandle);
  ASSERT_EQ(vcAPIinit(), 0);
}

TEST_F(ProjectOpenTest, HandlesGrowAndAreNeverReused) {
  writeFile(path("p.prj"), kTwoMembers);
  int a = 0, b = 0, c = 0;
  ASSERT_EQ(open("p.prj", 0, &a), 0);
  ASSERT_EQ(open("p.prj", 0, &b), 0);
  EXPECT_GT(b, a);
  EXPECT_EQ(vcCloseProject(b), 0);
  EXPECT_EQ(vcCloseProject(b), err::kBadProjectHandle);
  ASSERT_EQ(open("p.prj", 0, &c), 0);
  EXPECT_GT(c, b);
  EXPECT_EQ(vcSaveProject(b), err::kBadProjectHandle);
  EXPECT_EQ(vcCloseProject(a), 0);
  EXPECT_EQ(vcCloseProject(c), 0);
}

TEST_F(ProjectOpenTest, ProbeOpenKeepsNothingAndWritesNothing) {
  EXPECT_EQ(open("new.prj", 5, nullptr), 0);
  EXPECT_FALSE(exists(path("new.prj")));
  writeFile(path("p.prj"), kTwoMembers);
  EXPECT_EQ(open("p.prj", 1, nullptr), 0);
  EXPECT_EQ(readFile(path("p.prj")), kTwoMembers);
}

TEST_F(ProjectOpenTest, CreatedProjectIsWrittenByTheSave) {
  int h = 0;
  ASSERT_EQ(open("new.prj", 5, &h), 0);
  EXPECT_FALSE(exists(path("new.prj")));
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("new.prj")), "--ORV Project--\n$Revision$\nEndOptions\n");
  // The save recorded the new file, so our own lock finds nothing changed.
  EXPECT_EQ(vcProjectWriteLock(h), 0);
  EXPECT_EQ(vcDropProjectWriteLock(h), 0);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOpenTest, UnchangedProjectIsNotRewritten) {
  writeFile(path("p.prj"), kTwoMembers);
  int h = 0;
  ASSERT_EQ(open("p.prj", 1, &h), 0);
  // Someone else's save: an unchanged record has nothing to write over it.
  writeFile(path("p.prj"), kTwoMembers + "c.c a  \n");
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")), kTwoMembers + "c.c a  \n");
  EXPECT_EQ(vcCloseProject(h), 0);
}

// Another process saves the project between our read and our lock.
TEST_F(ProjectOpenTest, SaveByAnotherProcessBetweenReadAndLock) {
  writeFile(path("p.prj"), kTwoMembers);
  int h = 0;
  ASSERT_EQ(open("p.prj", 1, &h), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The other process's own instance, opening, changing and saving.
    int rc = vcAPIinit();
    int other = 0;
    if (!rc) rc = vcOpenProject(path("p.prj").c_str(), 4 | 1, &other, 0);
    if (!rc) rc = orv::sys::writeWholeFile(path("p.prj"), kTwoMembers + "d.c a  \n");
    ::_exit(rc == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(vcProjectWriteLock(h), err::kFileChanged);
  EXPECT_EQ(vcProjectSharedLock(h), err::kFileChanged);
  EXPECT_EQ(vcCloseProject(h), 0);
  // Read again, the project locks.
  ASSERT_EQ(open("p.prj", 1, &h), 0);
  EXPECT_EQ(vcProjectSharedLock(h), 0);
  EXPECT_EQ(vcProjectWriteLock(h), 0);
  // A second handle of this process is kept out like any other user.
  int second = 0;
  ASSERT_EQ(open("p.prj", 1, &second), 0);
  EXPECT_EQ(vcProjectSharedLock(second), err::kCannotLock);
  EXPECT_EQ(vcDropProjectWriteLock(h), 0);
  EXPECT_EQ(vcProjectSharedLock(second), 0);
  EXPECT_EQ(vcCloseProject(second), 0);
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOpenTest, FailedSaveLeavesTheOldFileAndStaysChanged) {
  int h = 0;
  writeFile(path("new.prj"), "");  // empty: a new project with the create flag
  ASSERT_EQ(open("new.prj", 5, &h), 0);
  {
    orv::sys::ScopedFault<&orv::sys::SystemCalls::rename> f(EIO);
    EXPECT_EQ(vcSaveProject(h), err::kProjectWrite);
  }
  EXPECT_EQ(readFile(path("new.prj")), "");
  ASSERT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("new.prj")), "--ORV Project--\n$Revision$\nEndOptions\n");
  EXPECT_EQ(vcCloseProject(h), 0);
}

TEST_F(ProjectOpenTest, SandboxLeadsToItsMasterOneHopOnly) {
  writeFile(path("master.prj"), kTwoMembers);
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=master.prj\nowner=me\n");
  writeFile(path("sb2.prj"), "--ORV Project--Sandbox--\nmasterproject=sb.prj\n");
  writeFile(path("nomaster.prj"), "--ORV Project--Sandbox--\nowner=me\n");
  writeFile(path("lost.prj"), "--ORV Project--Sandbox--\nmasterproject=gone.prj\n");
  int h = 0;
  ASSERT_EQ(open("sb.prj", 0, &h), 0);
  EXPECT_EQ(vcCloseProject(h), 0);
  EXPECT_EQ(open("sb2.prj", 0, &h), err::kNotProjectFile);
  EXPECT_EQ(open("nomaster.prj", 0, &h), err::kNoMasterProject);
  EXPECT_EQ(open("lost.prj", 0, &h), err::kMasterProjectInaccessible);
  denied() = {"opensandbox"};
  EXPECT_EQ(open("sb.prj", 0, &h), err::kDenyOpenSandbox);
}

TEST_F(ProjectOpenTest, SandboxFilesOnTheirOwn) {
  writeFile(path("master.prj"), kTwoMembers);
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=master.prj\n");
  int s = 0;
  EXPECT_EQ(vcOpenSandbox(path("master.prj").c_str(), 0, &s, 0), err::kNotSandboxFile);
  EXPECT_EQ(vcOpenSandbox(path("missing.sbx").c_str(), 0, &s, 0), err::kCannotOpenProject);
  denied() = {"createsandbox"};
  EXPECT_EQ(vcOpenSandbox(path("new.sbx").c_str(), 4, &s, 0), err::kDenyCreateSandbox);
  EXPECT_FALSE(exists(path("new.sbx")));
  denied() = {"modifysandbox"};
  EXPECT_EQ(vcOpenSandbox(path("sb.prj").c_str(), 1, &s, 0), err::kDenyModifySandbox);
  denied().clear();

  int a = 0;
  ASSERT_EQ(vcOpenSandbox(path("sb.prj").c_str(), 0, &a, 0), 0);
  EXPECT_EQ(vcSaveSandbox(a), err::kNotOpenForWrite);
  ASSERT_EQ(vcOpenSandbox(path("sb.prj").c_str(), 2, &s, 0), 0);
  EXPECT_GT(s, a);
  EXPECT_EQ(vcSaveSandbox(s), 0);
  EXPECT_EQ(readFile(path("sb.prj")), "--ORV Project--Sandbox--\nmasterproject=master.prj\n");
  EXPECT_EQ(vcCloseSandbox(s), 0);
  EXPECT_EQ(vcCloseSandbox(s), err::kBadSandboxHandle);
  EXPECT_EQ(vcSaveSandbox(s), err::kBadSandboxHandle);
  EXPECT_EQ(vcCloseSandbox(a), 0);
}

// Checks the project file in as its next revision; the revision number.
std::string checkIn(const std::string& projectPath) {
  char archiveName[2048] = "";
  int a = 0;
  int rc = vcFindArchiveName(projectPath.c_str(), archiveName, sizeof archiveName, &a, 4 | 2);
  if (rc != 0) {
    ADD_FAILURE() << "archive of " << projectPath << ": " << rc;
    return "";
  }
  char revision[32] = "";
  EXPECT_EQ(vcCiRevision(a, nullptr, projectPath.c_str(), 0, revision, sizeof revision), 0);
  EXPECT_EQ(vcCommitArchive(a, 1), 0);
  return revision;
}

TEST_F(ProjectOpenTest, RevisionsOfTheProjectFile) {
  const std::string first = "--ORV Project--\n$Revision$\nEndOptions\na.c a  \n";
  writeFile(path("p.prj"), first);
  ASSERT_EQ(checkIn(path("p.prj")), "1.1");
  writeFile(path("p.prj"), kTwoMembers);
  ASSERT_EQ(checkIn(path("p.prj")), "1.2");
  writeFile(path("sb.prj"), "--ORV Project--Sandbox--\nmasterproject=p.prj\nrevision=1.1\n");

  // The revision copies go to the temporary directory and leave with the
  // record (also when the open fails).
  ASSERT_EQ(::mkdir(path("tmp").c_str(), 0700), 0);
  const char* oldTmp = std::getenv("TMPDIR");
  const std::string savedTmp = oldTmp ? oldTmp : "";
  ::setenv("TMPDIR", path("tmp").c_str(), 1);
  int h = 0;
  EXPECT_EQ(vcOpenRevProject(path("p.prj").c_str(), "1.9", 8, &h, 0), err::kRevisionMissing);
  ASSERT_EQ(vcOpenRevProject(path("p.prj").c_str(), "1.1", 8, &h, 0), 0);
  // Never written back, whatever the save is asked.
  EXPECT_EQ(vcSaveProject(h), 0);
  EXPECT_EQ(readFile(path("p.prj")), kTwoMembers);
  EXPECT_EQ(vcCloseProject(h), 0);
  if (oldTmp)
    ::setenv("TMPDIR", savedTmp.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  EXPECT_EQ(::rmdir(path("tmp").c_str()), 0) << "a revision copy was left behind";

  // A variant sandbox opens the revision it names.
  ASSERT_EQ(open("sb.prj", 0, &h), 0);
  char value[64] = "";
  EXPECT_EQ(vcProjectOptionGet(h, "description", value, sizeof value, nullptr), err::kUnknownOption);
  EXPECT_EQ(vcProjectOptionGet(h, "revision", value, sizeof value, nullptr), 0);
  EXPECT_STREQ(value, "1.1");
  EXPECT_EQ(vcCloseProject(h), 0);
  denied() = {"checkpoint"};
  EXPECT_EQ(open("sb.prj", 1, &h), err::kDenyModifySandbox);
}

// The gate of the security database: the policies of the project's security
// objects come into the project's lists, and "NoOpenProject" (or, opened for
// change, "NoModifyProject") there keeps the project closed.
TEST_F(ProjectOpenTest, SecurityObjectPoliciesGateTheOpen) {
  void* kel = ::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(kel, nullptr);
  auto setObject = reinterpret_cast<void (*)(const char*, const char*)>(
      ::dlsym(kel, "kelDoubleSetSecurityObject"));
  writeFile(path("policy"), "");
  writeFile(path("policy@readers"), "OpenProject\nNoModifyProject\nLogFormat=short\n");
  writeFile(path("policy@closed"), "NoOpenProject\n");
  setObject(path("open.prj").c_str(), "readers");
  setObject(path("closed.prj").c_str(), "closed");
  vcAPIcleanup();
  ::setenv("ORV_KEL_POLICY_FILE", path("policy").c_str(), 1);
  ASSERT_EQ(vcAPIinit(), 0);
  writeFile(path("open.prj"), kTwoMembers);
  writeFile(path("closed.prj"), kTwoMembers);
  int h = 0;
  ASSERT_EQ(open("open.prj", 0, &h), 0);
  char value[32] = "";
  EXPECT_EQ(vcProjectOptionGet(h, "logformat", value, sizeof value, nullptr), 0);
  EXPECT_STREQ(value, "short");
  EXPECT_EQ(vcCloseProject(h), 0);
  EXPECT_EQ(open("open.prj", 1, &h), err::kProjectDenied);
  EXPECT_EQ(open("closed.prj", 0, &h), err::kProjectDenied);
  ::unsetenv("ORV_KEL_POLICY_FILE");
  reinterpret_cast<void (*)()>(::dlsym(kel, "kelDoubleReset"))();
  ::dlclose(kel);
}

// The project's worktoarch pairs lead the archive search while it is the
// current project (and while vcFilesChanged looks at its members).
TEST_F(ProjectOpenTest, MemberArchivesThroughTheProjectsPairs) {
  writeFile(path("p.prj"), "--ORV Project--\n$Revision: 1.3 $\nworktoarch " + path("src") + "=" +
                               path("store") + "/%f,v\nEndOptions\nsrc/a.c a  \n");
  ASSERT_EQ(::mkdir(path("src").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(path("store").c_str(), 0755), 0);
  writeFile(path("src/a.c"), "name $ProjectName$ at $ProjectRevision$\n");
  int h = 0;
  ASSERT_EQ(open("p.prj", 0, &h), 0);
  EXPECT_EQ(vcFilesChanged(h, 0), 0);  // no archive yet
  ASSERT_EQ(vcSetSysInfo(52, std::to_string(h).c_str()), 0);
  char archiveName[2048] = "";
  int a = 0;
  ASSERT_EQ(vcFindArchiveName(path("src/a.c").c_str(), archiveName, sizeof archiveName, &a, 4 | 2), 0);
  EXPECT_EQ(std::string(archiveName), path("store/a.c,v"));
  char revision[32] = "";
  ASSERT_EQ(vcCiRevision(a, nullptr, path("src/a.c").c_str(), 0, revision, sizeof revision), 0);
  ASSERT_EQ(vcCommitArchive(a, 0), 0);
  // The keywords of the current project.
  ASSERT_EQ(vcCoRevision(a, revision, path("out.c").c_str()), 0);
  EXPECT_EQ(readFile(path("out.c")), "name $ProjectName: p.prj $ at $ProjectRevision: 1.3 $\n");
  ASSERT_EQ(vcSetSysInfo(52, "0"), 0);
  ASSERT_EQ(vcCoRevision(a, revision, path("out.c").c_str()), 0);
  EXPECT_EQ(readFile(path("out.c")), "name $ProjectName: $ at $ProjectRevision: $\n");
  EXPECT_EQ(vcCloseArchive(a), 0);

  // Changed after a time well before now, not after one well after.
  const long now = static_cast<long>(::time(nullptr));
  EXPECT_EQ(vcFilesChanged(h, now - 3600), err::kDone);
  EXPECT_EQ(vcFilesChanged(h, now + 3600), 0);
  EXPECT_EQ(vcFilesChanged(h + 1, 0), err::kBadProjectHandle);
  EXPECT_EQ(vcCloseProject(h), 0);
}

}  // namespace
