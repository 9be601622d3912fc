// Absolute path names, as security objects and redirector records keep them.
#pragma once

#include <string>
#include <string_view>

namespace kel {

// Makes path absolute against base (the current directory when base is
// empty): "\" becomes "/", "." components are dropped, ".." removes the
// component before it. Answers 0, or the system code: 2 (ENOENT) when a ".."
// has nothing left to remove, 34 (ERANGE) when the result would reach the
// 4,096-byte path buffer less 2, or the code of a failed getcwd. A leading
// drive ("[A-Za-z]:") is kept; the root is "/" after it.
int makeAbsolutePath(std::string_view path, std::string& out, std::string_view base = {});

}  // namespace kel
