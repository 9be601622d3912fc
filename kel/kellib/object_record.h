// The record codec: one kelObjectRecord image (fixed part and VarData) as
// the store keeps it, with typed access to its fields and its text lists.
//
// VarData holds lists of NUL-terminated texts, each list ended by an empty
// text, followed by one extra 0 byte. So a record without lists is 149 bytes,
// one empty list makes 150 and two make 151. Reading takes the lists from the
// bytes between the fixed part and that last byte.
//
// fromImage is where every stored image enters the library, and it refuses an
// image whose texts or lists do not end inside it: no reader of a record the
// library holds or hands out can then walk past its end.
#pragma once

#include "kel/kellib/include/kel.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kel {

using TextList = std::vector<std::string>;

class ObjectRecord {
 public:
  static constexpr std::size_t kFixedSize = KEL_VARDATA_OFFSET;
  static constexpr std::size_t kMaxSize = KEL_MAX_RECORD;
  static constexpr std::size_t kNameMax = 55;
  static constexpr std::size_t kTextSize = 64;

  // A zeroed fixed part and no lists (149 bytes).
  ObjectRecord();

  // Takes a stored image: 8 when longer than 4,096 bytes, 9 when shorter
  // than the fixed part or when its VarData is damaged (see wellFormed); out
  // is unchanged then.
  static int fromImage(std::string image, ObjectRecord& out);

  // Whether an image's VarData is whole: empty (a bare fixed part), or
  // complete lists (every text ended by a NUL, every list by an empty text)
  // followed by the extra 0 byte as its last byte.
  static bool wellFormed(std::string_view image);

  std::int32_t id() const { return field(0); }
  std::int32_t type() const { return field(4); }
  std::int32_t parent() const { return field(8); }
  void setId(std::int32_t v) { setField(0, v); }
  void setType(std::int32_t v) { setField(4, v); }
  void setParent(std::int32_t v) { setField(8, v); }

  std::string name() const;
  void setName(std::string_view name);  // cut to 55 characters
  std::string text() const;
  void setText(std::string_view text);  // cut to 63 characters
  // The raw 64 bytes of Text (attribute 0, a password hash).
  char* textField() { return image_.data() + offsetof(kelObjectRecord, Text); }
  const char* textField() const { return image_.data() + offsetof(kelObjectRecord, Text); }

  // Attrib1 to Attrib4 (n = 1..4).
  std::int32_t attrib(int n) const;
  void setAttrib(int n, std::int32_t v);

  std::vector<TextList> lists() const;
  // Replaces VarData. Empty texts cannot be stored (they end a list) and are
  // left out. 8 when the record would exceed 4,096 bytes; unchanged then.
  int setLists(const std::vector<TextList>& lists);

  std::size_t size() const { return image_.size(); }
  const std::string& image() const { return image_; }
  std::string& image() { return image_; }

  // A kelMalloc copy of the whole record for a caller (null when memory fails).
  kelObjectRecord* copyForCaller() const;

 private:
  std::int32_t field(std::size_t off) const;
  void setField(std::size_t off, std::int32_t v);
  std::string image_;
};

// A name as the database stores and finds it: cut to 55 characters.
std::string storedName(std::string_view name);

}  // namespace kel
