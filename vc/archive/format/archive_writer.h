// Writing an archive: the whole plain text, regenerated from the model, into
// a sink that the commit stacks (plain copy, cipher, compressor, checksum,
// file). Texts come from memory or are copied from their offsets; when the
// texts still unread in the source are exactly the rest of the output, they
// are copied as one block.
//
// Writing changes no offset in the model: the new places are returned, and
// adopt_written() moves the records into the new file once the commit has
// swapped it in. A failed or repeated attempt therefore still reads the old
// source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vc/archive/format/archive_clauses.h"
#include "vc/archive/format/archive_model.h"

namespace vc::archive {

class ByteSink;

struct WriteOptions {
  // Option `century`: two-digit years are written with four digits (below 70
  // as 20xx, else 19xx). Without it, years 19xx are written with two digits.
  // Other years are written as held.
  bool century = false;
};

struct WriteResult {
  using Move = TextMove;
  uint64_t bytes = 0;                 // plain bytes written
  uint16_t crc = 0;                   // CRC-16/ARC of those bytes
  uint64_t textPosition = 0;         // where the first delta text begins
  uint64_t resumePosition = 0;       // where the unread texts begin (end when none)
  bool tailCopied = false;           // the unread texts were copied as one block
  std::vector<Move> moves;            // new offsets of every text written
  std::vector<DeltaRecord*> written;  // deltas whose texts were written one by one, in order
};

// Writes the archive into out. Reads the header first when needed, and all
// remaining texts when the unread ones cannot be copied as one block. Refuses
// a quick-mode header with err::kCatastrophe. Sets a.checksum and a.length to the
// CRC and count of the plain bytes. Answers 0 or a code: the sink's,
// err::kArchiveRead or a source's code, err::kCatastrophe for a text with a length and no
// place, a reader's code.
int writeArchive(ArchiveFile& a, ByteSink& out, const WriteOptions& opts, WriteResult& result);

// After the written file replaced the archive: every text record points into
// new_source, changed marks are cleared, and the reader resumes in the new file.
void adoptWritten(ArchiveFile& a, const WriteResult& result, ByteSource* newSource);

// Date as written: see WriteOptions::century.
std::string writtenDate(const std::string& date, bool century);

}  // namespace vc::archive
