// Creating, opening and closing a store, and its write transactions.
#include "platform/rookdb/os_layer.h"
#include "platform/rookdb/include/rookdb/store.h"
#include "platform/rookdb/sqlite_statement.h"

#include <sqlite3.h>

#include <cassert>
#include <string>

namespace rookdb {
namespace {

constexpr int kDefaultBusyMs = 5000;

const char* const kSchema =
    "CREATE TABLE object("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"  // key 1; AUTOINCREMENT: ids are never reused
    " type INTEGER NOT NULL,"
    " parent INTEGER NOT NULL,"
    " name BLOB NOT NULL,"                    // the name without its NUL, compared as bytes
    " rec BLOB NOT NULL);"                    // the whole record image
    // Key 2. Security objects (type 9) are named by paths cut short, so two of
    // them may share a name; every other kind is unique under its parent.
    "CREATE UNIQUE INDEX k2 ON object(type, parent, name) WHERE type <> 9;"
    "CREATE INDEX k2all ON object(type, parent, name);"
    "CREATE INDEX k3 ON object(parent, id);";  // key 3

int openEngine(const std::string& path, int flags, sqlite3*& db) {
  db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    db = nullptr;
    return engineCode(rc);
  }
  sqlite3_busy_timeout(db, kDefaultBusyMs);
  return kOk;
}

int pragmaValue(sqlite3* db, const char* sql, std::int64_t& v) {
  Statement st(db, sql);
  if (st.prepared() != SQLITE_OK) return st.prepared() == SQLITE_NOTADB ? kBadFormat : engineCode(st.prepared());
  int rc = st.step();
  if (rc == SQLITE_NOTADB) return kBadFormat;
  if (rc != SQLITE_ROW) return engineCode(rc);
  v = st.integer(0);
  return kOk;
}

// A file of this store carries our application id and schema version.
int checkStamp(sqlite3* db) {
  std::int64_t appId = 0, version = 0;
  if (int rc = pragmaValue(db, "PRAGMA application_id", appId)) return rc;
  if (int rc = pragmaValue(db, "PRAGMA user_version", version)) return rc;
  if (appId != kApplicationId || version != kSchemaVersion) return kBadFormat;
  return kOk;
}

}  // namespace

int start() {
  int rc = sqlite3_initialize();
  return rc == SQLITE_OK ? kOk : engineCode(rc);
}

int stop() { return kOk; }

Store::~Store() {
  while (depth_ > 0) rollback();
  sqlite3_close(db_);
  os::closeFd(lockFd_);
}

int Store::exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? kOk : engineCode(rc);
}

void Store::setBusyTimeout(int ms) { sqlite3_busy_timeout(db_, ms); }

int Store::open(const std::string& base, Mode mode, std::unique_ptr<Store>& out) {
  out.reset();
  if (base.empty()) return kBadArgument;
  const std::string dat = base + ".dat";
  if (!os::exists(dat)) return kSystemBase + ENOENT;

  std::unique_ptr<Store> s(new Store);
  s->base_ = base;
  s->mode_ = mode;
  int flags = SQLITE_OPEN_READONLY;
  if (mode != Mode::ReadOnly) {
    bool created = false;
    if (os::openLockFile(base + ".lok", false, created, s->lockFd_) != 0) return kNoUpdate;
    int e = mode == Mode::Exclusive ? os::lockExclusive(s->lockFd_) : os::lockShared(s->lockFd_);
    if (e != 0) return kNoUpdate;  // held by a maintenance or creating process, or no lock support
    // SQLite writes a journal beside the file, so the directory must be writable as well.
    if (!os::writableWithDirectory(dat)) return kNoUpdate;
    flags = SQLITE_OPEN_READWRITE;
  }
  if (int rc = openEngine(dat, flags, s->db_)) return rc;
  if (mode != Mode::ReadOnly && sqlite3_db_readonly(s->db_, "main") == 1) return kNoUpdate;
  if (int rc = checkStamp(s->db_)) return rc;
  out = std::move(s);
  return kOk;
}

int Store::createWith(const std::string& base, void* ctx, int (*fill)(void*, Store&)) {
  if (base.empty()) return kBadArgument;
  const std::string dat = base + ".dat";
  const std::string lok = base + ".lok";
  if (os::exists(dat)) return kExists;

  std::unique_ptr<Store> s(new Store);
  s->base_ = base;
  s->mode_ = Mode::Exclusive;
  bool lokCreated = false;
  if (int e = os::openLockFile(lok, true, lokCreated, s->lockFd_)) return kSystemBase + e;
  std::string temp;
  int result = kOk;
  if (os::lockExclusive(s->lockFd_) != 0) {
    result = kNoUpdate;
  } else if (int e = os::makeUniqueFile(dat + ".new-", temp)) {
    result = kSystemBase + e;
  } else if ((result = openEngine(temp, SQLITE_OPEN_READWRITE, s->db_)) == kOk) {
    char stamp[160];
    std::snprintf(stamp, sizeof stamp,
                  "PRAGMA journal_mode=DELETE; PRAGMA application_id=%d; PRAGMA user_version=%d;",
                  static_cast<int>(kApplicationId), kSchemaVersion);
    result = s->exec(stamp);
    if (result == kOk) result = s->begin();
    if (result == kOk) {
      result = s->exec(kSchema);
      if (result == kOk && fill) result = fill(ctx, *s);
      if (result == kOk)
        result = s->commit();
      else
        s->rollback();
    }
    sqlite3_close(s->db_);
    s->db_ = nullptr;
    if (result == kOk) {
      int moved = os::publish(temp, dat);
      if (moved == EEXIST) result = kExists;
      else if (moved != 0) result = kSystemBase + moved;
    }
  }
  if (!temp.empty() && result != kOk) {
    os::removeQuietly(temp);
    os::removeQuietly(temp + "-journal");
  }
  if (result != kOk && lokCreated) os::removeQuietly(lok);
  return result;  // the exclusive lock goes with the store
}

int Store::begin() {
  if (mode_ == Mode::ReadOnly) return kNoUpdate;
  int rc;
  if (depth_ == 0) {
    rc = exec("BEGIN IMMEDIATE");
  } else {
    std::string sp = "SAVEPOINT rk" + std::to_string(depth_);
    rc = exec(sp.c_str());
  }
  if (rc == kOk) ++depth_;
  return rc;
}

int Store::commit() {
  if (depth_ == 0) return kBadArgument;
  --depth_;
  if (depth_ > 0) {
    std::string sp = "RELEASE rk" + std::to_string(depth_);
    return exec(sp.c_str());
  }
  int rc = exec("COMMIT");
  if (rc != kOk) exec("ROLLBACK");  // a commit that could not finish leaves nothing behind
  return rc;
}

void Store::rollback() {
  if (depth_ == 0) return;
  --depth_;
  if (depth_ > 0) {
    std::string sp = "rk" + std::to_string(depth_);
    exec(("ROLLBACK TO " + sp + "; RELEASE " + sp).c_str());
  } else {
    exec("ROLLBACK");
  }
}

}  // namespace rookdb
