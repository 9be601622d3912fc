// Damaged and unusual PVCS archives: every byte of a small archive flipped
// (each flip either imports into an archive whose every revision checks out
// through the revision library, or is refused and leaves nothing), names with
// bytes of 0x80 and above made safe and named in the description, logs and
// descriptions with such bytes, and revisions whose last line has no line end.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "import/include/orv/pvcsty32.h"
#include "import/pvcs/pvcs_model.h"
#include "import/tests/import_test_util.h"
#include "import/tests/pvcs_builder.h"
#include "testing/temp_dir.h"

namespace {

using namespace importtest;
using pvcstest::Builder;
using pvcstest::Revision;

// Head 1.3 whole, 1.2 and 1.1 down the trunk, a branch 1.2.1.1 off 1.2.
std::vector<Revision> history() {
  std::vector<Revision> r(4);
  r[0].number = {1, 3};
  r[0].text = "one\ntwo @ 2\nthree\n";
  r[1].number = {1, 2};
  r[1].text = "one\n2\nthree\n";
  r[1].base = 0;
  r[2].number = {1, 1};
  r[2].text = "zero\none\n";
  r[2].base = 1;
  r[3].number = {1, 2, 1, 1};
  r[3].text = "one\n2\nbranch\nthree\n";
  r[3].base = 1;
  return r;
}

std::string archiveBytes(const std::vector<Revision>& revs, const std::string& access = "ann,bob",
                         const std::string& label = "Rel1", const std::string& locker = "u",
                         const std::string& description = "the description\r\n") {
  Builder b;
  b.record('H', pvcstest::str("work.c"));
  b.record('V', pvcstest::str(access));
  b.record('T', pvcstest::str(" * "));
  b.record('I', description);
  b.record('R', pvcstest::str(label) + pvcstest::version({1, 2}));
  b.record('S', pvcstest::str(locker) + pvcstest::version({1, 3}));
  for (const Revision& r : revs) b.revision(r, revs);
  return b.bytes;
}

struct PvcsDamageTest : ::testing::Test {
  orv::test::TempDir d{"orv-pvcsdmg"};
  std::string input() { return d.path() + "/work.c_v"; }
  std::string outDir() { return d.path() + "/archives"; }
  std::string archive() { return outDir() + "/work.c"; }
  void SetUp() override { ASSERT_EQ(::mkdir(outDir().c_str(), 0777), 0); }
  int convert(const std::string& bytes) {
    writeFile(input(), bytes);
    return pvcs2rcsFile(1, input().c_str(), outDir().c_str());
  }
  std::string message() {
    char buf[1024];
    pvcs2rcsError(buf, sizeof buf);
    return buf;
  }
  void clearOut() {
    for (const std::string& name : entries(outDir())) {
      ::chmod((outDir() + "/" + name).c_str(), 0644);
      ::unlink((outDir() + "/" + name).c_str());
    }
  }
};

TEST_F(PvcsDamageTest, EveryByteFlippedImportsWholeOrIsRefused) {
  const std::string whole = archiveBytes(history());
  Library lib(d.path());
  ASSERT_TRUE(lib.ok);
  int accepted = 0, refused = 0;
  for (std::size_t at = 0; at < whole.size(); ++at) {
    // All bits, the lowest, or the highest, by turns.
    const unsigned char mask = at % 3 == 0 ? 0xFF : at % 3 == 1 ? 0x01 : 0x80;
    {
      std::string bytes = whole;
      bytes[at] = static_cast<char>(bytes[at] ^ mask);
      const std::string what = "byte " + std::to_string(at) + " ^ " + std::to_string(mask);
      const int rc = convert(bytes);
      ASSERT_NE(rc, 2) << what;
      const std::vector<std::string> left = entries(outDir());
      if (rc != 0) {
        ++refused;
        EXPECT_EQ(left, std::vector<std::string>{}) << what << ": " << message();
        continue;
      }
      ++accepted;
      // Whatever the flip made of the archive, it reads whole.
      ASSERT_EQ(left.size(), 1u) << what;
      const std::string path = outDir() + "/" + left[0];
      EXPECT_EQ(message(), path) << what;
      std::vector<Library::Read> revisions;
      std::string failure;
      EXPECT_TRUE(lib.readAll(path, d.path() + "/out", revisions, &failure)) << what << ": " << failure;
      EXPECT_FALSE(revisions.empty()) << what;
      clearOut();
    }
  }
  EXPECT_GT(accepted, 0);
  EXPECT_GT(refused, 0);
}

TEST_F(PvcsDamageTest, NamesWithHighBytesAreMadeSafeAndNamed) {
  struct Case {
    std::string owner, safeOwner;
  } cases[] = {
      {"a\xeen", "a_n"},             // one byte of 0x80 and above
      {"J\xf6rg", "J_rg"},           // Latin-1
      {"J\xc3\xb6rg", "J_rg"},       // UTF-8: one character, one '_'
      {"ann", "ann"},                // unchanged, and no note
  };
  Library lib(d.path());
  ASSERT_TRUE(lib.ok);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.owner);
    auto revs = history();
    revs[1].owner = c.owner;
    revs[3].owner = c.owner;
    ASSERT_EQ(convert(archiveBytes(revs)), 0) << message();
    EXPECT_EQ(message(), archive());
    std::vector<Library::Read> revisions;
    std::string failure;
    ASSERT_TRUE(lib.readAll(archive(), d.path() + "/out", revisions, &failure)) << failure;
    ASSERT_EQ(revisions.size(), 4u);
    for (const auto& r : revisions) EXPECT_EQ(r.author, r.number == "1.2" || r.number == "1.2.1.1" ? c.safeOwner : "ann");
    const std::string note =
        c.owner == c.safeOwner ? "" : "Names changed on import to suit the archive: \"" + c.owner + "\" as \"" + c.safeOwner + "\".";
    EXPECT_EQ(lib.description(archive()), "the description\n" + note + "\n");
    clearOut();
  }
  // The access list, a label and a lock user (a label loses such bytes
  // already by the label rule).
  ASSERT_EQ(convert(archiveBytes(history(), "ann,b\xf6" "b", "Rel\xe9", "u\xfc")), 0) << message();
  const std::string text = readFile(archive());
  EXPECT_EQ(text.substr(0, text.find("\ncomment")),
            "head     1.3;\nbranch   ;\naccess   ann b_b;\nsymbols  Rel_:1.2;\nlocks    u_:1.3;");
  EXPECT_EQ(lib.description(archive()),
            "the description\nNames changed on import to suit the archive: \"b\xf6" "b\" as \"b_b\", \"u\xfc\" as "
            "\"u_\".\n");
  std::vector<Library::Read> revisions;
  std::string failure;
  EXPECT_TRUE(lib.readAll(archive(), d.path() + "/out", revisions, &failure)) << failure;
}

TEST_F(PvcsDamageTest, LogsDescriptionsAndTextsWithHighBytesReadBack) {
  auto revs = history();
  revs[1].log = "caf\xe9 \xc3\xa9t\xc3\xa9\r\nline two \xff";
  revs[0].text = "\xe9t\xe9\none\n";
  revs[1].text = "\xe9t\xe9\n\xc3\xa9\n";
  ASSERT_EQ(convert(archiveBytes(revs, "ann", "Rel1", "u", "d\xe9sc\r\n")), 0) << message();
  Library lib(d.path());
  std::vector<Library::Read> revisions;
  std::string failure;
  ASSERT_TRUE(lib.readAll(archive(), d.path() + "/out", revisions, &failure)) << failure;
  for (const auto& r : revisions) {
    for (const Revision& want : revs)
      if (orv::import::dottedNumber(want.number) == r.number) {
        EXPECT_EQ(r.text, want.text) << r.number;
        EXPECT_EQ(r.log, r.number == "1.2" ? "caf\xe9 \xc3\xa9t\xc3\xa9\nline two \xff" : "log") << r.number;
      }
  }
  EXPECT_EQ(lib.description(archive()), "d\xe9sc\n\n");
}

TEST_F(PvcsDamageTest, LastLinesWithoutALineEndReadBack) {
  // Deltas whose text ends without a line end, on the trunk and a branch,
  // and one that adds a line end the text before it lacked.
  auto revs = history();
  revs[0].text = "one\ntwo\nthree";
  revs[1].text = "one\n2\nthree";
  revs[2].text = "zero\none\nthree\n";
  revs[3].text = "one\n2\nbranch";
  ASSERT_EQ(convert(archiveBytes(revs)), 0) << message();
  Library lib(d.path());
  for (const Revision& r : revs) {
    const std::string n = orv::import::dottedNumber(r.number);
    EXPECT_EQ(lib.checkOut(archive(), n, d.path() + "/out"), r.text) << n;
  }
}

TEST_F(PvcsDamageTest, RevisionsWithoutADateOrNamesWithAZeroByteAreRefused) {
  const auto revs = history();
  Builder noDate;
  noDate.record('H', pvcstest::str("work.c"));
  noDate.record('B', pvcstest::version({1, 1}));
  noDate.record('G', "text\n");
  Builder zeroInName;
  zeroInName.record('H', pvcstest::str(std::string("work\0.c", 7)));
  zeroInName.revision(revs[0], revs);
  struct Case {
    std::string bytes, message;  // %s: the input
  } cases[] = {
      {noDate.bytes, "%s: no check-in date for rev 1.1"},
      {zeroInName.bytes, "%s: unusable working file name \"work\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convert(c.bytes), 1) << c.message;
    char expected[1024];
    std::snprintf(expected, sizeof expected, c.message.c_str(), input().c_str());
    EXPECT_EQ(message(), expected);
    EXPECT_EQ(entries(outDir()), std::vector<std::string>{});
  }
}

TEST(SafeNames, TheLibrarysRuleForNames) {
  using orv::import::safeName;
  struct Case {
    std::string name, safe;
  } cases[] = {
      {"ann", "ann"},          {"1ann", "1ann"},       {"_x.y-z", "_x.y-z"},   {"a\xeen", "a_n"},
      {"\xe9t\xe9", "_t_"},    {"J\xc3\xb6rg", "J_rg"}, {"\xe2\x82\xac", "_"},  {"a\"b", "a_b"},
      {"-ann", "_ann"},        {"a\x7f" "b", "a_b"},   {"a\xc3", "a_"},        {"a\xc3x", "a_x"},
  };
  for (const Case& c : cases) EXPECT_EQ(safeName(c.name), c.safe) << c.name;
}

}  // namespace
