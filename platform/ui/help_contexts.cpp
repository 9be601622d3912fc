// The process's stack of help contexts.
#include "platform/ui/help_contexts.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/ui/dialog_description.h"

namespace orv::ui {

namespace {

struct Entry {
  std::uint64_t token;
  int context;
};

std::vector<Entry>& stack() {
  static std::vector<Entry> entries;
  return entries;
}

std::uint64_t nextToken = 1;

}  // namespace

int currentHelpContext() { return stack().empty() ? kGenericHelpContext : stack().back().context; }

int helpContextDepth() { return static_cast<int>(stack().size()); }

ScopedHelpContext::ScopedHelpContext(int context) : token_(nextToken++) {
  stack().push_back({token_, context});
}

void ScopedHelpContext::change(int context) {
  for (Entry& e : stack())
    if (e.token == token_) e.context = context;
}

ScopedHelpContext::~ScopedHelpContext() {
  auto& s = stack();
  auto it = std::find_if(s.begin(), s.end(), [&](const Entry& e) { return e.token == token_; });
  if (it != s.end()) s.erase(it);
}

}  // namespace orv::ui
