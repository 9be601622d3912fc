// Creating the library's temporary files, named and unnamed, and clearing
// the ones processes killed meanwhile left (see temp_files.h).
#include "vc/files/temp_files.h"
#include "platform/sys/system_calls.h"

#include "vc/error_codes.h"
#include "platform/fs/temp_file.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace vc {
namespace {

// The head of a temporary name beside a file: "<dir>/<prefix><pid>".
std::string besideHead(const std::string& dir, const char* prefix) {
  std::string head = dir.empty() ? "." : dir;
  if (head.back() != '/') head += '/';
  head += std::string(prefix ? prefix : kArchiveTempPrefix).substr(0, 4);
  char pid[8];
  std::snprintf(pid, sizeof pid, "%04x", seams().processId() & 0xffffu);
  return head + pid;
}

std::string counterTail(unsigned n) {
  char tail[8];
  std::snprintf(tail, sizeof tail, ".%03u", n);
  return tail;
}

// "vc_" or "vj_", at most one more character, four hex digits of the
// process id, '.', the counter.
bool parseBesideName(std::string_view name, orv::fs::TempOwner& owner) {
  if (name.rfind(kArchiveTempPrefix, 0) != 0 && name.rfind(kProjectTempPrefix, 0) != 0) return false;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < 7 || dot > 8 || name.size() - dot < 4) return false;
  for (char c : name.substr(dot + 1))
    if (c < '0' || c > '9') return false;
  unsigned pid = 0;
  for (char c : name.substr(dot - 4, 4)) {
    const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return false;
    pid = pid * 16 + static_cast<unsigned>(v);
  }
  owner.pid = pid;
  owner.pidMask = 0xffffu;
  return true;
}

// An unnamed file in dir: O_TMPFILE, or a named file unlinked at once.
// -1 with errno set when neither can be made.
int openUnnamedIn(VcInstance* inst, const std::string& dir, const std::function<int(TempFile&)>& named) {
  const int fd = orv::fs::openUnnamed(dir, 0600);
  if (fd >= 0 || !orv::fs::unnamedUnsupported(errno)) return fd;
  TempFile t;
  if (named(t) != 0) {
    if (inst) inst->extraError = 0;
    errno = EEXIST;
    return -1;
  }
  orv::sys::calls().unlink(t.path.c_str());
  return t.fd;
}

}  // namespace

int createTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& out) {
  const std::string head = besideHead(dir, prefix);
  orv::fs::CreatedFile f = orv::fs::createUnique([&](unsigned n) { return head + counterTail(n); }, 10000, 0600);
  if (f.fd < 0) {
    if (inst) fail(*inst, err::kCannotCreateTemp, f.error);
    return err::kCannotCreateTemp;
  }
  orv::fs::markInUse(f.fd);
  out.fd = f.fd;
  out.path = f.path;
  out.named = true;
  return 0;
}

int createUnnamedBeside(VcInstance* inst, const std::string& dir, TempFile& out) {
  const int fd = openUnnamedIn(inst, dir.empty() ? "." : dir,
                               [&](TempFile& t) { return createTempBeside(nullptr, dir, kArchiveTempPrefix, t); });
  if (fd < 0) {
    if (inst) fail(*inst, err::kCannotCreateTemp, errno);
    return err::kCannotCreateTemp;
  }
  orv::fs::markInUse(fd);
  out.fd = fd;
  out.path = orv::fs::descriptorPath(fd);
  out.named = false;
  return 0;
}

int nameTempBeside(VcInstance* inst, const std::string& dir, const char* prefix, TempFile& file) {
  const std::string head = besideHead(dir, prefix);
  int e = EEXIST;
  for (unsigned n = 0; n < 10000 && e == EEXIST; ++n) {
    const std::string name = head + counterTail(n);
    e = orv::fs::linkDescriptor(file.fd, name);
    if (e == 0) {
      file.path = name;
      file.named = true;
      return 0;
    }
  }
  if (inst) fail(*inst, err::kCannotCreateTemp, e);
  return err::kCannotCreateTemp;
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
    int createError = 0;
    const int fd = openUnnamedIn(nullptr, dir, [&](TempFile& t) {
      orv::fs::CreatedFile f = orv::fs::createUnique(
          [&](unsigned n) {
            char name[16];
            std::snprintf(name, sizeof name, "%04x.$$$", n);
            return dir + pre + name;
          },
          65535, 0600);
      createError = f.error;
      t.fd = f.fd;
      t.path = f.path;
      return f.fd >= 0 ? 0 : -1;
    });
    if (fd >= 0) {
      out.fd = fd;
      out.path = orv::fs::descriptorPath(fd);
      out.named = false;
      return 0;
    }
    lastError = createError ? createError : errno;
  }
  if (inst) fail(*inst, err::kCannotCreateTemp, lastError);
  return err::kCannotCreateTemp;
}

void removeTemp(VcInstance* inst, TempFile& file) {
  if (file.fd >= 0 && orv::sys::calls().close(file.fd) != 0 && inst) inst->extraError = errno;
  file.fd = -1;
  if (file.named && !file.path.empty()) orv::sys::calls().unlink(file.path.c_str());
  file.path.clear();
  file.named = true;
}

int removeStaleTemps(const std::string& dir) {
  return orv::fs::removeStaleFiles(dir.empty() ? "." : dir, parseBesideName);
}

}  // namespace vc
