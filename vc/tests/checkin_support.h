// Shared set-up of the check-in and check-out tests: an archive opened for
// writing in a scratch directory, and check-ins and check-outs of strings.
#pragma once

#include "vc/tests/archive_test_support.h"

#include <string>

namespace checkin_test {

struct CheckinTest : archive_test::ArchiveTest {
  std::string archive;
  int h = 0;

  // Opens (creating) archive name for writing.
  int open(const std::string& name = "work.c,v", int mode = 4) {
    archive = path(name);
    return vcOpenArchive(archive.c_str(), &h, mode);
  }
  int reopen() {
    if (int rc = vcCloseArchive(h)) return rc;
    return vcOpenArchive(archive.c_str(), &h, 2);
  }
  // Checks content in; the new number goes to *number.
  int ci(const std::string& content, const char* base = nullptr, int flags = 0, std::string* number = nullptr) {
    const std::string work = path("work.c");
    archive_test::writeFile(work, content);
    char buf[256] = {};
    const int rc = vcCiRevision(h, base, work.c_str(), flags, buf, sizeof buf);
    if (number) *number = buf;
    return rc;
  }
  // Checks a revision out into a string; rc receives the call's answer.
  std::string co(const std::string& revision, int flags, int& rc) {
    const std::string out = path("out.c");
    std::filesystem::remove(out);
    rc = vcCheckOutRevision(h, revision.c_str(), out.c_str(), flags);
    return archive_test::readFile(out);
  }
  std::string co(const std::string& revision, int flags = 0) {
    int rc = 0;
    std::string text = co(revision, flags, rc);
    EXPECT_EQ(0, rc) << "check-out of " << revision;
    return text;
  }
  // The stored text of a revision, '@' doubled.
  std::string stored(const std::string& revision) {
    vc::VcArchive* a = rec(h);
    vc::archive::DeltaRecord* d = a->file.lookup(revision);
    if (!d || vc::readArchiveTexts(inst(), *a, d) != 0) return "<missing>";
    std::string s;
    if (vc::archive::loadText(a->file, d->text, s) != 0) return "<unreadable>";
    return s;
  }
};

}  // namespace checkin_test
