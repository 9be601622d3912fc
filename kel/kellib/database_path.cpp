// Database base paths. Redirector files are not followed yet: a path that
// leads to one answers 15 ("functionality not available") until the
// redirector module takes over resolveDatabasePath.
#include "database_path.h"

#include "kel.h"

#include <sys/stat.h>

namespace kel {
namespace {

// The extension of the last component ("" when none), without the dot.
std::string_view extensionOf(std::string_view path) {
  std::size_t slash = path.rfind('/');
  std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

bool isDat(std::string_view ext) {
  return ext.size() == 3 && (ext[0] | 0x20) == 'd' && (ext[1] | 0x20) == 'a' && (ext[2] | 0x20) == 't';
}

bool fileExists(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0;
}

}  // namespace

std::string databaseBase(std::string_view path) {
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (isDat(extensionOf(p))) p.resize(p.size() - 4);
  return p;
}

int resolveDatabasePath(std::string_view path, bool /*readOnly*/, std::string& base) {
  std::string p = databaseBase(path);
  std::string_view ext = extensionOf(path);
  if (!ext.empty() && !isDat(ext)) return KEL_NOT_AVAILABLE;
  if (ext.empty() && fileExists(p + ".red")) return KEL_NOT_AVAILABLE;
  base = std::move(p);
  return KEL_SUCCESS;
}

}  // namespace kel
