// What an instance has learnt of the NetWare client and server module: not
// tried yet, or the status the first attempt gave. A part of the instance
// (netwareOf).
#pragma once

namespace vc {

inline constexpr int kNetWareNotTried = 65535;

struct VcNetWareState {
  int moduleStatus = kNetWareNotTried;
  int clientStatus = kNetWareNotTried;
};

struct VcInstance;

// What the instance has learnt of NetWare.
VcNetWareState& netwareOf(VcInstance& inst);

}  // namespace vc
