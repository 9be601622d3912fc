// Absolute path names. The current directory comes through the system-call
// seam.
#include "kel/kellib/absolute_path.h"

#include "platform/fs/path_separators.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <vector>

namespace kel {
namespace {

// Splits a leading drive ("d:") off path.
std::string_view takeDrive(std::string_view& path) {
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    std::string_view drive = path.substr(0, 2);
    path.remove_prefix(2);
    return drive;
  }
  return {};
}

int currentDirectory(std::string& out) {
  std::vector<char> buf(4096);
  for (;;) {
    if (orv::sys::calls().getcwd(buf.data(), buf.size())) {
      out = buf.data();
      return 0;
    }
    if (errno != ERANGE || buf.size() > (1u << 20)) return errno;
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

int makeAbsolutePath(std::string_view path, std::string_view base, std::string& out, std::size_t limit) {
  const std::string given = orv::fs::forward_slashes(path);
  std::string_view rest = given;
  std::string drive(takeDrive(rest));

  std::string joined;
  if (!rest.empty() && rest.front() == '/') {
    joined = rest;
  } else {
    std::string dir;
    if (base.empty()) {
      if (int rc = currentDirectory(dir)) return rc;
    } else {
      dir = orv::fs::forward_slashes(base);
    }
    std::string_view dirRest = dir;
    std::string_view dirDrive = takeDrive(dirRest);
    if (drive.empty()) drive = dirDrive;
    joined = std::string(dirRest) + "/" + std::string(rest);
  }

  std::vector<std::string_view> parts;
  std::string_view walk = joined;
  while (!walk.empty()) {
    std::size_t slash = walk.find('/');
    std::string_view part = walk.substr(0, slash);
    walk = slash == std::string_view::npos ? std::string_view() : walk.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return ENOENT;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string result = drive;
  if (parts.empty()) result += '/';
  for (auto part : parts) {
    result += '/';
    result += part;
  }
  if (limit < 2 || result.size() >= limit - 2) return ERANGE;
  out = std::move(result);
  return 0;
}

}  // namespace kel
