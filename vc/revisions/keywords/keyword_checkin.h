// What check-in does with the keywords of a working file: collapse them to
// their bare form before the text is stored, or take their values over as
// the new revision's author, date, state and number.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vc {

// The text with every recognised keyword marker written bare: "$Name$", or
// "$Setting option$" for the Setting keyword. Everything else is unchanged.
std::string collapseKeywords(std::string_view text);

// Values found in a working file's expanded keywords.
struct HarvestedKeywords {
    std::optional<std::string> author;
    std::optional<std::string> date;      // in the stored form "2024.01.02.03.04.05"
    std::optional<std::string> state;
    std::optional<std::string> revision;  // checked for syntax only; its place in the tree is the caller's
};

struct HarvestRules {
    bool vanillaRcs = false;  // the option `vanillarcs`: a user name may not begin with a digit
};

// Reads the expanded Author, Date, State and Revision keywords, and the
// fields of Header and Id (path, revision, date, time, author, state and an
// optional locker), of one line or of a whole text. The first value found
// for a field wins; bare keywords and the other keywords are passed over.
// A harvested keyword's value must stand between single blanks after its
// colon and be valid for its field, else the answer is 57; otherwise 0.
int harvestKeywordValues(std::string_view text, HarvestedKeywords& values, const HarvestRules& rules = {});

}  // namespace vc
