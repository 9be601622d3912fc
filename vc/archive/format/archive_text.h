// Helpers for the strings of an archive: '@' doubling, loading a text record
// from its source, and the stored form of a revision's extension attributes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vc/archive/format/archive_model.h"

namespace vc::archive {

// "a@b" -> "a@@b" and back. Undoubling keeps a lone '@' as it is.
std::string doubleAt(std::string_view plain);
std::string undoubleAt(std::string_view stored);

// The stored bytes of a text record: its in-memory copy, else read from its
// offset in its source (the archive's source unless the record names one).
// A record with a length but neither a copy nor an offset answers err::kCatastrophe;
// read failures answer err::kArchiveRead or the source's code.
int loadText(const ArchiveFile& a, const TextRecord& t, std::string& stored);
// Loads the record into memory when it is not there yet.
int ensureInMemory(const ArchiveFile& a, TextRecord& t);

// Extension attributes of a revision as the content of its "ext" string:
// for each attribute its name, a blank, then "rev", a blank and the revision,
// or the decimal stored length of the data, a blank and the data; then a
// blank; the whole closed by one line feed.
std::string encodeExtAttributes(const std::vector<ExtAttribute>& attrs);
// Answers false when the content does not have that form.
bool decodeExtAttributes(std::string_view stored, std::vector<ExtAttribute>& attrs);

}  // namespace vc::archive
