// Writing the archive of a PVCS archive. Every revision's full text is built
// first (a stored text as it is, a delta from the text of the revision it is
// based on: the next higher trunk revision for the trunk, the branch point
// or the previous branch revision for a branch). A delta revision's edit
// script is then the translation of its commands (units are lines, or bytes
// for a binary archive), or, when some command moves backwards, the
// differencer's script between the two full texts; so is the script of a
// revision stored whole that is not the head.
#include <algorithm>
#include <map>

#include "differ/bincmp/bin_diff.h"
#include "import/pvcs/pvcs_model.h"
#include "differ/txtcmp/text_diff.h"
#include "import/support/read_back.h"

namespace orv::import {

namespace {

using Number = std::vector<unsigned>;

struct Node {
  const PvcsRevision* rev = nullptr;
  const Node* base = nullptr;         // whose text this one is made from
  std::vector<const Node*> branches;  // first revisions of the branches starting here
  const Node* next = nullptr;         // next in its chain (lower on the trunk, higher on a branch)
  std::string text;                   // the full text
};

struct Tree {
  std::map<Number, Node> nodes;
  std::vector<const Node*> order;  // the delta list's order
  const Node* head = nullptr;
  bool binary = false;
};

Number branchOf(const Number& n) { return Number(n.begin(), n.end() - 1); }

void link(Tree& t, const std::string& name, MessageBuffer& msgs) {
  std::map<Number, std::vector<Node*>> chains;  // by branch (trunk: {1}... all size-1 prefixes together)
  for (auto& [n, node] : t.nodes) chains[n.size() == 2 ? Number{} : branchOf(n)].push_back(&node);
  for (auto& [branch, list] : chains) {
    if (branch.empty()) {  // the trunk, highest first
      std::reverse(list.begin(), list.end());
      for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        list[i]->next = list[i + 1];
        list[i + 1]->base = list[i];
      }
      t.head = list.front();
      continue;
    }
    const Number point(branch.begin(), branch.end() - 1);
    auto p = t.nodes.find(point);
    if (p == t.nodes.end())
      msgs.fail(false, "%s: no revision %s for branch %s", name.c_str(), dottedNumber(point).c_str(),
                dottedNumber(branch).c_str());
    p->second.branches.push_back(list.front());
    list.front()->base = &p->second;
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      list[i]->next = list[i + 1];
      list[i + 1]->base = list[i];
    }
  }
  if (!t.head) msgs.fail(false, "%s: no trunk revision", name.c_str());
}

// The chain from `first`, then the branches starting on it.
void listChain(const Node* first, std::vector<const Node*>& order) {
  std::vector<const Node*> chain;
  for (const Node* n = first; n; n = n->next) chain.push_back(n);
  order.insert(order.end(), chain.begin(), chain.end());
  for (const Node* n : chain)
    for (const Node* b : n->branches) listChain(b, order);
}

bool isBinary(const std::string& text) {
  if (text.find('\0') != std::string::npos) return true;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    if (nl - start >= 1024) return true;
  return text.size() - start >= 1024;
}

void buildText(Node& node, const std::string& name, MessageBuffer& msgs) {
  const PvcsRevision& r = *node.rev;
  if (r.whole) {
    node.text = std::string(r.text);
    return;
  }
  if (!node.base) msgs.fail(false, "%s: positioning at rev %s", name.c_str(), dottedNumber(r.number).c_str());
  const std::string& older = node.base->text;
  std::size_t pos = 0;
  for (const PvcsCommand& c : r.commands) {
    if (c.kind == 's') pos = c.bytes;
    if (c.kind == 'i') node.text.append(c.inserted);
    if (c.kind != 'c') continue;
    if (pos > older.size() || c.bytes > older.size() - pos)
      msgs.fail(false, "%s: positioning at rev %s", name.c_str(), dottedNumber(r.number).c_str());
    node.text.append(older, pos, c.bytes);
    pos += c.bytes;
  }
}

Tree buildTree(const PvcsArchive& a, const std::string& name, MessageBuffer& msgs) {
  Tree t;
  for (const PvcsRevision& r : a.revisions) {
    if (r.number.size() % 2 != 0 || t.nodes.count(r.number))
      msgs.fail(false, "%s: unusable revision %s", name.c_str(), dottedNumber(r.number).c_str());
    t.nodes[r.number].rev = &r;
  }
  link(t, name, msgs);
  listChain(t.head, t.order);
  for (const Node* n : t.order) {
    buildText(const_cast<Node&>(*n), name, msgs);
    t.binary = t.binary || isBinary(n->text);
  }
  return t;
}

struct Position {
  unsigned long bytes = 0, lines = 0;
};

// True when a text archive's delta moves in whole lines: every position at
// a line start and every insert ending in a line feed.
bool wholeLines(const Node& n) {
  const std::string& older = n.base->text;
  auto lineStart = [&](unsigned long b) { return b == 0 || b >= older.size() || older[b - 1] == '\n'; };
  unsigned long pos = 0;
  const auto& cmds = n.rev->commands;
  for (std::size_t i = 0; i < cmds.size(); ++i) {
    const PvcsCommand& c = cmds[i];
    if (c.kind == 's') pos = c.bytes;
    if (c.kind == 'c') pos += c.bytes;
    if ((c.kind == 's' || c.kind == 'c') && !lineStart(pos)) return false;
    // An insert without a line end at its end would get one in the script
    // (a text that ends without one is made by the differencer instead).
    if (c.kind == 'i' && !c.inserted.empty() && c.inserted.back() != '\n') return false;
  }
  return true;
}

// The translation of a delta's commands into an edit script over the older
// text (lines, or bytes in a binary archive).
std::string translate(const Node& n, bool binary) {
  const std::string& older = n.base->text;
  std::vector<std::size_t> feeds;  // where the older text's lines end
  for (std::size_t f = older.find('\n'); f != std::string::npos; f = older.find('\n', f + 1)) feeds.push_back(f);
  // A last line without a line end is a line too: the end of the text lies
  // after it.
  const bool openLast = !older.empty() && older.back() != '\n';
  auto at = [&](std::size_t bytes) {
    const auto before = std::lower_bound(feeds.begin(), feeds.end(), bytes) - feeds.begin();
    return Position{bytes, static_cast<unsigned long>(before) + (openLast && bytes >= older.size() ? 1u : 0u)};
  };
  auto unit = [&](const Position& p) { return binary ? p.bytes : p.lines; };
  std::string out;
  Position end, pos;
  auto dropGap = [&](const Position& to) {
    if (unit(to) > unit(end)) out += "d" + std::to_string(unit(end) + 1) + " " + std::to_string(unit(to) - unit(end)) + "\n";
    if (unit(to) > unit(end)) end = to;
  };
  for (const PvcsCommand& c : n.rev->commands) {
    if (c.kind == 's') pos = at(c.bytes);
    if (c.kind == 'c') {
      dropGap(pos);
      end = pos = at(pos.bytes + c.bytes);
    }
    if (c.kind == 'i') {
      dropGap(pos);
      std::string data(c.inserted);
      if (!binary && !data.empty() && data.back() != '\n') data += '\n';
      const unsigned long count =
          binary ? c.bytes : static_cast<unsigned long>(std::count(data.begin(), data.end(), '\n'));
      out += "a" + std::to_string(unit(end)) + " " + std::to_string(count) + "\n";
      appendAtText(out, data);
      if (binary) out += '\n';
    }
  }
  dropGap(at(older.size()));
  return out;
}

std::string differenced(const Node& n, bool binary, const std::string& name, MessageBuffer& msgs) {
  diffsup::StringSink sink;
  std::string message;
  int rc;
  if (binary) {
    bincmp::BinOptions o;
    o.rcs = true;
    rc = bincmp::diff_bytes(n.base->text, n.text, o, sink, &message);
  } else {
    txtcmp::TextDiffOptions o;
    o.fallback = true;
    rc = txtcmp::diff_texts(n.base->text, n.text, o, sink, &message);
  }
  if (rc != 0 && rc != 1) msgs.fail(false, "Diff failed: %.400s", message.c_str());
  (void)name;
  std::string out;
  appendAtText(out, sink.text);
  return out;
}

std::string header(const PvcsArchive& a, const Tree& t) {
  std::string h = "head     " + dottedNumber(t.head->rev->number) + ";\nbranch   ;\naccess   " + a.access +
                  ";\nsymbols  ";
  for (std::size_t i = 0; i < a.labels.size(); ++i) h += (i ? " " : "") + a.labels[i].first + ":" + a.labels[i].second;
  h += ";\nlocks    ";
  for (std::size_t i = 0; i < a.locks.size(); ++i) h += (i ? " " : "") + a.locks[i].first + ":" + a.locks[i].second;
  h += ";";
  if (a.strict) h += " strict;";
  h += "\ncomment  @";
  appendAtText(h, a.commentLeader);
  h += "@;\n";
  if (t.binary) h += "format   binary;\n";
  return h + "\n";
}

std::string deltaEntry(const Node& n) {
  std::string e = "\n" + dottedNumber(n.rev->number) + "\ndate     " + n.rev->date + ";  author " + n.rev->author +
                  ";  state Exp;\nbranches ";
  for (std::size_t i = 0; i < n.branches.size(); ++i) e += (i ? " " : "") + dottedNumber(n.branches[i]->rev->number);
  e += ";\nnext     " + (n.next ? dottedNumber(n.next->rev->number) : std::string()) + ";\n";
  return e;
}

}  // namespace

void writePvcsArchive(const PvcsArchive& archive, const std::string& name, MessageBuffer& msgs, ArchiveOutput& out) {
  // Names the archive could not read are made safe, and the description
  // says which.
  PvcsArchive a = archive;
  NameChanges names;
  std::string access;
  for (std::size_t at = 0; at < a.access.size();) {
    const std::size_t blank = std::min(a.access.find(' ', at), a.access.size());
    access += blank > at ? names.safe(std::string_view(a.access).substr(at, blank - at)) : std::string();
    if (blank < a.access.size()) access += ' ';
    at = blank + 1;
  }
  a.access = access;
  for (auto& [label, number] : a.labels) label = names.safe(label);
  for (auto& [user, number] : a.locks) user = names.safe(user);
  for (PvcsRevision& r : a.revisions) r.author = names.safe(r.author);
  if (!names.empty()) {
    // The writer ends the description with a line end of its own.
    std::string note = names.note();
    note.pop_back();
    if (!a.description.empty() && a.description.back() != '\n') a.description += '\n';
    a.description += note;
  }
  const Tree t = buildTree(a, name, msgs);
  out.write(header(a, t));
  for (const Node* n : t.order) out.write(deltaEntry(*n));
  std::string desc = "\n\ndesc\n@";
  appendAtText(desc, a.description);
  out.write(desc + "\n@\n");
  for (const Node* n : t.order) {
    std::string text = "\n\n" + dottedNumber(n->rev->number) + "\nlog\n@";
    appendAtText(text, n->rev->log);
    text += "@\ntext\n@";
    if (n == t.head)
      appendAtText(text, n->text);
    else if (!n->rev->whole && !a.backwards && (t.binary || wholeLines(*n)))
      text += translate(*n, t.binary);
    else
      text += differenced(*n, t.binary, name, msgs);
    out.write(text + "@\n");
  }
  // Nothing is put in place unless every revision reads back whole.
  std::vector<ExpectedRevision> expected;
  for (const Node* n : t.order) expected.push_back({dottedNumber(n->rev->number), n->rev->author, n->text});
  if (std::string problem = readBack(out.written(), expected); !problem.empty())
    msgs.fail(false, "%s: the archive written does not read back: %s", name.c_str(), problem.c_str());
}

}  // namespace orv::import
