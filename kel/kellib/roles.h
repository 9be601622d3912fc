// Roles of users and the lookup of an entry in a role or policy statement.
#pragma once

#include "kel/kellib/object_record.h"

#include <optional>
#include <string>

namespace kel {

// The roles of a user (objectKind 3) in the scope, each once, in order: its
// own list, then (withGroups) the roles of every group of the scope that has
// a member record with its name. An unknown user has the single role
// "DefaultUnregisteredUser" in the global module (22 elsewhere); a user
// whose list is empty "DefaultRegisteredUser". For a role (objectKind 6)
// its entry list.
int rolesOf(const ObjectRecord& scope, int objectKind, const char* name, bool withGroups, TextList& out);

struct EntryLookup {
  int flags = 0;  // kEntryEnforce | kEntryNo
  std::optional<std::string> value;
};

// The first entry with key in the first list of the object (objectKind,
// objectName) under the scope: 0, or 22 when the object or the entry is
// missing.
int lookupEntry(const ObjectRecord& scope, int objectKind, const char* objectName, const char* key,
                EntryLookup& out);

}  // namespace kel
