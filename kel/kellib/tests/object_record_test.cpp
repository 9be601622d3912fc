// The record codec: field layout, cutting, VarData lists, size limits and
// the refusal of images whose lists do not end inside them.
#include "kel/kellib/object_record.h"

#include <gtest/gtest.h>

#include <cstring>

using kel::ObjectRecord;
using kel::TextList;

namespace {

TEST(KelRecordCodec, ListCountsGiveTheDocumentedLengths) {
  struct {
    std::vector<TextList> lists;
    std::size_t size;
  } cases[] = {
      {{}, 149},
      {{TextList{}}, 150},
      {{TextList{}, TextList{}}, 151},
      {{TextList{"ab"}}, 148 + 3 + 1 + 1},
      {{TextList{"/a/b"}, TextList{}}, 148 + 5 + 1 + 1 + 1},
  };
  for (const auto& c : cases) {
    ObjectRecord r;
    ASSERT_EQ(r.setLists(c.lists), KEL_SUCCESS);
    EXPECT_EQ(r.size(), c.size);
    EXPECT_EQ(r.image().back(), '\0');
    EXPECT_EQ(r.lists(), c.lists);
  }
  EXPECT_EQ(ObjectRecord().size(), 149u);
  EXPECT_TRUE(ObjectRecord().lists().empty());
}

TEST(KelRecordCodec, FieldsLieWhereCallersReadThem) {
  ObjectRecord r;
  r.setId(7);
  r.setType(KEL_GROUP_MEMBER);
  r.setParent(3);
  r.setName("alice");
  r.setText("developers");
  for (int n = 1; n <= 4; ++n) r.setAttrib(n, 100 + n);
  ASSERT_EQ(r.setLists({TextList{"x", "y"}}), KEL_SUCCESS);
  kelObjectRecord* copy = r.copyForCaller();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->ObjectID, 7);
  EXPECT_EQ(copy->ObjectType, KEL_GROUP_MEMBER);
  EXPECT_EQ(copy->ParentID, 3);
  EXPECT_STREQ(copy->Name, "alice");
  EXPECT_STREQ(copy->Text, "developers");
  EXPECT_EQ(copy->Attrib1, 101);
  EXPECT_EQ(copy->Attrib4, 104);
  EXPECT_EQ(std::memcmp(KEL_VARDATA(copy), "x\0y\0\0\0", 6), 0);
  kelFree(copy);
}

TEST(KelRecordCodec, NamesAndTextsAreCutToTheirFields) {
  const std::string sixty(60, 'n');
  ObjectRecord r;
  r.setName(sixty);
  EXPECT_EQ(r.name(), sixty.substr(0, 55));
  EXPECT_EQ(kel::storedName(sixty), r.name());
  EXPECT_EQ(kel::storedName("short"), "short");
  r.setName("x");
  EXPECT_EQ(r.name(), "x") << "a shorter name clears the rest";
  r.setText(std::string(80, 't'));
  EXPECT_EQ(r.text(), std::string(63, 't'));
  EXPECT_EQ(r.textField()[63], '\0');

  // A damaged image whose Name field has no terminator reads as 55
  // characters, like any name the database stores.
  std::string image(149, '\0');
  std::memset(image.data() + offsetof(kelObjectRecord, Name), 'z', sizeof(kelObjectRecord::Name));
  ObjectRecord damaged;
  ASSERT_EQ(ObjectRecord::fromImage(image, damaged), KEL_SUCCESS);
  EXPECT_EQ(damaged.name(), std::string(55, 'z'));
}

TEST(KelRecordCodec, SizeLimitsOnWriteAndRead) {
  ObjectRecord r;
  ASSERT_EQ(r.setLists({TextList{"keep"}}), KEL_SUCCESS);
  const std::string before = r.image();
  // 148 + text + NUL + list end + extra byte = 4,096 exactly.
  EXPECT_EQ(r.setLists({TextList{std::string(4096 - 148 - 3, 'a')}}), KEL_SUCCESS);
  EXPECT_EQ(r.size(), 4096u);
  ASSERT_EQ(r.setLists({TextList{"keep"}}), KEL_SUCCESS);
  EXPECT_EQ(r.setLists({TextList{std::string(4096 - 148 - 2, 'a')}}), KEL_OUT_OF_MEMORY);
  EXPECT_EQ(r.image(), before) << "a refused write leaves the record";

  ObjectRecord out;
  EXPECT_EQ(ObjectRecord::fromImage(std::string(4097, '\0'), out), KEL_OUT_OF_MEMORY);
  EXPECT_EQ(ObjectRecord::fromImage(std::string(147, '\0'), out), KEL_BAD_FORMAT);
  EXPECT_EQ(ObjectRecord::fromImage(std::string(148, '\0'), out), KEL_SUCCESS);
  EXPECT_TRUE(out.lists().empty());
}

TEST(KelRecordCodec, ReadingStaysInsideTheRecord) {
  // lists() reads an image up to its end even when the image is cut inside
  // its lists (here set directly: fromImage refuses such an image).
  struct {
    std::string var;
    std::vector<TextList> lists;
  } cases[] = {
      {std::string("a\0b", 3), {TextList{"a", "b"}}},
      {std::string("a\0", 2), {TextList{"a"}}},
      {std::string("a\0\0b\0\0\0", 7), {TextList{"a"}, TextList{"b"}}},
      {std::string("\0\0\0\0", 4), {TextList{}, TextList{}, TextList{}}},
  };
  for (const auto& c : cases) {
    ObjectRecord r;
    r.image() = std::string(148, '\0') + c.var;
    EXPECT_EQ(r.lists(), c.lists);
  }
  ObjectRecord r;
  ASSERT_EQ(r.setLists({TextList{"", "a", std::string("b\0hidden", 8)}}), KEL_SUCCESS);
  EXPECT_EQ(r.lists(), (std::vector<TextList>{TextList{"a", "b"}})) << "empty texts cannot be stored";
}

TEST(KelRecordCodec, ImagesWhoseListsDoNotEndInsideAreRefused) {
  // VarData as stored; 9 when a text, a list or the extra byte is missing.
  struct {
    std::string var;
    int code;
  } cases[] = {
      {std::string(), KEL_SUCCESS},                      // a bare fixed part
      {std::string("\0", 1), KEL_SUCCESS},               // no lists
      {std::string("\0\0\0", 3), KEL_SUCCESS},           // two empty lists
      {std::string("ab\0\0\0", 5), KEL_SUCCESS},         // one list
      {std::string("a\0\0b\0\0\0", 7), KEL_SUCCESS},     // two lists
      {std::string("abc", 3), KEL_BAD_FORMAT},           // a text without its NUL
      {std::string("a\0b", 3), KEL_BAD_FORMAT},          // the last text cut
      {std::string("a\0", 2), KEL_BAD_FORMAT},           // the list's end missing
      {std::string("ab\0\0", 4), KEL_BAD_FORMAT},        // the extra byte missing
      {std::string("a\0\0b\0\0", 6), KEL_BAD_FORMAT},    // ... after two lists
      {std::string("\0x", 2), KEL_BAD_FORMAT},           // bytes after the extra one
  };
  for (const auto& c : cases) {
    const std::string image = std::string(148, '\0') + c.var;
    EXPECT_EQ(ObjectRecord::wellFormed(image), c.code == KEL_SUCCESS) << testing::PrintToString(c.var);
    ObjectRecord r;
    ASSERT_EQ(r.setLists({TextList{"before"}}), KEL_SUCCESS);
    const std::string before = r.image();
    EXPECT_EQ(ObjectRecord::fromImage(image, r), c.code) << testing::PrintToString(c.var);
    EXPECT_EQ(r.image(), c.code ? before : image) << "a refused image leaves the record";
  }
}

TEST(KelRecordCodec, CallersCopyEndsItsTextsAndLists) {
  // A caller walks the lists of its copy up to their empty texts: even an
  // image cut inside a text (which fromImage refuses) ends inside the block.
  for (const std::string& var : {std::string(), std::string("abc", 3), std::string("a\0b", 3)}) {
    ObjectRecord r;
    r.image() = std::string(148, '\0') + var;
    kelObjectRecord* copy = r.copyForCaller();
    ASSERT_NE(copy, nullptr);
    const char* p = reinterpret_cast<const char*>(copy) + 148;
    for (int list = 0; list < 2; ++list) {  // two lists, as a caller reads them
      while (*p) p += std::strlen(p) + 1;
      ++p;
    }
    EXPECT_LE(p - reinterpret_cast<const char*>(copy), static_cast<long>(148 + var.size() + 4)) << var;
    kelFree(copy);
  }
}

}  // namespace
