// Option and block lookup in the fixed list order (see option_lookup.h).
#include "vc/config/option_lookup.h"
#include "vc/config/option_state.h"

namespace vc {
namespace {

// Walks the lists in order; get(list) answers the entry in one list (or
// null) and isEnforced tells whether an entry wins at once.
template <class Entry, class Get, class Enforced>
int walk(const VcListSet& lists, Get get, Enforced isEnforced, Entry*& best, VcOptionList*& from) {
  struct Step {
    VcOptionList* list;
    int id;
  };
  const Step steps[] = {{lists.global, kListGlobal},        {lists.archive, kListArchive},
                        {lists.project[0], kListProject0},  {lists.project[1], kListProject0 + 1},
                        {lists.project[2], kListProject0 + 2}, {lists.local, kListLocal}};
  best = nullptr;
  from = nullptr;
  int bestId = -1;
  bool archiveHad = false;
  for (const Step& s : steps) {
    if (!s.list) continue;
    Entry* e = get(*s.list);
    if (!e) continue;
    if (isEnforced(*e)) {
      best = e;
      from = s.list;
      return s.id;
    }
    if (s.id == kListArchive) archiveHad = true;
    if (s.id >= kListProject0 && archiveHad) continue;
    best = e;
    from = s.list;
    bestId = s.id;
  }
  return bestId;
}

}  // namespace

OptionHit lookupOption(const VcListSet& lists, const std::string& lowerName) {
  OptionHit hit;
  VcOptionList* from = nullptr;
  hit.list = walk<const VcOption>(
      lists, [&](VcOptionList& l) { return l.find(lowerName); },
      [](const VcOption& o) { return (o.flags & kOptEnforce) != 0; }, hit.option, from);
  return hit;
}

BlockHit lookupBlock(const VcListSet& lists, const std::string& lowerName) {
  BlockHit hit;
  hit.list = walk<const VcBlock>(
      lists, [&](VcOptionList& l) { return l.findBlock(lowerName); },
      [](const VcBlock& b) { return (b.flags & kOptEnforce) != 0; }, hit.block, hit.from);
  return hit;
}

std::string optionString(VcInstance& inst, const std::string& name, const std::string& def) {
  OptionHit hit = lookupOption(currentLists(inst), asciiLower(name));
  if (!hit.option || !hit.option->value || hit.option->value->empty()) return def;
  return *hit.option->value;
}

bool optionBool(VcInstance& inst, const std::string& name, bool def) {
  OptionHit hit = lookupOption(currentLists(inst), asciiLower(name));
  if (!hit.option) return def;
  return (hit.option->flags & kOptNo) == 0;
}

}  // namespace vc
