// Line-end conversion between edit fields and stored texts.
#include "workbench/app/dialog_text.h"

namespace orv::workbench::app {

bool addCarriageReturns(char* dest, const char* source, std::size_t size) {
  if (size == 0) return *source == '\0';
  std::size_t used = 0;  // characters written, without the NUL
  char previous = '\0';
  for (const char* p = source; *p; previous = *p++) {
    const bool expand = *p == '\n' && previous != '\r';
    const std::size_t need = expand ? 2 : 1;
    if (used + need > size - 1) {
      dest[used] = '\0';
      return false;
    }
    if (expand) dest[used++] = '\r';
    dest[used++] = *p;
  }
  dest[used] = '\0';
  return true;
}

bool stripCarriageReturns(char* dest, const char* source, std::size_t size) {
  if (size == 0) return *source == '\0';
  std::size_t used = 0;
  for (const char* p = source; *p; ++p) {
    if (*p == '\r' && p[1] == '\n') continue;  // the LF that follows is written alone
    if (used + 1 > size - 1) {
      dest[used] = '\0';
      return false;
    }
    dest[used++] = *p;
  }
  dest[used] = '\0';
  return true;
}

}  // namespace orv::workbench::app
