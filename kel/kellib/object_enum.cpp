// Listing objects: kelEnumInfo.
//
// Every walk keeps its own cursor and hands the callback a private copy of
// each record, so a callback may call the library again (the revision
// library fetches fragments from inside its policy-statement walk) without
// the walk skipping, repeating or seeing a changed record.
//
// A damaged record (its VarData does not end inside it) is never handed to
// the callback: the walk skips it, counts it and goes on with the rest. The
// call still answers 0 then; kelExtraError answers 9 after such a walk and 0
// after a walk that met none.
#include "kel/kellib/damaged_records.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"

namespace kel {
namespace {

bool listedFromTop(int kind) {
  return kind == KEL_GLOBAL_MODULE || kind == KEL_PROJECT || kind == KEL_PRODUCT || kind == KEL_SECURITY_OBJECT;
}

// Calls back for one record: 1 to go on, else the answer that ends the walk.
// The copy ends in zero bytes, like a caller's copy of a single record, so a
// callback that reads more lists than the kind has stays inside it.
int visit(kelEnumCallback callback, const ObjectRecord& rec) {
  std::string copy = rec.image();
  copy.append(4, '\0');
  const std::string name = rec.name();
  return callback(rec.type(), name.c_str(), reinterpret_cast<const kelObjectRecord*>(copy.data()));
}

// Walks kind under parent; groups are followed by their members. stopped
// tells an answer that ended the walk from the walk's own result; skipped
// counts the damaged records passed over (a damaged group counts once: its
// members cannot be reached without it).
int walk(int kind, std::int32_t parent, kelEnumCallback callback, bool& stopped, int& skipped) {
  ObjectScan scan(rookdb::Selection::ofTypeUnder(kind, parent));
  ObjectRecord rec;
  int rc;
  while ((rc = scan.next(rec)) == KEL_SUCCESS || rc == KEL_BAD_FORMAT) {
    if (rc == KEL_BAD_FORMAT) {
      ++skipped;
      continue;
    }
    int answer = visit(callback, rec);
    if (answer != 1) {
      stopped = true;
      return answer;
    }
    if (kind == KEL_GROUP) {
      rc = walk(KEL_GROUP_MEMBER, rec.id(), callback, stopped, skipped);
      if (rc || stopped) return rc;
    }
  }
  return rc == rookdb::kNotFound ? KEL_SUCCESS : rc;
}

int enumInfo(int scopeKind, const char* scopeName, int kind, kelEnumCallback callback) {
  if (int rc = requireInitialised()) return rc;
  if (kind < KEL_GLOBAL_MODULE || kind > KEL_SECURITY_OBJECT || !callback) return KEL_INVALID_ARGUMENT;
  if (int rc = requireOpen()) return rc;
  std::int32_t parent = 0;
  if (!listedFromTop(kind)) {
    ObjectRecord scope;
    if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
    parent = scope.id();
  }
  bool stopped = false;
  int skipped = 0;
  setExtraError(0);
  const int rc = walk(kind, parent, callback, stopped, skipped);
  setLastEnumerationSkipped(skipped);  // each skip kept 9 for kelExtraError
  return rc;
}

}  // namespace
}  // namespace kel

extern "C" KEL_API kelResult kelEnumInfo(int scopeKind, const char* scopeName, int kind, kelEnumCallback callback) {
  return kel::exportBarrier([&]() -> int { return kel::enumInfo(scopeKind, scopeName, kind, callback); });
}
