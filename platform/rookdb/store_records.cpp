// Adding, rewriting, deleting and scanning records.
//
// A scan asks each time for the first record whose key is greater than the
// last key it returned, so it holds no engine state between calls.
#include "platform/rookdb/include/rookdb/fault_seam.h"
#include "platform/rookdb/include/rookdb/store.h"
#include "platform/rookdb/sqlite_statement.h"

#include <cstring>
#include <limits>

namespace rookdb {
namespace {

std::int32_t readInt(std::string_view image, std::size_t off) {
  std::int32_t v;
  std::memcpy(&v, image.data() + off, sizeof v);
  return v;
}

int checkImage(std::string_view image) {
  if (image.size() < Layout::kFixedSize) return kBadArgument;
  if (image.size() > Layout::kMaxRecord) return kTooLong;
  return kOk;
}

// The text after WHERE and the ORDER BY of each (key, significant parts).
// :a, :b, :n are the selection; :lt, :lp, :ln, :li the last key returned.
const char* scanCondition(int key, int parts) {
  switch (key * 10 + parts) {
    case 10: return "id > :li ORDER BY id";
    case 11: return "id = :a AND id > :li ORDER BY id";
    case 20: return "(type, parent, name, id) > (:lt, :lp, :ln, :li) ORDER BY type, parent, name, id";
    case 21: return "type = :a AND (parent, name, id) > (:lp, :ln, :li) ORDER BY parent, name, id";
    case 22: return "type = :a AND parent = :b AND (name, id) > (:ln, :li) ORDER BY name, id";
    case 23: return "type = :a AND parent = :b AND name = :n AND id > :li ORDER BY id";
    case 30: return "(parent, id) > (:lp, :li) ORDER BY parent, id";
    case 31: return "parent = :a AND id > :li ORDER BY id";
    default: return nullptr;
  }
}

}  // namespace

std::int32_t imageId(std::string_view image) { return readInt(image, Layout::kIdOffset); }
std::int32_t imageType(std::string_view image) { return readInt(image, Layout::kTypeOffset); }
std::int32_t imageParent(std::string_view image) { return readInt(image, Layout::kParentOffset); }
std::string_view imageName(std::string_view image) {
  const char* p = image.data() + Layout::kNameOffset;
  return std::string_view(p, strnlen(p, Layout::kNameSize));
}

int Store::add(std::string& image) {
  if (mode_ == Mode::ReadOnly) return kNoUpdate;
  if (int rc = checkImage(image)) return rc;
  if (int e = fault::take(fault::Point::RecordAdd)) return kSystemBase + e;
  WriteTransaction tx(*this);
  if (int rc = tx.begin()) return rc;
  std::int64_t id;
  {
    Statement st(db_, "INSERT INTO object(type, parent, name, rec) VALUES(:t, :p, :n, zeroblob(0))");
    if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
    st.bind(":t", imageType(image));
    st.bind(":p", imageParent(image));
    st.bindBlob(":n", imageName(image));
    int rc = st.step();
    if (rc != SQLITE_DONE) return engineCode(rc);
    id = sqlite3_last_insert_rowid(db_);
  }
  if (id <= 0 || id > std::numeric_limits<std::int32_t>::max()) return engineCode(SQLITE_FULL);
  std::string stored = image;
  std::int32_t id32 = static_cast<std::int32_t>(id);
  std::memcpy(stored.data() + Layout::kIdOffset, &id32, sizeof id32);
  {
    Statement st(db_, "UPDATE object SET rec = :r WHERE id = :i");
    if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
    st.bindBlob(":r", stored);
    st.bind(":i", id);
    int rc = st.step();
    if (rc != SQLITE_DONE) return engineCode(rc);
  }
  if (int rc = tx.commit()) return rc;
  image.swap(stored);
  return kOk;
}

int Store::rewrite(const std::string& image) {
  if (mode_ == Mode::ReadOnly) return kNoUpdate;
  if (int rc = checkImage(image)) return rc;
  Statement st(db_, "UPDATE object SET type = :t, parent = :p, name = :n, rec = :r WHERE id = :i");
  if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
  st.bind(":t", imageType(image));
  st.bind(":p", imageParent(image));
  st.bindBlob(":n", imageName(image));
  st.bindBlob(":r", image);
  st.bind(":i", imageId(image));
  int rc = st.step();
  if (rc != SQLITE_DONE) return engineCode(rc);
  return sqlite3_changes(db_) == 0 ? kNotFound : kOk;
}

int Store::erase(std::int32_t id) {
  if (mode_ == Mode::ReadOnly) return kNoUpdate;
  Statement st(db_, "DELETE FROM object WHERE id = :i");
  if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
  st.bind(":i", id);
  int rc = st.step();
  if (rc != SQLITE_DONE) return engineCode(rc);
  return sqlite3_changes(db_) == 0 ? kNotFound : kOk;
}

int Store::eraseSubtree(std::int32_t id) {
  if (mode_ == Mode::ReadOnly) return kNoUpdate;
  WriteTransaction tx(*this);
  if (int rc = tx.begin()) return rc;
  std::string image;
  if (int rc = find(Selection::id(id), image)) return rc;
  // UNION (not UNION ALL) visits each id once, so even a damaged file whose
  // parents form a loop cannot make this run forever.
  Statement st(db_,
               "WITH RECURSIVE sub(id) AS (VALUES(:i) UNION SELECT o.id FROM object o JOIN sub ON o.parent = sub.id) "
               "DELETE FROM object WHERE id IN sub");
  if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
  st.bind(":i", id);
  int rc = st.step();
  if (rc != SQLITE_DONE) return engineCode(rc);
  return tx.commit();
}

int Store::first(Cursor& c, std::string& image) {
  c.started_ = false;
  return step(c, image);
}

int Store::next(Cursor& c, std::string& image) { return step(c, image); }

int Store::find(const Selection& s, std::string& image) {
  Cursor c(s);
  return step(c, image);
}

int Store::step(Cursor& c, std::string& image) {
  const Selection& s = c.sel_;
  const char* cond = scanCondition(s.key, s.parts);
  if (!cond) return kBadArgument;
  if (!c.started_) {
    // Below every real key: ids start at 1, names at the empty blob.
    c.lastType_ = c.lastParent_ = c.lastId_ = std::numeric_limits<std::int64_t>::min();
    c.lastName_.clear();
  }
  std::string sql = "SELECT id, type, parent, name, rec FROM object WHERE ";
  sql += cond;
  sql += " LIMIT 1";
  Statement st(db_, sql.c_str());
  if (st.prepared() != SQLITE_OK) return engineCode(st.prepared());
  st.bind(":a", s.a);
  st.bind(":b", s.b);
  st.bindBlob(":n", s.name);
  st.bind(":lt", c.lastType_);
  st.bind(":lp", c.lastParent_);
  st.bindBlob(":ln", c.lastName_);
  st.bind(":li", c.lastId_);
  int rc = st.step();
  if (rc == SQLITE_DONE) return kNotFound;
  if (rc != SQLITE_ROW) return engineCode(rc);
  c.started_ = true;
  c.lastId_ = st.integer(0);
  c.lastType_ = st.integer(1);
  c.lastParent_ = st.integer(2);
  c.lastName_.assign(st.blob(3));
  std::string_view rec = st.blob(4);
  if (rec.size() > Layout::kMaxRecord) return kTooLong;
  if (rec.size() < Layout::kFixedSize) return kBadFormat;
  image.assign(rec);
  return kOk;
}

}  // namespace rookdb
