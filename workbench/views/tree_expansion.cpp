#include "workbench/views/tree_expansion.h"

#include <algorithm>

#include "platform/profile/profile.h"

namespace orv::workbench::views {

namespace {
constexpr const char* kKey = "TreeCollapsed";
}

TreeExpansion::TreeExpansion(std::string settingsFile, std::string section)
    : file_(std::move(settingsFile)), section_(std::move(section)) {
  const std::string stored = profile::getProfileString(file_, section_, kKey, "");
  std::string_view rest = stored;
  while (!rest.empty()) {
    const std::size_t bar = rest.find('|');
    const std::string_view key = rest.substr(0, bar);
    if (!key.empty() && !collapsed(key)) keys_.emplace_back(key);
    rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  }
  if (keys_.size() > kMaxCollapsed) keys_.erase(keys_.begin(), keys_.end() - static_cast<long>(kMaxCollapsed));
}

bool TreeExpansion::collapsed(std::string_view key) const {
  return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
}

int TreeExpansion::setCollapsed(std::string_view key, bool collapse) {
  if (key.empty() || key.find('|') != std::string_view::npos) return 0;
  const auto found = std::find(keys_.begin(), keys_.end(), key);
  if (found != keys_.end()) keys_.erase(found);
  if (collapse) keys_.emplace_back(key);
  if (keys_.size() > kMaxCollapsed) keys_.erase(keys_.begin());
  std::string joined;
  for (const std::string& k : keys_) {
    if (!joined.empty()) joined += '|';
    joined += k;
  }
  return profile::writeProfileString(file_, section_, kKey, joined.empty() ? nullptr : joined.c_str());
}

}  // namespace orv::workbench::views
