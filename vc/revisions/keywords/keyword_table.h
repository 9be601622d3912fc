// The keywords that check-out fills in, in their fixed order. The order is
// part of the interface: check-in's value parser refers to keywords by it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vc {

enum class Keyword : int {
    Author = 0,
    Date,
    Header,
    Id,
    Locker,
    Log,
    Name,
    RCSfile,
    Revision,
    Source,
    State,
    ProjectName,
    ProjectRevision,
    Setting,
};

inline constexpr std::size_t kKeywordCount = 14;

// The keyword's name as it is written between the dollars.
std::string_view keywordName(Keyword keyword);

// The keyword of that exact name (case matters, the whole name must match).
std::optional<Keyword> keywordFromName(std::string_view name);

}  // namespace vc
