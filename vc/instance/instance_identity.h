// Who and where the calling process is: its process id (the instance table's
// key), its current directory and the authenticated user. The user-name
// rules themselves live in config/user_name.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vc {

inline constexpr std::size_t kUserNameSize = 50;

struct VcIdentity {
  std::uint32_t processId = 0;
  std::string currentDirectory;  // absolute, '/' separators, case as the system gives it
  // The authenticated user: the system's name found at start-up or the one
  // set through VC_SYSINFO_SET_AUTHENTICATED_USER; valid only under kInstSystemUser (instance.h).
  char userName[kUserNameSize] = {};
};

}  // namespace vc
