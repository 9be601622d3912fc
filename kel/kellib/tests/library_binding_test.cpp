// libkel32.so as its callers bind it: loaded by absolute path, every call
// found by name.
//
// The revision library binds sixteen calls by name and calls them through
// pointers of its own types; those types are pinned here against kel.h, and
// each of the sixteen is then called through the pointer dlsym gives, over a
// small database made with the administration calls (also bound by name).
// Every other kel* name that kel.h declares must be exported as well, and
// the library exports no kel* name that kel.h does not declare.
#include "kel.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// The sixteen calls with the signatures the revision library binds them by.
namespace bridge {
using Init = int (*)(const char* name);
using GetDefaultDatabase = int (*)(const char* program, const char* currentDir, char* out, int length);
using ExtraError = int (*)(void);
using Exit = int (*)(void);
using ErrorStr = int (*)(int code, char* buffer, int length);
using ResolvePermission = int (*)(int scopeKind, const char* scope, const char* user, const char* permission,
                                  char** value, int* flags);
using ResolvePermissionInSO = ResolvePermission;
using GetObject = int (*)(int kind, const char* name, int childKind, const char* childName,
                          kelObjectRecord** record);
using EnumCallback = int (*)(int kind, const char* name, const kelObjectRecord* record);
using EnumInfo = int (*)(int scopeKind, const char* scope, int kind, EnumCallback callback);
using GetRoles = int (*)(int scopeKind, const char* scope, int objectKind, const char* objectName, char** roles,
                         int noGroups);
using Free = void (*)(void* block);
using GetFrag = int (*)(int scopeKind, const char* scope, const char* statement, const char* fragment,
                        kelObjectRecord** record);
using AppendRedirector = int (*)(const char* redirector, const char* database);
using OpenDB = int (*)(const char* path, int readOnly);
using CloseDB = int (*)(void);
using BuiltinPolicyCallback = int (*)(const kelBuiltinPolicy* row);
using EnumBuiltinPolicy = int (*)(const char* product, const char* kind, const char* category,
                                  BuiltinPolicyCallback callback);
}  // namespace bridge

static_assert(std::is_same_v<decltype(&kelInit), bridge::Init>);
static_assert(std::is_same_v<decltype(&kelGetDefaultDatabase), bridge::GetDefaultDatabase>);
static_assert(std::is_same_v<decltype(&kelExtraError), bridge::ExtraError>);
static_assert(std::is_same_v<decltype(&kelExit), bridge::Exit>);
static_assert(std::is_same_v<decltype(&kelErrorStr), bridge::ErrorStr>);
static_assert(std::is_same_v<decltype(&kelResolvePermission), bridge::ResolvePermission>);
static_assert(std::is_same_v<decltype(&kelResolvePermissionInSO), bridge::ResolvePermissionInSO>);
static_assert(std::is_same_v<decltype(&kelGetObject), bridge::GetObject>);
static_assert(std::is_same_v<kelEnumCallback, bridge::EnumCallback>);
static_assert(std::is_same_v<decltype(&kelEnumInfo), bridge::EnumInfo>);
static_assert(std::is_same_v<decltype(&kelGetRoles), bridge::GetRoles>);
static_assert(std::is_same_v<decltype(&kelFree), bridge::Free>);
static_assert(std::is_same_v<decltype(&kelGetFrag), bridge::GetFrag>);
static_assert(std::is_same_v<decltype(&kelAppendRedirector), bridge::AppendRedirector>);
static_assert(std::is_same_v<decltype(&kelOpenDB), bridge::OpenDB>);
static_assert(std::is_same_v<decltype(&kelCloseDB), bridge::CloseDB>);
static_assert(std::is_same_v<kelBuiltinPolicyCallback, bridge::BuiltinPolicyCallback>);
static_assert(std::is_same_v<decltype(&kelEnumBuiltinPolicy), bridge::EnumBuiltinPolicy>);
// The record's fixed part is what the revision library reads VarData behind.
static_assert(sizeof(kelObjectRecord) == KEL_VARDATA_OFFSET);

struct Library {
  void* handle = dlopen(KEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ~Library() {
    if (handle) dlclose(handle);
  }
  template <typename Fn>
  Fn bind(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle, name));
  }
};

// The kel* names a text declares as KEL_API calls.
std::set<std::string> declaredCalls(const std::string& header) {
  std::stringstream text;
  text << std::ifstream(header).rdbuf();
  const std::string all = text.str();
  std::set<std::string> names;
  static const std::regex call(R"(KEL_API[^;(]*\b(kel[A-Za-z0-9]+)\s*\()");
  for (auto it = std::sregex_iterator(all.begin(), all.end(), call); it != std::sregex_iterator(); ++it)
    names.insert((*it)[1]);
  return names;
}

// The kel* names the library's dynamic symbol table defines (read by nm).
std::set<std::string> exportedCalls() {
  std::set<std::string> names;
  const std::string command = std::string("nm -D --defined-only '") + KEL_LIBRARY + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string word = line;
    word.erase(word.find_last_not_of("\r\n") + 1);
    word = word.substr(word.rfind(' ') + 1);
    if (word.rfind("kel", 0) == 0) names.insert(word);
  }
  return names;
}

TEST(KelBinding, EveryDeclaredCallIsExportedAndNothingElse) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  const auto declared = declaredCalls(KEL_HEADER);
  ASSERT_GE(declared.size(), 47u) << "the header could not be read";
  for (const auto& name : declared) EXPECT_NE(dlsym(lib.handle, name.c_str()), nullptr) << name;
  EXPECT_EQ(exportedCalls(), declared);
}

// The walks' callbacks report into these.
std::vector<std::string> g_statements;
int onStatement(int kind, const char* name, const kelObjectRecord* record) {
  std::string entry = std::to_string(kind) + " " + name;
  // The second list (fragment names) follows the first list's empty text.
  const char* p = KEL_VARDATA(record);
  while (*p) p += std::strlen(p) + 1;
  for (++p; *p; p += std::strlen(p) + 1) entry += std::string(" +") + p;
  g_statements.push_back(entry);
  return 1;
}
int g_roleRows = 0;
int onRow(const kelBuiltinPolicy* row) {
  g_roleRows += std::string(row->Kind) == "Role";
  return 0;
}

// The texts of one list of NUL-terminated texts ended by an empty one.
std::vector<std::string> listAt(const char* p) {
  std::vector<std::string> out;
  for (; *p; p += out.back().size() + 1) out.emplace_back(p);
  return out;
}

TEST(KelBinding, TheRevisionLibrarysSixteenCallsWork) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  const auto init = lib.bind<bridge::Init>("kelInit");
  const auto getDefault = lib.bind<bridge::GetDefaultDatabase>("kelGetDefaultDatabase");
  const auto extraError = lib.bind<bridge::ExtraError>("kelExtraError");
  const auto exitLib = lib.bind<bridge::Exit>("kelExit");
  const auto errorStr = lib.bind<bridge::ErrorStr>("kelErrorStr");
  const auto resolve = lib.bind<bridge::ResolvePermission>("kelResolvePermission");
  const auto resolveInSO = lib.bind<bridge::ResolvePermissionInSO>("kelResolvePermissionInSO");
  const auto getObject = lib.bind<bridge::GetObject>("kelGetObject");
  const auto enumInfo = lib.bind<bridge::EnumInfo>("kelEnumInfo");
  const auto getRoles = lib.bind<bridge::GetRoles>("kelGetRoles");
  const auto freeBlock = lib.bind<bridge::Free>("kelFree");
  const auto getFrag = lib.bind<bridge::GetFrag>("kelGetFrag");
  const auto appendRedirector = lib.bind<bridge::AppendRedirector>("kelAppendRedirector");
  const auto openDB = lib.bind<bridge::OpenDB>("kelOpenDB");
  const auto closeDB = lib.bind<bridge::CloseDB>("kelCloseDB");
  const auto enumBuiltin = lib.bind<bridge::EnumBuiltinPolicy>("kelEnumBuiltinPolicy");
  for (const void* p : {(const void*)init, (const void*)getDefault, (const void*)extraError, (const void*)exitLib,
                        (const void*)errorStr, (const void*)resolve, (const void*)resolveInSO,
                        (const void*)getObject, (const void*)enumInfo, (const void*)getRoles,
                        (const void*)freeBlock, (const void*)getFrag, (const void*)appendRedirector,
                        (const void*)openDB, (const void*)closeDB, (const void*)enumBuiltin})
    ASSERT_NE(p, nullptr);
  // The administration calls that make the database, bound the same way.
  const auto createDB = lib.bind<decltype(&kelCreateDB)>("kelCreateDB");
  const auto addObject = lib.bind<decltype(&kelAddObject)>("kelAddObject");
  const auto addFrag = lib.bind<decltype(&kelAddFrag)>("kelAddFrag");
  const auto registerProject = lib.bind<decltype(&kelRegisterProject)>("kelRegisterProject");
  ASSERT_TRUE(createDB && addObject && addFrag && registerProject);

  char text[64];
  EXPECT_EQ(errorStr(KEL_NOT_FOUND, text, 10), KEL_BUFFER_TOO_SMALL);
  ASSERT_EQ(errorStr(KEL_NOT_FOUND, text, sizeof text), KEL_SUCCESS);
  EXPECT_STREQ(text, "Could not find requested object");

  const orv::test::TempDir scratch("kelbind");
  const std::string dir = scratch.path();
  const std::string program = dir + "/inst/bin/orvty";
  char database[512] = "";
  ASSERT_EQ(getDefault(program.c_str(), "/", database, sizeof database), KEL_SUCCESS);
  EXPECT_EQ(std::string(database), dir + "/inst/orvkel/orvkel");
  std::filesystem::create_directories(dir + "/inst/orvkel");

  ASSERT_EQ(init(program.c_str()), KEL_SUCCESS);
  ASSERT_EQ(createDB(database, "admin"), KEL_SUCCESS);
  EXPECT_EQ(openDB((dir + "/missing").c_str(), 0), KEL_CANNOT_ACCESS);
  (void)extraError();
  ASSERT_EQ(openDB(database, 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(1, "", 0, nullptr, KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(1, "", KEL_ROLE, "Dev", KEL_PERMISSION, "CheckIn\0LockStates=Exp Rel\0", 1), KEL_SUCCESS);
  ASSERT_EQ(addObject(1, "", 0, nullptr, KEL_USER, "ann", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(1, "", KEL_USER, "ann", KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(1, "", 0, nullptr, KEL_PROJECT, "Proj", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(2, "Proj", 0, nullptr, KEL_ROLE, "Builder", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(2, "Proj", KEL_ROLE, "Builder", KEL_PERMISSION, "Promote", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(2, "Proj", 0, nullptr, KEL_USER, "bob", 0), KEL_SUCCESS);
  ASSERT_EQ(addObject(2, "Proj", KEL_USER, "bob", KEL_ROLE, "Builder", 0), KEL_SUCCESS);
  const std::string archives = dir + "/src/rcs";
  ASSERT_EQ(registerProject(archives.c_str(), "Proj", 1), KEL_SUCCESS);
  ASSERT_EQ(addFrag(1, "", "Policy Statement", "editors", "Editor=vi", 0), KEL_SUCCESS);

  char* value = nullptr;
  int flags = -1;
  EXPECT_EQ(resolve(1, "", "ann", "CheckIn", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(flags, 0);
  ASSERT_EQ(resolve(1, "", "ann", "lockstates", &value, &flags), KEL_SUCCESS);
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value, "Exp Rel");
  freeBlock(value);
  value = nullptr;
  EXPECT_EQ(resolve(1, "", "stranger", "CheckIn", &value, &flags), KEL_NOT_FOUND);
  EXPECT_EQ(flags & KEL_FLAG_NOT_FOUND, KEL_FLAG_NOT_FOUND);
  EXPECT_EQ(resolve(2, "Proj", "bob", "Promote", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(resolveInSO(2, "Proj", "bob", "Promote", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(resolveInSO(2, "Proj", "bob", "CheckIn", &value, &flags), KEL_NOT_FOUND);
  EXPECT_EQ(resolveInSO(1, "", "bob", "Promote", &value, &flags), KEL_INVALID_ARGUMENT);

  // The security object of a path lists the projects registered for it.
  kelObjectRecord* so = nullptr;
  ASSERT_EQ(getObject(KEL_SECURITY_OBJECT, archives.c_str(), 0, nullptr, &so), KEL_SUCCESS);
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->ObjectType, KEL_SECURITY_OBJECT);
  const char* lists = KEL_VARDATA(so);
  EXPECT_EQ(listAt(lists), std::vector<std::string>{archives});
  EXPECT_EQ(listAt(lists + archives.size() + 2), std::vector<std::string>{"Proj"});
  freeBlock(so);

  char* roles = nullptr;
  ASSERT_EQ(getRoles(1, "", KEL_USER, "ann", &roles, 0), KEL_SUCCESS);
  EXPECT_EQ(listAt(roles), std::vector<std::string>{"Dev"});
  freeBlock(roles);
  ASSERT_EQ(getRoles(1, "", KEL_USER, "stranger", &roles, 0), KEL_SUCCESS);
  EXPECT_EQ(listAt(roles), std::vector<std::string>{"DefaultUnregisteredUser"});
  freeBlock(roles);

  g_statements.clear();
  EXPECT_EQ(enumInfo(1, "", KEL_POLICY_STATEMENT, onStatement), KEL_SUCCESS);
  EXPECT_EQ(g_statements, std::vector<std::string>{"5 Policy Statement +editors"});
  kelObjectRecord* fragment = nullptr;
  ASSERT_EQ(getFrag(1, "", "Policy Statement", "editors", &fragment), KEL_SUCCESS);
  EXPECT_EQ(listAt(KEL_VARDATA(fragment)), std::vector<std::string>{"Editor=vi"});
  freeBlock(fragment);
  EXPECT_EQ(getFrag(1, "", "Policy Statement", "nothing", &fragment), KEL_NOT_FOUND);

  g_roleRows = 0;
  EXPECT_EQ(enumBuiltin("TY", "Role", nullptr, onRow), KEL_SUCCESS);
  EXPECT_EQ(g_roleRows, 29);

  // A redirector leads to the database, which opens read-only through it.
  ASSERT_EQ(closeDB(), KEL_SUCCESS);
  EXPECT_EQ(closeDB(), KEL_NOT_OPEN);
  const std::string redirector = dir + "/lead";
  ASSERT_EQ(appendRedirector(redirector.c_str(), database), KEL_SUCCESS);
  ASSERT_EQ(openDB(redirector.c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(resolve(1, "", "ann", "CheckIn", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(closeDB(), KEL_SUCCESS);
  EXPECT_EQ(exitLib(), KEL_SUCCESS);
  EXPECT_EQ(exitLib(), KEL_NOT_INITIALIZED);
}

}  // namespace
