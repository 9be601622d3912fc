// Policy statements of the security database as options. Each policy-
// statement record carries two lists of texts: its own lines, and the names
// of further statements whose fragments are fed first.
#include "security_policies.h"

#include "error_codes.h"
#include "kel_binding.h"
#include "script_context.h"

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

int onRecord(int kind, const char*, kel::ObjectRecord* record) {
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
  if (!k || !inst.databaseOpen) return 0;
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
  const int savedSecurity = inst.securityOn;
  inst.securityOn = 1;
  LoadContext* outer = g_load;
  g_load = &lc;
  k->kelEnumInfo(scopeKind, lc.scopeName, kel::kKindPolicyStatement, onRecord);
  g_load = outer;
  inst.securityOn = savedSecurity;
  attachDefinedBlocks(script);
  return lc.result;
}

}  // namespace vc
