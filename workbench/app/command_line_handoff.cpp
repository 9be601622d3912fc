// Splitting, resolving, posting and sending command lines between copies.
#include "workbench/app/command_line_handoff.h"

#include <utility>

namespace orv::workbench::app {

std::string joinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name;
    text.push_back('\0');
  }
  return text;
}

std::vector<std::string> splitNames(std::string_view text) {
  std::vector<std::string> names;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find('\0', i);
    if (end == std::string_view::npos) end = text.size();
    if (end > i) names.emplace_back(text.substr(i, end - i));
    i = end + 1;
  }
  return names;
}

std::string resolveAgainst(std::string_view dir, std::string_view name) {
  if (!name.empty() && name.front() == '/') return std::string(name);
  if (dir.empty()) return std::string(name);
  std::string out(dir);
  if (out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

std::string handoffPayload(std::string_view cwd, std::string_view commandLine,
                           std::string_view activationToken) {
  std::string p(cwd);
  p.push_back('\0');
  p.append(activationToken);
  p.push_back('\0');
  p.append(commandLine);
  return p;
}

std::uint32_t ShellRequestHandler::onHandoff(const std::string& cwd,
                                             const std::string& commandLine,
                                             const std::string& activationToken) {
  HandedCommandLine handed{{}, true, activationToken};
  for (const auto& n : splitNames(commandLine)) handed.names.push_back(resolveAgainst(cwd, n));
  ui_.post([open = open_, handed = std::move(handed)] { open(handed); });
  return 0;
}

std::uint32_t ShellRequestHandler::onConnect(const std::string& service, const std::string&) {
  return ExecuteServer::acceptsService(service) ? 1 : 0;
}

std::uint32_t ShellRequestHandler::onExecute(const std::string& text) {
  return server_.execute(text);
}

void ShellRequestHandler::postOwnCommandLine(const std::string& cwd,
                                             const std::vector<std::string>& names) {
  HandedCommandLine handed;
  for (const auto& n : names)
    if (!n.empty()) handed.names.push_back(resolveAgainst(cwd, n));
  ui_.post([open = open_, handed = std::move(handed)] { open(handed); });
}

bool sendHandoff(int fd, std::string_view cwd, std::string_view commandLine,
                 std::string_view activationToken, int timeoutMs) {
  auto answer = ipc::request(fd, ipc::kFrameHandoff,
                             handoffPayload(cwd, commandLine, activationToken), timeoutMs);
  return answer && *answer == 0;
}

}  // namespace orv::workbench::app
