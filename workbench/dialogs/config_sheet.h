// The personal configuration sheet: the pages of config_pages.h in one
// property sheet, reached from File > Configuration, its tool-bar button
// and the command server's Configuration. The library's options change in
// memory as the pages apply; after every OK whose pages all applied, they
// are saved into ORVRCS.RC. Cancel, and an OK that a page refuses, save
// nothing.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/property_sheet.h"
#include "workbench/commands/frame_registry.h"
#include "workbench/dialogs/config_pages.h"
#include "workbench/external/icon_resolver.h"

namespace orv::workbench::dialogs {

// What the pages need beyond the two files.
struct ConfigSheetServices {
  DesktopIntegration desktop;
  // Opens a file in the configured editor (the Logging page's View).
  std::function<void(const std::string& path)> view;
  // How the Toolbar page finds the icons of users' programs; the system's
  // without a theme when null.
  const external::IconLookup* iconLookup = nullptr;
};

// What a page is made from.
struct ConfigPageContext {
  ui::Ui& ui;
  const ConfigFiles& files;
  const ConfigSheetServices& services;
};

// One tab of the sheet: its title and how its page is made.
struct ConfigPageEntry {
  const char* title;
  const ui::DialogDescription& (*description)();
  std::unique_ptr<ConfigPage> (*make)(const ConfigPageContext& context);
};

// The sheet's tabs in order. A new page is one more entry here.
std::span<const ConfigPageEntry> configPageEntries();

inline constexpr const char* kConfigSheetTitle = "Personal Configuration";

class ConfigSheet {
 public:
  ConfigSheet(ui::Ui& ui, ConfigFiles files, ConfigSheetServices services = {});

  // Clears the library's current project and archive (so that the pages
  // see the personal options), runs the sheet and, after an OK, writes
  // ORVRCS.RC. kAnswerOk when the pages applied (also when the file could
  // not be written: that is shown), else kAnswerCancel.
  int run();

 private:
  // Saves the library's personal options; a failure is shown.
  void writeLibraryConfiguration();

  ui::Ui& ui_;
  ConfigFiles files_;
  ConfigSheetServices services_;
};

// Registers the configuration sheet behind the Configuration command.
void registerConfigurationSheet(commands::FrameRegistry& registry, const commands::FrameContext& context);

}  // namespace orv::workbench::dialogs
