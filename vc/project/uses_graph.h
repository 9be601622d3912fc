// The dependency graph of an open project: one node per file (a member's
// working file, or a file that some scanned file includes) with the file's
// size, time and byte sum as last scanned (recorded) and as last seen
// (current), walk and scan flags, and the files it includes.
//
// Nodes are found by their absolute path under the path comparison (letter
// case and "\" against "/" do not matter). A node's dependency list is kept
// newest first: a new link goes to the front, as the scanner and the cache
// reader both add them. Each node also knows the nodes that link to it, so
// removing a node takes every link to it out of the nodes that hold one
// (and no others) first: no list ever points at a freed node.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vc {

struct VcMember;

// Node flag bits. The walk mark and the "scanned in the running scan" mark
// are kept apart (below), so that a new walk or scan clears them all at once
// instead of visiting every node of a large project.
inline constexpr std::uint32_t kNodeMember = 2;     // stands for a project member
inline constexpr std::uint32_t kNodeReported = 4;   // an open failure was reported once
inline constexpr std::uint32_t kNodeOffered = 16;   // offered by vcAddUsedFiles
inline constexpr std::uint32_t kNodeIncluded = 32;  // reached as an included file

struct VcUsesNode {
  std::vector<VcUsesNode*> dependencies;  // newest first
  // The nodes whose lists hold this one, with the number of links each.
  std::unordered_map<VcUsesNode*, std::uint32_t> dependents;
  std::optional<std::string> revision;    // the member revision recorded with the node
  std::uint32_t recordedSize = 0, recordedSum = 0, recordedTime = 0;
  std::uint32_t currentSize = 0, currentSum = 0, currentTime = 0;
  std::uint32_t flags = 0;
  std::uint64_t walkMark = 0;             // the walk that visited it last
  std::uint64_t scanMark = 0;             // the scan that read it last
  VcMember* member = nullptr;             // the member it stands for, if any
  // How many members stand on it: members whose names differ in letter
  // case only share their node.
  std::uint32_t memberLinks = 0;
  std::string name;                       // absolute path

  bool dependsOn(const VcUsesNode* other) const;
  // Puts a link to other at the front of the list.
  void link(VcUsesNode* other) {
    dependencies.insert(dependencies.begin(), other);
    ++other->dependents[this];
  }
  // Takes every link out of the list.
  void unlinkAll();
  bool allZero() const { return recordedSize == 0 && recordedSum == 0 && recordedTime == 0; }
};

class VcUsesGraph {
 public:
  // The node of an absolute path, or null.
  VcUsesNode* find(std::string_view name) const;
  // The node of an absolute path, created (with that spelling) when missing.
  VcUsesNode* obtain(const std::string& name);
  // Files the node under a new name (a renamed member).
  void rename(VcUsesNode* node, const std::string& name);
  // Takes the node out of every dependency list and frees it.
  void remove(VcUsesNode* node);
  // Walk marks: a new walk leaves every node unvisited.
  void beginWalk() { ++walk_; }
  bool visited(const VcUsesNode& n) const { return n.walkMark == walk_; }
  void visit(VcUsesNode& n) const { n.walkMark = walk_; }
  // Scan marks: a new scan leaves every node unread.
  void beginScan() { ++scan_; }
  bool scanned(const VcUsesNode& n) const { return n.scanMark == scan_; }
  void markScanned(VcUsesNode& n) const { n.scanMark = scan_; }
  std::size_t size() const { return nodes_.size(); }
  // Room for count nodes without growing the table on the way.
  void reserve(std::size_t count) { nodes_.reserve(count); }
  // Changes whenever a node is freed or renamed: a walk that called out
  // compares it to know that its node pointers still hold.
  std::uint64_t generation() const { return generation_; }

 private:
  std::uint64_t generation_ = 0;
  std::uint64_t walk_ = 1;
  std::uint64_t scan_ = 1;
  static std::string key(std::string_view name);
  // The nodes live in the table: a node stays where it is while others come
  // and go, and through a rename.
  std::unordered_map<std::string, VcUsesNode> nodes_;
};

// The 32-bit sum of the bytes of a text.
std::uint32_t byteSum(std::string_view bytes);

// What a file looks like now: its size and time (whole seconds) and the sum
// of its bytes. statError / readError hold the errno of a failure, 0 else;
// the sum is only taken when wanted and the status could be read.
struct FileFacts {
  std::uint32_t size = 0, time = 0, sum = 0;
  int statError = 0;
  int readError = 0;
};
FileFacts fileFacts(const std::string& path, bool withSum);

// Text lines as the dependency code reads them: each line whole, however
// long, ending at a line feed; the line feed and a carriage return right
// before it removed, the text cut at a NUL byte. A line is never split:
// paths may be longer than any fixed piece, and a piece taken for a line of
// its own would turn one cache record into two damaged ones, or put a line
// break into a makefile line that is copied. The callback answers false to
// stop.
template <class Fn>
void forEachTextLine(std::string_view text, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t feed = text.find('\n', pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
    std::string_view line = text.substr(pos, end - pos);
    pos = feed == std::string_view::npos ? text.size() : feed + 1;
    if (feed != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) line = line.substr(0, nul);
    if (!fn(line)) return;
  }
}

}  // namespace vc
