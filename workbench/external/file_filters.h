// The filters of the workbench's file choosers, in the system's form:
// description and patterns, each ended by '|'.
#pragma once

#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::external {

// Member files: Open Archive, Create Archive, Import and Create Project.
inline constexpr std::string_view kMemberFileFilter =
    "All Files|*.*|C/C++ Files|*.cpp;*.c;*.hpp;*.h|VB Files|*.frm;*.frx;*.bas|"
    "Delphi Files|*.dpr;*.opt;*.pas;*.dfm|Make Files|*.mk;*.mak;*.ide|"
    "Resource Files|*.rc;*.cur;*.ico;*.bmp;*.rle;*.fnt;*.dlg;*.def|"
    "Document Files|*.doc;*.txt|TY Project Files|*.pj|";

// Project and sandbox files: Open Project.
inline constexpr std::string_view kProjectFileFilter = "Project Files (*.pj)|*.pj|All Files (*.*)|*.*|";

}  // namespace orv::workbench::external
