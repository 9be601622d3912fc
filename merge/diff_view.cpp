// The rows of one side of a comparison (see diff_view.h).
#include "merge/diff_view.h"

#include <cstring>

#include "platform/fs/replace_file.h"
#include "merge/merge_model.h"

namespace orv::merge {

namespace {

int classOfKind(char kind) { return kind == 'a' ? kAdded : kind == 'c' ? kChanged : kind == 'd' ? kDeleted : kNormal; }

}  // namespace

DiffView::DiffView(const FileDiff& diff, int side, bool commonLines)
    : diff_(diff), side_(side), blockRows_(static_cast<std::size_t>(diff.blockCount()), -1) {
  if (side == kCombined)
    buildCombined(commonLines);
  else
    buildSide(commonLines);
}

void DiffView::addRow(const DiffLine* line, int block, int viewClass, int number) {
  if (block >= 0 && blockRows_[static_cast<std::size_t>(block)] < 0)
    blockRows_[static_cast<std::size_t>(block)] = static_cast<int>(rows_.size());
  rows_.push_back({line, block, viewClass, false, line && !number ? line->lineNumber : number});
}

void DiffView::buildCombined(bool commonLines) {
  for (const DiffLine& l : diff_.lines()) {
    if (l.source == kBoth && !commonLines) continue;
    addRow(&l, l.blockIndex, l.source == kFile1 ? kFile1Class : l.source == kFile2 ? kFile2Class : kNormal);
  }
}

// Walks the lines with a count of the other side's change lines not yet
// matched by a row of this side; they become empty rows when the change
// ends. Common lines carry file 1's numbers, so this side's own count
// numbers them.
void DiffView::buildSide(bool commonLines) {
  const int mine = side_ == kSide1 ? kFile1 : kFile2, other = side_ == kSide1 ? kFile2 : kFile1;
  int pending = 0, changeBlock = -1, ownLines = 0;
  bool inChange = false;
  auto flush = [&] {
    for (; pending > 0; --pending) addRow(nullptr, changeBlock, kEmpty);
    pending = 0;
    inChange = false;
  };
  for (const DiffLine& l : diff_.lines()) {
    if (l.kind == 'c' && (l.source == mine || l.source == other)) {
      if (inChange && l.blockIndex != changeBlock) flush();
      inChange = true;
      changeBlock = l.blockIndex;
      if (l.source == other) {
        ++pending;
      } else {
        addRow(&l, l.blockIndex, kChanged, ++ownLines);
        --pending;
      }
      continue;
    }
    if (inChange) flush();
    if (l.source == mine || l.source == kBoth) ++ownLines;
    if (l.source == mine || (l.source == kBoth && commonLines))
      addRow(&l, l.blockIndex, classOfKind(l.kind), ownLines);
    else if (l.source == other)
      addRow(nullptr, l.blockIndex, kEmpty);
  }
  if (inChange) flush();
}

std::string DiffView::selectedText() const {
  std::string out;
  for (const ViewRow& r : rows_)
    if (r.selected && r.line) out += r.line->text + "\n";
  return out;
}

std::string DiffView::listing(const std::string& name1, const std::string& name2, int format,
                              const std::string& commentBegin, const std::string& commentEnd) const {
  const std::string eol = format == 2 ? "\n" : "\r\n";
  auto banner = [&](int block, const char* word) {
    const std::string summary = blockSummary(diff_.blocks()[static_cast<std::size_t>(block)], name1, name2);
    return commentBegin + " ***** " + summary + "  " + word + " ***** " + commentEnd + " " + eol;
  };
  std::string out;
  char kind = 'n';
  int block = -2, source = -1;  // no block before the first row
  for (const ViewRow& r : rows_) {
    const int rowBlock = r.line ? r.line->blockIndex : r.block;
    if (!r.line || rowBlock != block) {
      if (kind != 'n' && kind != 'e' && block >= 0) out += banner(block, "ENDS  ");
      kind = r.line ? r.line->kind : 'e';
      if (kind != 'n' && kind != 'e') out += banner(rowBlock, "BEGINS");
      source = -1;
    }
    if (side_ == kCombined && r.line && r.line->kind == 'c' && source >= 0 && r.line->source != source)
      out += commentBegin + " ===== " + (r.line->source == kFile1 ? name1 : name2) + " ===== " + commentEnd + eol;
    if (r.line) {
      out += r.line->text + eol;
      block = rowBlock;
      source = r.line->source;
    }
  }
  if (kind != 'n' && kind != 'e' && block >= 0) out += banner(block, "ENDS  ");
  return out;
}

std::string DiffView::save(const std::string& path, const std::string& name1, const std::string& name2, int format,
                           const std::string& commentBegin, const std::string& commentEnd) const {
  if (int e = orv::fs::replaceFileContents(path, listing(name1, name2, format, commentBegin, commentEnd)))
    return "Cannot write to " + path + ".\n" + std::strerror(e);
  return {};
}

}  // namespace orv::merge
