// Permissions, configuration flags and event-script variables through the
// revision library's calls.
#include "workbench/app/library_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "vc/include/vc.h"
#include "workbench/app/string_table.h"

namespace orv::workbench::app {

namespace {


bool isListSeparator(char c) { return c == ' ' || c == ',' || c == ';' || c == '\t'; }

int g_savedProject = 0;
int g_savedArchive = 0;

int readHandleItem(int item) {
  int value = 0;
  char buffer[sizeof value] = {};
  if (vcGetSysInfo(item, buffer, sizeof buffer) != 0) return 0;
  std::memcpy(&value, buffer, sizeof value);
  return value;
}

int setTemporary(const char* name, const std::string& value) {
  if (vcSetConfig(name, value.c_str()) == 0) vcSetConfigFlags(name, VC_OPTION_TEMPORARY);
  return 0;
}

}  // namespace

bool hasPermission(const char* name) { return vcGetPerm(name) == 0; }

void prefetchPermissions() {
  static const char* const kNames[] = {
      "CreateArchive", "OpenArchive",  "ModifyArchive", "CreateProject", "OpenProject",
      "ModifyProject", "CreateSandbox", "OpenSandbox",  "FreezeProject", "ThawProject",
      "AddMember",     "RemoveMember", "FreezeMember",  "ThawMember",    "CheckIn",
      "CheckOut",      "Lock",         "BreakLocks",    "LockStates",    "AddLabel",
      "DeleteLabel",   "Promote",      "Demote",        "AllowedStates", "DeleteRevision",
      "Reports",       "ModifySandbox", "Checkpoint",   "EncryptArchive"};
  for (const char* name : kNames) vcGetPerm(name);
}

std::vector<std::string_view> listWords(std::string_view list) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && isListSeparator(list[i])) ++i;
    if (i >= list.size()) break;
    std::size_t e = i;
    while (e < list.size() && !isListSeparator(list[e])) ++e;
    words.push_back(list.substr(i, e - i));
    i = e;
  }
  return words;
}

int findWordInList(std::string_view word, std::string_view list) {
  const std::vector<std::string_view> words = listWords(list);
  for (std::size_t i = 0; i < words.size(); ++i)
    if (words[i] == word) return static_cast<int>(i);
  return -1;
}

bool isLockableState(std::string_view state) {
  char value[256] = {};
  if (vcGetPermValue("LockStates", value, sizeof value) != 0) return true;
  // A value without a word (empty, or separators only) restricts nothing.
  const std::vector<std::string_view> words = listWords(value);
  return words.empty() || std::find(words.begin(), words.end(), state) != words.end();
}

bool configFlagIsOn(const char* name, int* valueGiven) {
  if (!name) return false;
  unsigned flags = 0;
  if (vcGetConfigFlags(name, &flags) != 0) {
    if (valueGiven) *valueGiven = 0;
    return false;
  }
  if (valueGiven) *valueGiven = (flags & VC_OPTION_ENFORCED) ? 1 : 0;
  return (flags & (VC_OPTION_NO | VC_OPTION_NOT_FOUND)) == 0;
}

std::string foldFileNameCase(std::string name) {
  unsigned flags = 0;
  if (vcGetConfigFlags("preservefilecase", &flags) != 0 || (flags & VC_OPTION_NO) == 0) return name;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

int setWorkFileVariable(const std::string& path) { return setTemporary("workfile", path); }

int setMemberVariables(char memberType, const std::string& referenceFile) {
  setTemporary("reffile", referenceFile);
  setTemporary("memtype", std::string(memberTypeName(memberType)));
  return 0;
}

std::string_view memberTypeName(char memberType) {
  switch (memberType) {
    case 'f': return loadString(kStrMemberNonArchived);
    case 'a': return loadString(kStrMemberArchived);
    case 'i': return loadString(kStrMemberSubproject);
    default: return {};
  }
}

void saveLibraryContext() {
  g_savedProject = readHandleItem(81);
  g_savedArchive = readHandleItem(82);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, "0");
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "0");
}

void restoreLibraryContext() {
  char text[16];
  std::snprintf(text, sizeof text, "%d", g_savedProject);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, text);
  std::snprintf(text, sizeof text, "%d", g_savedArchive);
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, text);
}

}  // namespace orv::workbench::app
