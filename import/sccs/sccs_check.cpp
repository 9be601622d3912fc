// Checking an SCCS body before it is converted, and the whole text of a
// delta by the SCCS rule (see sccs_model.h).
#include <algorithm>

#include "import/sccs/sccs_model.h"

namespace orv::import {

namespace {

// The SCCS tools write counts of five digits at most.
constexpr unsigned long kMaxCount = 99999;

struct Open {
  std::size_t delta;  // index into the delta table
  char kind;          // 'I' or 'D'
};

}  // namespace

SccsGet::SccsGet(const SccsFile& file, const std::string& name, MessageBuffer& msgs) : file_(file) {
  const char* n = name.c_str();
  for (std::size_t i = 0; i < file.deltas.size(); ++i) index_.emplace(file.deltas[i].serial, i);
  // The structure: each control line's delta, blocks opened once and
  // ended, every text line inside an insert block.
  deltaOf_.assign(file.body.size(), 0);
  std::vector<Open> open;
  for (std::size_t i = 0; i < file.body.size(); ++i) {
    const WeaveLine& w = file.body[i];
    if (w.kind == 't') {
      if (open.empty()) msgs.fail(false, "text outside every block in SCCS file %s", n);
      // Every line was inserted by some delta.
      if (std::none_of(open.begin(), open.end(), [](const Open& o) { return o.kind == 'I'; }))
        msgs.fail(false, "text outside every insert block in SCCS file %s", n);
      continue;
    }
    auto it = index_.find(w.serial);
    if (it == index_.end()) msgs.fail(false, "weave block of unknown delta %u in SCCS file %s", w.serial, n);
    deltaOf_[i] = it->second;
    auto at = std::find_if(open.rbegin(), open.rend(), [&](const Open& o) { return o.delta == it->second; });
    if (w.kind == 'E') {
      if (at == open.rend()) msgs.fail(false, "end of a block that is not open in SCCS file %s", n);
      open.erase(std::next(at).base());
      continue;
    }
    if (at != open.rend()) msgs.fail(false, "block of delta %u opened twice in SCCS file %s", w.serial, n);
    open.push_back({it->second, w.kind});
  }
  if (!open.empty())
    msgs.fail(false, "block of delta %u not ended in SCCS file %s", file.deltas[open.back().delta].serial, n);

  // A file that is not as SCCS wrote it must still hold every delta's lines.
  if (file.checksumMatches) return;
  for (std::size_t target = 0; target < file.deltas.size(); ++target) {
    unsigned long inserted = 0, deleted = 0;
    walk(target, nullptr, inserted, deleted);
    const SccsDelta& t = file.deltas[target];
    if (!t.counted || std::min(inserted, kMaxCount) != t.inserted || std::min(deleted, kMaxCount) != t.deleted)
      msgs.fail(false,
                "SCCS file %s is cut or damaged: its checksum does not match, and the body holds %lu lines "
                "inserted and %lu deleted by delta %s, not the %lu and %lu its entry counts",
                n, inserted, deleted, t.sid.c_str(), t.inserted, t.deleted);
  }
}

std::string SccsGet::text(std::size_t delta) const {
  std::string out;
  unsigned long inserted = 0, deleted = 0;
  walk(delta, &out, inserted, deleted);
  return out;
}

// One pass over the body for a target: its ancestors by predecessor, then a
// line is there when no open insert block lies outside the ancestry and no
// open delete block inside it.
void SccsGet::walk(std::size_t target, std::string* text, unsigned long& inserted, unsigned long& deleted) const {
  std::vector<char> inSet(file_.deltas.size(), 0);
  for (auto at = index_.find(file_.deltas[target].serial); at != index_.end() && !inSet[at->second];
       at = index_.find(file_.deltas[at->second].predecessor))
    inSet[at->second] = 1;
  std::vector<Open> open;
  unsigned long foreignInserts = 0, ownDeletes = 0;  // open blocks that hide a line
  for (std::size_t i = 0; i < file_.body.size(); ++i) {
    const WeaveLine& w = file_.body[i];
    if (w.kind == 't') {
      if (text && foreignInserts == 0 && ownDeletes == 0) *text += w.text;
      // Inserted by the target: its insert block is the innermost one.
      for (auto o = open.rbegin(); o != open.rend(); ++o)
        if (o->kind == 'I') {
          inserted += o->delta == target;
          break;
        }
      // Deleted by the target: there in its predecessor, which differs
      // only in the target's own delete block.
      if (foreignInserts == 0 && ownDeletes == 1)
        for (const Open& o : open) deleted += o.kind == 'D' && o.delta == target;
      continue;
    }
    const std::size_t d = deltaOf_[i];
    if (w.kind == 'E') {
      auto at = std::find_if(open.rbegin(), open.rend(), [&](const Open& o) { return o.delta == d; });
      if (at->kind == 'I') foreignInserts -= !inSet[d];
      if (at->kind == 'D') ownDeletes -= inSet[d];
      open.erase(std::next(at).base());
      continue;
    }
    if (w.kind == 'I') foreignInserts += !inSet[d];
    if (w.kind == 'D') ownDeletes += inSet[d];
    open.push_back({d, w.kind});
  }
}

}  // namespace orv::import
