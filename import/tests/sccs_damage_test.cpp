// Damaged SCCS files: the fixture s.branch.c (branches, a branch off a branch
// delta, a removed delta, blocks that end across each other) cut after every
// line and inside every line, and single damaged lines. Each cut either
// imports, and then every revision checks out through the revision library
// as "get -k -p" gives it from the same cut file, or is refused and leaves
// nothing in the archive directory. Names with bytes of 0x80 and above are
// made safe and named in the description.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

#include "import/include/orv/sccsty32.h"
#include "import/tests/import_test_util.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t nl = text.find('\n', at);
    nl = nl == std::string::npos ? text.size() : nl + 1;
    out.push_back(text.substr(at, nl - at));
    at = nl;
  }
  return out;
}

// SID and comment of every delta of a fixture (its .sids file).
std::vector<std::pair<std::string, std::string>> sidsOf(const std::string& file) {
  std::vector<std::pair<std::string, std::string>> out;
  std::istringstream in(readFile(std::string(IMPORT_FIXTURES) + "/" + file + ".sids"));
  for (std::string line; std::getline(in, line);) out.emplace_back(line.substr(0, line.find(' ')), line.substr(line.find(' ') + 1));
  return out;
}

struct SccsDamageTest : ::testing::Test {
  orv::test::TempDir d{"orv-sccsdmg"};
  std::string input() { return d.path() + "/s.branch.c"; }
  std::string outDir() { return d.path() + "/archives"; }
  void SetUp() override { ASSERT_EQ(::mkdir(outDir().c_str(), 0777), 0); }
  int convert(const std::string& text) {
    writeFile(input(), text);
    return sccs2rcsFile(0, 0, 0, input().c_str(), outDir().c_str());
  }
  std::string message() {
    char buf[1024];
    sccs2rcsError(buf, sizeof buf);
    return buf;
  }
  // After a refusal: nothing in the archive directory, no temporary file.
  void expectNothingLeft(const std::string& what) { EXPECT_EQ(entries(outDir()), std::vector<std::string>{}) << what; }
  void removeArchive() {
    ::chmod((outDir() + "/branch.c").c_str(), 0644);
    ::unlink((outDir() + "/branch.c").c_str());
  }
};

TEST_F(SccsDamageTest, EveryCutImportsAsGetReadsItOrIsRefused) {
  const std::string whole = readFile(std::string(IMPORT_FIXTURES) + "/s.branch.c");
  const std::vector<std::string> lines = splitLines(whole);
  const bool tools = haveSccsTools();
  const auto sids = sidsOf("branch.c");
  Library lib(d.path());
  ASSERT_TRUE(lib.ok);
  int accepted = 0, refused = 0;
  // Cuts after k whole lines, and inside line k (its first half).
  for (std::size_t k = 0; k <= lines.size(); ++k) {
    std::string prefix;
    for (std::size_t i = 0; i < k; ++i) prefix += lines[i];
    std::vector<std::string> cuts{prefix};
    if (k < lines.size()) cuts.push_back(prefix + lines[k].substr(0, lines[k].size() / 2));
    for (const std::string& cut : cuts) {
      const std::string what = "cut at byte " + std::to_string(cut.size()) + " of " + std::to_string(whole.size());
      const int rc = convert(cut);
      ASSERT_NE(rc, 2) << what;
      if (rc != 0) {
        ++refused;
        expectNothingLeft(what + ": " + message());
        continue;
      }
      ++accepted;
      const auto numbers = numbersByLog(outDir() + "/branch.c");
      for (const auto& [sid, comment] : sids) {
        ASSERT_TRUE(numbers.count(comment + "\n")) << what << ": " << comment;
        const std::string expected = tools ? run(d.path(), "sccs get -s -k -p -r" + sid + " s.branch.c")
                                           : readFile(std::string(IMPORT_FIXTURES) + "/branch.c." + sid);
        EXPECT_EQ(lib.checkOut(outDir() + "/branch.c", numbers.at(comment + "\n"), d.path() + "/out"), expected)
            << what << ", SID " << sid;
      }
      removeArchive();
    }
  }
  // The whole file imports; a file cut anywhere inside is refused.
  EXPECT_GE(accepted, 1);
  EXPECT_GT(refused, 100);
  ASSERT_EQ(convert(whole), 0) << message();
}

TEST_F(SccsDamageTest, DamagedLinesAreRefusedWithTheirMessage) {
  const std::string whole = readFile(std::string(IMPORT_FIXTURES) + "/s.branch.c");
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = whole;
    const std::size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  const std::string cutAfterT = whole.substr(0, whole.find("\x01T\n") + 3);
  struct Case {
    const char* what;
    std::string text;
    std::string message;  // %s: the input
  } cases[] = {
      {"cut right after the description", cutAfterT,
       "SCCS file %s is cut or damaged: its checksum does not match, and the body holds 0 lines inserted and 0 "
       "deleted by delta 1.2.3.1, not the 1 and 0 its entry counts"},
      {"an insert line doubled", replaced("\x01I 2\n", "\x01I 2\n\x01I 2\n"),
       "block of delta 2 opened twice in SCCS file %s"},
      {"an end line dropped", replaced("\x01""E 8\n", ""), "block of delta 8 not ended in SCCS file %s"},
      {"an end line doubled", replaced("\x01""E 8\n", "\x01""E 8\n\x01""E 8\n"),
       "end of a block that is not open in SCCS file %s"},
      {"a text line dropped", replaced("\x01I 6\ny\n", "\x01I 6\n"),
       "SCCS file %s is cut or damaged: its checksum does not match, and the body holds 0 lines inserted and 1 "
       "deleted by delta 1.2.1.2, not the 1 and 1 its entry counts"},
      {"a line moved out of its insert block", replaced("e\n\x01""E 1\n", "\x01""E 1\ne\n"),
       "text outside every insert block in SCCS file %s"},
      {"a control line without the blank after its key", replaced("\x01I 2\n", "\x01I2\n"),
       "bad control line in the body of SCCS file %s"},
      {"a block of a delta the table does not have", replaced("\x01I 7\n", "\x01I 9\n"),
       "weave block of unknown delta 9 in SCCS file %s"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convert(c.text), 1) << c.what;
    char expected[1024];
    std::snprintf(expected, sizeof expected, c.message.c_str(), input().c_str());
    EXPECT_EQ(message(), expected) << c.what;
    expectNothingLeft(c.what);
  }
}

TEST_F(SccsDamageTest, AChangedFileWhoseBodyHoldsWhatItsEntriesCountStillImports) {
  // A comment edited by hand without a new checksum, and each fixture under
  // a checksum of 0: the body still holds every delta's lines, so the file
  // imports as it did.
  std::string edited = readFile(std::string(IMPORT_FIXTURES) + "/s.branch.c");
  edited.replace(edited.find("\x01""c b 1.2\n"), 8, "\x01""c b 1.2 (edited)");
  ASSERT_EQ(convert(edited), 0) << message();
  Library lib(d.path());
  std::vector<Library::Read> revisions;
  std::string failure;
  ASSERT_TRUE(lib.readAll(outDir() + "/branch.c", d.path() + "/out", revisions, &failure)) << failure;
  EXPECT_EQ(revisions.size(), 7u);
  for (const auto& r : revisions) {
    if (r.number == "1.2") {
      EXPECT_EQ(r.log, "b 1.2 (edited)\n");
    }
  }
  removeArchive();
  for (const std::string file : {"branch.c", "trunk.c"}) {
    std::string text = readFile(std::string(IMPORT_FIXTURES) + "/s." + file);
    text.replace(0, text.find('\n'), "\x01h00000");
    writeFile(d.path() + "/s." + file, text);
    ASSERT_EQ(sccs2rcsFile(0, 0, 0, (d.path() + "/s." + file).c_str(), outDir().c_str()), 0) << message();
    const auto numbers = numbersByLog(outDir() + "/" + file);
    for (const auto& [sid, comment] : sidsOf(file)) {
      std::string number;
      for (const auto& [stored, n] : numbers) {
        std::string log = stored;
        for (std::size_t at = 0; (at = log.find("@@", at)) != std::string::npos; ++at) log.erase(at, 1);
        if (log.size() > comment.size() && log.compare(log.size() - comment.size() - 1, std::string::npos, comment + "\n") == 0)
          number = n;
      }
      ASSERT_FALSE(number.empty()) << file << " " << sid;
      EXPECT_EQ(lib.checkOut(outDir() + "/" + file, number, d.path() + "/out"),
                readFile(std::string(IMPORT_FIXTURES) + "/" + file + "." + sid))
          << file << " " << sid;
    }
  }
}

TEST_F(SccsDamageTest, NamesWithHighBytesAreMadeSafeAndNamed) {
  // The fixture's user "root" as Latin-1 and as UTF-8 bytes, in every delta
  // and the access list; a comment and a text line with such bytes too.
  // (An access-list line that does not start with a letter or digit is
  // skipped.)
  struct Case {
    std::string user, safe, access;
  } cases[] = {{"r\xf6ot", "r_ot", "bob r_ot ann"}, {"r\xc3\xb6ot", "r_ot", "bob r_ot ann"}, {"\xe9t\xe9", "_t_", "bob ann"}};
  for (const Case& c : cases) {
    std::string text = readFile(std::string(IMPORT_FIXTURES) + "/s.trunk.c");
    for (std::size_t at; (at = text.find("root")) != std::string::npos;) text.replace(at, 4, c.user);
    text.replace(text.find("\x01""c second\n"), 10, "\x01""c second caf\xe9\n");
    writeFile(d.path() + "/s.trunk.c", text);
    ASSERT_EQ(sccs2rcsFile(0, 0, 0, (d.path() + "/s.trunk.c").c_str(), outDir().c_str()), 0) << message();
    Library lib(d.path());
    std::vector<Library::Read> revisions;
    std::string failure;
    ASSERT_TRUE(lib.readAll(outDir() + "/trunk.c", d.path() + "/out", revisions, &failure)) << failure;
    ASSERT_EQ(revisions.size(), 3u);
    for (const auto& r : revisions) {
      EXPECT_EQ(r.author, c.safe);
      EXPECT_EQ(r.text, readFile(std::string(IMPORT_FIXTURES) + "/trunk.c." + r.number)) << r.number;
    }
    EXPECT_EQ(revisions[1].log, "MR numbers:\nMR2\nMR3\n\nsecond caf\xe9\n");
    EXPECT_EQ(lib.description(outDir() + "/trunk.c"),
              "Names changed on import to suit the archive: \"" + c.user + "\" as \"" + c.safe + "\".\n");
    const std::string archive = readFile(outDir() + "/trunk.c");
    EXPECT_NE(archive.find("access   " + c.access + ";"), std::string::npos) << archive.substr(0, 200);
    ::chmod((outDir() + "/trunk.c").c_str(), 0644);
    ::unlink((outDir() + "/trunk.c").c_str());
  }
}

}  // namespace
