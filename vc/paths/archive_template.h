// Archive-name templates: from a working file to its archive and back.
//
// A template holds literal text and the codes "%v" (volume), "%d" (directory),
// "%f" (file name) and "%%" ("%"); a template without "%" is a directory below
// which archives mirror the working tree. Templates come from the option
// `rcspath` (a ";"-separated list, default "%v%d\rcs\%f": the archive lies in
// a directory "rcs" beside the working file) and from the values of
// `worktoarch` pairs, whose names are the working-side roots.
//
// The root only limits which working files a template serves and supplies the
// volume: "%d" writes the root's own directory followed by the file's
// directory below the root, which together are the file's whole directory.
// The reverse match is the exact inverse: what "%d" captured must lie below
// the root again, and the working name is the root joined with the rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

// The default of the option rcspath.
inline constexpr std::string_view kDefaultArchiveTemplate = "%v%d\\rcs\\%f";

enum class ExpandResult { ok, not_contained, no_file };

// Expands `archive_template` for the working file `name` against `root` (all
// three normalised; `name` absolute; an empty root contains everything). On
// success `out` holds the archive name.
ExpandResult expandArchiveTemplate(std::string_view archiveTemplate, std::string_view root,
                                     std::string_view name, std::string& out);

// Matches `archive_name` against `archive_template` backwards. Returns the
// working file name, or nullopt when the template does not describe the name
// or the name it gives does not lie below a non-empty `root`.
std::optional<std::string> matchArchiveTemplate(std::string_view archiveTemplate,
                                                  std::string_view archiveName,
                                                  std::string_view root);

// The templates of an rcspath value: split at ";", blanks around each cut,
// empty entries left out, separators normalised. A missing or empty value
// gives the default template.
std::vector<std::string> splitTemplateList(std::optional<std::string_view> rcspath);

}  // namespace vc
