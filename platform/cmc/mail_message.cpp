// RFC 5322 message composition for the CMC stand-in (see mail_message.h).
#include "platform/cmc/mail_message.h"

namespace orv::platform {
namespace {

constexpr std::size_t kFoldColumn = 78;
constexpr std::size_t kMaxPlainWord = 900;  // header lines may not pass 998 characters
constexpr std::size_t kEncodedChunkBytes = 45;  // 60 base64 characters per encoded word

std::string_view trim_blanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool starts_with_without_case(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool is_plain_ascii(std::string_view text)
{
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u != '\t' && (u < 0x20 || u > 0x7e))
            return false;
    }
    return true;
}

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a
// valid one.
std::size_t utf8_sequence_length(std::string_view text, std::size_t i)
{
    auto u = static_cast<unsigned char>(text[i]);
    std::size_t length;
    std::uint32_t minimum;
    std::uint32_t code;
    if (u < 0x80)
        return 1;
    if ((u & 0xe0) == 0xc0) {
        length = 2, minimum = 0x80, code = u & 0x1f;
    } else if ((u & 0xf0) == 0xe0) {
        length = 3, minimum = 0x800, code = u & 0x0f;
    } else if ((u & 0xf8) == 0xf0) {
        length = 4, minimum = 0x10000, code = u & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        auto v = static_cast<unsigned char>(text[i + k]);
        if ((v & 0xc0) != 0x80)
            return 0;
        code = (code << 6) | (v & 0x3f);
    }
    if (code < minimum || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
        return 0;
    return length;
}

bool is_utf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = utf8_sequence_length(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string base64(std::string_view bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[group & 63] : '=';
    }
    return out;
}

// "Subject: " followed by the text, folded before the blank that starts a
// word which would pass the fold column.
std::string plain_subject_header(std::string_view subject)
{
    std::string out = "Subject: ";
    std::size_t column = out.size();
    std::size_t i = 0;
    while (i < subject.size()) {
        // One run: the blanks before a word and the word itself.
        std::size_t end = i;
        while (end < subject.size() && (subject[end] == ' ' || subject[end] == '\t'))
            ++end;
        while (end < subject.size() && subject[end] != ' ' && subject[end] != '\t')
            ++end;
        bool starts_with_blank = subject[i] == ' ' || subject[i] == '\t';
        if (starts_with_blank && column > 1 && column + (end - i) > kFoldColumn) {
            out += '\n';
            column = 0;
        }
        out.append(subject.substr(i, end - i));
        column += end - i;
        i = end;
    }
    return out + "\n";
}

// True when some word is too long for a header line even after folding.
bool has_unfoldable_word(std::string_view subject)
{
    std::size_t run = 0;
    for (char c : subject) {
        run = (c == ' ' || c == '\t') ? 0 : run + 1;
        if (run > kMaxPlainWord)
            return true;
    }
    return false;
}

// The subject as RFC 2047 "B" encoded words, never splitting a character.
std::string encoded_subject_header(std::string_view subject)
{
    bool utf8 = is_utf8(subject);
    std::string prefix = utf8 ? "=?UTF-8?B?" : "=?ISO-8859-1?B?";
    std::string out = "Subject:";
    std::size_t start = 0;
    while (start < subject.size()) {
        std::size_t end = start;
        while (end < subject.size()) {
            std::size_t n = utf8 ? utf8_sequence_length(subject, end) : 1;
            if (end + n - start > kEncodedChunkBytes)
                break;
            end += n;
        }
        if (end == start)
            end = start + 1;
        out += start == 0 ? " " : "\n ";
        out += prefix + base64(subject.substr(start, end - start)) + "?=";
        start = end;
    }
    return out + "\n";
}

void append_address_header(std::string& out, std::string_view name,
                           const std::vector<std::string>& addresses)
{
    if (addresses.empty())
        return;
    std::string line = std::string(name) + ": " + addresses[0];
    for (std::size_t i = 1; i < addresses.size(); ++i) {
        if (line.size() + 2 + addresses[i].size() > kFoldColumn) {
            out += line + ",\n";
            line = " " + addresses[i];
        } else {
            line += ", " + addresses[i];
        }
    }
    out += line + "\n";
}

}  // namespace

bool is_safe_header_text(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<MailRecipients> parse_recipient_list(std::string_view list, std::string_view delimiter)
{
    if (delimiter.empty())
        delimiter = ",";
    MailRecipients recipients;
    std::vector<std::string>* kind = &recipients.to;
    while (true) {
        std::size_t at = list.find(delimiter);
        std::string_view entry = trim_blanks(list.substr(0, at));
        if (!is_safe_header_text(entry))
            return std::nullopt;
        if (starts_with_without_case(entry, "to:")) {
            kind = &recipients.to;
            entry = trim_blanks(entry.substr(3));
        } else if (starts_with_without_case(entry, "cc:")) {
            kind = &recipients.cc;
            entry = trim_blanks(entry.substr(3));
        } else if (starts_with_without_case(entry, "bcc:")) {
            kind = &recipients.bcc;
            entry = trim_blanks(entry.substr(4));
        }
        if (!entry.empty())
            kind->emplace_back(entry);
        if (at == std::string_view::npos)
            break;
        list.remove_prefix(at + delimiter.size());
    }
    return recipients;
}

std::string compose_mail_message(const MailRecipients& recipients, std::string_view subject,
                                 std::string_view body)
{
    std::string text;
    text.reserve(body.size() + 1);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            continue;
        text += body[i];
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';

    std::string out;
    append_address_header(out, "To", recipients.to);
    append_address_header(out, "Cc", recipients.cc);
    append_address_header(out, "Bcc", recipients.bcc);
    out += is_plain_ascii(subject) && !has_unfoldable_word(subject) ? plain_subject_header(subject) : encoded_subject_header(subject);
    out += "MIME-Version: 1.0\n";
    bool ascii = true;
    for (char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        out += "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: 7bit\n";
    } else {
        out += is_utf8(text) ? "Content-Type: text/plain; charset=UTF-8\n"
                             : "Content-Type: text/plain; charset=ISO-8859-1\n";
        out += "Content-Transfer-Encoding: 8bit\n";
    }
    out += "\n";
    out += text;
    return out;
}

}  // namespace orv::platform
