// Reads compiler options out of a Borland IDE project file (".prj"), for
// dependency scanning, which needs the include directories the IDE keeps.
//
// The file, as read (numbers little-endian):
//   0   "Turbo C Project File " 1A 00           (23 bytes)
//   23  01 0D 12 17 01 1A 00                     (7 bytes)
//   30  version word, high byte 7
//   32  records: type (16 bits), length (16 bits), that many bytes.
//       Types 10 and 50 to 55 may appear; FFFF ends the file. Record 50
//       holds the options as entries: id (16 bits), length (16 bits), the
//       option's text (NUL-terminated within its length).
//
// Every length is checked against what holds it: a record that runs past the
// end of the file makes the file unreadable (73), an entry that runs past its
// record ends the search (74); nothing beyond the data is ever read.
//
// The reader keeps the last file it read open, so that a run of queries on
// one project opens it once; a query on another file closes it first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vc/error_codes.h"

namespace vc {

// The include directories (";"-separated) of a project.
inline constexpr int kBccIncludeDirectoriesOption = 302;

// An open project file, read by position.
class BccFile {
public:
    virtual ~BccFile() = default;
    // The current size of the file in bytes.
    virtual std::uint64_t size() = 0;
    // Reads exactly `count` bytes at `offset`; false when they are not all there.
    virtual bool readAt(std::uint64_t offset, void* buffer, std::size_t count) = 0;
};

// Opens project files; a seam so that tests can count and fail opens.
class BccFileOpener {
public:
    virtual ~BccFileOpener() = default;
    // The open file, or null with the system error number in `error`.
    virtual std::unique_ptr<BccFile> open(const std::string& path, int& error) = 0;
};

// Opens files of the file system, read-only.
BccFileOpener& systemBccFileOpener();

class BccProjectReader {
public:
    explicit BccProjectReader(BccFileOpener& opener = systemBccFileOpener());

    // The text of option `option_id` of `project_file` ('\' in the name is
    // taken as '/'). Answers 0, VC_E_BAD_ARGUMENT (empty name),
    // VC_E_NOT_BORLAND_PROJECT, VC_E_OPTION_NOT_DEFINED or
    // VC_E_CANNOT_OPEN_FILE (the system error number then in system_error()).
    int option(std::string_view projectFile, int optionId, std::string& text);

    // The same into a caller's buffer. When the text and its NUL do not fit, as
    // much as fits is stored with a NUL and the answer is
    // VC_E_BUFFER_TOO_SMALL, with the needed length in needed_length(). A null
    // buffer answers VC_E_BAD_ARGUMENT.
    int option(std::string_view projectFile, int optionId, char* buffer, std::size_t length);

    // Closes the kept file; answers 0.
    int done();

    bool hasOpenFile() const { return file_ != nullptr; }
    std::size_t neededLength() const { return neededLength_; }
    int systemError() const { return systemError_; }

private:
    int openProject(const std::string& path);
    int findOption(int optionId, std::string& text);

    BccFileOpener& opener_;
    std::unique_ptr<BccFile> file_;
    std::string path_;
    std::size_t neededLength_ = 0;
    int systemError_ = 0;
};

// The one reader of the loaded library, behind vcbccoption and vcbccdone.
BccProjectReader& libraryBccProjectReader();

}  // namespace vc
