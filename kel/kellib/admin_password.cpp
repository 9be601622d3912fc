// The administrator password. Until a password store exists every non-empty
// password is accepted, as on a new installation that has none set.
#include "admin_password.h"

#include "kel.h"

namespace kel {

int verifyAdminPassword(const char* password) {
  if (!password || !*password) return KEL_BLANK_PASSWORD;
  return KEL_SUCCESS;
}

}  // namespace kel
