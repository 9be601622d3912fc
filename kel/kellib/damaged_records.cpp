// The notes of damaged records met by reads and enumerations.
#include "kel/kellib/damaged_records.h"

#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_record.h"
#include "platform/rookdb/include/rookdb/store.h"

#include <algorithm>

namespace kel {
namespace {

struct Notes {
  std::vector<DamagedRecord> records;
  int enumerationSkipped = 0;
};

Notes& notes() {
  static Notes n;
  return n;
}

}  // namespace

void noteDamagedRecord(std::string_view image) {
  setExtraError(rookdb::kBadFormat);
  if (image.size() < ObjectRecord::kFixedSize) return;
  auto& records = notes().records;
  const std::int32_t id = rookdb::imageId(image);
  if (records.size() >= kDamagedKept ||
      std::any_of(records.begin(), records.end(), [&](const DamagedRecord& r) { return r.id == id; }))
    return;
  records.push_back({id, rookdb::imageType(image), rookdb::imageParent(image), std::string(rookdb::imageName(image))});
}

std::vector<DamagedRecord> takeDamagedRecords() {
  std::vector<DamagedRecord> out;
  out.swap(notes().records);
  return out;
}

int lastEnumerationSkipped() { return notes().enumerationSkipped; }
void setLastEnumerationSkipped(int count) { notes().enumerationSkipped = count; }

}  // namespace kel
