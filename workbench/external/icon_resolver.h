// Which icon a tool-bar button shows when it starts a program of the
// user's: a user button, Help, View/Edit. Linux programs carry no icons, so
// a file's icon is found this way:
//   1. an image file (png, svg, xpm, ico, ...) is its own icon;
//   2. a desktop entry (.desktop) gives its Icon= value;
//   3. a program: the icon theme's icon named after the program, else the
//      Icon= of a desktop entry whose Exec starts the program;
//   4. else none, and the button keeps its built-in icon.
// An Icon= value that is an absolute path is a file, anything else a theme
// name. What the system holds (files, entries, the theme) is asked through
// IconLookup, so the order is tested without a desktop.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "workbench/layers.h"

namespace orv::workbench::external {

struct IconChoice {
  enum class Kind { none, file, theme, builtIn };
  Kind kind = Kind::none;
  std::string value;  // the file or the theme name
  int builtInId = 0;  // the built-in icon (Kind::builtIn)
  bool operator==(const IconChoice&) const = default;
};

class IconLookup {
 public:
  virtual ~IconLookup() = default;
  // Whether path is a readable image file.
  virtual bool isImageFile(const std::string& path) const = 0;
  // The Icon= value of the desktop entry at path, none when it has none.
  virtual std::optional<std::string> desktopEntryIcon(const std::string& path) const = 0;
  virtual bool hasThemeIcon(const std::string& name) const = 0;
  // The Icon= value of an installed desktop entry whose Exec starts program
  // (a bare name or a path).
  virtual std::optional<std::string> desktopEntryIconForProgram(const std::string& program) const = 0;
};

class IconResolver {
 public:
  explicit IconResolver(const IconLookup& lookup) : lookup_(lookup) {}

  // The icon of a file or program (leading and trailing blanks and one
  // pair of surrounding quotes dropped); none when it yields none.
  IconChoice iconOf(const std::string& file) const;
  // User button n: the icon of its Icon file, else of its program, else the
  // built-in icon 4249 + n.
  IconChoice userButton(int n, const std::string& command, const std::string& iconFile) const;
  // A button showing a program's icon (Help: the help viewer; View/Edit:
  // the editor), else its built-in icon.
  IconChoice programButton(const std::string& program, int builtInId) const;

 private:
  IconChoice fromIconValue(const std::string& value) const;
  const IconLookup& lookup_;
};

// A choice as a dialog's icon key: "icon:<id>" for a built-in icon,
// "theme:<name>:<fallback id>" for a theme icon, else the file's path;
// none gives fallbackId's built-in icon.
std::string iconKey(const IconChoice& choice, int fallbackId);

// The icon theme's check for every SystemIconLookup made without one of
// its own; the window program installs the toolkit's.
void setThemeIconCheck(std::function<bool(const std::string&)> check);

// The lookup of the running system: files as they are, desktop entries
// under $XDG_DATA_HOME and $XDG_DATA_DIRS /applications, the icon theme
// through hasThemeIcon (else the one of setThemeIconCheck; none: no
// theme).
class SystemIconLookup : public IconLookup {
 public:
  explicit SystemIconLookup(std::function<bool(const std::string&)> hasThemeIcon = {})
      : hasThemeIcon_(std::move(hasThemeIcon)) {}
  bool isImageFile(const std::string& path) const override;
  std::optional<std::string> desktopEntryIcon(const std::string& path) const override;
  bool hasThemeIcon(const std::string& name) const override;
  std::optional<std::string> desktopEntryIconForProgram(const std::string& program) const override;

 private:
  std::function<bool(const std::string&)> hasThemeIcon_;
};

}  // namespace orv::workbench::external
