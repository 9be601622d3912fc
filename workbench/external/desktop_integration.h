// The workbench in the desktop, as freedesktop.org files:
//   start with the session  $XDG_CONFIG_HOME/autostart/orvty32.desktop
//   open with the workbench $XDG_DATA_HOME/applications/orvty32.desktop,
//                           with MimeType= for project and archive files,
//                           their glob definition in
//                           $XDG_DATA_HOME/mime/packages/orvty32.xml and
//                           the program icon in the hicolor theme
// (XDG_CONFIG_HOME defaults to ~/.config, XDG_DATA_HOME to ~/.local/share).
// Each entry is written to a temporary file and renamed, so adding twice
// leaves one entry; removing a missing entry is silent. After the "open
// with" entry changes, update-desktop-database and update-mime-database
// refresh the desktop's caches when they are installed; their failures are
// silent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "workbench/layers.h"

namespace orv::workbench::external {

inline constexpr const char* kDesktopAppId = "orvty32";
inline constexpr const char* kProjectMimeType = "application/x-orv-project";
inline constexpr const char* kArchiveMimeType = "application/x-orv-archive";

struct DesktopPaths {
  std::string configHome;  // $XDG_CONFIG_HOME
  std::string dataHome;    // $XDG_DATA_HOME
  static DesktopPaths fromEnvironment();
};

// The [Desktop Entry] group of a desktop file's text: (key, value) in order.
std::vector<std::pair<std::string, std::string>> desktopEntryGroup(const std::string& text);
// A value of the group, none when missing.
std::optional<std::string> desktopEntryValue(const std::string& text, const std::string& key);
// The program an Exec= value starts (its first word, quotes removed).
std::string execProgram(const std::string& exec);

class DesktopIntegration {
 public:
  // program: the workbench's absolute path.
  DesktopIntegration(DesktopPaths paths, std::string program);

  std::string autostartFile() const;
  std::string applicationFile() const;
  std::string mimeFile() const;
  std::string iconFile() const;

  bool startsWithSession() const;
  bool opensFiles() const;

  // Adds or removes the autostart entry; the message to show when it
  // fails, none on success.
  std::optional<std::string> setStartWithSession(bool add);
  // Adds or removes the "open with" entry, its MIME globs and the icon;
  // failures are silent.
  void setOpensFiles(bool add);

  std::string autostartEntry() const;
  std::string applicationEntry() const;
  static std::string mimeDefinition();
  static const char* programIconSvg();

 private:
  // The program icon in the hicolor theme of $XDG_DATA_HOME, once.
  void installIcon() const;

  DesktopPaths paths_;
  std::string program_;
};

}  // namespace orv::workbench::external
