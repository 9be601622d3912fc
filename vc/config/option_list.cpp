// Option lists: options, pairs and blocks (see option_list.h).
#include "vc/config/option_list.h"

namespace vc {

namespace {

// The first entry after at with at's name, or null.
template <class Entry>
const Entry* laterOfName(const std::list<Entry>& list, typename std::list<Entry>::iterator at) {
  for (auto it = std::next(at); it != list.end(); ++it)
    if (it->name == at->name) return &*it;
  return nullptr;
}

}  // namespace

std::string asciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && asciiLower(a) == asciiLower(b);
}

std::list<VcPair>& VcOptionList::pairs(PairKind kind) {
  switch (kind) {
    case PairKind::WorkToArch: return workToArch;
    case PairKind::WorkMap: return workMap;
    default: return autoAction;
  }
}

const std::list<VcPair>& VcOptionList::pairs(PairKind kind) const {
  return const_cast<VcOptionList*>(this)->pairs(kind);
}

VcOption* VcOptionList::find(const std::string& name) {
  if (OptionIndex* i = index.current(options)) return i->find(name);
  for (VcOption& o : options)
    if (o.name == name) return &o;
  return nullptr;
}

const VcOption* VcOptionList::find(const std::string& name) const {
  return const_cast<VcOptionList*>(this)->find(name);
}

const VcBlock* VcOptionList::findBlock(const std::string& name) const {
  for (const VcBlock& b : blocks)
    if (b.name == name) return &b;
  return nullptr;
}

const VcPair* VcOptionList::findPair(PairKind kind, const std::string& name) const {
  if (PairIndex* i = pairIndex[static_cast<int>(kind)].current(pairs(kind))) return i->find(name);
  for (const VcPair& p : pairs(kind))
    if (p.name == name) return &p;
  return nullptr;
}

void VcOptionList::setPair(PairKind kind, const std::string& name, const std::string& value) {
  if (VcPair* p = const_cast<VcPair*>(findPair(kind, name))) {
    p->value = value;
    return;
  }
  std::list<VcPair>& list = pairs(kind);
  list.push_front(VcPair{name, value});
  pairIndex[static_cast<int>(kind)].added(list);
}

bool VcOptionList::dropPair(PairKind kind, const std::string& name) {
  auto& l = pairs(kind);
  for (auto it = l.begin(); it != l.end(); ++it) {
    if (it->name == name) {
      pairIndex[static_cast<int>(kind)].leaving(l, *it, laterOfName(l, it));
      l.erase(it);
      if (kind == PairKind::WorkToArch) pairCursor = 0;
      return true;
    }
  }
  return false;
}

bool VcOptionList::dropOption(const std::string& name) {
  for (auto it = options.begin(); it != options.end(); ++it) {
    if (it->name == name && !(it->flags & kOptPolicy)) {
      // Another option of the name may come first now.
      index.leaving(options, *it, laterOfName(options, it));
      options.erase(it);
      optionCursor = 0;
      return true;
    }
  }
  return false;
}

std::vector<std::string> walkTexts(const VcOptionList& list, bool pairs) {
  std::vector<std::string> out;
  if (pairs) {
    out.reserve(list.workToArch.size());
    for (auto it = list.workToArch.rbegin(); it != list.workToArch.rend(); ++it)
      out.push_back("worktoarch " + it->name + "=" + it->value);
    return out;
  }
  out.reserve(list.options.size());
  for (auto it = list.options.rbegin(); it != list.options.rend(); ++it)
    out.push_back(it->value ? it->name + "=" + *it->value : it->name);
  return out;
}

void VcOptionList::clear() { *this = VcOptionList{}; }

SetResult setOption(VcOptionList& list, const std::string& name,
                    const std::optional<std::string>& value, std::uint32_t flags) {
  if ((flags & kOptSaved) != 0) flags &= ~kOptPolicy;
  if (VcOption* o = list.find(name)) {
    if ((o->flags & (kOptPolicy | kOptEnforce)) == (kOptPolicy | kOptEnforce))
      return SetResult::Enforced;
    o->flags = flags;
    if (!value) return SetResult::Replaced;
    if (o->value && *o->value == *value) return SetResult::EqualValue;
    o->value = value;
    return SetResult::Replaced;
  }
  list.options.push_front(VcOption{name, value, flags});
  // The new option is the first of its name.
  list.index.added(list.options);
  return SetResult::Created;
}

std::optional<PairKind> pairKindOf(const std::string& lowerName, std::size_t* keywordLength) {
  static const struct {
    const char* word;
    PairKind kind;
  } kWords[] = {{"worktoarch", PairKind::WorkToArch},
                {"workmap", PairKind::WorkMap},
                {"autoaction", PairKind::AutoAction}};
  for (const auto& w : kWords) {
    std::string word = w.word;
    if (lowerName.compare(0, word.size(), word) == 0) {
      if (keywordLength) *keywordLength = word.size();
      return w.kind;
    }
  }
  return std::nullopt;
}

const char* pairKeyword(PairKind kind) {
  switch (kind) {
    case PairKind::WorkToArch: return "worktoarch";
    case PairKind::WorkMap: return "workmap";
    default: return "autoaction";
  }
}

}  // namespace vc
