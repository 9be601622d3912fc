// The built-in catalogue and product calls: the exact answers the revision
// library and administration front ends rely on.
#include "kel/kellib/include/kel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<const kelBuiltinPolicy*> g_rows;
int collect(const kelBuiltinPolicy* row) {
  g_rows.push_back(row);
  return 0;
}

std::vector<const kelBuiltinPolicy*> rows(const char* product, const char* kind, const char* category) {
  g_rows.clear();
  EXPECT_EQ(kelEnumBuiltinPolicy(product, kind, category, collect), KEL_SUCCESS);
  return g_rows;
}

TEST(KelCatalogue, RoleRowsComeFirstThenPolicyRows) {
  auto all = rows(nullptr, nullptr, nullptr);
  ASSERT_EQ(all.size(), 68u);
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_STREQ(all[i]->Product, "TY");
    EXPECT_STREQ(all[i]->Kind, i < 29 ? "Role" : "Policy") << i;
    if (i >= 29) {
      EXPECT_EQ(all[i]->Needed, 0u) << all[i]->Key;
    }
  }
  EXPECT_STREQ(all.front()->Key, "OpenArchive");
  EXPECT_STREQ(all[28]->Key, "Reports");
  EXPECT_STREQ(all[29]->Key, "ProjectReference");
  EXPECT_STREQ(all.back()->Key, "SaveResourceFork");
}

TEST(KelCatalogue, FiltersCompareWithoutCaseAndEmptyMatchesAll) {
  struct Case {
    const char *product, *kind, *category;
    std::size_t count;
  } cases[] = {
      {"", "role", "", 29},           {nullptr, "POLICY", nullptr, 39}, {"ty", "Role", "archive", 15},
      {nullptr, "Role", "Project", 14}, {nullptr, nullptr, "Build", 7},  {nullptr, "Policy", "Macintosh", 3},
      {"XX", nullptr, nullptr, 0},    {nullptr, "Roles", nullptr, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(rows(c.product, c.kind, c.category).size(), c.count) << c.kind;
}

int g_calls = 0;
int stopAtThird(const kelBuiltinPolicy*) { return ++g_calls == 3 ? 77 : 0; }

TEST(KelCatalogue, FirstNonzeroCallbackAnswerStopsTheWalk) {
  g_calls = 0;
  EXPECT_EQ(kelEnumBuiltinPolicy(nullptr, nullptr, nullptr, stopAtThird), 77);
  EXPECT_EQ(g_calls, 3);
  EXPECT_EQ(kelEnumBuiltinPolicy(nullptr, nullptr, nullptr, nullptr), KEL_INVALID_ARGUMENT);
}

TEST(KelCatalogue, GetBuiltinPolicyCopiesTheWholeRow) {
  kelBuiltinPolicy row;
  std::memset(&row, 0, sizeof row);
  ASSERT_EQ(kelGetBuiltinPolicy(nullptr, nullptr, nullptr, "lockstates", &row), KEL_SUCCESS);
  EXPECT_STREQ(row.Key, "LockStates");
  EXPECT_STREQ(row.Category, "Archive");
  EXPECT_STREQ(row.ValueType, "value");
  EXPECT_STREQ(row.Description, "User allowed to lock revision if it is one of these states");
  EXPECT_EQ(row.Needed, 0x3u);

  ASSERT_EQ(kelGetBuiltinPolicy("TY", "Policy", "Build", "BCC_CFG", &row), KEL_SUCCESS);
  EXPECT_STREQ(row.Description, "");
  EXPECT_STREQ(row.ValueType, "value");
  ASSERT_EQ(kelGetBuiltinPolicy(nullptr, "Policy", nullptr, "rcspath", &row), KEL_SUCCESS);
  EXPECT_STREQ(row.Description, "Conversion rules to find archive file from working filename");
  ASSERT_EQ(kelGetBuiltinPolicy(nullptr, nullptr, nullptr, "AutoAction", &row), KEL_SUCCESS);
  EXPECT_STREQ(row.Description, "Define actions for event triggers");
  EXPECT_STREQ(row.ValueType, "multi-value");

  EXPECT_EQ(kelGetBuiltinPolicy(nullptr, "Policy", nullptr, "CheckIn", &row), KEL_NOT_FOUND);
  EXPECT_EQ(kelGetBuiltinPolicy(nullptr, nullptr, nullptr, "", &row), KEL_INVALID_ARGUMENT);
  EXPECT_EQ(kelGetBuiltinPolicy(nullptr, nullptr, nullptr, nullptr, &row), KEL_INVALID_ARGUMENT);
}

TEST(KelCatalogue, NeededMasksOfTheRoleRows) {
  struct Case {
    const char* key;
    uint32_t needed;
  } cases[] = {
      {"OpenArchive", 0},     {"ModifyArchive", 0x1}, {"CheckOut", 0x1},      {"CheckIn", 0x3},
      {"AllowedStates", 0x3}, {"OpenProject", 0},     {"ModifyProject", 0x4}, {"CreateProject", 0xc},
      {"Checkpoint", 0x18f},  {"OpenSandbox", 0x4},   {"ModifySandbox", 0x14}, {"CreateSandbox", 0x34},
      {"ThawMember", 0xc},    {"Reports", 0x5},
  };
  for (const auto& c : cases) {
    kelBuiltinPolicy row;
    ASSERT_EQ(kelGetBuiltinPolicy(nullptr, "Role", nullptr, c.key, &row), KEL_SUCCESS) << c.key;
    EXPECT_EQ(row.Needed, c.needed) << c.key;
  }
}

TEST(KelCatalogue, NeededPermissionNamesInBitOrder) {
  char names[128];
  int count = -1;
  EXPECT_EQ(kelGetNeededPermission("Checkpoint", names, sizeof names, &count), KEL_DONE);
  EXPECT_STREQ(names, "OpenArchive,ModifyArchive,OpenProject,ModifyProject,Lock,CheckIn");
  EXPECT_EQ(count, 6);

  EXPECT_EQ(kelGetNeededPermission("createsandbox", names, sizeof names, &count), KEL_DONE);
  EXPECT_STREQ(names, "OpenProject,OpenSandbox,ModifySandbox");

  count = -1;
  EXPECT_EQ(kelGetNeededPermission("OpenArchive", names, sizeof names, &count), KEL_SUCCESS);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(kelGetNeededPermission("CheckIn", nullptr, 0, &count), KEL_DONE);
  EXPECT_EQ(count, 2);
  // Policy rows are not permissions.
  EXPECT_EQ(kelGetNeededPermission("StrictLocks", names, sizeof names, &count), KEL_NOT_FOUND);
  EXPECT_EQ(kelGetNeededPermission("NoSuchThing", names, sizeof names, &count), KEL_NOT_FOUND);
}

TEST(KelCatalogue, DependentNamesThatDoNotFitAreCountedAndSkipped) {
  struct Case {
    uint32_t mask;
    int length;
    const char* names;
    int count;
  } cases[] = {
      // "ModifyArchive" (13) needs 13 + 2 below the room: 15 is just too
      // short, yet the later "Lock" still fits.
      {KEL_PERM_MODIFY_ARCHIVE | KEL_PERM_LOCK, 15, "Lock", 2},
      {KEL_PERM_MODIFY_ARCHIVE | KEL_PERM_LOCK, 16, "ModifyArchive", 2},
      {KEL_PERM_MODIFY_ARCHIVE | KEL_PERM_LOCK, 21, "ModifyArchive,Lock", 2},
      {KEL_PERM_MODIFY_ARCHIVE | KEL_PERM_LOCK, 19, "ModifyArchive", 2},
      {0x1ff, 200,
       "OpenArchive,ModifyArchive,OpenProject,ModifyProject,OpenSandbox,ModifySandbox,CreateArchive,Lock,"
       "CheckIn",
       9},
      {0x200, 200, "", 0},
      {KEL_PERM_CHECK_IN, 1, "", 1},
  };
  for (const auto& c : cases) {
    char names[256];
    std::memset(names, 'Z', sizeof names);
    int count = -1;
    EXPECT_EQ(kelGetDependentName(c.mask, names, c.length, &count), KEL_SUCCESS);
    EXPECT_STREQ(names, c.names) << c.length;
    EXPECT_EQ(count, c.count);
    EXPECT_LT(std::strlen(names), static_cast<std::size_t>(c.length));
  }
  int count = -1;
  EXPECT_EQ(kelGetDependentName(0x3, nullptr, 0, &count), KEL_SUCCESS);
  EXPECT_EQ(count, 2);
}

TEST(KelCatalogue, DependentPermissionsOfABasePermission) {
  struct Case {
    const char* base;
    int result;
    const char* names;
    int count;
  } cases[] = {
      {"CheckIn", KEL_DONE, "Checkpoint", 1},
      {"lock", KEL_DONE, "Checkpoint", 1},
      {"OpenSandbox", KEL_DONE, "ModifySandbox,CreateSandbox", 2},
      {"ModifySandbox", KEL_DONE, "CreateSandbox", 1},
      {"CreateArchive", KEL_SUCCESS, "", 0},
      {"OpenProject", KEL_DONE,
       "ModifyProject,CreateProject,Checkpoint,AddMember,RemoveMember,OpenSandbox,ModifySandbox,CreateSandbox,"
       "FreezeProject,ThawProject,FreezeMember,ThawMember,Reports",
       13},
  };
  for (const auto& c : cases) {
    char names[512];
    int count = -1;
    EXPECT_EQ(kelGetDependentPermission(c.base, names, sizeof names, &count), c.result) << c.base;
    EXPECT_STREQ(names, c.names);
    EXPECT_EQ(count, c.count);
  }
  int count = -1;
  EXPECT_EQ(kelGetDependentPermission("OpenArchive", nullptr, 0, &count), KEL_DONE);
  EXPECT_EQ(count, 1) << "without a buffer the first one answers";
  EXPECT_EQ(kelGetDependentPermission("Checkpoint", nullptr, 0, &count), KEL_NOT_FOUND) << "not a base permission";
}

std::vector<std::string> g_products;
int collectProduct(const char* name, const char* abbreviation) {
  g_products.push_back(std::string(name) + "/" + abbreviation);
  return 0;
}
int stopAtFirstProduct(const char*, const char*) { return 9; }

TEST(KelProducts, OneProduct) {
  g_products.clear();
  EXPECT_EQ(kelEnumProducts(collectProduct), KEL_SUCCESS);
  EXPECT_EQ(g_products, std::vector<std::string>{"Tessalyworkbench/TY"});
  EXPECT_EQ(kelEnumProducts(stopAtFirstProduct), 9);
  EXPECT_EQ(kelEnumProducts(nullptr), KEL_INVALID_ARGUMENT);
}

TEST(KelProducts, ProductNamesAreRecognised) {
  struct Case {
    const char* name;
    int result;
  } cases[] = {
      {"orv tessalyworkbench", KEL_SUCCESS}, {"Tessalyworkbench", KEL_SUCCESS}, {"ty", KEL_SUCCESS},
      {"ORV\tTY", KEL_SUCCESS},              {"OrvTessalyworkbench", KEL_NOT_FOUND},
      {"Orv  TY", KEL_NOT_FOUND},            {"Orv", KEL_NOT_FOUND},
      {"Orv ", KEL_NOT_FOUND},               {"Tessaly", KEL_NOT_FOUND},
      {"", KEL_NOT_FOUND},
  };
  for (const auto& c : cases) {
    char abbreviation[8] = "old";
    EXPECT_EQ(kelIsProductName(c.name, abbreviation, sizeof abbreviation), c.result) << c.name;
    EXPECT_STREQ(abbreviation, c.result == KEL_SUCCESS ? "TY" : "old") << c.name;
  }
  char small[3] = "ab";
  EXPECT_EQ(kelIsProductName("TY", small, 2), KEL_BUFFER_TOO_SMALL);
  EXPECT_STREQ(small, "ab");
  EXPECT_EQ(kelIsProductName("TY", small, 3), KEL_SUCCESS);
  EXPECT_STREQ(small, "TY");
  EXPECT_EQ(kelIsProductName("TY", nullptr, 0), KEL_SUCCESS);
  EXPECT_EQ(kelIsProductName(nullptr, small, 3), KEL_INVALID_ARGUMENT);
}

}  // namespace
