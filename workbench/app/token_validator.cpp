// The decision table of the token check: which class each kind asks, which
// kinds let an empty entry pass, and which message a rejection shows.
#include "workbench/app/token_validator.h"

#include <array>

#include "vc/include/vc.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

namespace {

struct KindRule {
  int tokenClass;
  int fallbackClass;  // asked when the first class fails; 0 for none
  bool emptyPasses;
  int messageId;
};

constexpr std::array<KindRule, 8> kRules = {{
    {VC_TOKEN_LABEL, 0, true, kStrBadLabel},
    {VC_TOKEN_REVISION, 0, false, kStrBadRevision},
    {VC_TOKEN_STATE, 0, false, kStrBadState},
    {VC_TOKEN_USER, 0, false, kStrBadAuthor},
    {VC_TOKEN_REVISION, VC_TOKEN_LABEL, true, kStrBadBranch},
    {VC_TOKEN_CONFIG_LINE, 0, true, kStrBadAttribute},
    {VC_TOKEN_STATE, 0, true, kStrBadState},
    {VC_TOKEN_NAME_FORMAT, 0, true, kStrBadArchivePath},
}};


}  // namespace

Validation validateToken(int kind, const std::string& text, int focusId, const CheckToken& check) {
  if (focusId == kCancelAllId) return {};
  if (kind < 0 || kind >= static_cast<int>(kRules.size()))
    return {true, kStrBadValidatorKind, ui::MessageIcon::error};
  const KindRule& rule = kRules[static_cast<std::size_t>(kind)];
  if (text.empty() && rule.emptyPasses) return {};
  int result = check(rule.tokenClass, text);
  if (result != 0 && rule.fallbackClass != 0) result = check(rule.fallbackClass, text);
  if (result == 0) return {};
  if (result == VC_E_BAD_TOKEN) return {false, rule.messageId, ui::MessageIcon::warning};
  return {false, kStrCannotValidate, ui::MessageIcon::warning};
}

}  // namespace orv::workbench::app
