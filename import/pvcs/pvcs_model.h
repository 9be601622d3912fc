// A PVCS archive as the importer reads it: its revisions (number, date,
// author, log, and the full text or the edit commands against the text of
// the revision it is based on), labels, locks, flags, comment leader, access
// list, description and working-file name.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "import/support/import_support.h"

namespace orv::import {

// One edit command: 'c' copy, 's' set the position, 'i' insert (bytes
// follow), 'e' end; with a byte count and a line count (positions for 's'
// and 'e').
struct PvcsCommand {
  char kind;
  unsigned long bytes = 0, lines = 0;
  std::string_view inserted;
};

struct PvcsRevision {
  std::vector<unsigned> number;  // the archive's (every field after the first plus 1)
  std::string date;
  std::string author = "unknown";
  std::string log;
  bool whole = false;            // the full text is stored
  std::string_view text;         // the full text
  std::vector<PvcsCommand> commands;
};

struct PvcsArchive {
  std::vector<PvcsRevision> revisions;
  std::string workName;
  std::string access;
  std::string commentLeader;
  std::string description;
  std::vector<std::pair<std::string, std::string>> labels;  // name, revision
  std::vector<std::pair<std::string, std::string>> locks;   // user, revision
  bool strict = false, writeProtect = false;
  bool backwards = false;  // some command moves back in the older text
};

std::string dottedNumber(const std::vector<unsigned>& n);

// Reads the records; the views point into `bytes`.
void readPvcsArchive(std::string_view bytes, const std::string& name, bool century, MessageBuffer& msgs,
                     PvcsArchive& out);

// The cleaning of access names, labels and owner names.
std::string cleanAccess(std::string_view names);
std::string cleanLabel(std::string_view label);
std::string cleanOwner(std::string_view owner);

// The archive text of the whole archive.
void writePvcsArchive(const PvcsArchive& archive, const std::string& name, MessageBuffer& msgs, ArchiveOutput& out);

}  // namespace orv::import
