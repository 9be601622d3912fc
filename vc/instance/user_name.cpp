// The user-name rules (see user_name.h) and the account name of the
// effective user through the password database.
#include "vc/instance/user_name.h"
#include "platform/sys/system_calls.h"

#include "vc/config/option_lookup.h"
#include "vc/tokens/safe_names.h"
#include "vc/instance/instance.h"

#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>

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

int systemUserName(char* buf, std::size_t len) {
  if (!buf || len < 50) return 4;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> scratch(16384);
  auto& os = orv::sys::calls();
  if (os.getpwuid_r(os.geteuid(), &pw, scratch.data(), scratch.size(), &found) != 0 || !found ||
      !found->pw_name || !*found->pw_name)
    return 5;
  std::size_t n = std::strlen(found->pw_name);
  if (n >= len) return 5;
  std::memcpy(buf, found->pw_name, n + 1);
  return 0;
}

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
