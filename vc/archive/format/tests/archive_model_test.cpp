// The model as the reader fills it: lists, texts, orders, the revision
// search, quick mode, building an archive in memory and releasing texts.
#include <gtest/gtest.h>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/tests/archive_test_util.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/archive_writer.h"

namespace vc::archive::test {
namespace {

std::vector<std::string> revisions(const std::vector<DeltaRecord*>& v) {
  std::vector<std::string> out;
  for (const DeltaRecord* d : v) out.push_back(d->revision);
  return out;
}

TEST(Model, ListsAndFlagsAsInTheFile) {
  Loaded l(readFile(fixtureDir() + "/access.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ((std::vector<std::string>{"joe", "Mary Ann", "zed"}), l.a.access);
  EXPECT_EQ((std::vector<std::string>{"Developers", "QA Team"}), l.a.securityObjects);
  ASSERT_EQ(2u, l.a.symbols.size());
  EXPECT_EQ("v1_fix", l.a.symbols[1].name);
  EXPECT_EQ("1.2.1.1", l.a.symbols[1].revision);
  ASSERT_EQ(2u, l.a.locks.size());
  EXPECT_EQ("zed", l.a.locks[1].user);
  EXPECT_EQ("1.2.1", l.a.defaultBranch);
  EXPECT_TRUE(l.a.flags & kFlagStrict);
  EXPECT_FALSE(l.a.flags & kFlagFormatStated);

  Loaded b(readFile(fixtureDir() + "/ext_binary.v"));
  ASSERT_EQ(0, readHeader(b.a));
  EXPECT_TRUE(b.a.flags & kFlagBinary);
  EXPECT_TRUE(b.a.flags & kFlagFormatStated);
  EXPECT_TRUE(b.a.hasExtension);
  EXPECT_FALSE(b.a.extension.inMemory());  // read on demand
  std::string ext;
  ASSERT_EQ(0, loadText(b.a, b.a.extension, ext));
  EXPECT_EQ("project /home/u/p.prj\nproject /home/u/q.prj\n", ext);
}

TEST(Model, EmptyArchiveHasNoHead) {
  Loaded l(readFile(fixtureDir() + "/empty.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ(nullptr, l.a.head);
  ASSERT_EQ(0, readTexts(l.a, nullptr));
  EXPECT_EQ(ReadState::All, l.a.readState);
}

TEST(Model, TextsCountsAndAtSigns) {
  Loaded l(readFile(fixtureDir() + "/at_signs.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ("@ ", undoubleAt(*l.a.comment.data));
  EXPECT_EQ("user@example.com\n@@\n", undoubleAt(*l.a.description.data));
  DeltaRecord* d = l.a.lookup("1.2");
  ASSERT_EQ(0, readTexts(l.a, d));
  EXPECT_EQ("fixed a@@b\n", *d->log.data);
  EXPECT_EQ(10u, d->log.chars);
  EXPECT_EQ(11u, d->log.storedLength);
  EXPECT_EQ(1u, d->log.lines);
  ASSERT_TRUE(d->text.inMemory());  // the head lies on its own path
  EXPECT_EQ("@@\n@\nx@y\n", undoubleAt(*d->text.data));
  EXPECT_EQ(3u, d->text.lines);
}

TEST(Model, OnlyTextsOnThePathAreKept) {
  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, l.a.lookup("1.2.1.1.1.1")));
  for (const char* on : {"1.3", "1.2", "1.2.1.1", "1.2.1.1.1.1"}) EXPECT_TRUE(l.a.lookup(on)->text.inMemory()) << on;
  EXPECT_FALSE(l.a.lookup("1.2.2.1")->text.inMemory());
  EXPECT_TRUE(l.a.lookup("1.2.2.1")->log.inMemory());
  EXPECT_EQ(DeltaRecord::Texts::Unread, l.a.lookup("1.2.1.2")->texts);
  std::string t;
  ASSERT_EQ(0, loadText(l.a, l.a.lookup("1.2.2.1")->text, t));
  EXPECT_EQ("a2 1\nerin's line\n", t);
}

TEST(Model, RecordAndTextOrder) {
  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_EQ((std::vector<std::string>{"1.3", "1.2", "1.1", "1.2.1.1", "1.2.1.2", "1.2.1.1.1.1", "1.2.2.1"}),
            revisions(recordOrder(l.a)));
  EXPECT_EQ((std::vector<std::string>{"1.3", "1.2", "1.2.2.1", "1.2.1.1", "1.2.1.1.1.1", "1.2.1.2", "1.1"}),
            revisions(textOrder(l.a)));
  EXPECT_EQ(l.a.lookup("1.2"), l.a.lookup("1.2.2.1")->parent);
  EXPECT_EQ(l.a.lookup("1.2.1.1"), l.a.lookup("1.2.1.2")->parent);
}

TEST(Model, FindDeltaAndNearest) {
  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  struct Case {
    const char* wanted;
    bool found;
    const char* current;
  } cases[] = {
      {"1.3", true, "1.3"},         {"1.1", true, "1.1"},
      {"1.2.1.2", true, "1.2.1.2"}, {"1.2.1.1.1.1", true, "1.2.1.1.1.1"},
      {"1.2.2.1", true, "1.2.2.1"}, {"1.4", false, "1.3"},
      {"2", false, "1.3"},          {"1.2.3.1", false, "1.2"},
      {"1.2.1", false, "1.2.1.2"},  {"1.2.1.3", false, "1.2.1.2"},
  };
  for (const Case& c : cases) {
    DeltaRecord* d = findDelta(l.a, c.wanted);
    EXPECT_EQ(c.found, d != nullptr) << c.wanted;
    ASSERT_NE(nullptr, l.a.current) << c.wanted;
    EXPECT_EQ(c.current, l.a.current->revision) << c.wanted;
  }
}

TEST(Model, LookupAfterRenumberAndDrop) {
  // The record found last is answered again without the index: it must
  // follow a renumbered record and forget a dropped one.
  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  DeltaRecord* d = l.a.lookup("1.2.2.1");
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(d, l.a.lookup("1.2.2.1"));
  ASSERT_TRUE(l.a.renumberDelta(d, "1.2.3.1"));
  EXPECT_EQ(nullptr, l.a.lookup("1.2.2.1"));
  EXPECT_EQ(d, l.a.lookup("1.2.3.1"));
  EXPECT_EQ(d, l.a.lookup("1.2.3.1"));
  l.a.dropDelta(d);
  EXPECT_EQ(nullptr, l.a.lookup("1.2.3.1"));
  EXPECT_NE(nullptr, l.a.lookup("1.3"));
}

TEST(Model, ExtensionAttributes) {
  Loaded l(readFile(fixtureDir() + "/ext_binary.v"));
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, nullptr));
  const auto& x = l.a.lookup("1.2")->ext;
  ASSERT_EQ(2u, x.size());
  EXPECT_EQ("proj", x[0].name);
  EXPECT_FALSE(x[0].isReference);
  EXPECT_EQ("a@@b c d", x[0].data);
  EXPECT_TRUE(x[1].isReference);
  EXPECT_EQ("1.1", x[1].revision);
  std::string t;
  ASSERT_EQ(0, loadText(l.a, l.a.lookup("1.2")->text, t));
  EXPECT_EQ(std::string("\x00\x01\x02\xff\xfe@@\r\n", 9), t);

  std::vector<ExtAttribute> back;
  EXPECT_TRUE(decodeExtAttributes(encodeExtAttributes(x), back));
  for (const char* bad : {"", "name\n", "name 3 ab \n", "name rev \n", "a 1 b c\n", "a 1 b \nx"})
    EXPECT_FALSE(decodeExtAttributes(bad, back)) << bad;
}

TEST(QuickMode, StopsAtTargetAndIsNeverWritten) {
  const std::string bytes = readFile(fixtureDir() + "/branches.v");
  Loaded l(bytes);
  ReadOptions q;
  q.quick = true;
  q.target = "1.1";
  ASSERT_EQ(0, readHeader(l.a, q));
  EXPECT_TRUE(l.a.quickHeader);
  EXPECT_NE(nullptr, l.a.lookup("1.1"));
  EXPECT_FALSE(l.a.lookup("1.2.1.1")->defined);
  EXPECT_FALSE(l.a.description.inMemory());

  StringSink sink;
  WriteResult r;
  EXPECT_EQ(err::kCatastrophe, writeArchive(l.a, sink, WriteOptions{}, r));
  EXPECT_TRUE(sink.text.empty());

  // A full read replaces the quick header.
  ASSERT_EQ(0, readHeader(l.a));
  EXPECT_FALSE(l.a.quickHeader);
  int rc = -1;
  EXPECT_EQ(bytes, writeToString(l.a, rc));
}

// The way check-in builds revisions: records made in memory, texts detached
// from any file. What is written reads back with the same content.
TEST(Build, NewArchiveFromMemory) {
  ArchiveFile a;
  a.readState = ReadState::All;
  a.flags |= kFlagStrict;
  a.comment.setPlain("# ");
  a.description.setPlain("made in memory, with @\n");
  DeltaRecord* r2 = a.createDelta("1.2");
  DeltaRecord* r1 = a.createDelta("1.1");
  DeltaRecord* b1 = a.createDelta("1.1.1.1");
  ASSERT_EQ(nullptr, a.createDelta("1.1"));
  a.head = r2;
  r2->next = r1;
  r1->parent = r2;
  r1->branches.push_back(b1);
  b1->parent = r1;
  for (DeltaRecord* d : {r2, r1, b1}) {
    d->date = "2024.05.06.07.08.09";
    d->author = "me";
    d->state = "Exp";
    d->texts = DeltaRecord::Texts::Detached;
    d->changeFlags |= kDeltaChanged;
    d->log.setPlain("log of " + d->revision + " @\n");
  }
  r2->text.setPlain("full text\n");
  r1->text.setPlain("d1 1\na1 1\nold\n");
  b1->text.setPlain("a1 1\nbranch\n");
  b1->ext.push_back({"ref", true, "1.1", ""});
  a.symbols.push_back({"1.1.1.1", "fix"});
  a.locks.push_back({"1.2", "me"});

  int rc = -1;
  const std::string written = writeToString(a, rc);
  ASSERT_EQ(0, rc);
  Loaded back(written);
  ASSERT_EQ(0, readHeader(back.a));
  EXPECT_TRUE(back.a.sourceCanonical);
  ASSERT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ(dumpTexts(a), dumpTexts(back.a));
  EXPECT_EQ("made in memory, with @@\n", *back.a.description.data);
  EXPECT_EQ(written, writeToString(back.a, rc));
}

// Names with a blank are quoted wherever they stand, so they read back whole.
TEST(Build, NamesWithBlanksReadBack) {
  Loaded l(readFile(fixtureDir() + "/one.v"));
  ASSERT_EQ(0, readHeader(l.a));
  l.a.symbols.push_back({"1.1", "first cut"});
  l.a.locks.push_back({"1.1", "Mary Ann"});
  l.a.head->author = "Joe Bloggs";
  l.a.head->state = "In Test";
  int rc = -1;
  const std::string written = writeToString(l.a, rc);
  ASSERT_EQ(0, rc);
  Loaded back(written);
  ASSERT_EQ(0, readHeader(back.a));
  ASSERT_EQ(0, readTexts(back.a, nullptr));
  EXPECT_EQ("first cut", back.a.symbols.at(0).name);
  EXPECT_EQ("Mary Ann", back.a.locks.at(0).user);
  EXPECT_EQ("Joe Bloggs", back.a.head->author);
  EXPECT_EQ("In Test", back.a.head->state);
}

TEST(Memory, ReleaseDropsOnlyRereadableCopies) {
  Loaded l(readFile(fixtureDir() + "/branches.v"));
  ASSERT_EQ(0, readHeader(l.a));
  ASSERT_EQ(0, readTexts(l.a, nullptr));
  for (DeltaRecord* d : textOrder(l.a)) ASSERT_EQ(0, ensureInMemory(l.a, d->text));
  DeltaRecord* fresh = l.a.createDelta("9.9");  // a text only memory holds
  fresh->text.setPlain("cannot be read again\n");
  const uint64_t held = heldTextBytes(l.a);
  EXPECT_EQ(0u, releaseTexts(l.a, held + 1));  // more than held: nothing dropped
  EXPECT_EQ(held, heldTextBytes(l.a));
  const uint64_t freed = releaseTexts(l.a, held);
  EXPECT_LT(freed, held);  // the fresh text and the comment stay (the comment has an offset but is not walked)
  EXPECT_TRUE(fresh->text.inMemory());
  EXPECT_FALSE(l.a.description.inMemory());
  int rc = -1;
  EXPECT_EQ(l.data, writeToString(l.a, rc));  // dropped texts are read again from the file
}

}  // namespace
}  // namespace vc::archive::test
