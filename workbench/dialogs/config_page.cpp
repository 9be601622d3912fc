// The configuration pages' access to the library's options and to
// ORVTY.INI (see config_page.h).
#include "workbench/dialogs/config_page.h"

#include <strings.h>

#include <optional>

#include "platform/profile/profile.h"
#include "platform/profile/settings_dir.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/messages.h"

namespace orv::workbench::dialogs {

namespace {

constexpr const char* kIniWriteFailed = "Unable to update ORVTY.INI file";
constexpr int kFirstBuffer = 256;

// vcGetConfig's value, or nothing when the option is not defined; a value
// too long for the buffer is asked again with the length the library needs.
std::optional<std::string> readValue(const char* option) {
  std::vector<char> buffer(kFirstBuffer);
  for (;;) {
    buffer.assign(buffer.size(), '\0');
    const int rc = vcGetConfig(option, nullptr, 0, buffer.data(), static_cast<int>(buffer.size()));
    if (rc == VC_E_BUFFER_TOO_SMALL) {
      const int needed = vcBufferLenQ();
      if (needed <= static_cast<int>(buffer.size())) return std::nullopt;
      buffer.resize(static_cast<std::size_t>(needed) + 1);
      continue;
    }
    if (rc != 0) return std::nullopt;
    return std::string(buffer.data());
  }
}

}  // namespace

ConfigFiles defaultConfigFiles() {
  const std::string dir = profile::settingsDirectory(true);
  return {dir + "/ORVTY.INI", dir + "/ORVRCS.RC"};
}

// The library expands a value read from its configuration file into 500
// bytes, three of them spare.
std::size_t longestOptionValue() { return 497; }

unsigned optionFlags(const char* option) {
  unsigned flags = 0;
  return vcGetConfigFlags(option, &flags) == 0 ? flags : 0;
}

bool optionIsLocked(const char* option) { return (optionFlags(option) & VC_OPTION_ENFORCED) != 0; }

bool libraryFlag(const char* option, bool fallback) {
  unsigned flags = 0;
  if (vcGetConfigFlags(option, &flags) != 0) return fallback;
  return (flags & VC_OPTION_NO) == 0;
}

void setLibraryFlag(const char* option, bool value) {
  const std::string line = value ? std::string(option) : "no" + std::string(option);
  vcSetConfig(line.c_str(), nullptr);
}

std::string libraryString(const char* option) { return readValue(option).value_or(std::string()); }

void setLibraryString(const char* option, const std::string& text) { vcSetConfig(option, text.c_str()); }

void dropLibraryOption(const std::string& name) { vcDropConfig(name.c_str()); }

void switchOffLibraryOption(const char* option) {
  vcSetConfig(option, " ");
  vcSetConfigFlags(option, VC_OPTION_TEMPORARY);
}

std::vector<std::string> libraryConfigList(int first, int next) {
  std::vector<char> buffer(kFirstBuffer);
  for (;;) {
    std::vector<std::string> entries;
    bool grown = false;
    for (int item = first;; item = next) {
      buffer.assign(buffer.size(), '\0');
      const int rc = vcGetConfigList(item, buffer.data(), static_cast<int>(buffer.size()));
      if (rc == VC_E_BUFFER_TOO_SMALL) {
        // The walk has moved past the entry: start again with room for it.
        const int needed = vcBufferLenQ();
        if (needed <= static_cast<int>(buffer.size())) return entries;
        buffer.resize(static_cast<std::size_t>(needed) + 1);
        grown = true;
        break;
      }
      if (rc != 0) break;
      entries.emplace_back(buffer.data());
    }
    if (!grown) return entries;
  }
}

bool ConfigPage::disableIfLocked(ui::DialogSurface& surface, const char* option, std::initializer_list<int> ids) {
  if (!optionIsLocked(option)) return false;
  for (int id : ids) surface.setEnabled(id, false);
  return true;
}

bool ConfigPage::iniFlag(const char* section, const char* key, bool fallback) const {
  const std::string text = profile::getProfileString(files_.settingsFile, section, key, fallback ? "yes" : "no");
  return strcasecmp(text.c_str(), "yes") == 0;
}

void ConfigPage::setIniFlag(const char* section, const char* key, bool value) {
  setIniString(section, key, value ? "yes" : "no");
}

std::string ConfigPage::iniString(const char* section, const char* key, const std::string& fallback) const {
  return profile::getProfileString(files_.settingsFile, section, key, fallback);
}

long ConfigPage::iniInt(const char* section, const char* key, long fallback) const {
  return profile::getProfileInt(files_.settingsFile, section, key, fallback);
}

void ConfigPage::setIniString(const char* section, const char* key, const std::string& text) {
  if (profile::writeProfileString(files_.settingsFile, section, key, text.c_str()) != 0)
    app::rcsMessage(ui_, app::kStyleError, kIniWriteFailed);
}

bool ConfigPage::valueFits(ui::DialogSurface& surface, int id, const std::string& value, const char* what,
                           std::size_t limit) {
  if (value.size() <= limit) return true;
  app::rcsMessage(ui_, app::kStyleError,
                  app::formatText("The %s is %zu characters long. The configuration file keeps at most %zu "
                                  "characters of it.",
                                  what, value.size(), limit));
  surface.setFocus(id);
  return false;
}

}  // namespace orv::workbench::dialogs
