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
#include "platform/fs/path_separators.h"

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
        int r = copyResult(env_, candidate, buffer_, length_);
        if (r != err::kSuccess)
            return r;
        if (pathsEqual(candidate, work_))
            return err::kWorkEqualsArchive;  // never open the working file as its own archive
        if (fileKind(candidate) == FileKind::missing) {
            if (!preferred_ && checkDirPath(env_, candidate.c_str()) == err::kSuccess)
                preferred_ = candidate;
            return std::nullopt;  // the search goes on (so far: "cannot open", 203)
        }
        r = env_.openArchive(candidate, handle_, mode_);
        return r;
    }

    void offerFallback(const std::string& candidate)
    {
        if (!fallback_)
            fallback_ = candidate;
    }
    void replaceFallback(const std::string& candidate) { fallback_ = candidate; }

    // The name for a new archive, when there is one.
    std::optional<std::string> newName() const { return preferred_ ? preferred_ : fallback_; }

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

int createArchive(PathEnvironment& env, const std::string& name, int* handle, int mode)
{
    if (handle != nullptr)
        return env.openArchive(name, handle, mode);
    int created = 0;
    int r = env.openArchive(name, &created, mode);
    if (r != err::kSuccess) {
        if (created != 0)
            env.closeArchive(created);
        return r;
    }
    r = env.commitArchive(created, VC_COMMIT_CLOSE);
    if (r != err::kSuccess)
        env.closeArchive(created);
    return r;
}

// The archive name that one work-to-archive pair gives `work`. A pair applies
// when it has a value, a non-empty root and its template expands; 0 with
// `applies` telling whether it did, or the code that ends the search (a root
// that cannot be made absolute, no current directory).
int pairCandidate(PathEnvironment& env, const WorkToArchPair& pair, const std::string& work,
                   std::string& root, std::string& candidate, bool& applies)
{
    applies = false;
    if (pair.value.empty())
        return err::kSuccess;
    if (int r = absoluteRoot(env, pair.name, root); r != err::kSuccess)
        return r;
    const int r = expandForRoot(env, root, work, pair.value, candidate);
    if (r == err::kNoCurrentDirectory)
        return r;
    applies = r == err::kSuccess && !root.empty();
    return err::kSuccess;
}

// The reverse match over a list of pairs; the first that applies wins.
std::optional<std::string> matchPairs(PathEnvironment& env, const std::vector<WorkToArchPair>& pairs,
                                       const std::string& archive, int& error)
{
    for (const WorkToArchPair& pair : pairs) {
        if (pair.value.empty() || pair.name.empty())
            continue;
        std::string root;
        error = absoluteRoot(env, pair.name, root);
        if (error != err::kSuccess)
            return std::nullopt;
        if (auto work = matchArchiveTemplate(orv::fs::forward_slashes(pair.value), archive, root))
            return work;
    }
    return std::nullopt;
}

std::optional<std::string> findWorkingName(PathEnvironment& env, const std::string& archive,
                                             int& error)
{
    error = err::kSuccess;
    if (auto work = matchPairs(env, env.projectWorktoarchPairs(), archive, error))
        return work;
    if (error != err::kSuccess)
        return std::nullopt;
    if (auto work = matchPairs(env, env.instanceWorktoarchPairs(), archive, error))
        return work;
    if (error != err::kSuccess)
        return std::nullopt;
    std::string root;
    error = absoluteRoot(env, env.optionValue("rcswork").value_or(""), root);
    if (error != err::kSuccess)
        return std::nullopt;
    for (const std::string& t : splitTemplateList(env.optionValue("rcspath")))
        if (auto work = matchArchiveTemplate(t, archive, root))
            return work;
    return std::nullopt;
}

// Step 1 of the search: the current project's pairs; the pair with the
// longest root gives the fallback. A code when the search ends here.
std::optional<int> searchProjectPairs(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                        bool& anyPair)
{
    std::size_t longest = 0;
    for (const WorkToArchPair& pair : env.projectWorktoarchPairs()) {
        std::string root, candidate;
        bool applies = false;
        if (int r = pairCandidate(env, pair, work, root, candidate, applies); r != err::kSuccess)
            return r;
        if (!applies)
            continue;
        if (!anyPair || root.size() > longest) {
            search.replaceFallback(candidate);
            longest = root.size();
            anyPair = true;
        }
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 2: the instance's pairs (local list, then global); the first pair
// that applies gives the fallback when the project had none.
std::optional<int> searchInstancePairs(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                         bool& anyPair)
{
    for (const WorkToArchPair& pair : env.instanceWorktoarchPairs()) {
        std::string root, candidate;
        bool applies = false;
        if (int r = pairCandidate(env, pair, work, root, candidate, applies); r != err::kSuccess)
            return r;
        if (!applies)
            continue;
        search.offerFallback(candidate);
        anyPair = true;
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 3: the rcspath templates below the rcswork root; they give the
// fallback only when no pair applied. template_error keeps the code of the
// last template that did not expand.
std::optional<int> searchTemplates(PathEnvironment& env, const std::string& work, ArchiveSearch& search,
                                    bool anyPair, int& templateError)
{
    std::string root;
    if (int r = absoluteRoot(env, env.optionValue("rcswork").value_or(""), root); r != err::kSuccess)
        return r;
    for (const std::string& t : splitTemplateList(env.optionValue("rcspath"))) {
        std::string candidate;
        const int r = expandForRoot(env, root, work, t, candidate);
        if (r == err::kCannotMakeArchiveName || r == err::kNoCurrentDirectory)
            return r;
        if (r != err::kSuccess) {
            templateError = r;
            continue;
        }
        if (!anyPair)
            search.offerFallback(candidate);
        if (auto end = search.test(candidate))
            return end;
    }
    return std::nullopt;
}

// Step 4: nothing found. The new archive's name is handed out and, when
// asked, the archive created there.
int noArchiveFound(PathEnvironment& env, const std::string& work, const ArchiveSearch& search,
                     int templateError, char* buffer, int length, int* handle, int flags)
{
    std::optional<std::string> newName = search.newName();
    if (!newName)
        return templateError != err::kSuccess ? templateError : err::kArchiveMissing;
    if (int r = copyResult(env, *newName, buffer, length); r != err::kSuccess)
        return r;
    if (pathsEqual(*newName, work))
        return err::kWorkEqualsArchive;
    if ((flags & kModeCreate) == 0)
        return err::kArchiveMissing;
    return createArchive(env, *newName, handle, flags | kModeWrite | kModeCreate);
}

}  // namespace

int findArchiveName(PathEnvironment& env, const char* name, char* buffer, int length,
                      int* handle, int flags)
{
    if (name == nullptr || buffer == nullptr)
        return err::kBadArgument;
    if (handle != nullptr)
        *handle = 0;
    std::string work;
    if (int r = absoluteName(env, name, work); r != err::kSuccess)
        return r;

    const bool create = (flags & kModeCreate) != 0;
    const int searchMode = create ? ((flags & ~kModeCreate) | kModeWrite) : flags;
    ArchiveSearch search(env, work, buffer, length, handle, searchMode);
    bool anyPair = false;
    if (auto end = searchProjectPairs(env, work, search, anyPair))
        return *end;
    if (auto end = searchInstancePairs(env, work, search, anyPair))
        return *end;
    int templateError = err::kSuccess;
    if (auto end = searchTemplates(env, work, search, anyPair, templateError))
        return *end;
    return noArchiveFound(env, work, search, templateError, buffer, length, handle, flags);
}

int findWorkName(PathEnvironment& env, const char* archive, char* buffer, int length)
{
    if (archive == nullptr || buffer == nullptr)
        return err::kBadArgument;
    std::string absolute;
    int r = absoluteName(env, archive, absolute);
    if (r != err::kSuccess)
        return r;
    std::optional<std::string> work = findWorkingName(env, absolute, r);
    if (r != err::kSuccess)
        return r;
    if (!work)
        return err::kNoWorkFileName;
    if (pathsEqual(*work, absolute))
        return err::kWorkEqualsArchive;
    return copyResult(env, *work, buffer, length);
}

}  // namespace vc
