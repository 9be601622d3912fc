// Revision deletion (vcDeleteRevision).
//
// A revision at the end of its chain is unlinked from its parent. Any other
// revision D hands its place to its successor N: N's new text is the script
// that turns D's parent's text straight into N's (D's and N's scripts
// applied in turn and written out as one), or, when D is the head, N's full
// text. The change stays in memory until vcCommitArchive.
#include "vc/archive/archive_events.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/revisions/revision_text.h"
#include "vc/revisions/revision_tree.h"
#include "vc/paths/path_codes.h"
#include "vc/security/security_state.h"

#include <algorithm>

namespace vc {
namespace {

using vc::archive::DeltaRecord;

// N's new text: full when the deleted record is the head, else the combined
// script from the deleted record's parent.
int redelta(VcInstance& inst, VcArchive& a, DeltaRecord* gone, DeltaRecord* n, std::string& plain) {
  if (!gone->parent) {
    RebuiltText text;
    if (int rc = rebuildRevision(inst, a, n, text)) return rc;
    plain = text.list.materialise();
  } else {
    RebuiltText parent;
    if (int rc = rebuildRevision(inst, a, gone->parent, parent)) return rc;
    TextPool pool;
    const bool binary = (a.file.flags & vc::archive::kFlagBinary) != 0;
    pool.emplace_back(parent.list.materialise(), binary);
    const UnitText& base = pool.back();
    PieceList list(base);
    const UnitText* script = nullptr;
    for (DeltaRecord* d : {gone, n}) {
      if (int rc = loadUnitText(a, d->text, pool, script)) return fail(inst, rc);
      if (int rc = list.apply(*script)) return fail(inst, rc);
    }
    plain = diffAgainstBase(base, list);
  }
  // Text archives keep stored form in the pieces; binary ones plain bytes.
  if (!(a.file.flags & vc::archive::kFlagBinary)) plain = vc::archive::undoubleAt(plain);
  return 0;
}

void replaceInParent(vc::archive::ArchiveFile& f, DeltaRecord* gone, DeltaRecord* with) {
  DeltaRecord* parent = gone->parent;
  if (!parent) {
    f.head = with;
  } else if (parent->next == gone) {
    parent->next = with;
  } else {
    auto& b = parent->branches;
    auto it = std::find(b.begin(), b.end(), gone);
    if (with)
      *it = with;
    else
      b.erase(it);
  }
  if (with) with->parent = parent;
  f.treeChanged();
}

bool parentLists(const DeltaRecord* gone) {
  const DeltaRecord* parent = gone->parent;
  if (!parent) return true;
  return parent->next == gone || std::find(parent->branches.begin(), parent->branches.end(), gone) !=
                                     parent->branches.end();
}

int deleteRevision(VcInstance& inst, int handle, const char* revision) {
  VcArchive* a = nullptr;
  if (int rc = lookupArchive(inst, handle, a)) return fail(inst, rc);
  if (!revision) return fail(inst, err::kBadArgument);
  if (a->path.size() >= vc::path_code::kMaxAbsoluteName) return fail(inst, err::kInternalBufferExceeded);
  if (int rc = readArchiveHeader(inst, *a)) return rc;
  auto& f = a->file;
  std::string expanded;
  if (int rc = expandRevisionName(f, revision, expanded)) return fail(inst, rc);
  DeltaRecord* gone = expanded.empty() ? nullptr : vc::archive::findDelta(f, expanded);
  if (!gone) return fail(inst, err::kRevisionMissing);
  if (!gone->branches.empty()) return fail(inst, err::kRevisionHasBranches);
  for (const auto& l : f.locks)
    if (l.revision == gone->revision) return fail(inst, err::kRevisionAlreadyLocked);
  if (!archiveHooks().holdsPermission(inst, "deleterevision", a)) {
    securityOf(inst).error = 0;
    inst.extraError = 0;
    return fail(inst, err::kDenyDeleteRevision);
  }
  if (!parentLists(gone)) return fail(inst, err::kCatastrophe);
  // Every text of the file is read first: the file must not be scanned
  // again for a revision that no longer has a record.
  if (int rc = readArchiveTexts(inst, *a, nullptr)) return rc;

  DeltaRecord* n = gone->next;
  if (n) {
    std::string plain;
    if (int rc = redelta(inst, *a, gone, n, plain)) return rc;
    n->text.setPlain(plain);
    replaceInParent(f, gone, n);
    markDeltaChanged(*a, *n);
  } else {
    replaceInParent(f, gone, nullptr);
  }
  if (DeltaRecord* p = n ? n->parent : gone->parent) markDeltaChanged(*a, *p);
  f.dropDelta(gone);
  markArchiveChanged(*a);
  return 0;
}

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" VC_API VcError vcDeleteRevision(int archive, const char* revision) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    return deleteRevision(*inst, archive, revision);
  });
}
