// The operation log (see operation_log.h). Each line is written with one
// append, so lines of several processes never interleave.
#include "vc/archive/operation_log.h"

#include "vc/archive/archive_handles.h"
#include "vc/paths/name_parts.h"
#include "platform/sys/system_calls.h"
#include "vc/archive/user_locks.h"
#include "vc/archive/plain_texts.h"
#include "vc/instance/instance.h"
#include "vc/config/user_name.h"
#include "vc/config/option_lookup.h"
#include "vc/instance/seams.h"
#include "vc/tokens/token_rules.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>

namespace vc {
namespace {

std::string logFile(VcInstance& inst) {
  std::string name = optionString(inst, "logfile", "");
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string localNow(bool century) {
  const std::time_t t = static_cast<std::time_t>(seams().now());
  std::tm tm{};
  localtime_r(&t, &tm);
  char out[64];
  std::strftime(out, sizeof out, century ? "%Y.%m.%d %H:%M:%S" : "%y.%m.%d %H:%M:%S", &tm);
  return out;
}

char controlFor(char c) {
  switch (c) {
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    default: return c;
  }
}

}  // namespace

void recordOperation(VcInstance& inst, VcArchive& a, const char* operation, const std::string& revision) {
  if (logFile(inst).empty() || optionString(inst, "logformat", "").empty()) return;
  a.pendingLog.push_back(std::string(operation) + " " + revision);
}

std::string expandLogFormat(VcInstance& inst, VcArchive& a, const std::string& format,
                            const std::string& operation, const std::string& revision) {
  vc::archive::DeltaRecord* d = a.file.lookup(revision);
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '\\' && i + 1 < format.size()) {
      out += controlFor(format[++i]);
      continue;
    }
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    switch (format[++i]) {
      case 'C': out += operation; break;
      case 'D': out += localNow(optionBool(inst, "century", false)); break;
      case 'F': out += namePart(a.path); break;
      case 'L':
        if (d && readArchiveTexts(inst, a, d) == 0) {
          std::string log;
          if (plainText(inst, a, d->log, log) == 0) out += log;
        }
        break;
      case 'S': out += d ? d->state : ""; break;
      case 'a': out += loginName(inst); break;
      case 'd': out += d ? vc::displayDate(d->date) : ""; break;
      case 'f': out += a.path; break;
      case 'l':
        if (const auto* l = lockOn(a.file, revision)) out += l->user;
        break;
      case 'r': out += revision; break;
      case 'u': out += currentUserName(inst); break;
      default: break;
    }
  }
  return out;
}

void writeOperationLog(VcInstance& inst, VcArchive& a) {
  if (a.pendingLog.empty()) return;
  std::vector<std::string> entries;
  entries.swap(a.pendingLog);
  const std::string file = logFile(inst);
  const std::string format = optionString(inst, "logformat", "");
  if (file.empty() || format.empty()) return;
  auto& ops = orv::sys::calls();
  const int fd = ops.open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  for (const std::string& e : entries) {
    const std::size_t blank = e.find(' ');
    const std::string op = e.substr(0, blank);
    const std::string rev = blank == std::string::npos ? std::string() : e.substr(blank + 1);
    const std::string line = expandLogFormat(inst, a, format, op, rev) + "\n";
    orv::sys::writeAll(fd, line.data(), line.size());
  }
  ops.close(fd);
}

}  // namespace vc
