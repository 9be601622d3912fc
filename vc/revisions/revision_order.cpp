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

namespace {

const ArchiveFile::OrderCache& currentOrder(const ArchiveFile& a) {
  ArchiveFile::OrderCache& cache = a.enumeration;
  if (cache.built && cache.generation == a.treeGeneration()) return cache;
  cache.order = enumerationOrder(a);
  cache.position.clear();
  cache.position.reserve(cache.order.size());
  for (std::size_t i = 0; i < cache.order.size(); ++i) cache.position.emplace(cache.order[i], i);
  cache.generation = a.treeGeneration();
  cache.built = true;
  return cache;
}

}  // namespace

DeltaRecord* firstInEnumeration(const ArchiveFile& a) {
  const auto& order = currentOrder(a).order;
  return order.empty() ? nullptr : order.front();
}

DeltaRecord* nextInEnumeration(const ArchiveFile& a, const DeltaRecord* d) {
  const ArchiveFile::OrderCache& cache = currentOrder(a);
  auto at = cache.position.find(d);
  if (at == cache.position.end() || at->second + 1 >= cache.order.size()) return nullptr;
  return cache.order[at->second + 1];
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
