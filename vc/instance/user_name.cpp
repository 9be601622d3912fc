// Account name of the effective user through the password database.
#include "vc/instance/user_name.h"
#include "platform/sys/system_calls.h"

#include <cstring>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace vc {

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

}  // namespace vc
