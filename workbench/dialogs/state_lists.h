// The states the operation dialogs offer: the list a user may choose from
// (the security database's "AllowedStates" when it names a state, else the
// configuration's "states", in promotion order), and the state a new
// revision starts in (the first word of "states" when the library accepts
// it, else "Exp"). Matching a state against a list and the "LockStates"
// rule are the core's findWordInList and isLockableState.
#pragma once

#include <string>
#include <vector>

namespace orv::workbench::dialogs {

// The states offered to the user, in promotion order; empty when neither
// list is defined.
std::vector<std::string> offeredStates();

// True when the configuration's "states" names at least one state.
bool statesConfigured();

// The state of a new revision of archive (a library handle, 0 for none).
struct InitialState {
  std::string state = "Exp";
  bool fromList = false;  // taken from the "states" list
};
// A first word that the library refuses, or that is wider than a record's
// state field (39 characters), gives "Exp".
InitialState initialState(int archive);

}  // namespace orv::workbench::dialogs
