// Name, configuration-line and name-format syntax and the shown date form
// (see token_rules.h).
#include "vc/tokens/token_rules.h"

#include <algorithm>
#include <cctype>

namespace vc {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool is_white(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool all_name_tail(std::string_view rest) { return std::all_of(rest.begin(), rest.end(), is_name_tail_char); }

bool starts_no_case(std::string_view s, std::size_t at, const char* word)
{
    for (std::size_t k = 0; word[k]; ++k) {
        if (at + k >= s.size()) {
            return false;
        }
        if (std::tolower(static_cast<unsigned char>(s[at + k])) != word[k]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool is_name_tail_char(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x21 && u <= 0x7E && c != ';' && c != ':' && c != '@' && c != ',';
}

bool is_user_name(std::string_view text, bool digit_first)
{
    if (text.empty()) {
        return false;
    }
    const char first = text.front();
    const bool first_ok = first == '_' || is_letter(first) || (digit_first && is_digit(first));
    return first_ok && all_name_tail(text.substr(1));
}

bool is_state(std::string_view text) { return is_user_name(text, false); }

bool is_revision_number(std::string_view text)
{
    int fields = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = pos;
        while (end < text.size() && is_digit(text[end])) {
            ++end;
        }
        if (end == pos) {
            return false;  // an empty field or a non-digit
        }
        if (text[pos] == '0' && end - pos > 1) {
            return false;  // a leading zero
        }
        ++fields;
        if (end == text.size()) {
            return fields >= 2;
        }
        if (text[end] != '.') {
            return false;
        }
        pos = end + 1;
    }
}

bool is_label(std::string_view text)
{
    return !text.empty() && (text.front() == '_' || is_letter(text.front())) &&
           std::all_of(text.begin() + 1, text.end(), [](char c) { return c == '_' || is_letter(c) || is_digit(c); });
}

bool is_config_line(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && is_white(text[i])) {
        ++i;
    }
    if (i >= text.size() || !is_letter(text[i])) {
        return false;
    }
    for (const char* pair : {"worktoarch", "workmap", "autoaction"}) {
        if (starts_no_case(text, i, pair)) {
            return text.find('=', i) != std::string_view::npos;
        }
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#' || c == '=') {
            return true;
        }
        if (!(is_letter(c) || is_digit(c) || is_white(c) || c == '_')) {
            return false;
        }
    }
    return true;
}

bool is_name_format(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (i + 1 >= text.size()) {
            return false;
        }
        const char c = text[i + 1];
        if (c != 'v' && c != 'd' && c != 'f') {
            return false;
        }
        ++i;
    }
    return true;
}

std::string display_date(std::string_view stored_date)
{
    std::string out(stored_date);
    int dots = 0;
    for (char& c : out) {
        if (c != '.') {
            continue;
        }
        ++dots;
        c = dots <= 2 ? '/' : dots == 3 ? ' ' : ':';
    }
    return out;
}

}  // namespace vc
