// The question the revision library asks while it resolves a sandbox's
// project variables (where a directory of the master project lies on this
// machine): the Directory Mapping dialog, with a list of the variables the
// user confirmed unchanged, so that one walk asks about each of them once.
//
// A walk sets its target (the sandbox being resolved) with a
// SandboxVariableWalk for its length; without a target every question
// answers -1, which ends the library's walk.
#pragma once

#include <functional>
#include <string>

#include "workbench/project/open_project.h"

namespace orv::workbench::dialogs {

// Runs the Directory Mapping dialog for variable (value holds the proposed
// text and takes the answer; second is the member text): 1 OK, 6 Use
// Defaults, else what ended it.
using VariableQuestion =
    std::function<int(ui::Ui& ui, const std::string& variable, std::string& value, const std::string& second)>;

// The library's sandbox-variable callback: -1 without a target or after Use
// Defaults; 0 for a variable already confirmed in this walk; 1 with value
// filled after OK; another answer of the dialog passes through with value
// emptied, so that the library defines nothing.
int queryVariable(const char* variable, const char* current, char* value, const char* extra);

// The dialog queryVariable runs (the Directory Mapping dialog unless a test
// gives another; none restores it).
void setVariableQuestion(VariableQuestion question);

// The target of the questions and the walk's answer list, for the life of
// the object.
class SandboxVariableWalk {
 public:
  explicit SandboxVariableWalk(project::OpenProject& target);
  ~SandboxVariableWalk();
  SandboxVariableWalk(const SandboxVariableWalk&) = delete;
  SandboxVariableWalk& operator=(const SandboxVariableWalk&) = delete;
};

// Resolves the variables of sandbox through queryVariable: the library's
// code.
int resolveSandboxVariables(project::OpenProject& sandbox);

}  // namespace orv::workbench::dialogs
