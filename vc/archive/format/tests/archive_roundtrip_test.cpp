// Canonical archives come out of read + write byte for byte, however much of
// them was read; partial reads, adoption of the new file and importer-ordered
// files keep every text.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/tests/archive_test_util.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/archive_writer.h"
#include "vc/archive/format/byte_count.h"
#include "vc/archive/format/crc16.h"
#include "differ/support/diff_support.h"

namespace vc::archive::test {
namespace {

const char* const kCanonical[] = {"empty.v", "one.v", "branches.v", "symbols_wrap.v",
                                  "access.v", "ext_binary.v", "at_signs.v", "phrases.v"};

enum class How { HeaderOnly, AllRead, AllInMemory, EachPrefix };

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, HeaderOnlyAllReadAndAllInMemory) {
  const std::string original = readFile(fixtureDir() + "/" + GetParam());
  for (How how : {How::HeaderOnly, How::AllRead, How::AllInMemory}) {
    Loaded l(original);
    ASSERT_EQ(0, readHeader(l.a));
    EXPECT_TRUE(l.a.sourceCanonical);
    if (how != How::HeaderOnly) {
      ASSERT_EQ(0, readTexts(l.a, nullptr));
    }
    if (how == How::AllInMemory) {
      for (DeltaRecord* d : textOrder(l.a)) {
        ASSERT_EQ(0, ensureInMemory(l.a, d->log));
        ASSERT_EQ(0, ensureInMemory(l.a, d->text));
      }
      ASSERT_EQ(0, ensureInMemory(l.a, l.a.extension));
    }
    int rc = -1;
    EXPECT_EQ(original, writeToString(l.a, rc)) << "mode " << static_cast<int>(how);
    EXPECT_EQ(0, rc);
  }
}

// Reading stopped after each revision in turn (the first unread ones are then
// copied as one block) still gives the same bytes.
TEST_P(RoundTrip, EveryPartialRead) {
  const std::string original = readFile(fixtureDir() + "/" + GetParam());
  Loaded probe(original);
  ASSERT_EQ(0, readHeader(probe.a));
  for (DeltaRecord* stop : textOrder(probe.a)) {
    Loaded l(original);
    ASSERT_EQ(0, readHeader(l.a));
    ASSERT_EQ(0, readTexts(l.a, l.a.lookup(stop->revision)));
    int rc = -1;
    EXPECT_EQ(original, writeToString(l.a, rc)) << "stopped at " << stop->revision;
    EXPECT_EQ(0, rc);
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, RoundTrip, ::testing::ValuesIn(kCanonical));

// Through a real file: the commit's stack of file sink and checksum, compared
// with cmp, and the checksum agrees with one computed from the file.
TEST(RoundTripFile, WrittenFileEqualsOriginalAndChecksumMatches) {
  const std::string path = fixtureDir() + "/branches.v";
  int in = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(in, 0);
  FdSource src(in);
  ArchiveFile a;
  a.source = &src;
  ASSERT_EQ(0, readHeader(a));
  ASSERT_EQ(0, readTexts(a, a.lookup("1.2.1.1")));

  char name[] = "/tmp/vc_archXXXXXX";
  int out = ::mkstemp(name);
  ASSERT_GE(out, 0);
  FdSink file(out, err::kTempWrite);
  ChecksumSink sum(file);
  WriteResult result;
  ASSERT_EQ(0, writeArchive(a, sum, WriteOptions{}, result));
  EXPECT_TRUE(result.tailCopied);
  EXPECT_EQ(sum.crc(), result.crc);
  EXPECT_EQ(sum.count(), result.bytes);
  EXPECT_EQ(a.length, result.bytes);

  FdSource written(out);
  uint16_t crc = 0;
  uint64_t len = 0;
  ASSERT_EQ(0, crc16OfSource(written, crc, len));
  EXPECT_EQ(result.crc, crc);
  EXPECT_EQ(result.bytes, len);
  const std::string cmd = "cmp -s '" + path + "' '" + name + "'";
  EXPECT_EQ(0, std::system(cmd.c_str()));
  ::close(out);
  ::close(in);
  ::unlink(name);
}

TEST(Crc16, KnownValue) {
  // CRC-16/ARC check value.
  EXPECT_EQ(0xBB3D, crc16Update(0, "123456789", 9));
}

// The eight-bytes-at-a-time checksum and counter agree with one byte at a
// time, for every length and start around the block size, and in pieces.
TEST(Crc16, BlockwiseMatchesBytewise) {
  std::string bytes;
  for (unsigned i = 0; i < 300; ++i) bytes.push_back(static_cast<char>((i * 167u + 13u) % 256u));
  bytes[40] = bytes[41] = bytes[47] = '\n';
  for (size_t start = 0; start < 9; ++start)
    for (size_t len = 0; start + len <= bytes.size(); len += 1 + len / 8) {
      const char* p = bytes.data() + start;
      uint16_t slow = 0x1234;
      size_t lfs = 0;
      for (size_t i = 0; i < len; ++i) {
        slow = orv::diffsup::crc16_step(slow, static_cast<unsigned char>(p[i]));
        lfs += p[i] == '\n';
      }
      EXPECT_EQ(slow, crc16Update(0x1234, p, len)) << start << " " << len;
      EXPECT_EQ(slow, crc16Update(crc16Update(0x1234, p, len / 3), p + len / 3, len - len / 3));
      EXPECT_EQ(lfs, countByte(p, len, '\n')) << start << " " << len;
    }
}

// Long runs where every byte matches: the counter's per-lane tallies must
// not wrap however long the block.
TEST(Crc16, CounterOnLongMatchingRuns) {
  for (size_t len : {4079u, 4080u, 4081u, 4096u, 8191u, 70000u}) {
    const std::string all(len, '\n');
    EXPECT_EQ(len, countByte(all.data(), len, '\n')) << len;
    std::string mixed = all;
    for (size_t i = 0; i < len; i += 3) mixed[i] = 'x';
    const size_t expected = len - (len + 2) / 3;
    EXPECT_EQ(expected, countByte(mixed.data(), len, '\n')) << len;
    EXPECT_EQ((len + 2) / 3, countByte(mixed.data(), len, 'x')) << len;
  }
}

// After a partial read and a header change the new file is adopted; the
// reader then continues in the new file and every text is as before.
TEST(Adopt, ContinueReadingInTheNewFile) {
  const std::string original = readFile(fixtureDir() + "/branches.v");
  Loaded full(original);
  ASSERT_EQ(0, readHeader(full.a));
  ASSERT_EQ(0, readTexts(full.a, nullptr));
  const std::string expected = dumpTexts(full.a);

  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2")));
  l.a.symbols.push_back({"1.3", "shipped"});
  StringSink sink;
  WriteResult result;
  ASSERT_EQ(0, writeArchive(l.a, sink, WriteOptions{}, result));
  EXPECT_TRUE(result.tailCopied);
  MemorySource fresh(sink.text);
  adoptWritten(l.a, result, &fresh);

  ASSERT_EQ(0, readTexts(l.a, nullptr));
  EXPECT_EQ(expected, dumpTexts(l.a));
  EXPECT_NE(std::string::npos, sink.text.find("symbols shipped:1.3;"));

  // A second write from the adopted state gives the same file again.
  int rc = -1;
  EXPECT_EQ(sink.text, writeToString(l.a, rc));
  EXPECT_EQ(0, rc);
}

// A sink that fails part way: the model keeps pointing into the old source,
// so the retry writes the whole file correctly.
class FailingSink final : public ByteSink {
 public:
  explicit FailingSink(size_t budget) : budget_(budget) {}
  int write(const void* buf, size_t len) override {
    if (len > budget_) return err::kTempWrite;
    budget_ -= len;
    text.append(static_cast<const char*>(buf), len);
    return 0;
  }
  std::string text;

 private:
  size_t budget_;
};

TEST(FailedWrite, RetryAfterFailureWritesTheSameFile) {
  const std::string original = readFile(fixtureDir() + "/branches.v");
  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2.2.1")));
  for (size_t budget : {size_t{0}, size_t{10}, size_t{400}, original.size() - 5}) {
    FailingSink bad(budget);
    WriteResult result;
    EXPECT_EQ(err::kTempWrite, writeArchive(l.a, bad, WriteOptions{}, result)) << budget;
  }
  int rc = -1;
  EXPECT_EQ(original, writeToString(l.a, rc));
  EXPECT_EQ(0, rc);
}

// An importer writes padded keywords and sibling branch texts in ascending
// order. Reading up to the first branch's text (which comes before the second
// branch's in this file but after it in the writer's order) and changing the
// header must not lose a text: the file is read whole and written normalised.
TEST(ImporterOrder, PartialReadThenWriteKeepsEveryText) {
  const std::string imported =
      "head     1.2;\n"
      "access   ;\n"
      "symbols  ;\n"
      "locks    ;\n"
      "comment  @# @;\n\n"
      "1.2\ndate     99.01.02.00.00.00;  author joe;  state Exp;\nbranches 1.2.1.1 1.2.2.1;\nnext     1.1;\n\n"
      "1.1\ndate     99.01.01.00.00.00;  author joe;  state Exp;\nbranches ;\nnext     ;\n\n"
      "1.2.1.1\ndate     99.01.03.00.00.00;  author ann;  state Exp;\nbranches ;\nnext     ;\n\n"
      "1.2.2.1\ndate     99.01.04.00.00.00;  author bob;  state Exp;\nbranches ;\nnext     ;\n\n"
      "desc\n@@\n\n"
      "1.2\nlog\n@two\n@\ntext\n@a\nb\n@\n\n"
      "1.2.1.1\nlog\n@first branch\n@\ntext\n@a1 1\nann\n@\n\n"
      "1.2.2.1\nlog\n@second branch\n@\ntext\n@a1 1\nbob\n@\n\n"
      "1.1\nlog\n@one\n@\ntext\n@d2 1\n@\n";
  Loaded full(imported);
  ASSERT_EQ(0, readHeader(full.a));
  EXPECT_FALSE(full.a.sourceCanonical);
  ASSERT_EQ(0, readTexts(full.a, nullptr));
  const std::string expected = dumpTexts(full.a);

  Loaded l(imported);
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2.1.1")));
  l.a.locks.push_back({"1.2", "joe"});
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);

  Loaded back(written);
  ASSERT_EQ(0, readHeader(back.a));
  EXPECT_TRUE(back.a.sourceCanonical);
  ASSERT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ(expected, dumpTexts(back.a));
  ASSERT_EQ(1u, back.a.locks.size());
  // Normalised: the writer's own text order (second branch before the first).
  EXPECT_LT(written.find("second branch"), written.find("first branch"));
}

// A revision removed from the tree while its text was unread must not have
// its text copied along with the unread block: the writer reads the rest of
// the file first and writes only the texts of the tree.
TEST(TailCopy, NotUsedWhenTheFileHoldsMoreUnreadTextsThanTheTree) {
  const std::string original = readFile(fixtureDir() + "/branches.v");
  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  // Unlink the tip of branch 1.2.1 (an end-of-chain delete needs no texts).
  DeltaRecord* tip = l.a.lookup("1.2.1.2");
  tip->parent->next = nullptr;
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);
  EXPECT_EQ(std::string::npos, written.find("branch tip"));
  Loaded back(written);
  ASSERT_EQ(0, readHeader(back.a));
  EXPECT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ(nullptr, back.a.lookup("1.2.1.2"));
}

TEST(Century, DatesAsWritten) {
  struct Case {
    const char* held;
    bool century;
    const char* written;
  } cases[] = {
      {"95.01.02.03.04.05", true, "1995.01.02.03.04.05"},
      {"69.01.02.03.04.05", true, "2069.01.02.03.04.05"},
      {"70.01.02.03.04.05", true, "1970.01.02.03.04.05"},
      {"05.01.02.03.04.05", true, "2005.01.02.03.04.05"},
      {"1995.01.02.03.04.05", true, "1995.01.02.03.04.05"},
      {"2001.01.02.03.04.05", true, "2001.01.02.03.04.05"},
      {"1995.01.02.03.04.05", false, "95.01.02.03.04.05"},
      {"2001.01.02.03.04.05", false, "2001.01.02.03.04.05"},
      {"95.01.02.03.04.05", false, "95.01.02.03.04.05"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.written, writtenDate(c.held, c.century)) << c.held << " " << c.century;

  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  int rc = -1;
  const std::string out = writeToString(l.a, rc, true);
  EXPECT_NE(std::string::npos, out.find("date 1995.03.02.10.00.00;"));
  EXPECT_NE(std::string::npos, out.find("date 2001.01.01.00.00.01;"));
}

}  // namespace
}  // namespace vc::archive::test
