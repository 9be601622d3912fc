// The process-wide state of the security database library: one database is
// open per process. Private to the library; every kel module reads the open
// store and the global module through here.
#pragma once

#include "kel/kellib/include/kel.h"
#include "kel/kellib/object_record.h"
#include "platform/rookdb/include/rookdb/store.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string>

namespace kel {

struct Database {
  bool initialised = false;
  bool readOnly = false;
  std::string startName;  // the name given to kelInit
  std::string basePath;   // the open database, without extension
  std::unique_ptr<rookdb::Store> store;  // set while a database is open
  ObjectRecord globalModule;  // as read at open (its id, password hash, ...)
  int extraError = 0;   // for kelExtraError

  bool isOpen() const { return store != nullptr; }
  std::int32_t globalId() const { return globalModule.id(); }
};

Database& database();

// Keeps an engine, system or network code for kelExtraError.
void setExtraError(int code);

// Gates at the top of the calls: 0 or the code to answer.
int requireInitialised();  // 18
int requireOpen();         // 18, 210
int requireWritable();     // 18, 210, 26

// Ends the open database's session (store closed, state cleared).
void closeDatabase();

// Runs the body of an exported call: no exception may leave the library.
template <typename Body>
int exportBarrier(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return KEL_OUT_OF_MEMORY;
  } catch (...) {
    return KEL_IMPOSSIBLE;
  }
}

}  // namespace kel
