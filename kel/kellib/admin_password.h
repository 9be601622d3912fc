// The administrator password that guards database creation.
//
// It is kept in the file "kel.adm" beside the default database of the name
// given to kelInit (<parent of the program's directory>/orvkel/kel.adm, the
// directory that default_database_path.h derives), mode 0600, as a salted SHA-512 crypt hash ("$6$...")
// and never in plain text. With no file (a new installation) every
// non-blank password is accepted and the first kelSetAdminPassword sets it.
#pragma once

#include <string>

namespace kel {

// At most 16 characters, compared with case.
inline constexpr std::size_t kAdminPasswordMax = 16;

// 0 when the password is the administrator's; 219 for a missing or empty
// one; 20 otherwise.
int verifyAdminPassword(const char* password);

// Where the administrator password is kept for the program path name: the
// directory of its default database; "" when no default database can be
// derived from it.
std::string adminPasswordFile(const std::string& programPath);

}  // namespace kel
