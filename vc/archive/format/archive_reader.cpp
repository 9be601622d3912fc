// Parser of the archive header, the delta records and the delta texts.
#include "vc/archive/format/archive_reader.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_lexer.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/archive_clauses.h"

namespace vc::archive {
namespace {

using Kind = ArchiveLexer::Kind;
using Token = ArchiveLexer::Token;

constexpr std::string_view kSecurityPrefix = "__Security_Object__";

bool asciiIequal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Small parser over the lexer. Every helper answers 0 or a result code; the
// end of the file where something is required is err::kUnexpectedEof, a token of
// the wrong kind err::kArchiveParseError.
class Parser {
 public:
  explicit Parser(ArchiveLexer& lex) : lex_(lex) {}

  int peek(const Token*& t) { return lex_.peek(t); }

  bool peekIsWord(std::string_view w) {
    const Token* t;
    return lex_.peek(t) == 0 && t->kind == Kind::Word && t->text == w;
  }

  int expect(Kind k) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != k) return err::kArchiveParseError;
    lex_.take();
    return 0;
  }

  int expectWord(std::string_view w) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != Kind::Word || t->text != w) return err::kArchiveParseError;
    lex_.take();
    return 0;
  }

  // Any word; into out (a string, or a record's date).
  template <typename Text>
  int word(Text& out) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != Kind::Word) return err::kArchiveParseError;
    out = t->text;
    lex_.take();
    return 0;
  }

  // An optional word before ';' (the ';' is taken too).
  int optionalWordThenSemicolon(std::string& out) {
    out.clear();
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Word) {
      out = t->text;
      lex_.take();
    }
    return expect(Kind::Semicolon);
  }

  int string(TextRecord& rec, bool keep) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != Kind::String) return err::kArchiveParseError;
    return lex_.readString(rec, keep);
  }

  // Name ':' revision pairs up to ';'.
  template <typename Add>
  int pairs(Add&& add) {
    for (;;) {
      const Token* t;
      if (int rc = lex_.peek(t)) return rc;
      if (t->kind == Kind::Semicolon) {
        lex_.take();
        return 0;
      }
      std::string name, rev;
      if (int rc = word(name)) return rc;
      if (int rc = expect(Kind::Colon)) return rc;
      if (int rc = word(rev)) return rc;
      if (!isRevisionNumber(rev)) return err::kArchiveParseError;
      add(std::move(name), std::move(rev));
    }
  }

  ArchiveLexer& lex() { return lex_; }

 private:
  ArchiveLexer& lex_;
};

// The words of the format itself: none of them starts a phrase it does not know.
bool isKeyword(std::string_view w) {
  static constexpr std::string_view kKeywords[] = {"head",   "branch", "access", "symbols", "locks",    "strict",
                                                   "comment", "format", "ext",    "desc",    "date",     "author",
                                                   "state",  "branches", "next", "log",     "text"};
  return std::find(std::begin(kKeywords), std::end(kKeywords), w) != std::end(kKeywords);
}

// The phrases the format does not know where its grammar allows them (its
// "newphrase": an id, that is a word that is neither a revision number nor a
// keyword, then words, strings and ':' up to ';'), one after another. Each is
// kept in keep, when given, as the source spells it from the id to the ';'.
int parsePhrases(Parser& p, const ArchiveFile& a, Phrases* keep) {
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind != Kind::Word || isRevisionNumber(t->text) || isKeyword(t->text)) return 0;
    const std::string id(t->text);
    p.lex().take();
    const uint64_t start = p.lex().position() - id.size();
    for (;;) {
      if (int rc = p.peek(t)) return rc;
      if (t->kind == Kind::Semicolon) break;
      if (t->kind == Kind::Eof) return err::kUnexpectedEof;
      if (t->kind == Kind::Comma) return err::kArchiveParseError;
      TextRecord skipped;
      if (t->kind == Kind::String) {
        if (int rc = p.lex().readString(skipped, false)) return rc;
      } else {
        p.lex().take();
      }
    }
    p.lex().take();
    // The id as spelled (a quoted one is not an id of the grammar), then the rest.
    TextRecord span;
    span.offset = start;
    span.storedLength = p.lex().position() - start;
    std::string spelled;
    if (int rc = loadText(a, span, spelled)) return rc;
    if (spelled.compare(0, id.size(), id) != 0) return err::kArchiveParseError;
    if (keep) keep->push_back(std::move(spelled));
  }
}

// What the grammar puts after the description and after a revision's text:
// the end of the file, or the next revision's number and its "ext" or "log".
// Anything else shows the string damaged (a stray '@' ended it early), so
// that its text cannot be trusted. end receives the offset after the string,
// next the number taken (empty at the end of the file).
int nextText(Parser& p, uint64_t& end, std::string& next) {
  end = p.lex().position();
  next.clear();
  const Token* t;
  if (int rc = p.peek(t)) return rc;
  if (t->kind == Kind::Eof) return 0;
  if (t->kind != Kind::Word || !isRevisionNumber(t->text)) return err::kArchiveParseError;
  next = t->text;
  p.lex().take();
  if (int rc = p.peek(t)) return rc;
  if (t->kind == Kind::Eof) return err::kUnexpectedEof;
  if (t->kind != Kind::Word || (t->text != "ext" && t->text != "log")) return err::kArchiveParseError;
  return 0;
}

int checkAccess(const ArchiveFile& a, const ReadOptions& opts) {
  if (!opts.forWrite && opts.target.empty()) return 0;
  // A user without a name is on no list: an empty name never passes.
  if (!a.access.empty()) {
    bool found = false;
    for (const std::string& n : a.access)
      if (asciiIequal(n, opts.user)) found = true;
    if (!found) return err::kNotOnAccessList;
  }
  if (opts.securityAdmits && !a.securityObjects.empty() && !opts.securityAdmits(a.securityObjects))
    return err::kSecurityDenied;
  return 0;
}

// Names a delta record from head, next or branches: a revision named twice
// (a cycle or a shared node) corrupts the header.
int nameDelta(ArchiveFile& a, const std::string& rev, DeltaRecord* parent, DeltaRecord*& out) {
  if (!isRevisionNumber(rev)) return err::kArchiveParseError;
  out = a.createDelta(rev);
  if (!out) return err::kArchiveHeaderCorrupt;
  out->parent = parent;
  return 0;
}

int parseDeltaRecord(Parser& p, ArchiveFile& a, DeltaRecord* d) {
  if (int rc = p.expectWord("date")) return rc;
  if (int rc = p.word(d->date)) return rc;
  if (!isRevisionNumber(d->date)) return err::kArchiveParseError;
  if (int rc = p.expect(Kind::Semicolon)) return rc;
  if (int rc = p.expectWord("author")) return rc;
  if (int rc = p.word(d->author)) return rc;
  if (int rc = p.expect(Kind::Semicolon)) return rc;
  if (int rc = p.expectWord("state")) return rc;
  if (int rc = p.optionalWordThenSemicolon(d->state)) return rc;
  if (int rc = p.expectWord("branches")) return rc;
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind == Kind::Semicolon) {
      p.lex().take();
      break;
    }
    std::string rev;
    if (int rc = p.word(rev)) return rc;
    DeltaRecord* b;
    if (int rc = nameDelta(a, rev, d, b)) return rc;
    d->branches.push_back(b);
  }
  if (int rc = p.expectWord("next")) return rc;
  std::string next;
  if (int rc = p.optionalWordThenSemicolon(next)) return rc;
  if (!next.empty()) {
    if (int rc = nameDelta(a, next, d, d->next)) return rc;
  }
  if (int rc = parsePhrases(p, a, &d->phrases)) return rc;
  d->defined = true;
  return 0;
}

// "head" [revision] ";" and the optional "branch" [revision] ";".
int parseHead(Parser& p, ArchiveFile& a, std::string& head) {
  if (int rc = p.expectWord("head")) return rc;
  if (int rc = p.optionalWordThenSemicolon(head)) return rc;
  if (p.peekIsWord("branch")) {
    p.lex().take();
    if (int rc = p.optionalWordThenSemicolon(a.defaultBranch)) return rc;
    if (!a.defaultBranch.empty() && !isRevisionNumber(a.defaultBranch)) return err::kArchiveParseError;
  }
  return 0;
}

// "access" names ";": a name with the security prefix names a security
// object, any other a user.
int parseAccess(Parser& p, ArchiveFile& a) {
  if (int rc = p.expectWord("access")) return rc;
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind == Kind::Semicolon) {
      p.lex().take();
      return 0;
    }
    std::string name;
    if (int rc = p.word(name)) return rc;
    if (std::string_view(name).substr(0, kSecurityPrefix.size()) == kSecurityPrefix) {
      name.erase(0, kSecurityPrefix.size());
      if (name.empty()) return err::kArchiveParseError;
      a.securityObjects.push_back(std::move(name));
    } else {
      a.access.push_back(std::move(name));
    }
  }
}

// "symbols" and "locks", each name ':' revision pairs up to ';'.
int parseSymbolsAndLocks(Parser& p, ArchiveFile& a) {
  if (int rc = p.expectWord("symbols")) return rc;
  if (int rc = p.pairs([&](std::string n, std::string r) { a.symbols.push_back({std::move(r), std::move(n)}); }))
    return rc;
  if (int rc = p.expectWord("locks")) return rc;
  return p.pairs([&](std::string n, std::string r) { a.locks.push_back({std::move(r), std::move(n)}); });
}

// The optional "strict ;", phrases the format does not know (RCS 5.8 and
// later write "integrity" there), "comment [string] ;" (the text dropped by a
// quick read) and "format binary|text ;".
int parseOptionalClauses(Parser& p, ArchiveFile& a, bool quick) {
  if (p.peekIsWord("strict")) {
    p.lex().take();
    a.flags |= kFlagStrict;
    if (int rc = p.expect(Kind::Semicolon)) return rc;
  }
  if (int rc = parsePhrases(p, a, &a.phrasesBeforeComment)) return rc;
  if (p.peekIsWord("comment")) {
    p.lex().take();
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind == Kind::String) {
      if (int rc = p.lex().readString(a.comment, !quick)) return rc;
      if (quick) a.comment.clear();
    }
    if (int rc = p.expect(Kind::Semicolon)) return rc;
  }
  if (p.peekIsWord("format")) {
    p.lex().take();
    std::string f;
    if (int rc = p.word(f)) return rc;
    if (f == "binary")
      a.flags |= kFlagBinary;
    else if (f == "text")
      a.flags &= static_cast<uint8_t>(~kFlagBinary);
    else
      return err::kArchiveParseError;
    a.flags |= kFlagFormatStated;
    if (int rc = p.expect(Kind::Semicolon)) return rc;
  }
  return 0;
}

// The delta records, each one named before (by head, next or branches) and
// defined once. A quick read with a target stops after the target's record
// (reached_target).
int parseDeltaRecords(Parser& p, ArchiveFile& a, const ReadOptions& opts, bool& reachedTarget) {
  reachedTarget = false;
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind != Kind::Word || !isRevisionNumber(t->text)) return 0;
    DeltaRecord* d = a.lookup(t->text);
    if (!d) return err::kRevisionCorrupt;
    if (d->defined) return err::kArchiveHeaderCorrupt;
    p.lex().take();
    if (int rc = parseDeltaRecord(p, a, d)) return rc;
    if (opts.quick && !opts.target.empty() && d->revision == opts.target) {
      reachedTarget = true;
      return 0;
    }
  }
}

// The optional "ext" string and the "desc" string (their texts dropped by a
// quick read).
int parseDescription(Parser& p, ArchiveFile& a, bool quick) {
  if (p.peekIsWord("ext")) {
    p.lex().take();
    if (int rc = p.string(a.extension, false)) return rc;
    a.hasExtension = true;
    if (quick) a.extension.clear();
  }
  if (int rc = p.expectWord("desc")) return rc;
  if (int rc = p.string(a.description, !quick)) return rc;
  if (quick) a.description.clear();
  return 0;
}

int parseHeader(ArchiveFile& a, const ReadOptions& opts) {
  ArchiveLexer lex(*a.source, 0);
  Parser p(lex);
  const bool quick = opts.quick;

  std::string head;
  if (int rc = parseHead(p, a, head)) return rc;
  if (int rc = parseAccess(p, a)) return rc;
  if (int rc = parseSymbolsAndLocks(p, a)) return rc;
  if (int rc = parseOptionalClauses(p, a, quick)) return rc;
  if (int rc = parsePhrases(p, a, &a.phrases)) return rc;
  if (!head.empty()) {
    if (int rc = nameDelta(a, head, nullptr, a.head)) return rc;
  }

  bool reachedTarget = false;
  if (int rc = parseDeltaRecords(p, a, opts, reachedTarget)) return rc;
  if (reachedTarget) {
    a.quickHeader = true;
    return 0;
  }
  if (int rc = parseDescription(p, a, quick)) return rc;
  uint64_t end = 0;
  std::string first;
  if (int rc = nextText(p, end, first)) return rc;

  // Every revision named must have been defined.
  for (const auto& d : a.allDeltas())
    if (!d->defined) return err::kRevisionCorrupt;

  a.textPosition = a.resumePosition = end;
  a.fileDeltaCount = a.allDeltas().size();
  a.quickHeader = quick;
  return 0;
}

}  // namespace

bool isRevisionNumber(std::string_view s) {
  if (s.empty()) return false;
  // '.', '/' and the digits are one run of characters; '/' is the one left out.
  for (char c : s)
    if (static_cast<unsigned char>(c - '.') > '9' - '.' || c == '/') return false;
  return true;
}

int readHeader(ArchiveFile& a, const ReadOptions& opts) {
  if (a.readState != ReadState::Nothing) {
    if (!(a.quickHeader && !opts.quick)) return checkAccess(a, opts);
    a.reset();  // a quick header is replaced by a full one
  }
  if (!a.source) return err::kCatastrophe;
  a.reset();  // a failed earlier attempt may have left records behind
  if (int rc = parseHeader(a, opts)) return rc;
  a.readState = ReadState::Header;
  if (!a.quickHeader && opts.checkCanonical) {
    bool canonical = false;
    if (int rc = headerIsCanonical(a, canonical)) return rc;
    a.sourceCanonical = canonical;
  }
  return checkAccess(a, opts);
}

int readTexts(ArchiveFile& a, DeltaRecord* wanted) {
  if (a.readState == ReadState::Nothing || a.quickHeader) {
    std::string keepTarget = wanted ? wanted->revision : std::string();
    if (int rc = readHeader(a)) return rc;
    if (wanted) {
      wanted = a.lookup(keepTarget);
      if (!wanted) return err::kDeltaCorrupt;
    }
  }
  if (wanted && wanted->texts != DeltaRecord::Texts::Unread) return 0;
  if (a.readState == ReadState::All) return wanted ? err::kDeltaCorrupt : 0;

  // The records on the path, in a set for lookup (one allocation, not one
  // per record): open addressing over the record addresses.
  size_t pathLength = 0;
  for (const DeltaRecord* r = wanted; r; r = r->parent) ++pathLength;
  size_t slots = 16;
  while (slots < 2 * pathLength) slots *= 2;
  std::vector<const DeltaRecord*> path(slots, nullptr);
  auto home = [mask = slots - 1](const DeltaRecord* r) {
    return static_cast<size_t>((reinterpret_cast<uintptr_t>(r) >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask;
  };
  for (const DeltaRecord* r = wanted; r; r = r->parent) {
    size_t i = home(r);
    while (path[i] && path[i] != r) i = (i + 1) & (slots - 1);
    path[i] = r;
  }
  auto onPath = [&path, &home, mask = slots - 1](const DeltaRecord* r) {
    for (size_t i = home(r); path[i]; i = (i + 1) & mask)
      if (path[i] == r) return true;
    return false;
  };

  ArchiveLexer lex(*a.source, a.resumePosition, kTextBlock);
  Parser p(lex);
  uint64_t end = 0;
  std::string revision;
  if (int rc = nextText(p, end, revision)) return rc;
  for (;;) {
    if (revision.empty()) {
      // Every revision of the tree must have had its texts by now: one that
      // was left out would otherwise vanish from the next written file.
      for (const DeltaRecord* d : textOrder(a))
        if (d->texts == DeltaRecord::Texts::Unread) return err::kDeltaCorrupt;
      a.readState = ReadState::All;
      a.resumePosition = lex.position();
      return 0;
    }
    DeltaRecord* d = a.lookup(revision);
    if (!d || d->texts == DeltaRecord::Texts::Read) return err::kDeltaCorrupt;
    const bool keep = d->texts == DeltaRecord::Texts::Unread;

    std::vector<ExtAttribute> ext;
    if (p.peekIsWord("ext")) {
      lex.take();
      TextRecord rec;
      if (int rc = p.string(rec, true)) return rc;
      if (!decodeExtAttributes(*rec.data, ext)) return err::kDeltaCorrupt;
    }
    TextRecord log, text;
    Phrases phrases;
    if (int rc = p.expectWord("log")) return rc;
    if (int rc = p.string(log, true)) return rc;
    if (int rc = parsePhrases(p, a, keep ? &phrases : nullptr)) return rc;
    if (int rc = p.expectWord("text")) return rc;
    if (int rc = p.string(text, keep && onPath(d))) return rc;
    if (int rc = nextText(p, end, revision)) return rc;

    if (!keep) a.sourceCanonical = false;  // an in-memory record replaced this text: normalise on write
    if (keep) {
      d->ext = std::move(ext);
      d->log = std::move(log);
      d->text = std::move(text);
      d->textPhrases = std::move(phrases);
      d->texts = DeltaRecord::Texts::Read;
      a.readOrder.push_back(d);
    }
    a.resumePosition = end;
    if (d == wanted) return 0;
  }
}

}  // namespace vc::archive
