// Small questions the workbench asks the revision library before and around
// its operations: permissions of the current user, configuration flags, the
// variables that event scripts read (workfile, reffile, memtype), and the
// library's current project and archive saved around work that must not
// disturb them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "workbench/layers.h"

namespace orv::workbench::app {

// True when the current user holds the permission.
bool hasPermission(const char* name);
// Asks once for every permission the workbench tests, so that later
// questions are answered from the library's cache.
void prefetchPermissions();

// The words of a list separated by runs of blanks, commas, semicolons or
// tabs, in order.
std::vector<std::string_view> listWords(std::string_view list);
// The index (from 0) of word in a list separated by blanks, commas,
// semicolons or tabs; -1 when absent. Words compare exactly.
int findWordInList(std::string_view word, std::string_view list);
// True when the user's "LockStates" value is unset, empty or only
// separators, or names state.
bool isLockableState(std::string_view state);

// A configuration flag: false for a null name or a missing option; valueGiven
// (when given) is set from flag bit 4 (the option is enforced); false when
// the option is negated (bit 1) or missing (bit 2); else true.
bool configFlagIsOn(const char* name, int* valueGiven = nullptr);
// The name lower-cased when "preservefilecase" is off, else unchanged.
std::string foldFileNameCase(std::string name);

// The library variable "workfile" (a temporary option) for event scripts.
int setWorkFileVariable(const std::string& path);
// The library variables "reffile" and "memtype" for a member of type
// 'f', 'a' or 'i'.
int setMemberVariables(char memberType, const std::string& referenceFile);
// The name of a member type: "Non-Archived", "Archived", "Subproject", or
// empty for another letter.
std::string_view memberTypeName(char memberType);

// The library's current project and archive, saved and cleared, and put
// back. Saves do not nest.
void saveLibraryContext();
void restoreLibraryContext();

}  // namespace orv::workbench::app
