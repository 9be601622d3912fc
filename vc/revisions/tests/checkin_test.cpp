// Check-in, check-out and revision deletion through the vc* calls: numbering
// through the API, line ends, binary archives, keywords, codes, deletion.
#include "vc/error_codes.h"
#include "vc/tests/checkin_support.h"
#include "vc/config/user_name.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <system_error>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

namespace checkin_test {
namespace {

using archive_test::readFile;
using archive_test::writeFile;

TEST_F(CheckinTest, FirstCheckInAndCommitReadBack) {
  ASSERT_EQ(0, open());
  std::string n;
  ASSERT_EQ(0, ci("one @ two\n", nullptr, 0, &n));
  EXPECT_EQ("1.1", n);
  EXPECT_EQ("one @@ two\n", stored("1.1"));
  ASSERT_EQ(0, ci("one @ two\nthree\n", nullptr, 0, &n));
  EXPECT_EQ("1.2", n);
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ("one @ two\n", co("1.1"));
  EXPECT_EQ("one @ two\nthree\n", co("1.2"));
  EXPECT_TRUE(leftovers().empty());
  const std::string file = readFile(archive);
  EXPECT_NE(std::string::npos, file.find("head 1.2;"));
  EXPECT_NE(std::string::npos, file.find("author "));
}

TEST_F(CheckinTest, ComputeOnlyAndBufferTooSmall) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("a\n"));
  char buf[3] = {};
  EXPECT_EQ(vc::err::kBufferTooSmall, vcCiRevision(h, "1.1.1", nullptr, 0, buf, sizeof buf));
  EXPECT_EQ(8, vcBufferLenQ());  // "1.1.1.1" and its terminator
  char big[64] = {};
  EXPECT_EQ(0, vcCiRevision(h, "2", nullptr, 0, big, sizeof big));
  EXPECT_EQ(std::string("2.1"), big);
  EXPECT_EQ("1.1", rec(h)->file.head->revision);  // nothing was added
  EXPECT_EQ(vc::err::kBadArgument, vcCiRevision(h, nullptr, nullptr, 0, nullptr, 10));
  EXPECT_EQ(vc::err::kBadArchiveHandle, vcCiRevision(99, nullptr, nullptr, 0, big, sizeof big));
}

TEST_F(CheckinTest, DuplicateRevisionFromEmptyName) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("base\n"));
  char buf[32] = {};
  ASSERT_EQ(0, vcCiRevision(h, "1.1", "", 0, buf, sizeof buf));
  EXPECT_EQ(std::string("1.1.1.1"), buf);
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ("base\n", co("1.1.1.1"));
  std::string log;
  vc::VcArchive* a = rec(h);
  ASSERT_EQ(0, vc::readArchiveTexts(inst(), *a, nullptr));
  ASSERT_EQ(0, vc::archive::loadText(a->file, a->file.lookup("1.1.1.1")->log, log));
  EXPECT_EQ("Duplicate revision\n", log);
}

TEST_F(CheckinTest, Codes) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("same\n"));
  EXPECT_EQ(vc::err::kNoDifferences, ci("same\n", nullptr, 1));           // unchanged, refused
  EXPECT_EQ(0, ci("same\n", nullptr, 0));                                 // unchanged, accepted
  EXPECT_EQ(vc::err::kRevisionOutOfRange, ci("x\n", "1.9.3.4.5.6.7"));    // too far past a revision
  EXPECT_EQ(vc::err::kSymbolMissing, ci("x\n", "nolabel"));
  EXPECT_EQ(vc::err::kCannotOpenWorkFile,
            vcCiRevision(h, nullptr, path("missing.c").c_str(), 0, std::string(32, ' ').data(), 32));
  EXPECT_EQ(vc::err::kWrongFormat, ci(std::string("bin\0ary\n", 8)));     // text archive with revisions
  EXPECT_EQ(vc::err::kWrongFormat, ci(std::string(1023, 'x') + "\n"));    // a line of 1,024 bytes
  EXPECT_EQ(0, ci(std::string(1022, 'x') + "\n"));                        // 1,023 bytes fit
  // Locks: someone else's lock (44), strict locking without a lock (42).
  vc::VcArchive* a = rec(h);
  const std::string head = a->file.head->revision;
  a->file.locks.push_back({head, "somebody"});
  EXPECT_EQ(vc::err::kLockedByOther, ci("y\n"));
  a->file.locks.clear();
  a->file.flags |= vc::archive::kFlagStrict;
  EXPECT_EQ(vc::err::kRevisionNotLocked, ci("y\n"));
  // The user's own lock is taken by the check-in.
  a->file.locks.push_back({head, vc::currentUserName(inst())});
  ASSERT_EQ(0, ci("y\n"));
  EXPECT_TRUE(a->file.locks.empty());
  // Without the write lock.
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, vcDropWriteLock(h));
  EXPECT_EQ(vc::err::kNotOpenForWrite, ci("z\n"));
}

TEST_F(CheckinTest, LineEnds) {
  ASSERT_EQ(0, open());
  // Uniform CR LF is stored with line feeds; check-out writes LF unless addcr.
  ASSERT_EQ(0, ci("a\r\nb\r\n"));
  EXPECT_EQ("a\nb\n", stored("1.1"));
  EXPECT_EQ("a\nb\n", co("1.1"));
  ASSERT_EQ(0, vcSetConfig("addcr", nullptr));
  EXPECT_EQ("a\r\nb\r\n", co("1.1"));
  ASSERT_EQ(0, vcSetConfig("noaddcr", nullptr));
  // Carriage returns alone: stored as lines, and the history stays right
  // (the differencer sees the stored lines, not one long line).
  ASSERT_EQ(0, ci("a\rb\rc\r"));
  ASSERT_EQ(0, ci("a\rB\rc\rd\r"));
  EXPECT_EQ("a\nB\nc\nd\n", stored("1.3"));
  EXPECT_EQ("a\nb\nc\n", co("1.2"));
  EXPECT_EQ("a\nb\n", co("1.1"));
  // Mixed line ends are stored exactly.
  const std::string mixed = "x\r\ny\nz\r\n";
  ASSERT_EQ(0, ci(mixed));
  EXPECT_EQ(mixed, co("1.4"));
  EXPECT_EQ("a\nB\nc\nd\n", co("1.3"));
}

TEST_F(CheckinTest, BinaryArchive) {
  ASSERT_EQ(0, open("blob,v"));
  const std::string v1("\0\x01@@\r\n\xff", 8);
  const std::string v2("\0\x01@X@\r\n\xff\r\n", 10);
  ASSERT_EQ(0, ci(v1));
  EXPECT_TRUE(rec(h)->file.flags & vc::archive::kFlagBinary);
  ASSERT_EQ(0, ci(v2, nullptr, 8));
  ASSERT_EQ(0, ci(v1 + v1, nullptr, 16));
  ASSERT_EQ(0, vcSetConfig("addcr", nullptr));  // never applies to binary archives
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_NE(std::string::npos, readFile(archive).find("format binary;"));
  EXPECT_EQ(v1, co("1.1"));
  EXPECT_EQ(v2, co("1.2"));
  EXPECT_EQ(v1 + v1, co("1.3"));
}

TEST_F(CheckinTest, WholeTextReplacement) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci(""));
  ASSERT_EQ(0, ci("one\ntwo\n", nullptr, 16));
  EXPECT_EQ("d1 2\n", stored("1.1"));  // an empty old text: no zero-count command
  ASSERT_EQ(0, vcSetConfig("notextdiff", nullptr));
  ASSERT_EQ(0, ci("three\n"));
  EXPECT_EQ(0u, stored("1.2").rfind("d1 1\na1 2\n", 0));
  ASSERT_EQ(0, ci("branch\n", "1.1", 0));  // forward whole text from the empty 1.1
  EXPECT_EQ("a0 1\nbranch\n", stored("1.1.1.1"));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  EXPECT_EQ("", co("1.1"));
  EXPECT_EQ("one\ntwo\n", co("1.2"));
  EXPECT_EQ("three\n", co("1.3"));
  EXPECT_EQ("branch\n", co("1.1.1.1"));
}

TEST_F(CheckinTest, KeywordsThroughCheckOut) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("// $Revision$ $Author$\n// $Log$\nbody @ $Locker$\n"));
  ASSERT_EQ(0, ci("// $Revision: 1.1 $ $Author$\n// $Log$\nbody @ $Locker$\nmore\n"));
  vc::VcArchive* a = rec(h);
  a->file.lookup("1.2")->author = "ann";
  a->file.lookup("1.2")->date = "2024.03.04.05.06.07";
  a->file.lookup("1.2")->log.setPlain("first line\nsecond\n");
  EXPECT_EQ(
      "// $Revision: 1.2 $ $Author: ann $\n// $Log: work.c,v $\n"
      "// Revision 1.2  2024/03/04 05:06:07  ann\n// first line\n// second\n"
      "body @ $Locker: $\nmore\n",
      co("1.2"));
  EXPECT_EQ("// $Revision$ $Author$\n// $Log$\nbody @ $Locker$\nmore\n", co("1.2", 2));
  EXPECT_EQ("// $Revision: 1.1 $ $Author$\n// $Log$\nbody @ $Locker$\nmore\n", co("1.2", 6));
  ASSERT_EQ(0, vcSetConfig("nokeywordexpand", nullptr));
  EXPECT_EQ("// $Revision: 1.1 $ $Author$\n// $Log$\nbody @ $Locker$\nmore\n", co("1.2"));
  EXPECT_NE(std::string::npos, co("1.2", 4).find("$Revision: 1.2 $"));
}

TEST_F(CheckinTest, CollapseAndHarvestAtCheckIn) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("$Id: x,v 1.9 2020/01/01 00:00:00 bob Rel $\n$Revision: 7.7 $\n", nullptr, 2));
  EXPECT_EQ("$Id$\n$Revision$\n", stored("1.1"));
  ASSERT_EQ(0, ci("$Author: carol $ $State: Beta $\n$Date: 2021/02/03 04:05:06 $\nx\n", nullptr, 4));
  const vc::archive::DeltaRecord* d = rec(h)->file.lookup("1.2");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ("carol", d->author);
  EXPECT_EQ("Beta", d->state);
  EXPECT_EQ("2021.02.03.04.05.06", d->date);
  // A harvested revision number that lands at the new revision's place.
  std::string n;
  ASSERT_EQ(0, ci("$Revision: 1.5 $\n", nullptr, 4, &n));
  EXPECT_EQ("1.5", n);
  // Another place in the tree; a value not between single blanks.
  EXPECT_EQ(vc::err::kRevisionOutOfRange, ci("$Revision: 1.2.1.1 $\n", nullptr, 4));
  EXPECT_EQ(vc::err::kBadKeywordExpansion, ci("$Author:  two blanks $\n", nullptr, 4));
}

TEST_F(CheckinTest, UnlockEventCanHalt) {
  FILE* cfg = std::fopen(path("events.cfg").c_str(), "w");
  std::fputs("autoaction preunlock=stop\nblock stop\nreturn 0\nend\n", cfg);
  std::fclose(cfg);
  ASSERT_EQ(0, vcReadConfig(path("events.cfg").c_str()));
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("a\n"));
  rec(h)->file.locks.push_back({"1.1", vc::currentUserName(inst())});
  EXPECT_EQ(vc::err::kEventHalted, ci("b\n"));
  EXPECT_EQ("1.1", rec(h)->file.head->revision);
  EXPECT_EQ(1u, rec(h)->file.locks.size());
}

TEST_F(CheckinTest, CheckOutCodesAndStandardOutput) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("to stdout\n"));
  int rc = 0;
  co("1.4", 0, rc);
  EXPECT_EQ(vc::err::kRevisionMissing, rc);
  EXPECT_EQ(vc::err::kBadArgument, vcCheckOutRevision(h, nullptr, nullptr, 0));
  EXPECT_EQ(vc::err::kBadArchiveHandle, vcCoRevision(55, "1.1", nullptr));
  EXPECT_EQ(vc::err::kCannotOpenWorkFile, vcCoRevision(h, "1.1", path("no/such/dir/f").c_str()));
  // "-" writes to standard output.
  const std::string captured = path("stdout.txt");
  fflush(stdout);
  const int saved = dup(1);
  const int fd = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  dup2(fd, 1);
  ::close(fd);
  const int outRc = vcCoRevision(h, "1.1", "-");
  dup2(saved, 1);
  ::close(saved);
  EXPECT_EQ(0, outRc);
  EXPECT_EQ("to stdout\n", readFile(captured));
}

TEST_F(CheckinTest, FailedCheckOutKeepsTheOldFile) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("new contents\n"));
  const std::string out = path("kept.c");
  writeFile(out, "old contents\n");
  orv::sys::calls().write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  EXPECT_EQ(vc::err::kWorkWrite, vcCoRevision(h, "1.1", out.c_str()));
  orv::sys::resetCalls();
  EXPECT_EQ("old contents\n", readFile(out));
  EXPECT_TRUE(leftovers().empty());
}

// What each fsync call synced: the path its descriptor names.
std::vector<std::string> g_synced;
int recordingFsync(int fd) {
  std::error_code ec;
  const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
  g_synced.push_back(ec ? "?" : target.string());
  return ::fsync(fd);
}

// Working files are replaced whole but not forced to disk, neither the file
// nor its directory; a commit still syncs the archive and its directory.
TEST_F(CheckinTest, CheckOutDoesNotSyncTheWorkingFile) {
  ASSERT_EQ(0, open());
  ASSERT_EQ(0, ci("first\n"));
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  const std::string real = std::filesystem::canonical(dir).string();
  const std::string out = path("out.c");
  orv::sys::calls().fsync = recordingFsync;
  for (const char* what : {"new file", "existing file"}) {
    g_synced.clear();
    EXPECT_EQ(0, vcCoRevision(h, "1.1", out.c_str())) << what;
    EXPECT_EQ("first\n", readFile(out)) << what;
    EXPECT_TRUE(g_synced.empty()) << what << ": " << (g_synced.empty() ? "" : g_synced.front());
  }
  EXPECT_TRUE(leftovers().empty());
  // Standard output neither.
  g_synced.clear();
  const int saved = ::dup(1);
  const int sink = ::open("/dev/null", O_WRONLY);
  ::dup2(sink, 1);
  const int outRc = vcCoRevision(h, "1.1", "-");
  ::dup2(saved, 1);
  ::close(sink);
  ::close(saved);
  EXPECT_EQ(0, outRc);
  EXPECT_TRUE(g_synced.empty());

  // A check-in with commit syncs the new archive file and the directory.
  g_synced.clear();
  ASSERT_EQ(0, ci("second\n"));
  EXPECT_TRUE(g_synced.empty()) << "the check-in itself writes nothing";
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  EXPECT_GE(g_synced.size(), 2u);
  EXPECT_NE(std::find(g_synced.begin(), g_synced.end(), real), g_synced.end()) << "the directory";
  bool archiveFile = false;
  for (const std::string& p : g_synced) archiveFile |= p.rfind(real + "/", 0) == 0;
  EXPECT_TRUE(archiveFile) << "a file of the archive's directory";

  // Still whole: a failed rename keeps the old working file and no temporary
  // (an existing working file is replaced by swapping the names where the
  // system can, by a rename otherwise: both fail here).
  writeFile(out, "old contents\n");
  orv::sys::calls().rename = [](const char*, const char*) {
    errno = EXDEV;
    return -1;
  };
  orv::sys::calls().renameExchange = [](const char*, const char*) {
    errno = EXDEV;
    return -1;
  };
  EXPECT_EQ(217, vcCoRevision(h, "1.2", out.c_str()));
  orv::sys::resetCalls();
  EXPECT_EQ("old contents\n", readFile(out));
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find('~'), std::string::npos) << e.path();
}

TEST_F(CheckinTest, DeletionCases) {
  ASSERT_EQ(0, open());
  // Trunk 1.1-1.5; branch 1.2.1.1-1.2.1.3 off 1.2; branch 1.3.1.1 off 1.3.
  std::map<std::string, std::string> texts;
  std::string n;
  for (int i = 1; i <= 5; ++i) {
    std::string t;
    for (int k = 0; k < 6 + i; ++k) t += "line " + std::to_string(k * i) + "\n";
    ASSERT_EQ(0, ci(t, nullptr, 0, &n));
    texts[n] = t;
  }
  for (int i = 1; i <= 3; ++i) {
    std::string t = texts["1.2"] + "branch " + std::to_string(i) + "\n";
    ASSERT_EQ(0, ci(t, i == 1 ? "1.2" : ("1.2.1." + std::to_string(i - 1)).c_str(), 0, &n));
    texts[n] = t;
  }
  ASSERT_EQ(0, ci("side\n", "1.3", 0, &n));
  texts[n] = "side\n";
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());

  EXPECT_EQ(vc::err::kRevisionHasBranches, vcDeleteRevision(h, "1.2"));  // has branches
  rec(h)->file.locks.push_back({"1.4", "x"});
  EXPECT_EQ(vc::err::kRevisionAlreadyLocked, vcDeleteRevision(h, "1.4"));  // locked
  rec(h)->file.locks.clear();
  EXPECT_EQ(vc::err::kRevisionMissing, vcDeleteRevision(h, "1.9"));
  vc::archiveHooks().holdsPermission = [](vc::VcInstance&, const char* p, vc::VcArchive*) {
    return std::string(p) != "deleterevision";
  };
  EXPECT_EQ(vc::err::kDenyDeleteRevision, vcDeleteRevision(h, "1.4"));
  vc::resetArchiveHooks();

  for (const char* gone : {"1.5", "1.4", "1.2.1.2", "1.2.1.3", "1.1"}) {
    ASSERT_EQ(0, vcDeleteRevision(h, gone)) << gone;
    texts.erase(gone);
    for (const auto& [rev, text] : texts) EXPECT_EQ(text, co(rev)) << rev << " after deleting " << gone;
  }
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  ASSERT_EQ(0, vc::readArchiveHeader(inst(), *rec(h)));
  ASSERT_NE(nullptr, rec(h)->file.head);
  EXPECT_EQ("1.3", rec(h)->file.head->revision);
  for (const auto& [rev, text] : texts) EXPECT_EQ(text, co(rev)) << rev;
  int rc = 0;
  co("1.5", 0, rc);
  EXPECT_EQ(vc::err::kRevisionMissing, rc);
}

TEST_F(CheckinTest, DifferencerCalls) {
  const std::string a = path("a.txt"), b = path("b.txt"), out = path("d.out");
  writeFile(a, "one\ntwo\nthree\n");
  writeFile(b, "one\r\nTWO\r\nthree\r\n");
  EXPECT_EQ(vc::err::kFilesDiffer, vcFindFileDiff(0, nullptr, a.c_str(), b.c_str(), out.c_str(), nullptr, 0));
  EXPECT_EQ("d2 1\na2 1\nTWO\n", readFile(out));
  EXPECT_EQ(0, vcFindFileDiff(0, "-n -i", a.c_str(), b.c_str(), out.c_str(), nullptr, 0));
  char msg[256] = {};
  EXPECT_EQ(vc::err::kDiffFailed,
            vcFindFileDiff(0, nullptr, a.c_str(), path("none").c_str(), out.c_str(), msg, sizeof msg));
  EXPECT_NE(std::string::npos, std::string(msg).find("none"));
  EXPECT_EQ(vc::err::kFilesDiffer, vcFindFileDiff(1, nullptr, a.c_str(), b.c_str(), out.c_str(), nullptr, 0));
  // Comparison: text mode reads CR LF as LF; binary mode does not.
  writeFile(b, "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(0, vcCmpFiles(0, a.c_str(), b.c_str(), nullptr, 0));
  EXPECT_EQ(vc::err::kFilesDiffer, vcCmpFiles(1, a.c_str(), b.c_str(), nullptr, 0));
  EXPECT_EQ(vc::err::kCannotOpenWorkFile, vcCmpFiles(0, a.c_str(), path("none").c_str(), msg, sizeof msg));
  EXPECT_EQ(path("none"), std::string(msg));
  ASSERT_EQ(0, open());
  EXPECT_EQ(0, vcFindDiff(h, nullptr, a.c_str(), b.c_str(), out.c_str(), nullptr, 0));  // a text archive
}

}  // namespace
}  // namespace checkin_test
