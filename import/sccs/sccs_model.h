// The SCCS history file as the importer reads it: the delta table (removed
// deltas left out), the access list, the flags that matter, the description
// and the body (the weave), and the archive numbers the deltas get.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "import/support/import_support.h"

namespace orv::import {

using RevNumber = std::vector<unsigned>;

struct SccsDelta {
  std::string sid;
  RevNumber number;     // the SID's fields
  RevNumber newNumber;  // the archive's number
  std::string date;     // in the archive's form
  std::string user;
  unsigned serial = 0;
  unsigned predecessor = 0;
  std::vector<std::string> mrLines;
  std::vector<std::string> comments;
  // The line counts of its "s" line (inserted, deleted), when it gives them.
  bool counted = false;
  unsigned long inserted = 0, deleted = 0;
};

// One line of the body: a plain text line, or a control line opening (I, D)
// or ending (E) the block of a delta serial.
struct WeaveLine {
  char kind;  // 'I', 'D', 'E' or 't' (text)
  unsigned serial = 0;
  std::string_view text;  // for 't': the line with its line end
};

struct SccsFile {
  std::vector<SccsDelta> deltas;  // newest first, as in the file
  std::vector<std::string> users; // access list, in reverse file order
  std::string defaultRevision;    // flag d, or empty
  bool jointEdit = false;         // flag j
  std::vector<std::string> description;
  std::vector<WeaveLine> body;
  // The checksum of the "h" line matches the bytes that follow it.
  bool checksumMatches = false;
};

std::string numberText(const RevNumber& n);
bool isTrunk(const RevNumber& n);
bool isBranch(const RevNumber& n);
// Parses "1.2.1.1"; false for an empty field or a non-digit.
bool parseNumber(std::string_view text, RevNumber& out);
// Field by field, as decimal numbers; a leading part sorts first.
bool numberLess(const RevNumber& a, const RevNumber& b);

// Reads the file's text; the body's views point into `text`. Failures end
// the conversion through msgs with the messages of a damaged file.
void readSccsFile(std::string_view text, const std::string& name, MessageBuffer& msgs, SccsFile& out);

// The body checked before anything is written, and the whole text of any
// delta by the SCCS rule: a line is there when every insert block around it
// belongs to the delta or an ancestor and no delete block around it does.
// The check: the blocks are opened once, ended and name deltas of the table,
// every text line lies inside an insert block; and, in a file whose checksum
// does not match (cut or changed since SCCS wrote it), every delta has the
// inserted and deleted lines its entry counts. Failures end the conversion.
class SccsGet {
 public:
  SccsGet(const SccsFile& file, const std::string& name, MessageBuffer& msgs);
  // The text of file.deltas[delta].
  std::string text(std::size_t delta) const;

 private:
  void walk(std::size_t target, std::string* text, unsigned long& inserted, unsigned long& deleted) const;
  const SccsFile& file_;
  std::unordered_map<unsigned, std::size_t> index_;  // serial to delta
  std::vector<std::size_t> deltaOf_;                 // of each control line of the body
};

// Gives every delta its archive number (renumbering when branches exist).
void assignNumbers(SccsFile& file, const std::string& name, MessageBuffer& msgs);

// The archive text of the whole file.
void writeArchive(const SccsFile& file, const std::string& workName, bool strictLocks, const std::string& name,
                  MessageBuffer& msgs, ArchiveOutput& out);

}  // namespace orv::import
