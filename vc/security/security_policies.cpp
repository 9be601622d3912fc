// Policy statements of the security database as options. Each policy-
// statement record carries two lists of texts: its own lines, and the names
// of further statements whose fragments are fed first.
//
// The security database hands out only records whose lists end inside them
// and skips a damaged statement in its walk (leaving 9 for kelExtraError).
// The walk here still never goes past the longest VarData a record can have,
// and takes a statement whose lists do not end there as damaged: it is left
// out, like one the database skipped, and either shows as the security
// error 9 after the load.
#include "vc/security/security_policies.h"

#include "vc/error_codes.h"
#include "vc/security/kel_binding.h"
#include "vc/config/option_lookup.h"
#include "vc/security/permissions.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"
#include "vc/security/security_state.h"

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
  bool damaged = false;  // a record whose lists did not end inside it
};

// The enumeration context is library-wide and set only during one load.
LoadContext* g_load = nullptr;

constexpr std::size_t kVarDataMax = KEL_MAX_RECORD - KEL_VARDATA_OFFSET;

// Reads up to two lists of NUL-terminated texts, each ended by an empty one,
// within the longest VarData a record can have; false when a text or a list
// does not end there (out then holds what was read).
bool splitLists(const kel::ObjectRecord* record, int lists, std::vector<std::vector<std::string>>& out) {
  out.assign(static_cast<std::size_t>(lists), {});
  const char* const data = kel::varData(record);
  std::size_t pos = 0;
  for (int l = 0; l < lists; ++l) {
    for (;;) {
      if (pos >= kVarDataMax) return false;
      const std::size_t n = strnlen(data + pos, kVarDataMax - pos);
      if (pos + n >= kVarDataMax) return false;
      const char* const text = data + pos;
      pos += n + 1;
      if (n == 0) break;
      out[static_cast<std::size_t>(l)].emplace_back(text, n);
    }
  }
  return true;
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
    std::vector<std::vector<std::string>> lists;
    if (!splitLists(record, 2, lists)) {
      lc.damaged = true;
      return 1;
    }
    for (const std::string& name : lists[1]) {
      kel::ObjectRecord* fragment = nullptr;
      const int rc = k.kelGetFrag(lc.scopeKind, lc.scopeName, "Policy Statement", name.c_str(), &fragment);
      if (rc == KEL_BAD_FORMAT) lc.damaged = true;
      if (rc == 0 && fragment) {
        std::vector<std::vector<std::string>> fragmentLines;
        const bool whole = splitLists(fragment, 1, fragmentLines);
        k.kelFree(fragment);
        if (!whole) {
          lc.damaged = true;
          continue;
        }
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
  if (!k || !securityOf(inst).databaseOpen) return 0;
  VcScriptContext script;
  script.instance = &inst;
  script.sourceName = "Orv TY KEL";
  script.flags = kOptPolicy;
  script.target = &target;
  script.lists = currentLists(inst);
  script.sharedSource = true;  // policy statements may not start programs
  LoadContext lc;
  lc.script = &script;
  lc.scopeKind = scopeKind;
  lc.scopeName = scopeName ? scopeName : "";
  const int savedSecurity = securityOf(inst).on;
  securityOf(inst).on = 1;
  LoadContext* outer = g_load;
  g_load = &lc;
  const int rc = k->kelEnumInfo(scopeKind, lc.scopeName, kel::kKindPolicyStatement, onRecord);
  g_load = outer;
  securityOf(inst).on = savedSecurity;
  // The statements that could be read are loaded; a damaged one is left out
  // and shows as the security error.
  if (lc.damaged || (rc == 0 && k->kelExtraError() == KEL_BAD_FORMAT)) securityOf(inst).error = KEL_BAD_FORMAT;
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
  if (!securityOf(inst).databaseOpen || !kel::api()) return 0;
  // A faulty statement has been reported through the echo callback; it
  // neither opens nor closes the gate by itself.
  loadSecurityObjectPolicies(inst, firstList, projectSecurityObjects(projectPath));
  // Only an explicit "No" closes the gate: a database that says nothing
  // about these options leaves every project open.
  VcListSet lists;
  lists.global = &optionsOf(inst).global;
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
