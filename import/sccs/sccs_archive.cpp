// Writing the archive of an SCCS file: the header, the delta list (trunk
// from the head down, then branch revisions in increasing order), the
// description, then the texts (the head, then after each trunk revision the
// branches that start at it, then the next lower trunk revision).
#include <algorithm>
#include <map>

#include "import/sccs/sccs_model.h"
#include "import/sccs/sccs_weave.h"

namespace orv::import {

namespace {

struct Layout {
  std::vector<const SccsDelta*> trunk;     // head first
  std::vector<const SccsDelta*> branches;  // increasing number
  std::map<unsigned, std::vector<const SccsDelta*>> children;  // by serial, increasing number
  std::map<unsigned, const SccsDelta*> bySerial;
};

bool byNumber(const SccsDelta* a, const SccsDelta* b) { return numberLess(a->newNumber, b->newNumber); }

Layout layoutOf(const SccsFile& file) {
  Layout l;
  for (const SccsDelta& d : file.deltas) {
    l.bySerial[d.serial] = &d;
    (isTrunk(d.newNumber) ? l.trunk : l.branches).push_back(&d);
    l.children[d.predecessor].push_back(&d);
  }
  std::sort(l.trunk.begin(), l.trunk.end(), [](auto* a, auto* b) { return byNumber(b, a); });
  std::sort(l.branches.begin(), l.branches.end(), byNumber);
  for (auto& [serial, list] : l.children) std::sort(list.begin(), list.end(), byNumber);
  return l;
}

// The child that continues d's line (same field count), or null.
const SccsDelta* continuation(const Layout& l, const SccsDelta& d) {
  auto it = l.children.find(d.serial);
  if (it == l.children.end()) return nullptr;
  for (const SccsDelta* c : it->second)
    if (c->newNumber.size() == d.newNumber.size()) return c;
  return nullptr;
}

std::string header(const SccsFile& file, const Layout& l, const std::string& workName, bool strictLocks,
                   const std::string& name, MessageBuffer& msgs) {
  std::string h = "head     " + (l.trunk.empty() ? std::string() : numberText(l.trunk.front()->newNumber)) + ";\n";
  std::string branch;
  if (!file.defaultRevision.empty()) {
    for (const SccsDelta& d : file.deltas)
      if (d.sid == file.defaultRevision) branch = numberText(d.newNumber);
    if (branch.empty()) msgs.fail(false, "bad default revision in d flag in SCCS file %s\n", name.c_str());
  }
  h += "branch   " + branch + ";\n";
  h += "access   ";
  for (std::size_t i = 0; i < file.users.size(); ++i) h += (i ? " " : "") + file.users[i];
  h += ";\nsymbols  ;\nlocks    ;";
  if (strictLocks && !file.jointEdit) h += " strict;";
  h += "\ncomment  @";
  appendAtText(h, commentLeader(workName));
  h += "@;\n\n";
  return h;
}

std::string deltaEntry(const Layout& l, const SccsDelta& d) {
  std::string e = "\n" + numberText(d.newNumber) + "\ndate     " + d.date + ";  author " + d.user +
                  ";  state Exp;\nbranches ";
  auto it = l.children.find(d.serial);
  bool first = true;
  if (it != l.children.end())
    for (const SccsDelta* c : it->second)
      if (c->newNumber.size() != d.newNumber.size()) {
        e += (first ? "" : " ") + numberText(c->newNumber);
        first = false;
      }
  e += ";\nnext     ";
  if (isTrunk(d.newNumber)) {
    auto p = l.bySerial.find(d.predecessor);
    if (p != l.bySerial.end() && isTrunk(p->second->newNumber)) e += numberText(p->second->newNumber);
  } else if (const SccsDelta* c = continuation(l, d)) {
    e += numberText(c->newNumber);
  }
  return e + ";\n";
}

class TextWriter {
 public:
  TextWriter(const SccsFile& file, const Layout& l, const std::string& name, MessageBuffer& msgs, ArchiveOutput& out)
      : l_(l), weave_(file, name, msgs), out_(out) {}

  void trunk() {
    for (std::size_t i = 0; i < l_.trunk.size(); ++i) {
      const SccsDelta& d = *l_.trunk[i];
      std::string text;
      if (i == 0)
        weave_.headText(d, text);
      else
        weave_.trunkScript(*l_.trunk[i - 1], text);
      write(d, text);
      branchesOf(d);
    }
  }

 private:
  void branchesOf(const SccsDelta& d) {
    auto it = l_.children.find(d.serial);
    if (it == l_.children.end()) return;
    for (const SccsDelta* c : it->second)
      if (c->newNumber.size() != d.newNumber.size())
        for (const SccsDelta* b = c; b; b = continuation(l_, *b)) {
          std::string text;
          weave_.branchScript(*b, text);
          write(*b, text);
          branchesOf(*b);
        }
  }

  void write(const SccsDelta& d, const std::string& text) {
    std::string t = "\n\n" + numberText(d.newNumber) + "\nlog\n@";
    if (!d.mrLines.empty()) {
      t += "MR numbers:\n";
      for (const std::string& m : d.mrLines) appendAtText(t, m + "\n");
      t += "\n";
    }
    for (const std::string& c : d.comments) appendAtText(t, c + "\n");
    t += "@\ntext\n@" + text + "@\n";
    out_.write(t);
  }

  const Layout& l_;
  WeaveReader weave_;
  ArchiveOutput& out_;
};

}  // namespace

void writeArchive(const SccsFile& file, const std::string& workName, bool strictLocks, const std::string& name,
                  MessageBuffer& msgs, ArchiveOutput& out) {
  const Layout l = layoutOf(file);
  out.write(header(file, l, workName, strictLocks, name, msgs));
  for (const SccsDelta* d : l.trunk) out.write(deltaEntry(l, *d));
  for (const SccsDelta* d : l.branches) out.write(deltaEntry(l, *d));
  std::string desc = "\n\ndesc\n@";
  for (const std::string& line : file.description) appendAtText(desc, line + "\n");
  out.write(desc + "@\n");
  TextWriter(file, l, name, msgs, out).trunk();
}

}  // namespace orv::import
