// What the administration tool needs of the library beyond the kel* calls,
// for tools that link the library's objects (kel_admin) rather than load
// libkel32.so: a write transaction around several calls, and the damaged
// records the calls met. Not part of the shared library's interface.
#pragma once

#include "kel/kellib/damaged_records.h"
#include "kel/kellib/object_store.h"

namespace kel::admin {

// One change made of several kel* calls on the open database: begin() starts
// a write transaction that every call until commit() joins (their own
// transactions nest inside it), so either all of their changes are kept or
// none is. A batch dropped without commit() undoes them.
class Batch {
 public:
  // 0, 26 (read-only), 210 (not open) or 203 with the store's code kept.
  int begin() { return change_.begin(); }
  // 0, or 203 (nothing kept) with the store's code kept.
  int commit() { return change_.commit(); }

 private:
  Change change_;
};

}  // namespace kel::admin
