// Keyword marker recognition within one line.
#include "vc/revisions/keywords/keyword_recogniser.h"

namespace vc {
namespace {

constexpr std::string_view kSettingPrefix = "Setting ";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view text)
{
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<KeywordMarker> find_keyword_marker(std::string_view line, std::size_t from)
{
    std::size_t line_end = line.find('\n', from);
    if (line_end != std::string_view::npos) {
        line = line.substr(0, line_end);
    }
    std::size_t open = line.find('$', from);
    while (open != std::string_view::npos) {
        std::size_t close = line.find('$', open + 1);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        std::string_view inner = line.substr(open + 1, close - open - 1);
        std::size_t colon = inner.find(':');
        std::string_view name = inner.substr(0, colon);
        KeywordMarker marker{};
        marker.begin = open;
        marker.end = close + 1;
        marker.has_value = colon != std::string_view::npos;
        if (marker.has_value) {
            marker.value = inner.substr(colon + 1);
        }
        if (inner.starts_with(kSettingPrefix)) {
            marker.keyword = Keyword::Setting;
            marker.option = trim_blanks(name.substr(kSettingPrefix.size()));
            return marker;
        }
        if (std::optional<Keyword> keyword = keyword_from_name(name)) {
            marker.keyword = *keyword;
            return marker;
        }
        open = close;
    }
    return std::nullopt;
}

std::string marker_name(const KeywordMarker& marker)
{
    std::string name(keyword_name(marker.keyword));
    if (marker.keyword == Keyword::Setting && !marker.option.empty()) {
        name += ' ';
        name.append(marker.option);
    }
    return name;
}

}  // namespace vc
