// Path names: normalisation, comparison, volumes, splitting and absolute names.
//
// Names arrive in the old platform's spelling: "\" and "/" both separate, a
// leading drive letter and ":" is a volume, and letter case does not matter
// when names are compared. Every name is normalised on entry ("\" becomes
// "/" by orv::fs::forward_slashes in fs/path_separators.h, the one rule the
// libraries share), so the rest of the library only ever sees "/". A volume
// is only a leading "[A-Za-z]:"; a ":" anywhere else is an ordinary character
// of a Linux file name. Case-blind comparisons fold ASCII letters only, whatever the
// locale; files are always opened by the spelling as given. A literal "\" in
// a Linux file name therefore cannot be expressed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vc {

// The normalised path: separators as above and, when `preserve_case` is false
// (the option preservefilecase set off), ASCII letters lower-cased.
std::string normalizePath(std::string_view name, bool preserveCase);

// ASCII-only lower-casing of one character.
char foldAscii(char c);

// Path comparison: same length and every character pair equal, "/" equal to
// "\", letters without regard to case (ASCII).
bool pathsEqual(std::string_view a, std::string_view b);

// True when `name` begins with `prefix` under path comparison.
bool pathStartsWith(std::string_view name, std::string_view prefix);

// Length of the volume at the start of `name`: 2 for "[A-Za-z]:", else 0.
std::size_t volumeLength(std::string_view name);

// The parts of a name: volume, directory (up to and including the last
// separator) and file name (the rest), as lengths into the name.
struct PathParts {
    std::size_t volume = 0;     // name[0, volume)
    std::size_t directory = 0;  // name[volume, volume + directory)
    std::size_t file = 0;       // name[volume + directory, end)
};
PathParts splitPath(std::string_view name);

// A name split against a root directory.
struct RootSplit {
    // The root's volume and its directory (without a trailing "/", except a
    // root "/"), both as spelled in the name.
    std::string rootVolume;
    std::string rootDirectory;

    std::string fileVolume;     // the name's volume
    std::string relativeDirectory;  // the name's directory below the root;
                                     // with an empty root the whole directory
                                     // after the volume (it then starts with "/")
    std::string fileName;
};

enum class RootSplitResult { ok, not_contained, no_file };

// Splits `name` against `root` (both normalised; an empty root contains
// everything). A name not under a non-empty root (at a separator boundary) is
// not contained; a name with an empty file part has no file.
RootSplitResult splitAgainstRoot(std::string_view root, std::string_view name, RootSplit& out);

// `root` with trailing separators removed, keeping "/" and "X:/" whole.
std::string trimRoot(std::string_view root);

// The absolute form of `name` against the directory `base` (normally the
// current directory; a project's code may pass its project directory). Both
// must already be normalised. A name that starts with a single "/" takes the
// base's volume; one that starts with "//", "$(" or a volume stays as it is;
// otherwise leading "./" steps are dropped, each leading "../" (or a final
// "..") removes the last directory of the base (never past the root or the
// volume), and the rest is joined to the base with one "/". A final "." is
// dropped.
std::string makeAbsoluteName(std::string_view base, std::string_view name);

}  // namespace vc
