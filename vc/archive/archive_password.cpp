// Encrypted archives: setting, changing and removing the password, and
// asking the caller's password callback.
//
// The password never stays in the library: only the cipher built from it is
// kept, and the copy of its first eight characters is wiped after use. A
// wrong password shows only as a header that does not parse after
// deciphering; the reader is then reset so that another try starts afresh.
#include "vc/archive/archive_password.h"

#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/security/security_state.h"

#include <cstring>

namespace vc {
namespace {

namespace arc = vc::archive;

void wipe(volatile char* p, std::size_t n) {
  while (n--) *p++ = 0;
}

std::unique_ptr<orv::RotorCipher> cipherFor(const char* password) {
  char key[9] = {};
  std::strncpy(key, password, 8);
  auto cipher = std::make_unique<orv::RotorCipher>(orv::RotorCipher::fromPassword(key));
  wipe(key, sizeof key);
  return cipher;
}

int refuse(VcInstance& inst, int code) {
  securityOf(inst).error = 0;
  inst.extraError = 0;
  return fail(inst, code);
}

int wrongPassword(VcInstance& inst, VcArchive& a) {
  resetArchiveReader(a);
  a.cipher.reset();
  return fail(inst, err::kIncorrectPassword);
}

}  // namespace

int setArchivePassword(VcInstance& inst, VcArchive& a, const char* password) {
  arc::ArchiveFile& f = a.file;
  // Texts still in the file go into the plain copy before anything changes.
  if (f.readState == arc::ReadState::Header && !f.quickHeader) {
    if (int rc = readArchiveTexts(inst, a, nullptr)) return rc;
  }
  const bool encrypted = (f.flags & arc::kFlagEncrypted) != 0;
  if (password && !encrypted && !archiveHooks().holdsPermission(inst, "encryptarchive", &a))
    return refuse(inst, err::kDenyAddEncryption);
  if (!password && encrypted && !archiveHooks().holdsPermission(inst, "encryptarchive", &a))
    return refuse(inst, err::kDenyRemoveEncryption);

  if (password) {
    if (!encrypted) {
      if (int rc = readArchiveTexts(inst, a, nullptr)) return rc;
      f.flags |= arc::kFlagEncrypted | arc::kFlagModified;
    } else if (f.readState != arc::ReadState::Nothing) {
      f.flags |= arc::kFlagModified;  // a new password for a readable archive
    }
    a.cipher = cipherFor(password);
  } else if (encrypted) {
    if (readArchiveTexts(inst, a, nullptr) != 0) return wrongPassword(inst, a);
    a.cipher.reset();
    f.flags = static_cast<std::uint8_t>((f.flags & ~arc::kFlagEncrypted) | arc::kFlagModified);
  }

  const int rc = readArchiveHeader(inst, a);
  if (rc == 0) {
    inst.lastError = 0;
    return 0;
  }
  if (rc == err::kNotOnAccessList || rc == err::kSecurityDenied) return rc;
  return wrongPassword(inst, a);
}

int passwordFromCallback(VcInstance& inst, int handle) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!(a->file.flags & arc::kFlagEncrypted) || a->cipher) return 0;
  VcPasswordFn ask = inst.callbacks.password;
  if (!ask) return fail(inst, err::kEncryptedFile);
  char buffer[9] = {};
  const std::string name = a->path;
  const int answer = ask(handle, name.c_str(), buffer, static_cast<int>(sizeof buffer));
  buffer[sizeof buffer - 1] = '\0';
  // The callback may have called back into the library: find the archive again.
  int rc = answer != 0 ? fail(inst, err::kEncryptedFile) : lookupArchive(inst, handle, a);
  if (rc == 0) rc = setArchivePassword(inst, *a, buffer);
  else if (rc == err::kBadArchiveHandle) fail(inst, rc);
  wipe(buffer, sizeof buffer);
  return rc;
}

}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcSetPassword(int archive, const char* password) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    VcArchive* a = nullptr;
    if (int rc = lookupArchive(*inst, archive, a)) return fail(*inst, rc);
    return setArchivePassword(*inst, *a, password);
  });
}
