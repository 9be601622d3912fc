// Where a user's running window program listens: one Unix-domain socket per
// program, user and display, in a directory only that user may enter.
//
//   ${XDG_RUNTIME_DIR:-/tmp/orv-$UID}/<program>/<display key>.sock
//
// The workbench's program folder is "orvty", the merge program's "vardel".
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
std::string prepareSocketPath(const std::string& program = "orvty");

}  // namespace orv::ipc
