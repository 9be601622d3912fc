// Working-file text for check-in (see working_text.h).
#include "vc/revisions/working_text.h"

#include "vc/error_codes.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vc {
namespace {

enum class End { None, Lf, CrLf, Cr };

// Calls visit(contentLength, end) for each line.
template <typename Visit>
void forEachLine(std::string_view s, Visit visit) {
  std::size_t start = 0, i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\n') {
      visit(i - start, End::Lf);
      start = ++i;
    } else if (c == '\r') {
      if (i + 1 < s.size() && s[i + 1] == '\n') {
        visit(i - start, End::CrLf);
        i += 2;
      } else {
        visit(i - start, End::Cr);
        ++i;
      }
      start = i;
    } else {
      ++i;
    }
  }
  if (start < s.size()) visit(s.size() - start, End::None);
}

}  // namespace

int readWorkingFile(const std::string& path, std::string& bytes, int& sysError) {
  bytes.clear();
  sysError = 0;
  const int fd = orv::sys::calls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    sysError = errno;
    return err::kCannotOpenWorkFile;
  }
  const int readError = orv::sys::readAll(fd, bytes);
  orv::sys::calls().close(fd);
  if (readError != 0) {
    sysError = readError;
    return err::kWorkRead;
  }
  return 0;
}

bool needsBinaryArchive(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return true;
  if (bytes.find('\r') == std::string_view::npos) {
    // Only LF ends lines: the distances between line feeds tell.
    std::size_t start = 0;
    for (std::size_t lf; (lf = bytes.find('\n', start)) != std::string_view::npos; start = lf + 1)
      if (lf - start + 1 >= kMaxStoredLine) return true;
    return start < bytes.size() && bytes.size() - start + 1 >= kMaxStoredLine;
  }
  bool tooLong = false;
  forEachLine(bytes, [&](std::size_t length, End) { tooLong |= length + 1 >= kMaxStoredLine; });
  return tooLong;
}

std::string normaliseLineEnds(std::string_view bytes) {
  if (bytes.find('\r') == std::string_view::npos) return std::string(bytes);  // LF only, or one line
  End style = End::None;
  bool mixed = false;
  forEachLine(bytes, [&](std::size_t, End e) {
    if (e == End::None) return;
    if (style == End::None)
      style = e;
    else if (e != style)
      mixed = true;
  });
  if (mixed || style == End::Lf || style == End::None) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c != '\r') {
      out += c;
    } else if (style == End::CrLf) {
      // CR LF -> LF (every CR here is followed by LF: the style is uniform)
    } else {
      out += '\n';
    }
  }
  return out;
}

}  // namespace vc
