// Where a user's running workbench listens: one Unix-domain socket per user
// and display, in a directory only that user may enter.
//
//   ${XDG_RUNTIME_DIR:-/tmp/orv-$UID}/orvty/<display key>.sock
//
// The display key is $ORVTY_INSTANCE_KEY when set (tests), else
// $WAYLAND_DISPLAY, else $DISPLAY with ':' turned into 'x', else
// "nodisplay"; '/' in it becomes '_'.
#pragma once

#include <string>

namespace orv::ipc {

std::string displayKey();

// Creates the socket directory (and /tmp/orv-$UID) with mode 0700 when
// missing and checks that it is a real directory of ours that nobody else
// may enter. The socket's path, or empty with errno set.
std::string prepareSocketPath();

}  // namespace orv::ipc
