// Fuzzes the private-profile (INI) reader: any bytes, written as a file, are
// read; every section's keys are looked up; a key is then set to a new value
// and the profile saved. Read back, the new value is found under that key and
// every other key keeps its value, before and after the save.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>

#include "platform/profile/profile.h"

namespace {

using Values = std::map<std::pair<std::string, std::string>, std::optional<std::string>>;

// The value the profile answers for every section and key it lists (a later
// duplicate answers what the first one holds).
Values valuesOf(const orv::profile::ProfileFile& p) {
  Values out;
  for (const std::string& s : p.sections())
    for (const std::string& k : p.keys(s)) out.emplace(std::make_pair(s, k), p.get(s, k));
  return out;
}

bool sameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orv-fuzz-profile-" + std::to_string(::getpid()) + ".ini";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  orv::profile::ProfileFile p;
  if (!p.load(path)) return 0;
  const Values before = valuesOf(p);
  for (const auto& [sk, value] : before)
    if (!value) __builtin_trap();  // a listed key always has a value

  // Set the first listed key (or a new one) and save.
  std::string section = "fuzz", key = "key";
  if (!before.empty()) {
    section = before.begin()->first.first;
    key = before.begin()->first.second;
  }
  const std::string value = "new value";
  if (!p.set(section, key, value)) return 0;  // a name that cannot be written back
  if (p.get(section, key) != value) __builtin_trap();
  // Keys of other sections, and other keys of that section, keep their values.
  for (const auto& [sk, v] : before)
    if ((!sameNoCase(sk.first, section) || !sameNoCase(sk.second, key)) &&
        p.get(sk.first, sk.second) != v)
      __builtin_trap();
  if (p.save() != 0) return 0;

  orv::profile::ProfileFile back;
  if (!back.load(path)) __builtin_trap();
  if (back.get(section, key) != value) __builtin_trap();
  for (const auto& [sk, v] : before) {
    if (sk == std::make_pair(section, key)) continue;
    if (back.get(sk.first, sk.second) != p.get(sk.first, sk.second)) __builtin_trap();
  }
  return 0;
}
