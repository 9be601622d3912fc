// The tree form of an archive window's revisions: the working file and the
// trunk at the top, each branch's revisions nested under the revision the
// branch starts from, every row the same record as in the list form.
//
// Rows arrive in the library's walk order, in which a revision's branches
// come before the revision itself. A branch row therefore waits until its
// branch point has arrived; the tree says, as each row comes, which rows
// can be shown now, so that a view shows the first rows while the rest is
// still being read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbench/views/revision_list.h"

namespace orv::workbench::views {

// The revision a branch revision's branch starts from: "1.2" for "1.2.1.3"
// and "1.2.1.1" for "1.2.1.1.2.1"; empty for a trunk revision and for a
// text of fewer than four fields.
std::string_view branchPointOf(std::string_view revision);

class RevisionTree {
 public:
  static constexpr int kTop = -1;

  // A row that has just become visible, and with it every row below it.
  struct Shown {
    int node = 0;
    int parent = kTop;
    bool operator==(const Shown&) const = default;
  };

  // Adds the next row in walk order: the node it shows, or nothing while it
  // waits for its branch point.
  std::optional<Shown> add(RevisionRecord record);
  // The walk has ended: rows whose branch point never came hang under the
  // nearest revision on the way to the trunk that is listed, else at the
  // top. The rows this shows.
  std::vector<Shown> finish();

  std::size_t size() const { return records_.size(); }
  const RevisionRecord& record(int node) const { return records_[at(node)]; }
  const std::vector<RevisionRecord>& records() const { return records_; }
  // kTop for a row at the top, also while a row waits.
  int parent(int node) const { return parent_[at(node)]; }
  // The rows under node (kTop: the top rows), in the order they came.
  const std::vector<int>& children(int node) const { return node == kTop ? top_ : children_[at(node)]; }
  // node's place among its parent's rows.
  int rowOf(int node) const { return row_[at(node)]; }
  bool visible(int node) const { return visible_[at(node)] != 0; }
  // The node of revision, -1 when it is not in the tree.
  int find(std::string_view revision) const;
  // Every visible row from the top down as a view shows them all open.
  std::vector<int> preorder() const;

 private:
  static std::size_t at(int node) { return static_cast<std::size_t>(node); }
  // Hangs node under parent (kTop: at the top); true when it became visible.
  bool attach(int node, int parent);
  void show(int node);

  std::vector<RevisionRecord> records_;
  std::vector<int> parent_;
  std::vector<std::vector<int>> children_;
  std::vector<int> top_;
  std::vector<int> row_;
  std::vector<char> visible_;
  std::vector<char> attached_;
  std::unordered_map<std::string, int> byRevision_;
  // Rows waiting for their branch point, by its revision, in arrival order.
  std::unordered_map<std::string, std::vector<int>> waiting_;
};

// What the tree hands to the dialog it chooses for: the current row's
// revision, whole (at most kRevisionTransferSize - 1 characters); empty
// when no row is current, for the working-file row, and for a text too
// long to pass whole, which would otherwise name another revision.
constexpr std::size_t kRevisionTransferSize = 64;
std::string revisionTransfer(const RevisionRecord* current);

// The row's labels as the tree shows them: the whole row's text
// (revision, author, date, state, locker and labels separated by tabs,
// one tab more in place of a missing locker) is kept within 200
// characters; labels that do not fit are cut and end in "...", which a
// text that fits never shows.
constexpr std::size_t kRevisionRowTextLimit = 200;
std::string treeLabelsText(const RevisionRecord& record);

}  // namespace orv::workbench::views
