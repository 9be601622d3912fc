// The message protocol of the report calls (report_messages.h).
#include "reporter/report_messages.h"

#include <cstdarg>
#include <cstring>

#include "vc/include/vc.h"

namespace orv::report {

namespace {

constexpr std::size_t kErrorTextLimit = 255;

}  // namespace

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), fmt, again);
    out.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
  return out;
}

std::string errorText(const std::string& message, int code, int systemError) {
  std::string out = "@" + message;
  if (code == kSystemError) {
    out += "\n";
    out += std::strerror(systemError);
  } else if (code != kNoDetail) {
    char text[256] = "";
    if (vcErrorStr(code, text, sizeof text) != 0) std::snprintf(text, sizeof text, "error %d", code);
    out += "\n ";
    out += text;
    if (code >= VC_E_NO_MEMORY) {  // file and system failures: the system's error too
      const int extra = vcExtraError();
      if (extra >= 1) {
        out += "\n";
        out += std::strerror(extra);
      }
    }
  }
  if (out.size() > kErrorTextLimit) out.resize(kErrorTextLimit);
  return out;
}

void reportError(rptMessageCallback messages, const std::string& message, int code, int systemError) {
  if (!messages) return;
  const std::string text = errorText(message, code, systemError);
  messages(text.c_str());
}

int progress(const rptReport& r, const std::string& text) { return r.messages ? r.messages(text.c_str()) : 0; }

bool goOn(const rptReport& r, const char* question) {
  if (!r.messages) return false;
  const std::string text = std::string("!") + question;
  return r.messages(text.c_str()) == 0;
}

}  // namespace orv::report
