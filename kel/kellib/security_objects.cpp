// Security objects and kelRegisterProject.
#include "kel/kellib/security_objects.h"

#include "kel/kellib/absolute_path.h"
#include "kel/kellib/entry_text.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/scope_password.h"
#include "kel/kellib/well_known_names.h"

#include <algorithm>

namespace kel {

int securityObjectPath(std::string_view path, std::string& absolute) {
  if (int err = makeAbsolutePath(path, {}, absolute)) {
    setExtraError(err);
    return KEL_NO_ABSOLUTE_PATH;
  }
  return KEL_SUCCESS;
}

TextList registeredProjects(const ObjectRecord& so) {
  auto lists = so.lists();
  return lists.size() > 1 ? lists[1] : TextList{};
}

int setRegisteredProjects(ObjectRecord& so, const TextList& projects) {
  auto lists = so.lists();
  if (lists.empty() || lists[0].empty()) lists.assign(1, TextList{so.name()});
  lists.resize(2);
  lists[1] = projects;
  return so.setLists(lists);
}

int forgetProjectInSecurityObjects(std::string_view project) {
  ObjectScan scan(rookdb::Selection::ofTypeUnder(KEL_SECURITY_OBJECT, 0));
  ObjectRecord so;
  int rc;
  while ((rc = scan.next(so)) == KEL_SUCCESS) {
    TextList projects = registeredProjects(so);
    auto end = std::remove(projects.begin(), projects.end(), project);
    if (end == projects.end()) continue;
    projects.erase(end, projects.end());
    if ((rc = setRegisteredProjects(so, projects))) return rc;
    if ((rc = rewriteObject(so))) return rc;
  }
  return rc == rookdb::kNotFound ? KEL_SUCCESS : rc;
}

namespace {

int registerProject(const char* path, const char* project, bool add) {
  if (int rc = requireWritable()) return rc;
  if (!path || !*path) return KEL_INVALID_ARGUMENT;
  if (project && equalsIgnoringCase(project, kGlobalModuleName)) return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (project && *project) {
    if (int rc = findScope(KEL_PROJECT, project, scope)) return rc;
  } else {
    project = nullptr;
    if (int rc = findScope(KEL_GLOBAL_MODULE, nullptr, scope)) return rc;
  }
  if (int rc = checkScope(scope)) return rc;
  std::string absolute;
  if (int rc = securityObjectPath(path, absolute)) return rc;
  const std::string name = project ? scope.name() : std::string();

  Change change;
  if (int rc = change.begin()) return rc;
  ObjectRecord so;
  int rc = findObject(KEL_SECURITY_OBJECT, 0, absolute, so);
  if (rc == KEL_NOT_FOUND) {
    if (!add) return KEL_NOT_FOUND;
    if ((rc = addObjectRecord(0, KEL_SECURITY_OBJECT, absolute, &so))) return rc;
  } else if (rc) {
    return rc;
  }
  if (project) {
    TextList projects = registeredProjects(so);
    auto at = std::find(projects.begin(), projects.end(), name);
    if (add && at == projects.end()) projects.push_back(name);
    if (!add && at != projects.end()) projects.erase(at);
    if ((rc = setRegisteredProjects(so, projects))) return rc;
    if ((rc = rewriteObject(so))) return rc;
  }
  return change.commit();
}

}  // namespace
}  // namespace kel

extern "C" KEL_API kelResult kelRegisterProject(const char* path, const char* project, int add) {
  return kel::exportBarrier([&]() -> int { return kel::registerProject(path, project, add != 0); });
}
