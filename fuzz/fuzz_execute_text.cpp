// Fuzzes the command server's execute language: any bytes are parsed as an
// execute text. A text that parses has at most the argument cap, ends its
// walk on a ';' that was among the bytes, and parsing it again gives the same
// command; no byte past the given length is ever read (the sanitizer build
// sees the copy at the exact size).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "workbench/app/execute_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto identity = [](std::string s) { return s; };
  auto first = orv::workbench::app::parseExecute(text, identity);
  if (!first) return 0;
  if (first->args.size() > orv::workbench::app::kMaxExecuteArgs) std::abort();
  if (text.find(';') == std::string_view::npos) std::abort();
  auto again = orv::workbench::app::parseExecute(text, identity);
  if (!again || again->verb != first->verb || again->args != first->args) std::abort();
  return 0;
}
