// The text entries kept in the lists of records: policy lines of a policy
// statement and permission entries of a role, written
//   [Enforce][No]key[=value | " = "value]
// Keys compare without case after the prefixes; a key ends at the end of the
// text, "=", a blank, a tab or a line feed, so "CheckInAll" is not "CheckIn".
#pragma once

#include "kel/kellib/object_record.h"

#include <optional>
#include <string>
#include <string_view>

namespace kel {

// Flags of an entry, as kelGetOption and the resolvers give them.
inline constexpr int kEntryNo = 1;        // the "No" prefix: the entry is off
inline constexpr int kEntryNotFound = 2;  // no entry matched
inline constexpr int kEntryEnforce = 4;   // the "Enforce" prefix

struct EntryParts {
  int flags = 0;                     // kEntryEnforce | kEntryNo
  std::string_view key;              // after the prefixes, up to its terminator
  std::optional<std::string_view> value;  // the text after the first "=" that follows the key
};

EntryParts splitEntry(std::string_view entry);

// True when both texts name the same key (prefixes and values ignored).
bool sameEntryKey(std::string_view a, std::string_view b);

// The first entry of list whose key is key (compared without case), or null.
const std::string* findEntry(const TextList& list, std::string_view key);

// Puts entry into list: it replaces the first entry with the same key, in
// place, or is appended. An empty entry is ignored.
void putEntry(TextList& list, std::string_view entry);

// Removes every entry with the key of entry; false when there was none.
bool removeEntry(TextList& list, std::string_view entry);

// ASCII comparison without case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kel
