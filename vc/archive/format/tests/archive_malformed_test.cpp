// Malformed archives answer the format's codes and never crash.
#include <gtest/gtest.h>

#include <filesystem>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/tests/archive_test_util.h"
#include "vc/archive/format/archive_writer.h"

namespace vc::archive::test {
namespace {

// Reads header and all texts; answers the first failure.
int readEverything(const std::string& bytes) {
  Loaded l(bytes);
  if (int rc = readHeader(l.a)) return rc;
  return readTexts(l.a, nullptr);
}

// Each file of the corpus is named after the code it must answer.
TEST(Malformed, CorpusAnswersItsCode) {
  int seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(fixtureDir() + "/bad")) {
    const std::string name = e.path().filename().string();
    const int expected = std::stoi(name.substr(0, name.find('_')));
    EXPECT_EQ(expected, readEverything(readFile(e.path().string()))) << name;
    ++seen;
  }
  EXPECT_GE(seen, 25);
}

TEST(Malformed, TokenLimitIsExactly2048) {
  auto withSymbol = [](size_t len) {
    return "head ;\nbranch ;\naccess ;\nsymbols " + std::string(len, 'x') + ":1.1;\nlocks ;\n\ndesc\n@@\n";
  };
  EXPECT_EQ(0, readEverything(withSymbol(2048)));
  EXPECT_EQ(err::kArchiveParseError, readEverything(withSymbol(2049)));
}

// Every prefix of a good archive fails with a code of the format (mostly
// 218; a revision cut short may name one already named, 32). Only the last
// line feed may go missing without harm.
TEST(Malformed, EveryTruncationAnswersACode) {
  const std::string good = readFile(fixtureDir() + "/branches.v");
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    const int rc = readEverything(good.substr(0, n));
    EXPECT_TRUE(rc == err::kUnexpectedEof || rc == err::kArchiveParseError || rc == err::kArchiveHeaderCorrupt ||
                rc == err::kDeltaCorrupt || rc == err::kRevisionCorrupt)
        << n << " -> " << rc;
  }
  EXPECT_EQ(0, readEverything(good.substr(0, good.size() - 1)));
}

TEST(Malformed, WantedRevisionWithoutTextAnswers33) {
  Loaded l(readFile(fixtureDir() + "/bad/33_text_missing.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ(0, readTexts(l.a, l.a.lookup("1.2")));
  EXPECT_EQ(err::kDeltaCorrupt, readTexts(l.a, l.a.lookup("1.1")));
}

// A failing source (an unreadable disk) is answered with its own code.
class BrokenSource final : public ByteSource {
 public:
  BrokenSource(const std::string& data, uint64_t failAt) : data_(data), failAt_(failAt) {}
  int readAt(uint64_t offset, void* buf, size_t len, size_t& got) override {
    if (offset + len > failAt_) return err::kArchiveRead;
    MemorySource m(data_);
    return m.readAt(offset, buf, len, got);
  }

 private:
  const std::string& data_;
  uint64_t failAt_;
};

TEST(Malformed, SourceFailuresArePassedOn) {
  const std::string good = readFile(fixtureDir() + "/one.v");
  BrokenSource src(good, 0);
  ArchiveFile a;
  a.source = &src;
  EXPECT_EQ(err::kArchiveRead, readHeader(a));
}

TEST(Access, ListAndSecurityObjectsAreChecked) {
  const std::string bytes = readFile(fixtureDir() + "/access.v");
  struct Case {
    bool forWrite;
    const char* user;
    bool admit;
    int rc;
  } cases[] = {
      {false, "stranger", true, 0},           // reading needs nothing
      {true, "stranger", true, err::kNotOnAccessList},
      {true, "", true, err::kNotOnAccessList},   // no name is no pass
      {true, "JOE", true, 0},                 // names compared without case
      {true, "Mary Ann", true, 0},
      {true, "zed", false, err::kSecurityDenied},
  };
  for (const Case& c : cases) {
    Loaded l(bytes);
    ReadOptions o;
    o.forWrite = c.forWrite;
    o.user = c.user;
    std::vector<std::string> seen;
    o.securityAdmits = [&](const std::vector<std::string>& objs) {
      seen = objs;
      return c.admit;
    };
    EXPECT_EQ(c.rc, readHeader(l.a, o)) << c.user;
    if (c.rc == err::kSecurityDenied) {
      EXPECT_EQ((std::vector<std::string>{"Developers", "QA Team"}), seen);
    }
  }
}

}  // namespace
}  // namespace vc::archive::test
