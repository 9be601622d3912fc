// Getting, adding, deleting and listing objects through the kel* calls,
// over a fresh database per test.
#include "kel/kellib/tests/kel_fixture.h"

#include <cstring>
#include <map>

namespace {

using kel::TextList;
using kel_test::exists;
using kel_test::firstList;
using kel_test::names;

class KelObjects : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    OpenDatabase::SetUp();
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_PROJECT, "proj", 0), KEL_SUCCESS);
  }
};

int countOfKind(int kind) {
  kel::ObjectScan scan(rookdb::Selection::ofType(kind));
  kel::ObjectRecord r;
  int n = 0;
  while (scan.next(r) == KEL_SUCCESS) ++n;
  return n;
}

TEST_F(KelObjects, SeveralNamesStopAtTheFirstThatExists) {
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, names({"alice", "bob", "carol"}).c_str(), 1), KEL_SUCCESS);
  for (const char* n : {"alice", "bob", "carol"}) EXPECT_TRUE(exists(1, "", KEL_USER, n)) << n;
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, names({"dave", "bob", "erin"}).c_str(), 1),
            KEL_OBJECT_EXISTS);
  EXPECT_TRUE(exists(1, "", KEL_USER, "dave"));
  EXPECT_FALSE(exists(1, "", KEL_USER, "erin"));
  // Without "several" only the first name counts.
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, names({"fay", "gus"}).c_str(), 0), KEL_SUCCESS);
  EXPECT_FALSE(exists(1, "", KEL_USER, "gus"));
}

TEST_F(KelObjects, ArgumentScopeAndContainmentCodes) {
  struct Case {
    int scopeKind;
    const char* scope;
    int parentKind;
    const char* parent;
    int kind;
    const char* name;
    int want;
  } cases[] = {
      {1, "", 0, nullptr, KEL_USER, nullptr, KEL_INVALID_ARGUMENT},
      {1, "", 0, nullptr, KEL_USER, "", KEL_INVALID_ARGUMENT},
      {3, "x", 0, nullptr, KEL_USER, "u", KEL_INVALID_ARGUMENT},        // not a scope kind
      {2, nullptr, 0, nullptr, KEL_USER, "u", KEL_INVALID_ARGUMENT},    // project without name
      {2, "nosuch", 0, nullptr, KEL_USER, "u", KEL_NOT_FOUND},
      {1, "", KEL_USER, "nobody", KEL_ROLE, "r", KEL_NOT_FOUND},        // missing parent
      {1, "", 0, nullptr, KEL_PERMISSION, "CheckIn", KEL_INVALID_ARGUMENT},  // not under a scope
      {1, "", 0, nullptr, KEL_FRAGMENT, "f", KEL_INVALID_ARGUMENT},     // only kelAddFrag makes them
      {1, "", 0, nullptr, KEL_GLOBAL_MODULE, "g", KEL_INVALID_ARGUMENT},
      {1, "", 0, nullptr, KEL_POLICY_STATEMENT, "s", KEL_INVALID_ARGUMENT},
      {1, "", 0, nullptr, KEL_GROUP_MEMBER, "m", KEL_INVALID_ARGUMENT},  // members belong to groups
      {1, "", 0, nullptr, 13, "x", KEL_INVALID_ARGUMENT},
      {1, "", 0, nullptr, KEL_PROJECT, "proj", KEL_OBJECT_EXISTS},
      {1, "Global Module", KEL_GLOBAL_MODULE, "whatever", KEL_USER, "u1", KEL_SUCCESS},  // the scope itself
      {2, "proj", KEL_PROJECT, "proj", KEL_USER, "u2", KEL_SUCCESS},
  };
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "someone", 0), KEL_SUCCESS);
  for (const auto& c : cases) {
    EXPECT_EQ(kelAddObject(c.scopeKind, c.scope, c.parentKind, c.parent, c.kind, c.name, 0), c.want)
        << c.kind << " " << (c.name ? c.name : "(null)");
  }
  EXPECT_EQ(kelAddObject(1, "", KEL_USER, "someone", KEL_USER, "x", 0), KEL_INVALID_ARGUMENT) << "user in user";
  EXPECT_TRUE(exists(2, "proj", KEL_USER, "u2"));
}

TEST_F(KelObjects, UsersMembersAndTheirSideEffects) {
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_USER, "frank", 0), KEL_SUCCESS);
  EXPECT_TRUE(exists(1, "", KEL_USER, "frank")) << "a project user is a global user too";

  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_GROUP, "devs", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_GROUP, "devs", KEL_GROUP_MEMBER, names({"frank", "gina"}).c_str(), 1),
            KEL_SUCCESS);
  EXPECT_TRUE(exists(2, "proj", KEL_USER, "gina")) << "a member is a user of the group's scope";
  EXPECT_TRUE(exists(1, "", KEL_USER, "gina"));
  kelObjectRecord* project = nullptr;
  ASSERT_EQ(kelGetObject(2, "proj", 0, nullptr, &project), KEL_SUCCESS);
  kel::ObjectRecord group, member;
  ASSERT_EQ(kel::findObject(KEL_GROUP, project->ObjectID, "devs", group), KEL_SUCCESS);
  kelFree(project);
  ASSERT_EQ(kel::findObject(KEL_GROUP_MEMBER, group.id(), "gina", member), KEL_SUCCESS);
  EXPECT_EQ(member.text(), "devs");

  // A user named under a group is its member record.
  EXPECT_EQ(kelDeleteObject(2, "proj", KEL_GROUP, "devs", KEL_USER, "gina", 0), KEL_SUCCESS);
  EXPECT_EQ(kel::findObject(KEL_GROUP_MEMBER, group.id(), "gina", member), KEL_NOT_FOUND);
  EXPECT_TRUE(exists(2, "proj", KEL_USER, "gina")) << "only the membership goes";

  // Deleting the group deletes its member records.
  EXPECT_EQ(countOfKind(KEL_GROUP_MEMBER), 1);
  EXPECT_EQ(kelDeleteObject(2, "proj", 0, nullptr, KEL_GROUP, "devs", 0), KEL_SUCCESS);
  EXPECT_EQ(countOfKind(KEL_GROUP_MEMBER), 0);
  EXPECT_EQ(kelDeleteObject(2, "proj", 0, nullptr, KEL_GROUP, "devs", 0), KEL_NOT_FOUND);
}

TEST_F(KelObjects, RolesGivenToAUserAreListedOnce) {
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "alice", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(1, "", KEL_USER, "alice", KEL_ROLE, names({"Dev", "Rev", "Dev"}).c_str(), 1),
            KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(1, "", KEL_USER, "alice", KEL_ROLE, "Rev", 0), KEL_SUCCESS);
  EXPECT_EQ(firstList(1, "", KEL_USER, "alice"), (TextList{"Dev", "Rev"}));
  EXPECT_FALSE(exists(1, "", KEL_ROLE, "Dev")) << "giving a role makes no role record";

  EXPECT_EQ(kelDeleteObject(1, "", KEL_USER, "alice", KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  EXPECT_EQ(firstList(1, "", KEL_USER, "alice"), (TextList{"Rev"}));
  EXPECT_EQ(kelDeleteObject(1, "", KEL_USER, "alice", KEL_ROLE, "Dev", 0), KEL_NOT_FOUND);
  EXPECT_EQ(firstList(1, "", KEL_USER, "alice"), (TextList{"Rev"}));
}

TEST_F(KelObjects, AListThatWouldOutgrowTheRecordIsRefusedWhole) {
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "alice", 0), KEL_SUCCESS);
  std::vector<std::string> roles;
  for (int i = 0; i < 80; ++i) roles.push_back("role-with-a-long-name-" + std::to_string(i) + std::string(30, 'r'));
  std::vector<std::string> first(roles.begin(), roles.begin() + 40), rest(roles.begin() + 40, roles.end());
  ASSERT_EQ(kelAddObject(1, "", KEL_USER, "alice", KEL_ROLE, names(first).c_str(), 1), KEL_SUCCESS);
  EXPECT_EQ(kelAddObject(1, "", KEL_USER, "alice", KEL_ROLE, names(rest).c_str(), 1), KEL_OUT_OF_MEMORY);
  EXPECT_EQ(firstList(1, "", KEL_USER, "alice"), TextList(first.begin(), first.end()));
}

TEST_F(KelObjects, PermissionsAndPolicyLinesReplaceTheSameKey) {
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_ROLE, "Dev", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_ROLE, "Dev", KEL_PERMISSION,
                         names({"CheckIn", "CheckInAll", "LockStates = Exp"}).c_str(), 1),
            KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_ROLE, "Dev", KEL_PERMISSION, "EnforceNocheckin", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_ROLE, "Dev", KEL_PERMISSION, "lockstates=Rel", 0), KEL_SUCCESS);
  EXPECT_EQ(firstList(2, "proj", KEL_ROLE, "Dev"), (TextList{"EnforceNocheckin", "CheckInAll", "lockstates=Rel"}));

  // Policy lines go to the scope's statement when no parent is named.
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_POLICY_LINE, "Compress", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_POLICY_STATEMENT, "Policy Statement", KEL_POLICY_LINE, "NoCompress", 0),
            KEL_SUCCESS);
  EXPECT_EQ(firstList(2, "proj", KEL_POLICY_STATEMENT, "Policy Statement"), (TextList{"NoCompress"}));

  EXPECT_EQ(kelDeleteObject(2, "proj", KEL_ROLE, "Dev", KEL_PERMISSION, "CheckIn", 0), KEL_SUCCESS);
  EXPECT_EQ(firstList(2, "proj", KEL_ROLE, "Dev"), (TextList{"CheckInAll", "lockstates=Rel"}));
  EXPECT_EQ(kelDeleteObject(2, "proj", KEL_ROLE, "Dev", KEL_PERMISSION, "Lock", 0), KEL_NOT_FOUND);
}

TEST_F(KelObjects, TheDefaultRolesStay) {
  EXPECT_EQ(kelDeleteObject(1, "", 0, nullptr, KEL_ROLE, "DefaultRegisteredUser", 0), KEL_NOT_DELETED);
  EXPECT_EQ(kelDeleteObject(1, "", 0, nullptr, KEL_ROLE, "DefaultUnregisteredUser", 0), KEL_NOT_DELETED);
  EXPECT_TRUE(exists(1, "", KEL_ROLE, "DefaultRegisteredUser"));
  // A project may have and drop a role of that name.
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_ROLE, "DefaultRegisteredUser", 0), KEL_SUCCESS);
  EXPECT_EQ(kelDeleteObject(2, "proj", 0, nullptr, KEL_ROLE, "DefaultRegisteredUser", 0), KEL_SUCCESS);
}

TEST_F(KelObjects, DeletingAProjectTakesItsTreeAndItsSecurityObjectEntries) {
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_PROJECT, "other", 0), KEL_SUCCESS);
  const std::string dir = dir_.file("src");
  ASSERT_EQ(kelRegisterProject(dir.c_str(), "proj", 1), KEL_SUCCESS);
  ASSERT_EQ(kelRegisterProject(dir.c_str(), "other", 1), KEL_SUCCESS);
  ASSERT_EQ(kelRegisterProject(dir_.file("lib").c_str(), "proj", 1), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_USER, "hank", 0), KEL_SUCCESS);
  ASSERT_EQ(kelAddFrag(2, "proj", "Policy Statement", "f", "line", 0), KEL_SUCCESS);
  const int before = countOfKind(KEL_USER);

  ASSERT_EQ(kelDeleteObject(1, "", 0, nullptr, KEL_PROJECT, "proj", 0), KEL_SUCCESS);
  EXPECT_FALSE(exists(2, "proj"));
  EXPECT_EQ(kel_test::listsOf(KEL_SECURITY_OBJECT, dir.c_str())[1], (TextList{"other"}));
  EXPECT_EQ(kel_test::listsOf(KEL_SECURITY_OBJECT, dir_.file("lib").c_str())[1], TextList{});
  EXPECT_EQ(countOfKind(KEL_USER), before - 1) << "the global user stays";
  EXPECT_EQ(countOfKind(KEL_FRAGMENT), 0);
  EXPECT_EQ(countOfKind(KEL_POLICY_STATEMENT), 3) << "global, default and other's";
}

TEST_F(KelObjects, GetObjectFindsTopLevelObjectsAndChildren) {
  kelObjectRecord* rec = nullptr;
  ASSERT_EQ(kelGetObject(1, "", 0, nullptr, &rec), KEL_SUCCESS);
  EXPECT_STREQ(rec->Name, "Global Module");
  EXPECT_EQ(rec->Attrib1, 1);
  kelFree(rec);
  ASSERT_EQ(kelGetObject(2, "proj", KEL_POLICY_STATEMENT, "Policy Statement", &rec), KEL_SUCCESS);
  EXPECT_EQ(rec->ObjectType, KEL_POLICY_STATEMENT);
  kelFree(rec);
  EXPECT_EQ(kelGetObject(KEL_POLICY_STATEMENT, "Default Policy Statement", 0, nullptr, nullptr), KEL_SUCCESS);
  // Products and security objects come from the top level whatever the first pair says.
  EXPECT_EQ(kelGetObject(2, "no such project", KEL_PRODUCT, "Tessalyworkbench", nullptr), KEL_SUCCESS);
  EXPECT_EQ(kelGetObject(2, "nosuch", 0, nullptr, &rec), KEL_NOT_FOUND);
  EXPECT_EQ(rec, nullptr);
  EXPECT_EQ(kelGetObject(2, "proj", KEL_USER, "nobody", nullptr), KEL_NOT_FOUND);
  EXPECT_EQ(kelGetObject(2, nullptr, 0, nullptr, nullptr), KEL_INVALID_ARGUMENT);
}

TEST_F(KelObjects, ChangesOfAReadOnlyDatabaseAnswer26) {
  reopen(true);
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "x", 0), KEL_READ_ONLY);
  EXPECT_EQ(kelDeleteObject(1, "", 0, nullptr, KEL_PROJECT, "proj", 0), KEL_READ_ONLY);
  EXPECT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Compress", nullptr), KEL_READ_ONLY);
  EXPECT_EQ(kelSetAttribute(1, "", 0, nullptr, 2, "abcd", 4), KEL_READ_ONLY);
  EXPECT_EQ(kelAddFrag(1, "", "Policy Statement", "f", "x", 0), KEL_READ_ONLY);
  EXPECT_EQ(kelDeleteFrag(1, "", "Policy Statement", "f"), KEL_READ_ONLY);
  EXPECT_EQ(kelAddDefaultPolicy(names({"Compress"}).c_str()), KEL_READ_ONLY);
  EXPECT_EQ(kelRegisterProject("/tmp", "proj", 1), KEL_READ_ONLY);
  EXPECT_EQ(kelSetPasswd(1, "", "pw"), KEL_READ_ONLY);
  EXPECT_TRUE(exists(2, "proj")) << "reading works";
}

TEST(KelObjectCalls, BeforeStartAndWithoutDatabase) {
  EXPECT_EQ(kelGetObject(1, "", 0, nullptr, nullptr), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, 3, "x", 0), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelDeleteObject(1, "", 0, nullptr, 3, "x", 0), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelEnumInfo(1, "", 3, [](int, const char*, const kelObjectRecord*) { return 1; }), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelGetRoles(1, "", 3, "x", nullptr, 0), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelResolvePermission(1, "", "x", "CheckIn", nullptr, nullptr), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelGetOption(1, "", 5, "Policy Statement", "x", nullptr, nullptr), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelGetFrag(1, "", "Policy Statement", "f", nullptr), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelVerifyAdminPassword("x"), KEL_NOT_INITIALIZED);
  EXPECT_EQ(kelSetAdminPassword("x", "y"), KEL_NOT_INITIALIZED);
  ASSERT_EQ(kelInit("orvty"), KEL_SUCCESS);
  EXPECT_EQ(kelGetObject(1, "", 0, nullptr, nullptr), KEL_NOT_OPEN);
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, 3, "x", 0), KEL_NOT_OPEN);
  EXPECT_EQ(kelResolvePermission(1, "", "x", "CheckIn", nullptr, nullptr), KEL_NOT_OPEN);
  EXPECT_EQ(kelExit(), KEL_SUCCESS);
}

// ---- kelEnumInfo ---------------------------------------------------------

struct Visit {
  int kind;
  std::string name;
  std::int32_t id;
};
std::vector<Visit> g_visits;
int g_stopAfter = 0;  // answer 7 at that visit (0: never)

int recordVisit(int kind, const char* name, const kelObjectRecord* rec) {
  g_visits.push_back({kind, name, rec->ObjectID});
  return static_cast<int>(g_visits.size()) == g_stopAfter ? 7 : 1;
}

std::vector<std::string> visitedNames() {
  std::vector<std::string> out;
  for (const auto& v : g_visits) out.push_back(std::to_string(v.kind) + ":" + v.name);
  return out;
}

TEST_F(KelObjects, EnumListsInKeyOrderWithMembersAfterTheirGroup) {
  ASSERT_EQ(kelAddObject(2, "proj", 0, nullptr, KEL_GROUP, names({"testers", "devs"}).c_str(), 1), KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_GROUP, "devs", KEL_GROUP_MEMBER, names({"zoe", "amy"}).c_str(), 1),
            KEL_SUCCESS);
  ASSERT_EQ(kelAddObject(2, "proj", KEL_GROUP, "testers", KEL_GROUP_MEMBER, "bo", 0), KEL_SUCCESS);
  g_visits.clear();
  g_stopAfter = 0;
  EXPECT_EQ(kelEnumInfo(2, "proj", KEL_GROUP, recordVisit), KEL_SUCCESS);
  EXPECT_EQ(visitedNames(), (std::vector<std::string>{"4:devs", "7:amy", "7:zoe", "4:testers", "7:bo"}));

  g_visits.clear();
  EXPECT_EQ(kelEnumInfo(2, "proj", KEL_USER, recordVisit), KEL_SUCCESS);
  EXPECT_EQ(visitedNames(), (std::vector<std::string>{"3:amy", "3:bo", "3:zoe"}));

  // Any answer but 1 ends the walk and is the result, also inside a group's members.
  g_visits.clear();
  g_stopAfter = 2;
  EXPECT_EQ(kelEnumInfo(2, "proj", KEL_GROUP, recordVisit), 7);
  EXPECT_EQ(g_visits.size(), 2u);
  g_visits.clear();
  EXPECT_EQ(kelEnumInfo(2, "proj", KEL_GROUP, [](int, const char*, const kelObjectRecord*) { return 0; }), 0);

  // Projects, products and security objects come from the top level.
  g_visits.clear();
  g_stopAfter = 0;
  EXPECT_EQ(kelEnumInfo(2, "nosuch", KEL_PROJECT, recordVisit), KEL_SUCCESS);
  EXPECT_EQ(visitedNames(), (std::vector<std::string>{"2:proj"}));
  g_visits.clear();
  EXPECT_EQ(kelEnumInfo(1, "", KEL_PRODUCT, recordVisit), KEL_SUCCESS);
  EXPECT_EQ(visitedNames(), (std::vector<std::string>{"8:Tessalyworkbench"}));

  EXPECT_EQ(kelEnumInfo(1, "", 10, recordVisit), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelEnumInfo(1, "", 0, recordVisit), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelEnumInfo(2, "nosuch", KEL_USER, recordVisit), KEL_NOT_FOUND);
}

// The revision library's policy loader: for each statement of a scope it
// fetches the statement's fragments from inside the walk.
std::map<std::string, int> g_statementVisits;
std::vector<std::string> g_loadedLines;

int loadStatement(int kind, const char* name, const kelObjectRecord* rec) {
  if (kind != KEL_POLICY_STATEMENT) return 0;
  ++g_statementVisits[name];
  // The statement's lists: own lines, then fragment names.
  const char* p = KEL_VARDATA(rec);
  std::vector<std::string> own, fragments;
  for (; *p; p += std::strlen(p) + 1) own.emplace_back(p);
  for (++p; *p; p += std::strlen(p) + 1) fragments.emplace_back(p);
  for (const auto& f : fragments) {
    kelObjectRecord* frag = nullptr;
    if (kelGetFrag(1, "", name, f.c_str(), &frag) != KEL_SUCCESS) return 99;
    for (const char* q = KEL_VARDATA(frag); *q; q += std::strlen(q) + 1) g_loadedLines.emplace_back(q);
    kelFree(frag);
  }
  for (const auto& line : own) g_loadedLines.push_back(line);
  return 1;
}

TEST_F(KelObjects, EnumWhoseCallbackFetchesFragmentsVisitsEveryStatementOnce) {
  // The global module gets further statements beside its own.
  const std::int32_t g = kel::database().globalId();
  std::vector<std::string> statements = {"Policy Statement"};
  for (int i = 0; i < 6; ++i) {
    statements.push_back("Statement " + std::to_string(i));
    ASSERT_EQ(kel::addObjectRecord(g, KEL_POLICY_STATEMENT, statements.back()), KEL_SUCCESS);
  }
  std::vector<std::string> want;
  for (const auto& s : statements) {
    for (int f = 0; f < 2; ++f) {
      const std::string frag = s + " frag " + std::to_string(f);
      ASSERT_EQ(kelAddFrag(1, "", s.c_str(), frag.c_str(), (frag + " line").c_str(), 0), KEL_SUCCESS);
    }
  }
  ASSERT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Compress", nullptr), KEL_SUCCESS);
  g_statementVisits.clear();
  g_loadedLines.clear();
  ASSERT_EQ(kelEnumInfo(1, "", KEL_POLICY_STATEMENT, loadStatement), KEL_SUCCESS);
  ASSERT_EQ(g_statementVisits.size(), statements.size());
  for (const auto& s : statements) EXPECT_EQ(g_statementVisits[s], 1) << s;
  EXPECT_EQ(g_loadedLines.size(), 2 * statements.size() + 1);
  EXPECT_EQ(g_loadedLines[0], "Policy Statement frag 0 line");
  EXPECT_EQ(g_loadedLines[2], "Compress");
}

// A callback that changes the database while the walk runs still sees each
// object once.
int addWhileWalking(int, const char* name, const kelObjectRecord*) {
  g_visits.push_back({0, name, 0});
  if (std::strlen(name) == 1) kelAddObject(1, "", 0, nullptr, KEL_USER, (std::string(name) + "+").c_str(), 0);
  kelDeleteObject(1, "", 0, nullptr, KEL_USER, "zz", 0);
  return 1;
}

TEST_F(KelObjects, EnumSurvivesChangesMadeByItsCallback) {
  ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, names({"a", "m", "zz"}).c_str(), 1), KEL_SUCCESS);
  g_visits.clear();
  ASSERT_EQ(kelEnumInfo(1, "", KEL_USER, addWhileWalking), KEL_SUCCESS);
  std::vector<std::string> seen;
  for (const auto& v : g_visits) seen.push_back(v.name);
  // Later keys added during the walk are met; the deleted one is not.
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "a+", "m", "m+"}));
}

}  // namespace
