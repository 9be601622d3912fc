// Finds keyword markers inside one line of text: "$Name$" (bare) or
// "$Name: value$" (expanded). Check-out uses it to expand and collapse,
// check-in to collapse a working file and to take values over from it.
//
// A marker opens with '$' and closes with the next '$' of the same line (a
// line ends at a line feed). The name runs from after the opening '$' to the
// first ':' between the two, or to the closing '$'. A marker whose inner text
// begins with "Setting " is the Setting keyword whatever follows: its option
// name is the text after the blank and further white space, up to the ':' or
// the closing '$'. A name that is not a keyword is not a marker; the search
// then goes on from its closing '$', which may open the next marker.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "vc/revisions/keywords/keyword_table.h"

namespace vc {

struct KeywordMarker {
    Keyword keyword;
    std::size_t begin;        // offset of the opening '$'
    std::size_t end;          // offset one past the closing '$'
    std::string_view option;  // Setting only: the option name as written, trailing white space dropped
    bool hasValue;           // a ':' follows the name
    std::string_view value;   // the text between the ':' and the closing '$' (raw, blanks included)
};

// The first marker of `line` that begins at or after `from`, or none. Only
// the text up to the first line feed at or after `from` is searched.
std::optional<KeywordMarker> findKeywordMarker(std::string_view line, std::size_t from = 0);

// The name written between the dollars when the marker is written again:
// the keyword's name, for Setting followed by a blank and the option name.
std::string markerName(const KeywordMarker& marker);

}  // namespace vc
