// Names of the keywords, indexed by their fixed order.
#include "vc/revisions/keywords/keyword_table.h"

#include <array>

namespace vc {
namespace {

constexpr std::array<std::string_view, kKeywordCount> kNames = {
    "Author", "Date",   "Header", "Id",          "Locker",          "Log",     "Name",
    "RCSfile", "Revision", "Source", "State", "ProjectName", "ProjectRevision", "Setting",
};

}  // namespace

std::string_view keywordName(Keyword keyword)
{
    return kNames[static_cast<std::size_t>(keyword)];
}

std::optional<Keyword> keywordFromName(std::string_view name)
{
    for (std::size_t k = 0; k < kNames.size(); ++k) {
        if (kNames[k] == name) {
            return static_cast<Keyword>(k);
        }
    }
    return std::nullopt;
}

}  // namespace vc
