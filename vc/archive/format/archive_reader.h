// Reading an archive: the header with its delta records at once, the delta
// texts on demand from where the last read stopped.
//
// Every string is followed by what the grammar puts after it before its text
// is taken: after a log, phrases the format does not know and "text"; after
// the description and after a text, the end of the file or the next
// revision's number and its "ext" or "log". So a string that a stray '@'
// ended early answers err::kArchiveParseError on every path, whichever
// revision is asked first. The phrases of other tools of the family (the
// grammar's "newphrase": an id, words, strings and ':' up to ';') are read
// before "comment" and after the known header clauses, after "next" in a revision's entry and
// between a log and its text, and kept in the model (Phrases).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "vc/archive/format/archive_model.h"

namespace vc::archive {

struct ReadOptions {
  // Quick mode (member queries of projects): the comment, extension and
  // description are skipped, and reading stops at the record of target.
  // Such a header is never written back; a full read replaces it.
  bool quick = false;
  std::string_view target;
  // Access checks after the header, made when the archive is opened for
  // writing or a target is given: a non-empty access list must name user
  // (compared without case), else err::kNotOnAccessList; security_admits, when
  // set, must admit the user for the archive's security objects, else
  // err::kSecurityDenied. An empty user skips the access-list check.
  bool forWrite = false;
  // Compares the header with what the writer makes of it, so that a later
  // write may copy the unread texts as one block. A reader that will not
  // write can leave it out (a write after all then rewrites every text).
  bool checkCanonical = true;
  std::string_view user;
  std::function<bool(const std::vector<std::string>& securityObjects)> securityAdmits;
};

// Reads clauses "head" to "desc" from a.source (offset 0 is the "head" of
// the plain text), and checks what follows the description. Nothing is done
// when the header is read already, unless a full read is asked after a quick
// one. Answers 0,
// err::kArchiveParseError, err::kArchiveHeaderCorrupt, err::kRevisionCorrupt,
// err::kUnexpectedEof, err::kNotOnAccessList, err::kSecurityDenied, or the
// source's code.
int readHeader(ArchiveFile& a, const ReadOptions& opts = {});

// Reads delta texts in file order from where the last read stopped until the
// texts of wanted are known (null: to the end of the file). Logs are kept in
// memory; a text only when its revision lies on the path from the head to
// wanted; other texts keep their offsets. What follows the last text read is
// checked, not kept. Answers 0, err::kDeltaCorrupt (a text
// for a revision without a record, a text given twice, a bad extension
// string, or a revision of the tree whose texts the file lacks),
// err::kArchiveParseError, err::kUnexpectedEof, or the source's code.
int readTexts(ArchiveFile& a, DeltaRecord* wanted);

// A revision number: a non-empty run of digits and dots.
bool isRevisionNumber(std::string_view s);

}  // namespace vc::archive
