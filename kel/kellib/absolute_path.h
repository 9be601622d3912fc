// Absolute path names for the paths the database stores: redirector records
// and security-object names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kel {

// Makes path absolute: "\" becomes "/", a relative path is joined to base
// (the current directory when base is empty), "." components are dropped and
// ".." removes the component before it. A leading drive ("d:") is kept and
// the root is the drive followed by "/".
// Answers 0, or a system code: ENOENT when ".." climbs above the root,
// ERANGE when the result would reach limit - 2 characters, or the error of
// reading the current directory. out is unchanged on failure.
int makeAbsolutePath(std::string_view path, std::string_view base, std::string& out, std::size_t limit = 4096);

}  // namespace kel
