// Fuzz target: arbitrary text through every keyword mode, the check-in
// collapse and the value harvest. The first byte picks the mode and whether
// carriage returns are added.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "vc/revisions/keywords/keyword_checkin.h"
#include "vc/error_codes.h"
#include "vc/revisions/keywords/keyword_expander.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vc;
    if (size == 0) {
        return 0;
    }
    static constexpr int kModes[] = {kKeywordModeNone, kKeywordModeExpand, kKeywordModeExpandNoLog,
                                     kKeywordModeCollapse};
    int mode = kModes[data[0] & 3];
    bool addCr = (data[0] & 4) != 0;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    KeywordContext context;
    context.revision = "1.2.1.3";
    context.date = "2024.03.05.06.07.08";
    context.author = "fuzz";
    context.state = "Exp";
    context.labels = {"a", "b"};
    context.archivePath = "/archive/x.c,v";
    context.archiveFileName = "x.c,v";
    context.log = "one\r\ntwo";
    context.setting = [](std::string_view option) -> std::optional<std::string> {
        return std::string(option) + "$\n";
    };
    StringSink sink;
    if (expandKeywords(text, mode, context, addCr, sink) != ::vc::err::kSuccess) {
        std::abort();
    }
    std::string collapsed = collapseKeywords(sink.text);
    if (collapseKeywords(collapsed) != collapsed) {
        std::abort();  // collapsing is idempotent
    }
    HarvestedKeywords values;
    harvestKeywordValues(text, values);
    return 0;
}
