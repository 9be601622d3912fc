// The archive's text as this library spells it (see archive_clauses.h).
#include "vc/archive/format/archive_clauses.h"

#include <algorithm>
#include <memory>

#include "vc/error_codes.h"

namespace vc::archive {
namespace {

constexpr std::string_view kSecurityPrefix = "__Security_Object__";

// A list clause: items after the keyword, wrapped before column 80. The
// column counter starts at the keyword's length; an item that would reach
// column 80 goes on a new line indented by the keyword's length, and the
// counter is set back without adding that item's own length.
void listClause(std::string& out, std::string_view keyword, const std::vector<std::string>& items) {
  out += keyword;
  const size_t kw = keyword.size();
  size_t counter = kw;
  if (items.empty()) out += ' ';
  for (const std::string& item : items) {
    const size_t n = item.size();
    if (counter != kw && counter + n + 1 >= 80) {
      out += '\n';
      out.append(kw, ' ');
      counter = kw;
    } else {
      counter += n + 1;
    }
    out += ' ';
    out += item;
  }
  out += ';';
}

// A name as a token: one that holds a blank is written between double quotes
// (the reader keeps a blank inside quotes). The format asks for this in the
// access list; names elsewhere get it too, so that whatever was read can be
// read again.
std::string word(std::string_view prefix, std::string_view name) {
  std::string s(prefix);
  s += name;
  if (name.find(' ') != std::string_view::npos) return '"' + s + '"';
  return s;
}

}  // namespace

void putPhrases(std::string& out, const Phrases& phrases) {
  for (const std::string& p : phrases) {
    out += p;
    out += '\n';
  }
}

std::string convertDate(std::string_view date, Years years) {
  if (years == Years::AsHeld) return std::string(date);
  const size_t dot = date.find('.');
  const size_t ylen = dot == std::string_view::npos ? date.size() : dot;
  if (years == Years::Century && ylen == 2) {
    const int yy = (date[0] - '0') * 10 + (date[1] - '0');
    return (yy < 70 ? "20" : "19") + std::string(date);
  }
  if (years == Years::NoCentury && ylen == 4 && date.compare(0, 2, "19") == 0) return std::string(date.substr(2));
  return std::string(date);
}

// Writes one text record between '@'s and records where its bytes went.
int putText(Out& out, const ArchiveFile& a, TextRecord& t, std::vector<TextMove>* moves) {
  if (int rc = out.put("@")) return rc;
  if (moves) moves->push_back({&t, out.pos()});
  if (t.inMemory()) {
    if (int rc = out.put(*t.data)) return rc;
  } else if (t.storedLength > 0) {
    ByteSource* src = t.source ? t.source : a.source;
    if (!t.hasOffset() || !src) return err::kCatastrophe;
    const size_t size = static_cast<size_t>(std::min<uint64_t>(kCopyBlock, t.storedLength));
    std::unique_ptr<char[]> block(new char[size]);
    char* buf = block.get();
    uint64_t done = 0;
    while (done < t.storedLength) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(size, t.storedLength - done));
      size_t got = 0;
      if (int rc = src->readAt(t.offset + done, buf, want, got)) return rc;
      if (got == 0) return err::kArchiveRead;
      if (int rc = out.put(std::string_view(buf, got))) return rc;
      done += got;
    }
  }
  return out.put("@");
}

// Clauses "head" to "desc".
int putHeader(Out& out, ArchiveFile& a, Years years, std::vector<TextMove>* moves) {
  std::string s;
  s += "head ";
  if (a.head) s += a.head->revision;
  s += ";\nbranch ";
  s += a.defaultBranch;
  s += ";\n";
  std::vector<std::string> items;
  for (const std::string& n : a.access) items.push_back(word("", n));
  for (const std::string& n : a.securityObjects) items.push_back(word(kSecurityPrefix, n));
  listClause(s, "access", items);
  s += '\n';
  items.clear();
  for (const Symbol& y : a.symbols) items.push_back(word("", y.name) + ':' + y.revision);
  listClause(s, "symbols", items);
  s += '\n';
  items.clear();
  for (const Lock& l : a.locks) items.push_back(word("", l.user) + ':' + l.revision);
  listClause(s, "locks", items);
  if (a.flags & kFlagStrict) s += " strict;";
  s += '\n';
  putPhrases(s, a.phrasesBeforeComment);
  s += "comment ";
  if (int rc = out.put(s)) return rc;
  if (int rc = putText(out, a, a.comment, moves)) return rc;
  s = ";\n";
  if (a.flags & kFlagFormatStated) s += (a.flags & kFlagBinary) ? "format binary;\n" : "format text;\n";
  putPhrases(s, a.phrases);
  s += "\n\n";
  for (DeltaRecord* d : recordOrder(a)) {
    s += d->revision;
    s += "\ndate ";
    s += convertDate(d->date, years);
    s += "; author ";
    s += word("", d->author);
    s += "; state ";
    s += word("", d->state);
    s += ";\n";
    items.clear();
    for (const DeltaRecord* b : d->branches) items.push_back(b->revision);
    listClause(s, "branches", items);
    s += "\nnext ";
    if (d->next) s += d->next->revision;
    s += ";\n";
    putPhrases(s, d->phrases);
    s += '\n';
    if (s.size() >= 65536) {
      if (int rc = out.put(s)) return rc;
      s.clear();
    }
  }
  if (a.hasExtension) {
    s += "ext\n";
    if (int rc = out.put(s)) return rc;
    if (int rc = putText(out, a, a.extension, moves)) return rc;
    s = "\n";
  }
  s += "\ndesc\n";
  if (int rc = out.put(s)) return rc;
  if (int rc = putText(out, a, a.description, moves)) return rc;
  return out.put("\n");
}

int headerIsCanonical(ArchiveFile& a, bool& canonical) {
  canonical = false;
  StringSink rendered;
  Out out(rendered);
  if (int rc = putHeader(out, a, Years::AsHeld, nullptr)) return rc;
  if (rendered.text.size() != a.textPosition) return 0;
  std::string original(rendered.text.size(), '\0');
  size_t done = 0;
  while (done < original.size()) {
    size_t got = 0;
    if (int rc = a.source->readAt(done, original.data() + done, original.size() - done, got)) return rc;
    if (got == 0) return 0;
    done += got;
  }
  canonical = original == rendered.text;
  return 0;
}

}  // namespace vc::archive
