// The calls over a project's dependency graph: vcEnumUses (a member's used
// files, depth first), vcDropUses (forget a member's dependencies),
// vcSaveUses (write the cache) and vcDoneUses (free the graph and the scan
// settings).
#include "vc/project/project_uses.h"
#include "vc/depends/scan_settings.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/project/project_members.h"

#include <utility>
#include <vector>

namespace vc {
namespace {

// One vcEnumUses walk. The callback may call back into the library; a walk
// whose project or graph changed under it stops.
struct EnumRun {
  VcInstance& inst;
  int handle;
  VcProject* p;
  VcUsesGraph* graph;
  std::uint64_t generation;
  VcUsedFileFn callback;
  bool broken = false;

  // Offers a node that no walk has reached yet. 0 to go on, descend then
  // telling whether its dependencies are to be walked; else the answer that
  // stops the walk (the callback's, or err::kBadProjectHandle when the
  // project or its graph changed under the callback).
  int offer(VcUsesNode& node, bool& descend) {
    descend = false;
    if (graph->visited(node)) return 0;
    const std::string name = node.name;
    const int answer = callback(name.c_str());
    VcProject* now = nullptr;
    if (lookupProject(inst, handle, now) || now != p || p->uses.get() != graph ||
        graph->generation() != generation) {
      broken = true;
      return answer ? answer : err::kBadProjectHandle;
    }
    if (answer) return answer;
    graph->visit(node);
    descend = true;
    return 0;
  }

  // Walks one direct dependency of the member and what it reaches, depth
  // first in list order, each node once. Kept on a list of its own rather
  // than the call stack, so that an include chain of any depth is walked.
  // 0; the callback's answer for top itself; 1 when the walk was stopped
  // below it (err::kBadProjectHandle when the project or graph changed).
  int walk(VcUsesNode& top) {
    bool descend = false;
    if (int answer = offer(top, descend)) return answer;
    if (!descend) return 0;
    std::vector<std::pair<VcUsesNode*, std::size_t>> path{{&top, 0}};
    while (!path.empty()) {
      VcUsesNode* node = path.back().first;
      const std::size_t index = path.back().second++;
      // The list is looked at afresh each step: a callback may add to it.
      if (index >= node->dependencies.size()) {
        path.pop_back();
        continue;
      }
      VcUsesNode* dep = node->dependencies[index];
      if (offer(*dep, descend)) return broken ? err::kBadProjectHandle : 1;
      if (descend) path.emplace_back(dep, 0);
    }
    return 0;
  }
};

int enumUses(VcInstance& inst, int handle, const char* member, VcUsedFileFn callback) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  if (!callback) return fail(inst, err::kBadArgument);
  VcUsesNode* start = dependencyNode(inst, *p, *it);
  if (!start || start->dependencies.empty()) return fail(inst, err::kDone);
  p->uses->beginWalk();
  p->uses->visit(*start);
  EnumRun run{inst, handle, p, p->uses.get(), p->uses->generation(), callback};
  for (std::size_t i = 0; i < start->dependencies.size(); ++i)
    if (int answer = run.walk(*start->dependencies[i])) return inst.lastError = answer;
  return inst.lastError = 0;
}

int dropUses(VcInstance& inst, int handle, const char* member) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  MemberIt it;
  if (int rc = findMember(inst, *p, member, it)) return fail(inst, rc);
  VcUsesNode* node = memberNode(inst, *p, *it);
  if (p->throughSandbox && node->dependencies.empty())
    if (VcUsesNode* tree = treeNode(inst, *p, *it, false)) node = tree;
  if (node->dependencies.empty()) return fail(inst, err::kDone);
  node->unlinkAll();
  p->usesChanged = true;  // the next save must not bring them back
  return inst.lastError = 0;
}

int saveUsesCall(VcInstance& inst, int handle) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  const int rc = saveUses(inst, *p);
  return rc ? rc : (inst.lastError = 0);
}

int doneUsesCall(VcInstance& inst, int handle) {
  VcProject* p = nullptr;
  if (int rc = lookupProject(inst, handle, p)) return fail(inst, rc);
  doneUses(*p);
  clearScanSettings();
  return inst.lastError = 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcEnumUses(int project, const char* member, VcUsedFileFn callback) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return enumUses(i, project, member, callback); });
}

VC_API VcError vcDropUses(int project, const char* member) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return dropUses(i, project, member); });
}

VC_API VcError vcSaveUses(int project) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return saveUsesCall(i, project); });
}

VC_API VcError vcDoneUses(int project) {
  return withInstance(err::kBadProjectHandle, [&](VcInstance& i) { return doneUsesCall(i, project); });
}

}  // extern "C"
