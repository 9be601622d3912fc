// Fault injection for the few operating-system calls of rookdb that tests
// cannot make fail by other means (CI runs as root, so permissions deny
// nothing), and for a record write that fails as a full or failing disk
// would make it. Production code never arms a fault.
#pragma once

namespace rookdb::fault {

enum class Point {
  LockOpen,  // opening or creating B.lok
  Publish,   // moving a newly built B.dat into place
  RecordAdd, // adding a record (Store::add answers kSystemBase + errno)
};

// The next call at the point fails with the given errno value.
void failNext(Point p, int err);
void clear();

// Used by the store: the armed errno for a point (consumed), or 0.
int take(Point p);

}  // namespace rookdb::fault
