// The catalogue and product calls: kelEnumBuiltinPolicy, kelGetBuiltinPolicy,
// kelGetNeededPermission, kelGetDependentName, kelGetDependentPermission,
// kelEnumProducts and kelIsProductName.
#include "kel/kellib/builtin_catalogue.h"
#include "kel/kellib/entry_text.h"
#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/product_table.h"

#include <cstring>
#include <string_view>

namespace {

using kel::equalsIgnoringCase;

// An empty or missing filter matches everything.
bool filterMatches(const char* filter, const char* value) {
  return !filter || !*filter || equalsIgnoringCase(filter, value);
}

bool rowMatches(const kelBuiltinPolicy& row, const char* product, const char* kind, const char* category) {
  return filterMatches(product, row.Product) && filterMatches(kind, row.Kind) &&
         filterMatches(category, row.Category);
}

bool isRole(const kelBuiltinPolicy& row) { return std::strcmp(row.Kind, "Role") == 0; }

// Names joined by "," into a caller's buffer. A name is written only when
// its length plus 2 (separator and terminator) is below the room left;
// names that do not fit are still counted, and a later shorter one may fit.
class NameList {
 public:
  NameList(char* buffer, int length) : buffer_(length > 0 ? buffer : nullptr), length_(length) {
    if (buffer_) buffer_[0] = '\0';
  }
  void add(const char* name) {
    ++count_;
    if (!buffer_) return;
    const std::size_t len = std::strlen(name);
    const std::size_t remaining = static_cast<std::size_t>(length_) - used_;
    if (len + 2 >= remaining) return;
    if (used_) buffer_[used_++] = ',';
    std::memcpy(buffer_ + used_, name, len);
    used_ += len;
    buffer_[used_] = '\0';
  }
  bool hasBuffer() const { return buffer_ != nullptr; }
  int count() const { return count_; }

 private:
  char* buffer_;
  int length_;
  std::size_t used_ = 0;
  int count_ = 0;
};

void listBaseNames(std::uint32_t mask, NameList& list) {
  for (const auto& base : kel::basePermissions())
    if (mask & base.bit) list.add(base.name);
}

const kel::BasePermission* findBasePermission(std::string_view name) {
  for (const auto& base : kel::basePermissions())
    if (equalsIgnoringCase(name, base.name)) return &base;
  return nullptr;
}

}  // namespace

extern "C" KEL_API kelResult kelEnumBuiltinPolicy(const char* product, const char* kind, const char* category,
                                                  kelBuiltinPolicyCallback callback) {
  return kel::exportBarrier([&]() -> int {
    if (!callback) return KEL_INVALID_ARGUMENT;
    for (const auto& row : kel::builtinCatalogue())
      if (rowMatches(row, product, kind, category))
        if (int rc = callback(&row)) return rc;
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelGetBuiltinPolicy(const char* product, const char* kind, const char* category,
                                                 const char* key, kelBuiltinPolicy* row) {
  return kel::exportBarrier([&]() -> int {
    if (!key || !*key) return KEL_INVALID_ARGUMENT;
    for (const auto& r : kel::builtinCatalogue()) {
      if (!rowMatches(r, product, kind, category) || !equalsIgnoringCase(key, r.Key)) continue;
      if (row) std::memcpy(row, &r, sizeof r);
      return KEL_SUCCESS;
    }
    return KEL_NOT_FOUND;
  });
}

extern "C" KEL_API kelResult kelGetNeededPermission(const char* key, char* names, int length, int* count) {
  return kel::exportBarrier([&]() -> int {
    if (!key || !*key) return KEL_INVALID_ARGUMENT;
    for (const auto& row : kel::builtinCatalogue()) {
      if (!isRole(row) || !equalsIgnoringCase(key, row.Key)) continue;
      NameList list(names, length);
      listBaseNames(row.Needed, list);
      if (count) *count = list.count();
      return row.Needed == 0 ? KEL_SUCCESS : KEL_DONE;
    }
    return KEL_NOT_FOUND;
  });
}

extern "C" KEL_API kelResult kelGetDependentName(uint32_t mask, char* names, int length, int* count) {
  return kel::exportBarrier([&]() -> int {
    NameList list(names, length);
    listBaseNames(mask, list);
    if (count) *count = list.count();
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelGetDependentPermission(const char* basePermission, char* names, int length,
                                                       int* count) {
  return kel::exportBarrier([&]() -> int {
    if (!basePermission) return KEL_INVALID_ARGUMENT;
    const kel::BasePermission* base = findBasePermission(basePermission);
    if (!base) return KEL_NOT_FOUND;
    NameList list(names, length);
    for (const auto& row : kel::builtinCatalogue()) {
      if (!isRole(row) || !(row.Needed & base->bit)) continue;
      list.add(row.Key);
      if (!list.hasBuffer()) break;  // without a buffer the first one answers
    }
    if (count) *count = list.count();
    return list.count() ? KEL_DONE : KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelEnumProducts(kelProductCallback callback) {
  return kel::exportBarrier([&]() -> int {
    if (!callback) return KEL_INVALID_ARGUMENT;
    for (const auto& product : kel::productTable())
      if (int rc = callback(product.name, product.abbreviation)) return rc;
    return KEL_SUCCESS;
  });
}

extern "C" KEL_API kelResult kelIsProductName(const char* name, char* abbreviation, int length) {
  return kel::exportBarrier([&]() -> int {
    if (!name) return KEL_INVALID_ARGUMENT;
    std::string_view rest(name);
    // The maker's name in front counts only as a word of its own.
    if (rest.size() > 3 && equalsIgnoringCase(rest.substr(0, 3), "orv") && (rest[3] == ' ' || rest[3] == '\t'))
      rest.remove_prefix(4);
    for (const auto& product : kel::productTable()) {
      if (!equalsIgnoringCase(rest, product.name) && !equalsIgnoringCase(rest, product.abbreviation)) continue;
      const std::size_t need = std::strlen(product.abbreviation) + 1;
      if (abbreviation) {
        if (length < 0 || need > static_cast<std::size_t>(length)) return KEL_BUFFER_TOO_SMALL;
        std::memcpy(abbreviation, product.abbreviation, need);
      }
      return KEL_SUCCESS;
    }
    return KEL_NOT_FOUND;
  });
}
