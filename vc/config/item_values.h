// The values callers hand to vcValidateToken and to the information items:
// the token kinds, checked against the token rules (token_rules.h) with the
// instance's options, and the single-byte values of the flag items.
#pragma once

#include "vc/include/vc.h"

#include <string>

namespace vc {

struct VcInstance;

// Token kinds of vcValidateToken.
inline constexpr int kTokenUser = VC_TOKEN_USER;
inline constexpr int kTokenRevision = VC_TOKEN_REVISION;
inline constexpr int kTokenState = VC_TOKEN_STATE;
inline constexpr int kTokenLabel = VC_TOKEN_LABEL;
inline constexpr int kTokenUserAlt = VC_TOKEN_AUTHOR;
inline constexpr int kTokenConfigLine = VC_TOKEN_CONFIG_LINE;
inline constexpr int kTokenNameFormat = VC_TOKEN_NAME_FORMAT;

// 0 valid, VC_E_BAD_TOKEN invalid, VC_E_BAD_ARGUMENT for a kind without a rule.
int validateToken(VcInstance& inst, int kind, const std::string& text);

// A single-byte value: a digit character counts as its digit, any other
// byte as its own value.
int byteValue(const char* value);

}  // namespace vc
