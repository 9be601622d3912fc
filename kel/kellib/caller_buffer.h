// Handing a text result to a caller's (buffer, length).
#pragma once

#include "kel/kellib/include/kel.h"

#include <cstring>
#include <string_view>

namespace kel {

// Copies text and its terminator into buffer: 205 (buffer unchanged) when
// it does not fit, 5 without a buffer.
inline int copyToCaller(std::string_view text, char* buffer, int length) {
  if (!buffer) return KEL_INVALID_ARGUMENT;
  if (length < 1 || text.size() + 1 > static_cast<std::size_t>(length)) return KEL_BUFFER_TOO_SMALL;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return KEL_SUCCESS;
}

}  // namespace kel
