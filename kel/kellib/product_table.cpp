// The table of products.
#include "kel/kellib/product_table.h"

namespace kel {
namespace {

const ProductRow kProducts[] = {
    {"Tessalyworkbench", "TY", 1},
};

}  // namespace

std::span<const ProductRow> productTable() { return kProducts; }

}  // namespace kel
