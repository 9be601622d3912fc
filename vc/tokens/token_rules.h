// The syntax of the names an archive records (user names, states, revision
// numbers, labels), of configuration lines and name formats, and the form in
// which a revision date is shown.
//
// One home for rules that both the library proper (vcValidateToken, the
// information items, user names) and the keyword library (values taken over
// from a working file at check-in, the Date keyword) apply, so that a name
// one of them accepts the other accepts too.
#pragma once

#include <string>
#include <string_view>

namespace vc {

// A character that may follow the first one of a user name or state:
// printable ASCII 0x21 to 0x7E other than ';', ':', '@' and ','.
bool isNameTailChar(char c);

// A user name: '_' or a letter first (also a digit when `digit_first`, which
// is the case unless the option `vanillarcs` is set), then name characters.
bool isUserName(std::string_view text, bool digitFirst);

// A state: '_' or a letter first, then name characters.
bool isState(std::string_view text);

// A revision number: decimal fields joined by single dots, at least two, none
// empty and none with a leading zero other than "0" itself.
bool isRevisionNumber(std::string_view text);

// A label: '_' or a letter first, then letters, digits and '_'.
bool isLabel(std::string_view text);

// A configuration line as vcValidateToken accepts it: after leading white
// space a letter; then, for the pair options (worktoarch, workmap,
// autoaction, any letter case) an '=' somewhere later; for any other option
// letters, digits, white space and '_' up to the first '#' or '=' (or the end).
bool isConfigLine(std::string_view text);

// A name format: every '%' followed by 'v', 'd' or 'f'.
bool isNameFormat(std::string_view text);

// A stored revision date "2024.01.02.03.04.05" (two- or four-digit year) as
// shown to people, "2024/01/02 03:04:05": of the dots the first two become
// '/', the third a blank and the later ones ':'.
std::string displayDate(std::string_view storedDate);

}  // namespace vc
