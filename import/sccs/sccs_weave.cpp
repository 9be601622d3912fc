// Revision texts from the SCCS weave (see sccs_weave.h).
//
// Two comparisons of archive numbers decide a block's flags. The history
// test H(X, T) reads the fields pairwise: T ending while X goes on gives
// false; at the first differing field, in the first two X smaller gives
// false and X larger gives true only for a trunk X; in a later field X
// smaller gives true when the field's position is even and X ends there (a
// branch off an ancestor's branch is not history), X larger false; X ending
// with all its fields equal to T's gives true. The order test: X greater
// than T at the first differing field, or T a leading part of X.
#include "import/sccs/sccs_weave.h"

#include <cstdio>

namespace orv::import {

namespace {

bool history(const RevNumber& x, const RevNumber& t) {
  for (std::size_t i = 0;; i += 2) {
    for (std::size_t j = i; j < i + 2; ++j) {
      if (j >= x.size() || j >= t.size()) break;
      if (x[j] == t[j]) continue;
      if (j < 2) return x[j] > t[j] && isTrunk(x);
      if (x[j] < t[j]) return (j + 1) % 2 == 0 && x.size() == j + 1;
      return false;
    }
    if (i + 2 >= x.size()) return true;   // X ends, its fields all equal to T's
    if (i + 2 >= t.size()) return false;  // T ends while X goes on
  }
}

bool greater(const RevNumber& x, const RevNumber& t) {
  for (std::size_t j = 0; j < x.size() && j < t.size(); ++j)
    if (x[j] != t[j]) return x[j] > t[j];
  return x.size() > t.size();
}

}  // namespace

WeaveReader::WeaveReader(const SccsFile& file, const std::string& name, MessageBuffer& msgs)
    : file_(file), name_(name), msgs_(msgs) {
  for (const SccsDelta& d : file.deltas) bySerial_[d.serial] = &d;
}

const SccsDelta& WeaveReader::deltaOf(unsigned serial) const {
  auto it = bySerial_.find(serial);
  if (it == bySerial_.end())
    msgs_.fail(false, "weave block of unknown delta %u in SCCS file %s", serial, name_.c_str());
  return *it->second;
}

// The flags of a block from its delta and the block around it.
void WeaveReader::flagsOf(Block& b, const Block* p) const {
  const SccsDelta& d = deltaOf(b.serial);
  const bool insert = b.kind == 'I';
  if (d.serial == target_->serial) {
    b.k = true;
    b.v = insert == branchMode_;
    return;
  }
  const RevNumber& x = d.newNumber;
  const RevNumber& t = target_->newNumber;
  const bool h = history(x, t), trunk = isTrunk(x);
  auto set = [&](bool v, bool k) { b.v = v, b.k = k; };
  // Without an enclosing block: visible, unchanged; inside an unchanged one:
  // its visibility; inside a changed one: what the row says.
  auto inherit = [&](bool v, bool k) {
    if (!p) return set(true, false);
    if (!p->k) return set(p->v, false);
    set(v, k);
  };
  const bool pv = p && p->v, pk = p && p->k;
  if (!branchMode_) {
    if (insert) {
      if (!trunk || h) return set(false, false);
      return inherit(true, pv);
    }
    if (trunk && h) return inherit(pv, pk);
    if (trunk) return set(false, pk && !pv);
    if (!h) return inherit(pv, pk);
    return set(false, false);
  }
  if (insert) {
    if (trunk) return h && greater(x, t) ? set(false, false) : inherit(pv, pk);
    if (!h) return set(false, false);
    return inherit(pv, !pv);
  }
  if (trunk) {
    if (h && greater(x, t)) return inherit(pv, pk);
    return pk ? set(pv, pv) : set(false, false);
  }
  if (!h) return inherit(pv, true);
  return pk ? set(pv, pv) : set(false, false);
}

// Ends the block of `serial`: above it, every block gets its flags again.
void WeaveReader::close(std::vector<Block>& stack, unsigned serial) const {
  std::size_t i = stack.size();
  while (i > 0 && stack[i - 1].serial != serial) --i;
  if (i == 0) msgs_.fail(false, "end of a block that is not open in SCCS file %s", name_.c_str());
  stack.erase(stack.begin() + static_cast<long>(i - 1));
  for (std::size_t j = i - 1; j < stack.size(); ++j) flagsOf(stack[j], j ? &stack[j - 1] : nullptr);
}

// The lines of the block opened at `from` (its own line) whose innermost
// block is changed.
std::size_t WeaveReader::countAhead(std::size_t from, std::vector<Block> stack) const {
  const unsigned own = file_.body[from].serial;
  auto open = [&] {
    for (const Block& b : stack)
      if (b.serial == own) return true;
    return false;
  };
  std::size_t n = 0;
  for (std::size_t i = from + 1; i < file_.body.size() && open(); ++i) {
    const WeaveLine& w = file_.body[i];
    if (w.kind == 't') {
      n += stack.back().k;
    } else if (w.kind == 'E') {
      close(stack, w.serial);
    } else {
      Block b{w.serial, w.kind, false, false};
      flagsOf(b, &stack.back());
      stack.push_back(b);
    }
  }
  return n;
}

void WeaveReader::run(const SccsDelta& target, Mode mode, std::string& out) {
  target_ = &target;
  branchMode_ = mode == Mode::Branch;
  std::vector<Block> stack;
  std::size_t base = 0;  // lines of the text the script applies to, so far
  std::string added;
  for (std::size_t i = 0; i < file_.body.size(); ++i) {
    const WeaveLine& w = file_.body[i];
    if (w.kind == 'E') {
      close(stack, w.serial);
      continue;
    }
    if (w.kind != 't') {
      Block b{w.serial, w.kind, false, false};
      flagsOf(b, stack.empty() ? nullptr : &stack.back());
      stack.push_back(b);
      if (mode != Mode::Whole && w.serial == target.serial) {
        const std::size_t n = countAhead(i, stack);
        const bool adds = (w.kind == 'I') == branchMode_;
        char cmd[64];
        std::snprintf(cmd, sizeof cmd, adds ? "a%zu %zu\n" : "d%zu %zu\n", adds ? base : base + 1, n);
        if (n > 0) out += cmd;
      }
      continue;
    }
    if (stack.empty()) msgs_.fail(false, "text outside every block in SCCS file %s", name_.c_str());
    const Block& b = stack.back();
    if (b.v != b.k) {
      ++base;
      if (mode == Mode::Whole) appendAtText(out, w.text);
    } else if (b.v && mode != Mode::Whole) {
      appendAtText(out, w.text);
    }
  }
}

void WeaveReader::headText(const SccsDelta& head, std::string& out) { run(head, Mode::Whole, out); }
void WeaveReader::trunkScript(const SccsDelta& above, std::string& out) { run(above, Mode::Trunk, out); }
void WeaveReader::branchScript(const SccsDelta& revision, std::string& out) { run(revision, Mode::Branch, out); }

}  // namespace orv::import
