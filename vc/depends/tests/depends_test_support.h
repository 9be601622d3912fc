// A project on disk for the dependency tests: files written with fixed
// times, a project file with members and options, and the open project.
#pragma once

#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/security/permissions.h"
#include "vc/tests/support_kel_double.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <set>
#include <string>
#include <vector>

namespace dependstest {

inline std::set<std::string>& denied() {
  static std::set<std::string> names;
  return names;
}
inline bool grantedUnlessDenied(vc::VcInstance&, const char* p) { return !denied().count(p); }

struct DependsTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-depends"};
  int h = 0;
  long clock = 1500000000;  // file times, one second apart

  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    denied().clear();
    vc::permissionBridge().granted = grantedUnlessDenied;
  }
  void TearDown() override {
    vc::resetPermissionBridge();
    vcAPIcleanup();
  }
  std::string path(const std::string& name) const { return scratch.path() + "/" + name; }
  // Writes a file (making its folders) with the next fixed time.
  void put(const std::string& name, const std::string& text) {
    const std::string full = path(name);
    for (std::size_t s = full.find('/', scratch.path().size() + 1); s != std::string::npos; s = full.find('/', s + 1))
      ::mkdir(full.substr(0, s).c_str(), 0755);
    ASSERT_EQ(orv::sys::writeWholeFile(full, text), 0) << name;
    struct utimbuf t {clock, clock};
    ++clock;
    ASSERT_EQ(::utime(full.c_str(), &t), 0);
  }
  std::string read(const std::string& name) const {
    std::string text;
    if (orv::sys::readWholeFile(path(name), text) != 0) return "<missing>";
    return text;
  }
  // Writes p.prj (options, then members as stored) and opens it.
  int openProject(const std::vector<std::string>& options, const std::vector<std::string>& members,
                  int flags = 2, const std::string& file = "p.prj") {
    std::string text = "--ORV Project--\n$Revision$\n";
    for (const std::string& o : options) text += o + "\n";
    text += "EndOptions\n";
    for (const std::string& m : members) text += m + " f  \n";
    EXPECT_EQ(orv::sys::writeWholeFile(path(file), text), 0);
    h = 0;
    EXPECT_EQ(vcOpenProject(path(file).c_str(), flags, &h, 0), 0);
    return h;
  }
  // The text with every occurrence of the scratch directory as "<dir>".
  std::string placeholders(std::string text) const {
    const std::string& dir = scratch.path();
    for (std::size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at))
      text.replace(at, dir.size(), "<dir>");
    return text;
  }
};

// Collects what a used-file callback is given.
inline std::vector<std::string>& usedNames() {
  static std::vector<std::string> names;
  return names;
}
inline int collectUsed(const char* name) {
  usedNames().push_back(name);
  return 0;
}
inline std::vector<std::string>& statusTexts() {
  static std::vector<std::string> texts;
  return texts;
}
inline int collectStatus(const char* text) {
  statusTexts().push_back(text);
  return 0;
}

}  // namespace dependstest
