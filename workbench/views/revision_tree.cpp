#include "workbench/views/revision_tree.h"

namespace orv::workbench::views {

std::string_view branchPointOf(std::string_view revision) {
  // A branch revision has an even number of fields, four or more; its
  // branch point is the number without the last two.
  const std::size_t last = revision.rfind('.');
  if (last == std::string_view::npos || last == 0) return {};
  const std::size_t branch = revision.rfind('.', last - 1);
  if (branch == std::string_view::npos || branch == 0) return {};
  const std::string_view point = revision.substr(0, branch);
  if (point.find('.') == std::string_view::npos) return {};
  return point;
}

std::optional<RevisionTree::Shown> RevisionTree::add(RevisionRecord record) {
  const int node = static_cast<int>(records_.size());
  std::string key = record.isWorkFile() ? std::string() : record.revision;
  const std::string point = record.isWorkFile() ? std::string() : std::string(branchPointOf(key));
  records_.push_back(std::move(record));
  parent_.push_back(kTop);
  children_.emplace_back();
  row_.push_back(0);
  visible_.push_back(0);
  attached_.push_back(0);

  // The branches that start here came before this row and wait for it.
  if (!key.empty()) {
    if (auto waiting = waiting_.find(key); waiting != waiting_.end()) {
      for (int child : waiting->second) attach(child, node);
      waiting_.erase(waiting);
    }
    byRevision_.emplace(key, node);
  }
  if (point.empty()) {
    attach(node, kTop);
    return Shown{node, kTop};
  }
  if (auto found = byRevision_.find(point); found != byRevision_.end()) {
    // A walk in another order may give the branch point first.
    if (attach(node, found->second)) return Shown{node, found->second};
    return std::nullopt;
  }
  waiting_[point].push_back(node);
  return std::nullopt;
}

std::vector<RevisionTree::Shown> RevisionTree::finish() {
  std::vector<Shown> shown;
  if (waiting_.empty()) return shown;
  waiting_.clear();
  // In arrival order, so the result does not depend on the hash order.
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const int node = static_cast<int>(i);
    if (attached_[i]) continue;
    int parent = kTop;
    for (std::string_view point = branchPointOf(records_[i].revision); !point.empty(); point = branchPointOf(point)) {
      if (auto found = byRevision_.find(std::string(point)); found != byRevision_.end()) {
        parent = found->second;
        break;
      }
    }
    if (attach(node, parent)) shown.push_back({node, parent});
  }
  return shown;
}

bool RevisionTree::attach(int node, int parent) {
  std::vector<int>& siblings = parent == kTop ? top_ : children_[at(parent)];
  row_[at(node)] = static_cast<int>(siblings.size());
  siblings.push_back(node);
  parent_[at(node)] = parent;
  attached_[at(node)] = 1;
  if (parent != kTop && !visible_[at(parent)]) return false;
  show(node);
  return true;
}

void RevisionTree::show(int node) {
  // Each row becomes visible once, so showing every subtree costs no more
  // than the rows it holds.
  std::vector<int> stack{node};
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    visible_[at(n)] = 1;
    for (int child : children_[at(n)]) stack.push_back(child);
  }
}

int RevisionTree::find(std::string_view revision) const {
  const auto found = byRevision_.find(std::string(revision));
  return found == byRevision_.end() ? -1 : found->second;
}

std::vector<int> RevisionTree::preorder() const {
  std::vector<int> out;
  out.reserve(records_.size());
  std::vector<int> stack(top_.rbegin(), top_.rend());
  while (!stack.empty()) {
    const int n = stack.back();
    stack.pop_back();
    out.push_back(n);
    const auto& below = children_[at(n)];
    stack.insert(stack.end(), below.rbegin(), below.rend());
  }
  return out;
}

std::string revisionTransfer(const RevisionRecord* current) {
  if (!current || current->isWorkFile()) return {};
  if (current->revision.size() >= kRevisionTransferSize) return {};
  return current->revision;
}

std::string treeLabelsText(const RevisionRecord& r) {
  if (r.isWorkFile() || r.labels.empty()) return {};
  // The row's text up to its labels, as the original row was drawn.
  std::size_t before = r.revision.size() + r.author.size() + r.date.size() + r.state.size() + 4;
  before += r.locker ? r.locker->size() + 1 : 1;
  const std::size_t room = before < kRevisionRowTextLimit ? kRevisionRowTextLimit - before : 0;
  if (r.labels.size() <= room) return r.labels;
  if (room <= 3) return room ? std::string(room, '.') : std::string();
  return r.labels.substr(0, room - 3) + "...";
}

}  // namespace orv::workbench::views
