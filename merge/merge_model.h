// The merge: the result file being built from a comparison. It starts with
// every common line and one marker row per difference block; for each block
// the user takes the lines of file 1, of file 2, both, neither, or text
// edited by hand, and saves the result. Questions (replacing or deleting a
// block edited by hand) go through a prompt the window supplies.
#pragma once

#include <string>
#include <vector>

#include "merge/file_diff.h"

namespace orv::merge {

// The summary line of a block ("Change lines 3 - 4 [a.c] to line 3 [b.c]"),
// with the names cut after their last '/' or '\'.
std::string blockSummary(const DiffBlock& b, const std::string& name1, const std::string& name2);

// Row classes (their colours).
enum RowClass : int { kCommonRow = 0, kEditedRow = 1, kFile1Row = 4, kFile2Row = 5, kMarkerRow = 7 };

struct MergeRow {
  DiffLine line;      // source -1 for markers and edited lines
  int rowClass = kCommonRow;
  int block = -1;     // the block of a marker; -1 for other rows
  bool selected = false;
};

class MergePrompt {
 public:
  virtual ~MergePrompt() = default;
  // Yes (true) or No to a question about a block edited by hand.
  virtual bool ask(const std::string& question) = 0;
};

class MergeModel {
 public:
  // The display names are the ones the window shows, passed as they are.
  MergeModel(const FileDiff& diff, std::string name1, std::string name2);

  const std::vector<MergeRow>& rows() const { return rows_; }
  bool modified() const { return modified_; }

  // side 0 file 1, 1 file 2. False when the question was answered No.
  bool takeSide(int side, int block, MergePrompt* ask);
  // Adds the side's lines before the block's others, unless it holds them.
  void addSide(int side, int block);
  bool removeSide(int side, int block, MergePrompt* ask);
  bool clearBlock(int block, MergePrompt* ask);
  // The block's rows as text (each followed by a line feed), and the text
  // edited back in: split at "\n" or "\r\n", the last piece up to the end
  // (an empty text leaves one empty edited line).
  std::string blockText(int block) const;
  void editBlock(int block, const std::string& text);
  // The whole file: every row but the markers, each ending in "\n" (format
  // 2) or "\r\n". Empty message on success; else "Cannot write to ...".
  std::string save(const std::string& path, int format);

 private:
  std::size_t markerOf(int block) const;
  // The rows after the marker that belong to the block: [begin, end).
  std::size_t blockEnd(std::size_t marker, int block) const;
  bool editedBlock(int block) const;
  bool confirmEdited(int block, MergePrompt* ask, const char* question) const;
  void insertSide(int side, int block, std::size_t at);

  const FileDiff& diff_;
  std::string name1_, name2_;
  std::vector<MergeRow> rows_;
  bool modified_ = false;
};

}  // namespace orv::merge
