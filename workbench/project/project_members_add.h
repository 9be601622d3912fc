// Adding one file to a project or sandbox, and removing a member. Callers
// loop over files and pass two answer cells that carry the user's to-all
// answers from one file to the next (set to 0 before the first file): the
// first holds the answer about inaccessible files and 2 there stops the
// batch; the second the answer about files that are members already.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "workbench/archive/open_archive.h"
#include "workbench/project/open_project.h"
#include "workbench/archive/transfer_records.h"

namespace orv::workbench::project {

// The dialogs and flows an add hands work to. Each may be left empty: no
// defaults fill nothing (and succeed), no dialog answers Cancel, no create
// step fails with -14, no checkpoint does nothing, no window opens.
struct MemberAddServices {
  // Fills the Create Archive record from the configuration; false skips.
  std::function<bool(OpenArchive&, TCreateArchiveTransferStruct&)> createDefaults;
  // Runs the Create Archive dialog: its answer (1 OK).
  std::function<int(OpenArchive&, TCreateArchiveTransferStruct&)> createDialog;
  // Creates the archive from the record and checks in its first revision:
  // 0, or a code already reported.
  std::function<int(OpenArchive&, TCreateArchiveTransferStruct&)> createArchive;
  // Fills a check-in record with the defaults: 1 go on, 2 skip, 3 stop.
  std::function<int(OpenArchive&, OpenProject&, TCiTransferStruct&)> prepareCheckIn;
  // Checkpoints a subproject member as one new project revision.
  std::function<void(OpenProject&, const std::string&)> checkpointSubproject;
  // Opens an archive's window.
  std::function<void(const std::string&)> openArchiveWindow;
};

// Adds file (a working file or an archive's name) to project. Returns 0
// after a completed add (the save's result when save is set), else what
// OpenProject::showError answered (1 when nothing had to be shown).
int addProjectMembers(OpenProject& project, const std::string& file, bool save, int* inaccessibleAnswer,
                      int* alreadyInAnswer, bool firstOfBatch, bool checkIn, bool quickCheckIn,
                      TCreateArchiveTransferStruct* createData, const MemberAddServices& services);

// Drops the member's link in its archive and removes it: 0, or -14 after a
// shown failure.
int removeProjectMember(OpenProject& project, const std::string& name);

// Checks a new member's file in (a subproject is checkpointed): 1 go on, 2
// stop the batch.
int checkInNewMember(OpenProject& project, const std::string& name, const MemberAddServices& services);

}  // namespace orv::workbench::project
