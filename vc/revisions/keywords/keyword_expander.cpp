// Keyword expansion and collapse of stored text on its way out of an archive.
//
// Each line is processed on its own: doubled '@' made single, then its
// markers replaced according to the mode, then (mode 1) the log history of
// each Log marker written below it. Output is gathered in a buffer and handed
// to the sink in large pieces; line feeds gain their carriage return on the
// way into that buffer.
#include "vc/revisions/keywords/keyword_expander.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/fs/path_separators.h"
#include "vc/error_codes.h"
#include "vc/revisions/keywords/keyword_recogniser.h"
#include "vc/tokens/token_rules.h"

namespace vc {
namespace {

constexpr std::size_t kMaxPathLength = 2048;
constexpr std::size_t kFlushSize = 64 * 1024;

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The line with each "@@" made "@"; a lone '@' stays as it is.
std::string_view undoubleAt(std::string_view line, std::string& storage)
{
    if (line.find('@') == std::string_view::npos) {
        return line;
    }
    storage.clear();
    storage.reserve(line.size());
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t sign = line.find('@', at);
        if (sign == std::string_view::npos) {
            storage.append(line.substr(at));
            break;
        }
        storage.append(line.substr(at, sign + 1 - at));  // up to and with the '@'
        at = sign + 1;
        if (at < line.size() && line[at] == '@') {
            ++at;  // its doubling
        }
    }
    return storage;
}

void appendField(std::string& out, std::string_view field)
{
    out.append(field);
    out += ' ';
}

// A value as one field, nothing when it is empty.
void appendSingle(std::string& out, std::string_view value)
{
    if (!value.empty()) {
        appendField(out, value);
    }
}

// The fields of Header and Id: the place, revision, date, author, state and,
// when the revision is locked, the locker.
void appendHeaderFields(std::string& out, std::string_view place, const KeywordContext& context)
{
    appendField(out, place);
    appendField(out, context.revision);
    appendField(out, displayDate(context.date));
    appendField(out, context.author);
    appendField(out, context.state);
    if (!context.locker.empty()) {
        appendField(out, context.locker);
    }
}

// Header and Source: the archive path with forward slashes, which must fit
// the path limit; answers 0 or VC_E_INTERNAL_BUFFER_EXCEEDED.
int appendArchivePath(std::string& out, const KeywordMarker& marker, const KeywordContext& context)
{
    std::string path = orv::fs::forward_slashes(context.archivePath);
    if (path.size() > kMaxPathLength) {
        return err::kInternalBufferExceeded;
    }
    if (marker.keyword == Keyword::Header) {
        appendHeaderFields(out, path, context);
    } else {
        appendSingle(out, path);
    }
    return err::kSuccess;
}

// Setting: the value of the named option (lower-cased name), as given.
void appendSetting(std::string& out, const KeywordMarker& marker, const KeywordContext& context)
{
    std::string option;
    for (char c : marker.option) {
        option += asciiLower(c);
    }
    std::optional<std::string> value;
    if (context.setting) {
        value = context.setting(option);
    }
    // A '$' would close the marker early, and a line end would move its
    // closing '$' to another line; both would lose the marker next time.
    for (char c : value.value_or(std::string())) {
        out += (c == '$' || c == '\n' || c == '\r') ? '_' : c;
    }
}

// Appends the value of the marker (with its trailing blanks); answers 0 or
// VC_E_INTERNAL_BUFFER_EXCEEDED.
int appendValue(std::string& out, const KeywordMarker& marker, const KeywordContext& context)
{
    switch (marker.keyword) {
    case Keyword::Author:
        appendSingle(out, context.author);
        break;
    case Keyword::Date:
        appendSingle(out, displayDate(context.date));
        break;
    case Keyword::Header:
    case Keyword::Source:
        return appendArchivePath(out, marker, context);
    case Keyword::Id:
        appendHeaderFields(out, context.archiveFileName, context);
        break;
    case Keyword::Locker:
        appendSingle(out, context.locker);
        break;
    case Keyword::Log:
    case Keyword::RCSfile:
        appendSingle(out, context.archiveFileName);
        break;
    case Keyword::Name:
        for (const std::string& label : context.labels) {
            appendField(out, label);
        }
        break;
    case Keyword::Revision:
        appendSingle(out, context.revision);
        break;
    case Keyword::State:
        appendSingle(out, context.state);
        break;
    case Keyword::ProjectName:
        appendSingle(out, context.projectName);
        break;
    case Keyword::ProjectRevision:
        appendSingle(out, context.projectRevision);
        break;
    case Keyword::Setting:
        appendSetting(out, marker, context);
        break;
    }
    return err::kSuccess;
}

}  // namespace

bool isKeywordMode(int mode)
{
    return mode == kKeywordModeNone || mode == kKeywordModeExpand || mode == kKeywordModeExpandNoLog ||
           mode == kKeywordModeCollapse;
}

KeywordExpander::KeywordExpander(int mode, const KeywordContext& context, bool addCr, TextSink& sink)
    : mode_(mode), context_(context), addCr_(addCr), sink_(sink)
{
    if (!isKeywordMode(mode)) {
        failure_ = err::kBadArgument;
    }
}

int KeywordExpander::emit(std::string_view bytes)
{
    if (!addCr_) {
        out_.append(bytes);
    } else {
        for (char c : bytes) {
            if (c == '\n' && !lastWasCr_) {
                out_ += '\r';
            }
            out_ += c;
            lastWasCr_ = c == '\r';
        }
    }
    if (out_.size() >= kFlushSize) {
        return flush();
    }
    return err::kSuccess;
}

int KeywordExpander::flush()
{
    if (!out_.empty()) {
        bool written = sink_.write(out_.view());
        out_.clear();
        if (!written) {
            return err::kWorkWrite;
        }
    }
    return err::kSuccess;
}

int KeywordExpander::write(std::string_view storedText)
{
    append(storedText);
    return settle();
}

int KeywordExpander::append(std::string_view storedText)
{
    std::size_t pos = 0;
    while (failure_ == 0 && pos < storedText.size()) {
        const std::string_view rest = storedText.substr(pos);
        if (!pending_.empty()) {
            // The line that an earlier piece began.
            const std::size_t lf = rest.find('\n');
            if (lf == std::string_view::npos) {
                pending_.append(rest);
                break;
            }
            pending_.append(rest.substr(0, lf + 1));
            pos += lf + 1;
            std::string whole;
            whole.swap(pending_);
            failure_ = processLine(whole);
            continue;
        }
        const std::size_t lastLf = rest.rfind('\n');
        if (lastLf == std::string_view::npos) {
            pending_.append(rest);  // a line still without its end
            break;
        }
        // Whole lines before the first one with a '$' (all of them when
        // nothing is expanded) hold no keyword: they go out together,
        // exactly as line by line.
        const std::string_view lines = rest.substr(0, lastLf + 1);
        const std::size_t dollar = mode_ == kKeywordModeNone ? std::string_view::npos : lines.find('$');
        std::size_t plain = lines.size();
        if (dollar != std::string_view::npos) {
            const std::size_t lineStart = lines.rfind('\n', dollar);
            plain = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        }
        if (plain > 0) {
            failure_ = emitUndoubled(lines.substr(0, plain));
            pos += plain;
            continue;
        }
        // The line with the '$'.
        const std::size_t lf = lines.find('\n', dollar);
        failure_ = processLine(lines.substr(0, lf + 1));
        pos += lf + 1;
    }
    return failure_;
}

int KeywordExpander::appendPlain(std::string_view storedText)
{
    // Whole lines (none pending before them, a line feed at their end) need
    // nothing but their '@' made single.
    if (failure_ != 0 || !pending_.empty() || storedText.empty() || storedText.back() != '\n') {
        return append(storedText);
    }
    return failure_ = emitUndoubled(storedText);
}

int KeywordExpander::emitUndoubled(std::string_view lines)
{
    if (addCr_) {
        return emit(undoubleAt(lines, scratch_));
    }
    // What has gathered goes first when these lines would not fit beside it.
    if (!out_.empty() && out_.size() + lines.size() + 16 > out_.capacity()) {
        if (int code = flush(); code != err::kSuccess) {
            return code;
        }
    }
    // Copied sixteen bytes at a time into room at the end of the output; a
    // copy stops after each '@' and passes over its doubling.
    char* o = out_.room(lines.size() + 16);
    const char* p = lines.data();
    const char* const end = p + lines.size();
#if defined(__SSE2__)
    const __m128i sign = _mm_set1_epi8('@');
    while (end - p >= 16) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), w);
        const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, sign)));
        if (m == 0) {
            p += 16;
            o += 16;
            continue;
        }
        const int upto = __builtin_ctz(m) + 1;  // up to and with the '@'
        p += upto;
        o += upto;
        if (p < end && *p == '@') {
            ++p;  // its doubling
        }
    }
    // The rest, shorter than sixteen: copied whole when it holds no '@'
    // (told from the last sixteen bytes of the lines when there are so many).
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (left > 0 && lines.size() >= 16) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
        const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, sign)));
        if ((m >> (16 - left)) == 0) {
            std::memcpy(o, p, left);
            p = end;
            o += left;
        }
    }
#endif
    while (p < end) {
        const char c = *p++;
        *o++ = c;
        if (c == '@' && p < end && *p == '@') {
            ++p;
        }
    }
    out_.setEnd(o);
    if (out_.size() >= kFlushSize) {
        return flush();
    }
    return err::kSuccess;
}

void KeywordExpander::Output::grow(std::size_t n)
{
    const std::size_t capacity = std::max(size_ + n, 2 * capacity_);
    std::unique_ptr<char[]> more(new char[capacity]);
    if (size_ > 0) {
        std::memcpy(more.get(), data_.get(), size_);
    }
    data_ = std::move(more);
    capacity_ = capacity;
}

void KeywordExpander::reserve(std::size_t bytes)
{
    out_.reserve(std::min(bytes, kFlushSize) + 256);
}

int KeywordExpander::finish()
{
    if (failure_ == 0 && !pending_.empty()) {
        std::string whole;
        whole.swap(pending_);
        failure_ = processLine(whole);
    }
    return settle();
}

// Hands the output produced so far to the sink, also when processing stopped
// at a failure, so that the text before the failing keyword is written.
int KeywordExpander::settle()
{
    int flushed = flush();
    if (failure_ == 0) {
        failure_ = flushed;
    }
    return failure_;
}

int KeywordExpander::processLine(std::string_view storedLine)
{
    std::string storage;
    std::string_view line = undoubleAt(storedLine, storage);
    if (mode_ == kKeywordModeNone || line.find('$') == std::string_view::npos) {
        return emit(line);
    }
    std::string out;
    out.reserve(line.size() + 64);
    std::vector<KeywordMarker> logs;
    std::size_t pos = 0;
    while (std::optional<KeywordMarker> marker = findKeywordMarker(line, pos)) {
        out.append(line.substr(pos, marker->begin - pos));
        out.append("$").append(markerName(*marker));
        if (mode_ != kKeywordModeCollapse) {
            out += ": ";
            if (int code = appendValue(out, *marker, context_); code != err::kSuccess) {
                return code;
            }
            if (marker->keyword == Keyword::Log && mode_ == kKeywordModeExpand) {
                logs.push_back(*marker);
            }
        }
        out += '$';
        pos = marker->end;
    }
    out.append(line.substr(pos));
    if (int code = emit(out); code != err::kSuccess) {
        return code;
    }
    if (!logs.empty() && line.back() != '\n') {
        // The marker's line is the last one and has no line end: end it, so
        // that the history lines do not run on from it.
        if (int code = emit("\n"); code != err::kSuccess) {
            return code;
        }
    }
    for (const KeywordMarker& log : logs) {
        if (int code = writeHistory(line, log.begin, log.end); code != err::kSuccess) {
            return code;
        }
    }
    return err::kSuccess;
}

// Below the line of a Log marker: one line naming the revision, then one per
// line of its log message, each between the text that stood before and after
// the marker on its line.
int KeywordExpander::writeHistory(std::string_view line, std::size_t begin, std::size_t end)
{
    std::string_view prefix = line.substr(0, begin);
    std::string suffix(line.substr(end));
    if (suffix.empty() || suffix.back() != '\n') {
        suffix += '\n';  // the last line of the text, without a line end
    }
    std::string out;
    out.append(prefix).append("Revision ").append(context_.revision);
    out.append("  ").append(displayDate(context_.date)).append("  ").append(context_.author);
    out.append(suffix);
    std::string_view log = context_.log;
    while (!log.empty()) {
        std::size_t lf = log.find('\n');
        std::string_view logLine = log.substr(0, lf);
        log.remove_prefix(lf == std::string_view::npos ? log.size() : lf + 1);
        if (!logLine.empty() && logLine.back() == '\r') {
            logLine.remove_suffix(1);
        }
        out.append(prefix).append(logLine).append(suffix);
    }
    return emit(out);
}

int expandKeywords(std::string_view storedText, int mode, const KeywordContext& context, bool addCr,
                    TextSink& sink)
{
    KeywordExpander expander(mode, context, addCr, sink);
    if (int code = expander.write(storedText); code != err::kSuccess) {
        return code;
    }
    return expander.finish();
}

}  // namespace vc
