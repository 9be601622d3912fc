// Text helpers the dialogs share: line ends for multi-line edit fields
// (which want CR LF) and back (the library wants LF), and finding a text in
// a list of choices. Buffers are (pointer, size) pairs where size counts
// the terminating NUL; nothing is ever written past size bytes.
#pragma once

#include <cstddef>
#include <string_view>

#include "workbench/layers.h"

namespace orv::workbench::app {

// Copies source into dest, turning every LF that does not follow a CR into
// CR LF. A line end that does not fit whole is left out with all that
// follows. True when the whole text fit. size 0 writes nothing.
bool addCarriageReturns(char* dest, const char* source, std::size_t size);

// Copies source into dest, turning every CR LF into LF (a CR alone stays).
// dest may be source itself. True when the whole text fit.
bool stripCarriageReturns(char* dest, const char* source, std::size_t size);

// The index of the first entry equal to text, or -1.
template <class Entries>
int findStringIndex(const Entries& entries, std::string_view text) {
  int index = 0;
  for (const auto& entry : entries) {
    if (std::string_view(entry) == text) return index;
    ++index;
  }
  return -1;
}

}  // namespace orv::workbench::app
