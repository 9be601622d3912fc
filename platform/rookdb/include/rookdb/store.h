// rookdb: the record store behind the security database.
//
// A database with base path B is two files: B.dat, an SQLite file holding one
// table of variable-length records, and B.lok, an empty companion on which
// processes take open-file-description locks (F_OFD_SETLK):
//   - update opens hold a shared lock, so any number of writers may work at
//     once (SQLite serialises their transactions);
//   - maintenance opens and creation hold an exclusive lock, so nobody else
//     may open for update meanwhile; an update open that meets one answers
//     kNoUpdate and the caller may fall back to a read-only open;
//   - read-only opens take no lock at all.
//
// Every record is one security-database object image: a 148-byte fixed part
// (id, type, parent, a 56-byte name, ...) and a variable part, at most 4,096
// bytes in all. The store reads the key fields from the fixed part (see
// Layout) and keeps three keys:
//   key 1  the id, a serial assigned on add and never reused;
//   key 2  (type, parent, name), the name ordered as bytes, like strcmp;
//   key 3  the parent (all children of one object).
//
// Scans are cursors that remember the last key they returned; "next" asks for
// the first record after that key. A scan therefore survives nested scans,
// calls made from inside it and deletions made during it.
//
// A change is one write transaction (BEGIN IMMEDIATE ... COMMIT) that also
// covers the reads it depends on; transactions nest through savepoints.
//
// Results: kOk, kNotFound (also "end of scan"), kNoUpdate, the small codes
// below, 1000 + an SQLite result code, or 2000 + an errno value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;

namespace rookdb {

// Result codes.
constexpr int kOk = 0;
constexpr int kBadArgument = 5;   // misuse: short image, bad selection, ...
constexpr int kTooLong = 8;       // a record over kMaxRecord bytes
constexpr int kBadFormat = 9;     // B.dat is not a database of this store
constexpr int kNoUpdate = 12;     // cannot be opened (or written) for update
constexpr int kExists = 21;       // create: B.dat exists already
constexpr int kNotFound = 101;    // no such record, or no more records
constexpr int kEngineBase = 1000; // + SQLite result code
constexpr int kSystemBase = 2000; // + errno

// Where the key fields lie in a record image, and its size limits.
struct Layout {
  static constexpr std::size_t kIdOffset = 0;
  static constexpr std::size_t kTypeOffset = 4;
  static constexpr std::size_t kParentOffset = 8;
  static constexpr std::size_t kNameOffset = 12;
  static constexpr std::size_t kNameSize = 56;
  static constexpr std::size_t kFixedSize = 148;
  static constexpr std::size_t kMaxRecord = 4096;
};

// Stamp written into every database file at creation and checked at open.
constexpr std::int32_t kApplicationId = 0x4B454C31;  // "KEL1"
constexpr int kSchemaVersion = 1;

enum class Mode {
  ReadOnly,   // no lock on B.lok; SQLite opened read-only
  Update,     // shared lock on B.lok; needs write access to B.dat and its directory
  Exclusive,  // exclusive lock on B.lok (maintenance)
};

// Which records a scan visits, in the order of its key.
struct Selection {
  int key = 1;     // 1 id, 2 (type, parent, name), 3 parent
  int parts = 0;   // significant key parts: 0 all records; key 1 and 3: 0 or 1; key 2: 0 to 3
  std::int32_t a = 0;  // key 1: id; key 2: type; key 3: parent
  std::int32_t b = 0;  // key 2: parent
  std::string name;    // key 2: name (bytes up to the terminating NUL)

  static Selection all() { return {}; }
  static Selection id(std::int32_t id) { return {1, 1, id, 0, {}}; }
  static Selection ofType(std::int32_t type) { return {2, 1, type, 0, {}}; }
  static Selection ofTypeUnder(std::int32_t type, std::int32_t parent) { return {2, 2, type, parent, {}}; }
  static Selection named(std::int32_t type, std::int32_t parent, std::string_view n) {
    return {2, 3, type, parent, std::string(n)};
  }
  static Selection childrenOf(std::int32_t parent) { return {3, 1, parent, 0, {}}; }
};

// One scan. Owns no engine resources: it may be copied, dropped at any time
// and used again after any other call.
class Cursor {
 public:
  explicit Cursor(Selection s) : sel_(std::move(s)) {}
  const Selection& selection() const { return sel_; }
  void restart() { started_ = false; }

 private:
  friend class Store;
  Selection sel_;
  bool started_ = false;
  std::int64_t lastType_ = 0, lastParent_ = 0, lastId_ = 0;
  std::string lastName_;
};

// Reads the key fields of a record image (which must hold the fixed part).
std::int32_t imageId(std::string_view image);
std::int32_t imageType(std::string_view image);
std::int32_t imageParent(std::string_view image);
std::string_view imageName(std::string_view image);

class Store {
 public:
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Creates B.lok (kept when present) and B.dat. B.dat is built under a
  // temporary name in the same directory, handed to fill (inside one write
  // transaction) and moved into place only when everything succeeded, so no
  // half-made database is ever seen. Refuses with kExists when B.dat exists.
  // fill may be empty; its non-zero result aborts the creation and is returned.
  template <typename Fill>
  static int create(const std::string& base, Fill&& fill) {
    return createWith(base, &fill, [](void* f, Store& s) { return (*static_cast<Fill*>(f))(s); });
  }
  static int create(const std::string& base) { return createWith(base, nullptr, nullptr); }

  static int open(const std::string& base, Mode mode, std::unique_ptr<Store>& out);

  Mode mode() const { return mode_; }
  const std::string& base() const { return base_; }

  // Write transactions ("lock mode 2"). begin() waits up to the busy timeout
  // for other writers. Nested begin/commit pairs become savepoints.
  int begin();
  int commit();
  void rollback();
  int depth() const { return depth_; }

  // Adds a record; assigns its id and writes it into the image's first four bytes.
  int add(std::string& image);
  // Replaces the record whose id is in the image (kNotFound when missing).
  int rewrite(const std::string& image);
  // Deletes one record (kNotFound when missing).
  int erase(std::int32_t id);
  // Deletes a record and all its descendants over the parent key.
  int eraseSubtree(std::int32_t id);

  // First record of the cursor's selection (restarting it), and the next one.
  int first(Cursor& c, std::string& image);
  int next(Cursor& c, std::string& image);
  // The first record of a selection, without keeping a cursor.
  int find(const Selection& s, std::string& image);

  // How long a writer waits for another (milliseconds).
  void setBusyTimeout(int ms);

 private:
  Store() = default;
  static int createWith(const std::string& base, void* ctx, int (*fill)(void*, Store&));
  int step(Cursor& c, std::string& image);
  int exec(const char* sql);

  sqlite3* db_ = nullptr;
  int lockFd_ = -1;
  Mode mode_ = Mode::ReadOnly;
  std::string base_;
  int depth_ = 0;
};

// RAII write transaction: rolls back unless committed.
class WriteTransaction {
 public:
  explicit WriteTransaction(Store& s) : s_(s) {}
  ~WriteTransaction() { if (active_) s_.rollback(); }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  int begin() {
    int rc = s_.begin();
    active_ = rc == kOk;
    return rc;
  }
  int commit() {
    if (!active_) return kBadArgument;
    active_ = false;
    return s_.commit();
  }

 private:
  Store& s_;
  bool active_ = false;
};

// Start and stop of the engine. Opening works without them; they exist so
// the caller's start-up can report an engine that cannot be initialised.
int start();
int stop();

}  // namespace rookdb
