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
  kStrBadLabel = 520,
  kStrBadState = 521,
  kStrBadAuthor = 522,
  kStrBadRevision = 523,
  kStrBadBranch = 525,
  kStrBadAttribute = 526,
  kStrTooManyFiles = 620,
  kStrAssertCaption = 676,
  kStrAssertText = 677,
  kStrLaunches = 727,
  kStrCannotCreateDir = 738,
  kStrBadValidatorKind = 773,
  kStrCannotValidate = 774,
  kStrBadArchivePath = 776,
  kStrNoTempFile = 797,
  kStrServiceName = 10001,
  kStrTopicName = 10002,
  kStrFirstCommandWord = 10003,  // 10003-10013: the command words, in match order
};

// The text of id; empty for a number the table does not hold.
std::string_view loadString(int id);

}  // namespace orv::shell
