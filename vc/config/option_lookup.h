// Finding an option or a block across the lists an instance walks: global,
// archive, project first, project second, sandbox, local. The first enforced
// entry wins at once; otherwise the archive beats the global list, the
// project lists count only when the archive had none (each later one beating
// the earlier), and the local list beats all.
#pragma once

#include "vc/config/option_state.h"
#include "vc/instance/instance.h"

#include <string>

namespace vc {

// Which list an answer came from.
enum ListId { kListGlobal = 0, kListLocal = 1, kListArchive = 2, kListProject0 = 3 };

struct OptionHit {
  const VcOption* option = nullptr;
  int list = -1;  // ListId, kListProject0 + n for project list n
};

struct BlockHit {
  const VcBlock* block = nullptr;
  VcOptionList* from = nullptr;
  int list = -1;
};

OptionHit lookupOption(const VcListSet& lists, const std::string& lowerName);
BlockHit lookupBlock(const VcListSet& lists, const std::string& lowerName);

// Derived readers over the instance's current lists: the string value (the
// default when missing or empty) and the boolean (the default when missing,
// else true unless the option carries "No").
std::string optionString(VcInstance& inst, const std::string& name, const std::string& def);
bool optionBool(VcInstance& inst, const std::string& name, bool def);

}  // namespace vc
