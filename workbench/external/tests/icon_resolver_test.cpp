// The order in which a program's or file's icon is looked for, against a
// fake system; and the real lookup's reading of desktop entries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "testing/temp_dir.h"
#include "workbench/external/icon_resolver.h"

namespace orv::workbench::external {
namespace {

class FakeLookup : public IconLookup {
 public:
  std::set<std::string> images, themeIcons;
  std::map<std::string, std::string> entries;      // desktop file -> Icon=
  std::map<std::string, std::string> programIcons;  // program -> Icon= of its entry
  bool isImageFile(const std::string& path) const override { return images.count(path) != 0; }
  std::optional<std::string> desktopEntryIcon(const std::string& path) const override {
    auto it = entries.find(path);
    return it == entries.end() ? std::nullopt : std::optional(it->second);
  }
  bool hasThemeIcon(const std::string& name) const override { return themeIcons.count(name) != 0; }
  std::optional<std::string> desktopEntryIconForProgram(const std::string& program) const override {
    auto it = programIcons.find(program);
    return it == programIcons.end() ? std::nullopt : std::optional(it->second);
  }
};

using Kind = IconChoice::Kind;

TEST(IconResolverOrder, Table) {
  FakeLookup fake;
  fake.images = {"/icons/tool.png", "/icons/make.svg", "/usr/share/pixmaps/gitk.xpm"};
  fake.themeIcons = {"gimp", "make"};
  fake.entries = {{"/apps/tool.desktop", "tool-icon"},
                  {"/apps/abs.desktop", "/icons/tool.png"},
                  {"/apps/missing.desktop", "/icons/gone.png"}};
  fake.programIcons = {{"/usr/bin/gitk", "/usr/share/pixmaps/gitk.xpm"}, {"/opt/ide/bin/ide", "ide"}};
  const IconResolver resolver(fake);
  struct Case {
    const char* file;
    IconChoice icon;
  } cases[] = {
      {"/icons/tool.png", {Kind::file, "/icons/tool.png", 0}},         // an image is its own icon
      {"  \"/icons/tool.png\" ", {Kind::file, "/icons/tool.png", 0}},  // blanks and quotes go
      {"/apps/tool.desktop", {Kind::theme, "tool-icon", 0}},           // an entry's Icon= name
      {"/apps/abs.desktop", {Kind::file, "/icons/tool.png", 0}},       // an entry's Icon= path
      {"/apps/missing.desktop", {}},                                   // a path that is no image
      {"/apps/none.desktop", {}},                                      // an entry without Icon=
      {"/usr/bin/gimp", {Kind::theme, "gimp", 0}},                     // the theme knows the program
      {"make", {Kind::theme, "make", 0}},                              // the theme before an entry
      {"/usr/bin/gitk", {Kind::file, "/usr/share/pixmaps/gitk.xpm", 0}},  // an entry that starts it
      {"/opt/ide/bin/ide", {Kind::theme, "ide", 0}},
      {"/usr/bin/unknown", {}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(resolver.iconOf(c.file), c.icon) << c.file;
}

TEST(IconResolverOrder, UserButtonsAndProgramButtons) {
  FakeLookup fake;
  fake.images = {"/icons/tool.png"};
  fake.themeIcons = {"make", "yelp"};
  const IconResolver resolver(fake);
  struct Case {
    int n;
    const char* command;
    const char* icon;
    IconChoice choice;
  } cases[] = {
      {1, "/usr/bin/make", "/icons/tool.png", {Kind::file, "/icons/tool.png", 0}},  // the icon file first
      {2, "/usr/bin/make", "", {Kind::theme, "make", 0}},                           // then the program
      {3, "/usr/bin/make", "/icons/none.png", {Kind::theme, "make", 0}},            // an icon file without icon
      {4, "/usr/bin/nothing", "", {Kind::builtIn, "", 4253}},                       // else 4249 + n
      {5, "", "", {Kind::builtIn, "", 4254}},
  };
  for (const Case& c : cases) EXPECT_EQ(resolver.userButton(c.n, c.command, c.icon), c.choice) << c.n;
  EXPECT_EQ(resolver.programButton("yelp", 4129), (IconChoice{Kind::theme, "yelp", 0}));
  EXPECT_EQ(resolver.programButton("/usr/bin/nothing", 4117), (IconChoice{Kind::builtIn, "", 4117}));
}

TEST(SystemIconLookup, ReadsDesktopEntries) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("share/applications"));
  dir.write("tool.png", "not checked");
  dir.write("share/applications/ide.desktop",
            "[Desktop Entry]\nType=Application\nName=IDE\nExec=\"/opt/my ide/bin/ide\" %F\nIcon=ide-icon\n"
            "[Desktop Action New]\nIcon=other\n");
  dir.write("share/applications/noicon.desktop", "[Desktop Entry]\nExec=plain\n");
  ::setenv("XDG_DATA_HOME", dir.file("share").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", dir.file("none").c_str(), 1);
  const SystemIconLookup lookup([](const std::string& name) { return name == "vim"; });
  EXPECT_TRUE(lookup.isImageFile(dir.file("tool.png")));
  EXPECT_FALSE(lookup.isImageFile(dir.file("gone.png")));
  EXPECT_FALSE(lookup.isImageFile(dir.file("share/applications/ide.desktop")));
  EXPECT_EQ(lookup.desktopEntryIcon(dir.file("share/applications/ide.desktop")), "ide-icon");
  EXPECT_EQ(lookup.desktopEntryIcon(dir.file("share/applications/noicon.desktop")), std::nullopt);
  EXPECT_EQ(lookup.desktopEntryIconForProgram("/opt/my ide/bin/ide"), "ide-icon");
  EXPECT_EQ(lookup.desktopEntryIconForProgram("ide"), "ide-icon");
  EXPECT_EQ(lookup.desktopEntryIconForProgram("plain"), std::nullopt);
  EXPECT_TRUE(lookup.hasThemeIcon("vim"));
  EXPECT_FALSE(SystemIconLookup().hasThemeIcon("vim"));
  ::unsetenv("XDG_DATA_HOME");
  ::unsetenv("XDG_DATA_DIRS");
}

}  // namespace
}  // namespace orv::workbench::external
