// Creating a database with its default contents: kelCreateDB.
//
// The store builds the new file under a temporary name and moves it into
// place only when every default record is written, so no half-made
// database is ever visible; an existing database is never overwritten.
#include "kel/kellib/admin_password.h"
#include "kel/kellib/database_path.h"
#include "kel/kellib/default_policy.h"
#include "kel/kellib/default_roles.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_record.h"
#include "kel/kellib/product_table.h"
#include "kel/kellib/well_known_names.h"

#include <vector>

namespace {

using kel::ObjectRecord;
using kel::TextList;

int addDefault(rookdb::Store& store, int kind, std::int32_t parent, const char* name,
               const std::vector<TextList>* lists, ObjectRecord* added = nullptr) {
  ObjectRecord rec;
  rec.setType(kind);
  rec.setParent(parent);
  rec.setName(name);
  if (lists)
    if (int rc = rec.setLists(*lists)) return rc;
  if (int rc = store.add(rec.image())) return rc;
  if (added) *added = std::move(rec);
  return 0;
}

// Writes the default contents; the store's code on failure.
int writeDefaults(rookdb::Store& store) {
  const std::vector<TextList> twoEmpty{TextList{}, TextList{}};

  ObjectRecord global;
  global.setType(KEL_GLOBAL_MODULE);
  global.setName(kel::kGlobalModuleName);
  global.setAttrib(1, 1);
  if (int rc = store.add(global.image())) return rc;
  const std::int32_t g = global.id();

  if (int rc = addDefault(store, KEL_POLICY_STATEMENT, g, kel::kPolicyStatementName, &twoEmpty)) return rc;

  auto perms = kel::defaultRegisteredUserPermissions();
  const std::vector<TextList> registered{TextList(perms.begin(), perms.end())};
  if (int rc = addDefault(store, KEL_ROLE, g, kel::kDefaultRegisteredUserRole, &registered)) return rc;
  const std::vector<TextList> oneEmpty{TextList{}};
  if (int rc = addDefault(store, KEL_ROLE, g, kel::kDefaultUnregisteredUserRole, &oneEmpty)) return rc;

  auto lines = kel::defaultPolicyLines();
  const std::vector<TextList> policy{TextList(lines.begin(), lines.end()), TextList{}};
  if (int rc = addDefault(store, KEL_POLICY_STATEMENT, 0, kel::kDefaultPolicyStatementName, &policy)) return rc;

  for (const auto& product : kel::productTable())
    if (int rc = addDefault(store, KEL_PRODUCT, 0, product.name, nullptr)) return rc;
  return 0;
}

int createDatabase(const char* path, const char* adminPassword) {
  if (int rc = kel::requireInitialised()) return rc;
  if (!path || !*path || !adminPassword) return KEL_INVALID_ARGUMENT;
  if (int rc = kel::verifyAdminPassword(adminPassword)) return rc;

  const std::string base = kel::databaseBase(path);
  int fillResult = 0;
  int rc = rookdb::Store::create(base, [&](rookdb::Store& store) { return fillResult = writeDefaults(store); });
  if (rc == rookdb::kOk) return KEL_SUCCESS;
  kel::setExtraError(rc);
  if (rc == rookdb::kExists) return KEL_OBJECT_EXISTS;
  if (fillResult != 0) return KEL_CANNOT_WRITE;  // the defaults could not be written
  return KEL_CANNOT_ACCESS;                      // the files could not be made
}

}  // namespace

extern "C" KEL_API kelResult kelCreateDB(const char* path, const char* adminPassword) {
  return kel::exportBarrier([&]() -> int { return createDatabase(path, adminPassword); });
}
