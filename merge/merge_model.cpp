// The merge (see merge_model.h). A row belongs to its block when it is the
// block's marker or a line of that block (file 1, file 2 or edited); taking
// a side copies only the comparison's lines of that block and side, never
// more than the block's count.
#include "merge/merge_model.h"

#include <cstdio>
#include <cstring>

#include "platform/fs/replace_file.h"

namespace orv::merge {

namespace {

std::string baseName(const std::string& name) {
  const std::size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

std::string format(const char* f, long a, long b = 0, long c = 0, long d = 0, long e = 0) {
  char buf[256];
  std::snprintf(buf, sizeof buf, f, a, b, c, d, e);
  return buf;
}

}  // namespace

std::string blockSummary(const DiffBlock& b, const std::string& name1, const std::string& name2) {
  const std::string n1 = "[" + baseName(name1) + "]", n2 = "[" + baseName(name2) + "]";
  const long l1 = b.firstLine1, c1 = b.count1, l2 = b.firstLine2, c2 = b.count2;
  const std::string lines1 = c1 == 1 ? format("line %ld", l1) : format("lines %ld - %ld", l1, l1 + c1 - 1);
  const std::string lines2 = c2 == 1 ? format("line %ld", l2) : format("lines %ld - %ld", l2, l2 + c2 - 1);
  if (b.kind == 'a') return "Add " + lines2 + " " + n2 + " after " + format("line %ld", l1) + " " + n1;
  if (b.kind == 'c') return "Change " + lines1 + " " + n1 + " to " + lines2 + " " + n2;
  return "Delete " + lines1 + " " + n1;
}

MergeModel::MergeModel(const FileDiff& diff, std::string name1, std::string name2)
    : diff_(diff), name1_(std::move(name1)), name2_(std::move(name2)) {
  int previous = -1;
  for (const DiffLine& l : diff.lines()) {
    if (l.blockIndex < 0) {
      rows_.push_back({l, kCommonRow, -1, false});
    } else if (l.blockIndex != previous) {
      const DiffBlock& b = diff.blocks()[static_cast<std::size_t>(l.blockIndex)];
      DiffLine marker{"--- " + blockSummary(b, name1_, name2_) + " ---", -1, b.kind, 0, l.blockIndex};
      rows_.push_back({marker, kMarkerRow, l.blockIndex, false});
    }
    previous = l.blockIndex;
  }
}

std::size_t MergeModel::markerOf(int block) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].rowClass == kMarkerRow && rows_[i].block == block) return i;
  return rows_.size();
}

std::size_t MergeModel::blockEnd(std::size_t marker, int block) const {
  std::size_t i = marker + 1;
  while (i < rows_.size() && rows_[i].rowClass != kMarkerRow && rows_[i].line.blockIndex == block) ++i;
  return i;
}

bool MergeModel::editedBlock(int block) const {
  const std::size_t m = markerOf(block);
  return m + 1 < rows_.size() && rows_[m + 1].rowClass == kEditedRow && rows_[m + 1].line.blockIndex == block;
}

bool MergeModel::confirmEdited(int block, MergePrompt* ask, const char* question) const {
  return !ask || !editedBlock(block) || ask->ask(question);
}

void MergeModel::insertSide(int side, int block, std::size_t at) {
  const DiffBlock& b = diff_.blocks()[static_cast<std::size_t>(block)];
  const int first = side == 0 ? b.firstIndex1 : b.firstIndex2, count = side == 0 ? b.count1 : b.count2;
  const int source = side == 0 ? kFile1 : kFile2;
  std::vector<MergeRow> rows;
  const auto& lines = diff_.lines();
  for (std::size_t k = static_cast<std::size_t>(first); k < lines.size() && static_cast<int>(rows.size()) < count; ++k) {
    if (lines[k].blockIndex != block || lines[k].source != source) break;
    rows.push_back({lines[k], side == 0 ? kFile1Row : kFile2Row, -1, false});
  }
  rows_.insert(rows_.begin() + static_cast<long>(at), rows.begin(), rows.end());
  modified_ = true;
}

bool MergeModel::takeSide(int side, int block, MergePrompt* ask) {
  if (!confirmEdited(block, ask, "Replace Edited block?")) return false;
  const std::size_t m = markerOf(block);
  if (m == rows_.size()) return false;
  rows_.erase(rows_.begin() + static_cast<long>(m + 1), rows_.begin() + static_cast<long>(blockEnd(m, block)));
  insertSide(side, block, m + 1);
  return true;
}

void MergeModel::addSide(int side, int block) {
  const std::size_t m = markerOf(block);
  if (m == rows_.size()) return;
  // A side the block already holds is not added a second time.
  const int source = side == 0 ? kFile1 : kFile2;
  for (std::size_t i = m + 1; i < blockEnd(m, block); ++i)
    if (rows_[i].line.source == source) return;
  insertSide(side, block, m + 1);
}

bool MergeModel::removeSide(int side, int block, MergePrompt* ask) {
  const bool edited = editedBlock(block);
  if (!confirmEdited(block, ask, "Delete Edited block?")) return false;
  const std::size_t m = markerOf(block);
  if (m == rows_.size()) return false;
  const int source = side == 0 ? kFile1 : kFile2;
  for (std::size_t i = blockEnd(m, block); i-- > m + 1;)
    if (rows_[i].line.source == source || (edited && rows_[i].rowClass == kEditedRow))
      rows_.erase(rows_.begin() + static_cast<long>(i));
  modified_ = true;
  return true;
}

bool MergeModel::clearBlock(int block, MergePrompt* ask) {
  if (!confirmEdited(block, ask, "Delete Edited block?")) return false;
  const std::size_t m = markerOf(block);
  if (m == rows_.size()) return false;
  rows_.erase(rows_.begin() + static_cast<long>(m + 1), rows_.begin() + static_cast<long>(blockEnd(m, block)));
  modified_ = true;
  return true;
}

std::string MergeModel::blockText(int block) const {
  const std::size_t m = markerOf(block);
  std::string text;
  for (std::size_t i = m + 1; i < blockEnd(m, block); ++i) text += rows_[i].line.text + "\n";
  return text;
}

void MergeModel::editBlock(int block, const std::string& text) {
  clearBlock(block, nullptr);
  const std::size_t m = markerOf(block);
  if (m == rows_.size()) return;
  std::vector<MergeRow> rows;
  std::size_t at = 0;
  for (;;) {
    const std::size_t nl = text.find('\n', at);
    std::string piece = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    if (nl != std::string::npos && !piece.empty() && piece.back() == '\r') piece.pop_back();
    if (nl == std::string::npos && piece.empty() && !rows.empty()) break;  // a final line end
    rows.push_back({DiffLine{piece, -1, 'e', 0, block}, kEditedRow, -1, false});
    if (nl == std::string::npos) break;
    at = nl + 1;
    if (at == text.size()) break;
  }
  rows_.insert(rows_.begin() + static_cast<long>(m + 1), rows.begin(), rows.end());
  modified_ = true;
}

std::string MergeModel::save(const std::string& path, int format) {
  const char* end = format == 2 ? "\n" : "\r\n";
  std::string text;
  for (const MergeRow& r : rows_)
    if (r.rowClass != kMarkerRow) text += r.line.text + end;
  if (int e = orv::fs::replaceFileContents(path, text)) return "Cannot write to " + path + ".\n" + std::strerror(e);
  modified_ = false;
  return {};
}

}  // namespace orv::merge
