// Fuzzes the security database's record codec: any image is taken (or
// refused with its code), its fields and text lists are read, and the lists
// written back into a record read the same again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kel/kellib/object_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kel::ObjectRecord r;
  if (kel::ObjectRecord::fromImage(std::string(reinterpret_cast<const char*>(data), size), r) != 0)
    return 0;
  (void)r.id();
  (void)r.type();
  (void)r.parent();
  for (int n = 1; n <= 4; ++n) (void)r.attrib(n);
  const std::string name = r.name();
  const std::string text = r.text();
  if (name.size() > kel::ObjectRecord::kNameMax || text.size() > kel::ObjectRecord::kTextSize)
    __builtin_trap();
  const auto lists = r.lists();

  // The lists survive a write into a fresh record (when they fit) and a read
  // of that record's image.
  kel::ObjectRecord copy;
  copy.setName(name);
  copy.setText(text);
  if (copy.name() != name || copy.text() != text.substr(0, kel::ObjectRecord::kTextSize - 1)) __builtin_trap();
  if (copy.setLists(lists) != 0) return 0;
  if (copy.lists() != lists) __builtin_trap();
  kel::ObjectRecord again;
  if (kel::ObjectRecord::fromImage(copy.image(), again) != 0 || again.lists() != lists ||
      again.image() != copy.image())
    __builtin_trap();
  kelObjectRecord* forCaller = copy.copyForCaller();
  kelFree(forCaller);
  return 0;
}
