// Objects in the open database: reading, finding, adding (with the side
// effects every add has), rewriting and deleting records, scans, write
// transactions, and the rule of which kind may sit under which.
//
// Every call here works on the database opened by kelOpenDB and answers kel
// result codes, keeping the store's own code for kelExtraError:
//   22 not found, 202 read failure, 203 write failure, 24 add failure,
//   8 record too long or no memory, 9 damaged record, 26 read-only,
//   210 not open.
#pragma once

#include "kel/kellib/object_record.h"
#include "platform/rookdb/include/rookdb/store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kel {

// 0 when a record of kind child may be added under a parent of kind
// parentKind (0: top level), else 5.
int containmentCheck(int parentKind, int childKind);

// Every image read from the store becomes a record here: 0, 8 when too long,
// or 9 for a damaged record (VarData that does not end inside it), which is
// noted with its key (damaged_records.h); out is unchanged then.
int decodeStored(const std::string& image, ObjectRecord& out);

int readObject(std::int32_t id, ObjectRecord& out);
// Finds (kind, parent, name); the name is cut to 55 characters the way it is
// stored. Security objects (kind 9) are found by their full path, kept first
// in VarData, compared without case and with "/" equal to "\".
int findObject(int kind, std::int32_t parent, std::string_view name, ObjectRecord& out);

// Adds the record (parent, kind, name) in one write transaction: 21 when it
// exists; a user under a scope other than the global module is first added
// to the global module; a group member is first made a user of its group's
// scope and carries the group's name in Text; a project gets its own
// "Policy Statement". added (optional) receives the new record.
int addObjectRecord(std::int32_t parent, int kind, std::string_view name, ObjectRecord* added = nullptr);

// Writes a changed record back (8 when it would exceed 4,096 bytes; the
// stored record is then unchanged).
int rewriteObject(const ObjectRecord& rec);

// Deletes a record and all its descendants at once (22 when missing,
// 23 when the delete fails).
int deleteObjectTree(std::int32_t id);

// A scan over the open database; its own cursor, so it survives nested
// scans, calls from callbacks and deletions while it runs.
class ObjectScan {
 public:
  explicit ObjectScan(rookdb::Selection s) : cursor_(std::move(s)) {}
  // 0 with the next record, 101 at the end, 202 or 8 on failure, 9 for a
  // damaged record (the scan may go on past it).
  int next(ObjectRecord& out);

 private:
  rookdb::Cursor cursor_;
  bool started_ = false;
};

// One change ("lock mode 2"): a write transaction on the open database that
// covers the reads it depends on. Nested changes join the outer one.
class Change {
 public:
  Change() = default;
  ~Change();
  Change(const Change&) = delete;
  Change& operator=(const Change&) = delete;
  // 0, 26 (read-only), 210 (not open) or failCode with the store's code kept.
  int begin(int failCode = KEL_CANNOT_WRITE);
  int commit(int failCode = KEL_CANNOT_WRITE);

 private:
  bool active_ = false;
};

// The store's code of a failed write as a kel code (failCode in general,
// 8 for a record too long); the store's code is kept for kelExtraError.
int writeFailure(int storeCode, int failCode);
int readFailure(int storeCode);

}  // namespace kel
