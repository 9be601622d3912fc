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
  Loaded l(read_file(fixture_dir() + "/access.v"));
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_EQ((std::vector<std::string>{"joe", "Mary Ann", "zed"}), l.a.access);
  EXPECT_EQ((std::vector<std::string>{"Developers", "QA Team"}), l.a.security_objects);
  ASSERT_EQ(2u, l.a.symbols.size());
  EXPECT_EQ("v1_fix", l.a.symbols[1].name);
  EXPECT_EQ("1.2.1.1", l.a.symbols[1].revision);
  ASSERT_EQ(2u, l.a.locks.size());
  EXPECT_EQ("zed", l.a.locks[1].user);
  EXPECT_EQ("1.2.1", l.a.default_branch);
  EXPECT_TRUE(l.a.flags & kFlagStrict);
  EXPECT_FALSE(l.a.flags & kFlagFormatStated);

  Loaded b(read_file(fixture_dir() + "/ext_binary.v"));
  ASSERT_EQ(0, read_header(b.a));
  EXPECT_TRUE(b.a.flags & kFlagBinary);
  EXPECT_TRUE(b.a.flags & kFlagFormatStated);
  EXPECT_TRUE(b.a.has_extension);
  EXPECT_FALSE(b.a.extension.in_memory());  // read on demand
  std::string ext;
  ASSERT_EQ(0, load_text(b.a, b.a.extension, ext));
  EXPECT_EQ("project /home/u/p.prj\nproject /home/u/q.prj\n", ext);
}

TEST(Model, EmptyArchiveHasNoHead) {
  Loaded l(read_file(fixture_dir() + "/empty.v"));
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_EQ(nullptr, l.a.head);
  ASSERT_EQ(0, read_texts(l.a, nullptr));
  EXPECT_EQ(ReadState::All, l.a.read_state);
}

TEST(Model, TextsCountsAndAtSigns) {
  Loaded l(read_file(fixture_dir() + "/at_signs.v"));
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_EQ("@ ", undouble_at(*l.a.comment.data));
  EXPECT_EQ("user@example.com\n@@\n", undouble_at(*l.a.description.data));
  DeltaRecord* d = l.a.lookup("1.2");
  ASSERT_EQ(0, read_texts(l.a, d));
  EXPECT_EQ("fixed a@@b\n", *d->log.data);
  EXPECT_EQ(10u, d->log.chars);
  EXPECT_EQ(11u, d->log.stored_length);
  EXPECT_EQ(1u, d->log.lines);
  ASSERT_TRUE(d->text.in_memory());  // the head lies on its own path
  EXPECT_EQ("@@\n@\nx@y\n", undouble_at(*d->text.data));
  EXPECT_EQ(3u, d->text.lines);
}

TEST(Model, OnlyTextsOnThePathAreKept) {
  Loaded l(read_file(fixture_dir() + "/branches.v"));
  ASSERT_EQ(0, read_header(l.a));
  ASSERT_EQ(0, read_texts(l.a, l.a.lookup("1.2.1.1.1.1")));
  for (const char* on : {"1.3", "1.2", "1.2.1.1", "1.2.1.1.1.1"}) EXPECT_TRUE(l.a.lookup(on)->text.in_memory()) << on;
  EXPECT_FALSE(l.a.lookup("1.2.2.1")->text.in_memory());
  EXPECT_TRUE(l.a.lookup("1.2.2.1")->log.in_memory());
  EXPECT_EQ(DeltaRecord::Texts::Unread, l.a.lookup("1.2.1.2")->texts);
  std::string t;
  ASSERT_EQ(0, load_text(l.a, l.a.lookup("1.2.2.1")->text, t));
  EXPECT_EQ("a2 1\nerin's line\n", t);
}

TEST(Model, RecordAndTextOrder) {
  Loaded l(read_file(fixture_dir() + "/branches.v"));
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_EQ((std::vector<std::string>{"1.3", "1.2", "1.1", "1.2.1.1", "1.2.1.2", "1.2.1.1.1.1", "1.2.2.1"}),
            revisions(record_order(l.a)));
  EXPECT_EQ((std::vector<std::string>{"1.3", "1.2", "1.2.2.1", "1.2.1.1", "1.2.1.1.1.1", "1.2.1.2", "1.1"}),
            revisions(text_order(l.a)));
  EXPECT_EQ(l.a.lookup("1.2"), l.a.lookup("1.2.2.1")->parent);
  EXPECT_EQ(l.a.lookup("1.2.1.1"), l.a.lookup("1.2.1.2")->parent);
}

TEST(Model, FindDeltaAndNearest) {
  Loaded l(read_file(fixture_dir() + "/branches.v"));
  ASSERT_EQ(0, read_header(l.a));
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
    DeltaRecord* d = find_delta(l.a, c.wanted);
    EXPECT_EQ(c.found, d != nullptr) << c.wanted;
    ASSERT_NE(nullptr, l.a.current) << c.wanted;
    EXPECT_EQ(c.current, l.a.current->revision) << c.wanted;
  }
}

TEST(Model, ExtensionAttributes) {
  Loaded l(read_file(fixture_dir() + "/ext_binary.v"));
  ASSERT_EQ(0, read_header(l.a));
  ASSERT_EQ(0, read_texts(l.a, nullptr));
  const auto& x = l.a.lookup("1.2")->ext;
  ASSERT_EQ(2u, x.size());
  EXPECT_EQ("proj", x[0].name);
  EXPECT_FALSE(x[0].is_reference);
  EXPECT_EQ("a@@b c d", x[0].data);
  EXPECT_TRUE(x[1].is_reference);
  EXPECT_EQ("1.1", x[1].revision);
  std::string t;
  ASSERT_EQ(0, load_text(l.a, l.a.lookup("1.2")->text, t));
  EXPECT_EQ(std::string("\x00\x01\x02\xff\xfe@@\r\n", 9), t);

  std::vector<ExtAttribute> back;
  EXPECT_TRUE(decode_ext_attributes(encode_ext_attributes(x), back));
  for (const char* bad : {"", "name\n", "name 3 ab \n", "name rev \n", "a 1 b c\n", "a 1 b \nx"})
    EXPECT_FALSE(decode_ext_attributes(bad, back)) << bad;
}

TEST(QuickMode, StopsAtTargetAndIsNeverWritten) {
  const std::string bytes = read_file(fixture_dir() + "/branches.v");
  Loaded l(bytes);
  ReadOptions q;
  q.quick = true;
  q.target = "1.1";
  ASSERT_EQ(0, read_header(l.a, q));
  EXPECT_TRUE(l.a.quick_header);
  EXPECT_NE(nullptr, l.a.lookup("1.1"));
  EXPECT_FALSE(l.a.lookup("1.2.1.1")->defined);
  EXPECT_FALSE(l.a.description.in_memory());

  StringSink sink;
  WriteResult r;
  EXPECT_EQ(err::kCatastrophe, write_archive(l.a, sink, WriteOptions{}, r));
  EXPECT_TRUE(sink.text.empty());

  // A full read replaces the quick header.
  ASSERT_EQ(0, read_header(l.a));
  EXPECT_FALSE(l.a.quick_header);
  int rc = -1;
  EXPECT_EQ(bytes, write_to_string(l.a, rc));
}

// The way check-in builds revisions: records made in memory, texts detached
// from any file. What is written reads back with the same content.
TEST(Build, NewArchiveFromMemory) {
  ArchiveFile a;
  a.read_state = ReadState::All;
  a.flags |= kFlagStrict;
  a.comment.set_plain("# ");
  a.description.set_plain("made in memory, with @\n");
  DeltaRecord* r2 = a.create_delta("1.2");
  DeltaRecord* r1 = a.create_delta("1.1");
  DeltaRecord* b1 = a.create_delta("1.1.1.1");
  ASSERT_EQ(nullptr, a.create_delta("1.1"));
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
    d->change_flags |= kDeltaChanged;
    d->log.set_plain("log of " + d->revision + " @\n");
  }
  r2->text.set_plain("full text\n");
  r1->text.set_plain("d1 1\na1 1\nold\n");
  b1->text.set_plain("a1 1\nbranch\n");
  b1->ext.push_back({"ref", true, "1.1", ""});
  a.symbols.push_back({"1.1.1.1", "fix"});
  a.locks.push_back({"1.2", "me"});

  int rc = -1;
  const std::string written = write_to_string(a, rc);
  ASSERT_EQ(0, rc);
  Loaded back(written);
  ASSERT_EQ(0, read_header(back.a));
  EXPECT_TRUE(back.a.source_canonical);
  ASSERT_EQ(0, read_texts(back.a, nullptr));
  EXPECT_EQ(dump_texts(a), dump_texts(back.a));
  EXPECT_EQ("made in memory, with @@\n", *back.a.description.data);
  EXPECT_EQ(written, write_to_string(back.a, rc));
}

// Names with a blank are quoted wherever they stand, so they read back whole.
TEST(Build, NamesWithBlanksReadBack) {
  Loaded l(read_file(fixture_dir() + "/one.v"));
  ASSERT_EQ(0, read_header(l.a));
  l.a.symbols.push_back({"1.1", "first cut"});
  l.a.locks.push_back({"1.1", "Mary Ann"});
  l.a.head->author = "Joe Bloggs";
  l.a.head->state = "In Test";
  int rc = -1;
  const std::string written = write_to_string(l.a, rc);
  ASSERT_EQ(0, rc);
  Loaded back(written);
  ASSERT_EQ(0, read_header(back.a));
  ASSERT_EQ(0, read_texts(back.a, nullptr));
  EXPECT_EQ("first cut", back.a.symbols.at(0).name);
  EXPECT_EQ("Mary Ann", back.a.locks.at(0).user);
  EXPECT_EQ("Joe Bloggs", back.a.head->author);
  EXPECT_EQ("In Test", back.a.head->state);
}

TEST(Memory, ReleaseDropsOnlyRereadableCopies) {
  Loaded l(read_file(fixture_dir() + "/branches.v"));
  ASSERT_EQ(0, read_header(l.a));
  ASSERT_EQ(0, read_texts(l.a, nullptr));
  for (DeltaRecord* d : text_order(l.a)) ASSERT_EQ(0, ensure_in_memory(l.a, d->text));
  DeltaRecord* fresh = l.a.create_delta("9.9");  // a text only memory holds
  fresh->text.set_plain("cannot be read again\n");
  const uint64_t held = held_text_bytes(l.a);
  EXPECT_EQ(0u, release_texts(l.a, held + 1));  // more than held: nothing dropped
  EXPECT_EQ(held, held_text_bytes(l.a));
  const uint64_t freed = release_texts(l.a, held);
  EXPECT_LT(freed, held);  // the fresh text and the comment stay (the comment has an offset but is not walked)
  EXPECT_TRUE(fresh->text.in_memory());
  EXPECT_FALSE(l.a.description.in_memory());
  int rc = -1;
  EXPECT_EQ(l.data, write_to_string(l.a, rc));  // dropped texts are read again from the file
}

}  // namespace
}  // namespace vc::archive::test
