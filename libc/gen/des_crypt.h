// The traditional DES-based Unix password hash (crypt(3) with a two-character
// salt). The revision library keys archive encryption from it and the
// security database stores scope passwords with it, so both must produce the
// same 13 characters that the classic algorithm does.
#pragma once

#include <array>

namespace orv {

// Thirteen hash characters followed by a NUL.
using DesCryptHash = std::array<char, 14>;

// Hashes `password` with `salt` the classic way:
//  - only the first 8 bytes of the password count (it ends at a NUL), and of
//    each byte only its low 7 bits;
//  - the first two bytes of `salt` (it may end early: a missing character is
//    taken as NUL) give 12 salt bits; characters outside the alphabet
//    "./0-9A-Za-z" are mapped the traditional way (as signed chars: above 'Z'
//    minus 6, then above '9' minus 7, minus '.', low 6 bits);
//  - the result is the two salt characters as given followed by 11 alphabet
//    characters. A second salt character that is NUL is output as a copy of
//    the first (the classic rule), so the text is 13 characters long; only
//    an empty salt leaves NULs in the first two places, and the array still
//    holds all 13 bytes, which archive key set-up uses.
// Null pointers count as empty texts. Re-entrant: keeps no state.
DesCryptHash desCrypt(const char* password, const char* salt) noexcept;

}  // namespace orv
