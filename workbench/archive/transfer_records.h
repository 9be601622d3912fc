// The records that the Check In and Check Out dialogs fill and the shared
// check-in and check-out core reads: field widths are the widths of the
// dialogs' edit controls, texts are NUL-terminated. What persists across the
// files of one run (Cancel All, the answer to the writable-file question)
// lives here too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/layers.h"

namespace orv::workbench::archive {

// A box whose record value is this shows disabled (Check In dialog).
constexpr std::uint32_t kCheckInBoxDisabled = 12;
// A box whose record value is this shows disabled (Check Out dialog).
constexpr std::uint32_t kCheckOutBoxDisabled = 2;

struct TCiTransferStruct {
  char label[80] = {};          // 122: one label, or several separated by ';'
  char number[80] = {};         // 124: revision, label or branch; empty: the core chooses
  char state[40] = {};          // 126
  char author[40] = {};         // 128
  std::uint32_t locked = 0;         // 132: lock the new revision
  std::uint32_t keepWorkFile = 0;   // 134: 1 checks the new revision out again
  std::uint32_t checkInSame = 0;    // 136: check in an unchanged file all the same
  std::uint32_t allFiles = 0;       // 138: 1 when the dialog answers for a run of files
  std::uint32_t updateMember = 0;   // 139
  std::uint32_t replaceLabel = 0;   // 140: move labels without looking
  char description[1535] = {};  // 152: the log message, CR LF line ends
  std::uint32_t stateFromList = 0;  // 1: state is the first of the "states" list
  std::uint32_t cancelAll = 0;
};

struct TCoTransferStruct {
  char workFile[512] = {};      // 106: the target when the revision is not locked
  std::uint32_t defaultRev = 0;     // 117
  std::uint32_t memberRev = 0;      // 118
  std::uint32_t revision = 0;       // 114
  std::uint32_t label = 0;          // 116
  std::vector<std::string> listData;  // 120: the revision list's lines
  std::uint32_t locked = 0;           // 134
  std::uint32_t expandKeywords = 0;   // 135
  std::uint32_t allFiles = 0;         // 136
  std::uint32_t updateMember = 0;     // 137
  std::uint32_t restoreTimestamp = 0; // 138
  char choice[64] = {};             // the revision or label chosen in the list
  char checkedOutRevision[64] = {}; // written by the check-out once resolved
  std::uint32_t lockStateCheck = 0; // the user's LockStates value restricts locking
  std::uint32_t cancelAll = 0;
  // The writable-file question's answer across one run: 0 not asked yet,
  // else the box's answer (6 Yes, 1 Yes to All, 7 No, 3 No to All, 2 Cancel).
  std::uint8_t writableAnswer = 0;
  int defaultChoice = -1;           // -1: chosen by the dialog
};

// The Create Archive dialog's record: the new archive's settings, and the
// first revision's when the working file is checked in.
struct TCreateArchiveTransferStruct {
  char workFile[512] = {};     // 102 (shown only)
  char archiveFile[512] = {};  // 101 (shown only)
  std::uint32_t strictLocking = 0;  // 103
  std::uint32_t compressed = 0;     // 104
  std::uint32_t encrypted = 0;      // 150
  // 106: the data types offered and the one chosen (-1: none).
  std::vector<std::string> dataTypes;
  int dataTypeSelection = -1;
  char description[1535] = {};  // 107: the archive's description
  std::uint32_t checkIn = 0;    // 121: check the working file in as the first revision
  std::uint32_t allFiles = 0;   // 138: 1 reuses the settings without the dialog;
                                // 2 before the dialog: not offered
  char label[80] = {};          // 122
  char number[80] = {};         // 124
  char state[40] = {};          // 126
  char author[40] = {};         // 128
  std::uint32_t locked = 0;       // 132
  std::uint32_t keepWork = 0;     // 134
  std::uint32_t openArchive = 0;  // 151: open the new archive's window
  std::uint32_t stateFromList = 0;
  std::uint32_t cancelAll = 0;
  // The encryption password entered at OK: nine characters and the end, as
  // every password buffer of the workbench.
  char password[10] = {};
};
// allFiles before the dialog: the box is not offered.
constexpr std::uint32_t kCreateAllFilesNotOffered = 2;

// The Archive Information dialog's record: the archive's lists, shown only,
// and the settings a user may change.
struct TArchiveInfoTransferStruct {
  std::vector<std::string> labels;    // 101: "name revision" entries
  std::vector<std::string> locks;     // 102: "user revision" entries
  std::vector<std::string> projects;  // 111: projects the archive is a member of
  std::uint32_t strict = 0;           // 103
  std::uint32_t compressed = 0;       // 104
  std::uint32_t encrypted = 0;        // 110
  char defaultBranch[80] = {};        // 105: empty for the trunk
  // 106: the data types the archive takes and the one chosen (-1: none).
  std::vector<std::string> dataTypes;
  int dataTypeSelection = -1;
  char description[1536] = {};        // 107: CR LF line ends
};
// What the archive held when the record was filled, and which fields the
// user edited.
struct TArchiveInfoUnchanged {
  std::uint32_t strict = 0;
  std::uint32_t compressed = 0;
  std::uint32_t encrypted = 0;
  std::uint32_t branchEdited = 0;
  std::uint32_t dataType = 0;  // 0 text, 1 binary, 2 decided automatically
  std::uint32_t descriptionEdited = 0;
};
// 1 for a box the user may not change.
struct TArchiveInfoFixed {
  std::uint32_t strict = 0;
  std::uint32_t compressed = 0;
  std::uint32_t encrypted = 0;
};

// The Revision Information dialog's record.
struct TRevisionInfoTransferStruct {
  char revision[80] = {};  // 101
  char date[40] = {};      // 102
  char author[40] = {};    // 103
  char locker[40] = {};    // 104: empty when not locked
  std::vector<std::string> labelList;  // 105 or 118: the revision's labels
  char state[40] = {};     // 106: on return the state to set, empty for none
  // 107: the states offered and the one chosen (-1: none).
  std::vector<std::string> states;
  int stateSelection = -1;
  char description[1536] = {};  // 108: shown only, CR LF line ends
  std::uint32_t stateFromList = 0;       // the states come from a list
  std::uint32_t stateChangeAllowed = 0;  // the user may promote or demote
};
// The label changes of one Revision Information dialog, in the order made:
// "+name" adds the label here, "-name" drops it, ">name" moves it here.
using LabelChangeList = std::vector<std::string>;

// The Promote and Demote dialogs' record.
struct TPromoteRevTransferStruct {
  char currentState[40] = {};  // 100
  // 103: the states offered and the one chosen (-1: none).
  std::vector<std::string> targetStates;
  int targetSelection = -1;
};

// Copies text into a record field, cut to fit with its terminator.
template <std::size_t N>
void setField(char (&field)[N], std::string_view text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// A field's text up to its terminator (or its whole width without one).
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace orv::workbench::archive
