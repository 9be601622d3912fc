// Make rules from a project's dependency graph, shared by the plain
// makefile writer and the dependency templates.
//
// A rule names the member's object file (its name without extension, ".", the
// target extension of its extension), " : ", in template form the member's
// source name, then the files it depends on depth first, each once: all of them
// with VC_DEPENDS_ALL_FILES, else only members. Lines wrap before column 70
// with " \", a line feed and four blanks. Names in rules are written as
// GNU make reads them back as one name (makeRuleName); the lists of the
// template form write names as they are.
#pragma once

#include "vc/include/vc.h"

#include <string>

namespace vc {

struct VcInstance;
struct VcProject;
struct VcMember;

inline constexpr int kDependsAll = VC_DEPENDS_ALL_FILES;  // list every used file, not only members
inline constexpr int kDependsTemplate = VC_DEPENDS_TEMPLATE;  // the template form

inline constexpr int kWrapColumn = 70;
inline constexpr const char* kWrapText = " \\\n    ";

// Appends name and a blank to out, wrapping first when the name would reach
// the wrap column; column counts along.
void appendWrapped(std::string& out, std::size_t& column, const std::string& name);

// A file name as a make rule names it: a blank, a tab, "#" and ":" with a
// backslash before them, "$" doubled. Other names stay as they are.
std::string makeRuleName(const std::string& name);

// Appends the member's rule; false when it gets none (no node, or no target
// extension for its extension).
bool appendMemberRule(VcInstance& inst, VcProject& p, VcMember& m, int flags, std::string& out);
// The rules of every member in member order; the number written.
int appendAllRules(VcInstance& inst, VcProject& p, int flags, std::string& out);

// The member's file in its working tree when that exists, else its full name.
std::string memberSourceName(VcInstance& inst, VcProject& p, const VcMember& m);

// Runs a template (already read) through the template line processor into out.
// 0 (ran to the end), VC_E_DONE (`return`), err::kScriptDone (`done`) or
// VC_E_BAD_CONFIG_FILE_LINE (a script error).
int expandDependsTemplate(VcInstance& inst, VcProject& p, const std::string& name,
                          const std::string& text, int flags, std::string& out);

}  // namespace vc
