// Command enabling and dispatch over the command table.
#include "workbench/commands/command_router.h"

#include "workbench/commands/command_table.h"

namespace orv::workbench::commands {

void CommandRouter::setActiveWindow(ChildKind kind, WindowEnabler enabler) {
  activeKind_ = kind;
  windowEnabler_ = kind == ChildKind::none ? WindowEnabler{} : std::move(enabler);
}

bool CommandRouter::available(int id) const {
  auto it = availability_.find(id);
  return it == availability_.end() || !it->second || it->second();
}

EnableResult CommandRouter::enable(int id) const {
  EnableResult result = enableByRules(id);
  if (!available(id)) result.state = Enabling::disabled;  // the item keeps its text
  return result;
}

EnableResult CommandRouter::enableByRules(int id) const {
  if (windowEnabler_) {
    EnableResult result = windowEnabler_(id);
    if (result.state != Enabling::undecided) return result;
  }
  const std::vector<int> kinds = recentKinds_ ? recentKinds_() : std::vector<int>{};
  return enableForFrame(id, oracle_, kinds);
}

CommandRouter::Outcome CommandRouter::dispatch(int id) {
  if (const CommandInfo* info = findCommand(id); info && info->needs != Needs::nothing) {
    const ChildKind needed = requiredKind(*info);
    if (activeKind_ == ChildKind::none || (needed != ChildKind::none && needed != activeKind_)) {
      if (!info->silent) ui_.beep();
      return Outcome::refused;
    }
  }
  auto it = handlers_.find(id);
  if (it == handlers_.end() || !it->second || !available(id)) return Outcome::unhandled;
  const Handler handler = it->second;  // a handler may replace itself while it runs
  struct CommandScope {
    ExecuteServer* server;
    explicit CommandScope(ExecuteServer* s) : server(s) {
      if (server) server->enterCommand();
    }
    ~CommandScope() {
      if (server) server->leaveCommand();
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
  } scope(server_);
  handler(id);
  return Outcome::handled;
}

}  // namespace orv::workbench::commands
