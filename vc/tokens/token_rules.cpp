// Name, configuration-line and name-format syntax and the shown date form
// (see token_rules.h).
#include "vc/tokens/token_rules.h"

#include <algorithm>
#include <cctype>

namespace vc {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool allNameTail(std::string_view rest) { return std::all_of(rest.begin(), rest.end(), isNameTailChar); }

bool startsNoCase(std::string_view s, std::size_t at, const char* word)
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

bool isNameTailChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x21 && u <= 0x7E && c != ';' && c != ':' && c != '@' && c != ',';
}

bool isUserName(std::string_view text, bool digitFirst)
{
    if (text.empty()) {
        return false;
    }
    const char first = text.front();
    const bool firstOk = first == '_' || isLetter(first) || (digitFirst && isDigit(first));
    return firstOk && allNameTail(text.substr(1));
}

bool isState(std::string_view text) { return isUserName(text, false); }

bool isRevisionNumber(std::string_view text)
{
    int fields = 0;
    std::size_t pos = 0;
    while (true) {
        std::size_t end = pos;
        while (end < text.size() && isDigit(text[end])) {
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

bool isLabel(std::string_view text)
{
    return !text.empty() && (text.front() == '_' || isLetter(text.front())) &&
           std::all_of(text.begin() + 1, text.end(), [](char c) { return c == '_' || isLetter(c) || isDigit(c); });
}

bool isConfigLine(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isWhite(text[i])) {
        ++i;
    }
    if (i >= text.size() || !isLetter(text[i])) {
        return false;
    }
    for (const char* pair : {"worktoarch", "workmap", "autoaction"}) {
        if (startsNoCase(text, i, pair)) {
            return text.find('=', i) != std::string_view::npos;
        }
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '#' || c == '=') {
            return true;
        }
        if (!(isLetter(c) || isDigit(c) || isWhite(c) || c == '_')) {
            return false;
        }
    }
    return true;
}

bool isNameFormat(std::string_view text)
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

std::string displayDate(std::string_view storedDate)
{
    std::string out(storedDate);
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
