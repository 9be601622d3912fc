// The administrator password: kelVerifyAdminPassword, kelSetAdminPassword.
//
// The file is replaced whole: written under a temporary name in its
// directory (0600), synced, renamed over the old one and the directory
// synced, so a failure leaves the old password in force. The file is
// reached through the system-call seam.
#include "kel/kellib/admin_password.h"

#include "kel/kellib/default_database_path.h"
#include "platform/fs/replace_file.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "platform/sys/system_calls.h"

#include <crypt.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace kel {
namespace {

constexpr const char* kFileName = "kel.adm";

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The stored hash: 0 with it, 22 when there is no file, 202 when it cannot be
// read, 204 when there is no place for it.
int readStoredHash(std::string& hash) {
  const std::string file = adminPasswordFile(database().startName);
  if (file.empty()) return KEL_CANNOT_ACCESS;
  if (int err = orv::sys::readWholeFile(file, hash)) {
    setExtraError(err);
    return err == ENOENT || err == ENOTDIR ? KEL_NOT_FOUND : KEL_CANNOT_READ;
  }
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r')) hash.pop_back();
  return KEL_SUCCESS;
}

bool hashMatches(const char* password, const std::string& stored) {
  auto data = std::make_unique<crypt_data>();
  std::memset(data.get(), 0, sizeof *data);
  const char* out = ::crypt_r(password, stored.c_str(), data.get());
  if (!out || out[0] == '*' || std::strlen(out) != stored.size()) return false;
  unsigned char diff = 0;  // compared in full, whatever the first difference
  for (std::size_t i = 0; i < stored.size(); ++i) diff |= static_cast<unsigned char>(out[i] ^ stored[i]);
  return diff == 0;
}

int makeHash(const char* password, std::string& hash) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  if (!::crypt_gensalt_rn("$6$", 0, nullptr, 0, salt, sizeof salt)) return KEL_IMPOSSIBLE;
  auto data = std::make_unique<crypt_data>();
  std::memset(data.get(), 0, sizeof *data);
  const char* out = ::crypt_r(password, salt, data.get());
  if (!out || out[0] == '*') return KEL_IMPOSSIBLE;
  hash = out;
  return KEL_SUCCESS;
}

// Replaces the file with the hash: 0, or 26 when it cannot be written.
int storeHash(const std::string& hash) {
  const std::string file = adminPasswordFile(database().startName);
  if (file.empty()) return KEL_CANNOT_ACCESS;
  const std::string dir = directoryOf(file);
  if (!dir.empty() && orv::sys::calls().mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
    setExtraError(errno);
    return KEL_READ_ONLY;
  }
  orv::fs::AtomicFileWriter out;
  int err = out.begin(file, 0600);
  if (!err) err = out.write(hash + "\n");
  if (!err) err = out.commit();
  if (err) {
    setExtraError(err);
    return KEL_READ_ONLY;
  }
  return KEL_SUCCESS;
}

}  // namespace

std::string adminPasswordFile(const std::string& programPath) {
  std::string databasePath;
  if (defaultDatabasePath(programPath, {}, databasePath) != KEL_SUCCESS) return {};
  const std::string dir = directoryOf(databasePath);
  return (dir.empty() ? std::string() : dir + "/") + kFileName;
}

int verifyAdminPassword(const char* password) {
  if (int rc = requireInitialised()) return rc;
  if (!password || !*password) return KEL_BLANK_PASSWORD;
  std::string stored;
  int rc = readStoredHash(stored);
  if (rc == KEL_NOT_FOUND) return KEL_SUCCESS;  // none set yet
  if (rc) return rc;
  if (std::strlen(password) > kAdminPasswordMax) return KEL_INCORRECT_PASSWORD;
  return hashMatches(password, stored) ? KEL_SUCCESS : KEL_INCORRECT_PASSWORD;
}

}  // namespace kel

extern "C" KEL_API kelResult kelVerifyAdminPassword(const char* password) {
  return kel::exportBarrier([&]() -> int { return kel::verifyAdminPassword(password); });
}

extern "C" KEL_API kelResult kelSetAdminPassword(const char* oldPassword, const char* newPassword) {
  return kel::exportBarrier([&]() -> int {
    if (int rc = kel::requireInitialised()) return rc;
    if (!oldPassword || !*oldPassword || !newPassword || !*newPassword) return KEL_BLANK_PASSWORD;
    if (int rc = kel::verifyAdminPassword(oldPassword)) return rc;
    if (std::strlen(newPassword) > kel::kAdminPasswordMax) return KEL_STRINGS_TOO_LONG;
    std::string hash;
    if (int rc = kel::makeHash(newPassword, hash)) return rc;
    return kel::storeHash(hash);
  });
}
