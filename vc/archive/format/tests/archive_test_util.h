// Shared helpers of the archive format tests.
#pragma once

#include <string>

#include "vc/archive/format/archive_model.h"
#include "vc/archive/format/byte_stream.h"

namespace vc::archive::test {

std::string fixtureDir();                       // <testdata>/archives
std::string readFile(const std::string& path);  // whole file; fails the test when missing

// An archive read from bytes held by the holder.
struct Loaded {
  explicit Loaded(std::string bytes) : data(std::move(bytes)), src(data) { a.source = &src; }
  std::string data;
  MemorySource src;
  ArchiveFile a;
};

// Writes the archive into a string; the code goes to rc.
std::string writeToString(ArchiveFile& a, int& rc, bool century = false);

// Every revision's log and text as plain strings, keyed "rev/log", "rev/text".
std::string dumpTexts(ArchiveFile& a);

}  // namespace vc::archive::test
