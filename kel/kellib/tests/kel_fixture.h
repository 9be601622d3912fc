// A fresh database, created and opened for each test, and small helpers
// over the kel* calls' out blocks.
#pragma once

#include "kel/kellib/include/kel.h"
#include "kel/kellib/kel_state.h"
#include "kel/kellib/object_record.h"
#include "kel/kellib/object_store.h"
#include "kel/kellib/scope_password.h"
#include "platform/rookdb/tests/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kel_test {

class OpenDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    kel::resetPasswordState();
    ASSERT_EQ(kelInit("/opt/orv/bin/orvty"), KEL_SUCCESS);
    base_ = dir_.file("orvkel");
    ASSERT_EQ(kelCreateDB(base_.c_str(), "admin"), KEL_SUCCESS);
    ASSERT_EQ(kelOpenDB(base_.c_str(), 0), KEL_SUCCESS);
  }
  void TearDown() override {
    kel::resetPasswordState();
    EXPECT_EQ(kelExit(), KEL_SUCCESS);
  }
  void reopen(bool readOnly) {
    ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
    ASSERT_EQ(kelOpenDB(base_.c_str(), readOnly ? 1 : 0), KEL_SUCCESS);
  }

  orv::test::TempDir dir_;
  std::string base_;
};

// NUL-separated names as kelAddObject takes them with several != 0.
inline std::string names(const std::vector<std::string>& list) {
  std::string out;
  for (const auto& n : list) out += n + '\0';
  out += '\0';
  return out;
}

// The texts of a block of NUL-terminated names ended by an empty one; frees it.
inline std::vector<std::string> takeList(char* block) {
  std::vector<std::string> out;
  for (const char* p = block; p && *p; p += out.back().size() + 1) out.emplace_back(p);
  kelFree(block);
  return out;
}

// The lists of the object that kelGetObject(kind, name, childKind,
// childName) finds; {{"<missing>"}} when it answers otherwise than 0.
inline std::vector<kel::TextList> listsOf(int kind, const char* name, int childKind = 0,
                                          const char* childName = nullptr) {
  kelObjectRecord* rec = nullptr;
  if (kelGetObject(kind, name, childKind, childName, &rec) != KEL_SUCCESS) return {{"<missing>"}};
  // The copy does not carry its size: read the record back by its id.
  const std::int32_t id = rec->ObjectID;
  kelFree(rec);
  kel::ObjectRecord r;
  if (kel::readObject(id, r)) return {{"<unreadable>"}};
  return r.lists();
}

inline kel::TextList firstList(int kind, const char* name, int childKind = 0, const char* childName = nullptr) {
  auto lists = listsOf(kind, name, childKind, childName);
  return lists.empty() ? kel::TextList{} : lists[0];
}

inline bool exists(int kind, const char* name, int childKind = 0, const char* childName = nullptr) {
  return kelGetObject(kind, name, childKind, childName, nullptr) == KEL_SUCCESS;
}

}  // namespace kel_test
