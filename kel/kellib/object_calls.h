// The object calls of the interface, for the library's own callers
// (kelSetOption adds its entries through addObject) and the shared steps of
// finding what a call names.
#pragma once

#include "kel/kellib/object_record.h"

#include <string>
#include <vector>

namespace kel {

// The names of an add or delete: one name, or with several a list of
// NUL-terminated names ended by an empty one. Empty when names is null or
// its first name is empty.
std::vector<std::string> nameList(const char* names, int several);

// Finds a top-level object: kind 1 the global module whatever the name,
// kind 9 a security object by its absolute path, others by name at parent 0.
int findTopLevel(int kind, const char* name, ObjectRecord& out);

int addObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
              const char* names, int several);
int deleteObject(int scopeKind, const char* scopeName, int parentKind, const char* parentName, int kind,
                 const char* names, int several);

}  // namespace kel
