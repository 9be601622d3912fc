// The workbench's table of texts by number: the application title, the
// command words of the command server, the messages of the shell and of the
// entry-field validator. Code asks for a text by its number so that every
// window and message uses the one wording.
#pragma once

#include <string_view>

namespace orv::shell {

// Numbers of the texts the shell itself uses.
enum StringId : int {
  kStrAppTitle = 0,
  kStrHelpFile = 13,
  kStrProductHelpFile = 14,
  kStrOverwriteWritable = 500,
  kStrSameAsRevision = 501,
  kStrCannotRemove = 502,
  kStrMoveLabel = 503,
  kStrNoWorkFile = 512,
  kStrArchiveInaccessible = 513,
  kStrMissingUserName = 517,
  kStrNoLockToRemove = 518,
  kStrAlreadyLocked = 519,
  kStrBadLabel = 520,
  kStrBadState = 521,
  kStrBadAuthor = 522,
  kStrBadRevision = 523,
  kStrBadBranch = 525,
  kStrBadAttribute = 526,
  kStrArchiveUpdated = 600,
  kStrNlmFailure = 603,
  kStrNlmDenied = 604,
  kStrNlmUnknown = 605,
  kStrTooManyFiles = 620,
  kStrAssertCaption = 676,
  kStrAssertText = 677,
  kStrBreakLock = 682,
  kStrWrongPassword = 690,
  kStrPasswordsDiffer = 691,
  kStrEmptyPassword = 692,
  kStrLaunches = 727,
  kStrCannotCreateDir = 738,
  kStrNoPassword = 755,
  kStrPreCheckinFailed = 756,
  kStrPreCheckoutFailed = 757,
  kStrBadValidatorKind = 773,
  kStrCannotValidate = 774,
  kStrBadArchivePath = 776,
  kStrCannotCreateTemp = 777,
  kStrLockBrokenBody = 782,
  kStrLockBrokenSubject = 783,
  kStrNoBreakLockPermission = 796,
  kStrNoTempFile = 797,
  kStrDeleteRevision = 798,
  kStrDeleteLabelledRevision = 799,
  kStrCannotCheckOut = 820,
  kStrCannotCheckIn = 821,
  kStrLockStateRefused = 826,
  kStrNoDeleteLabelPermission = 828,
  kStrMemberArchived = 839,
  kStrMemberNonArchived = 840,
  kStrMemberSubproject = 841,
  kStrServiceName = 10001,
  kStrTopicName = 10002,
  kStrFirstCommandWord = 10003,  // 10003-10013: the command words, in match order
};

// The text of id; empty for a number the table does not hold.
std::string_view loadString(int id);

}  // namespace orv::shell
