// The shared check-in and check-out core. Every check-in and check-out of
// the workbench (archive and project windows, the command server, creating
// archives and projects, adding members, checkpoints) ends here, after the
// caller opened the archive as an OpenArchive, filled the dialog's record
// and, where the user is asked, showed the dialog.
//
// The core runs the library calls in a fixed order with the configured
// pre-event and event around them, asks the questions only it can ask
// (overwrite a writable working file, check in an unchanged file, move a
// label), reports failures once, and leaves the archive closed but usable.
// A change it made in memory and could not commit is thrown away by
// reopening the archive.
//
// The answer cell: the caller sets it to 1 before the call; the core writes
// the answer of the last error box it showed there, and a caller running
// over several files stops when it reads 2 (Cancel).
#pragma once

#include "workbench/archive/open_archive.h"
#include "workbench/archive/transfer_records.h"
#include "workbench/layers.h"

namespace orv::workbench::archive {

constexpr int kRevisionBufferSize = 64;

// 0 success; 5 the pre-checkout event ended the operation (reported);
// -14 failure already reported or declined; other library codes, reported.
// project is a library project handle, 0 for none.
int checkOutRevision(OpenArchive& archive, int project, TCoTransferStruct& record, int& answer);

// 0 success, the new revision copied into newRevision (newRevisionSize
// bytes) when given; -14 an unchanged file the user declined to check in,
// or a failure already reported; a refusal (234 or more) of the pre-checkin
// event, reported; other library codes, reported. A nonzero projectFile
// means the file checked in is project's own project file.
int checkInRevision(OpenArchive& archive, int project, TCiTransferStruct& record,
                    char* newRevision, int newRevisionSize, int& answer, int projectFile);

// Whether an operation goes on after its pre-event answered rc: below 234
// and not 5, or 5 with a nonzero extra error (the block returned a value).
bool preEventGoesOn(int rc);
// Shows a pre-event refusal: textId for results below 234, refusedId (with
// the library's explanation) for 234 and more; the box's answer.
int showPreEventRefusal(OpenArchive& archive, int rc, int textId, int refusedId,
                        const char* revision, unsigned style);

// The style of every error box of a run: with All Files, OK and Cancel.
inline unsigned errorStyleFor(std::uint32_t allFiles) { return allFiles == 1 ? 0x31 : 0x30; }

}  // namespace orv::workbench::archive
