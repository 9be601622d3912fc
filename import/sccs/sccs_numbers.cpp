// The archive numbers of SCCS deltas. Without branches every delta keeps its
// SID. With them the tree is numbered again from the lowest trunk revision,
// visiting deltas by increasing serial and each delta's children by
// increasing serial: a trunk child of a trunk delta keeps its SID, other
// children of a trunk delta start branches "parent.k.1"; the first child of a
// branch delta continues its branch, later ones start branches "parent.k.1".
// (SCCS numbers a branch off a branch delta like one off the trunk; the
// archive's numbers must show where it starts.)
#include <algorithm>
#include <map>

#include "import/sccs/sccs_model.h"

namespace orv::import {

namespace {

// Branches of branches nest at most this deep (a number of 64 fields).
constexpr std::size_t kMaxFields = 64;
struct TooDeep {};

struct Tree {
  std::map<unsigned, SccsDelta*> bySerial;
  std::map<unsigned, std::vector<SccsDelta*>> children;  // by predecessor serial, increasing serial
};

Tree buildTree(SccsFile& file) {
  Tree t;
  for (SccsDelta& d : file.deltas) t.bySerial[d.serial] = &d;
  for (auto& [serial, d] : t.bySerial) t.children[d->predecessor].push_back(d);
  return t;
}

bool needsRenumbering(const Tree& t, const std::string& name, MessageBuffer& msgs) {
  bool needed = false;
  for (const auto& [serial, d] : t.bySerial) {
    auto it = t.children.find(serial);
    if (it == t.children.end()) continue;
    for (const SccsDelta* child : it->second) {
      if (isBranch(d->number) && isTrunk(child->number))
        msgs.fail(false, "trunk revision cannot be child of branch in SCCS file %s", name.c_str());
      if (isTrunk(d->number) && isBranch(child->number)) needed = true;
    }
    if (isBranch(d->number) && it->second.size() > 1) needed = true;
  }
  return needed;
}

void renumber(const Tree& t, SccsDelta& lowest) {
  lowest.newNumber = lowest.number;
  for (const auto& [serial, d] : t.bySerial) {
    auto it = t.children.find(serial);
    if (it == t.children.end() || d->newNumber.empty()) continue;
    unsigned branchCount = 0, childCount = 0;
    for (SccsDelta* child : it->second) {
      RevNumber n = d->newNumber;
      if (isTrunk(d->newNumber) && isTrunk(child->number)) {
        n = child->number;
      } else if (isTrunk(d->newNumber)) {
        n.push_back(++branchCount);
        n.push_back(1);
      } else if (childCount++ == 0) {
        ++n.back();
      } else {
        n.push_back(branchCount++ + 1);
        n.push_back(1);
      }
      if (n.size() > kMaxFields) throw TooDeep{};
      child->newNumber = n;
    }
  }
}

}  // namespace

void assignNumbers(SccsFile& file, const std::string& name, MessageBuffer& msgs) {
  if (file.deltas.empty()) return;
  SccsDelta* lowest = nullptr;
  for (SccsDelta& d : file.deltas)
    if (isTrunk(d.number) && (!lowest || numberLess(d.number, lowest->number))) lowest = &d;
  if (!lowest) msgs.fail(false, "no trunk revisions in SCCS file %s", name.c_str());
  for (const SccsDelta& d : file.deltas)
    if (d.serial < lowest->serial)
      msgs.fail(false, "SCCS file %s has a branch as the lowest revision", name.c_str());
  const Tree t = buildTree(file);
  if (!needsRenumbering(t, name, msgs)) {
    for (SccsDelta& d : file.deltas) d.newNumber = d.number;
    return;
  }
  try {
    renumber(t, *lowest);
  } catch (const TooDeep&) {
    msgs.fail(false, "branches nest too deep in SCCS file %s", name.c_str());
  }
  for (SccsDelta& d : file.deltas)
    if (d.newNumber.empty()) msgs.fail(false, "delta %s of SCCS file %s has no predecessor", d.sid.c_str(), name.c_str());
}

}  // namespace orv::import
