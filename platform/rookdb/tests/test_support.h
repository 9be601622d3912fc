// Shared helpers of the rookdb tests: a temporary directory, record images
// and running children.
#pragma once

#include "rookdb/store.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rookdb_test {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> entries() const;  // sorted names

 private:
  std::string path_;
};

// A record image with the given key fields and extra bytes after the fixed part.
std::string image(std::int32_t type, std::int32_t parent, const std::string& name, std::size_t extra = 1);

// Runs fn in a forked child; the child's exit status is fn's result.
pid_t spawnChild(const std::function<int()>& fn);
int waitChild(pid_t pid);  // exit status, or -1 when it did not exit normally

// Runs a query with the sqlite3 command-line program and returns its output.
std::string sqliteCli(const std::string& dbFile, const std::string& sql);

}  // namespace rookdb_test
