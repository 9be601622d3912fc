// Reading, updating and writing the recent-file list.
#include "workbench/app/recent_files.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <strings.h>

namespace orv::workbench::app {

namespace {

bool sameWithoutCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

RecentFile parseRecentFile(const std::string& value) {
  std::size_t comma = value.rfind(',');
  if (comma == std::string::npos) return {value, 1};
  std::string after = value.substr(comma + 1);
  int kind = after.empty() ? 1 : static_cast<int>(std::strtol(after.c_str(), nullptr, 10));
  return {value.substr(0, comma), kind};
}

void RecentFiles::load(const profile::ProfileFile& settings) {
  entries_.clear();
  for (std::size_t n = 1; n <= kRecentFileCount; ++n) {
    auto value = settings.get("General", "LastFile" + std::to_string(n));
    if (!value || value->empty()) continue;
    RecentFile f = parseRecentFile(*value);
    if (fold_) f.path = fold_(f.path);
    if (!f.path.empty()) entries_.push_back(f);
  }
}

void RecentFiles::store(profile::ProfileFile& settings) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    settings.set("General", "LastFile" + std::to_string(i + 1),
                 entries_[i].path + "," + std::to_string(entries_[i].kind));
  }
  // Keys past the list would bring back entries it no longer holds.
  for (std::size_t n = entries_.size() + 1; n <= kRecentFileCount; ++n)
    settings.removeKey("General", "LastFile" + std::to_string(n));
}

void RecentFiles::add(const std::string& path, int kind) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [&](const RecentFile& f) { return sameWithoutCase(f.path, path); });
  if (it != entries_.end()) {
    RecentFile f = *it;
    entries_.erase(it);
    if ((f.kind & 0x1) != 0 || ((f.kind & 0x2) != 0 && (kind & 0x1C) != 0)) f.kind = kind;
    entries_.insert(entries_.begin(), f);
    return;
  }
  entries_.insert(entries_.begin(), RecentFile{fold_ ? fold_(path) : path, kind});
  if (entries_.size() > kRecentFileCount) entries_.pop_back();
}

}  // namespace orv::workbench::app
