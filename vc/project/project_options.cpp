// Options and blocks of open projects and sandboxes, and the project's
// transaction log: vcProjectOptionSet/Get/Drop, vcProjectBlockSet/Get/Drop,
// vcSandboxOptionSet/Get, vcCheckpointLog, vcProjectGetLog and
// vcAddProjectLog.
//
// A change through a project reached through a sandbox file goes to the
// sandbox's options; any other goes to the project's own and becomes a
// pending log entry, written to the ".trn" file by the next successful save.
// A statement is parsed by the configuration language's own line processor,
// so what is accepted here is what the project file reader accepts.
#include "vc/project/project_handles.h"

#include "vc/config/option_lookup.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/script/script_context.h"
#include "vc/security/permissions.h"
#include "platform/sys/system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vc {
namespace {

std::string trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

// The option name a statement sets: up to its first "=", without a "set"
// keyword, lower case.
std::string statementName(const std::string& statement) {
  std::string name = trimmed(std::string_view(statement).substr(0, statement.find('=')));
  const std::string lower = asciiLower(name);
  if (lower.size() > 4 && lower.compare(0, 4, "set ") == 0) name = trimmed(name.substr(4));
  return asciiLower(name);
}

// The option of a name as given: the name itself, else the name without
// the "enforce" and "no" prefixes of the configuration language.
const VcOption* findGiven(const VcOptionList& list, const std::string& lower, std::string* found) {
  std::string bare = lower;
  if (const VcOption* o = list.find(bare)) {
    if (found) *found = bare;
    return o;
  }
  if (bare.compare(0, 7, "enforce") == 0) bare.erase(0, 7);
  if (bare.compare(0, 2, "no") == 0) bare.erase(0, 2);
  const VcOption* o = list.find(bare);
  if (o && found) *found = bare;
  return o;
}

// "frozen" as the statement's name: followed by its end, "," or "=".
bool freezesProject(const std::string& statement) {
  const std::string t = asciiLower(trimmed(statement));
  if (t.compare(0, 6, "frozen") != 0) return false;
  return t.size() == 6 || t[6] == ',' || t[6] == '=' || t[6] == ' ' || t[6] == '\t';
}

// "[was name=value]" of an option as it stands ("null" for no value).
std::string wasText(const std::string& name, const VcOption& old) {
  return "[was " + name + "=" + old.value.value_or("null") + "]";
}

// Parses statement into target (check mode: into a copy that is dropped).
int parseStatement(VcInstance& inst, VcProject& p, VcOptionList& target,
                   const std::string& statement, bool apply) {
  VcOptionList scratch;
  if (!apply) scratch = target;
  VcScriptContext ctx;
  ctx.instance = &inst;
  ctx.sourceName = p.path;
  ctx.target = apply ? &target : &scratch;
  ctx.lists = projectLists(inst, p);
  try {
    const int rc = applyOptionLine(ctx, statement);
    return rc ? fail(inst, rc) : 0;
  } catch (const ScriptError& e) {
    reportScriptError(ctx, e.what());
    return fail(inst, err::kBadOptionLine);
  }
}

int optionSet(VcInstance& inst, int handle, const char* statement, int apply) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!statement) return fail(inst, err::kBadArgument);
  const std::string text = statement;
  const std::string name = statementName(text);
  if (p->throughSandbox) {
    if (int rc = requirePermission(inst, "modifysandbox", err::kDenyModifySandbox)) return rc;
  } else {
    if (p->frozen()) return fail(inst, err::kProjectFrozen);
    if (freezesProject(text)) return fail(inst, err::kBadFreeze);
  }
  VcOptionList& target = p->changeTarget();
  const VcOption* old = findGiven(target, name, nullptr);
  const std::string logText = old ? "change " + wasText(name, *old) : "set";
  if (!apply) return parseStatement(inst, *p, target, text, false);
  if (!p->throughSandbox && !p->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (int rc = parseStatement(inst, *p, target, text, true)) return rc;
  if (p->throughSandbox) {
    p->sandboxModified = true;
  } else {
    p->optionsModified = true;
    addLogEntry(*p, logText, text);
  }
  return 0;
}

// Removes the option or pair named by given from list; false when absent.
// The old value goes to was.
bool dropFromList(VcOptionList& list, const std::string& given, std::string& was) {
  const std::string lower = asciiLower(trimmed(given));
  std::size_t keywordLength = 0;
  if (auto kind = pairKindOf(lower, &keywordLength)) {
    const std::string pairName = trimmed(trimmed(given).substr(keywordLength));
    const VcPair* pair = list.findPair(*kind, pairName);
    if (!pair) return false;
    was = "[was " + lower.substr(0, keywordLength) + " " + pairName + "=" + pair->value + "]";
    return list.dropPair(*kind, pairName);
  }
  std::string found;
  const VcOption* o = findGiven(list, lower, &found);
  if (!o) return false;
  was = wasText(found, *o);
  return list.dropOption(found);
}

// The checks of a drop or block change: where the change goes, or the refusal.
int changeCheck(VcInstance& inst, VcProject& p) {
  if (p.throughSandbox)
    return requirePermission(inst, "modifysandbox", err::kDenyModifySandbox);
  if (!p.openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (p.frozen()) return fail(inst, err::kProjectFrozen);
  return 0;
}

void markChanged(VcProject& p) {
  if (p.throughSandbox)
    p.sandboxModified = true;
  else
    p.optionsModified = true;
}

int optionDrop(VcInstance& inst, int handle, const char* name) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!name) return fail(inst, err::kBadArgument);
  if (int rc = changeCheck(inst, *p)) return rc;
  std::string was;
  if (!dropFromList(p->changeTarget(), name, was)) return fail(inst, err::kUnknownOption);
  markChanged(*p);
  if (!p->throughSandbox) addLogEntry(*p, "drop " + was, trimmed(name));
  return 0;
}

// Copies the option's value and flags out (for both getters).
int optionOut(VcInstance& inst, const VcListSet& lists, const char* name, char* buf, int len,
              unsigned* flags) {
  if (!name) return fail(inst, err::kBadArgument);
  const OptionHit hit = lookupOption(lists, asciiLower(trimmed(name)));
  if (!hit.option) {
    if (flags) *flags = kOptNotFound;
    return fail(inst, err::kUnknownOption);
  }
  if (flags) *flags = hit.option->flags;
  if (buf && len >= 2) return copyResult(&inst, hit.option->value.value_or(""), buf, len);
  return 0;
}

// The lists of a project alone (no instance or archive lists).
VcListSet ownLists(VcProject& p) {
  VcListSet lists;
  lists.project[0] = &p.policies;
  lists.project[1] = &p.file.options;
  lists.project[2] = p.throughSandbox || p.isSandbox ? &p.sandbox.options : nullptr;
  return lists;
}

bool validBlockName(const std::string& name) {
  return !name.empty() && name.find_first_of(" \t\r\n") == std::string::npos;
}

int blockSet(VcInstance& inst, int handle, const char* name, const char* text) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!name || !text || !validBlockName(name)) return fail(inst, err::kBadArgument);
  if (int rc = changeCheck(inst, *p)) return rc;
  std::vector<std::string> lines;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t lf = rest.find('\n');
    std::string_view line = rest.substr(0, lf);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  }
  VcOptionList& target = p->changeTarget();
  const std::string lower = asciiLower(name);
  auto it = std::find_if(target.blocks.begin(), target.blocks.end(),
                         [&](const VcBlock& b) { return b.name == lower; });
  if (it == target.blocks.end()) it = target.blocks.insert(target.blocks.end(), VcBlock{lower, 256, {}});
  it->lines = std::move(lines);
  markChanged(*p);
  return 0;
}

int blockGet(VcInstance& inst, int handle, const char* name, VcBlockLineFn callback) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!name || !callback) return fail(inst, err::kBadArgument);
  const bool sandbox = p->throughSandbox;
  const VcBlock* block = p->changeTarget().findBlock(asciiLower(name));
  if (!block) return fail(inst, err::kUnknownOption);
  const int scope = sandbox ? VC_SCOPE_SANDBOX : VC_SCOPE_PROJECT;
  const char* word = sandbox ? "sandbox" : "project";
  const std::string head = "block " + block->name;
  if (int rc = callback(VC_WALK_BLOCK_HEAD | scope, word, "block", head.c_str())) return rc;
  for (const std::string& line : block->lines)
    if (int rc = callback(VC_WALK_BLOCK_LINE | scope, word, "continue-block", line.c_str())) return rc;
  return callback(VC_WALK_BLOCK_END | scope, word, "end-block", "end");
}

int blockDrop(VcInstance& inst, int handle, const char* name) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!name) return fail(inst, err::kBadArgument);
  if (int rc = changeCheck(inst, *p)) return rc;
  auto& blocks = p->changeTarget().blocks;
  const std::string lower = asciiLower(name);
  const auto before = blocks.size();
  blocks.remove_if([&](const VcBlock& b) { return b.name == lower; });
  if (blocks.size() == before) return fail(inst, err::kUnknownOption);
  markChanged(*p);
  return 0;
}

int sandboxOptionSet(VcInstance& inst, int handle, const char* statement, int apply) {
  VcProject* s = nullptr;
  if (int rc = lookupSandbox(inst, handle, s)) return fail(inst, rc);
  if (!statement) return fail(inst, err::kBadArgument);
  if (apply && !s->openForWrite()) return fail(inst, err::kNotOpenForWrite);
  if (int rc = parseStatement(inst, *s, s->sandbox.options, statement, apply != 0)) return rc;
  if (apply) s->sandboxModified = true;
  return 0;
}

// The text of the project's ".trn" file ("" when there is none). 0 or
// VC_E_PROJECT_LOG_WRITE.
int readLogText(VcInstance& inst, const VcProject& p, std::string& text) {
  const int e = orv::sys::readWholeFile(projectLogName(p.path), text);
  if (e == ENOENT) text.clear();
  else if (e) return fail(inst, err::kProjectLogWrite, e);
  return 0;
}

int getLog(VcInstance& inst, int handle, char* buf, int len) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!buf || len < 1) return fail(inst, err::kBadArgument);
  if (len < 2) return fail(inst, err::kBufferTooSmall);
  std::string text;
  if (int rc = readLogText(inst, *p, text)) return rc;
  // Room for a line feed of our own and the terminating NUL.
  std::string copied = text.substr(0, std::min(text.size(), static_cast<std::size_t>(len) - 2));
  const std::size_t lastLf = copied.rfind('\n');
  if (lastLf == std::string::npos) {
    if (!copied.empty()) copied += '\n';
  } else {
    copied.resize(lastLf + 1);
  }
  std::memcpy(buf, copied.c_str(), copied.size() + 1);
  return 0;
}

int checkpoint(VcInstance& inst, VcProject& p, const std::string& revision) {
  const std::string logPath = projectLogName(p.path);
  if (orv::sys::calls().unlink(logPath.c_str()) != 0 && errno != ENOENT)
    return fail(inst, err::kProjectLogWrite, errno);
  // Entries of changes not yet saved stay pending: they come after the new
  // revision.
  return appendProjectLog(inst, logPath, logHeader(inst, p),
                          {VcLogEntry{"checkpointed, new revision", revision}});
}

int addProjectLog(VcInstance& inst, int handle, int archive, const char* revision) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  std::string text;
  if (revision)
    if (int rc = readLogText(inst, *p, text)) return rc;
  if (int rc = vcSetRevInfo(archive, VC_REVISION_ITEM_SET_LOG, revision, text.c_str())) return rc;
  return checkpoint(inst, *p, revision);
}

int checkpointLog(VcInstance& inst, int handle, const char* revision) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  if (!revision) return fail(inst, err::kBadArgument);
  return checkpoint(inst, *p, revision);
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcProjectOptionSet(int project, const char* statement, int apply) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return optionSet(i, project, statement, apply); });
}

VC_API VcError vcProjectOptionGet(int project, const char* name, char* value, int length,
                                  unsigned int* flags) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) {
    VcProject* p = nullptr;
    if (int rc = lookupProject(i, project, p)) return fail(i, rc);
    return optionOut(i, ownLists(*p), name, value, length, flags);
  });
}

VC_API VcError vcProjectOptionDrop(int project, const char* name) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return optionDrop(i, project, name); });
}

VC_API VcError vcProjectBlockSet(int project, const char* name, const char* text) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return blockSet(i, project, name, text); });
}

VC_API VcError vcProjectBlockGet(int project, const char* name, VcBlockLineFn callback) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return blockGet(i, project, name, callback); });
}

VC_API VcError vcProjectBlockDrop(int project, const char* name) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return blockDrop(i, project, name); });
}

VC_API VcError vcSandboxOptionSet(int sandbox, const char* statement, int apply) {
  return withInstance(err::kBadSandboxHandle,
                      [&](VcInstance& i) { return sandboxOptionSet(i, sandbox, statement, apply); });
}

VC_API VcError vcSandboxOptionGet(int sandbox, const char* name, char* value, int length,
                                  unsigned int* flags) {
  return withInstance(err::kBadSandboxHandle, [&](VcInstance& i) {
    VcProject* s = nullptr;
    if (int rc = lookupSandbox(i, sandbox, s)) return fail(i, rc);
    VcListSet lists;
    lists.project[2] = &s->sandbox.options;
    return optionOut(i, lists, name, value, length, flags);
  });
}

VC_API VcError vcAddProjectLog(int project, int archive, const char* revision) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return addProjectLog(i, project, archive, revision); });
}

VC_API VcError vcCheckpointLog(int project, const char* revision) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return checkpointLog(i, project, revision); });
}

VC_API VcError vcProjectGetLog(int project, char* buffer, int length) {
  return withInstance(err::kBadProjectHandle,
                      [&](VcInstance& i) { return getLog(i, project, buffer, length); });
}

}  // extern "C"
