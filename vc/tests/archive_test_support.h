// Shared set-up of the archive opening and commit tests: an instance on the
// security-database double, a scratch directory, fixture copies, and small
// readers of files and of an archive's texts.
#pragma once

#include "vc/archive/archive_events.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace archive_test {

namespace fs = std::filesystem;

inline std::string fixtureDir() { return std::string(ORV_TEST_DATA_DIR) + "/archives"; }

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Every revision's log and text as stored, in text order: what must survive
// any commit unchanged.
inline std::string dumpTexts(vc::VcInstance& inst, vc::VcArchive& a) {
  using namespace vc::archive;
  if (vc::readArchiveTexts(inst, a, nullptr) != 0) return "<read failed>";
  std::string out;
  for (DeltaRecord* d : textOrder(a.file)) {
    std::string log, text;
    if (loadText(a.file, d->log, log) || loadText(a.file, d->text, text)) return "<load failed>";
    out += d->revision + "\nlog:" + log + "\ntext:" + text + "\n";
  }
  return out;
}

struct ArchiveTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-archive"};
  const std::string dir = scratch.path();

  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    // Dates as held, so canonical files come back byte for byte.
    ASSERT_EQ(vcSetConfig("Nocentury", nullptr), 0);
  }
  void TearDown() override {
    orv::sys::resetCalls();
    vc::resetArchiveHooks();
    vc::resetSeams();
    vcAPIcleanup();
  }

  vc::VcInstance& inst() { return *vc::currentInstance(); }
  vc::VcArchive* rec(int handle) {
    vc::VcArchive* a = nullptr;
    vc::lookupArchive(inst(), handle, a);
    return a;
  }
  std::string path(const std::string& name) const { return scratch.file(name); }
  // Copies a fixture of testdata/archives into the scratch directory.
  std::string copyFixture(const std::string& name, const std::string& as = "") {
    std::string to = path(as.empty() ? fs::path(name).filename().string() : as);
    fs::copy_file(fixtureDir() + "/" + name, to, fs::copy_options::overwrite_existing);
    return to;
  }
  // Names in the scratch directory that start with "vc_" (commit leftovers).
  std::vector<std::string> leftovers() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename().string().rfind("vc_", 0) == 0) out.push_back(e.path().string());
    return out;
  }
};

}  // namespace archive_test

#ifdef KEL_DOUBLE_PATH
// The library as a client program sees it, for tests of the programs over
// it: loaded by its public calls only, on the security-database double (the
// double's file is KEL_DOUBLE_PATH; every permission granted unless a test
// refuses it), one instance per test in a fresh directory with a settings
// directory of its own and the signed-in user "alice", and helpers that
// build archives and projects and read them back through the library's own
// calls.
namespace archive_test {

// The double's test-only calls.
class KelDouble {
 public:
  KelDouble() : lib_(::dlopen(KEL_DOUBLE_PATH, RTLD_NOW | RTLD_LOCAL)) {}
  ~KelDouble() {
    if (lib_) ::dlclose(lib_);
  }
  void reset() { call<void (*)()>("kelDoubleReset")(); }
  // Refuses permission in the global scope.
  void refuse(const char* permission) { answer(permission, 5, nullptr); }
  // Grants permission with a value.
  void grantWithValue(const char* permission, const char* value) { answer(permission, 0, value); }

 private:
  void answer(const char* permission, int result, const char* value) {
    call<void (*)(const char*, const char*, int, int, const char*)>("kelDoubleSetAnswer")(
        "", permission, result, 0, value);
  }
  template <class F>
  F call(const char* name) {
    return reinterpret_cast<F>(::dlsym(lib_, name));
  }
  void* lib_;
};

class ClientArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("ORV_KEL_LIBRARY", KEL_DOUBLE_PATH, 1);
    ::setenv("ORV_SETTINGS", dir.file("settings").c_str(), 1);
    ::setenv("LOGNAME", "alice", 1);
    kel.reset();
    forgetClientState();
  }
  void TearDown() override {
    if (started_) vcAPIcleanup();
    forgetClientState();
  }
  // What the client program keeps between calls of the library (a
  // password cache, say), forgotten before and after each test.
  virtual void forgetClientState() {}

  // Starts the library (after the test set the double's answers), with
  // config as the text of ORVRCS.RC.
  void start(const std::string& config = "") {
    ASSERT_EQ(vcAPIinit(), 0);
    started_ = true;
    vcSetSysInfo(VC_SYSINFO_SET_CURRENT_DIR, dir.path().c_str());
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
    if (!config.empty()) {
      const std::string rc = dir.write("ORVRCS.RC", config);
      ASSERT_EQ(vcReadConfig(rc.c_str()), 0);
    }
  }

  // Starts the library again, for answers of the double that it reads as
  // it starts, with config in place of the configuration before.
  void restart(const std::string& config) {
    if (started_) vcAPIcleanup();
    started_ = false;
    start(config + "\n");
  }

  std::string work(const std::string& name) const { return dir.file(name); }
  std::string archiveOf(const std::string& name) const { return dir.file("rcs/" + name); }

  // Makes the archive of work file name with one revision per text (1.1,
  // 1.2, ...), each checked in by the library directly; the working file is
  // left holding the last text.
  void makeArchive(const std::string& name, const std::vector<std::string>& texts,
                   const char* password = nullptr) {
    int h = 0;
    char found[513] = {};
    dir.write(name, texts.front());
    const int rc = vcFindArchiveName(work(name).c_str(), found, sizeof found, &h, VC_ARCHIVE_OPEN_WRITE | VC_ARCHIVE_OPEN_CREATE);
    ASSERT_EQ(rc, 0) << name;
    if (password) {
      ASSERT_EQ(vcSetPassword(h, password), 0);
    }
    for (const std::string& text : texts) {
      dir.write(name, text);
      char rev[64] = {};
      ASSERT_EQ(vcCiRevision(h, "", work(name).c_str(), 0, rev, sizeof rev), 0) << text;
    }
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }

  // A handle of our own on the archive of name, under its write lock.
  int lockedHandle(const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_WRITE), 0);
    return h;
  }

  std::string archiveBytes(const std::string& name) const { return dir.read("rcs/" + name); }

  // The revision a label names in the archive on disk ("" when none).
  std::string labelRevision(const std::string& name, const char* label) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char rev[64] = {};
    vcGetIdArchiveInfo(h, VC_ARCHIVE_ITEM_LABEL_REVISION, label, rev, sizeof rev);
    vcCloseArchive(h);
    return rev;
  }
  // The state of revision of name on disk ("" when none).
  std::string revisionState(const std::string& name, const char* revision) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char text[64] = {};
    vcGetRevInfo(h, VC_REVISION_ITEM_STATE, revision, text, sizeof text);
    vcCloseArchive(h);
    return text;
  }
  // The head revision and the locks ("user rev" entries) on disk.
  std::string head(const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    char rev[64] = {};
    vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_HEAD, rev, sizeof rev);
    vcCloseArchive(h);
    return rev;
  }
  std::vector<std::string> locks(const std::string& name) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(archiveOf(name).c_str(), &h, VC_ARCHIVE_OPEN_READ), 0);
    std::vector<std::string> out;
    char entry[162];
    while (vcGetArchiveInfo(h, VC_ARCHIVE_ITEM_NEXT_LOCK, entry, sizeof entry) == 0 && out.size() < 100) out.push_back(entry);
    vcCloseArchive(h);
    return out;
  }

  static mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }

  orv::test::TempDir dir{"orv-wbarchive"};
  KelDouble kel;

 private:
  bool started_ = false;
};

// Tests of projects: the library starts after beforeStart (it reads
// permissions as it starts, so refusals go there), and the process's
// directory is put back after each test, since making a project current
// moves into the project's directory.
template <class ArchiveFixture = ClientArchiveTest>
class ClientProjectTest : public ArchiveFixture {
 protected:
  using ArchiveFixture::dir;
  using ArchiveFixture::lockedHandle;
  using ArchiveFixture::makeArchive;
  using ArchiveFixture::start;
  using ArchiveFixture::work;

  void SetUp() override {
    ArchiveFixture::SetUp();
    char cwd[4096] = {};
    if (::getcwd(cwd, sizeof cwd)) cwd_ = cwd;
    ::mkdir(dir.file("settings").c_str(), 0755);
    beforeStart();
    start();
  }
  void TearDown() override {
    if (!cwd_.empty()) {
      EXPECT_EQ(::chdir(cwd_.c_str()), 0);
    }
    ArchiveFixture::TearDown();
  }
  virtual void beforeStart() {}

  struct Member {
    std::string name;
    char kind;
    const char* revision;
  };
  // A project file holding members (working-file names below the test's
  // directory).
  std::string makeProject(const std::string& name, const std::vector<Member>& members) {
    const std::string path = work(name);
    int h = 0;
    EXPECT_EQ(vcOpenProject(path.c_str(), VC_PROJECT_OPEN_MODIFY | VC_PROJECT_OPEN_CREATE, &h, 0), 0);
    for (const Member& m : members) {
      EXPECT_EQ(vcAddMember(h, m.kind, work(m.name).c_str(), m.revision, nullptr), 0) << m.name;
    }
    EXPECT_EQ(vcSaveProject(h), 0);
    vcCloseProject(h);
    return path;
  }

  // p.pj: a.c archived at 1.2, locked there by bob and labelled REL1; n.c
  // not archived; sub.pj a subproject; b.c archived at 1.1.
  std::string makeMixedProject() {
    makeArchive("a.c", {"one\n", "two\n"});
    makeArchive("b.c", {"one\n"});
    dir.write("n.c", "plain\n");
    vcSetSysInfo(99, "bob");
    int h = lockedHandle("a.c");
    EXPECT_EQ(vcSetRevInfo(h, VC_REVISION_ITEM_LOCK, "1.2", nullptr), 0);
    EXPECT_EQ(vcSetArchiveInfo(h, VC_ARCHIVE_ITEM_ADD_LABEL, "REL1", "1.2"), 0);
    EXPECT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
    vcCloseArchive(h);
    vcSetSysInfo(VC_SYSINFO_SET_AUTHENTICATED_USER, "alice");
    makeProject("sub.pj", {});
    return makeProject("p.pj", {{"a.c", 'a', "1.2"}, {"n.c", 'f', nullptr}, {"sub.pj", 'i', "1.1"}, {"b.c", 'a', "1.1"}});
  }

 private:
  std::string cwd_;
};

}  // namespace archive_test
#endif  // KEL_DOUBLE_PATH
