// Comparing the member lists of two open projects: vcProjectCompareInit,
// vcProjectChanges and vcProjectCompareDone.
//
// A comparison hands out one difference per call in three phases: members
// only the first project has ("d" and the full name), members only the
// second has ("a"), and members both have with another kind, revision or
// rules ("m"). Members are matched by their full names. The cursor moves
// only when a difference was handed over whole, so a caller whose buffer
// was too short gets the same difference again. Closing a project ends the
// comparisons that use it, and deleting a member moves every cursor off it.
#include "vc/project/project_members.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/paths/path_name.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace vc {
namespace {

struct Comparison {
  VcInstance* owner = nullptr;
  int handle = 0;
  VcProject* first = nullptr;
  VcProject* second = nullptr;
  int phase = 1;                   // 1 "d", 2 "a", 3 "m", 4 done
  std::optional<MemberIt> cursor;  // the next member to look at; none: the phase's start
};

std::atomic<int> g_compareSerial{0};
std::vector<std::unique_ptr<Comparison>> g_comparisons;

Comparison* findComparison(VcInstance& inst, int handle) {
  for (auto& c : g_comparisons)
    if (c->owner == &inst && c->handle == handle) return c.get();
  return nullptr;
}

// The member of p whose full name is name, or none.
const VcMember* memberNamed(VcInstance& inst, VcProject& p, const std::string& name) {
  for (const VcMember& m : p.file.members)
    if (pathsEqual(fullMemberName(inst, p, m), name)) return &m;
  return nullptr;
}

std::string orNull(const std::optional<std::string>& text) { return text.value_or("null"); }

// The "m" text of two versions of one member, or empty when they agree.
std::string modification(const std::string& name, const VcMember& one, const VcMember& two) {
  std::string parts;
  if (one.kind != two.kind) parts += std::string("t") + one.kind + ";" + two.kind + ";";
  if (one.revision != two.revision) parts += "r" + orNull(one.revision) + ";" + orNull(two.revision) + ";";
  if (one.rules != two.rules) parts += "u" + orNull(one.rules) + ";" + orNull(two.rules) + ";";
  return parts.empty() ? parts : "m\"" + name + "\" " + parts;
}

// The difference the member at the cursor makes in the current phase, or
// empty when it makes none.
std::string differenceAt(VcInstance& inst, Comparison& c, const VcMember& m) {
  VcProject& own = c.phase == 1 ? *c.first : *c.second;
  VcProject& other = c.phase == 1 ? *c.second : *c.first;
  const std::string name = fullMemberName(inst, own, m);
  const VcMember* match = memberNamed(inst, other, name);
  if (c.phase == 1) return match ? "" : "d" + name;
  if (c.phase == 2) return match ? "" : "a" + name;
  return match ? modification(name, *match, m) : "";
}

int nextChange(VcInstance& inst, Comparison& c, char* buf, int len) {
  if (c.first == c.second) c.phase = 4;
  while (c.phase < 4) {
    std::list<VcMember>& members = (c.phase == 1 ? c.first : c.second)->file.members;
    MemberIt at = c.cursor ? *c.cursor : members.begin();
    for (; at != members.end(); ++at) {
      const std::string text = differenceAt(inst, c, *at);
      if (text.empty()) continue;
      c.cursor = at;
      if (int rc = copyResult(&inst, text, buf, len)) return rc;
      c.cursor = std::next(at);
      return 0;
    }
    ++c.phase;
    c.cursor.reset();
  }
  return fail(inst, err::kDone);
}

int compareInit(VcInstance& inst, int one, int two, int* out) {
  if (!out) return fail(inst, err::kBadArgument);
  VcProject* first = nullptr;
  VcProject* second = nullptr;
  if (lookupProject(inst, one, first) || lookupProject(inst, two, second))
    return fail(inst, err::kBadArgument);
  auto c = std::make_unique<Comparison>();
  c->owner = &inst;
  c->handle = ++g_compareSerial;
  c->first = first;
  c->second = second;
  *out = c->handle;
  g_comparisons.push_back(std::move(c));
  return inst.lastError = 0;
}

void dropComparisons(VcInstance& inst) {
  std::erase_if(g_comparisons, [&](const auto& c) { return c->owner == &inst; });
}
CleanupRegistration g_cleanup(&dropComparisons);

}  // namespace

void endComparisonsOf(VcInstance& inst, const VcProject& p) {
  std::erase_if(g_comparisons, [&](const auto& c) {
    return c->owner == &inst && (c->first == &p || c->second == &p);
  });
}

void forgetMemberInComparisons(VcInstance& inst, const VcProject& p, MemberIt member) {
  for (auto& c : g_comparisons) {
    if (c->owner != &inst || !c->cursor || *c->cursor != member) continue;
    const bool walksP = (c->phase == 1 ? c->first : c->second) == &p;
    if (walksP) c->cursor = std::next(member);
  }
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcProjectCompareInit(int first, int second, int* compare) {
  return withInstance(err::kBadCaller, [&](VcInstance& i) { return compareInit(i, first, second, compare); });
}

VC_API VcError vcProjectChanges(int compare, char* buffer, int length) {
  return withInstance(err::kBadCaller, [&](VcInstance& i) {
    if (!buffer) return fail(i, err::kBadArgument);
    if (length < 2) return fail(i, err::kBufferTooSmall);
    Comparison* c = findComparison(i, compare);
    return c ? nextChange(i, *c, buffer, length) : fail(i, err::kBadArgument);
  });
}

VC_API VcError vcProjectCompareDone(int compare) {
  return withInstance(err::kBadCaller, [&](VcInstance& i) {
    if (!findComparison(i, compare)) return fail(i, err::kBadArgument);
    std::erase_if(g_comparisons, [&](const auto& c) { return c->owner == &i && c->handle == compare; });
    return i.lastError = 0;
  });
}

}  // extern "C"
