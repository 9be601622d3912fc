// Policy statements of the security database as options. Each policy-
// statement record carries two lists of texts: its own lines, and the names
// of further statements whose fragments are fed first.
#include "vc/security/security_policies.h"

#include "vc/error_codes.h"
#include "vc/security/kel_binding.h"
#include "vc/config/option_lookup.h"
#include "vc/security/permissions.h"
#include "vc/script/script_context.h"

#include <cstring>
#include <vector>

namespace vc {
namespace {

struct LoadContext {
  VcScriptContext* script = nullptr;
  int scopeKind = 0;
  const char* scopeName = "";
  int result = 0;
  bool stopped = false;
};

// The enumeration context is library-wide and set only during one load.
LoadContext* g_load = nullptr;

// Reads up to two lists of NUL-terminated texts, each ended by an empty one.
std::vector<std::vector<std::string>> splitLists(const kel::ObjectRecord* record, int lists) {
  std::vector<std::vector<std::string>> out(static_cast<std::size_t>(lists));
  const char* p = kel::varData(record);
  for (int l = 0; l < lists; ++l) {
    while (*p) {
      out[static_cast<std::size_t>(l)].emplace_back(p);
      p += std::strlen(p) + 1;
    }
    ++p;
  }
  return out;
}

// Feeds a text's lines (split at CR and LF); false when the load must stop.
bool feedText(LoadContext& lc, const std::string& text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    int r = processLine(*lc.script, line);
    ++lc.script->lineNumber;
    if (r == err::kScriptDone) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

int onRecord(int kind, const char*, const kel::ObjectRecord* record) {
  if (!g_load) return 0;
  LoadContext& lc = *g_load;
  if (kind != kel::kKindPolicyStatement || !record) return 1;
  const kel::Api& k = *kel::api();
  try {
    auto lists = splitLists(record, 2);
    for (const std::string& name : lists[1]) {
      kel::ObjectRecord* fragment = nullptr;
      if (k.kelGetFrag(lc.scopeKind, lc.scopeName, "Policy Statement", name.c_str(), &fragment) ==
              0 &&
          fragment) {
        auto fragmentLines = splitLists(fragment, 1);
        k.kelFree(fragment);
        for (const std::string& text : fragmentLines[0]) feedText(lc, text);
      }
    }
    for (const std::string& text : lists[0]) feedText(lc, text);
  } catch (const ScriptError& e) {
    reportScriptError(*lc.script, e.what());
    lc.result = err::kBadOptionLine;
    return 0;
  } catch (const ScriptReturn& r) {
    lc.script->instance->extraError = r.value;
    lc.result = err::kDone;
    return 0;
  }
  return 1;
}

}  // namespace

int loadPolicyStatements(VcInstance& inst, VcOptionList& target, int scopeKind,
                         const char* scopeName) {
  const kel::Api* k = kel::api();
  if (!k || !inst.security.databaseOpen) return 0;
  VcScriptContext script;
  script.instance = &inst;
  script.sourceName = "Orv TY KEL";
  script.flags = kOptPolicy;
  script.target = &target;
  script.lists = inst.currentLists();
  script.sharedSource = true;  // policy statements may not start programs
  LoadContext lc;
  lc.script = &script;
  lc.scopeKind = scopeKind;
  lc.scopeName = scopeName ? scopeName : "";
  const int savedSecurity = inst.security.on;
  inst.security.on = 1;
  LoadContext* outer = g_load;
  g_load = &lc;
  k->kelEnumInfo(scopeKind, lc.scopeName, kel::kKindPolicyStatement, onRecord);
  g_load = outer;
  inst.security.on = savedSecurity;
  attachDefinedBlocks(script);
  return lc.result;
}

int loadSecurityObjectPolicies(VcInstance& inst, VcOptionList& target,
                               const std::vector<std::string>& securityObjects) {
  for (const std::string& name : securityObjects) {
    if (name.empty()) continue;
    if (int rc = loadPolicyStatements(inst, target, 2, name.c_str())) return rc;
  }
  return 0;
}

int projectOpenGate(VcInstance& inst, VcOptionList& firstList, const std::string& projectPath,
                    bool forChange) {
  if (!inst.security.databaseOpen || !kel::api()) return 0;
  // A faulty statement has been reported through the echo callback; it
  // neither opens nor closes the gate by itself.
  loadSecurityObjectPolicies(inst, firstList, projectSecurityObjects(projectPath));
  // Only an explicit "No" closes the gate: a database that says nothing
  // about these options leaves every project open.
  VcListSet lists;
  lists.global = &inst.options.global;
  lists.project[0] = &firstList;
  auto refused = [&](const char* name) {
    OptionHit hit = lookupOption(lists, name);
    return hit.option && (hit.option->flags & kOptNo) != 0;
  };
  if (refused("openproject") || (forChange && refused("modifyproject")))
    return fail(inst, err::kProjectDenied);
  return 0;
}

}  // namespace vc
