// Splitting, finding and replacing entries of policy statements and roles.
#include "kel/kellib/entry_text.h"

#include <algorithm>

namespace kel {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool endsKey(char c) { return c == '=' || c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

EntryParts splitEntry(std::string_view entry) {
  EntryParts parts;
  if (startsWithIgnoringCase(entry, "Enforce")) {
    parts.flags |= kEntryEnforce;
    entry.remove_prefix(7);
  }
  if (startsWithIgnoringCase(entry, "No")) {
    parts.flags |= kEntryNo;
    entry.remove_prefix(2);
  }
  std::size_t end = 0;
  while (end < entry.size() && !endsKey(entry[end])) ++end;
  parts.key = entry.substr(0, end);
  std::size_t eq = entry.find('=', end);
  if (eq != std::string_view::npos) parts.value = entry.substr(eq + 1);
  return parts;
}

bool sameEntryKey(std::string_view a, std::string_view b) {
  return equalsIgnoringCase(splitEntry(a).key, splitEntry(b).key);
}

const std::string* findEntry(const TextList& list, std::string_view key) {
  for (const auto& entry : list)
    if (equalsIgnoringCase(splitEntry(entry).key, key)) return &entry;
  return nullptr;
}

void putEntry(TextList& list, std::string_view entry) {
  if (entry.empty()) return;
  for (auto& existing : list) {
    if (sameEntryKey(existing, entry)) {
      existing = std::string(entry);
      return;
    }
  }
  list.emplace_back(entry);
}

bool removeEntry(TextList& list, std::string_view entry) {
  auto end = std::remove_if(list.begin(), list.end(), [&](const std::string& e) { return sameEntryKey(e, entry); });
  bool removed = end != list.end();
  list.erase(end, list.end());
  return removed;
}

}  // namespace kel
