// Names made safe for the lists an archive keeps (user names in locks, the
// access list and authors), and the identifier test. They follow the name
// rules of token_rules.h.
#pragma once

#include <string>

namespace vc {

// Names in lists: first character '_' or a letter, later characters
// printable other than ';', ':', '@' and ','; others become '_'.
std::string sanitizeName(const std::string& name);
// A letter first, then letters, digits and '_'.
bool isIdentifier(const std::string& name);

}  // namespace vc
