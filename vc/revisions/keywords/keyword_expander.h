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

#include <cstring>
#include <memory>
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
    // Source), VC_E_BAD_ARGUMENT (not a mode) or VC_E_WORK_WRITE (the sink
    // failed). After a failure every further call answers the same code.
    int write(std::string_view storedText);
    // As write, but the output is handed to the sink only once much of it
    // has gathered, and at finish (which must follow): for a text given in
    // many pieces. A sink failure is answered when it happens.
    int append(std::string_view storedText);
    // As append, for text the caller knows to hold no '$' (no keyword
    // marker): whole lines of it go out without a look for one.
    int appendPlain(std::string_view storedText);
    // Processes a last line without a line feed and hands on all output.
    int finish();
    // Room for this much output (a hint).
    void reserve(std::size_t bytes);

private:
    int processLine(std::string_view storedLine);
    int processPlainLine(std::string_view line);
    // Whole lines without a keyword marker (or any lines when nothing is
    // expanded): their doubled '@' made single, straight into the output.
    int emitUndoubled(std::string_view storedLines);
    int writeHistory(std::string_view line, std::size_t begin, std::size_t end);
    int emit(std::string_view bytes);
    int flush();
    int settle();

    int mode_;
    const KeywordContext& context_;
    bool addCr_;
    TextSink& sink_;
    std::string pending_;   // an incomplete line waiting for its line feed
    // Bytes gathered at the end of a buffer of their own; room() hands out
    // space that setEnd() then takes in.
    class Output {
    public:
        void append(std::string_view bytes)
        {
            if (!bytes.empty()) {
                std::memcpy(room(bytes.size()), bytes.data(), bytes.size());
                size_ += bytes.size();
            }
        }
        Output& operator+=(char c)
        {
            *room(1) = c;
            ++size_;
            return *this;
        }
        // Space for n more bytes after the last.
        char* room(std::size_t n)
        {
            if (capacity_ - size_ < n) {
                grow(n);
            }
            return data_.get() + size_;
        }
        // The bytes end at end (within the room last handed out).
        void setEnd(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }
        void reserve(std::size_t n)
        {
            if (n > capacity_) {
                grow(n - size_);
            }
        }
        std::size_t size() const { return size_; }
        std::size_t capacity() const { return capacity_; }
        bool empty() const { return size_ == 0; }
        void clear() { size_ = 0; }
        std::string_view view() const { return {data_.get(), size_}; }

    private:
        void grow(std::size_t n);  // room for at least n more

        std::unique_ptr<char[]> data_;
        std::size_t size_ = 0;
        std::size_t capacity_ = 0;
    };

    Output out_;            // output not yet handed to the sink
    std::string scratch_;   // undoubled lines on their way to gaining carriage returns
    bool lastWasCr_ = false;
    int failure_ = 0;
};

// Processes a whole stored text in one call; answers as KeywordExpander.
int expandKeywords(std::string_view storedText, int mode, const KeywordContext& context, bool addCr,
                    TextSink& sink);

}  // namespace vc
