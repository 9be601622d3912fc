// The archive's text as this library spells it: the output counter that
// sums bytes and checksum, dates with or without century, wrapped list
// clauses, quoted names, '@' text records and the header clauses. The writer
// builds whole archives from these; the reader uses the header form to tell
// whether a file is exactly what the writer would make of it (then its unread
// texts can be copied as one block).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vc/archive/format/archive_model.h"
#include "vc/archive/format/byte_stream.h"
#include "vc/archive/format/crc16.h"

namespace vc::archive {

// Texts are copied from their source in blocks this large.
inline constexpr size_t kCopyBlock = 64 * 1024;

// Where one text record's bytes went in a written file.
struct TextMove {
  TextRecord* record;
  uint64_t offset;
};

enum class Years { AsHeld, Century, NoCentury };

// Output with position, checksum and count of everything written.
class Out {
 public:
  explicit Out(ByteSink& sink) : sink_(sink) {}
  int put(std::string_view s) {
    if (s.empty()) return 0;
    if (int rc = sink_.write(s.data(), s.size())) return rc;
    crc_ = crc16Update(crc_, s.data(), s.size());
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

std::string convertDate(std::string_view date, Years years);

// Appends the phrases the format does not know, each on a line of its own.
void putPhrases(std::string& out, const Phrases& phrases);

// Writes one text record between '@'s and records where its bytes went.
int putText(Out& out, const ArchiveFile& a, TextRecord& t, std::vector<TextMove>* moves);

// Clauses "head" to "desc".
int putHeader(Out& out, ArchiveFile& a, Years years, std::vector<TextMove>* moves);

// Whether the bytes before the first delta text are exactly what the writer
// makes of the model (with dates as held). The writer trusts the text order
// of such files and copies their unread texts as one block.
int headerIsCanonical(ArchiveFile& a, bool& canonical);

}  // namespace vc::archive
