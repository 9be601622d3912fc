// What the grammar puts after each string is required, on every path that
// reads texts (all at once, up to a revision, after a quick header), and the
// phrases of other tools of the family ("newphrase") are kept and written back.
#include <gtest/gtest.h>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/archive_writer.h"
#include "vc/archive/format/tests/archive_test_util.h"

namespace vc::archive::test {
namespace {

// A stray '@' in the text of 1.2 ("2@x") ends the string early: the text read
// up to it must not be taken, however the reader gets there.
TEST(Grammar, StrayAtInATextIsRefusedOnEveryPath) {
  const std::string bytes = readFile(fixtureDir() + "/bad/31_stray_at_in_text.v");
  {
    Loaded l(bytes);  // up to the revision itself
    ASSERT_EQ(0, readHeader(l.a));
    EXPECT_EQ(err::kArchiveParseError, readTexts(l.a, l.a.lookup("1.2")));
    EXPECT_EQ(err::kArchiveParseError, readTexts(l.a, l.a.lookup("1.2")));  // and again
    EXPECT_EQ(err::kArchiveParseError, readTexts(l.a, l.a.lookup("1.1")));
  }
  {
    Loaded l(bytes);  // after a quick header that stopped at the revision's record
    ReadOptions quick;
    quick.quick = true;
    quick.target = "1.2";
    ASSERT_EQ(0, readHeader(l.a, quick));
    ASSERT_TRUE(l.a.quickHeader);
    EXPECT_EQ(err::kArchiveParseError, readTexts(l.a, l.a.lookup("1.2")));
  }
  {
    Loaded l(bytes);  // after a quick header without target
    ReadOptions quick;
    quick.quick = true;
    ASSERT_EQ(0, readHeader(l.a, quick));
    EXPECT_EQ(err::kArchiveParseError, readTexts(l.a, nullptr));
  }
}

// Only a revision number or the end of the file may follow the description
// and each text; the end right after a text is fine.
TEST(Grammar, WhatFollowsTheDescriptionAndEachText) {
  const std::string good = readFile(fixtureDir() + "/one.v");
  auto read = [](const std::string& bytes, bool quick) {
    Loaded l(bytes);
    ReadOptions o;
    o.quick = quick;
    if (int rc = readHeader(l.a, o)) return rc;
    return readTexts(l.a, l.a.lookup("1.1"));
  };
  for (bool quick : {false, true}) {
    EXPECT_EQ(0, read(good, quick));
    EXPECT_EQ(0, read(good + "\n\n", quick));
    EXPECT_EQ(err::kArchiveParseError, read(good + "x\n", quick));
    EXPECT_EQ(err::kArchiveParseError, read(good + "@\n", quick));
    EXPECT_EQ(err::kArchiveParseError, read(good + ";", quick));
    std::string desc = good;
    desc.insert(desc.find("description.\n@") + 14, "log");
    EXPECT_EQ(err::kArchiveParseError, read(desc, quick));
  }
}

// Phrases in the header, in a revision's entry and between a log and its
// text are kept as spelled; the fixture is in the writer's own layout, so it
// comes back byte for byte, however much of it was read.
TEST(Phrases, KeptInTheModelAndWrittenBack) {
  const std::string original = readFile(fixtureDir() + "/phrases.v");
  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_TRUE(l.a.sourceCanonical);
  EXPECT_EQ((Phrases{"expand @kv@;", "owner alice \"Mary Ann\" : 1.2 @a@@b\nc@;"}), l.a.phrases);
  EXPECT_EQ((Phrases{"commitid 10054A8E6F4C4E8A;"}), l.a.lookup("1.2")->phrases);
  EXPECT_EQ((Phrases{"commitid 10054A8E6F4C4E89;", "mergepoint1 1.0.2.1 : x;"}), l.a.lookup("1.1")->phrases);
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2")));
  EXPECT_EQ((Phrases{"checksum @abc@@@;"}), l.a.lookup("1.2")->textPhrases);
  std::string text;
  ASSERT_EQ(0, loadText(l.a, l.a.lookup("1.2")->text, text));
  EXPECT_EQ("one\n2\n", text);
  int rc = -1;
  EXPECT_EQ(original, writeToString(l.a, rc));
  EXPECT_EQ(0, rc);

  Loaded all(original);
  ASSERT_EQ(0, readHeader(all.a));
  ASSERT_EQ(0, readTexts(all.a, nullptr));
  all.a.symbols.push_back({"1.1", "first"});
  const std::string written = writeToString(all.a, rc);
  ASSERT_EQ(0, rc);
  std::string expected = original;
  expected.replace(expected.find("symbols ;"), 9, "symbols first:1.1;");
  EXPECT_EQ(expected, written);
}

// An archive of another tool's layout (tabs, no "branch" clause) with phrases:
// not canonical, so it is written in this library's layout, phrases and all,
// and that file reads back to the same model.
TEST(Phrases, OtherLayoutIsNormalisedWithThePhrases) {
  const std::string original = readFile(fixtureDir() + "/rcs_expand_kk.v");
  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_FALSE(l.a.sourceCanonical);
  EXPECT_EQ((Phrases{"expand\t@k@;"}), l.a.phrases);
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2")));
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);
  EXPECT_NE(std::string::npos, written.find(";\nexpand\t@k@;\n\n\n1.3\n")) << written;

  Loaded fresh(original), back(written);
  ASSERT_EQ(0, readHeader(fresh.a));
  ASSERT_EQ(0, readTexts(fresh.a, nullptr));
  ASSERT_EQ(0, readHeader(back.a));
  EXPECT_TRUE(back.a.sourceCanonical);
  ASSERT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ(dumpTexts(fresh.a), dumpTexts(back.a));
  EXPECT_EQ(fresh.a.phrases, back.a.phrases);
  EXPECT_EQ(written, writeToString(back.a, rc));
}

// RCS 5.8 and later write "integrity" between "strict;" and "comment": it is
// read, kept apart from the phrases after the known clauses and written back
// in its place, also when the file gets phrases of both places.
TEST(Phrases, IntegrityBeforeTheCommentStaysThere) {
  const std::string original = readFile(fixtureDir() + "/rcs_integrity.v");
  Loaded l(original);
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ((Phrases{"integrity @@;"}), l.a.phrasesBeforeComment);
  EXPECT_TRUE(l.a.phrases.empty());
  EXPECT_TRUE(l.a.flags & kFlagStrict);
  ASSERT_EQ(0, readTexts(l.a, nullptr));
  l.a.phrases.push_back("expand @k@;");
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);
  EXPECT_NE(std::string::npos, written.find("locks ; strict;\nintegrity @@;\ncomment @# @;\nexpand @k@;\n"))
      << written;

  Loaded back(written);
  ASSERT_EQ(0, readHeader(back.a));
  EXPECT_TRUE(back.a.sourceCanonical);
  EXPECT_EQ(l.a.phrasesBeforeComment, back.a.phrasesBeforeComment);
  EXPECT_EQ(l.a.phrases, back.a.phrases);
  ASSERT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ(dumpTexts(l.a), dumpTexts(back.a));
  EXPECT_EQ(written, writeToString(back.a, rc));
}

TEST(Phrases, CommitIdOfEachEntryIsKept) {
  Loaded l(readFile(fixtureDir() + "/rcs_commitid.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_TRUE(l.a.phrases.empty());
  EXPECT_EQ((Phrases{"commitid\t10054A8E6F4C4E81;"}), l.a.lookup("1.3")->phrases);
  EXPECT_EQ((Phrases{"commitid\t10054A8E6F4C4E83;"}), l.a.lookup("1.1")->phrases);
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);
  EXPECT_NE(std::string::npos, written.find("next 1.2;\ncommitid\t10054A8E6F4C4E81;\n\n1.2\n")) << written;
}

// A phrase stands only where the grammar allows one, begins with an id (not a
// revision number, not a keyword of the format) and holds words, strings and
// ':' only.
TEST(Phrases, OnlyWhereTheGrammarAllowsThem) {
  const std::string base = readFile(fixtureDir() + "/phrases.v");
  auto readAll = [](const std::string& bytes) {
    Loaded l(bytes);
    if (int rc = readHeader(l.a)) return rc;
    return readTexts(l.a, nullptr);
  };
  auto with = [&](const std::string& from, const std::string& to) {
    std::string s = base;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  ASSERT_EQ(0, readAll(base));
  EXPECT_EQ(0, readAll(with("expand @kv@;", "expand;")));
  EXPECT_EQ(0, readAll(with("expand @kv@;", "x$y.z 1.2 : @@ w;")));
  EXPECT_EQ(err::kRevisionCorrupt, readAll(with("expand @kv@;", "1.5 @kv@;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("expand @kv@;", "\"expand\" @kv@;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("expand @kv@;", "strict;")));
  // Before "comment" (where RCS 5.8 and later write "integrity"), not before
  // "strict" nor among the lists.
  EXPECT_EQ(0, readAll(with("locks ;", "locks ; integrity @@; x $y;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("locks ;", "locks ; expand @kv@; strict;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("locks ;", "x y;\nlocks ;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("comment @# @;", "comment @# @; x y; comment @@;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("branches ;\nnext ;", "branches ;\nx y;\nnext ;")));
  EXPECT_EQ(err::kArchiveParseError, readAll(with("checksum @abc@@@;", "text;")));
  EXPECT_EQ(err::kUnexpectedEof, readAll(base.substr(0, base.find("x;"))));
}

}  // namespace
}  // namespace vc::archive::test
