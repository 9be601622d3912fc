// The result-code texts and kelErrorStr's buffer rules.
#include "kel/kellib/include/kel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string text(int code) {
  char buf[256];
  EXPECT_EQ(kelErrorStr(code, buf, sizeof buf), KEL_SUCCESS) << code;
  return buf;
}

TEST(KelErrorStr, EveryCodeHasItsText) {
  struct {
    int code;
    const char* text;
  } table[] = {
      {0, "success"}, {1, "done"}, {2, "team not found"}, {3, "illegal handle pointer"},
      {4, "illegal handle"}, {5, "Invalid argument"}, {8, "out of memory"},
      {9, "bad format in security file"}, {10, "Bad magic cookie"},
      {14, "server lists reordered, do operation again"}, {15, "functionality not available"},
      {16, "too many server retargets"}, {17, "strings too long (internal)"},
      {18, "Orv Kelmark not initialized"},
      {19, "No Orv Kelmark database available. See your administrator."},
      {20, "Incorrect password"}, {21, "object exists"}, {22, "Could not find requested object"},
      {23, "object not deleted"}, {24, "object not added"},
      {25, "Cannot get an absolute path name to the file."}, {26, "Database opened read-only."},
      {27, "Cannot create a redirector where a database with same base name exists."},
      {28, "nothing"}, {200, "errno used"}, {201, "Cannot open Orv Kelmark database"},
      {202, "Cannot read Orv Kelmark database"}, {203, "Cannot write Orv Kelmark database"},
      {204, "Cannot access Orv Kelmark database"}, {205, "buffer too small to hold data"},
      {206, "Novell NetWare error"}, {207, "Windows NT error"}, {209, "A database is already open"},
      {210, "A database is not open"}, {219, "Blank password not permitted"}, {220, "impossible"},
      // Codes without an entry.
      {-1, "impossible"}, {6, "impossible"}, {7, "impossible"}, {11, "impossible"}, {13, "impossible"},
      {29, "impossible"}, {100, "impossible"}, {199, "impossible"}, {208, "impossible"},
      {211, "impossible"}, {218, "impossible"}, {221, "impossible"}, {100000, "impossible"},
  };
  for (const auto& e : table) EXPECT_EQ(text(e.code), e.text) << e.code;
}

TEST(KelErrorStr, ATextThatDoesNotFitLeavesTheBufferAlone) {
  const std::string notFound = "Could not find requested object";
  char buf[64];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(kelErrorStr(22, buf, 10), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(std::string(buf, 10), "##########");
  EXPECT_EQ(kelErrorStr(22, buf, static_cast<int>(notFound.size())), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(kelErrorStr(22, buf, static_cast<int>(notFound.size()) + 1), KEL_SUCCESS);
  EXPECT_EQ(buf, notFound);
  EXPECT_EQ(kelErrorStr(22, buf, 0), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(kelErrorStr(22, buf, -5), KEL_BUFFER_TOO_SMALL);
  EXPECT_EQ(kelErrorStr(22, nullptr, 64), KEL_INVALID_ARGUMENT);
}

}  // namespace
