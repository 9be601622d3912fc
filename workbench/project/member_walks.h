// The per-member walks of a project: labelling and promoting members,
// updating members to their head revision, removing locks nobody uses, and
// resynchronising working files (which also fills a new sandbox). Each is
// called once per selected member and calls itself for the members of a
// subproject, which it opens as a project object of its own after asking
// (unless the [Recursion] key of the walk in ORVTY.INI says "yes").
//
// A run of a walk keeps its to-all answers in the MemberWalk its caller
// makes for the run and passes with every member. While a walk is inside a
// subproject, the open progress window's gauge stands still, so that it
// counts top-level members only.
#pragma once

#include <string>
#include <sys/types.h>

#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"

namespace orv::workbench::project {

// Change flag of a row: the member's revision changed and is read again.
constexpr std::uint32_t kReReadRevision = 0x10000;

// What one run of a walk remembers from one member to the next: the to-all
// answers given so far and how deep the walk is in subprojects. The walk
// hands it down into every subproject it enters.
struct MemberWalk {
  int recursionAnswer = -1;     // entering subprojects
  int writableAnswer = -1;      // resynchronising: replacing writable working files
  int inaccessibleAnswer = -1;  // resynchronising: members whose archive cannot be opened
  int permissionAnswer = -1;    // resynchronising: check-outs the user may not make
  int depth = 0;                // 0 at the top level
};

// Whether "historical" is in force for project.
bool historicalInForce(const OpenProject& project);

// Puts label (when given) on row's revision and sets its state (when
// given). 1 go on; else the answer that stops the caller's loop (2 Cancel,
// 7 No, or the answer of an error box). recurse false never enters a
// subproject.
int labelAndPromoteMembers(OpenProject& project, MemberRow& row, bool replaceLabel, MemberWalk& walk,
                           const char* label, const char* state, bool recurse);

// Makes the head revision of the current member's archive its revision. 1
// or 0 go on, -1 stop.
int updateToHeadRevision(OpenProject& project, MemberWalk& walk);

// Drops the user's lock on the row's member revision when the working file
// equals that revision (or is missing, and is then checked out), and makes
// the working file read-only. 1 or 0 go on, -1 stop.
int removeUnusedLocks(OpenProject& project, MemberRow& row, MemberWalk& walk);

// Brings the working file of member up to date. 0 go on, -1 stop the run,
// -2 the member was not processed (encrypted archive) and the run goes on.
int resynchronizeMembers(OpenProject& project, const std::string& member, MemberWalk& walk, bool variant,
                         bool createSandbox);

// Creates the sandbox file sandboxFile of master (at revision when not
// empty). 0, VC_E_NOT_SANDBOX_FILE when its directory cannot be made, else
// the library code (all reported).
int createSubprojectSandbox(OpenProject& project, const std::string& sandboxFile, int openMode,
                            const std::string& master, const char* revision);

// Checks revision of archive out to workFile between the check-out events:
// 1 done, 0 after a report.
int checkOutMemberRevision(OpenProject& project, int archive, const std::string& archiveName,
                           const char* revision, const std::string& workFile);

// Copies from to to (overwriting it): 0, or VC_E_DONE when the copy failed.
int copyMemberFile(const std::string& from, const std::string& to);
// Gives path mode 0444: false on failure.
bool makeReadOnly(const std::string& path);
// 0 with the file's mode (0 when it is missing and its directory exists or
// was just made); VC_E_DONE after a report.
int workFileState(ui::Ui& ui, const std::string& path, mode_t& mode);
// Makes every missing directory of dir: false on failure.
bool makeDirectories(const std::string& dir);

}  // namespace orv::workbench::project
