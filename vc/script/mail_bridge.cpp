// The mail bridge over the CMC library: loading it once, binding its ten
// calls, and sending a note through cmc_send_documents.
#include "vc/script/mail_bridge.h"

#include "vc/config/option_list.h"
#include "vc/instance/instance.h"
#include "platform/dynlib/dynlib.h"
#include "platform/cmc/cmc.h"
#include "platform/profile/profile.h"
#include "platform/profile/settings_dir.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

#include <cstdio>
#include <cstring>

namespace vc {
namespace {

enum class MailState { NotTried, Unavailable, Loaded };

// The answers of vx_init besides 0 (ready).
constexpr int kMailUnavailable = 1;    // an earlier attempt failed
constexpr int kMailNoLibrary = 2;      // the CMC library cannot be loaded
constexpr int kMailNoEntryPoint = 3;   // an entry point is missing
constexpr int kMailNotConfigured = 4;  // CMC is not configured

MailState g_state = MailState::NotTried;
bool g_noticeShown = false;
orv::dynlib::Library g_library;
CMC_send_documents_fn g_sendDocuments = nullptr;

constexpr const char* kNotice =
    "The CMC mail DLL has not been installed on this machine, so mail services are unavailable.  "
    "Both MAPI and CMC must be installed in order for mail to function properly.  For more "
    "information, see the MS Mail documentation.";
constexpr const char* kNoticeCaption = "Orv Tessalyworkbench";

bool endsWithNoCase(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return s.size() >= n && equalsNoCase(s.substr(s.size() - n), suffix);
}

// The library has no window of its own: the notice goes to the caller's
// echo callback, else to standard error, once per process.
void showNotice() {
  if (g_noticeShown) return;
  g_noticeShown = true;
  VcInstance* inst = currentInstance();
  if (inst && inst->callbacks.echoTrace) {
    inst->callbacks.echoTrace(kNotice, kNoticeCaption, 0, VC_ECHO_TEXT);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", kNoticeCaption, kNotice);
}

void unload() {
  g_sendDocuments = nullptr;
  g_library.close();
  if (g_state == MailState::Loaded) g_state = MailState::NotTried;
}

bool safeHeaderText(const char* text) {
  return std::strpbrk(text, "\r\n") == nullptr;
}

int initMail() {
  if (g_state == MailState::Unavailable) return kMailUnavailable;
  if (g_state == MailState::Loaded) return 0;
  const std::string directory = orv::profile::settingsDirectory(false);
  const std::string profile = directory.empty() ? std::string() : directory + "/" + kMailProfileFileName;
  if (profile.empty() || orv::profile::getProfileInt(profile, "Mail", "CMC", 0) == 0) {
    showNotice();
    g_state = MailState::Unavailable;
    return kMailNotConfigured;
  }
  // Taken whole: a name cut to a fixed length could load another file.
  const std::string name =
      orv::profile::getProfileString(profile, "Mail", "CMCDLLNAME", "cmc.dll");
  const std::string file = mailLibraryFile(name);
  static int anchor;
  const bool loaded = file.find('/') != std::string::npos
                          ? g_library.open(file)
                          : orv::dynlib::openBesideModule(g_library, file, &anchor);
  if (!loaded) {
    g_state = MailState::Unavailable;
    return kMailNoLibrary;
  }
  g_state = MailState::Loaded;
  for (const char* entry : orv::platform::kCmcEntryPoints) {
    if (!g_library.symbol(entry)) {
      unload();
      return kMailNoEntryPoint;
    }
  }
  g_sendDocuments = reinterpret_cast<CMC_send_documents_fn>(g_library.symbol("cmc_send_documents"));
  return 0;
}

}  // namespace

std::string mailLibraryFile(const std::string& profileName) {
  const std::string name = orv::fs::forward_slashes(profileName);
  if (name.find('/') != std::string::npos) return name;
  if (equalsNoCase(name, "cmc.dll")) return CMC_LIBRARY_FILE_NAME;
  if (endsWithNoCase(name, ".dll") && name.size() > 4)
    return "lib" + name.substr(0, name.size() - 4) + ".so";
  return name;
}

void resetMailState() {
  unload();
  g_state = MailState::NotTried;
  g_noticeShown = false;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API int vx_init(void) {
  return guarded([] { return initMail(); });
}

VC_API int vx_exit(void) {
  return guarded([] {
    unload();
    return 0;
  });
}

VC_API int vx_sendmail(const char* recipients, const char* subject, const char* text,
                       unsigned int window) {
  return guarded([&] {
    if (int rc = initMail()) return rc;
    // Recipients travel in the headers only: a line break in them or in the
    // subject would add headers (and recipients) of its own.
    if (!recipients || !safeHeaderText(recipients) || (subject && !safeHeaderText(subject)))
      return static_cast<int>(CMC_E_INVALID_PARAMETER);
    char delimiter[] = ",";
    CMC_return_code rc = g_sendDocuments(const_cast<char*>(recipients),
                                         const_cast<char*>(subject ? subject : ""),
                                         const_cast<char*>(text ? text : ""),
                                         CMC_ERROR_UI_ALLOWED | CMC_LOGON_UI_ALLOWED, nullptr,
                                         nullptr, delimiter, window);
    return static_cast<int>(rc & 0xFFFFu);
  });
}

}  // extern "C"
