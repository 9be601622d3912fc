// The personal configuration sheet (see config_sheet.h).
#include "workbench/dialogs/config_sheet.h"

#include <array>
#include <new>

#include "vc/include/vc.h"
#include "workbench/app/library_startup.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"
#include "workbench/app/string_table.h"
#include "workbench/dialogs/config_toolbar_page.h"
#include "workbench/external/desktop_integration.h"
#include "workbench/external/program_starts.h"

namespace orv::workbench::dialogs {

namespace {

template <class Page>
std::unique_ptr<ConfigPage> makePage(const ConfigPageContext& c) {
  return std::make_unique<Page>(c.ui, c.files);
}

std::unique_ptr<ConfigPage> makePreferences(const ConfigPageContext& c) {
  return std::make_unique<PreferencesPage>(c.ui, c.files, c.services.desktop);
}

std::unique_ptr<ConfigPage> makeLogging(const ConfigPageContext& c) {
  return std::make_unique<LoggingPage>(c.ui, c.files, c.services.view);
}

std::unique_ptr<ConfigPage> makeToolbar(const ConfigPageContext& c) {
  return std::make_unique<ToolbarPage>(c.ui, c.files, c.services.iconLookup);
}

constexpr std::array<ConfigPageEntry, 7> kPages{{
    {"&Preferences", &PreferencesPage::description, &makePreferences},
    {"&General", &GeneralPage::description, &makePage<GeneralPage>},
    {"&Directories", &DirectoriesPage::description, &makePage<DirectoriesPage>},
    {"Pro&motion", &PromotionPage::description, &makePage<PromotionPage>},
    {"&Logging", &LoggingPage::description, &makeLogging},
    {"Recurs&ion", &RecursionPage::description, &makePage<RecursionPage>},
    {"&Toolbar", &ToolbarPage::description, &makeToolbar},
}};

constexpr int kOutOfMemory = 681;

}  // namespace

std::span<const ConfigPageEntry> configPageEntries() { return kPages; }

ConfigSheet::ConfigSheet(ui::Ui& ui, ConfigFiles files, ConfigSheetServices services)
    : ui_(ui), files_(std::move(files)), services_(std::move(services)) {}

int ConfigSheet::run() {
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_PROJECT, "");
  vcSetSysInfo(VC_SYSINFO_SET_CURRENT_ARCHIVE, "");
  std::vector<std::unique_ptr<ConfigPage>> pages;
  std::vector<ui::SheetPage> tabs;
  try {
    const ConfigPageContext context{ui_, files_, services_};
    for (const ConfigPageEntry& entry : configPageEntries()) {
      pages.push_back(entry.make(context));
      tabs.push_back({entry.title, entry.description(), pages.back().get(), true});
    }
  } catch (const std::bad_alloc&) {
    app::showText(ui_, ui::MessageIcon::error, std::string(app::loadString(kOutOfMemory)));
    return ui::kAnswerCancel;
  }
  ui::SheetController sheet(kConfigSheetTitle, std::move(tabs), true);
  if (ui_.runSheet(sheet) != ui::kAnswerOk) return ui::kAnswerCancel;
  writeLibraryConfiguration();
  return ui::kAnswerOk;
}

void ConfigSheet::writeLibraryConfiguration() {
  if (app::libraryConfigurationIncomplete()) {
    const std::string text = app::formatText(
        "%s could not be read completely when the workbench started. Saving the configuration now replaces it "
        "with the options in effect, and the lines that were not read are lost.\n\nSave it anyway?",
        files_.libraryFile.c_str());
    if (app::rcsMessage(ui_, app::kStyleQuestion, text) != ui::kAnswerYes) return;
  }
  const int rc = vcWriteConfig(files_.libraryFile.c_str());
  if (rc != 0) app::rcsErrorMessage(ui_, app::kStyleError, rc, files_.libraryFile);
}

void registerConfigurationSheet(commands::FrameRegistry& registry, const commands::FrameContext& context) {
  ui::Ui& ui = context.ui;
  external::ProgramStarts& starts = context.starts;
  registry.items.configurationSheet = [&ui, &starts] {
    ConfigSheetServices services;
    // The two Preferences boxes: the autostart entry and the "open with"
    // entry of the desktop.
    auto desktop = [] {
      return external::DesktopIntegration(external::DesktopPaths::fromEnvironment(),
                                          external::workbenchProgramDirectory() + "/orvty32");
    };
    services.desktop.startWithSession = [&ui, desktop](bool add) {
      if (auto failure = desktop().setStartWithSession(add)) app::rcsMessage(ui, app::kStyleError, *failure);
    };
    services.desktop.fileManagerMenu = [desktop](bool add) { desktop().setOpensFiles(add); };
    services.desktop.startsWithSession = [desktop] { return desktop().startsWithSession(); };
    services.desktop.inFileManagerMenu = [desktop] { return desktop().opensFiles(); };
    services.view = [&starts](const std::string& path) { external::viewOrEditFile(starts, path); };
    ConfigSheet(ui, defaultConfigFiles(), std::move(services)).run();
  };
}

}  // namespace orv::workbench::dialogs
