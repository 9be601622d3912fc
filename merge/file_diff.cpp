// The comparison model (see file_diff.h). The block listing goes to a
// temporary file of our own, removed before the constructor returns; both
// files are read whole and split into whole lines (a line feed, then a
// carriage return before it, removed), so no line is ever split.
#include "merge/file_diff.h"

#include <unistd.h>

#include <cstdio>
#include <new>
#include <sstream>

#include "platform/fs/temp_file.h"
#include "differ/include/orv/txtcmp32.h"
#include "platform/sys/system_calls.h"

namespace orv::merge {

namespace {

class TextDifferencer : public DiffEngine {
 public:
  int run(const std::vector<std::string>& words, const std::string& file1, const std::string& file2,
          const std::string& output) override {
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    return DiffFile(static_cast<int>(argv.size()), argv.data(), file1.c_str(), file2.c_str(), output.c_str());
  }
};

// The file's lines without their line ends.
bool readTextLines(const std::string& path, std::vector<std::string>& out) {
  std::string bytes;
  if (orv::sys::readWholeFile(path, bytes) != 0) return false;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t nl = bytes.find('\n', at);
    const std::size_t end = nl == std::string::npos ? bytes.size() : nl;
    std::size_t stop = end;
    if (stop > at && bytes[stop - 1] == '\r') --stop;
    out.emplace_back(bytes, at, stop - at);
    at = nl == std::string::npos ? bytes.size() : nl + 1;
  }
  return true;
}

// A temporary file for the listing, in the first temporary directory.
std::string makeTemporaryFile() {
  const std::vector<std::string> dirs = orv::fs::temporaryDirectories();
  if (dirs.empty()) return {};
  const std::string dir = dirs.front();
  const unsigned pid = static_cast<unsigned>(orv::sys::calls().getpid());
  orv::fs::CreatedFile f = orv::fs::createUnique(
      [&](unsigned n) {
        char name[64];
        std::snprintf(name, sizeof name, "vd%05u_%u.lst", pid % 100000, n);
        return dir + (dir.back() == '/' ? "" : "/") + name;
      },
      1000, 0600);
  if (f.fd < 0) return {};
  orv::sys::calls().close(f.fd);
  return f.path;
}

}  // namespace

std::vector<std::string> differArguments(const CompareOptions& o) {
  std::vector<std::string> w{"diff", "-N", "-H"};
  if (o.ignoreCase) w.emplace_back("-i");
  if (o.ignoreWhiteSpace) w.emplace_back("-w");
  if (o.ignoreBlanks) w.emplace_back("-b");
  w.emplace_back("--");
  return w;
}

DiffEngine& textDifferencer() {
  static TextDifferencer engine;
  return engine;
}

FileDiff::FileDiff(std::string file1, std::string file2, const CompareOptions& options, DiffEngine& engine)
    : file1_(std::move(file1)), file2_(std::move(file2)) {
  try {
    result_ = compare(options, engine);
  } catch (const std::bad_alloc&) {
    lines_.clear();
    result_ = kOutOfMemory;
  }
}

int FileDiff::compare(const CompareOptions& options, DiffEngine& engine) {
  const std::string listing = makeTemporaryFile();
  if (listing.empty()) return kNoTemporaryFile;
  struct Remove {
    const std::string& path;
    ~Remove() { orv::sys::calls().unlink(path.c_str()); }
  } remove{listing};
  switch (engine.run(differArguments(options), file1_, file2_, listing)) {
    case 0: return kNoDifferences;
    case 1: break;
    case 4: return kBinaryInput;
    default: return kDifferTrouble;  // 2, and anything the differencer never answers
  }
  if (int rc = readListing(listing)) return rc;
  return readLines();
}

// One block a line: kind, then first line 1, count 1, first line 2, count 2.
// Blocks must come in order and not overlap, else the listing is refused.
int FileDiff::readListing(const std::string& listing) {
  std::string text;
  if (orv::sys::readWholeFile(listing, text) != 0) return kDifferTrouble;
  std::istringstream in(text);
  int end1 = 0, end2 = 0;
  for (std::string line; std::getline(in, line);) {
    DiffBlock b;
    char extra = 0;
    if (std::sscanf(line.c_str(), "%c %d %d %d %d %c", &b.kind, &b.firstLine1, &b.count1, &b.firstLine2, &b.count2,
                    &extra) != 5)
      return kDifferTrouble;
    const int from1 = b.kind == 'a' ? b.firstLine1 + 1 : b.firstLine1;
    const int from2 = b.kind == 'd' ? b.firstLine2 + 1 : b.firstLine2;
    const bool shape = (b.kind == 'a' && b.count1 == 0 && b.count2 > 0) ||
                       (b.kind == 'd' && b.count1 > 0 && b.count2 == 0) ||
                       (b.kind == 'c' && b.count1 > 0 && b.count2 > 0);
    if (!shape || from1 <= end1 || from2 <= end2 || b.firstLine1 < 0 || b.firstLine2 < 0) return kDifferTrouble;
    end1 = b.kind == 'a' ? b.firstLine1 : b.firstLine1 + b.count1 - 1;
    end2 = b.kind == 'd' ? b.firstLine2 : b.firstLine2 + b.count2 - 1;
    blocks_.push_back(b);
  }
  return kReady;
}

int FileDiff::readLines() {
  std::vector<std::string> one, two;
  if (!readTextLines(file1_, one) || !readTextLines(file2_, two)) return kReadFailure;
  std::size_t j = 0, i = 0, b = 0;  // next line of file 1 and of file 2 (from 0), next block
  auto add = [&](const std::string& text, int source, char kind, int number, int block) {
    lines_.push_back({text, source, kind, number, block});
    return static_cast<int>(lines_.size()) - 1;
  };
  auto takeFile2 = [&](DiffBlock& blk, int index) {
    while (i + 1 < static_cast<std::size_t>(blk.firstLine2) && i < two.size()) ++i;
    for (int k = 0; k < blk.count2 && i < two.size(); ++k, ++i) {
      const int at = add(two[i], kFile2, blk.kind, static_cast<int>(i) + 1, index);
      if (k == 0) blk.firstIndex2 = at;
    }
  };
  if (!blocks_.empty() && blocks_[0].firstLine1 == 0) takeFile2(blocks_[b++], 0);
  while (j < one.size()) {
    if (b == blocks_.size() || static_cast<int>(j) + 1 != blocks_[b].firstLine1) {
      add(one[j], kBoth, 'n', static_cast<int>(j) + 1, -1);
      ++j;
      continue;
    }
    DiffBlock& blk = blocks_[b];
    if (blk.kind == 'a') {
      add(one[j], kBoth, 'n', static_cast<int>(j) + 1, -1);
      ++j;
    } else {
      for (int k = 0; k < blk.count1 && j < one.size(); ++k, ++j) {
        const int at = add(one[j], kFile1, blk.kind, static_cast<int>(j) + 1, static_cast<int>(b));
        if (k == 0) blk.firstIndex1 = at;
      }
    }
    takeFile2(blk, static_cast<int>(b));
    ++b;
  }
  return kReady;
}

}  // namespace orv::merge
