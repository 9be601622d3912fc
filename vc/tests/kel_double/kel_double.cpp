// A stand-in for the security database library, libkel32.so, for the
// revision library's tests. It grants every permission unless told
// otherwise, serves policy lines from small text files, fails on request and
// counts its calls.
//
// Environment:
//   ORV_KEL_FAIL         comma-separated calls to fail: getdefault, init,
//                        opendb, redirector
//   ORV_KEL_POLICY_FILE  a text file whose lines form the global policy
//                        statement; a line "@name" names a further statement
//                        whose lines are read from "<policy file>.name". The
//                        statement of a project or security object (scope
//                        kind 2) is read from "<policy file>@<scope name>".
// Test-only exports: kelDoubleCallCount(name), kelDoubleReset(),
// kelDoubleLastName(which, buffer, length) with which "init", "getdefault"
// or "user" (the user of the last resolution),
// kelDoubleSetAnswer(scope, permission, result, flags, value): the answer of
// kelResolvePermission (scope "") or kelResolvePermissionInSO (a scope name),
// kelDoubleSetSecurityObject(path, projects): the project names ("," between
// them) that the security object of a path lists.
#include "kel/kellib/include/kel.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

// The double's calls are defined against the library's own header, so every
// call has exactly the type the revision library calls it through. Its
// test-only calls are exported the same way.
#define DOUBLE_API extern "C" __attribute__((visibility("default")))

namespace {

using Record = kelObjectRecord;
static_assert(sizeof(Record) == KEL_VARDATA_OFFSET);

using BuiltinRow = kelBuiltinPolicy;

// A few catalogue rows: the permissions the tests ask about, and one policy
// row that the bridge must pass over.
const BuiltinRow kRows[] = {
    {"TY", "Role", "Archive", "OpenArchive", "on/off", "", 0},
    {"TY", "Role", "Archive", "ModifyArchive", "on/off", "", 1},
    {"TY", "Role", "Archive", "CheckIn", "on/off", "", 3},
    {"TY", "Role", "Archive", "CheckOut", "on/off", "", 1},
    {"TY", "Role", "Archive", "Lock", "on/off", "", 3},
    {"TY", "Role", "Archive", "LockStates", "value", "", 3},
    {"TY", "Policy", "Archive", "States", "value", "", 0},
    {"TY", "Role", "Project", "OpenProject", "on/off", "", 0},
    {"TY", "Role", "Project", "ModifyProject", "on/off", "", 4},
};

struct Answer {
  int result = 0;
  int flags = 0;
  std::string value;
  bool hasValue = false;
};

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::map<std::string, Answer>& answers() {  // key: lower(scope) + "|" + lower(permission)
  static std::map<std::string, Answer> a;
  return a;
}
std::map<std::string, std::vector<std::string>>& securityObjects() {
  static std::map<std::string, std::vector<std::string>> m;
  return m;
}
std::string g_lastUser;

std::map<std::string, int>& counts() {
  static std::map<std::string, int> c;
  return c;
}
std::string g_initName, g_defaultName;
int g_extra = 0;
bool g_initialised = false;
bool g_open = false;

void count(const char* name) { ++counts()[name]; }

bool failing(const char* call) {
  const char* v = std::getenv("ORV_KEL_FAIL");
  if (!v) return false;
  std::string list = std::string(",") + v + ",";
  return list.find(std::string(",") + call + ",") != std::string::npos;
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string l;
  while (std::getline(in, l)) lines.push_back(l);
  return lines;
}

// A record with the given lists in its variable data, from malloc.
Record* makeRecord(int kind, const char* name, const std::vector<std::vector<std::string>>& lists) {
  std::string data;
  for (const auto& list : lists) {
    for (const auto& t : list) data += t + '\0';
    data += '\0';
  }
  Record* r = static_cast<Record*>(std::calloc(1, sizeof(Record) + data.size() + 1));
  r->ObjectType = kind;
  std::strncpy(r->Name, name, sizeof r->Name - 1);
  std::memcpy(reinterpret_cast<char*>(r) + sizeof(Record), data.data(), data.size());
  return r;
}

}  // namespace

DOUBLE_API int kelDoubleCallCount(const char* name) { return counts()[name]; }
DOUBLE_API void kelDoubleReset() {
  counts().clear();
  g_initName.clear();
  g_defaultName.clear();
  g_lastUser.clear();
  answers().clear();
  securityObjects().clear();
}
DOUBLE_API void kelDoubleSetAnswer(const char* scope, const char* permission, int result, int flags,
                                const char* value) {
  Answer a;
  a.result = result;
  a.flags = flags;
  a.hasValue = value != nullptr;
  a.value = value ? value : "";
  answers()[lower(scope) + "|" + lower(permission)] = a;
}
DOUBLE_API void kelDoubleSetSecurityObject(const char* path, const char* projects) {
  std::vector<std::string> names;
  std::string list = projects;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  securityObjects()[path] = names;
}
DOUBLE_API int kelDoubleLastName(const char* which, char* buffer, int length) {
  const std::string& s = std::strcmp(which, "init") == 0   ? g_initName
                         : std::strcmp(which, "user") == 0 ? g_lastUser
                                                           : g_defaultName;
  if (static_cast<int>(s.size()) >= length) return 205;
  std::memcpy(buffer, s.c_str(), s.size() + 1);
  return 0;
}

KEL_API void* kelMalloc(long size) { return size < 1 ? nullptr : std::malloc(static_cast<size_t>(size)); }
KEL_API void kelFree(void* block) {
  count("kelFree");
  std::free(block);
}

KEL_API int kelInit(const char* name) {
  count("kelInit");
  if (!name || !*name) return 5;
  g_initName = name;
  if (failing("init")) {
    g_extra = 77;
    return 204;
  }
  g_initialised = true;
  return 0;
}

KEL_API int kelExit() {
  count("kelExit");
  if (!g_initialised) return 18;
  g_initialised = false;
  return 0;
}

KEL_API int kelGetDefaultDatabase(const char* program, const char* currentDir, char* out, int length) {
  count("kelGetDefaultDatabase");
  if (!program || !*program) return 22;
  g_defaultName = program;
  if (failing("getdefault")) return 22;
  std::string path = std::string(currentDir ? currentDir : ".") + "/orvkel/orvkel";
  if (static_cast<int>(path.size()) >= length) return 205;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return 0;
}

KEL_API int kelExtraError() { return g_extra; }

KEL_API int kelErrorStr(int code, char* buffer, int length) {
  count("kelErrorStr");
  const char* text = code == 201   ? "Cannot open Orv Kelmark database"
                     : code == 204 ? "Cannot access Orv Kelmark database"
                     : code == 22  ? "Could not find requested object"
                                   : "impossible";
  if (static_cast<int>(std::strlen(text)) > length - 1) return 205;
  std::strcpy(buffer, text);
  return 0;
}

KEL_API int kelOpenDB(const char* path, int) {
  count("kelOpenDB");
  if (!g_initialised) return 18;
  if (!path || !*path) return 5;
  if (g_open) return 209;
  if (failing("opendb")) {
    g_extra = 88;
    return 201;
  }
  g_open = true;
  return 0;
}

KEL_API int kelCloseDB() {
  count("kelCloseDB");
  if (!g_open) return 210;
  g_open = false;
  return 0;
}

namespace {

int resolve(const std::string& scope, const char* user, const char* permission, char** value,
            int* flags) {
  g_lastUser = user ? user : "";
  if (value) *value = nullptr;
  if (flags) *flags = 0;
  auto it = answers().find(lower(scope) + "|" + lower(permission ? permission : ""));
  if (it == answers().end()) return 0;
  if (flags) *flags = it->second.flags;
  if (value && it->second.hasValue) {
    *value = static_cast<char*>(std::malloc(it->second.value.size() + 1));
    std::memcpy(*value, it->second.value.c_str(), it->second.value.size() + 1);
  }
  return it->second.result;
}

}  // namespace

KEL_API int kelResolvePermission(int, const char*, const char* user, const char* permission,
                                 char** value, int* flags) {
  count("kelResolvePermission");
  count((std::string("kelResolvePermission:") + lower(permission ? permission : "")).c_str());
  return resolve("", user, permission, value, flags);
}

KEL_API int kelResolvePermissionInSO(int scopeKind, const char* scope, const char* user,
                                     const char* permission, char** value, int* flags) {
  count("kelResolvePermissionInSO");
  if (scopeKind != 2 || !scope) return 5;
  return resolve(scope, user, permission, value, flags);
}

KEL_API int kelGetObject(int kind, const char* name, int, const char*, Record** record) {
  count("kelGetObject");
  if (record) *record = nullptr;
  if (kind != 9 || !name) return 22;
  auto it = securityObjects().find(name);
  if (it == securityObjects().end()) return 22;
  if (record) *record = makeRecord(9, name, {{name}, it->second});
  return 0;
}

KEL_API int kelEnumInfo(int scopeKind, const char* scope, int kind, kelEnumCallback callback) {
  count("kelEnumInfo");
  const char* file = std::getenv("ORV_KEL_POLICY_FILE");
  if (kind != 5 || !file || !*file || !callback) return 0;
  std::string path = file;
  if (scopeKind == 2) path += std::string("@") + (scope ? scope : "");
  std::vector<std::string> own, named;
  for (const std::string& l : readLines(path)) {
    if (!l.empty() && l[0] == '@')
      named.push_back(l.substr(1));
    else
      own.push_back(l);
  }
  if (own.empty() && named.empty()) return 0;
  Record* r = makeRecord(5, "Policy Statement", {own, named});
  int rc = callback(5, r->Name, r);
  std::free(r);
  return rc == 1 ? 0 : rc;
}

KEL_API int kelGetFrag(int, const char*, const char*, const char* fragment, Record** record) {
  count("kelGetFrag");
  const char* file = std::getenv("ORV_KEL_POLICY_FILE");
  if (!file || !fragment) return 22;
  std::vector<std::string> lines = readLines(std::string(file) + "." + fragment);
  if (lines.empty()) return 22;
  if (record) *record = makeRecord(11, fragment, {lines});
  return 0;
}

KEL_API int kelGetRoles(int, const char*, int, const char*, char** roles, int) {
  count("kelGetRoles");
  if (roles) *roles = nullptr;
  return 0;
}

KEL_API int kelAppendRedirector(const char* redirector, const char* database) {
  count("kelAppendRedirector");
  if (!redirector || !database) return 5;
  if (failing("redirector")) {
    g_extra = 99;
    return 203;
  }
  // Like the real library: a name without extension gets ".red".
  std::string file = redirector;
  std::size_t slash = file.find_last_of('/'), dot = file.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) file += ".red";
  std::ofstream(file, std::ios::app) << database << "\n";
  return 0;
}

KEL_API int kelEnumBuiltinPolicy(const char*, const char* kind, const char*, kelBuiltinPolicyCallback callback) {
  count("kelEnumBuiltinPolicy");
  if (!callback) return 5;
  for (const BuiltinRow& row : kRows) {
    if (kind && *kind && lower(kind) != lower(row.Kind)) continue;
    if (int rc = callback(&row)) return rc;
  }
  return 0;
}
