// Support shared by the project tests: a permission double that grants
// everything but the names in denied(), and whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/sys/system_calls.h"
#include "vc/instance/instance.h"

namespace projecttest {

inline std::set<std::string>& denied() {
  static std::set<std::string> names;
  return names;
}
inline bool grantedUnlessDenied(vc::VcInstance&, const char* p) { return !denied().count(p); }

inline std::string readFile(const std::string& path) {
  std::string text;
  if (orv::sys::readWholeFile(path, text) != 0) return "<missing>";
  return text;
}
inline void writeFile(const std::string& path, const std::string& text) {
  ASSERT_EQ(orv::sys::writeWholeFile(path, text), 0) << path;
}

}  // namespace projecttest
