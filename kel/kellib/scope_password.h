// Passwords of scope objects (the global module and projects): the stored
// hash, the scope check every change passes, and the process-wide cache of
// answers that were right.
//
// A hash is 24 bytes kept at the start of the scope object's Text: the 13
// characters of the classic DES crypt with the fixed salt "Vq" and zeros; 24
// zero bytes mean "no password". Only the first 8 characters of a password
// count (stored databases rely on this).
#pragma once

#include "kel/kellib/object_record.h"

#include <array>

namespace kel {

using PasswordHash = std::array<char, KEL_PASSWORD_SIZE>;

// The hash of a password; 24 zeros for null or "".
PasswordHash hashPassword(const char* password);
PasswordHash storedHash(const ObjectRecord& scope);
bool isNoPassword(const PasswordHash& h);

// The check before a change in scope: 0 when the scope has no password or
// its password (or the global module's) was given, else 20. May call the
// registered password callback, so no write transaction may be held.
int checkScope(const ObjectRecord& scope);

// After a password change: a cached answer for the scope takes the new
// password.
void updateCachedPassword(const ObjectRecord& scope, const char* password);

// Forgets every cached answer and the callback. kelExit keeps both: answers
// are remembered for the rest of the process (tests start afresh with this).
void resetPasswordState();

}  // namespace kel
