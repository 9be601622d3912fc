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
int read_everything(const std::string& bytes) {
  Loaded l(bytes);
  if (int rc = read_header(l.a)) return rc;
  return read_texts(l.a, nullptr);
}

// Each file of the corpus is named after the code it must answer.
TEST(Malformed, CorpusAnswersItsCode) {
  int seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(fixture_dir() + "/bad")) {
    const std::string name = e.path().filename().string();
    const int expected = std::stoi(name.substr(0, name.find('_')));
    EXPECT_EQ(expected, read_everything(read_file(e.path().string()))) << name;
    ++seen;
  }
  EXPECT_GE(seen, 25);
}

TEST(Malformed, TokenLimitIsExactly2048) {
  auto with_symbol = [](size_t len) {
    return "head ;\nbranch ;\naccess ;\nsymbols " + std::string(len, 'x') + ":1.1;\nlocks ;\n\ndesc\n@@\n";
  };
  EXPECT_EQ(0, read_everything(with_symbol(2048)));
  EXPECT_EQ(err::kArchiveParseError, read_everything(with_symbol(2049)));
}

// Every prefix of a good archive fails with a code of the format (mostly
// 218; a revision cut short may name one already named, 32). Only the last
// line feed may go missing without harm.
TEST(Malformed, EveryTruncationAnswersACode) {
  const std::string good = read_file(fixture_dir() + "/branches.v");
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    const int rc = read_everything(good.substr(0, n));
    EXPECT_TRUE(rc == err::kUnexpectedEof || rc == err::kArchiveParseError || rc == err::kArchiveHeaderCorrupt ||
                rc == err::kDeltaCorrupt || rc == err::kRevisionCorrupt)
        << n << " -> " << rc;
  }
  EXPECT_EQ(0, read_everything(good.substr(0, good.size() - 1)));
}

TEST(Malformed, WantedRevisionWithoutTextAnswers33) {
  Loaded l(read_file(fixture_dir() + "/bad/33_text_missing.v"));
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_EQ(0, read_texts(l.a, l.a.lookup("1.2")));
  EXPECT_EQ(err::kDeltaCorrupt, read_texts(l.a, l.a.lookup("1.1")));
}

// A failing source (an unreadable disk) is answered with its own code.
class BrokenSource final : public ByteSource {
 public:
  BrokenSource(const std::string& data, uint64_t fail_at) : data_(data), fail_at_(fail_at) {}
  int read_at(uint64_t offset, void* buf, size_t len, size_t& got) override {
    if (offset + len > fail_at_) return err::kArchiveRead;
    MemorySource m(data_);
    return m.read_at(offset, buf, len, got);
  }

 private:
  const std::string& data_;
  uint64_t fail_at_;
};

TEST(Malformed, SourceFailuresArePassedOn) {
  const std::string good = read_file(fixture_dir() + "/one.v");
  BrokenSource src(good, 0);
  ArchiveFile a;
  a.source = &src;
  EXPECT_EQ(err::kArchiveRead, read_header(a));
}

TEST(Access, ListAndSecurityObjectsAreChecked) {
  const std::string bytes = read_file(fixture_dir() + "/access.v");
  struct Case {
    bool for_write;
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
    o.for_write = c.for_write;
    o.user = c.user;
    std::vector<std::string> seen;
    o.security_admits = [&](const std::vector<std::string>& objs) {
      seen = objs;
      return c.admit;
    };
    EXPECT_EQ(c.rc, read_header(l.a, o)) << c.user;
    if (c.rc == err::kSecurityDenied) {
      EXPECT_EQ((std::vector<std::string>{"Developers", "QA Team"}), seen);
    }
  }
}

}  // namespace
}  // namespace vc::archive::test
