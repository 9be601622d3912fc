// The rows of an archive or a project read a few at a time, in the
// library's walk order, so that a window shows its first rows at once and
// reads the rest between the user's events. One pass over the library:
// each row is read once, the archive's labels once for all rows.
#pragma once

#include <cstddef>
#include <vector>

#include "workbench/project/member_rows.h"
#include "workbench/project/open_project.h"
#include "workbench/views/revision_list.h"

namespace orv::workbench::views {

class RevisionRowFeed {
 public:
  // Starts the walk: the archive's counts start from 0, and (with
  // workFileRow) the working file's row comes first when the file exists.
  explicit RevisionRowFeed(archive::OpenArchive& archive, bool workFileRow = true);

  // Up to max more rows (fewer at the end of the walk, none after it).
  std::vector<RevisionRecord> next(std::size_t max);
  // The same, appended to rows; how many came.
  std::size_t next(std::size_t max, std::vector<RevisionRecord>& rows);
  bool done() const { return done_; }
  // False when the walk failed (the failure was shown).
  bool complete() const { return complete_; }

 private:
  archive::OpenArchive& archive_;
  RevisionLabels labels_;
  char revision_[64] = {};
  int status_ = 0;
  std::size_t steps_ = 0;
  bool workRow_ = false;
  bool done_ = false;
  bool complete_ = true;
};

class MemberRowFeed {
 public:
  // Starts the walk: the project's member and locked counts start from 0.
  explicit MemberRowFeed(project::OpenProject& project);

  // Up to max more rows. The library's current member and its member walk
  // may have moved between two calls: each call first goes back to where
  // the last one stopped.
  std::vector<project::MemberRow> next(std::size_t max);
  bool done() const { return done_; }
  std::size_t total() const { return total_; }

 private:
  // Puts the library's member walk on the next member to read: 0, or the
  // library's code when there is none.
  int resume();

  project::OpenProject& project_;
  std::size_t total_ = 0;
  std::size_t read_ = 0;
  bool done_ = false;
};

}  // namespace orv::workbench::views
