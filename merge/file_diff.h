// The comparison model of the visual merge program: two files compared by
// the text differencer into difference blocks, and both files read once
// into one list of lines in display order (common lines, and for each block
// its file-1 lines followed by its file-2 lines), each line knowing its
// file, its line number there, its kind and its block. Every view of the
// program is drawn from these two lists; neither file is read again.
#pragma once

#include <string>
#include <vector>

namespace orv::merge {

// Outcome of a comparison.
enum CompareResult : int {
  kReady = 0,          // differences found, both lists built
  kOutOfMemory = -6,
  kNoDifferences = -9,
  kDifferTrouble = -12,  // the differencer failed, or its block listing did not read
  kBinaryInput = -13,    // a binary file, or a line longer than the differencer takes
  kReadFailure = -15,    // file 1 or file 2 could not be read
  kNoTemporaryFile = -16,
};

struct DiffBlock {
  char kind = 0;          // 'a' added in file 2, 'c' changed, 'd' deleted from file 1
  int firstLine1 = 0;     // for 'a': the file-1 line the added lines follow (0: before the first)
  int count1 = 0;
  int firstIndex1 = 0;    // line-list position of the block's first file-1 line; 0 when none
  int firstLine2 = 0;
  int count2 = 0;
  int firstIndex2 = 0;    // line-list position of the block's first file-2 line; 0 when none
};

enum LineSource : int { kFile1 = 0, kFile2 = 1, kBoth = 3 };

struct DiffLine {
  std::string text;  // without its line end
  int source = kBoth;
  char kind = 'n';   // the block's kind, or 'n' for a common line
  int lineNumber = 0;  // in its own file (file 1 for common lines), from 1
  int blockIndex = -1;  // -1 for a common line
};

struct CompareOptions {
  bool ignoreCase = false;
  bool ignoreWhiteSpace = false;
  bool ignoreBlanks = false;
};

// The words the differencer is run with: "diff", "-N", "-H", then "-i",
// "-w", "-b" as the options say, then "--".
std::vector<std::string> differArguments(const CompareOptions& options);

// Runs the text differencer with the words into `output` (the block
// listing); returns its result (0 same, 1 different, 2 trouble, 4 binary).
class DiffEngine {
 public:
  virtual ~DiffEngine() = default;
  virtual int run(const std::vector<std::string>& words, const std::string& file1, const std::string& file2,
                  const std::string& output) = 0;
};

// The text differencer of libtxtcmp32.so.
DiffEngine& textDifferencer();

class FileDiff {
 public:
  FileDiff(std::string file1, std::string file2, const CompareOptions& options = {},
           DiffEngine& engine = textDifferencer());

  int result() const { return result_; }
  int blockCount() const { return static_cast<int>(blocks_.size()); }
  const std::vector<DiffBlock>& blocks() const { return blocks_; }
  const std::vector<DiffLine>& lines() const { return lines_; }
  const std::string& file1() const { return file1_; }
  const std::string& file2() const { return file2_; }

 private:
  int compare(const CompareOptions& options, DiffEngine& engine);
  int readListing(const std::string& listing);
  int readLines();

  std::string file1_, file2_;
  std::vector<DiffBlock> blocks_;
  std::vector<DiffLine> lines_;
  int result_ = kReady;
};

}  // namespace orv::merge
