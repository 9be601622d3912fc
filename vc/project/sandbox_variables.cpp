// Sandbox values of project variables (vcSbxVariableReset) and expressions
// over a member's rules (vcMemberBindExpression).
//
// Walking a sandbox's members, every variable that a member's directory or
// its `archive` rule begins with, and that the sandbox does not define yet,
// is offered to the caller's function with the member's working path; an
// answer becomes a sandbox option (flag 128), which the caller saves with
// the sandbox. The walk works on a copy of what it needs, since the caller's
// function may use the library meanwhile.
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"
#include "vc/project/project_members.h"
#include "vc/config/option_state.h"

#include <cstring>
#include <vector>

namespace vc {
namespace {

inline constexpr std::uint32_t kSandboxVariableFlag = 128;

// What one member asks about: its working path and the variables of its
// directory and of its archive rule, with the rule's expanded path.
struct MemberQuestions {
  VcMember member;
  std::string directoryVariable;
  std::string archiveVariable;
  std::string archivePath;
};

// The variable text begins with, when the sandbox should be asked for it.
std::string askable(VcProject& p, const std::string& text) {
  std::string name;
  std::size_t length = 0;
  if (!leadingVariable(text, name, length) || name == "projectdir") return {};
  const VcOption* o = p.sandbox.options.find(name);
  return o && o->value && !o->value->empty() ? std::string() : name;
}

std::string currentValue(VcInstance& inst, VcProject& p, const std::string& name) {
  for (const VcOptionList* list : {&optionsOf(inst).local, &p.file.options}) {
    const VcOption* o = list->find(name);
    if (o && o->value) return *o->value;
  }
  return {};
}

std::vector<MemberQuestions> questionsOf(VcInstance& inst, VcProject& p) {
  std::vector<MemberQuestions> out;
  for (const VcMember& m : p.file.members) {
    MemberQuestions q;
    q.member = m;
    q.directoryVariable = askable(p, m.directory);
    std::string rule = memberRule(m, "archive").value_or("");
    if (rule.size() > 1023) rule.resize(1023);
    rule = normalizePath(rule, true);
    q.archiveVariable = askable(p, rule);
    if (!q.archiveVariable.empty()) {
      std::string name;
      std::size_t length = 0;
      leadingVariable(rule, name, length);
      const std::string value = currentValue(inst, p, name);
      q.archivePath = value.empty() ? rule : value + rule.substr(length);  // never expanded to empty
    }
    out.push_back(std::move(q));
  }
  return out;
}

enum class Answer { Keep, Stop, Stored, Empty, Gone, Failed };

// Asks about one variable; a stored answer makes it a sandbox option.
Answer ask(VcInstance& inst, int handle, VcSandboxVariableFn fn, const std::string& name,
           const VcMember& member, const char* archivePath) {
  VcProject* p = nullptr;
  if (lookupProject(inst, handle, p)) return Answer::Gone;
  if (askable(*p, "$(" + name + ")").empty()) return Answer::Keep;  // answered for an earlier member
  std::vector<char> buffer(kScratchSize, '\0');
  std::strncpy(buffer.data(), workMemberName(inst, *p, member, nullptr).c_str(), buffer.size() - 1);
  const std::string current = currentValue(inst, *p, name);
  const int answer = fn(name.c_str(), current.c_str(), buffer.data(), archivePath);
  if (answer == 0) return Answer::Keep;
  if (answer == -1) return Answer::Stop;
  if (lookupProject(inst, handle, p)) return Answer::Gone;
  buffer.back() = '\0';
  std::string value = buffer.data();
  while (!value.empty() && (value.back() == '/' || value.back() == '\\')) value.pop_back();
  if (value.empty()) return Answer::Empty;
  if (setOption(p->sandbox.options, name, value, kSandboxVariableFlag) == SetResult::Enforced)
    return Answer::Failed;
  p->sandboxModified = true;
  return Answer::Stored;
}

int sandboxVariableReset(VcInstance& inst, int handle, VcSandboxVariableFn fn) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!p->throughSandbox) return inst.lastError = 0;
  if (!fn) return fail(inst, err::kBadArgument);
  for (const MemberQuestions& q : questionsOf(inst, *p)) {
    Answer a = Answer::Keep;
    if (!q.directoryVariable.empty()) a = ask(inst, handle, fn, q.directoryVariable, q.member, nullptr);
    if ((a == Answer::Keep || a == Answer::Stored) && !q.archiveVariable.empty())
      a = ask(inst, handle, fn, q.archiveVariable, q.member, q.archivePath.c_str());
    if (a == Answer::Stop) return fail(inst, err::kDone);
    if (a == Answer::Gone) return fail(inst, err::kBadProjectHandle);
    if (a == Answer::Failed) return fail(inst, err::kOptionEnforced);
  }
  return inst.lastError = 0;
}

int bindExpression(VcInstance& inst, int handle, const char* member, const char* expression) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!expression) return fail(inst, err::kBadArgument);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  const std::string rules = it->rules.value_or("");
  return vcExpression(expression, rules.c_str());
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcSbxVariableReset(int project, VcSandboxVariableFn callback) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return sandboxVariableReset(i, project, callback); });
}

VC_API VcError vcMemberBindExpression(int project, const char* member, const char* expression) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return bindExpression(i, project, member, expression); });
}

}  // extern "C"
