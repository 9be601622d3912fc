// Rebuilding and writing out the text of one revision of an open archive:
// the piece list along the path from the head, and its output through the
// keyword expander (text archives) or byte for byte (binary archives).
// Check-out, check-in (the base of a comparison) and revision deletion share
// these.
#pragma once

#include "vc/archive/archive_handles.h"
#include "vc/revisions/delta_apply.h"
#include "vc/revisions/keywords/keyword_expander.h"

#include <string>

namespace vc {

struct VcInstance;

struct RebuiltText {
  TextPool pool;   // the source texts the pieces refer to
  PieceList list;
};

// The source text of a record as the piece list uses it (stored form for a
// text archive, plain bytes for a binary one). 0 or a loader's code.
int loadUnitText(VcArchive& a, const vc::archive::TextRecord& t, TextPool& pool, const UnitText*& out);

// Rebuilds the revision: reads the texts on its path and applies the scripts
// from the head down. 0 or a code (33, 218, read failures).
int rebuildRevision(VcInstance& inst, VcArchive& a, vc::archive::DeltaRecord* target, RebuiltText& out);

// What the keyword expander fills in for this revision.
vc::KeywordContext keywordContext(VcInstance& inst, VcArchive& a, const vc::archive::DeltaRecord& d);

// Writes the rebuilt text into sink: binary archives byte for byte, text
// archives through the expander in `mode` with CR LF line ends when addCr.
// 0, VC_E_INTERNAL_BUFFER_EXCEEDED or VC_E_WORK_WRITE.
int writeRevisionText(VcInstance& inst, VcArchive& a, const vc::archive::DeltaRecord& d,
                      const PieceList& list, int mode, bool addCr, vc::TextSink& sink);

// The keyword mode of a check-out with VC_CHECKOUT_COLLAPSE_KEYWORDS and
// VC_CHECKOUT_EXPAND_KEYWORDS (binary archives: none).
int checkoutKeywordMode(VcInstance& inst, const VcArchive& a, int flags);

// Where the keywords ProjectName and ProjectRevision come from: the name and
// revision of the instance's current project, false without one. The project
// module installs its answer when it loads; without it there is no project.
using ProjectKeywordSource = bool (*)(VcInstance& inst, std::string& name, std::string& revision);
void setProjectKeywordSource(ProjectKeywordSource source);

}  // namespace vc
