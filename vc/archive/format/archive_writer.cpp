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

int putDeltaText(Out& out, ArchiveFile& a, DeltaRecord& d, std::vector<TextMove>* moves) {
  std::string s = "\n\n" + d.revision + "\n";
  if (!d.ext.empty()) {
    s += "ext\n@";
    s += encodeExtAttributes(d.ext);
    s += "@\n";
  }
  s += "log\n";
  if (int rc = out.put(s)) return rc;
  if (int rc = putText(out, a, d.log, moves)) return rc;
  s.assign(1, '\n');
  putPhrases(s, d.textPhrases);
  s += "text\n";
  if (int rc = out.put(s)) return rc;
  if (int rc = putText(out, a, d.text, moves)) return rc;
  return out.put("\n");
}

// Whether the unread texts of the source can be copied as one block at the
// end: the file is in this writer's order (its header is canonical and the
// texts read so far are the start of the text order), every delta from the
// first unread one on is unread and unchanged, and the file holds no other
// unread text (none of its revisions was removed from the tree).
bool tailCopyIsSafe(const ArchiveFile& a, const std::vector<DeltaRecord*>& order) {
  if (!a.sourceCanonical) return false;
  size_t firstUnread = order.size();
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i]->texts == DeltaRecord::Texts::Unread) {
      firstUnread = i;
      break;
    }
  size_t r = 0;
  for (size_t i = 0; i < firstUnread; ++i) {
    if (order[i]->texts != DeltaRecord::Texts::Read) continue;
    if (r >= a.readOrder.size() || a.readOrder[r] != order[i]) return false;
    ++r;
  }
  if (r != a.readOrder.size()) return false;
  for (size_t i = firstUnread; i < order.size(); ++i)
    if (order[i]->texts != DeltaRecord::Texts::Unread || (order[i]->changeFlags & kDeltaChanged)) return false;
  return a.fileDeltaCount - a.readOrder.size() == order.size() - firstUnread;
}

int copyTail(Out& out, ArchiveFile& a) {
  std::unique_ptr<char[]> block(new char[kCopyBlock]);
  char* buf = block.get();
  uint64_t at = a.resumePosition;
  for (;;) {
    size_t got = 0;
    if (int rc = a.source->readAt(at, buf, kCopyBlock, got)) return rc;
    if (got == 0) return 0;
    if (int rc = out.put(std::string_view(buf, got))) return rc;
    at += got;
  }
}

}  // namespace

std::string writtenDate(const std::string& date, bool century) {
  return convertDate(date, century ? Years::Century : Years::NoCentury);
}

int writeArchive(ArchiveFile& a, ByteSink& sink, const WriteOptions& opts, WriteResult& result) {
  result = WriteResult{};
  if (a.readState == ReadState::Nothing) {
    if (int rc = readHeader(a)) return rc;
  }
  if (a.quickHeader) return err::kCatastrophe;

  std::vector<DeltaRecord*> order = textOrder(a);
  bool anyUnread = false;
  for (const DeltaRecord* d : order) anyUnread |= d->texts == DeltaRecord::Texts::Unread;
  if (anyUnread && !tailCopyIsSafe(a, order)) {
    if (int rc = readTexts(a, nullptr)) return rc;
  }

  Out out(sink);
  if (int rc = putHeader(out, a, opts.century ? Years::Century : Years::NoCentury, &result.moves)) return rc;
  result.textPosition = out.pos();
  for (DeltaRecord* d : order) {
    if (d->texts == DeltaRecord::Texts::Unread) {
      result.resumePosition = out.pos();
      result.tailCopied = true;
      if (int rc = copyTail(out, a)) return rc;
      break;
    }
    if (int rc = putDeltaText(out, a, *d, &result.moves)) return rc;
    result.written.push_back(d);
  }
  if (!result.tailCopied) result.resumePosition = out.pos();
  result.bytes = out.pos();
  result.crc = out.crc();
  a.checksum = result.crc;
  a.length = result.bytes;
  return 0;
}

void adoptWritten(ArchiveFile& a, const WriteResult& result, ByteSource* newSource) {
  for (const WriteResult::Move& m : result.moves) {
    m.record->offset = m.offset;
    m.record->source = nullptr;
  }
  a.source = newSource;
  a.textPosition = result.textPosition;
  a.resumePosition = result.resumePosition;
  a.readOrder = result.written;
  for (DeltaRecord* d : result.written) d->texts = DeltaRecord::Texts::Read;
  for (const auto& d : a.allDeltas()) d->changeFlags &= ~kDeltaChanged;
  a.fileDeltaCount = textOrder(a).size();
  a.sourceCanonical = true;
  if (!result.tailCopied) a.readState = ReadState::All;
}

}  // namespace vc::archive
