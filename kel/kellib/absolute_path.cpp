// Making path names absolute without touching the file system: the result
// names the same place whether or not it exists yet.
#include "absolute_path.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace kel {
namespace {

constexpr std::size_t kPathBuffer = 4096;

bool isDrive(std::string_view p) {
  return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

std::string slashes(std::string_view p) {
  std::string s(p);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

int currentDirectory(std::string& out) {
  std::vector<char> buf(kPathBuffer);
  if (!::getcwd(buf.data(), buf.size())) return errno ? errno : ERANGE;
  out = buf.data();
  return 0;
}

}  // namespace

int makeAbsolutePath(std::string_view path, std::string& out, std::string_view base) {
  std::string p = slashes(path);
  std::string drive;
  if (isDrive(p)) {
    drive = p.substr(0, 2);
    p.erase(0, 2);
  }
  std::string joined;
  if (!p.empty() && p[0] == '/') {
    joined = p;
  } else {
    std::string b;
    if (base.empty()) {
      if (int rc = currentDirectory(b)) return rc;
    } else {
      b = slashes(base);
    }
    if (isDrive(b)) {
      if (drive.empty()) drive = b.substr(0, 2);
      b.erase(0, 2);
    }
    joined = b + "/" + p;
  }

  std::vector<std::string_view> parts;
  std::string_view rest(joined);
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return ENOENT;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string result = drive;
  if (parts.empty()) result += "/";
  for (auto part : parts) {
    result += "/";
    result += part;
  }
  if (result.size() >= kPathBuffer - 2) return ERANGE;
  out = std::move(result);
  return 0;
}

}  // namespace kel
