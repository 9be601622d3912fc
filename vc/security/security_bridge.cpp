// The security-database bridge: may the instance's user do X?
//
// Answers come from libkel32.so and are cached library-wide for the life of
// the loaded library, so a change in the database is seen by a new process
// only. Three scopes take part, in order: the global module, the security
// objects of the current archive, and the security objects registered for
// the current project's file. A scope's cache is filled in one go from the
// built-in catalogue's permission ("role") rows, so a second question about
// any permission of that scope asks the database nothing.
//
// Valued permissions (LockStates, AllowedStates) collect the values that
// every scope grants them; only the value of the permission being asked is
// collected, and only from entries that grant it.
#include "vc/config/option_list.h"
#include "vc/error_codes.h"
#include "vc/security/kel_binding.h"
#include "vc/security/permissions.h"
#include "vc/config/user_name.h"
#include "vc/security/security_state.h"

#include <cstring>
#include <list>

namespace vc {
namespace {

constexpr std::size_t kValueLimit = 200;

struct PermEntry {
  std::string scope;  // "" for the global module
  std::string permission;
  bool granted = false;
  std::string value;  // "" when the entry carries none
};

struct ScopeEntry {
  std::string projectPath;
  std::vector<std::string> names;  // security objects listed for it
};

// Library-wide caches (newest first), and the scopes already filled.
std::list<PermEntry> g_perms;
std::list<ScopeEntry> g_scopes;
std::vector<std::string> g_filledScopes;

bool isWordSeparator(char c) { return c == ',' || c == ' ' || c == '\t'; }

std::string trimmed(const char* text) {
  std::string s = text ? text : "";
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isWordSeparator(text[i])) ++i;
    std::size_t e = i;
    while (e < text.size() && !isWordSeparator(text[e])) ++e;
    if (e > i) words.push_back(text.substr(i, e - i));
    i = e;
  }
  return words;
}

}  // namespace

// Merges a granted value into the accumulated one: an empty accumulation
// takes it whole; otherwise each word not yet present is appended after a
// blank. Nothing is added that would bring the total to 200 characters.
void mergePermissionValue(std::string& acc, const std::string& value) {
  if (value.empty()) return;
  if (acc.empty() && value.size() < kValueLimit) {
    acc = value;
    return;
  }
  std::vector<std::string> have = wordsOf(acc);
  for (const std::string& w : wordsOf(value)) {
    bool present = false;
    for (const std::string& h : have) present = present || h == w;
    if (present) continue;
    const std::size_t grown = acc.size() + (acc.empty() ? 0 : 1) + w.size();
    if (grown >= kValueLimit) break;
    if (!acc.empty()) acc += ' ';
    acc += w;
    have.push_back(w);
  }
}

namespace {

bool scopeFilled(const std::string& scope) {
  for (const std::string& s : g_filledScopes)
    if (equalsNoCase(s, scope)) return true;
  return false;
}

const PermEntry* findEntry(const std::string& scope, const std::string& permission) {
  for (const PermEntry& e : g_perms)
    if (equalsNoCase(e.scope, scope) && equalsNoCase(e.permission, permission)) return &e;
  return nullptr;
}

// Asks the database about one permission in one scope and caches the answer.
// Granted means result 0 without the refusal flag: a "No" entry refuses.
void resolveAndCache(const std::string& scope, const std::string& user, const char* key) {
  const kel::Api& k = *kel::api();
  char* value = nullptr;
  int flags = 0;
  const int rc = scope.empty()
                     ? k.kelResolvePermission(1, "", user.c_str(), key, &value, &flags)
                     : k.kelResolvePermissionInSO(2, scope.c_str(), user.c_str(), key, &value, &flags);
  PermEntry e;
  e.scope = scope;
  e.permission = key;
  e.granted = rc == 0 && (flags & KEL_FLAG_NO) == 0;
  if (e.granted && value) e.value = trimmed(value);
  if (value) k.kelFree(value);
  g_perms.push_front(std::move(e));
}

// The fill in progress; set only for the duration of one catalogue walk.
struct FillContext {
  const std::string* scope;
  const std::string* user;
};
FillContext* g_fill = nullptr;

int onCatalogueRow(const kel::BuiltinPolicy* row) {
  if (!g_fill) return 1;
  if (!row || !row->Key || !*row->Key) return 0;
  if (findEntry(*g_fill->scope, row->Key)) return 0;
  resolveAndCache(*g_fill->scope, *g_fill->user, row->Key);
  return 0;
}

// Caches every catalogue permission of the scope, and the asked permission
// too when the catalogue does not carry it.
void fillScope(const std::string& scope, const std::string& user, const std::string& permission) {
  const kel::Api* k = kel::api();
  if (!k) return;
  if (!scopeFilled(scope)) {
    FillContext ctx{&scope, &user};
    FillContext* outer = g_fill;
    g_fill = &ctx;
    k->kelEnumBuiltinPolicy(nullptr, "role", nullptr, onCatalogueRow);
    g_fill = outer;
    g_filledScopes.push_back(scope);
  }
  if (!findEntry(scope, permission)) resolveAndCache(scope, user, permission.c_str());
}

enum class Lookup { Missing, Refused, Valued, Granted };

// Looks the permission up in one scope's cache; a granted value is merged.
Lookup lookup(const std::string& scope, const std::string& permission, std::string& acc) {
  const PermEntry* e = findEntry(scope, permission);
  if (!e) return Lookup::Missing;
  if (!e->granted) return Lookup::Refused;
  if (e->value.empty()) return Lookup::Granted;
  mergePermissionValue(acc, e->value);
  return Lookup::Valued;
}

// Looks the permission up in several scopes, filling those not yet cached.
// True when one grants it outright; values are merged along the way.
bool lookupScopes(const std::vector<std::string>& scopes, const std::string& user,
                  const std::string& permission, std::string& acc) {
  for (const std::string& s : scopes) {
    if (s.empty()) continue;  // the global module is not a security object
    if (findEntry(s, permission) == nullptr) fillScope(s, user, permission);
    if (lookup(s, permission, acc) == Lookup::Granted) return true;
  }
  return false;
}

// The security objects registered for a project file, cached per path.
const std::vector<std::string>& projectScopes(const std::string& path) {
  for (const ScopeEntry& s : g_scopes)
    if (s.projectPath == path) return s.names;
  ScopeEntry entry;
  entry.projectPath = path;
  const kel::Api* k = kel::api();
  kel::ObjectRecord* record = nullptr;
  if (k && k->kelGetObject(kel::kKindSecurityObject, path.c_str(), 0, nullptr, &record) == 0 &&
      record) {
    // Variable data: the path, "", then the project names, "".
    const char* p = kel::varData(record);
    while (*p) p += std::strlen(p) + 1;
    ++p;
    while (*p) {
      entry.names.emplace_back(p);
      p += std::strlen(p) + 1;
    }
  }
  if (record) k->kelFree(record);
  g_scopes.push_front(std::move(entry));
  return g_scopes.front().names;
}

struct Answer {
  bool granted;
  std::string value;
};

Answer check(VcInstance& inst, const char* name) {
  // Security checks switched off (or never started): nothing is guarded.
  if (!securityOf(inst).on || !securityOf(inst).databaseOpen || !kel::api()) return {true, {}};
  const std::string permission = name ? name : "";
  const std::string user = currentUserName(inst);
  std::string acc;

  // 1. The global scope, when cached.
  const Lookup global = lookup("", permission, acc);
  if (global == Lookup::Granted) return {true, {}};

  // 2. The current archive's security objects, except for opening it.
  std::vector<std::string> objects;
  if (!equalsNoCase(permission, "openarchive"))
    objects = securityScopeSources().archiveSecurityObjects(inst);
  if (!objects.empty()) {
    if (lookupScopes(objects, user, permission, acc)) return {true, acc};
  } else if (auto path = securityScopeSources().projectPath(inst)) {
    // 3. The security objects registered for the current project.
    const std::vector<std::string> names = projectScopes(*path);
    if (lookupScopes(names, user, permission, acc)) return {true, acc};
  }

  // 4./5. The global scope, filled when it was not cached.
  if (global == Lookup::Missing) {
    fillScope("", user, permission);
    if (lookup("", permission, acc) == Lookup::Granted) return {true, acc};
  }
  return {!acc.empty(), acc};
}

bool bridgeGranted(VcInstance& inst, const char* permission) { return check(inst, permission).granted; }

std::string bridgeValue(VcInstance& inst, const char* permission) {
  Answer a = check(inst, permission);
  return a.granted ? a.value : std::string();
}

PermissionBridge g_bridge{bridgeGranted, bridgeValue};

// Without the archive module there is no current archive.
std::vector<std::string> noArchive(VcInstance&) { return {}; }
std::optional<std::string> noProject(VcInstance&) { return std::nullopt; }

// The archive module's source of the current archive's security objects,
// which resetSecurityScopeSources puts back.
std::vector<std::string> (*g_archiveObjects)(VcInstance&) = noArchive;

SecurityScopeSources g_sources{noArchive, noProject};

// Registers the cache clean-up with the binding at load time.
struct UnbindRegistration {
  UnbindRegistration() { kel::setUnbindHook(clearPermissionCaches); }
} g_unbindRegistration;

}  // namespace

PermissionBridge& permissionBridge() { return g_bridge; }
void resetPermissionBridge() { g_bridge = PermissionBridge{bridgeGranted, bridgeValue}; }

SecurityScopeSources& securityScopeSources() { return g_sources; }
void resetSecurityScopeSources() { g_sources = SecurityScopeSources{g_archiveObjects, noProject}; }

void setArchiveSecurityObjectsSource(std::vector<std::string> (*source)(VcInstance& inst)) {
  g_archiveObjects = source ? source : noArchive;
  g_sources.archiveSecurityObjects = g_archiveObjects;
}

void clearPermissionCaches() {
  g_perms.clear();
  g_scopes.clear();
  g_filledScopes.clear();
}

int requirePermission(VcInstance& inst, const char* permission, int refusal) {
  if (hasPermission(inst, permission)) return 0;
  securityOf(inst).error = 0;
  inst.extraError = 0;
  inst.lastError = refusal;
  return refusal;
}

// The security objects of a project file, for the opening gate.
std::vector<std::string> projectSecurityObjects(const std::string& projectPath) {
  if (!kel::api()) return {};
  return projectScopes(projectPath);
}

}  // namespace vc
