// Roles of users and permission resolution over one fixture database:
//   global roles  Builder  = CheckIn, "LockStates = Exp", NoLock
//                 Operator = EnforceCheckOut, Lock
//   global users  ann [Builder], ben [], cat (member of ops), dan [Builder] (member of ops)
//   global group  ops [Operator, Builder]
//   project proj  role ProjRole = Promote=Rel; users ann [ProjRole], eve []
#include "kel/kellib/tests/kel_fixture.h"

namespace {

using kel_test::names;
using kel_test::takeList;

class KelResolution : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    OpenDatabase::SetUp();
    auto add = [](int sk, const char* s, int pk, const char* p, int k, const std::vector<std::string>& n) {
      ASSERT_EQ(kelAddObject(sk, s, pk, p, k, names(n).c_str(), 1), KEL_SUCCESS);
    };
    add(1, "", 0, nullptr, KEL_ROLE, {"Builder", "Operator"});
    add(1, "", KEL_ROLE, "Builder", KEL_PERMISSION, {"CheckIn", "LockStates = Exp", "NoLock"});
    add(1, "", KEL_ROLE, "Operator", KEL_PERMISSION, {"EnforceCheckOut", "Lock"});
    add(1, "", 0, nullptr, KEL_USER, {"ann", "ben", "cat", "dan"});
    add(1, "", KEL_USER, "ann", KEL_ROLE, {"Builder"});
    add(1, "", KEL_USER, "dan", KEL_ROLE, {"Builder"});
    add(1, "", 0, nullptr, KEL_GROUP, {"ops"});
    add(1, "", KEL_GROUP, "ops", KEL_ROLE, {"Operator", "Builder"});
    add(1, "", KEL_GROUP, "ops", KEL_GROUP_MEMBER, {"cat", "dan"});
    add(1, "", 0, nullptr, KEL_PROJECT, {"proj"});
    add(2, "proj", 0, nullptr, KEL_ROLE, {"ProjRole"});
    add(2, "proj", KEL_ROLE, "ProjRole", KEL_PERMISSION, {"Promote=Rel"});
    add(2, "proj", 0, nullptr, KEL_USER, {"ann", "eve"});
    add(2, "proj", KEL_USER, "ann", KEL_ROLE, {"ProjRole"});
  }
};

TEST_F(KelResolution, RolesOfUsers) {
  struct Case {
    int scopeKind;
    const char* scope;
    const char* user;
    int noGroups;
    int rc;
    std::vector<std::string> roles;
  } cases[] = {
      {1, "", "ann", 0, 0, {"Builder"}},
      {1, "", "ben", 0, 0, {"DefaultRegisteredUser"}},
      {1, "", "cat", 0, 0, {"Operator", "Builder"}},
      {1, "", "cat", 1, 0, {"DefaultRegisteredUser"}},
      {1, "", "dan", 0, 0, {"Builder", "Operator"}},  // the group's copy of Builder is dropped
      {1, "", "zed", 0, 0, {"DefaultUnregisteredUser"}},
      {1, "", "Ann", 0, 0, {"DefaultUnregisteredUser"}},  // names compare with case
      {2, "proj", "ann", 0, 0, {"ProjRole"}},
      {2, "proj", "eve", 0, 0, {"DefaultRegisteredUser"}},
      {2, "proj", "zed", 0, KEL_NOT_FOUND, {}},
      {2, "nosuch", "ann", 0, KEL_NOT_FOUND, {}},
  };
  for (const auto& c : cases) {
    char* list = reinterpret_cast<char*>(1);
    EXPECT_EQ(kelGetRoles(c.scopeKind, c.scope, KEL_USER, c.user, &list, c.noGroups), c.rc) << c.user;
    EXPECT_EQ(takeList(list), c.roles) << c.user << " in " << c.scope;
  }
  char* list = nullptr;
  ASSERT_EQ(kelGetRoles(1, "", KEL_ROLE, "Builder", &list, 0), KEL_SUCCESS);
  EXPECT_EQ(takeList(list), (std::vector<std::string>{"CheckIn", "LockStates = Exp", "NoLock"}));
  EXPECT_EQ(kelGetRoles(1, "", KEL_ROLE, "Nobody", &list, 0), KEL_NOT_FOUND);
  EXPECT_EQ(kelGetRoles(1, "", KEL_GROUP, "ops", &list, 0), KEL_INVALID_ARGUMENT);
}

TEST_F(KelResolution, PermissionTable) {
  struct Case {
    int scopeKind;
    const char* scope;
    const char* user;
    const char* permission;
    int rc, flags;
    const char* value;
  } cases[] = {
      {1, "", "zed", "CheckIn", KEL_NOT_FOUND, 2, nullptr},  // DefaultUnregisteredUser grants nothing
      {1, "", "ben", "CheckIn", 0, 0, nullptr},              // DefaultRegisteredUser
      {1, "", "ben", "BreakLocks", 0, 0, nullptr},
      {1, "", "cat", "CheckOut", 0, 4, nullptr},  // through the group, enforced
      {1, "", "cat", "Reports", KEL_NOT_FOUND, 2, nullptr},  // has roles, so no default role
      {1, "", "ann", "LockStates", 0, 0, " Exp"},
      {1, "", "ann", "Lock", KEL_NOT_FOUND, 1, nullptr},  // "NoLock" refuses
      {1, "", "dan", "Lock", KEL_NOT_FOUND, 1, nullptr},  // the first hit refuses; Operator's Lock is not reached
      {1, "", "ann", "Promote", KEL_NOT_FOUND, 2, nullptr},
      {2, "proj", "ann", "Promote", 0, 0, "Rel"},
      {2, "proj", "ann", "CheckIn", 0, 0, nullptr},  // the global step comes first
      {2, "proj", "eve", "Promote", 0, 0, nullptr},  // the global default role grants it
      {2, "proj", "eve", "LockStates", KEL_NOT_FOUND, 2, nullptr},
      {2, "nosuch", "ann", "Promote", KEL_NOT_FOUND, 2, nullptr},
      {1, "", "ann", "CheckInAll", KEL_NOT_FOUND, 2, nullptr},
      {3, "", "ann", "CheckIn", KEL_INVALID_ARGUMENT, 2, nullptr},
      {1, nullptr, "ann", "CheckIn", KEL_INVALID_ARGUMENT, 2, nullptr},
      {1, "", nullptr, "CheckIn", KEL_INVALID_ARGUMENT, 2, nullptr},
  };
  for (const auto& c : cases) {
    char* value = reinterpret_cast<char*>(1);
    int flags = -1;
    EXPECT_EQ(kelResolvePermission(c.scopeKind, c.scope, c.user, c.permission, &value, &flags), c.rc)
        << (c.user ? c.user : "-") << " " << c.permission;
    EXPECT_EQ(flags, c.flags) << (c.user ? c.user : "-") << " " << c.permission;
    EXPECT_EQ(value ? std::string(value) : "(none)", c.value ? c.value : "(none)") << c.permission;
    kelFree(value);
  }
}

TEST_F(KelResolution, TheSecurityObjectStepAlone) {
  char* value = nullptr;
  int flags = 0;
  EXPECT_EQ(kelResolvePermissionInSO(2, "proj", "ann", "Promote", &value, &flags), KEL_SUCCESS);
  EXPECT_STREQ(value, "Rel");
  kelFree(value);
  EXPECT_EQ(kelResolvePermissionInSO(2, "proj", "ann", "CheckIn", &value, &flags), KEL_NOT_FOUND)
      << "no global step";
  EXPECT_EQ(flags, 2);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(kelResolvePermissionInSO(1, "", "ann", "CheckIn", &value, &flags), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelResolvePermissionInSO(2, nullptr, "ann", "CheckIn", &value, &flags), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelResolvePermission(1, "", "ann", "CheckIn", nullptr, nullptr), KEL_SUCCESS) << "outs are optional";
}

}  // namespace
