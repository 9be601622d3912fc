// A working file on its way into an archive: reading it, telling whether a
// text archive can take it, and the line-end normalisation of its stored form.
#pragma once

#include <string>
#include <string_view>

namespace vc {

// Lines longer than this (with one line feed) make a file binary.
inline constexpr std::size_t kMaxStoredLine = 1024;

// Reads the whole file: 0, 207 when it cannot be opened, 216 on a read error
// (errno in sysError).
int readWorkingFile(const std::string& path, std::string& bytes, int& sysError);

// A NUL byte, or a line of 1,024 bytes or more with its line feed. Lines end
// at LF, CR LF or a lone CR.
bool needsBinaryArchive(std::string_view bytes);

// When every line ends the same way, CR LF and lone CR ends become LF; a
// file that mixes them is kept exactly as it is.
std::string normaliseLineEnds(std::string_view bytes);

}  // namespace vc
