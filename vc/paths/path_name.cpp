// Path normalisation, comparison, splitting and absolute names: pure string
// work, no file-system access.
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool charsEqual(char a, char b)
{
    if (isSeparator(a) && isSeparator(b))
        return true;
    return foldAscii(a) == foldAscii(b);
}

// The base with its last directory removed, never past the root or volume.
std::string parentOf(std::string_view base)
{
    std::size_t volume = volumeLength(base);
    std::size_t end = base.size();
    while (end > volume + 1 && base[end - 1] == '/')
        --end;
    std::size_t slash = base.find_last_of('/', end == 0 ? 0 : end - 1);
    if (slash == std::string_view::npos || slash < volume)
        return std::string(base.substr(0, volume));  // "c:" or "": nothing to remove
    // Keep the separator when it is the root ("/" or "c:/"); for "//server"
    // style names the leading pair stays as well.
    if (slash == volume)
        return std::string(base.substr(0, volume + 1));
    if (slash == volume + 1 && base[volume] == '/')
        return std::string(base.substr(0, volume + 2));
    return std::string(base.substr(0, slash));
}

void appendJoined(std::string& out, std::string_view piece)
{
    if (piece.empty())
        return;
    if (!out.empty() && out.back() == '/' && piece.front() == '/')
        piece.remove_prefix(1);
    else if (!out.empty() && out.back() != '/' && piece.front() != '/')
        out += '/';
    out += piece;
}

}  // namespace

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string normalizePath(std::string_view name, bool preserveCase)
{
    std::string out = orv::fs::forward_slashes(name);
    if (!preserveCase)
        for (char& c : out)
            c = foldAscii(c);
    return out;
}

bool pathsEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && pathStartsWith(a, b);
}

bool pathStartsWith(std::string_view name, std::string_view prefix)
{
    if (prefix.size() > name.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!charsEqual(name[i], prefix[i]))
            return false;
    return true;
}

std::size_t volumeLength(std::string_view name)
{
    return name.size() >= 2 && isAsciiLetter(name[0]) && name[1] == ':' ? 2 : 0;
}

PathParts splitPath(std::string_view name)
{
    PathParts parts;
    parts.volume = volumeLength(name);
    std::size_t slash = name.find_last_of("/\\");
    std::size_t fileStart = (slash == std::string_view::npos || slash < parts.volume) ? parts.volume : slash + 1;
    parts.directory = fileStart - parts.volume;
    parts.file = name.size() - fileStart;
    return parts;
}

std::string trimRoot(std::string_view root)
{
    std::size_t volume = volumeLength(root);
    std::size_t end = root.size();
    while (end > volume + 1 && root[end - 1] == '/')
        --end;
    return std::string(root.substr(0, end));
}

RootSplitResult splitAgainstRoot(std::string_view rootIn, std::string_view name, RootSplit& out)
{
    out = RootSplit{};
    std::string root = trimRoot(rootIn);
    PathParts parts = splitPath(name);
    out.fileVolume = std::string(name.substr(0, parts.volume));
    out.fileName = std::string(name.substr(parts.volume + parts.directory));
    std::string_view directory = name.substr(parts.volume, parts.directory);

    if (root.empty()) {
        out.relativeDirectory = std::string(directory);
    } else {
        // The name must start with the root at a separator boundary. The
        // root's parts are taken from the name, so that its spelling is kept.
        if (!pathStartsWith(name, root))
            return RootSplitResult::not_contained;
        std::size_t rootVolume = volumeLength(root);
        out.rootVolume = std::string(name.substr(0, rootVolume));
        out.rootDirectory = std::string(name.substr(rootVolume, root.size() - rootVolume));
        std::size_t below = root.size();
        if (root.back() != '/') {
            if (below == name.size())
                return RootSplitResult::no_file;  // the name is the root itself
            if (name[below] != '/')
                return RootSplitResult::not_contained;
            ++below;
        }
        std::size_t directoryEnd = parts.volume + parts.directory;
        if (below > directoryEnd)
            return RootSplitResult::no_file;  // the name is the root itself
        out.relativeDirectory = std::string(name.substr(below, directoryEnd - below));
    }
    if (out.fileName.empty())
        return RootSplitResult::no_file;
    return RootSplitResult::ok;
}

std::string makeAbsoluteName(std::string_view baseIn, std::string_view name)
{
    std::string base = trimRoot(baseIn);
    if (!name.empty() && name[0] == '/') {
        if (name.size() >= 2 && name[1] == '/')
            return std::string(name);  // "//server/share/...": already complete
        return base.substr(0, volumeLength(base)) + std::string(name);
    }
    if (name.starts_with("$(") || volumeLength(name) != 0)
        return std::string(name);

    std::string directory = base;
    std::string_view rest = name;
    for (;;) {
        if (rest.starts_with("./")) {
            rest.remove_prefix(2);
        } else if (rest == ".") {
            rest = {};
        } else if (rest.starts_with("../")) {
            rest.remove_prefix(3);
            directory = parentOf(directory);
        } else if (rest == "..") {
            rest = {};
            directory = parentOf(directory);
        } else {
            break;
        }
        while (rest.starts_with("/"))
            rest.remove_prefix(1);
    }
    if (rest.ends_with("/."))
        rest.remove_suffix(2);
    std::string out = directory;
    appendJoined(out, rest);
    return out;
}

}  // namespace vc
