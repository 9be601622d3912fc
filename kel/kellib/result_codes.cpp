// Result codes and their texts, kelErrorStr and kelExtraError.
#include "kel/kellib/result_codes.h"

#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"

#include <cstring>

namespace kel {
namespace {

struct CodeText {
  int code;
  const char* text;
};

const CodeText kTable[] = {
    {0, "success"},
    {1, "done"},
    {2, "team not found"},
    {3, "illegal handle pointer"},
    {4, "illegal handle"},
    {5, "Invalid argument"},
    {8, "out of memory"},
    {9, "bad format in security file"},
    {10, "Bad magic cookie"},
    {14, "server lists reordered, do operation again"},
    {15, "functionality not available"},
    {16, "too many server retargets"},
    {17, "strings too long (internal)"},
    {18, "Orv Kelmark not initialized"},
    {19, "No Orv Kelmark database available. See your administrator."},
    {20, "Incorrect password"},
    {21, "object exists"},
    {22, "Could not find requested object"},
    {23, "object not deleted"},
    {24, "object not added"},
    {25, "Cannot get an absolute path name to the file."},
    {26, "Database opened read-only."},
    {27, "Cannot create a redirector where a database with same base name exists."},
    {28, "nothing"},
    {200, "errno used"},
    {201, "Cannot open Orv Kelmark database"},
    {202, "Cannot read Orv Kelmark database"},
    {203, "Cannot write Orv Kelmark database"},
    {204, "Cannot access Orv Kelmark database"},
    {205, "buffer too small to hold data"},
    {206, "Novell NetWare error"},
    {207, "Windows NT error"},
    {209, "A database is already open"},
    {210, "A database is not open"},
    {219, "Blank password not permitted"},
    {220, "impossible"},
};

}  // namespace

const char* resultText(int code) {
  for (const auto& e : kTable)
    if (e.code == code) return e.text;
  return "impossible";
}

}  // namespace kel

extern "C" KEL_API kelResult kelErrorStr(kelResult code, char* buffer, int length) {
  const char* text = kel::resultText(code);
  const std::size_t n = std::strlen(text);
  if (length < 1 || n > static_cast<std::size_t>(length) - 1) return KEL_BUFFER_TOO_SMALL;
  if (!buffer) return KEL_INVALID_ARGUMENT;
  std::memcpy(buffer, text, n + 1);
  return KEL_SUCCESS;
}

extern "C" KEL_API int kelExtraError(void) { return kel::database().extraError; }
