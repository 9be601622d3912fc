// The token check's decision table, against a stand-in for the library's
// token rules.
#include <gtest/gtest.h>

#include <cctype>

#include "vc/include/vc.h"
#include "workbench/app/string_table.h"
#include "workbench/app/token_validator.h"

namespace orv::workbench::app {
namespace {

// A small model of the library's classes: 53 revision numbers, 55 labels;
// a text "ERR" makes the check itself fail with 56.
int fakeCheck(int cls, const std::string& t) {
  if (t == "ERR") return 56;
  if (cls == VC_TOKEN_REVISION) {
    bool ok = !t.empty() && t.front() != '.' && t.back() != '.' && t.find("..") == std::string::npos;
    for (char c : t) ok = ok && (std::isdigit(static_cast<unsigned char>(c)) || c == '.');
    return ok ? 0 : 54;
  }
  if (cls == VC_TOKEN_LABEL) {
    bool ok = !t.empty() && std::isalpha(static_cast<unsigned char>(t.front()));
    for (char c : t) ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '_');
    return ok ? 0 : 54;
  }
  return t.empty() ? 54 : 0;
}

struct ValidateCase {
  const char* name;
  int kind;
  std::string text;
  int focus;
  bool pass;
  int messageId;
  int checks;  // library calls expected
};

class ValidateToken : public ::testing::TestWithParam<ValidateCase> {};

TEST_P(ValidateToken, Decides) {
  const ValidateCase& c = GetParam();
  int calls = 0;
  Validation v = validateToken(c.kind, c.text, c.focus, [&](int cls, const std::string& t) {
    ++calls;
    return fakeCheck(cls, t);
  });
  EXPECT_EQ(v.pass, c.pass);
  EXPECT_EQ(v.messageId, c.messageId);
  EXPECT_EQ(calls, c.checks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValidateToken,
    ::testing::Values(ValidateCase{"EmptyLabelPasses", 0, "", 0, true, 0, 0},
                      ValidateCase{"EmptyRevisionAsksTheLibrary", 1, "", 0, false, 523, 1},
                      ValidateCase{"BranchNumber", 4, "1.2.1", 0, true, 0, 1},
                      ValidateCase{"BranchLabel", 4, "REL_1", 0, true, 0, 2},
                      ValidateCase{"BadBranchOneMessage", 4, "1..2", 0, false, 525, 2},
                      ValidateCase{"CancelAllSkips", 1, "1..2", kCancelAllId, true, 0, 0},
                      ValidateCase{"LibraryFailure", 0, "ERR", 0, false, 774, 1},
                      ValidateCase{"BranchLibraryFailure", 4, "ERR", 0, false, 774, 2},
                      ValidateCase{"OptionalStateEmpty", 6, "", 0, true, 0, 0},
                      ValidateCase{"StateEmptyAsks", 2, "", 0, false, 521, 1},
                      ValidateCase{"UnknownKindPasses", 9, "x", 0, true, 773, 0},
                      ValidateCase{"NegativeKindPasses", -1, "x", 0, true, 773, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ValidateToken, MessagesExist) {
  for (int id : {520, 521, 522, 523, 525, 526, 773, 774, 776}) EXPECT_FALSE(loadString(id).empty()) << id;
}

}  // namespace
}  // namespace orv::workbench::app
