// The project transaction log: its name, the text of one record and the
// append. A record goes to the file in a single write on a descriptor opened
// for appending, so two saves never interleave their lines.
#include "vc/project/project_log.h"

#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "platform/sys/system_calls.h"

#include <cerrno>
#include <ctime>

namespace vc {

std::string withExtension(const std::string& path, const std::string& extension) {
  const std::size_t separator = path.find_last_of("/\\");
  const std::size_t base = separator == std::string::npos ? 0 : separator + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= base) return path + extension;
  return path.substr(0, dot) + extension;
}

std::string projectLogName(const std::string& projectPath) { return withExtension(projectPath, ".trn"); }

std::string projectLogRecord(const VcLogHeader& header, const std::vector<VcLogEntry>& entries) {
  const std::time_t t = static_cast<std::time_t>(seams().now());
  std::tm tm{};
  localtime_r(&t, &tm);
  char when[64];
  if (std::strftime(when, sizeof when, "%Y/%m/%d %H:%M:%S", &tm) == 0) when[0] = '\0';
  std::string out = "+" + header.projectPath + " " + when + " revision " +
                    header.revision.value_or("null") + " by " + header.userName;
  if (header.variantSandbox) out += " from variant sandbox " + *header.variantSandbox;
  out += '\n';
  for (const VcLogEntry& e : entries) {
    out += e.text;
    if (e.second) out += " " + *e.second;
    out += '\n';
  }
  return out;
}

int appendProjectLog(VcInstance& inst, const std::string& logPath, const VcLogHeader& header,
                     const std::vector<VcLogEntry>& entries) {
  if (entries.empty()) return 0;
  const std::string record = projectLogRecord(header, entries);
  auto& sys = orv::sys::calls();
  const int fd = sys.open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return fail(inst, err::kProjectLogWrite, errno);
  int e = 0;
  if (!orv::sys::writeAll(fd, record.data(), record.size())) e = errno;
  if (sys.close(fd) != 0 && e == 0) e = errno;
  if (e) return fail(inst, err::kProjectLogWrite, e);
  return 0;
}

}  // namespace vc
