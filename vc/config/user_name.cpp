// The user-name rules (see user_name.h).
#include "vc/config/user_name.h"
#include "platform/sys/system_calls.h"

#include "vc/config/option_lookup.h"
#include "vc/tokens/safe_names.h"
#include "vc/instance/instance.h"

#include <cstring>

namespace vc {
namespace {

// The name both rules fall back on when neither source has one.
const char* const kNoUser = "unknown";

std::string firstOf(std::string first, const std::string& second) {
  if (first.empty()) first = second;
  if (first.empty()) first = kNoUser;
  return sanitizeName(first);
}

}  // namespace

std::string authenticatedUser(const VcInstance& inst) {
  return (inst.flags & kInstSystemUser) ? std::string(inst.identity.userName) : std::string();
}

std::string startUpUserName(const VcInstance& inst) {
  if (inst.flags & kInstSystemUser) return inst.identity.userName;
  const char* logname = orv::sys::calls().getenv("LOGNAME");
  return logname ? logname : "";
}

std::string currentUserName(VcInstance& inst) {
  return firstOf(authenticatedUser(inst), optionString(inst, "logname", ""));
}

std::string loginName(VcInstance& inst) {
  return firstOf(optionString(inst, "logname", ""), authenticatedUser(inst));
}

}  // namespace vc
