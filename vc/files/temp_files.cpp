// Creating the library's temporary files (see temp_files.h).
#include "vc/files/temp_files.h"
#include "platform/sys/system_calls.h"

#include "vc/error_codes.h"
#include "fs/temp_file.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace vc {

int createTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& out) {
  std::string head = dir.empty() ? "." : dir;
  if (head.back() != '/') head += '/';
  head += std::string(prefix ? prefix : kArchiveTempPrefix).substr(0, 4);
  char pid[8];
  std::snprintf(pid, sizeof pid, "%04x", seams().processId() & 0xffffu);
  head += pid;
  orv::fs::CreatedFile f = orv::fs::createUnique(
      [&](unsigned n) {
        char tail[8];
        std::snprintf(tail, sizeof tail, ".%03u", n);
        return head + tail;
      },
      10000, 0600);
  if (f.fd < 0) {
    if (inst) fail(*inst, err::kCannotCreateTemp, f.error);
    return err::kCannotCreateTemp;
  }
  out.fd = f.fd;
  out.path = f.path;
  return 0;
}

int createTempInTempDir(VcInstance* inst, const char* callerDir, const char* prefix, TempFile& out) {
  std::vector<std::string> dirs;
  for (const char* var : {"TMPDIR", "TEMP", "TMP"}) {
    const char* v = orv::sys::calls().getenv(var);
    if (v && *v) dirs.emplace_back(v);
  }
  if (callerDir && *callerDir) dirs.emplace_back(callerDir);
  dirs.emplace_back("/tmp");
  dirs.emplace_back(inst && !inst->identity.currentDirectory.empty() ? inst->identity.currentDirectory : ".");

  std::string pre;
  for (const char* p = prefix && *prefix ? prefix : "TMP"; *p && pre.size() < 3; ++p)
    if (*p != '.') pre += *p;
  int lastError = EEXIST;
  for (const std::string& given : dirs) {
    std::string dir = orv::fs::forward_slashes(given);
    if (dir.back() != '/') dir += '/';
    orv::fs::CreatedFile f = orv::fs::createUnique(
        [&](unsigned n) {
          char name[16];
          std::snprintf(name, sizeof name, "%04x.$$$", n);
          return dir + pre + name;
        },
        65535, 0600);
    if (f.fd >= 0) {
      out.fd = f.fd;
      out.path = f.path;
      return 0;
    }
    lastError = f.error;
  }
  if (inst) fail(*inst, err::kCannotCreateTemp, lastError);
  return err::kCannotCreateTemp;
}

void removeTemp(VcInstance* inst, TempFile& file) {
  if (file.fd >= 0 && orv::sys::calls().close(file.fd) != 0 && inst) inst->extraError = errno;
  file.fd = -1;
  if (!file.path.empty()) orv::sys::calls().unlink(file.path.c_str());
  file.path.clear();
}

}  // namespace vc
