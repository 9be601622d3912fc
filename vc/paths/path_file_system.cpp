// stat and mkdir for the path layer.
#include "vc/paths/path_file_system.h"
#include "platform/sys/system_calls.h"
#include "platform/fs/path_separators.h"

#include <sys/stat.h>

#include <cerrno>

#include "vc/paths/path_name.h"

namespace vc {

FileKind fileKind(const std::string& name)
{
    struct stat st {};
    if (name.empty() || orv::sys::calls().stat(name.c_str(), &st) != 0)
        return FileKind::missing;
    return S_ISDIR(st.st_mode) ? FileKind::directory : FileKind::other;
}

int makeDirectoriesFor(const std::string& given)
{
    const std::string name = orv::fs::forward_slashes(given);
    std::size_t start = volumeLength(name);
    std::size_t last = name.find_last_of('/');
    if (last == std::string::npos || last < start)
        return 0;  // no directory part
    for (std::size_t pos = start; pos <= last; ++pos) {
        if (name[pos] != '/' || pos == start)
            continue;  // the root itself needs nothing
        if (name[pos - 1] == '/')
            continue;  // a doubled separator
        std::string directory = name.substr(0, pos);
        switch (fileKind(directory)) {
        case FileKind::directory:
            continue;
        case FileKind::other:
            return ENOTDIR;
        case FileKind::missing:
            if (orv::sys::calls().mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST)
                return errno;
            if (fileKind(directory) != FileKind::directory)
                return ENOTDIR;
            break;
        }
    }
    return 0;
}

}  // namespace vc
