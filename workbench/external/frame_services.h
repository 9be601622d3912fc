// The programs' part of the frame's registration table: the editor behind
// the item commands and the project windows' member operations, and the
// command server's "Diff" and "Convert".
#pragma once

#include "workbench/commands/frame_registry.h"
#include "workbench/layers.h"

namespace orv::workbench::external {

// Registers the editor (View/Edit, Edit Member, a member's file) and
// "Diff" (vardel32 over two files).
void registerProgramServices(commands::FrameRegistry& registry, const commands::FrameContext& context);

// Registers "Convert": the library's importers over the names given.
void registerArchiveImport(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::external
