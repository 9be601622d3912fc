// Regeneration of an archive file from its model.
#include "vc/archive/format/archive_writer.h"

#include <algorithm>
#include <memory>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/byte_stream.h"
#include "vc/archive/format/crc16.h"

namespace orv::archive {
namespace {

constexpr std::string_view kSecurityPrefix = "__Security_Object__";
constexpr size_t kCopyBlock = 64 * 1024;  // unread texts are copied in blocks this large

enum class Years { AsHeld, Century, NoCentury };

// Output with position, checksum and count of everything written.
class Out {
 public:
  explicit Out(ByteSink& sink) : sink_(sink) {}
  int put(std::string_view s) {
    if (s.empty()) return 0;
    if (int rc = sink_.write(s.data(), s.size())) return rc;
    crc_ = crc16_update(crc_, s.data(), s.size());
    pos_ += s.size();
    return 0;
  }
  uint64_t pos() const { return pos_; }
  uint16_t crc() const { return crc_; }

 private:
  ByteSink& sink_;
  uint64_t pos_ = 0;
  uint16_t crc_ = 0;
};

std::string convert_date(const std::string& date, Years years) {
  if (years == Years::AsHeld) return date;
  const size_t dot = date.find('.');
  const size_t ylen = dot == std::string::npos ? date.size() : dot;
  if (years == Years::Century && ylen == 2) {
    const int yy = (date[0] - '0') * 10 + (date[1] - '0');
    return (yy < 70 ? "20" : "19") + date;
  }
  if (years == Years::NoCentury && ylen == 4 && date.compare(0, 2, "19") == 0) return date.substr(2);
  return date;
}

// A list clause: items after the keyword, wrapped before column 80. The
// column counter starts at the keyword's length; an item that would reach
// column 80 goes on a new line indented by the keyword's length, and the
// counter is set back without adding that item's own length.
void list_clause(std::string& out, std::string_view keyword, const std::vector<std::string>& items) {
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

// Writes one text record between '@'s and records where its bytes went.
int put_text(Out& out, const ArchiveFile& a, TextRecord& t, std::vector<WriteResult::Move>* moves) {
  if (int rc = out.put("@")) return rc;
  if (moves) moves->push_back({&t, out.pos()});
  if (t.in_memory()) {
    if (int rc = out.put(*t.data)) return rc;
  } else if (t.stored_length > 0) {
    ByteSource* src = t.source ? t.source : a.source;
    if (!t.has_offset() || !src) return err::kCatastrophe;
    const size_t size = static_cast<size_t>(std::min<uint64_t>(kCopyBlock, t.stored_length));
    std::unique_ptr<char[]> block(new char[size]);
    char* buf = block.get();
    uint64_t done = 0;
    while (done < t.stored_length) {
      size_t want = static_cast<size_t>(std::min<uint64_t>(size, t.stored_length - done));
      size_t got = 0;
      if (int rc = src->read_at(t.offset + done, buf, want, got)) return rc;
      if (got == 0) return err::kArchiveRead;
      if (int rc = out.put(std::string_view(buf, got))) return rc;
      done += got;
    }
  }
  return out.put("@");
}

// Clauses "head" to "desc".
int put_header(Out& out, ArchiveFile& a, Years years, std::vector<WriteResult::Move>* moves) {
  std::string s;
  s += "head ";
  if (a.head) s += a.head->revision;
  s += ";\nbranch ";
  s += a.default_branch;
  s += ";\n";
  std::vector<std::string> items;
  for (const std::string& n : a.access) items.push_back(word("", n));
  for (const std::string& n : a.security_objects) items.push_back(word(kSecurityPrefix, n));
  list_clause(s, "access", items);
  s += '\n';
  items.clear();
  for (const Symbol& y : a.symbols) items.push_back(word("", y.name) + ':' + y.revision);
  list_clause(s, "symbols", items);
  s += '\n';
  items.clear();
  for (const Lock& l : a.locks) items.push_back(word("", l.user) + ':' + l.revision);
  list_clause(s, "locks", items);
  if (a.flags & kFlagStrict) s += " strict;";
  s += "\ncomment ";
  if (int rc = out.put(s)) return rc;
  if (int rc = put_text(out, a, a.comment, moves)) return rc;
  s = ";\n";
  if (a.flags & kFlagFormatStated) s += (a.flags & kFlagBinary) ? "format binary;\n" : "format text;\n";
  s += "\n\n";
  for (DeltaRecord* d : record_order(a)) {
    s += d->revision;
    s += "\ndate ";
    s += convert_date(d->date, years);
    s += "; author ";
    s += word("", d->author);
    s += "; state ";
    s += word("", d->state);
    s += ";\n";
    items.clear();
    for (const DeltaRecord* b : d->branches) items.push_back(b->revision);
    list_clause(s, "branches", items);
    s += "\nnext ";
    if (d->next) s += d->next->revision;
    s += ";\n\n";
    if (s.size() >= 65536) {
      if (int rc = out.put(s)) return rc;
      s.clear();
    }
  }
  if (a.has_extension) {
    s += "ext\n";
    if (int rc = out.put(s)) return rc;
    if (int rc = put_text(out, a, a.extension, moves)) return rc;
    s = "\n";
  }
  s += "\ndesc\n";
  if (int rc = out.put(s)) return rc;
  if (int rc = put_text(out, a, a.description, moves)) return rc;
  return out.put("\n");
}

int put_delta_text(Out& out, ArchiveFile& a, DeltaRecord& d, std::vector<WriteResult::Move>* moves) {
  std::string s = "\n\n" + d.revision + "\n";
  if (!d.ext.empty()) {
    s += "ext\n@";
    s += encode_ext_attributes(d.ext);
    s += "@\n";
  }
  s += "log\n";
  if (int rc = out.put(s)) return rc;
  if (int rc = put_text(out, a, d.log, moves)) return rc;
  if (int rc = out.put("\ntext\n")) return rc;
  if (int rc = put_text(out, a, d.text, moves)) return rc;
  return out.put("\n");
}

// Whether the unread texts of the source can be copied as one block at the
// end: the file is in this writer's order (its header is canonical and the
// texts read so far are the start of the text order), every delta from the
// first unread one on is unread and unchanged, and the file holds no other
// unread text (none of its revisions was removed from the tree).
bool tail_copy_is_safe(const ArchiveFile& a, const std::vector<DeltaRecord*>& order) {
  if (!a.source_canonical) return false;
  size_t first_unread = order.size();
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i]->texts == DeltaRecord::Texts::Unread) {
      first_unread = i;
      break;
    }
  size_t r = 0;
  for (size_t i = 0; i < first_unread; ++i) {
    if (order[i]->texts != DeltaRecord::Texts::Read) continue;
    if (r >= a.read_order.size() || a.read_order[r] != order[i]) return false;
    ++r;
  }
  if (r != a.read_order.size()) return false;
  for (size_t i = first_unread; i < order.size(); ++i)
    if (order[i]->texts != DeltaRecord::Texts::Unread || (order[i]->change_flags & kDeltaChanged)) return false;
  return a.file_delta_count - a.read_order.size() == order.size() - first_unread;
}

int copy_tail(Out& out, ArchiveFile& a) {
  std::unique_ptr<char[]> block(new char[kCopyBlock]);
  char* buf = block.get();
  uint64_t at = a.resume_position;
  for (;;) {
    size_t got = 0;
    if (int rc = a.source->read_at(at, buf, kCopyBlock, got)) return rc;
    if (got == 0) return 0;
    if (int rc = out.put(std::string_view(buf, got))) return rc;
    at += got;
  }
}

}  // namespace

std::string written_date(const std::string& date, bool century) {
  return convert_date(date, century ? Years::Century : Years::NoCentury);
}

int header_is_canonical(ArchiveFile& a, bool& canonical) {
  canonical = false;
  StringSink rendered;
  Out out(rendered);
  if (int rc = put_header(out, a, Years::AsHeld, nullptr)) return rc;
  if (rendered.text.size() != a.text_position) return 0;
  std::string original(rendered.text.size(), '\0');
  size_t done = 0;
  while (done < original.size()) {
    size_t got = 0;
    if (int rc = a.source->read_at(done, original.data() + done, original.size() - done, got)) return rc;
    if (got == 0) return 0;
    done += got;
  }
  canonical = original == rendered.text;
  return 0;
}

int write_archive(ArchiveFile& a, ByteSink& sink, const WriteOptions& opts, WriteResult& result) {
  result = WriteResult{};
  if (a.read_state == ReadState::Nothing) {
    if (int rc = read_header(a)) return rc;
  }
  if (a.quick_header) return err::kCatastrophe;

  std::vector<DeltaRecord*> order = text_order(a);
  bool any_unread = false;
  for (const DeltaRecord* d : order) any_unread |= d->texts == DeltaRecord::Texts::Unread;
  if (any_unread && !tail_copy_is_safe(a, order)) {
    if (int rc = read_texts(a, nullptr)) return rc;
  }

  Out out(sink);
  if (int rc = put_header(out, a, opts.century ? Years::Century : Years::NoCentury, &result.moves)) return rc;
  result.text_position = out.pos();
  for (DeltaRecord* d : order) {
    if (d->texts == DeltaRecord::Texts::Unread) {
      result.resume_position = out.pos();
      result.tail_copied = true;
      if (int rc = copy_tail(out, a)) return rc;
      break;
    }
    if (int rc = put_delta_text(out, a, *d, &result.moves)) return rc;
    result.written.push_back(d);
  }
  if (!result.tail_copied) result.resume_position = out.pos();
  result.bytes = out.pos();
  result.crc = out.crc();
  a.checksum = result.crc;
  a.length = result.bytes;
  return 0;
}

void adopt_written(ArchiveFile& a, const WriteResult& result, ByteSource* new_source) {
  for (const WriteResult::Move& m : result.moves) {
    m.record->offset = m.offset;
    m.record->source = nullptr;
  }
  a.source = new_source;
  a.text_position = result.text_position;
  a.resume_position = result.resume_position;
  a.read_order = result.written;
  for (DeltaRecord* d : result.written) d->texts = DeltaRecord::Texts::Read;
  for (const auto& d : a.all_deltas()) d->change_flags &= ~kDeltaChanged;
  a.file_delta_count = text_order(a).size();
  a.source_canonical = true;
  if (!result.tail_copied) a.read_state = ReadState::All;
}

}  // namespace orv::archive
