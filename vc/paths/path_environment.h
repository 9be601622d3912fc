// What the path layer needs from the library instance.
//
// Path calls read a few options (rcspath, rcswork, preservefilecase and the
// worktoarch pairs), the instance's current directory, and hand archives to the
// archive opener. They also record the needed length after a "buffer too
// small" answer and the extra error after a failed directory creation. The
// library instance implements this interface when the calls are wired into the
// exported vc* functions; tests use a fake.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vc {

// One worktoarch pair: the working-side root and the archive template.
struct WorkToArchPair {
    std::string name;   // working root (a directory)
    std::string value;  // archive template, or a directory (no "%")
};

class PathEnvironment {
public:
    virtual ~PathEnvironment() = default;

    // The process's current directory as the system reports it (the seam of
    // getcwd); nullopt when it cannot be read. Read again before every use.
    virtual std::optional<std::string> currentDirectory() = 0;

    // The value of a text option by the library's lookup over all lists
    // (global, archive, project lists, local; enforced options win), or
    // nullopt when the option is missing or its value is empty. Asked for
    // "rcspath" and "rcswork".
    virtual std::optional<std::string> optionValue(std::string_view name) = 0;

    // The boolean reader: `default_value` when the option is missing, else
    // true unless it was set in its "No" form. Asked for "preservefilecase"
    // (default true).
    virtual bool optionFlag(std::string_view name, bool defaultValue) = 0;

    // The worktoarch pairs of the current project, in search order: those of
    // its own option list, then those of its options that come from the
    // security database. Empty when no project is current.
    virtual std::vector<WorkToArchPair> projectWorktoarchPairs() = 0;

    // The worktoarch pairs of the instance: its local list, then its global
    // list.
    virtual std::vector<WorkToArchPair> instanceWorktoarchPairs() = 0;

    // vcOpenArchive(path, handle, mode): `handle` null is a check only (the
    // archive is not kept open). Answers 0, 19 (encrypted, handle valid) or
    // the opener's failure code.
    virtual int openArchive(const std::string& path, int* handle, int mode) = 0;

    // vcCommitArchive(handle, close) and vcCloseArchive(handle).
    virtual int commitArchive(int handle, int close) = 0;
    virtual int closeArchive(int handle) = 0;

    // After a call answers VC_E_BUFFER_TOO_SMALL: the length (with the NUL)
    // that would have sufficed, kept for vcBufferLenQ.
    virtual void setNeededLength(std::size_t length) = 0;

    // The instance's extra error (the system error number of a failure).
    virtual void setExtraError(int error) = 0;
};

}  // namespace vc
