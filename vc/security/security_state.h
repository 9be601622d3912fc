// What an instance knows of its security database: whether it is open,
// whether checks are on, where it lives, and the database's last error. A
// part of the instance (securityOf).
#pragma once

#include <string>

namespace vc {

struct VcSecurityState {
  int databaseOpen = 0;
  int on = 0;
  std::string databasePath;
  int error = 0;
};

struct VcInstance;

// What the instance knows of its security database.
VcSecurityState& securityOf(VcInstance& inst);

}  // namespace vc
