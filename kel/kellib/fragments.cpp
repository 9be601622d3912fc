// Fragments: kelAddFrag, kelGetFrag, kelDeleteFrag and the import of a
// fragment from a text file.
#include "kel/kellib/fragments.h"

#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_store.h"
#include "platform/sys/system_calls.h"
#include "kel/kellib/scope.h"
#include "kel/kellib/scope_password.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace kel {
namespace {

bool validScope(int scopeKind, const char* scopeName) {
  return scopeKind == KEL_GLOBAL_MODULE || (scopeKind == KEL_PROJECT && scopeName && *scopeName);
}

bool present(const char* s) { return s && *s; }

std::vector<TextList> twoLists(const ObjectRecord& rec) {
  auto lists = rec.lists();
  lists.resize(std::max<std::size_t>(lists.size(), 2));
  return lists;
}

int addFrag(int scopeKind, const char* scopeName, const char* statementName, const char* fragmentName,
            const char* text, bool replace) {
  if (int rc = requireWritable()) return rc;
  if (!validScope(scopeKind, scopeName) || !present(statementName) || !present(fragmentName) || !text)
    return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  if (int rc = checkScope(scope)) return rc;

  Change change;
  if (int rc = change.begin()) return rc;
  ObjectRecord statement;
  if (int rc = findObject(KEL_POLICY_STATEMENT, scope.id(), statementName, statement)) return rc;
  const std::string name = storedName(fragmentName);
  auto lists = twoLists(statement);
  if (std::find(lists[1].begin(), lists[1].end(), name) == lists[1].end()) {
    lists[1].push_back(name);
    if (int rc = statement.setLists(lists)) return rc;
    if (int rc = rewriteObject(statement)) return rc;
  }
  ObjectRecord fragment;
  int rc = findObject(KEL_FRAGMENT, statement.id(), name, fragment);
  if (rc == KEL_NOT_FOUND) rc = addObjectRecord(statement.id(), KEL_FRAGMENT, name, &fragment);
  if (rc) return rc;
  auto text_lists = fragment.lists();
  text_lists.resize(std::max<std::size_t>(text_lists.size(), 1));
  if (replace) text_lists[0].clear();
  if (*text) text_lists[0].emplace_back(text);
  if ((rc = fragment.setLists(text_lists))) return rc;
  if ((rc = rewriteObject(fragment))) return rc;
  return change.commit();
}

int findFragment(int scopeKind, const char* scopeName, const char* statementName, const char* fragmentName,
                 ObjectRecord& statement, ObjectRecord& fragment) {
  ObjectRecord scope;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  if (int rc = findObject(KEL_POLICY_STATEMENT, scope.id(), statementName, statement)) return rc;
  return findObject(KEL_FRAGMENT, statement.id(), fragmentName, fragment);
}

int getFrag(int scopeKind, const char* scopeName, const char* statementName, const char* fragmentName,
            kelObjectRecord** record) {
  if (record) *record = nullptr;
  if (int rc = requireInitialised()) return rc;
  if (!validScope(scopeKind, scopeName) || !present(statementName) || !present(fragmentName))
    return KEL_INVALID_ARGUMENT;
  ObjectRecord statement, fragment;
  if (int rc = findFragment(scopeKind, scopeName, statementName, fragmentName, statement, fragment)) return rc;
  if (record && !(*record = fragment.copyForCaller())) return KEL_OUT_OF_MEMORY;
  return KEL_SUCCESS;
}

int deleteFrag(int scopeKind, const char* scopeName, const char* statementName, const char* fragmentName) {
  if (int rc = requireWritable()) return rc;
  if (!validScope(scopeKind, scopeName) || !present(statementName) || !present(fragmentName))
    return KEL_INVALID_ARGUMENT;
  ObjectRecord scope;
  if (int rc = findScope(scopeKind, scopeName, scope)) return rc;
  if (int rc = checkScope(scope)) return rc;

  Change change;
  if (int rc = change.begin(KEL_NOT_DELETED)) return rc;
  ObjectRecord statement, fragment;
  if (int rc = findFragment(scopeKind, scopeName, statementName, fragmentName, statement, fragment)) return rc;
  if (int rc = deleteObjectTree(fragment.id())) return rc;
  auto lists = twoLists(statement);
  const std::string name = fragment.name();
  lists[1].erase(std::remove(lists[1].begin(), lists[1].end(), name), lists[1].end());
  if (int rc = statement.setLists(lists)) return rc;
  if (int rc = rewriteObject(statement)) return rc;
  return change.commit(KEL_NOT_DELETED);
}

}  // namespace

int importFragmentFile(int scopeKind, const char* scopeName, const char* statement, const char* fragment,
                       const char* path) {
  if (!present(statement) || !present(fragment) || !present(path)) return KEL_INVALID_ARGUMENT;
  // Read the file whole first: a file that cannot be taken whole changes
  // nothing. EIO and EISDIR come from reading, every other error from
  // opening.
  std::string text;
  if (int err = orv::sys::readWholeFile(path, text)) {
    if (err == EIO || err == EISDIR) return KEL_CANNOT_READ;
    setExtraError(err);
    return KEL_CANNOT_OPEN;
  }
  std::vector<std::string> lines;
  std::string line;
  bool tooLong = false;
  for (const char c : text) {
    if (c != '\n') {
      // A line past the limit is refused; keep no more of it than tells so.
      if (line.size() <= static_cast<std::size_t>(kFragmentLineMax) + 1) line.push_back(c);
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    tooLong = tooLong || line.size() > static_cast<std::size_t>(kFragmentLineMax);
    lines.push_back(std::move(line));
    line.clear();
  }
  if (!line.empty()) {
    if (line.back() == '\r') line.pop_back();
    tooLong = tooLong || line.size() > static_cast<std::size_t>(kFragmentLineMax);
    lines.push_back(std::move(line));
  }
  if (tooLong) return KEL_STRINGS_TOO_LONG;
  bool first = true;
  for (const auto& l : lines) {
    if (int rc = addFrag(scopeKind, scopeName, statement, fragment, l.c_str(), first)) return rc;
    first = false;
  }
  return KEL_SUCCESS;
}

}  // namespace kel

extern "C" KEL_API kelResult kelAddFrag(int scopeKind, const char* scopeName, const char* statement,
                                        const char* fragment, const char* text, int replace) {
  return kel::exportBarrier(
      [&]() -> int { return kel::addFrag(scopeKind, scopeName, statement, fragment, text, replace != 0); });
}

extern "C" KEL_API kelResult kelGetFrag(int scopeKind, const char* scopeName, const char* statement,
                                        const char* fragment, kelObjectRecord** record) {
  return kel::exportBarrier([&]() -> int { return kel::getFrag(scopeKind, scopeName, statement, fragment, record); });
}

extern "C" KEL_API kelResult kelDeleteFrag(int scopeKind, const char* scopeName, const char* statement,
                                           const char* fragment) {
  return kel::exportBarrier([&]() -> int { return kel::deleteFrag(scopeKind, scopeName, statement, fragment); });
}
