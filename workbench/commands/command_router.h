// Where a menu or tool-bar command goes. Enabling asks the active document
// window's rules first and the frame's rules when the window leaves the
// command undecided. Running a command checks the window its handler needs:
// when that window is not active the command gives the warning beep (or,
// for the silent ones, nothing) and no handler runs. A project window with
// nothing selected is enough: its handler takes the selection and says
// "No lines selected." itself. A command whose handler says it cannot run
// (its dialog is not part of this build) is disabled, whatever the rules
// say, and running it does nothing.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "platform/ui/ui.h"
#include "workbench/app/execute_command.h"
#include "workbench/commands/child_kind.h"
#include "workbench/commands/command_enabling.h"
#include "workbench/layers.h"

namespace orv::workbench::commands {

class CommandRouter {
 public:
  // Runs command id (the user-tool and recent-file handlers tell their
  // entries apart by it).
  using Handler = std::function<void(int id)>;
  // The active window's rules for id.
  using WindowEnabler = std::function<EnableResult(int id)>;
  // Whether the command's handler can run at all.
  using Availability = std::function<bool()>;
  // The kind bits of the recent-file entries, first entry first.
  using RecentKinds = std::function<std::vector<int>()>;

  enum class Outcome {
    handled,    // the handler ran
    refused,    // the needed window is not active (beeped unless silent)
    unhandled,  // no handler is registered for the command, or it cannot run
  };

  CommandRouter(ui::Ui& ui, PermissionOracle& oracle) : ui_(ui), oracle_(oracle) {}

  void setHandler(int id, Handler handler) { handlers_[id] = std::move(handler); }
  // The handler of id runs only while available answers true.
  void setAvailability(int id, Availability available) { availability_[id] = std::move(available); }
  bool hasHandler(int id) const { return handlers_.count(id) != 0; }
  // Whether id has a handler that can run (the window and the user's
  // rules aside).
  bool runnable(int id) const { return hasHandler(id) && available(id); }
  void setRecentKinds(RecentKinds recentKinds) { recentKinds_ = std::move(recentKinds); }
  // The command server kept out while a handler runs (none: no server).
  void setCommandServer(ExecuteServer* server) { server_ = server; }
  // The active document window changed: its kind (none: no window) and its
  // rules.
  void setActiveWindow(ChildKind kind, WindowEnabler enabler);
  ChildKind activeKind() const { return activeKind_; }

  // The state and text the command's menu item and button take; undecided
  // leaves them as they are.
  EnableResult enable(int id) const;
  Outcome dispatch(int id);

 private:
  bool available(int id) const;
  EnableResult enableByRules(int id) const;

  ui::Ui& ui_;
  PermissionOracle& oracle_;
  std::map<int, Handler> handlers_;
  std::map<int, Availability> availability_;
  RecentKinds recentKinds_;
  ChildKind activeKind_ = ChildKind::none;
  WindowEnabler windowEnabler_;
  ExecuteServer* server_ = nullptr;
};

}  // namespace orv::workbench::commands
