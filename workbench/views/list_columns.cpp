#include "workbench/views/list_columns.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/profile/profile.h"

namespace orv::workbench::views {

unsigned sortKeyAfterClick(unsigned key, int column) {
  if (sortColumn(key) != column) return static_cast<unsigned>(column) & 0xFFFF;
  return key ^ kSortDescending;
}

std::vector<int> parseColumnList(std::string_view text, int count) {
  std::vector<int> values(static_cast<std::size_t>(std::max(count, 0)), 0);
  std::size_t at = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::size_t end = at;
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    const std::string number(text.substr(at, end - at));
    errno = 0;
    const long v = std::strtol(number.c_str(), nullptr, 10);
    values[i] = errno == 0 && v >= -100000 && v <= 100000 ? static_cast<int>(v) : 0;
    if (end >= text.size() || text[end] != ',') break;
    at = end + 1;
  }
  return values;
}

std::string joinColumnList(const std::vector<int>& values) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(values[i]);
  }
  return out;
}

ListColumns::ListColumns(std::string settingsFile, std::string section, int count,
                         const ColumnDefaults& defaults)
    : file_(std::move(settingsFile)), section_(std::move(section)), count_(std::clamp(count, 1, kMaxColumns)) {
  const auto read = [&](const char* key, std::string_view fallback) {
    return parseColumnList(profile::getProfileString(file_, section_, key, std::string(fallback)), count_);
  };
  widthsStored_ = !profile::getProfileString(file_, section_, "ColumnWidths", "").empty();
  const std::vector<int> order = read("FieldOrder", defaults.order);
  const std::vector<int> widths = read("ColumnWidths", defaults.widths);
  // An order that does not name every column once would show one column
  // twice and lose another: the natural order stands in for it.
  std::vector<bool> seen(static_cast<std::size_t>(count_), false);
  bool valid = true;
  for (int c : order) {
    if (c < 0 || c >= count_ || seen[static_cast<std::size_t>(c)]) valid = false;
    else seen[static_cast<std::size_t>(c)] = true;
  }
  for (int p = 0; p < count_; ++p) {
    order_[static_cast<std::size_t>(p)] = valid ? order[static_cast<std::size_t>(p)] : p;
    // A width not stored would hide its column: it gets the narrowest
    // width a divider drag leaves, like a stored width below it.
    widths_[static_cast<std::size_t>(p)] = std::max(widths[static_cast<std::size_t>(p)], kMinimumColumnWidth);
  }
  sortKey_ = static_cast<unsigned>(
      profile::getProfileInt(file_, section_, "SortKey", static_cast<long>(defaults.sortKey)));
  rebuild();
}

void ListColumns::rebuild() {
  for (int p = 0; p < count_; ++p) position_[static_cast<std::size_t>(order_[static_cast<std::size_t>(p)])] = p;
  for (int c = 0; c < count_; ++c) {
    int x = 0;
    for (int p = 0; p < position_[static_cast<std::size_t>(c)]; ++p) x += widths_[static_cast<std::size_t>(p)];
    offsets_[static_cast<std::size_t>(c)] = x;
  }
}

int ListColumns::storeLayout() const {
  std::vector<int> order(order_.begin(), order_.begin() + count_);
  std::vector<int> widths(widths_.begin(), widths_.begin() + count_);
  if (int rc = profile::writeProfileString(file_, section_, "FieldOrder", joinColumnList(order).c_str()))
    return rc;
  return profile::writeProfileString(file_, section_, "ColumnWidths", joinColumnList(widths).c_str());
}

int ListColumns::moveColumn(int from, int to) {
  if (from < 0 || to < 0 || from >= count_ || to >= count_ || from == to) return 0;
  const auto rotate = [&](std::array<int, kMaxColumns>& a) {
    const auto f = a.begin() + from, t = a.begin() + to;
    if (from < to) std::rotate(f, f + 1, t + 1);
    else std::rotate(t, f, f + 1);
  };
  rotate(widths_);
  rotate(order_);
  rebuild();
  widthsStored_ = true;
  return storeLayout();
}

int ListColumns::setWidth(int p, int width, bool store) {
  if (p < 0 || p >= count_) return 0;
  widths_[static_cast<std::size_t>(p)] = std::max(width, kMinimumColumnWidth);
  rebuild();
  if (!store) return 0;
  widthsStored_ = true;
  return storeLayout();
}

int ListColumns::saveSortKey() const {
  return profile::writeProfileString(file_, section_, "SortKey", std::to_string(sortKey_).c_str());
}

int ListColumns::dropPosition(int x) const {
  int right = 0;
  for (int p = 0; p < count_; ++p) {
    right += widths_[static_cast<std::size_t>(p)];
    if (right > x) return p;
  }
  return count_ - 1;
}

namespace {

constexpr std::size_t kCellTextLimit = 531;

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cut at the end with "..." until it fits; empty when nothing does.
std::string cutAtEnd(std::string text, int width, const app::MeasureText& measure) {
  if (measure(text) <= width) return text;
  const int dots = measure("...");
  while (!text.empty()) {
    do text.pop_back();
    while (!text.empty() && continuation(text.back()));
    if (!text.empty() && measure(text) + dots <= width) return text + "...";
  }
  return {};
}

int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }

}  // namespace

std::string fitCellText(std::string_view text, int width, const app::MeasureText& measure, bool path) {
  if (text.empty()) return {};
  std::string copy(text.substr(0, kCellTextLimit));
  while (copy.size() < text.size() && !copy.empty() && continuation(text[copy.size()])) copy.pop_back();
  const int room = width - 4;
  if (path) {
    const app::FittedText fitted = app::fitTextWithEllipsis(copy, room, measure);
    if (fitted.fits) return fitted.text;
    if (!fitted.text.empty()) copy = fitted.text;
  }
  return cutAtEnd(std::move(copy), room, measure);
}

int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (lower(a[i]) != lower(b[i])) return lower(a[i]) < lower(b[i]) ? -1 : 1;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareRevisionNumbers(std::string_view a, std::string_view b) {
  // Numbers of the same length that differ in their last field only, as
  // neighbouring revisions mostly do: digits of one length compare as
  // their numbers do.
  if (a.size() == b.size()) {
    const std::size_t dot = a.rfind('.');
    if (dot != std::string_view::npos && a.compare(0, dot + 1, b, 0, dot + 1) == 0) {
      const std::string_view x = a.substr(dot + 1), y = b.substr(dot + 1);
      const auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
      };
      if (digits(x) && digits(y)) {
        const int c = x.compare(y);
        return (c > 0) - (c < 0);
      }
    }
  }
  const auto field = [](std::string_view& s) {
    std::size_t dot = s.find('.');
    const std::string_view digits = s.substr(0, dot);
    s = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
    // A field of a few digits, as revision numbers have, is read in place;
    // anything else as strtoul reads it.
    if (!digits.empty() && digits.size() <= 9 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      unsigned long value = 0;
      for (char c : digits) value = value * 10 + static_cast<unsigned long>(c - '0');
      return value;
    }
    return std::strtoul(std::string(digits).c_str(), nullptr, 10);
  };
  while (!a.empty() && !b.empty()) {
    const unsigned long x = field(a), y = field(b);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.empty() == b.empty()) return 0;
  return a.empty() ? -1 : 1;
}

int comparePaths(std::string_view a, std::string_view b) {
  for (;;) {
    const std::size_t ia = a.find('/'), ib = b.find('/');
    if (ia != std::string_view::npos && ib != std::string_view::npos) {
      if (ia != ib) return compareNoCase(a, b);
      if (int c = compareNoCase(a.substr(0, ia), b.substr(0, ib))) return c;
      a = a.substr(ia + 1);
      b = b.substr(ib + 1);
      continue;
    }
    if (ia == std::string_view::npos && ib != std::string_view::npos) return -1;
    if (ia != std::string_view::npos) return 1;
    return compareNoCase(a, b);
  }
}

}  // namespace orv::workbench::views
