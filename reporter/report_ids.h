// The numbers of a report: every project, archive and (archive, revision)
// pair gets one from a single sequence the first time it is met, so that
// ProjId and ArchId columns share one numbering and nothing is written twice.
// Keys are hashed with CRC-16/ARC into 1,009 chains.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orv::report {

class IdTable {
 public:
  // The new number when key was not known yet (> 0), 0 when it was (id then
  // holds its number). Throws std::bad_alloc when the key cannot be kept.
  int lookup(std::string_view key, int& id);

  // Takes a key out again (its number is not given out a second time).
  void forget(std::string_view key);

  // The keys of the three kinds. Each starts with its own kind letter, and a
  // revision follows its archive's name after a NUL, which no path holds: a
  // project, an archive and a pair never share a key, whatever the names.
  static std::string projectKey(std::string_view project);
  static std::string archiveKey(std::string_view archive);
  static std::string revisionKey(std::string_view archive, std::string_view revision);

  static constexpr int kChains = 1009;
  // The chain of a key: its CRC-16 modulo the chain count, 0 counting as 1.
  static int chainOf(std::string_view key);

 private:
  struct Entry {
    std::string key;
    int id;
  };
  std::array<std::vector<Entry>, kChains> chains_;
  int last_ = 0;
};

}  // namespace orv::report
