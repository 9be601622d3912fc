// libkel32.so as its callers bind it: loaded by absolute path, every call
// found by name.
//
// The revision library binds sixteen calls by name and calls them through
// pointers of its own types; those types are pinned here against kel.h, and
// each of the sixteen is then called through the pointer dlsym gives, over a
// small database made with the administration calls (also bound by name).
// Every other kel* name that kel.h declares must be exported as well, and
// the library exports no kel* name that kel.h does not declare.
#include "kel/kellib/include/kel.h"
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

// The sixteen calls as the revision library binds them, by name.
struct SixteenCalls {
  bridge::Init init;
  bridge::GetDefaultDatabase getDefault;
  bridge::ExtraError extraError;
  bridge::Exit exitLib;
  bridge::ErrorStr errorStr;
  bridge::ResolvePermission resolve;
  bridge::ResolvePermissionInSO resolveInSO;
  bridge::GetObject getObject;
  bridge::EnumInfo enumInfo;
  bridge::GetRoles getRoles;
  bridge::Free freeBlock;
  bridge::GetFrag getFrag;
  bridge::AppendRedirector appendRedirector;
  bridge::OpenDB openDB;
  bridge::CloseDB closeDB;
  bridge::EnumBuiltinPolicy enumBuiltin;

  explicit SixteenCalls(const Library& lib)
      : init(lib.bind<bridge::Init>("kelInit")),
        getDefault(lib.bind<bridge::GetDefaultDatabase>("kelGetDefaultDatabase")),
        extraError(lib.bind<bridge::ExtraError>("kelExtraError")),
        exitLib(lib.bind<bridge::Exit>("kelExit")),
        errorStr(lib.bind<bridge::ErrorStr>("kelErrorStr")),
        resolve(lib.bind<bridge::ResolvePermission>("kelResolvePermission")),
        resolveInSO(lib.bind<bridge::ResolvePermissionInSO>("kelResolvePermissionInSO")),
        getObject(lib.bind<bridge::GetObject>("kelGetObject")),
        enumInfo(lib.bind<bridge::EnumInfo>("kelEnumInfo")),
        getRoles(lib.bind<bridge::GetRoles>("kelGetRoles")),
        freeBlock(lib.bind<bridge::Free>("kelFree")),
        getFrag(lib.bind<bridge::GetFrag>("kelGetFrag")),
        appendRedirector(lib.bind<bridge::AppendRedirector>("kelAppendRedirector")),
        openDB(lib.bind<bridge::OpenDB>("kelOpenDB")),
        closeDB(lib.bind<bridge::CloseDB>("kelCloseDB")),
        enumBuiltin(lib.bind<bridge::EnumBuiltinPolicy>("kelEnumBuiltinPolicy")) {}

  void expectAllBound() const {
    for (const void* p : {(const void*)init, (const void*)getDefault, (const void*)extraError, (const void*)exitLib,
                          (const void*)errorStr, (const void*)resolve, (const void*)resolveInSO,
                          (const void*)getObject, (const void*)enumInfo, (const void*)getRoles,
                          (const void*)freeBlock, (const void*)getFrag, (const void*)appendRedirector,
                          (const void*)openDB, (const void*)closeDB, (const void*)enumBuiltin})
      ASSERT_NE(p, nullptr);
  }
};

// The administration calls that make the database, bound the same way.
struct AdminCalls {
  decltype(&kelCreateDB) createDB;
  decltype(&kelAddObject) addObject;
  decltype(&kelAddFrag) addFrag;
  decltype(&kelRegisterProject) registerProject;

  explicit AdminCalls(const Library& lib)
      : createDB(lib.bind<decltype(&kelCreateDB)>("kelCreateDB")),
        addObject(lib.bind<decltype(&kelAddObject)>("kelAddObject")),
        addFrag(lib.bind<decltype(&kelAddFrag)>("kelAddFrag")),
        registerProject(lib.bind<decltype(&kelRegisterProject)>("kelRegisterProject")) {}

  bool allBound() const { return createDB && addObject && addFrag && registerProject; }
};

// The created database opened and filled: role Dev (CheckIn, LockStates) for ann at the database
// level; project Proj, registered for `archives`, with role Builder
// (Promote) for bob; one policy statement with one fragment.
void makeSmallDatabase(const SixteenCalls& k, const AdminCalls& admin, const char* database,
                       const std::string& archives) {
  ASSERT_EQ(k.openDB(database, 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(1, "", 0, nullptr, KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(1, "", KEL_ROLE, "Dev", KEL_PERMISSION, "CheckIn\0LockStates=Exp Rel\0", 1),
            KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(1, "", 0, nullptr, KEL_USER, "ann", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(1, "", KEL_USER, "ann", KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(1, "", 0, nullptr, KEL_PROJECT, "Proj", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(2, "Proj", 0, nullptr, KEL_ROLE, "Builder", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(2, "Proj", KEL_ROLE, "Builder", KEL_PERMISSION, "Promote", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(2, "Proj", 0, nullptr, KEL_USER, "bob", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.addObject(2, "Proj", KEL_USER, "bob", KEL_ROLE, "Builder", 0), KEL_SUCCESS);
  ASSERT_EQ(admin.registerProject(archives.c_str(), "Proj", 1), KEL_SUCCESS);
  ASSERT_EQ(admin.addFrag(1, "", "Policy Statement", "editors", "Editor=vi", 0), KEL_SUCCESS);
}

// Permissions at the database level and in a project.
void checkPermissions(const SixteenCalls& k) {
  char* value = nullptr;
  int flags = -1;
  EXPECT_EQ(k.resolve(1, "", "ann", "CheckIn", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(flags, 0);
  ASSERT_EQ(k.resolve(1, "", "ann", "lockstates", &value, &flags), KEL_SUCCESS);
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value, "Exp Rel");
  k.freeBlock(value);
  value = nullptr;
  EXPECT_EQ(k.resolve(1, "", "stranger", "CheckIn", &value, &flags), KEL_NOT_FOUND);
  EXPECT_EQ(flags & KEL_FLAG_NOT_FOUND, KEL_FLAG_NOT_FOUND);
  EXPECT_EQ(k.resolve(2, "Proj", "bob", "Promote", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(k.resolveInSO(2, "Proj", "bob", "Promote", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(k.resolveInSO(2, "Proj", "bob", "CheckIn", &value, &flags), KEL_NOT_FOUND);
  EXPECT_EQ(k.resolveInSO(1, "", "bob", "Promote", &value, &flags), KEL_INVALID_ARGUMENT);
}

// The security object of a path lists the projects registered for it; the
// roles of a user, and of one the database does not know.
void checkObjectsAndRoles(const SixteenCalls& k, const std::string& archives) {
  kelObjectRecord* so = nullptr;
  ASSERT_EQ(k.getObject(KEL_SECURITY_OBJECT, archives.c_str(), 0, nullptr, &so), KEL_SUCCESS);
  ASSERT_NE(so, nullptr);
  EXPECT_EQ(so->ObjectType, KEL_SECURITY_OBJECT);
  const char* lists = KEL_VARDATA(so);
  EXPECT_EQ(listAt(lists), std::vector<std::string>{archives});
  EXPECT_EQ(listAt(lists + archives.size() + 2), std::vector<std::string>{"Proj"});
  k.freeBlock(so);

  char* roles = nullptr;
  ASSERT_EQ(k.getRoles(1, "", KEL_USER, "ann", &roles, 0), KEL_SUCCESS);
  EXPECT_EQ(listAt(roles), std::vector<std::string>{"Dev"});
  k.freeBlock(roles);
  ASSERT_EQ(k.getRoles(1, "", KEL_USER, "stranger", &roles, 0), KEL_SUCCESS);
  EXPECT_EQ(listAt(roles), std::vector<std::string>{"DefaultUnregisteredUser"});
  k.freeBlock(roles);
}

// The policy statement with its fragment, and the built-in policy rows.
void checkPolicies(const SixteenCalls& k) {
  g_statements.clear();
  EXPECT_EQ(k.enumInfo(1, "", KEL_POLICY_STATEMENT, onStatement), KEL_SUCCESS);
  EXPECT_EQ(g_statements, std::vector<std::string>{"5 Policy Statement +editors"});
  kelObjectRecord* fragment = nullptr;
  ASSERT_EQ(k.getFrag(1, "", "Policy Statement", "editors", &fragment), KEL_SUCCESS);
  EXPECT_EQ(listAt(KEL_VARDATA(fragment)), std::vector<std::string>{"Editor=vi"});
  k.freeBlock(fragment);
  EXPECT_EQ(k.getFrag(1, "", "Policy Statement", "nothing", &fragment), KEL_NOT_FOUND);

  g_roleRows = 0;
  EXPECT_EQ(k.enumBuiltin("TY", "Role", nullptr, onRow), KEL_SUCCESS);
  EXPECT_EQ(g_roleRows, 29);
}

// A redirector leads to the database, which opens read-only through it.
void checkRedirector(const SixteenCalls& k, const char* database, const std::string& redirector) {
  ASSERT_EQ(k.closeDB(), KEL_SUCCESS);
  EXPECT_EQ(k.closeDB(), KEL_NOT_OPEN);
  ASSERT_EQ(k.appendRedirector(redirector.c_str(), database), KEL_SUCCESS);
  ASSERT_EQ(k.openDB(redirector.c_str(), 1), KEL_SUCCESS);
  char* value = nullptr;
  int flags = -1;
  EXPECT_EQ(k.resolve(1, "", "ann", "CheckIn", &value, &flags), KEL_SUCCESS);
  EXPECT_EQ(k.closeDB(), KEL_SUCCESS);
}

TEST(KelBinding, TheRevisionLibrarysSixteenCallsWork) {
  Library lib;
  ASSERT_NE(lib.handle, nullptr) << dlerror();
  const SixteenCalls k(lib);
  ASSERT_NO_FATAL_FAILURE(k.expectAllBound());
  const AdminCalls admin(lib);
  ASSERT_TRUE(admin.allBound());

  char text[64];
  EXPECT_EQ(k.errorStr(KEL_NOT_FOUND, text, 10), KEL_BUFFER_TOO_SMALL);
  ASSERT_EQ(k.errorStr(KEL_NOT_FOUND, text, sizeof text), KEL_SUCCESS);
  EXPECT_STREQ(text, "Could not find requested object");

  const orv::test::TempDir scratch("kelbind");
  const std::string dir = scratch.path();
  const std::string program = dir + "/inst/bin/orvty";
  char database[512] = "";
  ASSERT_EQ(k.getDefault(program.c_str(), "/", database, sizeof database), KEL_SUCCESS);
  EXPECT_EQ(std::string(database), dir + "/inst/orvkel/orvkel");
  std::filesystem::create_directories(dir + "/inst/orvkel");

  ASSERT_EQ(k.init(program.c_str()), KEL_SUCCESS);
  ASSERT_EQ(admin.createDB(database, "admin"), KEL_SUCCESS);
  EXPECT_EQ(k.openDB((dir + "/missing").c_str(), 0), KEL_CANNOT_ACCESS);
  (void)k.extraError();
  const std::string archives = dir + "/src/rcs";
  ASSERT_NO_FATAL_FAILURE(makeSmallDatabase(k, admin, database, archives));
  ASSERT_NO_FATAL_FAILURE(checkPermissions(k));
  ASSERT_NO_FATAL_FAILURE(checkObjectsAndRoles(k, archives));
  ASSERT_NO_FATAL_FAILURE(checkPolicies(k));
  ASSERT_NO_FATAL_FAILURE(checkRedirector(k, database, dir + "/lead"));
  EXPECT_EQ(k.exitLib(), KEL_SUCCESS);
  EXPECT_EQ(k.exitLib(), KEL_NOT_INITIALIZED);
}

}  // namespace
