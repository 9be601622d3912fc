// What an instance has learnt of the NetWare client and server module: not
// tried yet, or the status the first attempt gave.
#pragma once

namespace vc {

inline constexpr int kNetWareNotTried = 65535;

struct VcNetWareState {
  int moduleStatus = kNetWareNotTried;
  int clientStatus = kNetWareNotTried;
};

}  // namespace vc
