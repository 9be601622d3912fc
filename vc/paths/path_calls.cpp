// The small path calls: comparison, directory checks and creation, absolute
// names and template mapping.
#include "vc/paths/path_calls.h"

#include <cstring>

#include "vc/paths/archive_template.h"
#include "vc/paths/path_codes.h"
#include "vc/paths/path_file_system.h"
#include "vc/paths/path_internal.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {

using namespace path_code;

namespace {

// A name that is complete without the current directory.
bool standsAlone(std::string_view name)
{
    return name.starts_with("//") || name.starts_with("$(") || volumeLength(name) != 0;
}

int absoluteNormalised(PathEnvironment& env, const std::string& normalised, std::string& out)
{
    std::string base;
    if (!standsAlone(normalised)) {
        std::optional<std::string> cwd = env.currentDirectory();
        if (!cwd || cwd->empty()) {
            // A rooted name only borrows the current directory's volume,
            // which Linux does not have: it stays usable without one.
            if (!normalised.starts_with("/"))
                return err::kNoCurrentDirectory;
            out = normalised;
            return err::kSuccess;
        }
        base = orv::fs::forward_slashes(*cwd);  // the current directory is never case-folded
    }
    out = makeAbsoluteName(base, normalised);
    return err::kSuccess;
}

}  // namespace

int copyResult(PathEnvironment& env, std::string_view text, char* buffer, int length)
{
    if (length > 0 && text.size() < static_cast<std::size_t>(length)) {
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return err::kSuccess;
    }
    if (length > 0) {
        std::memcpy(buffer, text.data(), static_cast<std::size_t>(length) - 1);
        buffer[length - 1] = '\0';
    }
    env.setNeededLength(text.size() + 1);
    return err::kBufferTooSmall;
}

int absoluteName(PathEnvironment& env, std::string_view name, std::string& out,
                  bool limitToInternalBuffer)
{
    bool preserveCase = env.optionFlag("preservefilecase", true);
    int r = absoluteNormalised(env, normalizePath(name, preserveCase), out);
    if (r != err::kSuccess)
        return r;
    if (limitToInternalBuffer && out.size() + 1 > kMaxAbsoluteName)
        return err::kInternalBufferExceeded;
    return err::kSuccess;
}

int absoluteRoot(PathEnvironment& env, std::string_view root, std::string& out)
{
    out.clear();
    std::string normalised = orv::fs::forward_slashes(root);
    if (normalised.empty())
        return err::kSuccess;
    int r = absoluteNormalised(env, normalised, out);
    if (r == err::kSuccess)
        out = trimRoot(out);
    return r;
}

int absolutePlain(PathEnvironment& env, std::string_view name, std::string& out)
{
    return absoluteNormalised(env, orv::fs::forward_slashes(name), out);
}

int pathSame(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return err::kBadArgument;
    return pathsEqual(a, b) ? err::kSuccess : kDifferent;
}

int checkDirPath(PathEnvironment& env, const char* name)
{
    if (name == nullptr)
        return err::kBadArgument;
    std::string given = orv::fs::forward_slashes(name);
    std::string absolute;
    int r = absoluteNormalised(env, given, absolute);
    if (r != err::kSuccess)
        return r;
    if (fileKind(absolute) != FileKind::missing)
        return err::kSuccess;
    if (splitPath(given).directory == 0)
        return kNoDirectoryPart;
    PathParts parts = splitPath(absolute);
    std::string directory = trimRoot(std::string_view(absolute).substr(0, parts.volume + parts.directory));
    switch (fileKind(directory)) {
    case FileKind::missing: return kDirectoryMissing;
    case FileKind::other: return kNotADirectory;
    case FileKind::directory: break;
    }
    return err::kSuccess;
}

int makePath(PathEnvironment& env, const char* name)
{
    if (name == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absolutePlain(env, name, absolute);
    if (r != err::kSuccess)
        return r;
    int error = makeDirectoriesFor(absolute);
    if (error != 0) {
        env.setExtraError(error);
        return err::kCannotCreateArchiveDir;
    }
    return err::kSuccess;
}

int getAbsName(PathEnvironment& env, const char* name, char* buffer, int length)
{
    if (name == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absoluteName(env, name, absolute, false);
    if (r != err::kSuccess)
        return r;
    return copyResult(env, absolute, buffer, length);
}

int expandForRoot(PathEnvironment& env, const std::string& root, const std::string& work,
                    std::string_view archiveTemplate, std::string& archive)
{
    switch (expandArchiveTemplate(orv::fs::forward_slashes(archiveTemplate), root, work, archive)) {
    case ExpandResult::ok: break;
    case ExpandResult::not_contained: return kNotContained;
    case ExpandResult::no_file: return err::kCannotMakeArchiveName;
    }
    // A template may give a relative name; archives are always named absolutely.
    std::string absolute;
    int r = absolutePlain(env, archive, absolute);
    if (r != err::kSuccess)
        return r;
    archive = std::move(absolute);
    return err::kSuccess;
}

int workToArchName(PathEnvironment& env, const char* root, const char* name,
                      const char* archiveTemplate, char* buffer, int length)
{
    if (name == nullptr || archiveTemplate == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string rootText = root ? std::string(root) : env.optionValue("rcswork").value_or("");
    std::string rootPath, work, archive;
    int r = absoluteRoot(env, rootText, rootPath);
    if (r == err::kSuccess)
        r = absoluteName(env, name, work);
    if (r == err::kSuccess)
        r = expandForRoot(env, rootPath, work, archiveTemplate, archive);
    if (r != err::kSuccess)
        return r;
    return copyResult(env, archive, buffer, length);
}

int mapName(PathEnvironment& env, const char* name, const char* archiveTemplate, char* buffer,
             int length)
{
    return workToArchName(env, nullptr, name, archiveTemplate, buffer, length);
}

}  // namespace vc
