// The pages of the configuration sheet. Each reads its values when it is
// made, shows them when first shown, takes them back from its controls when
// it is left or OK is pressed (validate), and writes what changed (apply).
//   Preferences  author, editor and four [System] settings
//   General      ten library flags: defaults of new archives, check-out
//                and check-in
//   Directories  default archive and work paths, work-to-archive mappings
//   Promotion    the ordered list of promotion states
//   Logging      the log file and the format of its lines
//   Recursion    seven [Recursion] settings: which project operations
//                descend into subprojects
// Promotion and Logging can switch their option off without losing it: the
// option is set to one blank and its value parked in ORVTY.INI
// [SavedOptions] under the option's name, from where the page takes it back.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/dialog_description.h"
#include "workbench/dialogs/config_page.h"

namespace orv::workbench::dialogs {

// Ids shared by the pages.
enum ConfigButton : int {
  kCfgBrowse = 50,
  kCfgView = 51,
  kCfgAdd = 52,
  kCfgDelete = 53,
};

// ---- Preferences ----
enum PreferencesControl : int {
  kPrefStartup = 101,
  kPrefFileManagerMenu = 102,
  kPrefUserName = 103,
  kPrefAuthor = 104,
  kPrefUseAssociations = 105,
  kPrefUseEditor = 106,
  kPrefEditor = 107,
  kPrefUserNameLabel = 108,
  kPrefAuthorLabel = 109,
  kPrefLongNames = 110,
};

// What the desktop does when the start-up or file-manager setting changes;
// an empty entry does nothing. When the desktop can say whether the
// workbench is in it (the two state entries), the boxes show that, and the
// settings file's keys follow it at OK.
struct DesktopIntegration {
  std::function<void(bool add)> startWithSession;
  std::function<void(bool add)> fileManagerMenu;
  std::function<bool()> startsWithSession;
  std::function<bool()> inFileManagerMenu;
};

class PreferencesPage : public ConfigPage {
 public:
  PreferencesPage(ui::Ui& ui, const ConfigFiles& files, DesktopIntegration desktop = {});
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;

 private:
  struct Values {
    bool startup = true, fileManagerMenu = true, useAssociations = true, longNames = true;
    std::string author, editor;
  };
  DesktopIntegration desktop_;
  Values values_, read_;
  bool iniStartup_ = true, iniFileManagerMenu_ = true;
  bool editorLocked_ = false;
};

// ---- General ----
class GeneralPage : public ConfigPage {
 public:
  GeneralPage(ui::Ui& ui, const ConfigFiles& files);
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;

  // The ten rows: control, label (0 for a check box), option, default, and
  // for a list its two items (item 0 means true).
  struct Row {
    int id;
    int label;
    const char* option;
    bool fallback;
    const char* trueItem;
    const char* falseItem;
  };
  static const std::array<Row, 10>& rows();

 private:
  std::array<bool, 10> values_{}, read_{};
};

// ---- Directories ----
enum DirectoriesControl : int {
  kDirRowArchive = 501,
  kDirRowWork = 502,
  kDirMappings = 503,
  kDirArchivePath = 504,
  kDirWorkPath = 505,
  kDirArchivePathLabel = 506,
  kDirWorkPathLabel = 507,
};

class DirectoriesPage : public ConfigPage {
 public:
  DirectoriesPage(ui::Ui& ui, const ConfigFiles& files);
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;
  // Add while both row editors hold text.
  int defaultButton(const ui::DialogSurface& surface) const override;

  struct Mapping {
    std::string text;  // work path "=" archive path
    bool personal;     // the user's own (written), else global (shown only)
  };
  const std::vector<Mapping>& mappings() const { return rows_; }

 private:
  void showRows(ui::DialogSurface& surface);
  void add(ui::DialogSurface& surface);
  void remove(ui::DialogSurface& surface);
  void rowChosen(ui::DialogSurface& surface);
  void clearEditors(ui::DialogSurface& surface);

  std::string archivePath_, workPath_, readArchivePath_, readWorkPath_;
  std::vector<Mapping> rows_;
};

// ---- Promotion ----
enum PromotionControl : int {
  kProEnable = 301,
  kProStates = 302,
  kProStateLabel = 303,
  kProState = 304,
};

class PromotionPage : public ConfigPage {
 public:
  PromotionPage(ui::Ui& ui, const ConfigFiles& files);
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;
  // Add while the state field holds text.
  int defaultButton(const ui::DialogSurface& surface) const override;

  // The longest joined list of states ("states" holds each state followed
  // by one blank).
  static constexpr std::size_t kLongestJoined = 255;

 private:
  void add(ui::DialogSurface& surface);
  std::string joined() const;

  std::vector<std::string> states_;
  bool on_ = false, readOn_ = false, changed_ = false, heldElsewhere_ = false;
};

// ---- Logging ----
enum LoggingControl : int {
  kLogEnable = 601,
  kLogFormat = 602,
  kLogFile = 603,
  kLogFormatLabel = 604,
  kLogFileLabel = 605,
};

class LoggingPage : public ConfigPage {
 public:
  // view opens a file in the configured editor; empty: View does nothing.
  LoggingPage(ui::Ui& ui, const ConfigFiles& files, std::function<void(const std::string&)> view = {});
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;

 private:
  struct Values {
    bool on = false;
    std::string file, format;
  };
  std::function<void(const std::string&)> view_;
  Values values_, read_;
};

// ---- Recursion ----
class RecursionPage : public ConfigPage {
 public:
  RecursionPage(ui::Ui& ui, const ConfigFiles& files);
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface&, int) override {}
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;

  struct Row {
    int id;
    const char* caption;
    const char* key;
  };
  static const std::array<Row, 7>& rows();

 private:
  std::array<bool, 7> values_{};
};

}  // namespace orv::workbench::dialogs
