// A prepared SQLite statement that is always finalised, so that no read
// transaction stays open between calls of the store (an open one would keep
// other processes' writers from committing).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

namespace rookdb {

inline int engineCode(int rc) { return 1000 + (rc & 0xff); }

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr); }
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // SQLITE_OK when the statement was prepared.
  int prepared() const { return rc_; }

  // Binds by name; names the statement does not use are skipped.
  void bind(const char* name, std::int64_t v) {
    if (int i = sqlite3_bind_parameter_index(st_, name)) sqlite3_bind_int64(st_, i, v);
  }
  void bindBlob(const char* name, std::string_view v) {
    int i = sqlite3_bind_parameter_index(st_, name);
    if (i == 0) return;
    // A zero-length blob must still be a blob, never NULL: keys compare as bytes.
    if (v.empty())
      sqlite3_bind_zeroblob(st_, i, 0);
    else
      sqlite3_bind_blob(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }

  // SQLITE_ROW, SQLITE_DONE or an error.
  int step() { return sqlite3_step(st_); }

  std::int64_t integer(int col) const { return sqlite3_column_int64(st_, col); }
  std::string_view blob(int col) const {
    const void* p = sqlite3_column_blob(st_, col);
    int n = sqlite3_column_bytes(st_, col);
    return p ? std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string_view();
  }

 private:
  sqlite3_stmt* st_ = nullptr;
  int rc_ = SQLITE_ERROR;
};

}  // namespace rookdb
