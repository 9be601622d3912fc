// Reading and writing revision dates, in UTC.
#include "workbench/archive/revision_date.h"

#include <cctype>

namespace orv::workbench::archive {

namespace {

// The number of the two digits at pos; -1 when they are not digits.
int twoDigits(std::string_view t, std::size_t pos) {
  if (pos + 2 > t.size() || !std::isdigit(static_cast<unsigned char>(t[pos])) ||
      !std::isdigit(static_cast<unsigned char>(t[pos + 1])))
    return -1;
  return (t[pos] - '0') * 10 + (t[pos + 1] - '0');
}

}  // namespace

std::optional<std::time_t> parseRevisionDate(std::string_view text) {
  if (text.size() < 3) return std::nullopt;
  const bool shortYear = !std::isdigit(static_cast<unsigned char>(text[2]));
  int fields[6];
  std::size_t pos = 0;
  if (shortYear) {
    fields[0] = twoDigits(text, 0);
    if (fields[0] >= 0) fields[0] += 1900;
    pos = 3;
  } else {
    int hi = twoDigits(text, 0), lo = twoDigits(text, 2);
    fields[0] = hi < 0 || lo < 0 ? -1 : hi * 100 + lo;
    pos = 5;
  }
  for (int i = 1; i < 6; ++i, pos += 3) fields[i] = twoDigits(text, pos);
  for (int f : fields) {
    if (f < 0) return std::nullopt;
  }
  if (fields[1] < 1 || fields[1] > 12 || fields[2] < 1 || fields[2] > 31 || fields[3] > 23 ||
      fields[4] > 59 || fields[5] > 60)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = fields[0] - 1900;
  tm.tm_mon = fields[1] - 1;
  tm.tm_mday = fields[2];
  tm.tm_hour = fields[3];
  tm.tm_min = fields[4];
  tm.tm_sec = fields[5];
  return timegm(&tm);
}

std::string formatRevisionDate(std::time_t t) {
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return {};
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y.%m.%d.%H.%M.%S", &tm);
  return buf;
}

}  // namespace orv::workbench::archive
