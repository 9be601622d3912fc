// Reading and changing one member: vcGetMember (the member walk and the
// member's fields by item number), vcSetMember (kind, rules, revision,
// dependency text, freezing and thawing), vcInProject and
// vcMemberSetPosition (choosing the current member), vcMemberWorkName and
// vcMemberOpenArchive.
//
// The walk cursor and the current member are apart: only the walk items
// move the cursor, and choosing a member by name or position leaves the walk
// where it stood.
#include "vc/project/project_members.h"

#include "vc/project/project_uses.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"
#include "vc/project/current_project_scope.h"
#include "vc/security/permissions.h"

#include <cstring>
#include <iterator>
#include <vector>

namespace vc {
namespace {

int intOut(VcInstance& inst, std::uint32_t value, char* buf, int len) {
  if (!buf) return fail(inst, err::kBadArgument);
  if (len < 4) return fail(inst, err::kBufferTooSmall);
  std::memcpy(buf, &value, sizeof value);
  inst.lastError = 0;
  return 0;
}

int byteOut(VcInstance& inst, char value, char* buf, int len) {
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  buf[0] = value;
  inst.lastError = 0;
  return 0;
}

// VC_MEMBER_ITEM_FIRST to _NEXT_STORED: the first or next member of the walk.
int walkItem(VcInstance& inst, VcProject& p, int item, char* buf, int len) {
  auto& members = p.file.members;
  const bool first = item == VC_MEMBER_ITEM_FIRST || item == VC_MEMBER_ITEM_FIRST_STORED;
  MemberIt at = members.end();
  if (first) {
    at = members.begin();
  } else if (p.walkCursor) {
    // end() stands for "before the first member" (its member was deleted).
    at = *p.walkCursor == members.end() ? members.begin() : std::next(*p.walkCursor);
  }
  if (at == members.end()) {
    p.walkCursor.reset();
    return fail(inst, err::kNotMember);
  }
  p.walkCursor = at;
  p.currentMember = at;
  const std::string text =
      item < VC_MEMBER_ITEM_FIRST_STORED ? fullMemberName(inst, p, *at) : storedMemberName(*at);
  return copyResult(&inst, text, buf, len);
}

// VC_MEMBER_ITEM_RECORDED_SIZE to _TIME: the member's dependency record.
int nodeItem(VcInstance& inst, const VcMember& m, int item, char* buf, int len) {
  if (!m.node) return fail(inst, err::kDone);
  const VcUsesNode& n = *m.node;
  switch (item) {
    case VC_MEMBER_ITEM_RECORDED_SIZE: return intOut(inst, n.recordedSize, buf, len);
    case VC_MEMBER_ITEM_RECORDED_SUM: return intOut(inst, n.recordedSum, buf, len);
    case VC_MEMBER_ITEM_RECORDED_TIME: return intOut(inst, n.recordedTime, buf, len);
    case VC_MEMBER_ITEM_SIZE: return intOut(inst, n.currentSize, buf, len);
    case VC_MEMBER_ITEM_SUM: return intOut(inst, n.currentSum, buf, len);
    case VC_MEMBER_ITEM_TIME: return intOut(inst, n.currentTime, buf, len);
    default: return copyResult(&inst, n.revision.value_or(""), buf, len);  // RECORDED_REVISION
  }
}

int getMember(VcInstance& inst, int handle, int item, char* buf, int len) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (item >= VC_MEMBER_ITEM_FIRST && item <= VC_MEMBER_ITEM_NEXT_STORED)
    return walkItem(inst, *p, item, buf, len);
  if (item < VC_MEMBER_ITEM_NAME || item > VC_MEMBER_ITEM_FROZEN) return fail(inst, err::kBadArgument);
  if (!p->currentMember) return fail(inst, err::kNotMember);
  const VcMember& m = **p->currentMember;
  if (item >= VC_MEMBER_ITEM_RECORDED_SIZE && item <= VC_MEMBER_ITEM_TIME) {
    settleUses(inst, *p);
    return nodeItem(inst, m, item, buf, len);
  }
  switch (item) {
    case VC_MEMBER_ITEM_NAME: return copyResult(&inst, fullMemberName(inst, *p, m), buf, len);
    case VC_MEMBER_ITEM_REVISION: return copyResult(&inst, m.revision.value_or(""), buf, len);
    case VC_MEMBER_ITEM_KIND: return byteOut(inst, m.kind, buf, len);
    case VC_MEMBER_ITEM_STATUS: return intOut(inst, m.flags & kMemberVisibleFlags, buf, len);
    case VC_MEMBER_ITEM_PROJECT: return copyResult(&inst, p->path, buf, len);
    case VC_MEMBER_ITEM_STORED_NAME: return copyResult(&inst, storedMemberName(m), buf, len);
    case VC_MEMBER_ITEM_NEWER_REVISION: return copyResult(&inst, m.newerRevision, buf, len);
    case VC_MEMBER_ITEM_LOCKER: return copyResult(&inst, m.locker, buf, len);
    case VC_MEMBER_ITEM_RULES: return copyResult(&inst, m.rules.value_or(""), buf, len);
    default: return byteOut(inst, rulesFreeze(m.rules) ? 1 : 0, buf, len);  // FROZEN
  }
}

// Logs a change of a member: "<action>[ <new>][ was <old>]".
void logChange(VcInstance& inst, VcProject& p, const VcMember& m, const std::string& action,
               const std::optional<std::string>& now, const std::optional<std::string>& was) {
  std::string second = action;
  if (now && !now->empty()) second += " " + *now;
  if (was) second += " was " + *was;
  addLogEntry(p, fullMemberName(inst, p, m), second);
}

void setRules(VcInstance& inst, VcProject& p, VcMember& m, std::optional<std::string> rules) {
  if (rules && rules->empty()) rules.reset();
  const std::optional<std::string> was = m.rules;
  m.rules = std::move(rules);
  p.modified = true;
  logChange(inst, p, m, "new-rules", m.rules, was.value_or("none"));
}

// The rules without the setting "frozen" and the separators around it.
std::string thawedRules(const std::string& rules) {
  std::string out;
  std::size_t start = 0;
  while (start <= rules.size()) {
    std::size_t end = rules.find(',', start);
    if (end == std::string::npos) end = rules.size();
    const std::string field = rules.substr(start, end - start);
    const std::size_t a = field.find_first_not_of(" \t");
    const std::size_t b = field.find_last_not_of(" \t");
    const std::string word = a == std::string::npos ? "" : field.substr(a, b - a + 1);
    if (!word.empty() && !rulesFreeze(word)) out += (out.empty() ? "" : ",") + word;
    start = end + 1;
  }
  return out;
}

int freezeMember(VcInstance& inst, VcProject& p, VcMember& m, bool on) {
  if (m.kind == 'f' || rulesFreeze(m.rules) == on) return 0;
  if (int rc = on ? requirePermission(inst, "freezemember", err::kDenyFreezeMember)
                  : requirePermission(inst, "thawmember", err::kDenyThawMember))
    return rc;
  if (on)
    setRules(inst, p, m, m.rules ? *m.rules + ",frozen" : std::string("frozen"));
  else
    setRules(inst, p, m, thawedRules(*m.rules));
  return 0;
}

void setDependencyText(VcInstance& inst, VcProject& p, VcMember& m, const char* value) {
  VcUsesNode* node = memberNode(inst, p, m);
  node->revision = value ? std::optional<std::string>(value) : std::nullopt;
  p.usesChanged = true;
  if (node->revision != m.revision)
    m.flags |= kMemberRevisionDiffers;
  else
    m.flags &= ~kMemberRevisionDiffers;
}

int changeMember(VcInstance& inst, VcProject& p, VcMember& m, int item, const char* value) {
  switch (item) {
    case VC_MEMBER_ITEM_SET_KIND: {
      if (!*value || !std::strchr("asif", value[0])) return err::kBadInfoRequest;
      if (value[0] == m.kind) return 0;
      const std::string change = std::string(1, value[0]) + " was " + std::string(1, m.kind);
      m.kind = value[0];
      if (m.kind == 'f') m.revision.reset();
      p.modified = true;
      logChange(inst, p, m, "new-type", change, std::nullopt);
      return 0;
    }
    case VC_MEMBER_ITEM_SET_RULES:
      if (rulesFreeze(std::string(value))) return err::kBadFreeze;
      setRules(inst, p, m, std::string(value));
      return 0;
    case VC_MEMBER_ITEM_SET_REVISION: {
      const std::optional<std::string> was = m.revision;
      m.revision = *value ? std::optional<std::string>(value) : std::nullopt;
      p.modified = true;
      logChange(inst, p, m, "new-revision", m.revision, was);
      return 0;
    }
    case VC_MEMBER_ITEM_SET_RECORDED_REVISION: setDependencyText(inst, p, m, value); return 0;
    default: return freezeMember(inst, p, m, item == VC_MEMBER_ITEM_FREEZE);
  }
}

int setMember(VcInstance& inst, int handle, int item, const char* value) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (item < VC_MEMBER_ITEM_SET_KIND || item > VC_MEMBER_ITEM_THAW) return fail(inst, err::kBadArgument);
  if (item != VC_MEMBER_ITEM_SET_RECORDED_REVISION && !p->openForWrite())
    return fail(inst, err::kNotOpenForWrite);
  if (item < VC_MEMBER_ITEM_SET_RECORDED_REVISION && !value) return fail(inst, err::kBadArgument);
  if (item != VC_MEMBER_ITEM_SET_KIND && item != VC_MEMBER_ITEM_SET_RULES && value &&
      item < VC_MEMBER_ITEM_FREEZE && std::strchr(value, ' '))
    return fail(inst, err::kBadArgument);
  if (p->frozen()) return fail(inst, err::kProjectFrozen);
  if (!p->currentMember) return fail(inst, err::kNotMember);
  VcMember& m = **p->currentMember;
  if (item < VC_MEMBER_ITEM_SET_RECORDED_REVISION && rulesFreeze(m.rules))
    return fail(inst, err::kMemberFrozen);
  const int rc = changeMember(inst, *p, m, item, value);
  return rc ? fail(inst, rc) : (inst.lastError = 0);
}

int inProject(VcInstance& inst, int handle, const char* name) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!name) return fail(inst, err::kBadArgument);
  MemberIt it;
  if (int rc = findMember(inst, *p, name, it)) return fail(inst, rc);
  p->currentMember = it;
  return inst.lastError = 0;
}

int setPosition(VcInstance& inst, int handle, int position) {
  if (position < 0) return fail(inst, err::kBadArgument);
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (static_cast<std::size_t>(position) >= p->file.members.size()) return fail(inst, err::kNotMember);
  p->currentMember = memberAt(p->file, static_cast<std::size_t>(position));
  return inst.lastError = 0;
}

int workName(VcInstance& inst, int handle, const char* member, const char* workDir, char* buf, int len) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!buf) return fail(inst, err::kBadArgument);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  return copyResult(&inst, workMemberName(inst, *p, *it, workDir), buf, len);
}

// The archive named by the member's `archive` setting: its variable
// expanded, a relative name taken from the project directory.
std::string ruleArchiveName(VcInstance& inst, VcProject& p, const std::string& rule) {
  std::string name = normalizePath(rule, true);
  std::string variable;
  std::size_t length = 0;
  if (leadingVariable(name, variable, length))
    if (std::optional<std::string> value = variableValue(inst, p, variable, false))
      name = *value + name.substr(length);
  if (name.compare(0, 2, "$(") != 0) name = makeAbsoluteName(projectDirectory(inst, p), name);
  return name;
}

int openArchive(VcInstance& inst, int handle, const char* member, char* buf, int len, int* archive,
                int mode) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  return openMemberArchive(inst, *p, *it, buf, len, archive, mode);
}

}  // namespace

int openMemberArchive(VcInstance& inst, VcProject& p, const VcMember& m, char* buf, int len,
                      int* archive, int mode) {
  int rc = 0;
  if (std::optional<std::string> rule = memberRule(m, "archive")) {
    const std::string name = ruleArchiveName(inst, p, *rule);
    int opened = 0;
    rc = vcOpenArchive(name.c_str(), &opened, mode);
    if (opened && !archive) vcCloseArchive(opened);
    if (archive) *archive = opened;
    if (int copy = copyResult(&inst, name, buf, len)) return copy;
  } else {
    CurrentProjectScope current(inst, p);
    rc = vcFindArchiveName(fullMemberName(inst, p, m).c_str(), buf, len, archive, mode);
  }
  VcPasswordFn ask = inst.callbacks.password;
  if (rc == err::kEncryptedFile && archive && *archive && ask) {
    char password[9] = {};
    if (ask(*archive, buf, password, sizeof password) == 0) {
      password[sizeof password - 1] = '\0';
      rc = vcSetPassword(*archive, password);
    }
  }
  return rc ? fail(inst, rc) : (inst.lastError = 0);
}

std::optional<std::string> memberRule(const VcMember& m, std::string_view name) {
  if (!m.rules) return std::nullopt;
  const std::string& rules = *m.rules;
  std::size_t start = 0;
  while (start <= rules.size()) {
    std::size_t end = rules.find(',', start);
    if (end == std::string::npos) end = rules.size();
    const std::string_view field = std::string_view(rules).substr(start, end - start);
    if (field.size() > name.size() && field.substr(0, name.size()) == name && field[name.size()] == '=')
      return std::string(field.substr(name.size() + 1));
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetMember(int project, int item, char* buffer, int length) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return getMember(i, project, item, buffer, length); });
}

VC_API VcError vcSetMember(int project, int item, const char* value) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return setMember(i, project, item, value); });
}

VC_API VcError vcInProject(int project, const char* member) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return inProject(i, project, member); });
}

VC_API VcError vcMemberSetPosition(int project, int position) {
  if (position < 0) {
    if (VcInstance* inst = currentInstance()) inst->lastError = err::kBadArgument;
    return err::kBadArgument;
  }
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return setPosition(i, project, position); });
}

VC_API VcError vcMemberWorkName(int project, const char* member, const char* workDir, char* buffer,
                                int length) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return workName(i, project, member, workDir, buffer, length); });
}

VC_API VcError vcMemberOpenArchive(int project, const char* member, char* buffer, int length,
                                   int* archive, int mode) {
  return withInstance(err::kBadProjectHandle, 
      [&](VcInstance& i) { return openArchive(i, project, member, buffer, length, archive, mode); });
}

}  // extern "C"
