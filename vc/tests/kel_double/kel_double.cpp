// A stand-in for the security database library, libkel32.so, for the
// revision library's tests. It grants every permission, serves policy lines
// from a small text file, fails on request and counts its calls.
//
// Environment:
//   ORV_KEL_FAIL         comma-separated calls to fail: getdefault, init, opendb
//   ORV_KEL_POLICY_FILE  a text file whose lines form one policy statement;
//                        a line "@name" names a further statement whose lines
//                        are read from the file "<policy file>.name"
// Test-only exports: kelDoubleCallCount(name), kelDoubleReset(),
// kelDoubleLastName(which, buffer, length) with which "init" or "getdefault".
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#define KEL_API extern "C" __attribute__((visibility("default")))

namespace {

struct Record {
  std::int32_t objectId, objectType, parentId;
  char name[56];
  char text[64];
  std::int32_t attrib[4];
};
static_assert(sizeof(Record) == 148);

using EnumCallback = int (*)(int, const char*, Record*);

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
  r->objectType = kind;
  std::strncpy(r->name, name, sizeof r->name - 1);
  std::memcpy(reinterpret_cast<char*>(r) + sizeof(Record), data.data(), data.size());
  return r;
}

}  // namespace

KEL_API int kelDoubleCallCount(const char* name) { return counts()[name]; }
KEL_API void kelDoubleReset() {
  counts().clear();
  g_initName.clear();
  g_defaultName.clear();
}
KEL_API int kelDoubleLastName(const char* which, char* buffer, int length) {
  const std::string& s = std::strcmp(which, "init") == 0 ? g_initName : g_defaultName;
  if (static_cast<int>(s.size()) >= length) return 205;
  std::memcpy(buffer, s.c_str(), s.size() + 1);
  return 0;
}

KEL_API void* kelMalloc(int size) { return size < 1 ? nullptr : std::malloc(static_cast<size_t>(size)); }
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

KEL_API int kelResolvePermission(int, const char*, const char*, const char*, char** value, int* flags) {
  count("kelResolvePermission");
  if (value) *value = nullptr;
  if (flags) *flags = 0;
  return 0;
}

KEL_API int kelResolvePermissionInSO(int, const char*, const char*, const char*, char** value,
                                     int* flags) {
  count("kelResolvePermissionInSO");
  if (value) *value = nullptr;
  if (flags) *flags = 0;
  return 0;
}

KEL_API int kelGetObject(int, const char*, int, const char*, Record** record) {
  count("kelGetObject");
  if (record) *record = nullptr;
  return 22;
}

KEL_API int kelEnumInfo(int, const char*, int kind, EnumCallback callback) {
  count("kelEnumInfo");
  const char* file = std::getenv("ORV_KEL_POLICY_FILE");
  if (kind != 5 || !file || !*file || !callback) return 0;
  std::vector<std::string> own, named;
  for (const std::string& l : readLines(file)) {
    if (!l.empty() && l[0] == '@')
      named.push_back(l.substr(1));
    else
      own.push_back(l);
  }
  Record* r = makeRecord(5, "Policy Statement", {own, named});
  int rc = callback(5, r->name, r);
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

KEL_API int kelGetRoles(int, const char*, const char*, char** roles) {
  count("kelGetRoles");
  if (roles) *roles = nullptr;
  return 0;
}

KEL_API int kelAppendRedirector(const char* redirector, const char* database) {
  count("kelAppendRedirector");
  if (!redirector || !database) return 5;
  std::ofstream(redirector, std::ios::app) << database << "\n";
  return 0;
}

KEL_API int kelEnumBuiltinPolicy(const char*, const char*, const char*, int (*)(const void*)) {
  count("kelEnumBuiltinPolicy");
  return 0;
}
