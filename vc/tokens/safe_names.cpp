// Names made safe for lists and the identifier test (see safe_names.h).
#include "vc/tokens/safe_names.h"

#include "vc/tokens/token_rules.h"

namespace vc {

std::string sanitizeName(const std::string& name) {
  std::string out = name;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool ok = i == 0 ? (letter || c == '_') : vc::isNameTailChar(c);
    if (!ok) out[i] = '_';
  }
  return out;
}

bool isIdentifier(const std::string& name) {
  if (name.empty()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    bool digit = c >= '0' && c <= '9';
    if (i == 0 ? !letter : !(letter || digit || c == '_')) return false;
  }
  return true;
}

}  // namespace vc
