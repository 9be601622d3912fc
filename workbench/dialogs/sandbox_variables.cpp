// The sandbox-variable question (see sandbox_variables.h).
#include "workbench/dialogs/sandbox_variables.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "vc/include/vc.h"
#include "workbench/external/variable_query.h"

namespace orv::workbench::dialogs {

namespace {

// The library's value buffer holds this many bytes.
constexpr std::size_t kValueBuffer = 512;

project::OpenProject* g_target = nullptr;
std::vector<std::string> g_confirmed;
VariableQuestion g_question;

int askWithDialog(ui::Ui& ui, const std::string& variable, std::string& value, const std::string& second) {
  return external::queryVariable(ui, variable, value, second, false, true);
}

std::string withForwardSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

}  // namespace

void setVariableQuestion(VariableQuestion question) { g_question = std::move(question); }

int queryVariable(const char* variable, const char* current, char* value, const char* extra) {
  if (!g_target || !variable || !value) return -1;
  const std::string name = variable;
  if (std::find(g_confirmed.begin(), g_confirmed.end(), name) != g_confirmed.end()) return 0;
  const std::string proposed = current ? current : "";
  std::string answer = proposed;
  const std::string second = extra && *extra ? extra : value;
  const int result =
      g_question ? g_question(g_target->ui(), name, answer, second) : askWithDialog(g_target->ui(), name, answer, second);
  if (result == 1) {
    const std::size_t n = std::min(answer.size(), kValueBuffer - 1);
    std::memcpy(value, answer.data(), n);
    value[n] = '\0';
    if (withForwardSlashes(answer) == withForwardSlashes(proposed)) g_confirmed.push_back(name);
    return 1;
  }
  if (result == external::kQueryUseDefaults) return -1;
  // The buffer came holding the member's name: emptied, it defines nothing.
  value[0] = '\0';
  return result;
}

SandboxVariableWalk::SandboxVariableWalk(project::OpenProject& target) {
  g_target = &target;
  g_confirmed.clear();
}

SandboxVariableWalk::~SandboxVariableWalk() {
  g_target = nullptr;
  g_confirmed.clear();
}

int resolveSandboxVariables(project::OpenProject& sandbox) {
  SandboxVariableWalk walk(sandbox);
  return vcSbxVariableReset(sandbox.project, queryVariable);
}

}  // namespace orv::workbench::dialogs
