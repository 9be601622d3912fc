// The operations of the project window on its selected members: check in,
// check out, lock and unlock, freeze and thaw, update to the head revision,
// remove, add dropped files, and view the project log.
//
// A selection is an array of row indexes and its count. An operation writes
// -1 over the entry of each row it skipped or that failed, so that the
// refresh at its end re-reads only the rows it worked on; a Cancel marks
// every remaining entry too. Each operation that changed the project saves
// it (reopening it when the save fails, so that the rows show what is on
// disk) and drops the project write lock it took, last.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/project/member_rows.h"
#include "workbench/archive/open_archive.h"
#include "workbench/project/open_project.h"
#include "workbench/project/project_members_add.h"
#include "workbench/archive/transfer_records.h"

namespace orv::workbench::project {

// What the operations need of the window's rows.
class MemberView {
 public:
  virtual ~MemberView() = default;
  // The row of index, nullptr when there is none; with moveCursor the
  // member also becomes the library's current member of the project.
  virtual MemberRow* findMemberItem(int index, bool moveCursor) = 0;
  // The number of rows shown.
  virtual int rowCount() = 0;
  // Re-reads the rows of the entries that are not -1; rows null: all rows.
  virtual void refreshMembers(const int* rows, int count) = 0;
  // Shows the project's name and frozen state in the caption.
  virtual void updateCaption() = 0;
};

// The Checkpoint dialog's record, as far as a check-in run reads it.
struct TCpTransferStruct {
  std::uint32_t allSubprojects = 0;  // 138
  std::uint32_t cancelAll = 0;
};

// The dialogs and flows the operations hand work to; each may be left
// empty (no dialog answers Cancel; no defaults fail).
struct MemberDialogs {
  // Fills a check-in record with the defaults: 1 go on, 2 skip, 3 stop.
  std::function<int(OpenArchive&, OpenProject&, TCiTransferStruct&)> prepareCheckIn;
  // The Check In dialog (both records shown): its answer (1 OK).
  std::function<int(OpenArchive&, OpenProject&, TCiTransferStruct&, TCpTransferStruct&)> checkInDialog;
  // Checkpoints a subproject member (asking only with ask set), its new
  // revision into newRevision: -1 cancelled, 0 not done, else done.
  std::function<int(OpenProject&, const std::string&, std::string& newRevision, bool ask,
                    TCpTransferStruct&)>
      checkpointMembers;
  // Fills a check-out record with the defaults: false skips the member.
  std::function<bool(OpenArchive&, TCoTransferStruct&)> checkOutDefaults;
  // The Check Out dialog (with its list selection taken): its answer.
  std::function<int(OpenArchive&, OpenProject&, TCoTransferStruct&)> checkOutDialog;
  // Opens a file in the editor.
  std::function<void(const std::string&)> viewFile;
  // Shows a text in a window of the program (caption, text).
  std::function<void(const std::string&, const std::string&)> showText;
};

// What View Log shows of a project without log entries.
inline constexpr std::string_view kProjectLogEmpty = "The project's log has no entries yet.";
// The text of the project log file (CR LF ends made plain line ends);
// kProjectLogEmpty when the file is missing or empty.
std::string projectLogText(const std::string& file);

class ProjectMemberOperations {
 public:
  ProjectMemberOperations(OpenProject& project, MemberView& view, MemberDialogs dialogs)
      : project_(project), view_(view), dialogs_(std::move(dialogs)) {}

  void checkInMembers(int* rows, int count);
  void checkOutMembers(int* rows, int count);
  // item VC_REVISION_ITEM_LOCK locks, VC_REVISION_ITEM_UNLOCK unlocks.
  void setMemberLocks(int* rows, int count, int item);
  // count 0 acts on the project itself.
  void freezeMembers(int* rows, int count, bool freeze);
  // True when at least one member changed.
  bool updateMembersToHead(int* rows, int count);
  void removeMembers(int* rows, int count, bool confirm);
  void viewProjectLog();
  // Adds files dropped on the window, as one batch.
  void dropFiles(const std::vector<std::string>& files, const MemberAddServices& services);

 private:
  void finish(bool changed, const int* rows, int count);

  OpenProject& project_;
  MemberView& view_;
  MemberDialogs dialogs_;
};

}  // namespace orv::workbench::project
