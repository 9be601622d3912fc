// The table of products: database creation adds one product object per row,
// and the catalogue calls list and recognise them.
#pragma once

#include <cstdint>
#include <span>

namespace kel {

struct ProductRow {
  const char* name;
  const char* abbreviation;
  std::uint16_t value;
};

std::span<const ProductRow> productTable();

}  // namespace kel
