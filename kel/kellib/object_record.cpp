// The record codec of kelObjectRecord images.
#include "kel/kellib/object_record.h"

#include "platform/rookdb/include/rookdb/store.h"

#include <cstddef>
#include <cstring>

namespace kel {

static_assert(sizeof(kelObjectRecord) == 148, "the fixed part is 148 bytes");
static_assert(offsetof(kelObjectRecord, ObjectID) == rookdb::Layout::kIdOffset);
static_assert(offsetof(kelObjectRecord, ObjectType) == rookdb::Layout::kTypeOffset);
static_assert(offsetof(kelObjectRecord, ParentID) == rookdb::Layout::kParentOffset);
static_assert(offsetof(kelObjectRecord, Name) == rookdb::Layout::kNameOffset);
static_assert(sizeof(kelObjectRecord::Name) == rookdb::Layout::kNameSize);
static_assert(offsetof(kelObjectRecord, Text) == 68);
static_assert(offsetof(kelObjectRecord, Attrib1) == 132);
static_assert(offsetof(kelObjectRecord, Attrib4) == 144);
static_assert(KEL_VARDATA_OFFSET == rookdb::Layout::kFixedSize);
static_assert(KEL_MAX_RECORD == rookdb::Layout::kMaxRecord);

namespace {

std::string cut(std::string_view s, std::size_t max) {
  s = s.substr(0, std::min(s.find('\0'), s.size()));
  return std::string(s.substr(0, max));
}

std::string fixedText(const char* p, std::size_t size) { return std::string(p, strnlen(p, size)); }

}  // namespace

std::string storedName(std::string_view name) { return cut(name, ObjectRecord::kNameMax); }

ObjectRecord::ObjectRecord() : image_(kFixedSize + 1, '\0') {}

bool ObjectRecord::wellFormed(std::string_view image) {
  if (image.size() < kFixedSize) return false;
  if (image.size() == kFixedSize) return true;
  // The lists lie between the fixed part and the extra byte, which must be
  // the image's last: so a reader that takes one list more than were written
  // still finds it empty inside the record.
  const std::size_t end = image.size() - 1;
  if (image[end] != '\0') return false;
  std::size_t pos = kFixedSize;
  while (pos < end) {  // one list per turn
    for (;;) {
      const std::size_t stop = image.find('\0', pos);
      if (stop >= end) return false;  // a text or the list's end runs into the extra byte
      const bool listEnd = stop == pos;
      pos = stop + 1;
      if (listEnd) break;
    }
  }
  return true;
}

int ObjectRecord::fromImage(std::string image, ObjectRecord& out) {
  if (image.size() > kMaxSize) return KEL_OUT_OF_MEMORY;
  if (!wellFormed(image)) return KEL_BAD_FORMAT;
  out.image_ = std::move(image);
  return KEL_SUCCESS;
}

std::int32_t ObjectRecord::field(std::size_t off) const {
  std::int32_t v;
  std::memcpy(&v, image_.data() + off, sizeof v);
  return v;
}

void ObjectRecord::setField(std::size_t off, std::int32_t v) { std::memcpy(image_.data() + off, &v, sizeof v); }

// A stored image whose Name field lacks its terminator (a damaged store)
// still reads as a name the database could have stored.
std::string ObjectRecord::name() const {
  return fixedText(image_.data() + offsetof(kelObjectRecord, Name), kNameMax);
}

void ObjectRecord::setName(std::string_view name) {
  char* p = image_.data() + offsetof(kelObjectRecord, Name);
  std::memset(p, 0, sizeof(kelObjectRecord::Name));
  std::string s = storedName(name);
  std::memcpy(p, s.data(), s.size());
}

std::string ObjectRecord::text() const { return fixedText(textField(), kTextSize); }

void ObjectRecord::setText(std::string_view text) {
  std::memset(textField(), 0, kTextSize);
  std::string s = cut(text, kTextSize - 1);
  std::memcpy(textField(), s.data(), s.size());
}

std::int32_t ObjectRecord::attrib(int n) const {
  return n >= 1 && n <= 4 ? field(offsetof(kelObjectRecord, Attrib1) + 4 * static_cast<std::size_t>(n - 1)) : 0;
}

void ObjectRecord::setAttrib(int n, std::int32_t v) {
  if (n >= 1 && n <= 4) setField(offsetof(kelObjectRecord, Attrib1) + 4 * static_cast<std::size_t>(n - 1), v);
}

std::vector<TextList> ObjectRecord::lists() const {
  std::vector<TextList> out;
  if (image_.size() <= kFixedSize) return out;
  std::size_t end = image_.size();
  if (image_[end - 1] == '\0') --end;  // the extra byte after the last list
  std::size_t pos = kFixedSize;
  while (pos < end) {
    TextList list;
    while (pos < end) {
      std::size_t stop = image_.find('\0', pos);
      if (stop == std::string::npos || stop > end) stop = end;
      if (stop == pos) {  // the empty text that ends the list
        ++pos;
        break;
      }
      list.emplace_back(image_, pos, stop - pos);
      pos = stop + 1;
    }
    out.push_back(std::move(list));
  }
  return out;
}

int ObjectRecord::setLists(const std::vector<TextList>& lists) {
  std::string var;
  for (const auto& list : lists) {
    for (const auto& t : list) {
      std::string_view s(t.c_str());  // a text ends at its first NUL
      if (s.empty()) continue;
      var.append(s);
      var.push_back('\0');
    }
    var.push_back('\0');
  }
  var.push_back('\0');
  if (kFixedSize + var.size() > kMaxSize) return KEL_OUT_OF_MEMORY;
  image_.resize(kFixedSize);
  image_ += var;
  return KEL_SUCCESS;
}

// Callers walk the lists up to their empty texts without knowing the
// block's size, so the copy always ends in zero bytes: a short or damaged
// image still ends its last text and its lists inside the block.
kelObjectRecord* ObjectRecord::copyForCaller() const {
  constexpr std::size_t kTerminators = 4;
  const std::size_t size = image_.size() + kTerminators;
  void* block = kelMalloc(static_cast<long>(size));
  if (block) {
    std::memcpy(block, image_.data(), image_.size());
    std::memset(static_cast<char*>(block) + image_.size(), 0, kTerminators);
  }
  return static_cast<kelObjectRecord*>(block);
}

}  // namespace kel
