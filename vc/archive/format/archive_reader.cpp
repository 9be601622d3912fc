// Parser of the archive header, the delta records and the delta texts.
#include "vc/archive/format/archive_reader.h"

#include <algorithm>
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

bool ascii_iequal(std::string_view a, std::string_view b) {
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

  bool peek_is_word(std::string_view w) {
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

  int expect_word(std::string_view w) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != Kind::Word || t->text != w) return err::kArchiveParseError;
    lex_.take();
    return 0;
  }

  // Any word; into out.
  int word(std::string& out) {
    const Token* t;
    if (int rc = lex_.peek(t)) return rc;
    if (t->kind == Kind::Eof) return err::kUnexpectedEof;
    if (t->kind != Kind::Word) return err::kArchiveParseError;
    out = t->text;
    lex_.take();
    return 0;
  }

  // An optional word before ';' (the ';' is taken too).
  int optional_word_then_semicolon(std::string& out) {
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
    return lex_.read_string(rec, keep);
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
      if (!is_revision_number(rev)) return err::kArchiveParseError;
      add(std::move(name), std::move(rev));
    }
  }

  ArchiveLexer& lex() { return lex_; }

 private:
  ArchiveLexer& lex_;
};

int check_access(const ArchiveFile& a, const ReadOptions& opts) {
  if (!opts.for_write && opts.target.empty()) return 0;
  // A user without a name is on no list: an empty name never passes.
  if (!a.access.empty()) {
    bool found = false;
    for (const std::string& n : a.access)
      if (ascii_iequal(n, opts.user)) found = true;
    if (!found) return err::kNotOnAccessList;
  }
  if (opts.security_admits && !a.security_objects.empty() && !opts.security_admits(a.security_objects))
    return err::kSecurityDenied;
  return 0;
}

// Names a delta record from head, next or branches: a revision named twice
// (a cycle or a shared node) corrupts the header.
int name_delta(ArchiveFile& a, const std::string& rev, DeltaRecord* parent, DeltaRecord*& out) {
  if (!is_revision_number(rev)) return err::kArchiveParseError;
  out = a.create_delta(rev);
  if (!out) return err::kArchiveHeaderCorrupt;
  out->parent = parent;
  return 0;
}

int parse_delta_record(Parser& p, ArchiveFile& a, DeltaRecord* d) {
  if (int rc = p.expect_word("date")) return rc;
  if (int rc = p.word(d->date)) return rc;
  if (!is_revision_number(d->date)) return err::kArchiveParseError;
  if (int rc = p.expect(Kind::Semicolon)) return rc;
  if (int rc = p.expect_word("author")) return rc;
  if (int rc = p.word(d->author)) return rc;
  if (int rc = p.expect(Kind::Semicolon)) return rc;
  if (int rc = p.expect_word("state")) return rc;
  if (int rc = p.optional_word_then_semicolon(d->state)) return rc;
  if (int rc = p.expect_word("branches")) return rc;
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
    if (int rc = name_delta(a, rev, d, b)) return rc;
    d->branches.push_back(b);
  }
  if (int rc = p.expect_word("next")) return rc;
  std::string next;
  if (int rc = p.optional_word_then_semicolon(next)) return rc;
  if (!next.empty()) {
    if (int rc = name_delta(a, next, d, d->next)) return rc;
  }
  d->defined = true;
  return 0;
}

// "head" [revision] ";" and the optional "branch" [revision] ";".
int parse_head(Parser& p, ArchiveFile& a, std::string& head) {
  if (int rc = p.expect_word("head")) return rc;
  if (int rc = p.optional_word_then_semicolon(head)) return rc;
  if (p.peek_is_word("branch")) {
    p.lex().take();
    if (int rc = p.optional_word_then_semicolon(a.default_branch)) return rc;
    if (!a.default_branch.empty() && !is_revision_number(a.default_branch)) return err::kArchiveParseError;
  }
  return 0;
}

// "access" names ";": a name with the security prefix names a security
// object, any other a user.
int parse_access(Parser& p, ArchiveFile& a) {
  if (int rc = p.expect_word("access")) return rc;
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
      a.security_objects.push_back(std::move(name));
    } else {
      a.access.push_back(std::move(name));
    }
  }
}

// "symbols" and "locks", each name ':' revision pairs up to ';'.
int parse_symbols_and_locks(Parser& p, ArchiveFile& a) {
  if (int rc = p.expect_word("symbols")) return rc;
  if (int rc = p.pairs([&](std::string n, std::string r) { a.symbols.push_back({std::move(r), std::move(n)}); }))
    return rc;
  if (int rc = p.expect_word("locks")) return rc;
  return p.pairs([&](std::string n, std::string r) { a.locks.push_back({std::move(r), std::move(n)}); });
}

// The optional "strict ;", "comment [string] ;" (the text dropped by a quick
// read) and "format binary|text ;".
int parse_optional_clauses(Parser& p, ArchiveFile& a, bool quick) {
  if (p.peek_is_word("strict")) {
    p.lex().take();
    a.flags |= kFlagStrict;
    if (int rc = p.expect(Kind::Semicolon)) return rc;
  }
  if (p.peek_is_word("comment")) {
    p.lex().take();
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind == Kind::String) {
      if (int rc = p.lex().read_string(a.comment, !quick)) return rc;
      if (quick) a.comment.clear();
    }
    if (int rc = p.expect(Kind::Semicolon)) return rc;
  }
  if (p.peek_is_word("format")) {
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
int parse_delta_records(Parser& p, ArchiveFile& a, const ReadOptions& opts, bool& reached_target) {
  reached_target = false;
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind != Kind::Word || !is_revision_number(t->text)) return 0;
    DeltaRecord* d = a.lookup(t->text);
    if (!d) return err::kRevisionCorrupt;
    if (d->defined) return err::kArchiveHeaderCorrupt;
    p.lex().take();
    if (int rc = parse_delta_record(p, a, d)) return rc;
    if (opts.quick && !opts.target.empty() && d->revision == opts.target) {
      reached_target = true;
      return 0;
    }
  }
}

// The optional "ext" string and the "desc" string (their texts dropped by a
// quick read).
int parse_description(Parser& p, ArchiveFile& a, bool quick) {
  if (p.peek_is_word("ext")) {
    p.lex().take();
    if (int rc = p.string(a.extension, false)) return rc;
    a.has_extension = true;
    if (quick) a.extension.clear();
  }
  if (int rc = p.expect_word("desc")) return rc;
  if (int rc = p.string(a.description, !quick)) return rc;
  if (quick) a.description.clear();
  return 0;
}

int parse_header(ArchiveFile& a, const ReadOptions& opts) {
  ArchiveLexer lex(*a.source, 0);
  Parser p(lex);
  const bool quick = opts.quick;

  std::string head;
  if (int rc = parse_head(p, a, head)) return rc;
  if (int rc = parse_access(p, a)) return rc;
  if (int rc = parse_symbols_and_locks(p, a)) return rc;
  if (int rc = parse_optional_clauses(p, a, quick)) return rc;
  if (!head.empty()) {
    if (int rc = name_delta(a, head, nullptr, a.head)) return rc;
  }

  bool reached_target = false;
  if (int rc = parse_delta_records(p, a, opts, reached_target)) return rc;
  if (reached_target) {
    a.quick_header = true;
    return 0;
  }
  if (int rc = parse_description(p, a, quick)) return rc;

  // Every revision named must have been defined.
  for (const auto& d : a.all_deltas())
    if (!d->defined) return err::kRevisionCorrupt;

  a.text_position = a.resume_position = lex.position();
  a.file_delta_count = a.all_deltas().size();
  a.quick_header = quick;
  return 0;
}

}  // namespace

bool is_revision_number(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c != '.' && (c < '0' || c > '9')) return false;
  return true;
}

int read_header(ArchiveFile& a, const ReadOptions& opts) {
  if (a.read_state != ReadState::Nothing) {
    if (!(a.quick_header && !opts.quick)) return check_access(a, opts);
    a.reset();  // a quick header is replaced by a full one
  }
  if (!a.source) return err::kCatastrophe;
  a.reset();  // a failed earlier attempt may have left records behind
  if (int rc = parse_header(a, opts)) return rc;
  a.read_state = ReadState::Header;
  if (!a.quick_header && opts.check_canonical) {
    bool canonical = false;
    if (int rc = header_is_canonical(a, canonical)) return rc;
    a.source_canonical = canonical;
  }
  return check_access(a, opts);
}

int read_texts(ArchiveFile& a, DeltaRecord* wanted) {
  if (a.read_state == ReadState::Nothing || a.quick_header) {
    std::string keep_target = wanted ? wanted->revision : std::string();
    if (int rc = read_header(a)) return rc;
    if (wanted) {
      wanted = a.lookup(keep_target);
      if (!wanted) return err::kDeltaCorrupt;
    }
  }
  if (wanted && wanted->texts != DeltaRecord::Texts::Unread) return 0;
  if (a.read_state == ReadState::All) return wanted ? err::kDeltaCorrupt : 0;

  // The records on the path, sorted for lookup (one allocation, not one per record).
  std::vector<const DeltaRecord*> path;
  for (const DeltaRecord* r = wanted; r; r = r->parent) path.push_back(r);
  std::sort(path.begin(), path.end(), std::less<const DeltaRecord*>());
  auto onPath = [&path](const DeltaRecord* r) { return std::binary_search(path.begin(), path.end(), r, std::less<const DeltaRecord*>()); };

  ArchiveLexer lex(*a.source, a.resume_position);
  Parser p(lex);
  for (;;) {
    const Token* t;
    if (int rc = p.peek(t)) return rc;
    if (t->kind == Kind::Eof) {
      // Every revision of the tree must have had its texts by now: one that
      // was left out would otherwise vanish from the next written file.
      for (const DeltaRecord* d : text_order(a))
        if (d->texts == DeltaRecord::Texts::Unread) return err::kDeltaCorrupt;
      a.read_state = ReadState::All;
      a.resume_position = lex.position();
      return 0;
    }
    if (t->kind != Kind::Word || !is_revision_number(t->text)) return err::kArchiveParseError;
    DeltaRecord* d = a.lookup(t->text);
    if (!d || d->texts == DeltaRecord::Texts::Read) return err::kDeltaCorrupt;
    lex.take();
    const bool keep = d->texts == DeltaRecord::Texts::Unread;

    std::vector<ExtAttribute> ext;
    if (p.peek_is_word("ext")) {
      lex.take();
      TextRecord rec;
      if (int rc = p.string(rec, true)) return rc;
      if (!decode_ext_attributes(*rec.data, ext)) return err::kDeltaCorrupt;
    }
    TextRecord log, text;
    if (int rc = p.expect_word("log")) return rc;
    if (int rc = p.string(log, true)) return rc;
    if (int rc = p.expect_word("text")) return rc;
    if (int rc = p.string(text, keep && onPath(d))) return rc;

    if (!keep) a.source_canonical = false;  // an in-memory record replaced this text: normalise on write
    if (keep) {
      d->ext = std::move(ext);
      d->log = std::move(log);
      d->text = std::move(text);
      d->texts = DeltaRecord::Texts::Read;
      a.read_order.push_back(d);
    }
    a.resume_position = lex.position();
    if (d == wanted) return 0;
  }
}

}  // namespace vc::archive
