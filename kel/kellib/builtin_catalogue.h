// The built-in catalogue: every permission (role row) and policy the product
// knows, with its category, value type, description and the base
// permissions it needs. Constant data; the catalogue calls query it and the
// revision library enumerates the role rows to fill its permission cache.
#pragma once

#include "kel/kellib/include/kel.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace kel {

// The rows in table order: the 29 role rows first, then the 39 policy rows
// (the zero row that ends the exported table is not part of the span).
std::span<const kelBuiltinPolicy> builtinCatalogue();

// The base permissions in bit order: name and bit.
struct BasePermission {
  const char* name;
  std::uint32_t bit;
};
std::span<const BasePermission> basePermissions();

}  // namespace kel
