// The autostart and "open with" entries in temporary XDG directories,
// checked by desktop-file-validate.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "testing/temp_dir.h"
#include "workbench/external/desktop_integration.h"

namespace orv::workbench::external {
namespace {

namespace fs = std::filesystem;

// desktop-file-validate's verdict: its output (empty when the file is
// clean); nullopt when the tool is not installed.
std::optional<std::string> validate(const std::string& path) {
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0) return std::nullopt;
  const std::string cmd = "desktop-file-validate '" + path + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  const int rc = p ? ::pclose(p) : -1;
  if (rc != 0 && out.empty()) out = "exit status " + std::to_string(rc);
  return out;
}

class Desktop : public ::testing::Test {
 protected:
  test::TempDir dir;
  DesktopPaths paths{dir.file("config"), dir.file("data")};
  DesktopIntegration desktop{paths, "/opt/orv tools/bin/orvty32"};
};

TEST_F(Desktop, AutostartEntryComesAndGoes) {
  EXPECT_FALSE(desktop.startsWithSession());
  EXPECT_EQ(desktop.autostartFile(), dir.file("config/autostart/orvty32.desktop"));
  EXPECT_EQ(desktop.setStartWithSession(true), std::nullopt);
  EXPECT_EQ(desktop.setStartWithSession(true), std::nullopt);  // twice: still one entry
  EXPECT_TRUE(desktop.startsWithSession());
  EXPECT_EQ(fs::directory_iterator(dir.file("config/autostart"))->path().filename(), "orvty32.desktop");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("config/autostart")), fs::directory_iterator()), 1);
  const std::string text = dir.read("config/autostart/orvty32.desktop");
  EXPECT_EQ(desktopEntryValue(text, "Type"), "Application");
  EXPECT_EQ(execProgram(*desktopEntryValue(text, "Exec")), "/opt/orv tools/bin/orvty32");
  EXPECT_EQ(desktopEntryValue(text, "Terminal"), "false");
  if (auto verdict = validate(desktop.autostartFile())) {
    EXPECT_EQ(*verdict, "") << text;
  }
  EXPECT_TRUE(fs::exists(desktop.iconFile()));
  EXPECT_EQ(desktop.setStartWithSession(false), std::nullopt);
  EXPECT_FALSE(desktop.startsWithSession());
  EXPECT_EQ(desktop.setStartWithSession(false), std::nullopt);  // absent: silent
}

TEST_F(Desktop, FailuresHaveTheirMessages) {
  // The autostart directory cannot be made: a file stands in its way.
  fs::create_directories(dir.file("config"));
  dir.write("config/autostart", "");
  EXPECT_EQ(desktop.setStartWithSession(true), "Unable to create the Startup program group.");
  // The entry cannot be written: a directory holds its name.
  fs::remove(dir.file("config/autostart"));
  fs::create_directories(dir.file("config/autostart/orvty32.desktop/x"));
  EXPECT_EQ(desktop.setStartWithSession(true), "Unable to add Tessalyworkbench to the Startup group.");
  EXPECT_EQ(desktop.setStartWithSession(false), "Unable to remove Tessalyworkbench from the Startup group.");
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("config/autostart")), fs::directory_iterator()), 1);
}

TEST_F(Desktop, OpenWithEntryNamesProjectsAndArchives) {
  desktop.setOpensFiles(true);
  desktop.setOpensFiles(true);
  EXPECT_TRUE(desktop.opensFiles());
  const std::string text = dir.read("data/applications/orvty32.desktop");
  EXPECT_EQ(desktopEntryValue(text, "MimeType"), "application/x-orv-project;application/x-orv-archive;");
  // Files opened from the desktop come as arguments of the program.
  const std::string exec = *desktopEntryValue(text, "Exec");
  EXPECT_EQ(execProgram(exec), "/opt/orv tools/bin/orvty32");
  EXPECT_NE(exec.find(" %F"), std::string::npos);
  if (auto verdict = validate(desktop.applicationFile())) {
    EXPECT_EQ(*verdict, "") << text;
  }
  const std::string mime = dir.read("data/mime/packages/orvty32.xml");
  EXPECT_NE(mime.find("<glob pattern=\"*.pj\"/>"), std::string::npos);
  desktop.setOpensFiles(false);
  EXPECT_FALSE(desktop.opensFiles());
  EXPECT_FALSE(fs::exists(desktop.mimeFile()));
  desktop.setOpensFiles(false);
}

TEST(DesktopEntryText, ExecQuotingReadsBack) {
  test::TempDir dir;
  for (const char* program : {"/usr/bin/orvty32", "/a b/$HOME/x\"y`z\\w"}) {
    DesktopIntegration desktop({dir.file("c"), dir.file("d")}, program);
    EXPECT_EQ(execProgram(*desktopEntryValue(desktop.autostartEntry(), "Exec")),
              // the value's own escapes are undone by the reader first
              std::string(program))
        << desktop.autostartEntry();
  }
}

}  // namespace
}  // namespace orv::workbench::external
