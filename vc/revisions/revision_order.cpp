// Enumeration order and line relations of revisions (see revision_order.h).
#include "vc/revisions/revision_order.h"

#include <algorithm>

namespace vc {
namespace {

using vc::archive::ArchiveFile;
using vc::archive::DeltaRecord;

void visitRevision(DeltaRecord* r, std::vector<DeltaRecord*>& out);

void visitBranch(DeltaRecord* first, std::vector<DeltaRecord*>& out) {
  std::vector<DeltaRecord*> line;
  for (DeltaRecord* r = first; r; r = r->next) line.push_back(r);
  for (auto it = line.rbegin(); it != line.rend(); ++it) visitRevision(*it, out);
}

void visitRevision(DeltaRecord* r, std::vector<DeltaRecord*>& out) {
  for (auto b = r->branches.rbegin(); b != r->branches.rend(); ++b) visitBranch(*b, out);
  out.push_back(r);
}

}  // namespace

std::vector<DeltaRecord*> enumerationOrder(const ArchiveFile& a) {
  std::vector<DeltaRecord*> out;
  for (DeltaRecord* r = a.head; r; r = r->next) visitRevision(r, out);
  return out;
}

bool onTrunk(const DeltaRecord* d) {
  return std::count(d->revision.begin(), d->revision.end(), '.') <= 1;
}

DeltaRecord* previousOnLine(const DeltaRecord* d) {
  if (onTrunk(d)) return d->next;
  return d->parent && d->parent->next == d ? d->parent : nullptr;
}

DeltaRecord* nextNewerOnLine(const DeltaRecord* d) {
  if (onTrunk(d)) return d->parent && d->parent->next == d ? d->parent : nullptr;
  return d->next;
}

}  // namespace vc
