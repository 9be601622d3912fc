// Scopes: the object that a call names as the home of what it reads or
// changes. Kind 1 is the global module (its name is not looked at: a caller
// may give "", "Global Module" or anything), kind 2 a project by name.
#pragma once

#include "kel/kellib/object_record.h"

#include <string>

namespace kel {

// Reads the scope object: 5 for another kind or a project without name,
// 22 when the project is missing, 202 on a read failure.
int findScope(int kind, const char* name, ObjectRecord& out);

// The name under which a scope is known to the password cache and the
// callback: "" for the global module, else the stored name.
std::string scopeKey(const ObjectRecord& scope);

// A caller's text, or "" for null.
inline std::string_view textOf(const char* s) { return s ? std::string_view(s) : std::string_view(); }

}  // namespace kel
