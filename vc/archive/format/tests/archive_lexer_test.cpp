// Strings read across buffer refills: the lexer must give the same record
// whatever the size of the pieces its source hands out, in particular when a
// '@' (closing or the first of a doubled pair) is the last byte of a piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_lexer.h"
#include "vc/archive/format/byte_stream.h"

namespace vc::archive {
namespace {

// Hands out at most `piece` bytes per read.
class PieceSource final : public ByteSource {
 public:
  PieceSource(const std::string& s, size_t piece) : s_(s), piece_(piece) {}
  int readAt(uint64_t offset, void* buf, size_t len, size_t& got) override {
    got = offset >= s_.size() ? 0 : std::min({len, piece_, s_.size() - static_cast<size_t>(offset)});
    if (got) std::memcpy(buf, s_.data() + offset, got);
    return 0;
  }

 private:
  const std::string& s_;
  size_t piece_;
};

struct Expected {
  uint64_t lines, chars;
};

// Counted one byte at a time from the stored form.
Expected countSlowly(const std::string& stored) {
  Expected e{0, 0};
  for (size_t i = 0; i < stored.size(); ++i) {
    e.lines += stored[i] == '\n';
    ++e.chars;
    if (stored[i] == '@') ++i;  // a doubled '@' is one character
  }
  if (!stored.empty() && stored.back() != '\n') ++e.lines;
  return e;
}

TEST(LexerStrings, SameRecordForEveryPieceSize) {
  const std::string storedForms[] = {
      "", "@@", "@@@@", "a@@b\n", "line\n@@\n@@", "x\n\n@@@@@@y\n", "ends with pair@@",
  };
  for (const std::string& stored : storedForms) {
    const std::string file = "log\n@" + stored + "@\nnext";
    const Expected want = countSlowly(stored);
    for (size_t piece = 1; piece <= file.size(); ++piece)
      for (bool keep : {true, false}) {
        PieceSource src(file, piece);
        ArchiveLexer lex(src, 0);
        const ArchiveLexer::Token* t = nullptr;
        ASSERT_EQ(0, lex.peek(t));
        ASSERT_EQ(ArchiveLexer::Kind::Word, t->kind);
        lex.take();
        ASSERT_EQ(0, lex.peek(t));
        ASSERT_EQ(ArchiveLexer::Kind::String, t->kind);
        TextRecord rec;
        ASSERT_EQ(0, lex.readString(rec, keep)) << stored << " piece " << piece;
        EXPECT_EQ(5u, rec.offset);
        EXPECT_EQ(stored.size(), rec.storedLength) << stored << " piece " << piece;
        EXPECT_EQ(want.lines, rec.lines) << stored << " piece " << piece;
        EXPECT_EQ(want.chars, rec.chars) << stored << " piece " << piece;
        if (keep) {
          ASSERT_TRUE(rec.inMemory());
          EXPECT_EQ(stored, *rec.data) << "piece " << piece;
        } else {
          EXPECT_FALSE(rec.inMemory());
        }
        ASSERT_EQ(0, lex.peek(t));  // the line feed after the string was taken
        ASSERT_EQ(ArchiveLexer::Kind::Word, t->kind);
        EXPECT_EQ("next", t->text);
      }
  }
}

// Long strings with '@' pairs and runs of them in every place, read in
// pieces of many sizes: the same record as counted one byte at a time. The
// scanner takes long runs of bytes many at a time, so the '@' fall on every
// position of those runs and across their ends.
TEST(LexerStrings, LongStringsWithRunsOfPairs) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 100; ++round) {
    std::string stored;
    const size_t length = rng() % 700;
    const int density = 1 + static_cast<int>(rng() % 40);
    while (stored.size() < length) {
      const int r = static_cast<int>(rng() % density);
      if (r == 0)
        stored.append(2 * (1 + rng() % 3), '@');  // one to three pairs in a row
      else if (r == 1)
        stored += '\n';
      else
        stored += static_cast<char>('a' + rng() % 26);
    }
    const std::string after = rng() % 2 ? "@\nnext" : "@next";
    const std::string file = "log\n@" + stored + after;
    const Expected want = countSlowly(stored);
    for (size_t piece : {size_t{1}, size_t{7}, size_t{16}, size_t{63}, size_t{64}, size_t{65}, size_t{200}, file.size()})
      for (bool keep : {true, false}) {
        PieceSource src(file, piece);
        ArchiveLexer lex(src, 0);
        const ArchiveLexer::Token* t = nullptr;
        ASSERT_EQ(0, lex.peek(t));
        lex.take();
        ASSERT_EQ(0, lex.peek(t));
        ASSERT_EQ(ArchiveLexer::Kind::String, t->kind);
        TextRecord rec;
        ASSERT_EQ(0, lex.readString(rec, keep)) << "round " << round << " piece " << piece;
        EXPECT_EQ(stored.size(), rec.storedLength) << "round " << round << " piece " << piece;
        EXPECT_EQ(want.lines, rec.lines) << "round " << round << " piece " << piece;
        EXPECT_EQ(want.chars, rec.chars) << "round " << round << " piece " << piece;
        if (keep) {
          EXPECT_EQ(stored, *rec.data) << "round " << round << " piece " << piece;
        }
        ASSERT_EQ(0, lex.peek(t));
        ASSERT_EQ(ArchiveLexer::Kind::Word, t->kind);
        EXPECT_EQ("next", t->text);
      }
  }
}

// A string far longer than the first blocks grows its block until it fits:
// the bytes already in memory are kept, so the source is read once.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(const std::string& s) : s_(s) {}
  int readAt(uint64_t offset, void* buf, size_t len, size_t& got) override {
    got = offset >= s_.size() ? 0 : std::min(len, s_.size() - static_cast<size_t>(offset));
    if (got) std::memcpy(buf, s_.data() + offset, got);
    read += got;
    return 0;
  }
  uint64_t read = 0;

 private:
  const std::string& s_;
};

TEST(LexerStrings, ALongStringIsReadFromTheSourceOnce) {
  std::string stored;
  for (int i = 0; i < 100000; ++i) stored += "line " + std::to_string(i) + (i % 7 ? "\n" : " @@\n");
  const std::string file = "log\n@" + stored + "@\nnext";
  for (bool keep : {true, false}) {
    CountingSource src(file);
    ArchiveLexer lex(src, 0);
    const ArchiveLexer::Token* t = nullptr;
    ASSERT_EQ(0, lex.peek(t));
    lex.take();
    ASSERT_EQ(0, lex.peek(t));
    ASSERT_EQ(ArchiveLexer::Kind::String, t->kind);
    TextRecord rec;
    ASSERT_EQ(0, lex.readString(rec, keep));
    EXPECT_EQ(stored.size(), rec.storedLength);
    if (keep) {
      EXPECT_EQ(stored, *rec.data);
    }
    ASSERT_EQ(0, lex.peek(t));
    EXPECT_EQ("next", t->text);
    EXPECT_LE(src.read, file.size()) << "keep " << keep;
  }
}

// A string whose closing '@' is missing ends in an error, whatever the pieces.
TEST(LexerStrings, UnclosedStringIsUnexpectedEnd) {
  for (const std::string file : {"@abc", "@abc@@", "@"}) {
    for (size_t piece = 1; piece <= file.size(); ++piece) {
      PieceSource src(file, piece);
      ArchiveLexer lex(src, 0);
      const ArchiveLexer::Token* t = nullptr;
      ASSERT_EQ(0, lex.peek(t));
      TextRecord rec;
      EXPECT_EQ(err::kUnexpectedEof, lex.readString(rec, true)) << file << " piece " << piece;
    }
  }
}

}  // namespace
}  // namespace vc::archive
