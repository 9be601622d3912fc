// Helpers shared by the path calls' source files; not part of the layer's
// interface.
#pragma once

#include <string>
#include <string_view>

#include "vc/paths/path_environment.h"

namespace vc {

// A root (rcswork or a pair name): separators normalised, made absolute,
// trailing separators removed; empty stays empty. 0 or
// VC_E_NO_CURRENT_DIRECTORY.
int absoluteRoot(PathEnvironment& env, std::string_view root, std::string& out);

// A name made absolute with separators normalised and its case kept. 0 or
// VC_E_NO_CURRENT_DIRECTORY.
int absolutePlain(PathEnvironment& env, std::string_view name, std::string& out);

// Expands a template for an absolute working name below `root` and makes the
// result absolute. 0, path_code::kNotContained (not below the root),
// VC_E_CANNOT_MAKE_ARCHIVE_NAME (no file part) or VC_E_NO_CURRENT_DIRECTORY.
int expandForRoot(PathEnvironment& env, const std::string& root, const std::string& work,
                    std::string_view archiveTemplate, std::string& archive);

}  // namespace vc
