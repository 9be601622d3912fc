// Opening archives: modes, recognition of forms, the handle table, creation,
// closing, the write lock and keep-closed.
#include "vc/tests/archive_test_support.h"

#include "vc/archive/archive_recognition.h"
#include "vc/error_codes.h"
#include "vc/security/permissions.h"
#include "vc/archive/current_work.h"

#include <sys/stat.h>

using namespace archive_test;
namespace err = vc::err;

namespace {

struct OpenTest : ArchiveTest {};

std::string plainArchive() { return readFile(fixtureDir() + "/one.v"); }

std::string gzipOf(const std::string& file) {
  const std::string out = file + ".gz";
  EXPECT_EQ(std::system(("gzip -c -n '" + file + "' > '" + out + "'").c_str()), 0);
  return out;
}

std::string compressOf(const std::string& file) {
  const std::string out = file + ".Z";
  // compress exits 2 when the output is not smaller; the data is written all the same.
  int rc = std::system(("compress -c -b 16 '" + file + "' > '" + out + "'").c_str());
  EXPECT_TRUE(WIFEXITED(rc) && (WEXITSTATUS(rc) == 0 || WEXITSTATUS(rc) == 2));
  return out;
}

}  // namespace

TEST_F(OpenTest, ModesOutsideTheTableAreRefusedBeforeAnyCheck) {
  int calls = 0;
  static int* counter;
  counter = &calls;
  vc::archiveHooks().holdsPermission = [](vc::VcInstance&, const char*, vc::VcArchive*) {
    ++*counter;
    return false;
  };
  const std::string p = copyFixture("one.v");
  for (int mode : {0, 5, 8, -1}) {
    int h = 77;
    EXPECT_EQ(vcOpenArchive(p.c_str(), &h, mode), vc::err::kBadArgument) << mode;
    EXPECT_EQ(h, 0) << mode;
  }
  EXPECT_EQ(calls, 0);
  int h = 0;
  EXPECT_EQ(vcOpenArchive(nullptr, &h, 1), vc::err::kBadArgument);
}

TEST_F(OpenTest, PermissionsByMode) {
  static std::string refused;
  vc::archiveHooks().holdsPermission = [](vc::VcInstance&, const char* p, vc::VcArchive*) {
    return refused != p;
  };
  const std::string p = copyFixture("one.v");
  struct Case {
    const char* refused;
    const char* file;
    int mode;
    bool handle;
    int code;
  } cases[] = {
      {"openarchive", "one.v", 1, true, 251},
      {"openarchive", "one.v", 1, false, 0},  // a check needs no openarchive
      {"modifyarchive", "one.v", 1, true, 0},
      {"modifyarchive", "one.v", 3, true, 243},
      {"createarchive", "new.v", 4, true, 244},
      {"createarchive", "one.v", 7, true, 0},  // exists: no creation
      {"openarchive", "new.v", 6, true, 0},     // creating needs createarchive only
  };
  for (const Case& c : cases) {
    refused = c.refused;
    int h = 0;
    int rc = vcOpenArchive(path(c.file).c_str(), c.handle ? &h : nullptr, c.mode);
    EXPECT_EQ(rc, c.code) << c.refused << " " << c.file << " " << c.mode;
    if (h) vcCloseArchive(h);
    EXPECT_FALSE(fs::exists(path("new.v")));  // a refused or abandoned creation leaves nothing
  }
}

TEST_F(OpenTest, RecognitionOfForms) {
  const std::string plain = copyFixture("one.v");
  const std::string enc = path("enc.v");
  writeFile(enc, "#!encrypt\n" + std::string(40, '\x5a'));
  const std::string notArchive = path("text.txt");
  std::string noise;
  for (unsigned i = 0, x = 1; i < 400; ++i) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  writeFile(notArchive, "not an archive" + noise);
  const std::string pvcs = path("pvcs.v");
  writeFile(pvcs, std::string("\xe1\x00\x16\x15", 4) + "Polytron VCS logfile" + std::string(1, '\0') +
                      std::string(20, 'p'));
  const std::string sccs = path("s.sccs");
  writeFile(sccs, "\x01h12345\n" + std::string(40, 's'));
  const std::string empty = path("empty.v");
  writeFile(empty, "");
  const std::string shortFile = path("short.v");
  writeFile(shortFile, plainArchive().substr(0, 31));
  const std::string garbageGz = gzipOf(notArchive);
  const std::string encGz = gzipOf(enc);

  struct Case {
    std::string file;
    int code;
    int compression;
    bool encrypted;
  } cases[] = {
      {plain, 0, 0, false},
      {gzipOf(plain), 0, 15, false},
      {compressOf(plain), 0, 15, false},  // 16 bits, capped at 15
      {enc, 19, 0, true},
      {encGz, 19, 15, true},
      {garbageGz, 78, 0, false},
      {notArchive, 15, 0, false},
      {pvcs, 16, 0, false},
      {sccs, 17, 0, false},
      {empty, 15, 0, false},
      {shortFile, 15, 0, false},
  };
  for (const Case& c : cases) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(c.file.c_str(), &h, 1), c.code) << c.file;
    if (c.code == 0 || c.code == 19) {
      ASSERT_NE(h, 0) << c.file;
      EXPECT_EQ(rec(h)->file.compression, c.compression) << c.file;
      EXPECT_EQ((rec(h)->file.flags & vc::archive::kFlagEncrypted) != 0, c.encrypted) << c.file;
      // Without a password an encrypted archive cannot be read.
      EXPECT_EQ(vc::readArchiveHeader(inst(), *rec(h)), c.encrypted ? 21 : 0) << c.file;
      EXPECT_EQ(vcCloseArchive(h), 0);
    } else {
      EXPECT_EQ(h, 0) << c.file;
    }
    // Without a handle pointer only the code comes back.
    EXPECT_EQ(vcOpenArchive(c.file.c_str(), nullptr, 1), c.code) << c.file;
  }
  for (int i = 0; i < vc::kArchiveHandles; ++i) EXPECT_EQ(vc::archiveInTable(i), nullptr);
}

TEST_F(OpenTest, LzwMagicBytes) {
  // The leading bytes alone decide the LZW forms (what follows is not read).
  unsigned char b[32] = {0x1f, 0x9d, 0x8e, 0x68, 0xca, 0x84, 0x21, 0xb3};
  vc::Recognition r = vc::recogniseLeadingBytes(b);
  EXPECT_EQ(r.code, vc::err::kCompressedArchive);
  EXPECT_EQ(r.compression, 14);
  unsigned char e[32] = {0x1f, 0x9d, 0x90, 0x23, 0x42, 0x94, 0x71, 0x33};
  r = vc::recogniseLeadingBytes(e);
  EXPECT_EQ(r.code, vc::err::kCompressedEncryptedArchive);
  EXPECT_EQ(r.compression, 15);
  EXPECT_TRUE(r.encrypted);
  b[7] = 0x04;  // not white space after "head"
  EXPECT_EQ(vc::recogniseLeadingBytes(b).code, vc::err::kNotVersionFile);
}

TEST_F(OpenTest, ZeroLengthAndUnreadableFiles) {
  // A file being created reads as an empty archive and is on disk only
  // from its first commit; an existing empty one is no archive to a plain
  // open, and absent to a creating one.
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("sub/dir/new.v").c_str(), &h, 4), 0);
  EXPECT_FALSE(fs::exists(path("sub/dir/new.v")));
  EXPECT_EQ(rec(h)->file.readState, vc::archive::ReadState::All);
  EXPECT_TRUE(rec(h)->file.flags & vc::archive::kFlagCreated);
  EXPECT_EQ(vcCloseArchive(h), 0);
  EXPECT_FALSE(fs::exists(path("sub/dir/new.v")));  // never committed: never there

  writeFile(path("zero.v"), "");
  EXPECT_EQ(vcOpenArchive(path("zero.v").c_str(), &h, 1), vc::err::kNotVersionFile);
  ASSERT_EQ(vcOpenArchive(path("zero.v").c_str(), &h, 7), 0);
  EXPECT_TRUE(rec(h)->file.flags & vc::archive::kFlagCreated);
  EXPECT_EQ(vcCloseArchive(h), 0);
  EXPECT_TRUE(fs::exists(path("zero.v")));  // not ours to delete: only a commit replaces it
  EXPECT_EQ(vcOpenArchive(path("missing.v").c_str(), &h, 1), vc::err::kCannotOpenArchive);
  EXPECT_EQ(vcExtraError(), ENOENT);
  // A directory where the archive's directory should be.
  writeFile(path("plainfile"), "x");
  EXPECT_EQ(vcOpenArchive(path("plainfile/a.v").c_str(), &h, 4), vc::err::kCannotCreateArchiveDir);
  EXPECT_EQ(vcExtraError(), ENOTDIR);
}

TEST_F(OpenTest, CreationTakesOptions) {
  ASSERT_EQ(vcSetConfig("strictlocks", nullptr), 0);
  ASSERT_EQ(vcSetConfig("compress", "13"), 0);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("new.v").c_str(), &h, 6), 0);
  EXPECT_TRUE(rec(h)->file.flags & vc::archive::kFlagStrict);
  EXPECT_EQ(rec(h)->file.compression, 13);
  EXPECT_EQ(vcCloseArchive(h), 0);
  ASSERT_EQ(vcSetConfig("compress", "99"), 0);
  ASSERT_EQ(vcOpenArchive(path("new.v").c_str(), &h, 6), 0);
  EXPECT_EQ(rec(h)->file.compression, 15);
}

TEST_F(OpenTest, HandleTableOfOneHundred) {
  const std::string p = copyFixture("one.v");
  std::vector<int> handles;
  for (int i = 0; i < 100; ++i) {
    int h = 0;
    ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0) << i;  // readers share
    EXPECT_EQ(h, i + 1);
    handles.push_back(h);
  }
  int h = 0;
  EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 1), vc::err::kTooManyFiles);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(vcCloseArchive(50), 0);
  EXPECT_EQ(vcCloseArchive(50), vc::err::kBadArchiveHandle);
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(h, 50);  // the first free entry
  EXPECT_EQ(archiveWorkOf(inst()).archive, rec(50));
  for (int bad : {0, -1, 101}) {
    EXPECT_EQ(vcCloseArchive(bad), vc::err::kBadArchiveHandle);
    EXPECT_EQ(vcWriteLock(bad), vc::err::kBadArchiveHandle);
    EXPECT_EQ(vcCommitArchive(bad, 0), vc::err::kBadArchiveHandle);
    EXPECT_EQ(vcKeepClosed(bad), vc::err::kBadArchiveHandle);
  }
}

TEST_F(OpenTest, HandlesOfAnotherInstanceAreInvalid) {
  const std::string p = copyFixture("one.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  static std::uint32_t pid;
  pid = 424242;
  vc::seams().processId = [] { return pid; };
  ASSERT_EQ(vcAPIinit(), 0);
  EXPECT_EQ(vcCloseArchive(h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcWriteLock(h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcDropWriteLock(h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcReOpenArchive(h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcKeepClosed(h), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcCommitArchive(h, 1), vc::err::kBadArchiveHandle);
  EXPECT_EQ(vcAPIcleanup(), 0);
  vc::resetSeams();
  EXPECT_EQ(vcCloseArchive(h), 0);
}

TEST_F(OpenTest, CleanupClosesTheInstancesArchives) {
  int h = 0;
  ASSERT_EQ(vcOpenArchive(path("new.v").c_str(), &h, 4), 0);
  ASSERT_EQ(vcAPIcleanup(), 0);
  EXPECT_EQ(vc::archiveInTable(h - 1), nullptr);
  EXPECT_FALSE(fs::exists(path("new.v")));
  ASSERT_EQ(vcAPIinit(), 0);
}

TEST_F(OpenTest, SharesInOneProcess) {
  // Handles in one process conflict as between processes.
  const std::string p = copyFixture("one.v");
  int r1 = 0, r2 = 0, w = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &r1, 1), 0);
  ASSERT_EQ(vcOpenArchive(p.c_str(), &r2, 1), 0);
  EXPECT_EQ(vcOpenArchive(p.c_str(), &w, 3), vc::err::kCannotLock);
  EXPECT_EQ(vcWriteLock(r1), vc::err::kCannotLock);  // r2 still reads
  EXPECT_EQ(vcCloseArchive(r2), 0);
  EXPECT_EQ(vcWriteLock(r1), 0);
  EXPECT_EQ(vcWriteLock(r1), 0);  // again: nothing to do
  EXPECT_EQ(vcOpenArchive(p.c_str(), &r2, 1), vc::err::kCannotLock);
  EXPECT_EQ(vcDropWriteLock(r1), 0);
  EXPECT_EQ(vcOpenArchive(p.c_str(), &r2, 1), 0);
  EXPECT_EQ(vcReOpenArchive(r1), 0);
}

TEST_F(OpenTest, WriteLockRefusedWhenNotOnTheAccessList) {
  const std::string p = copyFixture("access.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  ASSERT_EQ(vc::readArchiveHeader(inst(), *rec(h)), 0);
  ASSERT_FALSE(rec(h)->file.access.empty());
  ASSERT_EQ(vcSetSysInfo(99, "nobody_listed"), 0);
  EXPECT_EQ(vcWriteLock(h), vc::err::kNotOnAccessList);
  EXPECT_EQ(rec(h)->writeLock, 0);
  ASSERT_EQ(vcSetSysInfo(99, rec(h)->file.access.front().c_str()), 0);
  EXPECT_EQ(vcWriteLock(h), 0);
}

TEST_F(OpenTest, ChangeTestAfterKeepClosed) {
  const std::string p = copyFixture("branches.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  const std::string before = dumpTexts(inst(), *rec(h));
  ASSERT_EQ(vcKeepClosed(h), 0);
  EXPECT_EQ(rec(h)->file.readState, vc::archive::ReadState::All);
  // Kept closed, the archive no longer blocks a writer.
  int w = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &w, 3), 0);
  ASSERT_EQ(vcCommitArchive(w, 1), 0);  // rewritten: a new file under the name
  EXPECT_EQ(dumpTexts(inst(), *rec(h)), before);  // still reads what it read
  EXPECT_EQ(vcWriteLock(h), vc::err::kFileChanged);
  EXPECT_EQ(rec(h)->writeLock, 0);
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kNotOpenForWrite);
}

TEST_F(OpenTest, MalformedCorpusAnswersItsCodes) {
  for (const auto& e : fs::directory_iterator(fixtureDir() + "/bad")) {
    const std::string name = e.path().filename().string();
    const int expected = std::stoi(name.substr(0, name.find('_')));
    const std::string p = copyFixture("bad/" + name, name);
    int h = 0;
    int rc = vcOpenArchive(p.c_str(), &h, 3);
    if (fs::file_size(p) < 32) {
      EXPECT_EQ(rc, vc::err::kNotVersionFile) << name;
      continue;
    }
    if (rc == vc::err::kNotVersionFile) {
      // Files that do not even start like an archive.
      EXPECT_EQ(expected, vc::err::kArchiveParseError) << name;
      continue;
    }
    ASSERT_EQ(rc, 0) << name;
    EXPECT_EQ(vcKeepClosed(h), expected) << name;
    // A commit after a failed read either fails or copies the unread rest
    // as it stood: the file never loses anything.
    vcCommitArchive(h, 1);
    EXPECT_EQ(readFile(p), readFile(fixtureDir() + "/bad/" + name)) << name;
    vcCloseArchive(h);
  }
  EXPECT_TRUE(leftovers().empty());
}

TEST_F(OpenTest, PermissionsComeFromTheSecurityBridge) {
  // The default hooks ask the security-database bridge.
  vc::resetArchiveHooks();
  vc::permissionBridge().granted = [](vc::VcInstance&, const char* p) { return std::string(p) != "modifyarchive"; };
  const std::string p = copyFixture("one.v");
  int h = 0;
  EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  if (h) vcCloseArchive(h);
  h = 0;
  EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 3), vc::err::kDenyModifyArchive);
  vc::resetPermissionBridge();
}
