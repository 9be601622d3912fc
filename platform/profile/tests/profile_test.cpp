#include "platform/profile/profile.h"
#include "testing/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace orv::profile;

namespace {
struct ProfileTest : ::testing::Test {
  orv::test::TempDir dir{"orv-profile"};
  std::string file = dir.file("ORVTY.INI");
  void write(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
  std::string read() {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};
}  // namespace

TEST_F(ProfileTest, LookupIgnoresCaseAndFirstMatchWins) {
  write("; comment\r\n[General]\r\nKey = one \r\nkey=two\r\n[general]\r\nkey=three\r\nQ=\"quoted \"\r\n");
  struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"general", "KEY", "one"},
      {"GENERAL", "key", "one"},
      {"General", "q", "<missing>"},  // only the first section of that name is searched
      {"General", "nokey", "<missing>"},
      {"nosection", "key", "<missing>"},
  };
  for (auto& c : cases)
    EXPECT_EQ(getProfileString(file, c.section, c.key, "<missing>"), c.expected)
        << c.section << "/" << c.key;
  ProfileFile p;
  ASSERT_TRUE(p.load(file));
  EXPECT_EQ(p.sections(), (std::vector<std::string>{"General", "general"}));
  EXPECT_EQ(p.keys("GENERAL"), (std::vector<std::string>{"Key", "key"}));
}

TEST_F(ProfileTest, QuotesAndNumbers) {
  write("[S]\nq=\"  spaced  \"\nn=  -42abc\nbad=x\n");
  EXPECT_EQ(getProfileString(file, "s", "q", ""), "  spaced  ");
  EXPECT_EQ(getProfileInt(file, "s", "n", 7), -42);
  EXPECT_EQ(getProfileInt(file, "s", "bad", 7), 7);
  EXPECT_EQ(getProfileInt(file, "s", "missing", 7), 7);
}

TEST_F(ProfileTest, WritesKeepOtherLines) {
  write("; keep me\n[A]\nx=1\n\n[B]\ny=2\nstray line\n");
  ASSERT_EQ(writeProfileString(file, "a", "z", "3"), 0);   // new key at the end of A
  ASSERT_EQ(writeProfileString(file, "b", "Y", "22"), 0);  // replaced in place
  ASSERT_EQ(writeProfileString(file, "C", "k", "v"), 0);   // new section at the end
  EXPECT_EQ(read(), "; keep me\n[A]\nx=1\nz=3\n\n[B]\nY=22\nstray line\n[C]\nk=v\n");
  ASSERT_EQ(writeProfileString(file, "A", "x", nullptr), 0);
  ASSERT_EQ(writeProfileString(file, "b", nullptr, nullptr), 0);
  EXPECT_EQ(read(), "; keep me\n[A]\nz=3\n\n[C]\nk=v\n");
  ASSERT_EQ(writeProfileString(file, "nosuch", "k", nullptr), 0);
}

TEST_F(ProfileTest, TextsThatWouldNotReadBackAreRefused) {
  write("[A]\nx=1\n");
  struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"A]B", "k", "v"},   // would read back as section "A"
      {"A", "k=j", "v"},   // would read back as key "k"
      {"A", "", "v"},
      {"A", "k", "v\nz=2"},  // would add a line
      {"A\r", "k", "v"},
  };
  for (auto& c : cases) EXPECT_EQ(writeProfileString(file, c.section, c.key, c.value), EINVAL) << c.section << "/" << c.key;
  EXPECT_EQ(read(), "[A]\nx=1\n");
}

TEST_F(ProfileTest, MissingFileIsCreatedOnWrite) {
  EXPECT_EQ(getProfileString(file, "General", "InstallDir", "none"), "none");
  ASSERT_EQ(writeProfileString(file, "General", "InstallDir", "/opt/orv"), 0);
  EXPECT_EQ(getProfileString(file, "general", "installdir", "none"), "/opt/orv");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#include "platform/profile/settings_dir.h"

TEST_F(ProfileTest, SettingsDirectoryOrder) {
  ::setenv("ORV_SETTINGS", dir.file("explicit").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", dir.file("xdg").c_str(), 1);
  EXPECT_EQ(settingsDirectory(), dir.file("explicit"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("explicit")));
  ::unsetenv("ORV_SETTINGS");
  EXPECT_EQ(settingsDirectory(false), dir.file("xdg/orv"));
  EXPECT_FALSE(std::filesystem::exists(dir.file("xdg")));
  ::unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  std::string saved = home ? home : "";
  ::setenv("HOME", dir.path().c_str(), 1);
  EXPECT_EQ(settingsDirectory(false), dir.file(".config/orv"));
  if (saved.empty()) ::unsetenv("HOME"); else ::setenv("HOME", saved.c_str(), 1);
}
