// The file-system questions of the path layer: existence, directory tests and
// creating the directories that lead to a file. The only file of the layer
// that calls the system.
#pragma once

#include <string>

namespace vc {

enum class FileKind { missing, directory, other };

// What `name` is (following symbolic links).
FileKind fileKind(const std::string& name);

// Creates every missing directory leading to the file `name` (the part after
// the last "/" is the file and is not created), from the top down. An
// existing directory is no failure; an existing component that is not a
// directory is. '\' separates like '/'. Answers 0 or the system error number.
int makeDirectoriesFor(const std::string& name);

}  // namespace vc
