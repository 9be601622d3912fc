// The command server's language: an execute text names one workbench
// command and its arguments ("OpenArchive /src/a.c /src/b.c ;"), and the
// server answers whether it ran. Parsing is a pure function over the bytes
// a client sent; ExecuteServer adds the refusals (configuration sheet open,
// a library call in progress) and hands the command to an ExecuteSink.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/layers.h"

namespace orv::workbench::app {

// The commands, in the order their words are matched.
enum class ExecuteVerb {
  createArchive,
  createProject,
  openArchive,
  openProject,
  checkIn,
  checkOut,
  convert,
  configuration,
  diff,
  help,
  about,
};

struct ExecuteCommand {
  ExecuteVerb verb = ExecuteVerb::about;
  std::vector<std::string> args;  // without the command word, case-folded
};

// At most this many arguments are kept; the rest of the text is only
// searched for its closing ';'.
constexpr std::size_t kMaxExecuteArgs = 298;

// The answers of the server.
constexpr std::uint32_t kExecuteAccepted = 0x8000;
constexpr std::uint32_t kExecuteRefused = 0;

// Folds the case of a file name as the configuration asks.
using FoldFileName = std::function<std::string(std::string)>;

// The verb a command word names: the first entry of the table that
// matches; "Configuration", "Help" and "About" match any word they begin.
std::optional<ExecuteVerb> matchVerb(std::string_view word);

// The command of an execute text of exactly text.size() bytes (NULs
// included), or nothing when the text is empty, has no closing ';' or names
// no command.
std::optional<ExecuteCommand> parseExecute(std::string_view text, const FoldFileName& fold);

// Runs a recognised command (the handlers of the menus).
class ExecuteSink {
 public:
  virtual ~ExecuteSink() = default;
  virtual void runCommand(const ExecuteCommand& command) = 0;
  // Whether runCommand has something to run for command; the server
  // refuses one it has not.
  virtual bool canRun(const ExecuteCommand& command) const {
    (void)command;
    return true;
  }
};

class ExecuteServer {
 public:
  ExecuteServer(ExecuteSink& sink, FoldFileName fold) : sink_(sink), fold_(std::move(fold)) {}

  // Whether a client may talk to us: the service name byte for byte.
  static bool acceptsService(std::string_view service);
  // Parses and runs text; kExecuteAccepted when a command ran (whatever
  // its handler made of it), else kExecuteRefused (also for a command the
  // sink cannot run).
  std::uint32_t execute(std::string_view text);

  // Set while the configuration sheet is open: every execute is refused.
  void setBusy(bool busy) { busy_ = busy; }
  // Library calls in progress (their callbacks run nested loops in which
  // executes may arrive); while any is, executes are refused.
  void enterLibraryCall() { ++libraryDepth_; }
  void leaveLibraryCall() { --libraryDepth_; }
  // Menu commands in progress (their dialogs and boxes run nested loops in
  // which executes may arrive); while any is, executes are refused, so that
  // no command starts inside another.
  void enterCommand() { ++commandDepth_; }
  void leaveCommand() { --commandDepth_; }

 private:
  ExecuteSink& sink_;
  FoldFileName fold_;
  bool busy_ = false;
  int libraryDepth_ = 0;
  int commandDepth_ = 0;
};

// Counts one library call in progress for its lifetime.
class LibraryCallScope {
 public:
  explicit LibraryCallScope(ExecuteServer& server) : server_(server) { server_.enterLibraryCall(); }
  ~LibraryCallScope() { server_.leaveLibraryCall(); }
  LibraryCallScope(const LibraryCallScope&) = delete;
  LibraryCallScope& operator=(const LibraryCallScope&) = delete;

 private:
  ExecuteServer& server_;
};

}  // namespace orv::workbench::app
