// The entry walk over one option list (option_walk.h).
#include "vc/config/option_walk.h"

namespace vc {
namespace {

std::string statementOf(const VcOption& o) {
  std::string text;
  if (o.flags & kOptEnforce) text += "Enforce";
  if (o.flags & kOptNo) text += "No";
  text += o.name;
  if (o.value) text += "=" + *o.value;
  return text;
}

int walkPairs(const std::list<VcPair>& pairs, int kind, const char* keyword, const OptionEntryFn& fn) {
  for (auto it = pairs.rbegin(); it != pairs.rend(); ++it)
    if (int rc = fn(kind, keyword, it->name + "=" + it->value)) return rc;
  return 0;
}

int walkBlock(const VcBlock& block, const OptionEntryFn& fn) {
  if (int rc = fn(kWalkBlockHead, "block", "block " + block.name)) return rc;
  for (const std::string& line : block.lines)
    if (int rc = fn(kWalkBlockLine, "continue-block", line)) return rc;
  return fn(kWalkBlockEnd, "end-block", "end");
}

}  // namespace

int walkOptionList(const VcOptionList& list, const OptionEntryFn& fn) {
  for (auto it = list.options.rbegin(); it != list.options.rend(); ++it)
    if (int rc = fn(kWalkOption, it->name, statementOf(*it))) return rc;
  if (int rc = walkPairs(list.workToArch, kWalkWorkToArch, pairKeyword(PairKind::WorkToArch), fn)) return rc;
  if (int rc = walkPairs(list.workMap, kWalkWorkMap, pairKeyword(PairKind::WorkMap), fn)) return rc;
  if (int rc = walkPairs(list.autoAction, kWalkAutoAction, pairKeyword(PairKind::AutoAction), fn)) return rc;
  for (const VcBlock& block : list.blocks)  // kept in definition order
    if (int rc = walkBlock(block, fn)) return rc;
  return 0;
}

}  // namespace vc
