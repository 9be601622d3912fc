// Where the programs keep their settings files (ORVTY.INI, ORVRCS.RC,
// vardel.ini and the mail profile): $ORV_SETTINGS when set, else
// $XDG_CONFIG_HOME/orv, else ~/.config/orv.
#pragma once

#include <string>

namespace orv::profile {

// The settings directory; created (with its parents) when create is set.
// Empty when no home directory is known.
std::string settingsDirectory(bool create = true);

}  // namespace orv::profile
