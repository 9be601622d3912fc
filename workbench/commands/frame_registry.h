// The registration table between the frame and the dialogs and services
// its commands and windows run. Each dialog flow and window service
// registers itself where it lives, with a function that fills its part of
// a FrameRegistry from the frame's context; one table lists those
// functions (dialogs::frameRegistrations()), and the frame walks it once
// as it starts. A new dialog touches its own folder, the table and the
// command table, not the frame.
//
// The registrations are plain functions in a table, not static objects: a
// static library drops an object file nothing refers to, and a
// registration with it.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/app/execute_command.h"
#include "workbench/commands/command_handlers.h"
#include "workbench/commands/open_create_commands.h"
#include "workbench/commands/window_commands.h"
#include "workbench/external/program_starts.h"
#include "workbench/layers.h"
#include "workbench/project/project_member_ops.h"

namespace orv::workbench::commands {

// What the frame lends every registration.
struct FrameContext {
  ui::Ui& ui;
  // How the editor, vardel32 and the user tools start.
  ProgramStarts& starts;
  // The frame's document windows (none in a test without a frame).
  WindowRegistry* windows = nullptr;
};

// A command of the command server that a registration answers: its
// handler, and whether the frame comes to the front first.
struct ExecuteHandler {
  bool bringForward = true;
  std::function<void(const std::vector<std::string>& args)> run;
};

// What the registrations fill: the operation dialogs' flows behind the
// commands, the services of the open and create commands, of the item
// commands and of the project windows' member operations, and the
// command server's commands that run a dialog or a program.
struct FrameRegistry {
  DialogFlows flows;
  OpenCreateServices opening;
  WindowCommandServices items;
  MemberDialogs memberDialogs;
  std::map<ExecuteVerb, ExecuteHandler> execute;
};

// A registration: fills its part of registry.
using FrameRegistration = void (*)(FrameRegistry& registry, const FrameContext& context);

// Runs each registration of table in order over registry.
inline void runRegistrations(std::span<const FrameRegistration> table, FrameRegistry& registry,
                             const FrameContext& context) {
  for (FrameRegistration registration : table) registration(registry, context);
}

}  // namespace orv::workbench::commands
