// The process's remembered archive passwords and the dialog loop that asks
// for one.
#include "workbench/archive/password_cache.h"

#include <cstring>
#include <map>

#include "platform/fs/path_separators.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/password_dialogs.h"

namespace orv::workbench::archive {

namespace {

constexpr std::size_t kKeyLength = 512;

// Wipes every password when the program ends.
struct Cache {
  std::map<std::string, std::string> entries;
  ~Cache() {
    for (auto& [path, password] : entries) wipeText(password);
  }
};

Cache& cache() {
  static Cache c;
  return c;
}

ui::Ui* g_callbackUi = nullptr;

std::string keyOf(const char* path) {
  std::string key = fs::forward_slashes(path);
  if (key.size() > kKeyLength) key.resize(kKeyLength);
  return key;
}

void erase(const std::string& key) {
  auto it = cache().entries.find(key);
  if (it == cache().entries.end()) return;
  wipeText(it->second);
  cache().entries.erase(it);
}

}  // namespace

void wipeText(std::string& text) {
  volatile char* p = text.data();
  for (std::size_t i = 0; i < text.size(); ++i) p[i] = '\0';
  text.clear();
}

int askArchivePassword(ui::Ui& ui, int archive, const char* path, char* buffer, int size) {
  if (!path || !buffer || size <= 0) return 2;
  const std::string key = keyOf(path);

  auto known = cache().entries.find(key);
  if (known != cache().entries.end()) {
    copyToBuffer(known->second, buffer, size);
    const int rc = vcSetPassword(archive, known->second.c_str());
    if (rc == 0) return 0;
    if (rc != VC_E_INCORRECT_PASSWORD) return -1;
    erase(key);  // it has become wrong: ask instead, without a word
  }

  while (true) {
    buffer[0] = '\0';
    PasswordDialog dialog(ui, key);
    const int answer = ui.runDialog(passwordDialogDescription(), dialog);
    if (answer == ui::kAnswerCancel) return 1;
    if (answer != ui::kAnswerOk) return -1;
    char entered[kPasswordBufferSize] = {};
    dialog.getPassword(entered, sizeof entered);
    copyToBuffer(entered, buffer, size);
    const int rc = vcSetPassword(archive, entered);
    if (rc == 0) {
      cache().entries.emplace(key, std::string(entered));
      std::memset(entered, 0, sizeof entered);
      return 0;
    }
    std::memset(entered, 0, sizeof entered);
    if (rc != VC_E_INCORRECT_PASSWORD) return -1;
    rcsMessage(ui, kStyleError, std::string(loadString(kStrWrongPassword)));
  }
}

void rememberArchivePassword(const char* path, const char* password) {
  if (!path || !password) return;
  const std::string key = keyOf(path);
  erase(key);
  cache().entries.emplace(key, std::string(password, strnlen(password, kPasswordLength)));
}

void forgetArchivePassword(const char* path) {
  if (path) erase(keyOf(path));
}

bool hasRememberedPassword(const char* path) {
  return path && cache().entries.count(keyOf(path)) != 0;
}

void forgetAllArchivePasswords() {
  for (auto& [path, password] : cache().entries) wipeText(password);
  cache().entries.clear();
}

void setPasswordCallbackUi(ui::Ui* ui) { g_callbackUi = ui; }

int passwordCallback(int archive, const char* archiveName, char* buffer, int length) {
  if (!g_callbackUi) return -1;
  return askArchivePassword(*g_callbackUi, archive, archiveName, buffer, length);
}

}  // namespace orv::workbench::archive
