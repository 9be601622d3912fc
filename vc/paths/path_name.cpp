// Path normalisation, comparison, splitting and absolute names: pure string
// work, no file-system access.
#include "vc/paths/path_name.h"
#include "fs/path_separators.h"

namespace vc {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool chars_equal(char a, char b)
{
    if (is_separator(a) && is_separator(b))
        return true;
    return fold_ascii(a) == fold_ascii(b);
}

// The base with its last directory removed, never past the root or volume.
std::string parent_of(std::string_view base)
{
    std::size_t volume = volume_length(base);
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

void append_joined(std::string& out, std::string_view piece)
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

char fold_ascii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string normalize_path(std::string_view name, bool preserve_case)
{
    std::string out = orv::fs::forward_slashes(name);
    if (!preserve_case)
        for (char& c : out)
            c = fold_ascii(c);
    return out;
}

bool paths_equal(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && path_starts_with(a, b);
}

bool path_starts_with(std::string_view name, std::string_view prefix)
{
    if (prefix.size() > name.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (!chars_equal(name[i], prefix[i]))
            return false;
    return true;
}

std::size_t volume_length(std::string_view name)
{
    return name.size() >= 2 && is_ascii_letter(name[0]) && name[1] == ':' ? 2 : 0;
}

PathParts split_path(std::string_view name)
{
    PathParts parts;
    parts.volume = volume_length(name);
    std::size_t slash = name.find_last_of("/\\");
    std::size_t file_start = (slash == std::string_view::npos || slash < parts.volume) ? parts.volume : slash + 1;
    parts.directory = file_start - parts.volume;
    parts.file = name.size() - file_start;
    return parts;
}

std::string trim_root(std::string_view root)
{
    std::size_t volume = volume_length(root);
    std::size_t end = root.size();
    while (end > volume + 1 && root[end - 1] == '/')
        --end;
    return std::string(root.substr(0, end));
}

RootSplitResult split_against_root(std::string_view root_in, std::string_view name, RootSplit& out)
{
    out = RootSplit{};
    std::string root = trim_root(root_in);
    PathParts parts = split_path(name);
    out.file_volume = std::string(name.substr(0, parts.volume));
    out.file_name = std::string(name.substr(parts.volume + parts.directory));
    std::string_view directory = name.substr(parts.volume, parts.directory);

    if (root.empty()) {
        out.relative_directory = std::string(directory);
    } else {
        // The name must start with the root at a separator boundary. The
        // root's parts are taken from the name, so that its spelling is kept.
        if (!path_starts_with(name, root))
            return RootSplitResult::not_contained;
        std::size_t root_volume = volume_length(root);
        out.root_volume = std::string(name.substr(0, root_volume));
        out.root_directory = std::string(name.substr(root_volume, root.size() - root_volume));
        std::size_t below = root.size();
        if (root.back() != '/') {
            if (below == name.size())
                return RootSplitResult::no_file;  // the name is the root itself
            if (name[below] != '/')
                return RootSplitResult::not_contained;
            ++below;
        }
        std::size_t directory_end = parts.volume + parts.directory;
        if (below > directory_end)
            return RootSplitResult::no_file;  // the name is the root itself
        out.relative_directory = std::string(name.substr(below, directory_end - below));
    }
    if (out.file_name.empty())
        return RootSplitResult::no_file;
    return RootSplitResult::ok;
}

std::string make_absolute_name(std::string_view base_in, std::string_view name)
{
    std::string base = trim_root(base_in);
    if (!name.empty() && name[0] == '/') {
        if (name.size() >= 2 && name[1] == '/')
            return std::string(name);  // "//server/share/...": already complete
        return base.substr(0, volume_length(base)) + std::string(name);
    }
    if (name.starts_with("$(") || volume_length(name) != 0)
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
            directory = parent_of(directory);
        } else if (rest == "..") {
            rest = {};
            directory = parent_of(directory);
        } else {
            break;
        }
        while (rest.starts_with("/"))
            rest.remove_prefix(1);
    }
    if (rest.ends_with("/."))
        rest.remove_suffix(2);
    std::string out = directory;
    append_joined(out, rest);
    return out;
}

}  // namespace vc
