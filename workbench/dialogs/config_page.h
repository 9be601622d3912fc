// What every page of the configuration sheet shares: the readers and
// writers of the revision library's options and of the workbench's settings
// file ORVTY.INI, with each store's rule for true and false.
//
//   library flag   true: the bare name; false: "no" and the name; not
//                  defined: the page's default
//   library value  not defined: empty
//   settings flag  "yes" (any case) is true, every other text false; a
//                  missing key: the page's default
//
// An option the administrator enforces (flag 0x4) is shown but its controls
// are disabled. Library options change in memory while the sheet runs and
// are saved into ORVRCS.RC at OK; settings are written into ORVTY.INI by the
// page that owns them as it applies.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ui/property_sheet.h"
#include "platform/ui/ui.h"

namespace orv::workbench::dialogs {

// The two files the sheet writes.
struct ConfigFiles {
  std::string settingsFile;  // ORVTY.INI
  std::string libraryFile;   // ORVRCS.RC
};
// Both files in the settings directory.
ConfigFiles defaultConfigFiles();

// Settings sections and the words of the settings file.
inline constexpr const char* kSystemSection = "System";
inline constexpr const char* kSavedOptionsSection = "SavedOptions";
inline constexpr const char* kRecursionSection = "Recursion";

// The longest value an option can hold and still be read back whole from
// ORVRCS.RC.
std::size_t longestOptionValue();

// Library option access, for the pages and their tests.
bool optionIsLocked(const char* option);
// The option's flag word; 0 when it is not defined.
unsigned optionFlags(const char* option);
// The flag's value, or fallback when it is not defined.
bool libraryFlag(const char* option, bool fallback);
// Stores the bare name (true) or "no" and the name (false).
void setLibraryFlag(const char* option, bool value);
// The option's value, whatever its length; empty when it is not defined.
std::string libraryString(const char* option);
void setLibraryString(const char* option, const std::string& text);
void dropLibraryOption(const std::string& name);
// Switches option off for this run: it is set to one blank, which keeps
// any other configuration's value from applying, and marked never to be
// written, so that ORVRCS.RC keeps no empty override (the value is parked
// in ORVTY.INI by the page).
void switchOffLibraryOption(const char* option);
// The entries of one of the library's configuration lists (first, next:
// the walk's codes), whatever their lengths: the walk starts again with a
// larger buffer when an entry does not fit.
std::vector<std::string> libraryConfigList(int first, int next);

class ConfigPage : public ui::PageLogic {
 public:
  ConfigPage(ui::Ui& ui, const ConfigFiles& files) : ui_(ui), files_(files) {}

 protected:
  // Disables ids when option is enforced; true when it is.
  static bool disableIfLocked(ui::DialogSurface& surface, const char* option, std::initializer_list<int> ids);

  bool iniFlag(const char* section, const char* key, bool fallback) const;
  // Writes "yes" or "no"; a failed write is shown and the page goes on.
  void setIniFlag(const char* section, const char* key, bool value);
  std::string iniString(const char* section, const char* key, const std::string& fallback) const;
  long iniInt(const char* section, const char* key, long fallback) const;
  void setIniString(const char* section, const char* key, const std::string& text);

  // Refuses (with a message naming the limit, the focus on id) a value
  // longer than limit, by default the longest the library reads back; true
  // when it fits.
  bool valueFits(ui::DialogSurface& surface, int id, const std::string& value, const char* what,
                 std::size_t limit = longestOptionValue());

  ui::Ui& ui_;
  const ConfigFiles& files_;
};

}  // namespace orv::workbench::dialogs
