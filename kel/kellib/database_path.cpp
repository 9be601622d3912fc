// Database base paths: a path a caller names is followed through redirector
// files (redirector_file.cpp) to the database it leads to.
#include "kel/kellib/database_path.h"

#include "kel/kellib/absolute_path.h"
#include "platform/fs/path_separators.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/redirector_file.h"

namespace kel {

std::string databaseBase(std::string_view path) {
  std::string p = orv::fs::forward_slashes(path);
  if (isExtension(extensionOf(p), "dat")) p.resize(p.size() - 4);
  return p;
}

int resolveDatabasePath(std::string_view path, bool /*readOnly*/, std::string& base) {
  // Redirectors are read the same way for both kinds of open.
  std::string databaseFile;
  if (int rc = followRedirectors(path, databaseFile)) return rc;
  base = databaseBase(databaseFile);
  return KEL_SUCCESS;
}

}  // namespace kel
