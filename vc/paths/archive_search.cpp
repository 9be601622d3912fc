// The search for a working file's archive (vcFindArchiveName) and the way
// back from an archive to its working file (vcFindWorkName).
#include <optional>
#include <string>
#include <vector>

#include "vc/paths/archive_template.h"
#include "vc/paths/path_calls.h"
#include "vc/paths/path_codes.h"
#include "vc/paths/path_file_system.h"
#include "vc/paths/path_internal.h"
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

namespace vc {

using namespace path_code;

namespace {

// One search: candidates are tested in order until one ends it.
class ArchiveSearch {
public:
    ArchiveSearch(PathEnvironment& env, std::string work, char* buffer, int length, int* handle,
                  int mode)
        : env_(env), work_(std::move(work)), buffer_(buffer), length_(length), handle_(handle),
          mode_(mode) {}

    // Tests one candidate; a value ends the search with that answer.
    std::optional<int> test(const std::string& candidate)
    {
        int r = copy_result(env_, candidate, buffer_, length_);
        if (r != err::kSuccess)
            return r;
        if (paths_equal(candidate, work_))
            return err::kWorkEqualsArchive;  // never open the working file as its own archive
        if (file_kind(candidate) == FileKind::missing) {
            if (!preferred_ && check_dir_path(env_, candidate.c_str()) == err::kSuccess)
                preferred_ = candidate;
            return std::nullopt;  // the search goes on (so far: "cannot open", 203)
        }
        r = env_.open_archive(candidate, handle_, mode_);
        return r;
    }

    void offer_fallback(const std::string& candidate)
    {
        if (!fallback_)
            fallback_ = candidate;
    }
    void replace_fallback(const std::string& candidate) { fallback_ = candidate; }

    // The name for a new archive, when there is one.
    std::optional<std::string> new_name() const { return preferred_ ? preferred_ : fallback_; }

private:
    PathEnvironment& env_;
    std::string work_;
    char* buffer_;
    int length_;
    int* handle_;
    int mode_;
    std::optional<std::string> preferred_;
    std::optional<std::string> fallback_;
};

int create_archive(PathEnvironment& env, const std::string& name, int* handle, int mode)
{
    if (handle != nullptr)
        return env.open_archive(name, handle, mode);
    int created = 0;
    int r = env.open_archive(name, &created, mode);
    if (r != err::kSuccess) {
        if (created != 0)
            env.close_archive(created);
        return r;
    }
    r = env.commit_archive(created, 1);
    if (r != err::kSuccess)
        env.close_archive(created);
    return r;
}

// The archive name that one work-to-archive pair gives `work`. A pair applies
// when it has a value, a non-empty root and its template expands; 0 with
// `applies` telling whether it did, or the code that ends the search (a root
// that cannot be made absolute, no current directory).
int pair_candidate(PathEnvironment& env, const WorkToArchPair& pair, const std::string& work,
                   std::string& root, std::string& candidate, bool& applies)
{
    applies = false;
    if (pair.value.empty())
        return err::kSuccess;
    if (int r = absolute_root(env, pair.name, root); r != err::kSuccess)
        return r;
    const int r = expand_for_root(env, root, work, pair.value, candidate);
    if (r == err::kNoCurrentDirectory)
        return r;
    applies = r == err::kSuccess && !root.empty();
    return err::kSuccess;
}

// The reverse match over a list of pairs; the first that applies wins.
std::optional<std::string> match_pairs(PathEnvironment& env, const std::vector<WorkToArchPair>& pairs,
                                       const std::string& archive, int& error)
{
    for (const WorkToArchPair& pair : pairs) {
        if (pair.value.empty() || pair.name.empty())
            continue;
        std::string root;
        error = absolute_root(env, pair.name, root);
        if (error != err::kSuccess)
            return std::nullopt;
        if (auto work = match_archive_template(orv::fs::forward_slashes(pair.value), archive, root))
            return work;
    }
    return std::nullopt;
}

std::optional<std::string> find_working_name(PathEnvironment& env, const std::string& archive,
                                             int& error)
{
    error = err::kSuccess;
    if (auto work = match_pairs(env, env.project_worktoarch_pairs(), archive, error))
        return work;
    if (error != err::kSuccess)
        return std::nullopt;
    if (auto work = match_pairs(env, env.instance_worktoarch_pairs(), archive, error))
        return work;
    if (error != err::kSuccess)
        return std::nullopt;
    std::string root;
    error = absolute_root(env, env.option_value("rcswork").value_or(""), root);
    if (error != err::kSuccess)
        return std::nullopt;
    for (const std::string& t : split_template_list(env.option_value("rcspath")))
        if (auto work = match_archive_template(t, archive, root))
            return work;
    return std::nullopt;
}

// Step 1 of the search: the current project's pairs; the pair with the
// longest root gives the fallback. A code when the search ends here.
std::optional<int> search_project_pairs(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                        bool& any_pair)
{
    std::size_t longest = 0;
    for (const WorkToArchPair& pair : env.project_worktoarch_pairs()) {
        std::string root, candidate;
        bool applies = false;
        if (int r = pair_candidate(env, pair, work, root, candidate, applies); r != err::kSuccess)
            return r;
        if (!applies)
            continue;
        if (!any_pair || root.size() > longest) {
            search.replace_fallback(candidate);
            longest = root.size();
            any_pair = true;
        }
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 2: the instance's pairs (local list, then global); the first pair
// that applies gives the fallback when the project had none.
std::optional<int> search_instance_pairs(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                         bool& any_pair)
{
    for (const WorkToArchPair& pair : env.instance_worktoarch_pairs()) {
        std::string root, candidate;
        bool applies = false;
        if (int r = pair_candidate(env, pair, work, root, candidate, applies); r != err::kSuccess)
            return r;
        if (!applies)
            continue;
        search.offer_fallback(candidate);
        any_pair = true;
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 3: the rcspath templates below the rcswork root; they give the
// fallback only when no pair applied. template_error keeps the code of the
// last template that did not expand.
std::optional<int> search_templates(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                    bool any_pair, int& template_error)
{
    std::string root;
    if (int r = absolute_root(env, env.option_value("rcswork").value_or(""), root); r != err::kSuccess)
        return r;
    for (const std::string& t : split_template_list(env.option_value("rcspath"))) {
        std::string candidate;
        const int r = expand_for_root(env, root, work, t, candidate);
        if (r == err::kCannotMakeArchiveName || r == err::kNoCurrentDirectory)
            return r;
        if (r != err::kSuccess) {
            template_error = r;
            continue;
        }
        if (!any_pair)
            search.offer_fallback(candidate);
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 4: nothing found. The new archive's name is handed out and, when
// asked, the archive created there.
int no_archive_found(PathEnvironment& env, const std::string& work, const ArchiveSearch& search,
                     int template_error, char* buffer, int length, int* handle, int flags)
{
    std::optional<std::string> new_name = search.new_name();
    if (!new_name)
        return template_error != err::kSuccess ? template_error : err::kArchiveMissing;
    if (int r = copy_result(env, *new_name, buffer, length); r != err::kSuccess)
        return r;
    if (paths_equal(*new_name, work))
        return err::kWorkEqualsArchive;
    if ((flags & kModeCreate) == 0)
        return err::kArchiveMissing;
    return create_archive(env, *new_name, handle, flags | kModeWrite | kModeCreate);
}

}  // namespace

int find_archive_name(PathEnvironment& env, const char* name, char* buffer, int length,
                      int* handle, int flags)
{
    if (name == nullptr || buffer == nullptr)
        return err::kBadArgument;
    if (handle != nullptr)
        *handle = 0;
    std::string work;
    if (int r = absolute_name(env, name, work); r != err::kSuccess)
        return r;

    const bool create = (flags & kModeCreate) != 0;
    const int search_mode = create ? ((flags & ~kModeCreate) | kModeWrite) : flags;
    ArchiveSearch search(env, work, buffer, length, handle, search_mode);
    bool any_pair = false;
    if (auto end = search_project_pairs(env, work, search, any_pair))
        return *end;
    if (auto end = search_instance_pairs(env, work, search, any_pair))
        return *end;
    int template_error = err::kSuccess;
    if (auto end = search_templates(env, work, search, any_pair, template_error))
        return *end;
    return no_archive_found(env, work, search, template_error, buffer, length, handle, flags);
}

int find_work_name(PathEnvironment& env, const char* archive, char* buffer, int length)
{
    if (archive == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absolute_name(env, archive, absolute);
    if (r != err::kSuccess)
        return r;
    std::optional<std::string> work = find_working_name(env, absolute, r);
    if (r != err::kSuccess)
        return r;
    if (!work)
        return err::kNoWorkFileName;
    if (paths_equal(*work, absolute))
        return err::kWorkEqualsArchive;
    return copy_result(env, *work, buffer, length);
}

}  // namespace vc
