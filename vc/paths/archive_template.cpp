// Template expansion (working file to archive name) and the reverse match
// (archive name to working file).
#include "vc/paths/archive_template.h"

#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {

namespace {

// Appends `piece`, never writing a doubled separator at the join.
void writePiece(std::string& out, std::string_view piece)
{
    if (!piece.empty() && !out.empty() && out.back() == '/' && piece.front() == '/')
        piece.remove_prefix(1);
    out += piece;
}

// Removes doubled separators, keeping a leading "//" (a server name).
std::string collapseSeparators(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '/' && !out.empty() && out.back() == '/' && i != 1)
            continue;
        out += name[i];
    }
    return out;
}

ExpandResult toExpandResult(RootSplitResult r)
{
    switch (r) {
    case RootSplitResult::ok: return ExpandResult::ok;
    case RootSplitResult::not_contained: return ExpandResult::not_contained;
    case RootSplitResult::no_file: break;
    }
    return ExpandResult::no_file;
}

// One element of a parsed template.
struct Element {
    enum Kind { literal, volume, directory, file } kind;
    std::string text;  // literal text
};

std::vector<Element> parseTemplate(std::string_view t)
{
    std::vector<Element> elements;
    auto addLiteral = [&](std::string_view text) {
        if (!elements.empty() && elements.back().kind == Element::literal)
            elements.back().text += text;
        else
            elements.push_back({Element::literal, std::string(text)});
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%' || i + 1 == t.size()) {
            addLiteral(t.substr(i, 1));
            continue;
        }
        char code = t[++i];
        switch (code) {
        case 'v': elements.push_back({Element::volume, {}}); break;
        case 'd': elements.push_back({Element::directory, {}}); break;
        case 'f': elements.push_back({Element::file, {}}); break;
        case '%': addLiteral("%"); break;
        default: addLiteral(t.substr(i - 1, 2)); break;
        }
    }
    return elements;
}

// Backtracking matcher over the parsed template. "%d" and "%f" try their
// longest span first, so "%d" ends at the rightmost place where the rest of
// the template matches, as the search from the right for the next literal.
class TemplateMatcher {
public:
    TemplateMatcher(const std::vector<Element>& elements, std::string_view name)
        : elements_(elements), name_(name) {}

    bool match() { return matchFrom(0, 0); }

    std::string volume, directory, file;
    bool hasDirectory = false;

private:
    bool matchFrom(std::size_t e, std::size_t pos)
    {
        if (e == elements_.size())
            return pos == name_.size();
        const Element& element = elements_[e];
        switch (element.kind) {
        case Element::literal:
            return matchLiteral(e, pos);
        case Element::volume:
            if (pos == 0 && volumeLength(name_) != 0) {
                volume = std::string(name_.substr(0, 2));
                if (matchFrom(e + 1, 2))
                    return true;
            }
            volume.clear();
            return matchFrom(e + 1, pos);
        case Element::directory:
            hasDirectory = true;
            for (std::size_t end = name_.size() + 1; end-- > pos;) {
                if (!endsDirectory(pos, end))
                    continue;
                directory = std::string(name_.substr(pos, end - pos));
                if (matchFrom(e + 1, end))
                    return true;
            }
            return false;
        case Element::file: {
            std::size_t limit = name_.find_first_of("/\\", pos);
            if (limit == std::string_view::npos)
                limit = name_.size();
            for (std::size_t end = limit; end > pos; --end) {
                file = std::string(name_.substr(pos, end - pos));
                if (matchFrom(e + 1, end))
                    return true;
            }
            return false;
        }
        }
        return false;
    }

    // A directory part is empty or ends at a separator.
    bool endsDirectory(std::size_t pos, std::size_t end) const
    {
        auto separator = [](char c) { return c == '/' || c == '\\'; };
        return end == pos || end == name_.size() || separator(name_[end - 1]) || separator(name_[end]);
    }

    bool matchLiteral(std::size_t e, std::size_t pos)
    {
        std::string_view text = elements_[e].text;
        Element::Kind before = e > 0 ? elements_[e - 1].kind : Element::literal;
        // The expansion never writes the ":" that follows "%v" after a
        // volume (or when nothing was written).
        if (before == Element::volume && text.front() == ':') {
            text.remove_prefix(1);
            if (text.empty())
                return matchFrom(e + 1, pos);
        }
        std::string_view rest = name_.substr(pos);
        if (pathStartsWith(rest, text) && matchFrom(e + 1, pos + text.size()))
            return true;
        // ... nor the separator that follows "%d" when the output already
        // ended in one or was empty.
        if (before == Element::directory && text.front() == '/' &&
            (directory.empty() || directory.back() == '/')) {
            std::string_view shorter = text.substr(1);
            if (pathStartsWith(rest, shorter) && matchFrom(e + 1, pos + shorter.size()))
                return true;
        }
        return false;
    }

    const std::vector<Element>& elements_;
    std::string_view name_;
};

// The candidate working name must lie below a non-empty root.
std::optional<std::string> belowRoot(std::string_view root, std::string candidate)
{
    candidate = collapseSeparators(candidate);
    if (!root.empty()) {
        RootSplit split;
        if (splitAgainstRoot(root, candidate, split) != RootSplitResult::ok)
            return std::nullopt;
    } else if (splitPath(candidate).file == 0) {
        return std::nullopt;
    }
    return candidate;
}

std::string rooted(std::string_view path)
{
    if (path.starts_with("/") || path.starts_with("$("))
        return std::string(path);
    return "/" + std::string(path);
}

}  // namespace

ExpandResult expandArchiveTemplate(std::string_view archiveTemplate, std::string_view root,
                                     std::string_view name, std::string& out)
{
    out.clear();
    RootSplit split;
    RootSplitResult r = splitAgainstRoot(root, name, split);
    if (r != RootSplitResult::ok)
        return toExpandResult(r);

    auto writeDirectory = [&] {
        writePiece(out, split.rootDirectory);
        if (!split.rootDirectory.empty())
            writePiece(out, "/");
        writePiece(out, split.relativeDirectory);
    };

    if (archiveTemplate.find('%') == std::string_view::npos) {
        // A directory: the working tree is mirrored below it.
        out = std::string(archiveTemplate);
        writePiece(out, "/");
        writeDirectory();
        writePiece(out, "/");
        writePiece(out, split.fileName);
        out = collapseSeparators(out);
        return ExpandResult::ok;
    }

    const std::string_view t = archiveTemplate;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c != '%' || i + 1 == t.size()) {
            // A literal; a separator is never doubled, except a leading "//".
            if (c == '/' && !out.empty() && out.back() == '/' && !(i == 1 && t[0] == '/'))
                continue;
            out += c;
            continue;
        }
        char code = t[++i];
        switch (code) {
        case '%':
            out += '%';
            break;
        case 'v':
            if (out.empty())
                out += split.rootVolume.empty() ? split.fileVolume : split.rootVolume;
            if (i + 1 < t.size() && t[i + 1] == ':' && (out.empty() || out.back() == ':'))
                ++i;
            break;
        case 'd':
            writeDirectory();
            if (i + 1 < t.size() && t[i + 1] == '/' && (out.empty() || out.back() == '/'))
                ++i;
            break;
        case 'f':
            writePiece(out, split.fileName);
            break;
        default:
            out += '%';
            out += code;
            break;
        }
    }
    return ExpandResult::ok;
}

std::optional<std::string> matchArchiveTemplate(std::string_view archiveTemplate,
                                                  std::string_view archiveName,
                                                  std::string_view rootIn)
{
    std::string root = trimRoot(rootIn);

    if (archiveTemplate.find('%') == std::string_view::npos) {
        std::string directory = trimRoot(archiveTemplate);
        if (directory.empty() || !pathStartsWith(archiveName, directory))
            return std::nullopt;
        std::size_t below = directory.size();
        if (directory.back() != '/') {
            if (below >= archiveName.size() || archiveName[below] != '/')
                return std::nullopt;
        }
        std::string rest = rooted(archiveName.substr(below));
        std::string volume = root.substr(0, volumeLength(root));
        return belowRoot(root, volume + rest);
    }

    std::vector<Element> elements = parseTemplate(archiveTemplate);
    TemplateMatcher matcher(elements, archiveName);
    if (!matcher.match())
        return std::nullopt;
    if (!matcher.hasDirectory) {
        // Only the file name was kept: the working file lies in the root.
        std::string candidate = root.empty() ? matcher.volume : root;
        candidate += "/" + matcher.file;
        return belowRoot(root, candidate);
    }
    std::string volume = matcher.volume.empty() ? root.substr(0, volumeLength(root)) : matcher.volume;
    std::string path = rooted(matcher.directory);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return belowRoot(root, volume + path + matcher.file);
}

std::vector<std::string> splitTemplateList(std::optional<std::string_view> rcspath)
{
    std::vector<std::string> templates;
    if (rcspath) {
        std::string_view rest = *rcspath;
        while (true) {
            std::size_t cut = rest.find(';');
            std::string_view entry = rest.substr(0, cut);
            while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
                entry.remove_prefix(1);
            while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t'))
                entry.remove_suffix(1);
            if (!entry.empty())
                templates.push_back(orv::fs::forward_slashes(entry));
            if (cut == std::string_view::npos)
                break;
            rest.remove_prefix(cut + 1);
        }
    }
    if (templates.empty())
        templates.push_back(orv::fs::forward_slashes(kDefaultArchiveTemplate));
    return templates;
}

}  // namespace vc
