// Records the library refused to read because their VarData does not end
// inside them (ObjectRecord::wellFormed). Reads answer 9 for such a record
// and enumerations skip it; both leave its key here, so that a tool can say
// which record of the file is damaged, and the enumeration leaves how many
// it skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kel {

// The key of a damaged record, as the store keeps it.
struct DamagedRecord {
  std::int32_t id = 0;
  std::int32_t type = 0;
  std::int32_t parent = 0;
  std::string name;
};

// Notes a refused image (at least a fixed part long) and keeps the store's
// code for a malformed record (9) for kelExtraError. Each record is noted
// once until taken; at most kDamagedKept are kept.
constexpr std::size_t kDamagedKept = 64;
void noteDamagedRecord(std::string_view image);

// The damaged records noted since the last call, oldest first.
std::vector<DamagedRecord> takeDamagedRecords();

// How many records the last kelEnumInfo skipped as damaged.
int lastEnumerationSkipped();
void setLastEnumerationSkipped(int count);

}  // namespace kel
