// Parsing execute texts and answering them.
//
// The walk works on a copy of exactly the bytes received, with a NUL added
// behind them. Words are separated by blanks when the text (up to its first
// NUL) holds a ';', else by NULs. Each separator met before the ';' becomes
// a NUL; the ';' itself stays, so "a.c;" written without the blank is an
// argument with its semicolon. After the argument cap the walk goes on, only
// to find the ';' every text must end with.
#include "workbench/app/execute_command.h"

#include <array>
#include <cctype>

#include "workbench/app/string_table.h"

namespace orv::workbench::app {

namespace {

struct VerbEntry {
  ExecuteVerb verb;
  bool prefix;  // compared on the word's length less the trailing " ;"
};

constexpr std::array kVerbs = {
    VerbEntry{ExecuteVerb::createArchive, false}, VerbEntry{ExecuteVerb::createProject, false},
    VerbEntry{ExecuteVerb::openArchive, false},   VerbEntry{ExecuteVerb::openProject, false},
    VerbEntry{ExecuteVerb::checkIn, false},       VerbEntry{ExecuteVerb::checkOut, false},
    VerbEntry{ExecuteVerb::convert, false},       VerbEntry{ExecuteVerb::configuration, true},
    VerbEntry{ExecuteVerb::diff, false},          VerbEntry{ExecuteVerb::help, true},
    VerbEntry{ExecuteVerb::about, true},
};

bool isWhite(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The NUL-terminated word that starts at start in buffer.
std::string wordAt(const std::string& buffer, std::size_t start) {
  return std::string(buffer.c_str() + start);
}

}  // namespace

std::optional<ExecuteVerb> matchVerb(std::string_view word) {
  for (std::size_t i = 0; i < kVerbs.size(); ++i) {
    std::string_view text = loadString(kStrFirstCommandWord + static_cast<int>(i));
    if (kVerbs[i].prefix) {
      text.remove_suffix(2);
      if (word.substr(0, text.size()) == text) return kVerbs[i].verb;
    } else if (word == text) {
      return kVerbs[i].verb;
    }
  }
  return std::nullopt;
}

std::optional<ExecuteCommand> parseExecute(std::string_view text, const FoldFileName& fold) {
  std::string buffer(text);  // exactly the bytes given, then the NUL of c_str()
  const std::size_t n = buffer.size();
  const char sep = std::string_view(buffer.c_str()).find(';') != std::string_view::npos ? ' ' : '\0';
  std::size_t i = 0;
  while (i < n && isWhite(buffer[i])) ++i;
  if (i == n) return std::nullopt;
  const std::size_t wordStart = i;
  std::vector<std::size_t> argStarts;
  while (i < n && buffer[i] != ';') {
    if (buffer[i] != sep) {
      ++i;
      continue;
    }
    buffer[i++] = '\0';
    while (i < n && isWhite(buffer[i])) ++i;
    if (i == n || buffer[i] == ';') break;
    if (argStarts.size() < kMaxExecuteArgs) argStarts.push_back(i);
  }
  if (i == n || buffer[i] != ';') return std::nullopt;
  auto verb = matchVerb(wordAt(buffer, wordStart));
  if (!verb) return std::nullopt;
  ExecuteCommand command{*verb, {}};
  for (std::size_t start : argStarts) {
    std::string arg = wordAt(buffer, start);
    command.args.push_back(fold ? fold(std::move(arg)) : std::move(arg));
  }
  return command;
}

bool ExecuteServer::acceptsService(std::string_view service) {
  return service == loadString(kStrServiceName);
}

std::uint32_t ExecuteServer::execute(std::string_view text) {
  if (busy_ || libraryDepth_ > 0 || commandDepth_ > 0) return kExecuteRefused;
  auto command = parseExecute(text, fold_);
  if (!command || !sink_.canRun(*command)) return kExecuteRefused;
  sink_.runCommand(*command);
  return kExecuteAccepted;
}

}  // namespace orv::workbench::app
