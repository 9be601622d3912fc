// Fuzzes the archive reader and writer: any input is read (header, then the
// texts up to a revision) and written. When the whole input reads cleanly,
// the written file must read again, and writing that gives the same bytes
// (the writer's output is its own fixed point). A corrupt part that was never
// read is copied along unread, as it stood.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vc/archive/format/archive_model.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/archive_writer.h"
#include "vc/archive/format/byte_stream.h"

using namespace vc::archive;

namespace {

bool write(ArchiveFile& a, std::string& out) {
  StringSink sink;
  WriteResult r;
  if (writeArchive(a, sink, WriteOptions{}, r) != 0) return false;
  out = std::move(sink.text);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource src(data, size);
  ArchiveFile a;
  a.source = &src;
  if (readHeader(a) != 0) return 0;
  // Read part of the texts first, so the writer's block copy is exercised too.
  const auto order = textOrder(a);
  if (!order.empty()) {
    if (readTexts(a, order[order.size() / 2]) != 0) return 0;
  }
  std::string first;
  if (!write(a, first)) return 0;

  MemorySource wholeSrc(data, size);
  ArchiveFile whole;
  whole.source = &wholeSrc;
  if (readHeader(whole) != 0 || readTexts(whole, nullptr) != 0) return 0;

  MemorySource again(first);
  ArchiveFile b;
  b.source = &again;
  if (readHeader(b) != 0 || readTexts(b, nullptr) != 0) __builtin_trap();
  std::string second;
  if (!write(b, second)) __builtin_trap();
  // The first write may keep a tail that was not yet normalised (but only
  // when the source looked canonical); once fully read it must be stable.
  std::string third;
  MemorySource onceMore(second);
  ArchiveFile c;
  c.source = &onceMore;
  if (readHeader(c) != 0 || readTexts(c, nullptr) != 0 || !write(c, third) || third != second) __builtin_trap();
  return 0;
}
