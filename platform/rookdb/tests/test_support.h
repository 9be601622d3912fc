// Shared helpers of the rookdb tests: record images and running children.
// Their temporary directories are the shared orv::test::TempDir.
#pragma once

#include "platform/rookdb/include/rookdb/store.h"
#include "testing/temp_dir.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rookdb_test {

// A record image with the given key fields and extra bytes after the fixed part.
std::string image(std::int32_t type, std::int32_t parent, const std::string& name, std::size_t extra = 1);

// Runs fn in a forked child; the child's exit status is fn's result.
pid_t spawnChild(const std::function<int()>& fn);
int waitChild(pid_t pid);  // exit status, or -1 when it did not exit normally

// Runs a query with the sqlite3 command-line program and returns its output.
std::string sqliteCli(const std::string& dbFile, const std::string& sql);

}  // namespace rookdb_test
