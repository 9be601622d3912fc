#include "platform/rookdb/tests/test_support.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace rookdb_test {

std::string image(std::int32_t type, std::int32_t parent, const std::string& name, std::size_t extra) {
  std::string img(rookdb::Layout::kFixedSize + extra, '\0');
  std::memcpy(img.data() + rookdb::Layout::kTypeOffset, &type, 4);
  std::memcpy(img.data() + rookdb::Layout::kParentOffset, &parent, 4);
  std::memcpy(img.data() + rookdb::Layout::kNameOffset, name.data(), std::min<std::size_t>(name.size(), 55));
  return img;
}

pid_t spawnChild(const std::function<int()>& fn) {
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int rc = 99;
    try {
      rc = fn();
    } catch (...) {
    }
    _exit(rc);
  }
  return pid;
}

int waitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string sqliteCli(const std::string& dbFile, const std::string& sql) {
  std::string cmd = "sqlite3 -readonly '" + dbFile + "' \"" + sql + "\"";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "<popen failed>";
  std::string out;
  std::array<char, 512> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  pclose(p);
  return out;
}

}  // namespace rookdb_test
