// Token validation over an instance and single-byte item values (see
// item_values.h). The rules themselves are in token_rules.h; this file only
// maps a token kind to its rule and reads the option that changes one.
#include "vc/config/item_values.h"

#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/tokens/token_rules.h"

namespace vc {

int validateToken(VcInstance& inst, int kind, const std::string& text) {
  bool ok = false;
  switch (kind) {
    case kTokenUser:
    case kTokenUserAlt: ok = vc::isUserName(text, !optionBool(inst, "vanillarcs", false)); break;
    case kTokenRevision: ok = vc::isRevisionNumber(text); break;
    case kTokenState: ok = vc::isState(text); break;
    case kTokenLabel: ok = vc::isLabel(text); break;
    case kTokenConfigLine: ok = vc::isConfigLine(text); break;
    case kTokenNameFormat: ok = vc::isNameFormat(text); break;
    default: return err::kBadArgument;
  }
  return ok ? 0 : err::kBadToken;
}

int byteValue(const char* value) {
  const unsigned char c = static_cast<unsigned char>(value[0]);
  return c >= '0' && c <= '9' ? c - '0' : c;
}

}  // namespace vc
