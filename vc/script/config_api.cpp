// The exported configuration calls over the instance's option lists.
#include "vc/error_codes.h"
#include "vc/config/option_lookup.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"

#include <cstring>
#include <string>
#include <vector>

namespace vc {
namespace {

bool startsNoCase(const std::string& s, std::size_t at, const char* word) {
  std::size_t n = std::strlen(word);
  return s.size() >= at + n && equalsNoCase(s.substr(at, n), word);
}

// A name as callers give it: "Enforce" and "No" prefixes parsed off (case-
// blind), the rest lower-cased.
std::string bareName(const std::string& given, std::uint32_t* flags = nullptr) {
  std::size_t i = 0;
  std::uint32_t f = 0;
  if (startsNoCase(given, i, "enforce")) {
    i += 7;
    f |= kOptEnforce;
  }
  if (startsNoCase(given, i, "no")) {
    i += 2;
    f |= kOptNo;
  }
  if (flags) *flags = f;
  return asciiLower(given.substr(i));
}

// State of the vcGetConfigList walks, per instance.
struct ListWalk {
  const VcInstance* owner = nullptr;
  int group = -1;  // item / 2 of the walk's first item
  int listIndex = 0;
  std::size_t position = 0;
  // The entries of the list being walked, as they were when the walk came
  // to it: each step is a look-up, however long the list.
  std::vector<std::string> entries;
  bool taken = false;
};
ListWalk g_walk;

}  // namespace
}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcGetConfig(const char* name, char* qualifier, int qualifierLength, char* value,
                           int valueLength) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!name) return err::kBadArgument;
    if (qualifier && qualifierLength - 1 < 16) return err::kBadArgument;
    if (value && valueLength - 1 < 16) return err::kBadArgument;
    OptionHit hit = lookupOption(currentLists(*inst), bareName(name));
    if (!hit.option) return fail(*inst, err::kUnknownOption);
    int rc = 0;
    if (qualifier) {
      std::string q;
      if (hit.option->flags & kOptEnforce) q += "enforce";
      if (hit.option->flags & kOptNo) q += "no";
      q += hit.option->name;
      rc = copyResult(inst, q, qualifier, qualifierLength);
    }
    if (value) {
      int r = copyResult(inst, hit.option->value.value_or(""), value, valueLength);
      if (r) rc = r;
    }
    return rc;
  });
}

VC_API VcError vcGetConfigFlags(const char* name, unsigned int* flags) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!name || !flags) return err::kBadArgument;
    OptionHit hit = lookupOption(currentLists(*inst), bareName(name));
    if (!hit.option) {
      *flags = kOptNotFound;
      return fail(*inst, err::kUnknownOption);
    }
    *flags = hit.option->flags;
    return 0;
  });
}

VC_API VcError vcGetConfigList(int item, char* buffer, int length) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!buffer || length < 1) return err::kBadArgument;
    if (item < 120 || item > 135 || (item >= 124 && item <= 127)) return err::kBadArgument;
    // 120-123 both lists (local first), 128-131 local alone, 132-135 global alone;
    // even items start a walk, odd items continue it; the first two of each
    // four walk options, the other two worktoarch pairs.
    const int base = item < 128 ? 120 : (item < 132 ? 128 : 132);
    const bool pairs = item - base >= 2;
    const int group = base + (pairs ? 2 : 0);
    std::vector<VcOptionList*> lists;
    if (base != 132) lists.push_back(&optionsOf(*inst).local);
    if (base != 128) lists.push_back(&optionsOf(*inst).global);
    if (item % 2 == 0 || g_walk.owner != inst || g_walk.group != group)
      g_walk = ListWalk{inst, group, 0, 0, {}, false};
    while (g_walk.listIndex < static_cast<int>(lists.size())) {
      if (!g_walk.taken) {
        g_walk.entries = walkTexts(*lists[static_cast<std::size_t>(g_walk.listIndex)], pairs);
        g_walk.taken = true;
      }
      if (g_walk.position < g_walk.entries.size())
        return copyResult(inst, g_walk.entries[g_walk.position++], buffer, length);
      ++g_walk.listIndex;
      g_walk.position = 0;
      g_walk.taken = false;
    }
    return err::kUnknownOption;
  });
}

VC_API VcError vcSetConfig(const char* line, const char* value) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!line) return err::kBadArgument;
    VcScriptContext ctx;
    ctx.instance = inst;
    ctx.sourceName = "none";
    ctx.flags = kOptSaved;
    ctx.target = &optionsOf(*inst).local;
    ctx.lists = currentLists(*inst);
    try {
      int rc = applyOptionLine(ctx, line, value);
      return rc ? fail(*inst, rc) : 0;
    } catch (const ScriptError& e) {
      reportScriptError(ctx, e.what());
      return fail(*inst, err::kBadOptionLine);
    }
  });
}

VC_API VcError vcSetConfigFlags(const char* name, unsigned int flags) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!name) return err::kBadArgument;
    VcOption* o = optionsOf(*inst).local.find(bareName(name));
    if (!o) return fail(*inst, err::kUnknownOption);
    if (o->flags & kOptEnforce) return fail(*inst, err::kOptionEnforced);
    o->flags = (flags & kOptUserMask) | kOptSaved;
    return 0;
  });
}

VC_API VcError vcDropConfig(const char* name) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!name) return err::kBadArgument;
    std::string bare = bareName(name);
    std::size_t keywordLength = 0;
    if (auto kind = pairKindOf(bare, &keywordLength)) {
      // The pair's name keeps its case as given.
      std::string given = name;
      std::size_t p = given.size() - bare.size() + keywordLength;
      while (p < given.size() && (given[p] == ' ' || given[p] == '\t')) ++p;
      if (optionsOf(*inst).local.dropPair(*kind, given.substr(p))) return 0;
      return fail(*inst, err::kUnknownOption);
    }
    if (!optionsOf(*inst).local.dropOption(bare)) return fail(*inst, err::kUnknownOption);
    return 0;
  });
}

}  // extern "C"
