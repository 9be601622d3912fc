// Keyword collapse and value harvesting over a working file's text.
#include "vc/revisions/keywords/keyword_checkin.h"

#include <vector>

#include "vc/error_codes.h"
#include "vc/revisions/keywords/keyword_recogniser.h"
#include "vc/tokens/token_rules.h"

namespace vc {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An author or locker: a user name, which may begin with a digit unless the
// option `vanillarcs` is set.
bool isUser(std::string_view text, const HarvestRules& rules)
{
    return isUserName(text, !rules.vanillaRcs);
}

// Splits at `separator` into three fields of digits, each two wide except a
// leading year, which may also be four wide.
bool splitNumbers(std::string_view text, char separator, bool yearFirst, std::vector<std::string_view>& out)
{
    out.clear();
    std::size_t pos = 0;
    while (true) {
        std::size_t cut = text.find(separator, pos);
        out.push_back(text.substr(pos, cut == std::string_view::npos ? std::string_view::npos : cut - pos));
        if (cut == std::string_view::npos) {
            break;
        }
        pos = cut + 1;
    }
    if (out.size() != 3) {
        return false;
    }
    for (std::size_t k = 0; k < out.size(); ++k) {
        std::size_t width = out[k].size();
        bool widthOk = (k == 0 && yearFirst) ? (width == 2 || width == 4) : width == 2;
        if (!widthOk) {
            return false;
        }
        for (char c : out[k]) {
            if (!isDigit(c)) {
                return false;
            }
        }
    }
    return true;
}

// "2024/01/02" and "03:04:05" as shown, to the stored "2024.01.02.03.04.05".
std::optional<std::string> storedDate(std::string_view day, std::string_view time)
{
    std::vector<std::string_view> dayFields;
    std::vector<std::string_view> timeFields;
    if (!splitNumbers(day, '/', true, dayFields) || !splitNumbers(time, ':', false, timeFields)) {
        return std::nullopt;
    }
    std::string out;
    for (std::string_view field : dayFields) {
        out.append(field).append(".");
    }
    out.append(timeFields[0]).append(".").append(timeFields[1]).append(".").append(timeFields[2]);
    return out;
}

// The value between the single blanks after the colon: ": value $".
std::optional<std::string_view> framedValue(const KeywordMarker& marker)
{
    std::string_view raw = marker.value;
    if (raw.size() < 3 || raw.front() != ' ' || raw.back() != ' ') {
        return std::nullopt;
    }
    std::string_view inner = raw.substr(1, raw.size() - 2);
    if (inner.front() == ' ' || inner.back() == ' ') {
        return std::nullopt;
    }
    return inner;
}

std::vector<std::string_view> splitBlanks(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (true) {
        std::size_t cut = text.find(' ', pos);
        fields.push_back(text.substr(pos, cut == std::string_view::npos ? std::string_view::npos : cut - pos));
        if (cut == std::string_view::npos) {
            return fields;
        }
        pos = cut + 1;
    }
}

void take(std::optional<std::string>& field, std::string_view value)
{
    if (!field) {
        field = std::string(value);
    }
}

// Header and Id: path (which may hold blanks), revision, day, time, author,
// state and an optional locker. The path ends where the rest fits.
int harvestHeader(std::string_view value, HarvestedKeywords& values, const HarvestRules& rules)
{
    std::vector<std::string_view> fields = splitBlanks(value);
    for (std::size_t rev = 1; rev + 5 <= fields.size(); ++rev) {
        if (rev + 6 < fields.size()) {
            continue;  // more fields than a locker would explain: the path goes on
        }
        std::optional<std::string> date = storedDate(fields[rev + 1], fields[rev + 2]);
        if (!isRevisionNumber(fields[rev]) || !date || !isUser(fields[rev + 3], rules) ||
            !isState(fields[rev + 4]) || (rev + 6 == fields.size() && !isUser(fields[rev + 5], rules))) {
            continue;
        }
        take(values.revision, fields[rev]);
        take(values.date, *date);
        take(values.author, fields[rev + 3]);
        take(values.state, fields[rev + 4]);
        return err::kSuccess;
    }
    return err::kBadKeywordExpansion;
}

int harvestMarker(const KeywordMarker& marker, HarvestedKeywords& values, const HarvestRules& rules)
{
    switch (marker.keyword) {
    case Keyword::Author:
    case Keyword::Date:
    case Keyword::Header:
    case Keyword::Id:
    case Keyword::Revision:
    case Keyword::State:
        break;
    default:
        return err::kSuccess;
    }
    if (!marker.hasValue) {
        return err::kSuccess;  // bare: nothing to take over
    }
    std::optional<std::string_view> value = framedValue(marker);
    if (!value) {
        return err::kBadKeywordExpansion;
    }
    switch (marker.keyword) {
    case Keyword::Author:
        if (!isUser(*value, rules)) {
            return err::kBadKeywordExpansion;
        }
        take(values.author, *value);
        return err::kSuccess;
    case Keyword::State:
        if (!isState(*value)) {
            return err::kBadKeywordExpansion;
        }
        take(values.state, *value);
        return err::kSuccess;
    case Keyword::Revision:
        if (!isRevisionNumber(*value)) {
            return err::kBadKeywordExpansion;
        }
        take(values.revision, *value);
        return err::kSuccess;
    case Keyword::Date: {
        std::vector<std::string_view> fields = splitBlanks(*value);
        std::optional<std::string> date;
        if (fields.size() == 2) {
            date = storedDate(fields[0], fields[1]);
        }
        if (!date) {
            return err::kBadKeywordExpansion;
        }
        take(values.date, *date);
        return err::kSuccess;
    }
    default:
        return harvestHeader(*value, values, rules);
    }
}

// Calls `visit` for each line of `text` (with its line feed, when it has one).
template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        if (!visit(text.substr(pos, end - pos))) {
            return;
        }
        pos = end;
    }
}

}  // namespace

std::string collapseKeywords(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    forEachLine(text, [&out](std::string_view line) {
        std::size_t pos = 0;
        while (std::optional<KeywordMarker> marker = findKeywordMarker(line, pos)) {
            out.append(line.substr(pos, marker->begin - pos));
            out.append("$").append(markerName(*marker)).append("$");
            pos = marker->end;
        }
        out.append(line.substr(pos));
        return true;
    });
    return out;
}

int harvestKeywordValues(std::string_view text, HarvestedKeywords& values, const HarvestRules& rules)
{
    int result = err::kSuccess;
    forEachLine(text, [&](std::string_view line) {
        std::size_t pos = 0;
        while (std::optional<KeywordMarker> marker = findKeywordMarker(line, pos)) {
            result = harvestMarker(*marker, values, rules);
            if (result != err::kSuccess) {
                return false;
            }
            pos = marker->end;
        }
        return true;
    });
    return result;
}

}  // namespace vc
