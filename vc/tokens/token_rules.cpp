// Name syntax and the shown date form (see token_rules.h).
#include "vc/tokens/token_rules.h"

#include <algorithm>

namespace orv::vc {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool all_name_tail(std::string_view rest) { return std::all_of(rest.begin(), rest.end(), is_name_tail_char); }

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

}  // namespace orv::vc
