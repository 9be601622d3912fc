// Regeneration of an archive file from its model.
#include "vc/archive/format/archive_writer.h"

#include <algorithm>
#include <memory>

#include "vc/error_codes.h"
#include "vc/archive/format/archive_clauses.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_text.h"
#include "vc/archive/format/byte_stream.h"

namespace vc::archive {
namespace {

int put_delta_text(Out& out, ArchiveFile& a, DeltaRecord& d, std::vector<TextMove>* moves) {
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

}  // namespace vc::archive
