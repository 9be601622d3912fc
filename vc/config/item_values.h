// The values callers hand to vcValidateToken and to the information items:
// the token kinds, checked against the token rules (token_rules.h) with the
// instance's options, and the single-byte values of the flag items.
#pragma once

#include <string>

namespace vc {

struct VcInstance;

// Token kinds of vcValidateToken.
inline constexpr int kTokenUser = 52;
inline constexpr int kTokenRevision = 53;
inline constexpr int kTokenState = 54;
inline constexpr int kTokenLabel = 55;
inline constexpr int kTokenUserAlt = 56;
inline constexpr int kTokenConfigLine = 74;
inline constexpr int kTokenNameFormat = 76;

// 0 valid, 54 invalid, 56 for a kind without a rule.
int validateToken(VcInstance& inst, int kind, const std::string& text);

// A single-byte value: a digit character counts as its digit, any other
// byte as its own value.
int byteValue(const char* value);

}  // namespace vc
