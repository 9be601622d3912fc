// The text table itself: a sorted constant array searched by number. Texts
// are kept byte for byte as the program has always shown them (note the two
// blanks after "Number." and the doubled '%' of texts used as formats).
#include "shell/string_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace orv::shell {

namespace {

using Entry = std::pair<int, std::string_view>;

constexpr std::array kStrings = {
    Entry{0, "Orv Tessalyworkbench"},
    Entry{13, "ORVTY.HLP"},
    Entry{14, "TESSALY.HLP"},
    Entry{520, "Illegal Label. Must be alphanumeric characters, leading alphabetic character."},
    Entry{521, "Illegal State. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), "
               "leading alphabetic character."},
    Entry{522, "Illegal Author. Must be ASCII printing characters (except <space>, <tab>, <; : , @>), "
               "leading alphabetic character."},
    Entry{523, "Illegal Revision Number.  Must be digit sequences separated by periods, nonzero "
               "leading digit in each sequence."},
    Entry{525, "Illegal Branch. Must be a valid Label (alphanumeric characters, leading "
               "alphabetic), or a valid Revision Number (digit sequences separated by periods, "
               "nonzero leading digit in each sequence)."},
    Entry{526, "Illegal Attribute. Must be one of the following forms:\nVariable\nVariable=Value\n"
               "Variable and Value are alphanumeric characters, leading alphabetic character."},
    Entry{620, "Too many files selected!  Try again with fewer."},
    Entry{676, "Orv Tessalyworkbench Assertion Failure"},
    Entry{677, "Internal error.\nFile %s line %u"},
    Entry{727, "Launches"},
    Entry{738, "Could not create directory %s."},
    Entry{773, "Illegal validator type."},
    Entry{774, "Unable to validate the contents of the entry field."},
    Entry{776, "Illegal Archive Path. Only '%%v', '%%d', and '%%f' are valid variables."},
    Entry{797, "Unable to create a temporary file - set the environment variable TMPDIR to point "
               "to the directory where temporary files should be created."},
    Entry{10001, "Revision Server"},
    Entry{10002, "System"},
    Entry{10003, "CreateArchive"},
    Entry{10004, "CreateProject"},
    Entry{10005, "OpenArchive"},
    Entry{10006, "OpenProject"},
    Entry{10007, "CheckIn"},
    Entry{10008, "CheckOut"},
    Entry{10009, "Convert"},
    Entry{10010, "Configuration ;"},
    Entry{10011, "Diff"},
    Entry{10012, "Help ;"},
    Entry{10013, "About ;"},
};

static_assert(std::is_sorted(kStrings.begin(), kStrings.end(),
                             [](const Entry& a, const Entry& b) { return a.first < b.first; }));

}  // namespace

std::string_view loadString(int id) {
  auto it = std::lower_bound(kStrings.begin(), kStrings.end(), id,
                             [](const Entry& e, int v) { return e.first < v; });
  return it != kStrings.end() && it->first == id ? it->second : std::string_view{};
}

}  // namespace orv::shell
