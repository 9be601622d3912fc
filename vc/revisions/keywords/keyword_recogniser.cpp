// Keyword marker recognition within one line.
#include "vc/revisions/keywords/keyword_recogniser.h"

namespace vc {
namespace {

constexpr std::string_view kSettingPrefix = "Setting ";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<KeywordMarker> findKeywordMarker(std::string_view line, std::size_t from)
{
    std::size_t lineEnd = line.find('\n', from);
    if (lineEnd != std::string_view::npos) {
        line = line.substr(0, lineEnd);
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
        marker.hasValue = colon != std::string_view::npos;
        if (marker.hasValue) {
            marker.value = inner.substr(colon + 1);
        }
        if (inner.starts_with(kSettingPrefix)) {
            marker.keyword = Keyword::Setting;
            marker.option = trimBlanks(name.substr(kSettingPrefix.size()));
            return marker;
        }
        if (std::optional<Keyword> keyword = keywordFromName(name)) {
            marker.keyword = *keyword;
            return marker;
        }
        open = close;
    }
    return std::nullopt;
}

std::string markerName(const KeywordMarker& marker)
{
    std::string name(keywordName(marker.keyword));
    if (marker.keyword == Keyword::Setting && !marker.option.empty()) {
        name += ' ';
        name.append(marker.option);
    }
    return name;
}

}  // namespace vc
