// The administrator password that guards database creation.
#pragma once

namespace kel {

// 0 when the password is the administrator's; 219 for a missing or empty
// one; 20 otherwise.
int verifyAdminPassword(const char* password);

}  // namespace kel
