// Writes stored revision text out through keyword processing.
//
// Modes: 0 copies the text; 1 expands every keyword and inserts the log
// history below each Log keyword; 16 expands without the history (used for
// the base of a comparison); 128 collapses every keyword to "$Name$".
// In all modes each doubled '@' of the stored text is written once, and with
// carriage returns wanted a line feed not already preceded by one is written
// as CR LF.
//
// Text may be handed over in any chunks; a line is processed once its line
// feed (or the end of the text, at finish) has arrived.
#pragma once

#include <string>
#include <string_view>

#include "vc/revisions/keywords/keyword_context.h"

namespace vc {

inline constexpr int kKeywordModeNone = 0;
inline constexpr int kKeywordModeExpand = 1;
inline constexpr int kKeywordModeExpandNoLog = 16;
inline constexpr int kKeywordModeCollapse = 128;

bool isKeywordMode(int mode);

// Where the expander writes. `write` answers false on a write failure.
class TextSink {
public:
    virtual ~TextSink() = default;
    virtual bool write(std::string_view bytes) = 0;
};

class StringSink final : public TextSink {
public:
    bool write(std::string_view bytes) override
    {
        text.append(bytes);
        return true;
    }
    std::string text;
};

class KeywordExpander {
public:
    // `context` and `sink` must outlive the expander.
    KeywordExpander(int mode, const KeywordContext& context, bool addCr, TextSink& sink);

    // Answers 0, 12 (an archive path over 2,048 characters in Header or
    // Source), 56 (not a mode) or 217 (the sink failed). After a failure
    // every further call answers the same code.
    int write(std::string_view storedText);
    // Processes a last line without a line feed.
    int finish();

private:
    int processLine(std::string_view storedLine);
    int processPlainLine(std::string_view line);
    int writeHistory(std::string_view line, std::size_t begin, std::size_t end);
    int emit(std::string_view bytes);
    int flush();
    int settle();

    int mode_;
    const KeywordContext& context_;
    bool addCr_;
    TextSink& sink_;
    std::string pending_;   // an incomplete line waiting for its line feed
    std::string out_;       // output not yet handed to the sink
    bool lastWasCr_ = false;
    int failure_ = 0;
};

// Processes a whole stored text in one call; answers as KeywordExpander.
int expandKeywords(std::string_view storedText, int mode, const KeywordContext& context, bool addCr,
                    TextSink& sink);

}  // namespace vc
