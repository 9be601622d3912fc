// The id table of a report (report_ids.h).
#include "reporter/report_ids.h"

#include "differ/support/diff_support.h"

namespace orv::report {

int IdTable::chainOf(std::string_view key) {
  const int chain = orv::diffsup::crc16(key.data(), key.size()) % kChains;
  return chain == 0 ? 1 : chain;
}

int IdTable::lookup(std::string_view key, int& id) {
  std::vector<Entry>& chain = chains_[static_cast<std::size_t>(chainOf(key))];
  for (const Entry& e : chain)
    if (e.key == key) {
      id = e.id;
      return 0;
    }
  chain.push_back(Entry{std::string(key), last_ + 1});
  id = ++last_;
  return id;
}

void IdTable::forget(std::string_view key) {
  std::vector<Entry>& chain = chains_[static_cast<std::size_t>(chainOf(key))];
  for (auto it = chain.begin(); it != chain.end(); ++it)
    if (it->key == key) {
      chain.erase(it);
      return;
    }
}

std::string IdTable::projectKey(std::string_view project) {
  std::string key(1, 'p');
  return key.append(project);
}

std::string IdTable::archiveKey(std::string_view archive) {
  std::string key(1, 'a');
  return key.append(archive);
}

std::string IdTable::revisionKey(std::string_view archive, std::string_view revision) {
  std::string key(1, 'r');
  key.reserve(2 + archive.size() + revision.size());
  return key.append(archive).append(1, '\0').append(revision);
}

}  // namespace orv::report
