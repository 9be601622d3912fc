// Members of an open project: how their names are formed (as stored, full,
// working), how a caller's name finds a member, how a new member's path is
// stored relative to a variable, and the project variables behind them.
//
// A member's directory is kept as written and may begin with a variable
// reference "$(name)". The full name expands it with the master project's
// values ("projectdir" is the project directory); the working name puts the
// member below the work directory, a sandbox's values of other variables
// coming first. A variable without a value stays unexpanded, so a name never
// silently moves to the file-system root.
#pragma once

#include "vc/project/project_handles.h"
#include "vc/include/vc.h"

#include <list>
#include <optional>
#include <string>
#include <string_view>

namespace vc {

using MemberIt = std::list<VcMember>::iterator;

// Member flag bits a caller sees through VC_MEMBER_ITEM_STATUS of vcGetMember.
inline constexpr std::uint32_t kMemberVisibleFlags = VC_MEMBER_STATUS_ALL;
inline constexpr std::uint32_t kMemberRevisionDiffers = VC_MEMBER_STATUS_REVISION_DIFFERS;

// The name of a leading "$(name)" of text and the length of the reference;
// false when text does not begin with one.
bool leadingVariable(std::string_view text, std::string& name, std::size_t& length);

// The project directory: the option `projectdir` of the project's own lists,
// else the project file's directory.
std::string projectDirectory(VcInstance& inst, VcProject& p);

// The work directory: the option `workdir`, else a sandbox's directory, else
// the project directory.
std::string projectWorkDirectory(VcInstance& inst, VcProject& p);

// The value of a project variable ("projectdir" or the option of that
// name); with sandboxFirst the sandbox's options are asked before the
// project's. None when it has no value.
std::optional<std::string> variableValue(VcInstance& inst, VcProject& p, const std::string& name,
                                         bool sandboxFirst);

// The member as stored: directory as written, "/", name.
std::string storedMemberName(const VcMember& m);
// The full name (master values; a relative directory lies below the project
// directory).
std::string fullMemberName(VcInstance& inst, VcProject& p, const VcMember& m);
// The working name below workDir, or when null or empty below the project's
// work directory (`workdir`, else the sandbox's directory, else the project
// directory).
std::string workMemberName(VcInstance& inst, VcProject& p, const VcMember& m, const char* workDir);

// Finds the member a caller's name means (null: the current member). 0,
// err::kNotMember, or the failure of making the name absolute. The absolute,
// normalised name goes to absolute when given.
int findMember(VcInstance& inst, VcProject& p, const char* name, MemberIt& out,
               std::string* absolute = nullptr);

// True when dir names a directory that holds path (path comparison over the
// directory's length, then the end of path or a separator).
bool pathWithin(std::string_view dir, std::string_view path);
// True when value is a leading part of path: whole directory components,
// the first character exact, the file name never included.
bool isLeadingPart(std::string_view value, std::string_view path);

// The stored form of an absolute member path: below the project directory
// "$(projectdir)/...", else below the longest option value, else below a new
// variable stored in the project (or sandbox). 0 or err::kBadArgument when no
// variable can hold the path.
int storedMemberPath(VcInstance& inst, VcProject& p, const std::string& absolute,
                     std::string& stored);

// Asks the project-variable callback for a variable without value; true when
// it gave one (then stored in the project or its sandbox).
bool askProjectVariable(VcInstance& inst, VcProject& p, const std::string& name,
                        const std::string& rest);
// Asks once for each variable that a member's directory needs and lacks.
void askMemberVariables(VcInstance& inst, VcProject& p);

// The value of the first setting "name=value" of a member's rules, or none.
std::optional<std::string> memberRule(const VcMember& m, std::string_view name);

// Opens a member's archive (its `archive` setting, else the archive search
// over its full name), asking the password callback for an encrypted one
// when a handle is wanted; the archive's name goes to buf. 0 or the open's
// code.
int openMemberArchive(VcInstance& inst, VcProject& p, const VcMember& m, char* buf, int len,
                      int* archive, int mode);

// True when the rules name "frozen" as one of their settings.
bool rulesFreeze(const std::optional<std::string>& rules);

// Ends the comparisons that use p, and moves every comparison cursor off a
// member about to go.
void endComparisonsOf(VcInstance& inst, const VcProject& p);
void forgetMemberInComparisons(VcInstance& inst, const VcProject& p, MemberIt member);

}  // namespace vc
