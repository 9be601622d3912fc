// Reading, finding, adding, rewriting and deleting object records of the
// open database, and the containment rule.
#include "kel/kellib/object_store.h"

#include "kel/kellib/damaged_records.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/well_known_names.h"

namespace kel {
namespace {

constexpr unsigned bit(int kind) { return 1u << kind; }

// Kinds allowed under each parent kind (index 0: the top level).
constexpr unsigned kAllowedChildren[] = {
    bit(KEL_PRODUCT) | bit(KEL_SECURITY_OBJECT),
    bit(KEL_PROJECT) | bit(KEL_USER) | bit(KEL_GROUP) | bit(KEL_ROLE) | bit(KEL_POLICY_LINE),
    bit(KEL_USER) | bit(KEL_GROUP) | bit(KEL_ROLE) | bit(KEL_POLICY_LINE),
    bit(KEL_ROLE),
    bit(KEL_ROLE) | bit(KEL_GROUP_MEMBER),
    bit(KEL_POLICY_LINE),
    bit(KEL_PERMISSION),
};

bool samePathIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x == '\\') x = '/';
    if (y == '\\') y = '/';
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The full path of a security object: the first text of its VarData.
std::string securityObjectPath(const ObjectRecord& rec) {
  auto lists = rec.lists();
  if (!lists.empty() && !lists[0].empty()) return lists[0][0];
  return rec.name();
}

rookdb::Store& store() { return *database().store; }

int ensureUser(std::int32_t scope, std::string_view name) {
  ObjectRecord user;
  int rc = findObject(KEL_USER, scope, name, user);
  if (rc != KEL_NOT_FOUND) return rc;
  rc = addObjectRecord(scope, KEL_USER, name);
  return rc == KEL_OBJECT_EXISTS ? KEL_SUCCESS : rc;
}

}  // namespace

int containmentCheck(int parentKind, int childKind) {
  if (parentKind < 0 || parentKind >= static_cast<int>(std::size(kAllowedChildren))) return KEL_INVALID_ARGUMENT;
  if (childKind < 1 || childKind > KEL_PERMISSION) return KEL_INVALID_ARGUMENT;
  return (kAllowedChildren[parentKind] & bit(childKind)) ? KEL_SUCCESS : KEL_INVALID_ARGUMENT;
}

int readFailure(int storeCode) {
  setExtraError(storeCode);
  if (storeCode == rookdb::kNotFound) return KEL_NOT_FOUND;
  if (storeCode == rookdb::kTooLong) return KEL_OUT_OF_MEMORY;
  return KEL_CANNOT_READ;
}

int writeFailure(int storeCode, int failCode) {
  setExtraError(storeCode);
  if (storeCode == rookdb::kTooLong) return KEL_OUT_OF_MEMORY;
  if (storeCode == rookdb::kNoUpdate) return KEL_READ_ONLY;
  return failCode;
}

int decodeStored(const std::string& image, ObjectRecord& out) {
  const int rc = ObjectRecord::fromImage(image, out);
  if (rc == KEL_BAD_FORMAT) noteDamagedRecord(image);
  return rc;
}

int readObject(std::int32_t id, ObjectRecord& out) {
  if (int rc = requireOpen()) return rc;
  std::string image;
  if (int rc = store().find(rookdb::Selection::id(id), image)) return readFailure(rc);
  return decodeStored(image, out);
}

int findObject(int kind, std::int32_t parent, std::string_view name, ObjectRecord& out) {
  if (int rc = requireOpen()) return rc;
  if (kind == KEL_SECURITY_OBJECT) {
    ObjectScan scan(rookdb::Selection::ofTypeUnder(kind, parent));
    ObjectRecord rec;
    int rc;
    bool skipped = false;  // a damaged one might have been the one sought
    while ((rc = scan.next(rec)) == KEL_SUCCESS || rc == KEL_BAD_FORMAT) {
      if (rc == KEL_BAD_FORMAT) {
        skipped = true;
      } else if (samePathIgnoringCase(securityObjectPath(rec), name)) {
        out = std::move(rec);
        return KEL_SUCCESS;
      }
    }
    if (rc == rookdb::kNotFound && skipped) return KEL_BAD_FORMAT;
    if (rc == rookdb::kNotFound) {
      setExtraError(rc);
      return KEL_NOT_FOUND;
    }
    return rc;
  }
  std::string image;
  if (int rc = store().find(rookdb::Selection::named(kind, parent, storedName(name)), image)) return readFailure(rc);
  return decodeStored(image, out);
}

int addObjectRecord(std::int32_t parent, int kind, std::string_view name, ObjectRecord* added) {
  if (int rc = requireWritable()) return rc;
  if (name.empty() || name.front() == '\0') return KEL_INVALID_ARGUMENT;
  Change change;
  if (int rc = change.begin(KEL_NOT_ADDED)) return rc;

  ObjectRecord rec;
  int rc = findObject(kind, parent, name, rec);
  if (rc == KEL_SUCCESS) return KEL_OBJECT_EXISTS;
  if (rc != KEL_NOT_FOUND) return rc;

  std::string text;
  if (kind == KEL_USER && parent != database().globalId()) {
    if ((rc = ensureUser(database().globalId(), name))) return rc;
  } else if (kind == KEL_GROUP_MEMBER) {
    ObjectRecord group;
    if ((rc = readObject(parent, group))) return rc;
    text = group.name();
    if (group.parent() != 0 && (rc = ensureUser(group.parent(), name))) return rc;
  }

  rec = ObjectRecord();
  rec.setType(kind);
  rec.setParent(parent);
  rec.setName(name);
  rec.setText(text);
  rc = KEL_SUCCESS;
  if (kind == KEL_USER || kind == KEL_FRAGMENT)
    rc = rec.setLists({TextList{}});
  else if (kind == KEL_SECURITY_OBJECT)
    rc = rec.setLists({TextList{std::string(name)}, TextList{}});
  if (rc) return rc;
  if ((rc = store().add(rec.image()))) return writeFailure(rc, KEL_NOT_ADDED);

  if (kind == KEL_PROJECT) {
    ObjectRecord statement;
    statement.setType(KEL_POLICY_STATEMENT);
    statement.setParent(rec.id());
    statement.setName(kPolicyStatementName);
    statement.setLists({TextList{}, TextList{}});
    if ((rc = store().add(statement.image()))) return writeFailure(rc, KEL_NOT_ADDED);
  }
  if ((rc = change.commit(KEL_NOT_ADDED))) return rc;
  if (added) *added = std::move(rec);
  return KEL_SUCCESS;
}

int rewriteObject(const ObjectRecord& rec) {
  if (int rc = requireWritable()) return rc;
  if (rec.size() > ObjectRecord::kMaxSize) return KEL_OUT_OF_MEMORY;
  if (int rc = store().rewrite(rec.image())) return writeFailure(rc, KEL_CANNOT_WRITE);
  return KEL_SUCCESS;
}

int deleteObjectTree(std::int32_t id) {
  if (int rc = requireWritable()) return rc;
  int rc = store().eraseSubtree(id);
  if (rc == rookdb::kNotFound) return readFailure(rc);
  if (rc) return writeFailure(rc, KEL_NOT_DELETED);
  return KEL_SUCCESS;
}

int ObjectScan::next(ObjectRecord& out) {
  if (int rc = requireOpen()) return rc;
  std::string image;
  int rc = started_ ? store().next(cursor_, image) : store().first(cursor_, image);
  started_ = true;
  if (rc == rookdb::kNotFound) return rookdb::kNotFound;
  if (rc) return readFailure(rc);
  return decodeStored(image, out);
}

Change::~Change() {
  if (active_ && database().store) database().store->rollback();
}

int Change::begin(int failCode) {
  if (int rc = requireWritable()) return rc;
  if (int rc = store().begin()) return writeFailure(rc, failCode);
  active_ = true;
  return KEL_SUCCESS;
}

int Change::commit(int failCode) {
  if (!active_) return KEL_IMPOSSIBLE;
  active_ = false;
  if (int rc = store().commit()) return writeFailure(rc, failCode);
  return KEL_SUCCESS;
}

}  // namespace kel
