// The small path calls: comparison, directory checks and creation, absolute
// names and template mapping.
#include "vc/paths/path_calls.h"

#include <cstring>

#include "vc/paths/archive_template.h"
#include "vc/paths/path_codes.h"
#include "vc/paths/path_file_system.h"
#include "vc/paths/path_internal.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

namespace vc {

using namespace path_code;

namespace {

// A name that is complete without the current directory.
bool stands_alone(std::string_view name)
{
    return name.starts_with("//") || name.starts_with("$(") || volume_length(name) != 0;
}

int absolute_normalised(PathEnvironment& env, const std::string& normalised, std::string& out)
{
    std::string base;
    if (!stands_alone(normalised)) {
        std::optional<std::string> cwd = env.current_directory();
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
    out = make_absolute_name(base, normalised);
    return err::kSuccess;
}

}  // namespace

int copy_result(PathEnvironment& env, std::string_view text, char* buffer, int length)
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
    env.set_needed_length(text.size() + 1);
    return err::kBufferTooSmall;
}

int absolute_name(PathEnvironment& env, std::string_view name, std::string& out,
                  bool limit_to_internal_buffer)
{
    bool preserve_case = env.option_flag("preservefilecase", true);
    int r = absolute_normalised(env, normalize_path(name, preserve_case), out);
    if (r != err::kSuccess)
        return r;
    if (limit_to_internal_buffer && out.size() + 1 > kMaxAbsoluteName)
        return err::kInternalBufferExceeded;
    return err::kSuccess;
}

int absolute_root(PathEnvironment& env, std::string_view root, std::string& out)
{
    out.clear();
    std::string normalised = orv::fs::forward_slashes(root);
    if (normalised.empty())
        return err::kSuccess;
    int r = absolute_normalised(env, normalised, out);
    if (r == err::kSuccess)
        out = trim_root(out);
    return r;
}

int absolute_plain(PathEnvironment& env, std::string_view name, std::string& out)
{
    return absolute_normalised(env, orv::fs::forward_slashes(name), out);
}

int path_same(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr)
        return err::kBadArgument;
    return paths_equal(a, b) ? err::kSuccess : kDifferent;
}

int check_dir_path(PathEnvironment& env, const char* name)
{
    if (name == nullptr)
        return err::kBadArgument;
    std::string given = orv::fs::forward_slashes(name);
    std::string absolute;
    int r = absolute_normalised(env, given, absolute);
    if (r != err::kSuccess)
        return r;
    if (file_kind(absolute) != FileKind::missing)
        return err::kSuccess;
    if (split_path(given).directory == 0)
        return kNoDirectoryPart;
    PathParts parts = split_path(absolute);
    std::string directory = trim_root(std::string_view(absolute).substr(0, parts.volume + parts.directory));
    switch (file_kind(directory)) {
    case FileKind::missing: return kDirectoryMissing;
    case FileKind::other: return kNotADirectory;
    case FileKind::directory: break;
    }
    return err::kSuccess;
}

int make_path(PathEnvironment& env, const char* name)
{
    if (name == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absolute_plain(env, name, absolute);
    if (r != err::kSuccess)
        return r;
    int error = make_directories_for(absolute);
    if (error != 0) {
        env.set_extra_error(error);
        return err::kCannotCreateArchiveDir;
    }
    return err::kSuccess;
}

int get_abs_name(PathEnvironment& env, const char* name, char* buffer, int length)
{
    if (name == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absolute_name(env, name, absolute, false);
    if (r != err::kSuccess)
        return r;
    return copy_result(env, absolute, buffer, length);
}

int expand_for_root(PathEnvironment& env, const std::string& root, const std::string& work,
                    std::string_view archive_template, std::string& archive)
{
    switch (expand_archive_template(orv::fs::forward_slashes(archive_template), root, work, archive)) {
    case ExpandResult::ok: break;
    case ExpandResult::not_contained: return kNotContained;
    case ExpandResult::no_file: return err::kCannotMakeArchiveName;
    }
    // A template may give a relative name; archives are always named absolutely.
    std::string absolute;
    int r = absolute_plain(env, archive, absolute);
    if (r != err::kSuccess)
        return r;
    archive = std::move(absolute);
    return err::kSuccess;
}

int work_to_arch_name(PathEnvironment& env, const char* root, const char* name,
                      const char* archive_template, char* buffer, int length)
{
    if (name == nullptr || archive_template == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string root_text = root ? std::string(root) : env.option_value("rcswork").value_or("");
    std::string root_path, work, archive;
    int r = absolute_root(env, root_text, root_path);
    if (r == err::kSuccess)
        r = absolute_name(env, name, work);
    if (r == err::kSuccess)
        r = expand_for_root(env, root_path, work, archive_template, archive);
    if (r != err::kSuccess)
        return r;
    return copy_result(env, archive, buffer, length);
}

int map_name(PathEnvironment& env, const char* name, const char* archive_template, char* buffer,
             int length)
{
    return work_to_arch_name(env, nullptr, name, archive_template, buffer, length);
}

}  // namespace vc
