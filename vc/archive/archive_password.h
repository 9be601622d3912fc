// Passwords of encrypted archives: vcSetPassword and the password callback
// that the library's own callers (the member-archive open of projects) use.
#pragma once

namespace vc {

struct VcInstance;
struct VcArchive;

// The body of vcSetPassword: 0, 21 (the archive does not read with that
// password; the handle stays usable for another try), VC_E_DENY_ADD_ENCRYPTION
// or VC_E_DENY_REMOVE_ENCRYPTION (adding or removing encryption refused), or a
// code of reading the archive.
int setArchivePassword(VcInstance& inst, VcArchive& a, const char* password);

// For an encrypted archive without a cipher: asks the instance's password
// callback (handle, archive name, buffer of 9) and sets the answer. 0 when
// the archive is readable now (or needs no password), 19 when there is no
// callback or it refused, 7 when the callback closed the archive, else
// setArchivePassword's code.
int passwordFromCallback(VcInstance& inst, int handle);

}  // namespace vc
