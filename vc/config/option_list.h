// Option records and option lists.
//
// A list holds named options (newest first), three kinds of name=value pairs
// (worktoarch, workmap, autoaction) and the named blocks of the script
// language. The instance has a global and a local list; archives and
// projects carry lists of the same type (one per archive, up to three per
// project or sandbox).
#pragma once

#include "vc/include/vc.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

namespace vc {

// Option flags.
inline constexpr std::uint32_t kOptNo = VC_OPTION_NO;               // the option is false ("No" prefix)
inline constexpr std::uint32_t kOptNotFound = VC_OPTION_NOT_FOUND;  // reported for a missing option
inline constexpr std::uint32_t kOptEnforce = VC_OPTION_ENFORCED;    // cannot be overridden
inline constexpr std::uint32_t kOptPolicy = VC_OPTION_POLICY;       // set from a security policy statement
inline constexpr std::uint32_t kOptTemporary = VC_OPTION_TEMPORARY; // never written back
inline constexpr std::uint32_t kOptSaved = VC_OPTION_SAVED;         // written by vcWriteConfig
// The flags a caller may set.
inline constexpr std::uint32_t kOptUserMask = kOptNo | kOptEnforce | kOptTemporary | kOptSaved;

struct VcOption {
  std::string name;                  // lower case
  std::optional<std::string> value;  // none for a bare flag
  std::uint32_t flags = 0;
};

struct VcPair {
  std::string name;
  std::string value;
};

struct VcBlock {
  std::string name;  // lower case
  std::uint32_t flags = 256;
  std::vector<std::string> lines;  // raw, unexpanded
};

enum class PairKind { WorkToArch, WorkMap, AutoAction };

// Result of setting an option into a list.
enum class SetResult { Created, Replaced, EqualValue, Enforced };

struct VcOptionList;

// The first entry (option or pair) of each name in a long list, kept
// beside the list so that a lookup and a set cost the same whatever the
// list's length. It lives in memory only and is never copied: a copied or
// moved list builds its own on the first lookup. Code that changes a list's
// entries other than through setOption, dropOption, setPair and dropPair
// calls forget().
template <class Entry>
class NameIndex {
 public:
  NameIndex() = default;
  NameIndex(const NameIndex&) {}
  NameIndex& operator=(const NameIndex&) {
    forget();
    return *this;
  }

  void forget() {
    slots_.clear();
    count_ = 0;
    built_ = false;
  }

  // The index brought up to date with list; null for a list short enough
  // to walk.
  NameIndex* current(const std::list<Entry>& list) {
    // Below this many entries a walk is as quick as the index.
    constexpr std::size_t kIndexedListSize = 16;
    if (list.size() < kIndexedListSize) {
      if (built_) forget();
      return nullptr;
    }
    if (!built_ || size_ != list.size()) {
      forget();
      std::size_t room = 64;
      while (room < 2 * list.size()) room *= 2;
      slots_.assign(room, Slot{});
      // The first of each name wins, as for a walk.
      for (const Entry& e : list) file(const_cast<Entry*>(&e), false);
      size_ = list.size();
      built_ = true;
    }
    return this;
  }
  Entry* find(const std::string& name) const {
    if (slots_.empty()) return nullptr;
    return slots_[slotOf(name, hashOf(name))].entry;
  }
  // A new first entry of its name went to the front of list: an index that
  // agreed with the list before agrees with it again.
  void added(const std::list<Entry>& list) {
    if (!built_ || size_ + 1 != list.size()) return;
    file(const_cast<Entry*>(&list.front()), true);
    size_ = list.size();
  }
  // gone is about to leave list; after is the first entry of its name that
  // follows it, if any, and takes its place when gone is the one indexed.
  void leaving(const std::list<Entry>& list, const Entry& gone, const Entry* after) {
    if (!built_ || size_ != list.size()) return forget();
    const std::size_t i = slotOf(gone.name, hashOf(gone.name));
    if (slots_[i].entry == &gone) {
      if (after) slots_[i].entry = const_cast<Entry*>(after);
      else erase(i);
    }
    --size_;
  }

 private:
  // Open addressing: a table of at most half its slots filled, each
  // holding an entry and its name's hash; no allocation per entry, and the
  // names are the entries' own (an entry's name never changes).
  struct Slot {
    Entry* entry = nullptr;
    std::size_t hash = 0;
  };
  static std::size_t hashOf(const std::string& name) { return std::hash<std::string>{}(name); }
  std::size_t slotOf(const std::string& name, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (!s.entry || (s.hash == hash && s.entry->name == name)) return i;
    }
  }
  void file(Entry* e, bool replace) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    const std::size_t hash = hashOf(e->name);
    Slot& s = slots_[slotOf(e->name, hash)];
    if (!s.entry) {
      s = {e, hash};
      ++count_;
    } else if (replace) {
      s.entry = e;
    }
  }
  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& s : old)
      if (s.entry) slots_[slotOf(s.entry->name, s.hash)] = s;
  }
  void erase(std::size_t i) {
    // Backward shift: each later slot of the run that may move up does.
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t j = (i + 1) & mask; slots_[j].entry; j = (j + 1) & mask) {
      const std::size_t home = slots_[j].hash & mask;
      if (((j - home) & mask) >= ((j - i) & mask)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = Slot{};
    --count_;
  }

  std::vector<Slot> slots_;  // a power of two in size, or empty
  std::size_t count_ = 0;    // slots filled
  std::size_t size_ = 0;     // of the list when the index last agreed with it
  bool built_ = false;
};
using OptionIndex = NameIndex<VcOption>;
using PairIndex = NameIndex<VcPair>;

struct VcOptionList {
  std::list<VcOption> options;  // newest first
  int optionCursor = 0;         // enumeration state of items 120/121 (0 = start)
  std::list<VcPair> workToArch; // newest first
  int pairCursor = 0;           // enumeration state of items 122/123
  std::list<VcPair> workMap;
  std::list<VcBlock> blocks;
  std::list<VcPair> autoAction;
  mutable OptionIndex index;    // of options, by name (see OptionIndex)
  mutable PairIndex pairIndex[3];  // of each kind's pairs, by name

  std::list<VcPair>& pairs(PairKind kind);
  const std::list<VcPair>& pairs(PairKind kind) const;

  // First option of that (lower-case) name, or null.
  VcOption* find(const std::string& name);
  const VcOption* find(const std::string& name) const;
  const VcBlock* findBlock(const std::string& name) const;
  // First pair of that name (compared exactly), or null.
  const VcPair* findPair(PairKind kind, const std::string& name) const;

  // Replaces the pair of that name or puts a new one in front.
  void setPair(PairKind kind, const std::string& name, const std::string& value);
  bool dropPair(PairKind kind, const std::string& name);
  // Removes the first option of that name without the policy flag.
  bool dropOption(const std::string& name);

  void clear();

 private:
};


// Sets name (lower case) into list: an existing option whose flags hold both
// the policy and the enforce flag refuses; otherwise its flags are replaced
// and a given value different from the stored one replaces it; a missing
// option is created in front.
SetResult setOption(VcOptionList& list, const std::string& name,
                    const std::optional<std::string>& value, std::uint32_t flags);

// The pair kind named by the start of a lower-case option name, if any.
std::optional<PairKind> pairKindOf(const std::string& lowerName, std::size_t* keywordLength);
const char* pairKeyword(PairKind kind);

// The entries of a list as its walks give them, oldest first: the options
// ("name" or "name=value"), or with pairs the worktoarch pairs
// ("worktoarch name=value").
std::vector<std::string> walkTexts(const VcOptionList& list, bool pairs);

// ASCII lower-casing, independent of the locale.
std::string asciiLower(std::string s);
bool equalsNoCase(const std::string& a, const std::string& b);

}  // namespace vc
