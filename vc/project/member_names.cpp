// Member names: the stored, full and working names of a member, the lookup
// of a caller's name, the project variables behind member directories and
// the choice of the variable a new member's path is stored relative to.
//
// The lookup compares a caller's absolute name with every member's full
// name and then with every working name, letter case and "\" against "/"
// not counting, so a sandbox never misses a member because of where its
// variables point. The names are filed once per member in the project's
// member index, not made again for every comparison.
#include "vc/project/project_members.h"

#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/paths/name_parts.h"
#include "vc/paths/path_name.h"

#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vc {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool endsInSeparator(std::string_view s) { return !s.empty() && isSeparator(s.back()); }

std::string joinName(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return endsInSeparator(directory) ? directory + name : directory + "/" + name;
}

std::optional<std::string> listValue(const VcOptionList& list, const std::string& name) {
  const VcOption* o = list.find(name);
  if (!o || !o->value || o->value->empty() || (o->flags & kOptNo)) return std::nullopt;
  return normalizePath(*o->value, true);
}

// The components of a path split at "/" and "\".
std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i)
    if (i == path.size() || isSeparator(path[i])) {
      out.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  return out;
}

// Letters, digits and "_"; for a whole name (firstLetter) a first character
// other than a letter becomes "_" too.
std::string variableNameOf(std::string_view text, bool firstLetter) {
  std::string out;
  for (char c : text) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    out += alnum ? foldAscii(c) : '_';
  }
  if (firstLetter && !out.empty() && !(out[0] >= 'a' && out[0] <= 'z')) out[0] = '_';
  return out;
}

// The variable a path outside every known directory gets: network share,
// drive and directory, drive root, or the first directory of a rooted path.
bool newVariableFor(std::string_view path, std::string& name, std::string& value) {
  if (path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    const std::size_t end = path.find_first_of("/\\", 2);
    if (end == std::string_view::npos || end == 2) return false;
    name = variableNameOf(path.substr(2, end - 2), true);
    value = std::string(path.substr(0, end));
    return true;
  }
  const std::size_t volume = volumeLength(path);
  const std::size_t first = volume + (path.size() > volume && isSeparator(path[volume]) ? 1 : 0);
  if (first == 0) return false;  // relative: nothing to name
  const std::size_t end = path.find_first_of("/\\", first);
  if (end == std::string_view::npos) {  // a file directly in the root
    if (volume == 0) return false;
    name = std::string(1, foldAscii(path[0]));
    value = std::string(path.substr(0, 2));
    return true;
  }
  const std::string dir = variableNameOf(path.substr(first, end - first), false);
  if (dir.empty()) return false;
  name = volume ? std::string(1, foldAscii(path[0])) + "_" + dir : "root_" + dir;
  value = std::string(path.substr(0, end));
  return true;
}

// "$(name)" followed by "/" (unless rest already starts with a separator)
// and rest.
std::string referenceTo(const std::string& name, std::string_view rest) {
  std::string out = "$(" + name + ")";
  if (!rest.empty() && !isSeparator(rest[0])) out += "/";
  return out + std::string(rest);
}

// The option list a new project variable goes to, marked as changed.
VcOptionList& variableTarget(VcProject& p) {
  if (p.throughSandbox) {
    p.sandboxModified = true;
    return p.sandbox.options;
  }
  p.optionsModified = true;
  return p.file.options;
}

// The longest option value that is a leading part of the path, and
// the share directory met on the way.
const VcOption* longestLeadingOption(const VcProject& p, const std::string& path,
                                     std::optional<std::string>& shareDir) {
  const VcOption* best = nullptr;
  std::size_t bestLength = 0;
  for (const VcOptionList* list : {&p.file.options, &p.policies})
    for (const VcOption& o : list->options) {
      if (!o.value || o.value->empty()) continue;
      const std::string value = normalizePath(*o.value, true);
      if (o.name == "sharedir" && !shareDir) shareDir = value;
      if (isLeadingPart(value, path) && value.size() > bestLength) {
        best = &o;
        bestLength = value.size();
      }
    }
  return best;
}

}  // namespace

std::string projectWorkDirectory(VcInstance& inst, VcProject& p) {
  const OptionHit hit = lookupOption(projectLists(inst, p), "workdir");
  if (hit.option && hit.option->value && !hit.option->value->empty())
    return normalizePath(*hit.option->value, true);
  if (p.throughSandbox) return directoryPart(p.sandboxPath);
  return projectDirectory(inst, p);
}

namespace {

// The text with its leading variable expanded, or as it is.
std::string expandLeading(VcInstance& inst, VcProject& p, const std::string& text, bool sandboxFirst) {
  std::string name;
  std::size_t length = 0;
  if (!leadingVariable(text, name, length)) return text;
  const std::optional<std::string> value = variableValue(inst, p, name, sandboxFirst);
  return value ? *value + text.substr(length) : text;
}

bool sameMember(VcInstance& inst, VcProject& p, const VcMember& m, const std::string& absolute,
                bool work) {
  return pathsEqual(work ? workMemberName(inst, p, m, nullptr) : fullMemberName(inst, p, m), absolute);
}

// A name as the lookup files it: two names are the same member name
// (pathsEqual) exactly when their keys are equal.
std::string nameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = isSeparator(c) ? '/' : foldAscii(c);
  return key;
}

// The values member names are made of: the project and work directories and
// the values of the variables that begin the members' directories.
std::string nameContext(VcInstance& inst, VcProject& p, const std::set<std::string>& variables) {
  std::string context = projectDirectory(inst, p);
  context += '\0';
  context += projectWorkDirectory(inst, p);
  for (const std::string& name : variables) {
    for (bool sandboxFirst : {false, true}) {
      const std::optional<std::string> value = variableValue(inst, p, name, sandboxFirst);
      context += '\0';
      context += name;
      context += value ? "=" + *value : std::string("\1");
    }
  }
  return context;
}

// Files a member under its full and working names.
void fileNames(VcInstance& inst, VcProject& p, MemberIt it) {
  MemberIndex& index = p.file.index;
  std::string full = nameKey(fullMemberName(inst, p, *it));
  std::string work = nameKey(workMemberName(inst, p, *it, nullptr));
  index.full[full].push_back(it);
  index.work[work].push_back(it);
  index.keys[&*it] = {std::move(full), std::move(work)};
}

// The names index of p, brought up to date: filed again whole when the
// members changed behind it or a value the names are made of changed, the
// members added since the last lookup filed otherwise.
MemberIndex& namesIndex(VcInstance& inst, VcProject& p) {
  MemberIndex& index = p.file.index;
  std::set<std::string> variables = index.variables;
  for (MemberIt it : index.pending) {
    std::string name;
    std::size_t length = 0;
    if (leadingVariable(it->directory, name, length) && name != "projectdir") variables.insert(name);
  }
  std::string context = nameContext(inst, p, variables);
  const bool current = index.namesBuilt && context == index.context &&
                       index.keys.size() + index.pending.size() == p.file.members.size();
  if (current) {
    for (MemberIt it : index.pending) fileNames(inst, p, it);
    index.pending.clear();
    index.variables = std::move(variables);
    index.context = std::move(context);
    return index;
  }
  index.forgetNames();
  for (const VcMember& m : p.file.members) {
    std::string name;
    std::size_t length = 0;
    if (leadingVariable(m.directory, name, length) && name != "projectdir") index.variables.insert(name);
  }
  index.context = nameContext(inst, p, index.variables);
  index.keys.reserve(p.file.members.size());
  for (auto it = p.file.members.begin(); it != p.file.members.end(); ++it) fileNames(inst, p, it);
  index.namesBuilt = true;
  return index;
}

// The first member in member order among those filed under key, or none.
std::optional<MemberIt> firstFiled(const std::unordered_map<std::string, std::vector<MemberIt>>& names,
                                   const std::string& key) {
  auto entry = names.find(key);
  if (entry == names.end() || entry->second.empty()) return std::nullopt;
  // Member order is by directory, then name; members equal in both keep
  // the order they were filed in.
  MemberIt best = entry->second.front();
  for (MemberIt it : entry->second)
    if (it->directory < best->directory || (it->directory == best->directory && it->name < best->name))
      best = it;
  return best;
}

}  // namespace

bool leadingVariable(std::string_view text, std::string& name, std::size_t& length) {
  if (text.size() < 3 || text[0] != '$' || text[1] != '(') return false;
  const std::size_t close = text.find(')', 2);
  if (close == std::string_view::npos) return false;
  name = asciiLower(std::string(text.substr(2, close - 2)));
  length = close + 1;
  return true;
}

std::string projectDirectory(VcInstance&, VcProject& p) {
  for (const VcOptionList* list : {&p.file.options, &p.policies})
    if (std::optional<std::string> v = listValue(*list, "projectdir")) return *v;
  return directoryPart(p.path);
}

std::optional<std::string> variableValue(VcInstance& inst, VcProject& p, const std::string& name,
                                         bool sandboxFirst) {
  const std::string lower = asciiLower(name);
  if (lower == "projectdir") return projectDirectory(inst, p);
  std::vector<const VcOptionList*> lists = {&p.file.options, &p.policies};
  if (p.throughSandbox) lists.insert(sandboxFirst ? lists.begin() : lists.end(), &p.sandbox.options);
  for (const VcOptionList* list : lists)
    if (std::optional<std::string> v = listValue(*list, lower)) return v;
  return std::nullopt;
}

std::string storedMemberName(const VcMember& m) { return joinName(m.directory, m.name); }

std::string fullMemberName(VcInstance& inst, VcProject& p, const VcMember& m) {
  std::string dir = expandLeading(inst, p, m.directory, false);
  if (dir.compare(0, 2, "$(") != 0 && absoluteNameKind(dir.c_str()) == 0)
    dir = dir.empty() ? projectDirectory(inst, p) : makeAbsoluteName(projectDirectory(inst, p), dir);
  return joinName(dir, m.name);
}

std::string workMemberName(VcInstance& inst, VcProject& p, const VcMember& m, const char* workDir) {
  const std::string base =
      workDir && *workDir ? normalizePath(workDir, true) : projectWorkDirectory(inst, p);
  std::string name;
  std::size_t length = 0;
  std::string dir;
  if (leadingVariable(m.directory, name, length)) {
    dir = name == "projectdir" ? base + m.directory.substr(length)
                               : expandLeading(inst, p, m.directory, true);
  } else if (absoluteNameKind(m.directory.c_str()) == 0) {
    dir = m.directory.empty() ? base : makeAbsoluteName(base, m.directory);
  } else {
    const std::string projectDir = projectDirectory(inst, p);
    dir = pathWithin(projectDir, m.directory)
              ? trimRoot(base) + m.directory.substr(trimRoot(projectDir).size())
              : m.directory;
  }
  return joinName(dir, m.name);
}

int findMember(VcInstance& inst, VcProject& p, const char* name, MemberIt& out, std::string* absolute) {
  if (!name) {
    if (!p.currentMember) return err::kNotMember;
    out = *p.currentMember;
    return 0;
  }
  std::string wanted;
  if (int rc = absoluteLibraryName(inst, name, wanted)) return rc;
  wanted = expandLeading(inst, p, wanted, false);
  if (absolute) *absolute = wanted;
  if (p.currentMember)
    for (bool work : {false, true})
      if (sameMember(inst, p, **p.currentMember, wanted, work)) {
        out = *p.currentMember;
        return 0;
      }
  const MemberIndex& index = namesIndex(inst, p);
  const std::string key = nameKey(wanted);
  for (const auto* names : {&index.full, &index.work})
    if (std::optional<MemberIt> found = firstFiled(*names, key)) {
      out = *found;
      return 0;
    }
  return err::kNotMember;
}

bool pathWithin(std::string_view dir, std::string_view path) {
  if (dir.empty() || dir.size() > path.size() || !pathStartsWith(path, dir)) return false;
  return dir.size() == path.size() || isSeparator(path[dir.size()]) || endsInSeparator(dir);
}

bool isLeadingPart(std::string_view value, std::string_view path) {
  if (value.empty() || value.size() > path.size() || value[0] != path[0]) return false;
  if (endsInSeparator(value) && value.size() > 1) value.remove_suffix(1);
  const std::vector<std::string_view> own = components(value);
  const std::vector<std::string_view> full = components(path);
  if (own.size() >= full.size()) return false;  // the file name never takes part
  for (std::size_t i = 0; i < own.size(); ++i)
    if (own[i].size() != full[i].size() || !pathsEqual(own[i], full[i])) return false;
  return true;
}

int storedMemberPath(VcInstance& inst, VcProject& p, const std::string& absolute, std::string& stored) {
  const std::string projectDir = trimRoot(projectDirectory(inst, p));
  if (pathWithin(projectDir, absolute) && absolute.size() > projectDir.size()) {
    stored = referenceTo("projectdir", std::string_view(absolute).substr(projectDir.size()));
    return 0;
  }
  std::optional<std::string> shareDir;
  const VcOption* chosen = longestLeadingOption(p, absolute, shareDir);
  if (shareDir && pathWithin(trimRoot(*shareDir), absolute)) {
    stored = referenceTo("projectdir", std::string_view(absolute).substr(trimRoot(*shareDir).size()));
    return 0;
  }
  if (chosen) {
    const std::size_t length = normalizePath(*chosen->value, true).size();
    stored = referenceTo(chosen->name, std::string_view(absolute).substr(length));
    return 0;
  }
  std::string name, value;
  if (!newVariableFor(absolute, name, value)) return err::kBadArgument;
  // A name already taken by another value gets a number.
  const std::string base = name;
  for (int n = 2; variableValue(inst, p, name, false).value_or(value) != value; ++n)
    name = base + "_" + std::to_string(n);
  if (!variableValue(inst, p, name, false)) setOption(variableTarget(p), name, value, 0);
  stored = referenceTo(name, std::string_view(absolute).substr(value.size()));
  return 0;
}

bool askProjectVariable(VcInstance& inst, VcProject& p, const std::string& name, const std::string& rest) {
  VcProjectVariableFn ask = inst.callbacks.projectVariable;
  if (!ask) return false;
  std::vector<char> value(1024, '\0');
  const int handle = p.handle;
  const int answer = ask(handle, p.openFlags, name.c_str(), rest.c_str(), value.data(),
                         static_cast<int>(value.size()));
  VcProject* again = nullptr;
  if (lookupProject(inst, handle, again) != 0 || again != &p) return false;  // closed meanwhile
  if (answer != 1) return false;
  value.back() = '\0';
  setOption(variableTarget(p), asciiLower(name), std::string(value.data()), 0);
  return true;
}

void askMemberVariables(VcInstance& inst, VcProject& p) {
  std::vector<std::pair<std::string, std::string>> wanted;
  std::set<std::string> seen;
  for (const VcMember& m : p.file.members) {
    std::string name;
    std::size_t length = 0;
    if (!leadingVariable(m.directory, name, length) || !seen.insert(name).second) continue;
    if (!variableValue(inst, p, name, false))
      wanted.emplace_back(name, storedMemberName(m).substr(length));
  }
  const int handle = p.handle;
  for (const auto& [name, rest] : wanted) {
    VcProject* again = nullptr;
    if (lookupProject(inst, handle, again) != 0) return;
    askProjectVariable(inst, p, name, rest);
  }
}

bool rulesFreeze(const std::optional<std::string>& rules) {
  if (!rules) return false;
  std::size_t start = 0;
  const std::string& text = *rules;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string field = text.substr(start, end - start);
    field = field.substr(0, field.find('='));
    const std::size_t a = field.find_first_not_of(" \t");
    const std::size_t b = field.find_last_not_of(" \t");
    if (a != std::string::npos && equalsNoCase(field.substr(a, b - a + 1), "frozen")) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace vc
