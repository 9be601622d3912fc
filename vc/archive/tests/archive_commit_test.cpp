// Commit: canonical archives round-trip byte for byte, changes survive,
// permissions, compressed archives, and the failure paths reached through
// the platform's system-call table.
#include "vc/tests/archive_test_support.h"

#include "vc/archive/format/archive_writer.h"
#include "vc/error_codes.h"

#include <cerrno>
#include <sys/stat.h>

using namespace archive_test;

namespace {

struct CommitTest : ArchiveTest {
  // Opens for writing; fails the test when that does not answer 0.
  int openForWrite(const std::string& p) {
    int h = 0;
    EXPECT_EQ(vcOpenArchive(p.c_str(), &h, 3), 0) << p;
    return h;
  }
  void addSymbol(int h, const std::string& name) {
    vc::VcArchive* a = rec(h);
    ASSERT_EQ(vc::readArchiveHeader(inst(), *a), 0);
    a->file.symbols.insert(a->file.symbols.begin(), {a->file.head ? a->file.head->revision : "1.1", name});
    vc::markArchiveChanged(*a);
  }
};

const char* kCanonical[] = {"empty.v",  "one.v",          "branches.v", "symbols_wrap.v",
                            "access.v", "ext_binary.v",   "at_signs.v"};

}  // namespace

TEST_F(CommitTest, CanonicalCorpusRoundTripsByteForByte) {
  for (const char* name : kCanonical) {
    const std::string original = readFile(fixtureDir() + "/" + name);
    for (bool readAll : {false, true}) {
      for (int close : {1, 0}) {
        const std::string p = copyFixture(name);
        if (std::string(name) == "access.v") {
          // Writing needs a name on the access list.
          ASSERT_EQ(vcSetSysInfo(99, "Zed"), 0);  // compared without case
        }
        int h = openForWrite(p);
        if (readAll) {
          ASSERT_EQ(vc::readArchiveTexts(inst(), *rec(h), nullptr), 0) << name;
        }
        ASSERT_EQ(vcCommitArchive(h, close), 0) << name;
        EXPECT_EQ(readFile(p), original) << name << " readAll=" << readAll << " close=" << close;
        if (!close) {
          // Still open under the write lock, reading the new file.
          ASSERT_NE(rec(h), nullptr);
          EXPECT_EQ(rec(h)->writeLock, 1);
          ASSERT_EQ(vcCommitArchive(h, 1), 0) << name;
          EXPECT_EQ(readFile(p), original) << name << " second commit";
        }
        EXPECT_TRUE(leftovers().empty()) << name;
      }
    }
  }
}

TEST_F(CommitTest, ChangesSurviveRepeatedCommitsAndTextsStayReadable) {
  const std::string p = copyFixture("branches.v");
  int h = openForWrite(p);
  const std::string texts = dumpTexts(inst(), *rec(h));
  ASSERT_EQ(vc::readArchiveHeader(inst(), *rec(h)), 0);
  // Read only part of the texts: the rest is copied as a block and must
  // still be found in the new file afterwards.
  vc::VcArchive* a = rec(h);
  a->file.reset();
  auto order = vc::archive::textOrder(a->file);
  ASSERT_EQ(vc::readArchiveHeader(inst(), *a), 0);
  order = vc::archive::textOrder(a->file);
  ASSERT_GT(order.size(), 2u);
  ASSERT_EQ(vc::readArchiveTexts(inst(), *a, order[1]), 0);

  addSymbol(h, "first");
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_NE(readFile(p).find("first:"), std::string::npos);
  addSymbol(h, "second");
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_EQ(dumpTexts(inst(), *rec(h)), texts);
  ASSERT_EQ(vcCloseArchive(h), 0);

  // A fresh open sees both changes and the same texts.
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  ASSERT_EQ(vc::readArchiveHeader(inst(), *rec(h)), 0);
  ASSERT_GE(rec(h)->file.symbols.size(), 2u);
  EXPECT_EQ(rec(h)->file.symbols[0].name, "second");
  EXPECT_EQ(rec(h)->file.symbols[1].name, "first");
  EXPECT_EQ(dumpTexts(inst(), *rec(h)), texts);
}

TEST_F(CommitTest, CommitNeedsTheWriteLock) {
  const std::string p = copyFixture("one.v");
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kNotOpenForWrite);
  ASSERT_EQ(vcWriteLock(h), 0);
  EXPECT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_EQ(vcDropWriteLock(h), 0);
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kNotOpenForWrite);
}

TEST_F(CommitTest, PermissionBits) {
  const std::string p = copyFixture("one.v");
  ::chmod(p.c_str(), 0664);
  int h = openForWrite(p);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ::chmod(p.c_str(), 0640);
  ASSERT_EQ(vcSetConfig("Nowriteprotect", nullptr), 0);
  h = openForWrite(p);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ::chmod(p.c_str(), 0644);
  h = openForWrite(p);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(CommitTest, CreatedArchiveIsKeptOnceCommitted) {
  int h = 0;
  const std::string p = path("rcs/new.v");
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 7), 0);
  ASSERT_EQ(vcCommitArchive(h, 0), 0);
  EXPECT_FALSE(rec(h)->file.flags & vc::archive::kFlagCreated);
  ASSERT_EQ(vcCloseArchive(h), 0);
  EXPECT_EQ(readFile(p).substr(0, 6), "head ;");
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(vc::readArchiveTexts(inst(), *rec(h), nullptr), 0);
  EXPECT_EQ(rec(h)->file.head, nullptr);
}

TEST_F(CommitTest, CenturyOnCommit) {
  // With `century`, two-digit years get their century (97 -> 1997) and
  // four-digit years stay; without it, 19xx years lose theirs.
  const std::string p = copyFixture("at_signs.v");
  const std::string original = readFile(p);
  ASSERT_NE(original.find("date 97."), std::string::npos);
  ASSERT_EQ(vcSetConfig("century", nullptr), 0);
  int h = openForWrite(p);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  std::string after = readFile(p);
  EXPECT_EQ(after.find("date 97."), std::string::npos);
  EXPECT_NE(after.find("date 1997."), std::string::npos);
  ASSERT_EQ(vcSetConfig("Nocentury", nullptr), 0);
  h = openForWrite(p);
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_EQ(readFile(p), original);
}

// ---- compressed archives ----

TEST_F(CommitTest, GzipArchiveIsWrittenBackCompressed) {
  for (const char* tool : {"gzip -c -n", "compress -c -b 16"}) {
    const std::string plain = copyFixture("branches.v", "plain.v");
    const std::string p = path("packed.v");
    int rc = std::system((std::string(tool) + " '" + plain + "' > '" + p + "'").c_str());
    ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) <= 2) << tool;
    ASSERT_EQ(vcSetConfig("checkwrite", nullptr), 0);  // the check covers the bytes on disk
    int h = openForWrite(p);
    const std::string texts = dumpTexts(inst(), *rec(h));
    addSymbol(h, "zipped");
    ASSERT_EQ(vcCommitArchive(h, 0), 0) << tool;
    const std::string packed = readFile(p);
    ASSERT_GE(packed.size(), 3u);
    EXPECT_EQ(packed.substr(0, 3), std::string("\x1f\x8b\x08", 3)) << tool;
    EXPECT_EQ(dumpTexts(inst(), *rec(h)), texts) << tool;
    ASSERT_EQ(vcCloseArchive(h), 0);
    // An independent reader agrees.
    ASSERT_EQ(std::system(("gzip -dc < '" + p + "' > '" + path("unpacked.v") + "'").c_str()), 0);
    const std::string unpacked = readFile(path("unpacked.v"));
    EXPECT_NE(unpacked.find("zipped:"), std::string::npos);
    ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
    EXPECT_EQ(dumpTexts(inst(), *rec(h)), texts);
    EXPECT_EQ(vcCloseArchive(h), 0);
    EXPECT_TRUE(leftovers().empty());
  }
}

TEST_F(CommitTest, CorruptCompressedArchiveAnswers22) {
  const std::string plain = copyFixture("branches.v", "plain.v");
  const std::string p = path("packed.v");
  ASSERT_EQ(std::system(("gzip -c -n '" + plain + "' > '" + p + "'").c_str()), 0);
  std::string bytes = readFile(p);
  bytes[bytes.size() - 6] ^= 0x55;  // the CRC-32 of the trailer: seen only at the end
  writeFile(p, bytes);
  int h = 0;
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 1), 0);
  EXPECT_EQ(vc::readArchiveHeader(inst(), *rec(h)), vc::err::kDecompressError);
  char msg[256];
  ASSERT_EQ(vcErrorStr(22, msg, sizeof msg), 0);
}

TEST_F(CommitTest, CompressionBitsOutsideTheWriterRangeAnswer23) {
  ASSERT_EQ(vcSetConfig("compress", "12"), 0);
  int h = 0;
  const std::string p = path("new.v");
  ASSERT_EQ(vcOpenArchive(p.c_str(), &h, 4), 0);
  ASSERT_EQ(rec(h)->file.compression, 12);
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kCompressError);
  char msg[256];
  ASSERT_EQ(vcErrorStr(23, msg, sizeof msg), 0);
  EXPECT_NE(std::string(msg).find("13-15"), std::string::npos) << msg;
  EXPECT_TRUE(leftovers().empty());
}

// ---- failures through the system-call table ----

namespace {

int g_count = 0;

// Writes with one byte changed: the commit file no longer matches what the
// writer counted.
ssize_t corruptingWrite(int fd, const void* data, size_t len) {
  std::string copy(static_cast<const char*>(data), len);
  if (!copy.empty()) copy[0] ^= 0x20;
  return ::write(fd, copy.data(), copy.size());
}

int countingFsync(int fd) {
  ++g_count;
  return ::fsync(fd);
}

}  // namespace

TEST_F(CommitTest, ReadBackMismatchGivesUpAfterFiveAttempts) {
  const std::string p = copyFixture("branches.v");
  const std::string before = readFile(p);
  ASSERT_EQ(vcSetConfig("checkwrite", nullptr), 0);
  int h = openForWrite(p);
  addSymbol(h, "lost");
  g_count = 0;
  orv::sys::calls().write = corruptingWrite;
  orv::sys::calls().fsync = countingFsync;
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kCommitFailed);
  EXPECT_EQ(g_count, 5);
  orv::sys::resetCalls();
  EXPECT_EQ(readFile(p), before);
  EXPECT_TRUE(leftovers().empty());
  // The change is still in memory: a later commit writes it.
  ASSERT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_NE(readFile(p).find("lost:"), std::string::npos);
}

TEST_F(CommitTest, FullDiskLeavesTheArchive) {
  const std::string p = copyFixture("branches.v");
  const std::string before = readFile(p);
  int h = openForWrite(p);
  orv::sys::calls().write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kTempWrite);
  orv::sys::resetCalls();
  EXPECT_EQ(readFile(p), before);
  EXPECT_TRUE(leftovers().empty());
  EXPECT_EQ(vcCommitArchive(h, 0), 0);
}

TEST_F(CommitTest, RefusedRenameLeavesTheOldArchive) {
  const std::string p = copyFixture("branches.v");
  const std::string before = readFile(p);
  int h = openForWrite(p);
  addSymbol(h, "x");
  orv::sys::calls().rename = [](const char*, const char*) {
    errno = EACCES;
    return -1;
  };
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kRenameFailed);
  EXPECT_EQ(vcExtraError(), EACCES);
  orv::sys::resetCalls();
  EXPECT_EQ(readFile(p), before);
  EXPECT_TRUE(leftovers().empty());
  EXPECT_EQ(rec(h)->writeLock, 1);
  EXPECT_EQ(vcCommitArchive(h, 1), 0);
  EXPECT_NE(readFile(p).find("x:"), std::string::npos);
}

TEST_F(CommitTest, FailedSecondRenameRestoresTheArchive) {
  // Without hard links the old archive is moved to the backup name first;
  // when the new file cannot take its place, the backup goes back.
  const std::string p = copyFixture("branches.v");
  const std::string before = readFile(p);
  int h = openForWrite(p);
  addSymbol(h, "x");
  g_count = 0;
  orv::sys::calls().link = [](const char*, const char*) {
    errno = EPERM;
    return -1;
  };
  orv::sys::calls().rename = [](const char* from, const char* to) {
    if (++g_count == 2) {
      errno = EIO;
      return -1;
    }
    return ::rename(from, to);
  };
  EXPECT_EQ(vcCommitArchive(h, 0), vc::err::kRenameFailed);
  EXPECT_EQ(g_count, 3);  // away, refused, back
  orv::sys::resetCalls();
  EXPECT_EQ(readFile(p), before);
  EXPECT_TRUE(leftovers().empty());

  // Without hard links a commit still goes through.
  orv::sys::calls().link = [](const char*, const char*) {
    errno = EPERM;
    return -1;
  };
  EXPECT_EQ(vcCommitArchive(h, 0), 0);
  orv::sys::resetCalls();
  EXPECT_NE(readFile(p).find("x:"), std::string::npos);
  EXPECT_TRUE(leftovers().empty());
}
