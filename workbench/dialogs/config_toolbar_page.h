// The Toolbar page of the configuration sheet: for the project bar and the
// archive bar, which buttons they carry and in which order (an available
// list and a contents list each, Add and Remove between them, contents
// rows dragged into order), where the bars sit and where button hints go.
// A double click on a user button in the contents, or adding one, opens
// the User Buttons dialog, which writes that button's four [User] keys at
// its own OK (so the sheet's Cancel does not take them back). The page
// writes [Project Toolbar], [Archive Toolbar] and [User] HintMode and
// Orientation when something changed; the frame rebuilds its bars after
// the sheet closes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workbench/app/toolbar_config.h"
#include "workbench/dialogs/config_page.h"
#include "workbench/external/icon_resolver.h"

namespace orv::workbench::dialogs {

enum ToolbarControl : int {
  kTbProjectBar = 701,
  kTbArchiveBar = 702,
  kTbOrientation = 704,
  kTbHintMode = 705,
  kTbArchiveAvailable = 708,
  kTbArchiveContents = 709,
  kTbProjectAvailable = 710,
  kTbProjectContents = 711,
  kTbProjectBox = 712,
  kTbArchiveBox = 713,
  kTbAdd = 52,
  kTbRemove = 53,
};

enum UserButtonControl : int {
  kUbProgram = 751,
  kUbArguments = 752,
  kUbDescription = 753,
  kUbIconFile = 754,
  kUbPreview = 755,
  kUbBrowse = 50,
};

inline constexpr const char* kToolbarFullText =
    "A tool bar holds at most 42 buttons and separators. Remove one before adding another.";
inline constexpr const char* kOnlyUserButtonsText = "You can only configure User buttons.";

// The User Buttons dialog for user button n (1-5), over the settings file.
class UserButtonDialog : public ui::DialogLogic {
 public:
  UserButtonDialog(ui::Ui& ui, std::string settingsFile, int n, const external::IconLookup& lookup);
  static const ui::DialogDescription& description();
  // "Customize User Button <n>"
  std::string title() const;

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  void edited(ui::DialogSurface& surface, int id) override;
  bool canClose(ui::DialogSurface& surface, int result) override;

  // Runs the dialog; true after its OK (the keys are written then).
  bool run();

 private:
  void preview(ui::DialogSurface& surface);

  ui::Ui& ui_;
  std::string settingsFile_;
  int n_;
  const external::IconLookup& lookup_;
  int browseTarget_ = kUbProgram;
};

class ToolbarPage : public ConfigPage {
 public:
  // lookup: how icons of users' programs are found (the system's when
  // null).
  ToolbarPage(ui::Ui& ui, const ConfigFiles& files, const external::IconLookup* lookup = nullptr);
  ~ToolbarPage() override;
  static const ui::DialogDescription& description();

  void setUp(ui::DialogSurface& surface) override;
  void command(ui::DialogSurface& surface, int id) override;
  void activated(ui::DialogSurface& surface, int id) override;
  bool validate(ui::DialogSurface& surface) override;
  bool apply() override;

  const app::ToolbarConfig& config() const { return config_; }
  // The icon key of a contents or available row of kind's bar.
  std::string iconOfRow(app::ToolbarKind kind, int catalogueRow) const;

 private:
  void showBar(ui::DialogSurface& surface);
  void fillLists(ui::DialogSurface& surface, app::ToolbarKind kind, int selectContents = -1);
  void add(ui::DialogSurface& surface);
  void remove(ui::DialogSurface& surface);
  void reordered(ui::DialogSurface& surface, app::ToolbarKind kind);
  bool runUserDialog(int n);

  std::unique_ptr<external::IconLookup> ownLookup_;
  const external::IconLookup& lookup_;
  app::ToolbarConfig config_;
  app::ToolbarKind shown_ = app::ToolbarKind::project;
  std::string editor_;
};

}  // namespace orv::workbench::dialogs
