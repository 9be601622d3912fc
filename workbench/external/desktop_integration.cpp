// Autostart and "open with" entries of the workbench as XDG files.
#include "workbench/external/desktop_integration.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace orv::workbench::external {

namespace {

constexpr const char* kTitle = "Tessalyworkbench";

std::string homeDir() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}

std::string dirOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// mkdir -p; false when a part cannot be made.
bool makeDirs(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (!makeDirs(dirOf(dir))) return false;
  return ::mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST;
}

// Writes text to path through a temporary file renamed over it.
bool writeReplacing(const std::string& path, const std::string& text) {
  std::string tmp = path + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  ok = ::fchmod(fd, 0644) == 0 && ok;
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) return true;
  ::unlink(tmp.c_str());
  return false;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Runs program with args quietly and waits for it; nothing when it is not
// installed.
void runQuietly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

// One argument of Exec=: quoted, with the characters the quotes keep
// escaped, then the value's own backslashes doubled.
std::string execArgument(const std::string& arg) {
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// A value with its escapes (\s \n \t \r \\) undone.
std::string unescaped(const std::string& v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 == v.size()) {
      out += v[i];
      continue;
    }
    switch (const char c = v[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      default: out += c; break;
    }
  }
  return out;
}

}  // namespace

DesktopPaths DesktopPaths::fromEnvironment() {
  auto dir = [](const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return v && *v == '/' ? std::string(v) : homeDir() + fallback;
  };
  return {dir("XDG_CONFIG_HOME", "/.config"), dir("XDG_DATA_HOME", "/.local/share")};
}

std::vector<std::pair<std::string, std::string>> desktopEntryGroup(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  std::istringstream in(text);
  std::string line;
  bool inGroup = false;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inGroup = line == "[Desktop Entry]";
      continue;
    }
    const auto eq = line.find('=');
    if (!inGroup || eq == std::string::npos) continue;
    out.emplace_back(trim(line.substr(0, eq)), unescaped(trim(line.substr(eq + 1))));
  }
  return out;
}

std::optional<std::string> desktopEntryValue(const std::string& text, const std::string& key) {
  for (const auto& [k, v] : desktopEntryGroup(text))
    if (k == key) return v;
  return std::nullopt;
}

std::string execProgram(const std::string& exec) {
  std::string word;
  bool quoted = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted && c == '\\' && i + 1 < exec.size()) {
      word += exec[++i];
      continue;
    }
    if (!quoted && (c == ' ' || c == '\t')) {
      if (!word.empty()) break;
      continue;
    }
    word += c;
  }
  return word;
}

DesktopIntegration::DesktopIntegration(DesktopPaths paths, std::string program)
    : paths_(std::move(paths)), program_(std::move(program)) {}

std::string DesktopIntegration::autostartFile() const {
  return paths_.configHome + "/autostart/" + kDesktopAppId + ".desktop";
}
std::string DesktopIntegration::applicationFile() const {
  return paths_.dataHome + "/applications/" + kDesktopAppId + ".desktop";
}
std::string DesktopIntegration::mimeFile() const {
  return paths_.dataHome + "/mime/packages/" + kDesktopAppId + ".xml";
}
std::string DesktopIntegration::iconFile() const {
  return paths_.dataHome + "/icons/hicolor/scalable/apps/" + kDesktopAppId + ".svg";
}

bool DesktopIntegration::startsWithSession() const { return exists(autostartFile()); }
bool DesktopIntegration::opensFiles() const { return exists(applicationFile()); }

std::string DesktopIntegration::autostartEntry() const {
  return std::string("[Desktop Entry]\nType=Application\nName=") + kTitle +
         "\nComment=Revision control workbench\nExec=" + execArgument(program_) + "\nIcon=" + kDesktopAppId +
         "\nTerminal=false\n";
}

std::string DesktopIntegration::applicationEntry() const {
  return std::string("[Desktop Entry]\nType=Application\nName=") + kTitle +
         "\nComment=Revision control workbench\nExec=" + execArgument(program_) + " %F\nIcon=" + kDesktopAppId +
         "\nTerminal=false\nCategories=Development;RevisionControl;\nMimeType=" + kProjectMimeType + ";" +
         kArchiveMimeType + ";\n";
}

std::string DesktopIntegration::mimeDefinition() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"") +
         kProjectMimeType +
         "\">\n    <comment>Project or sandbox</comment>\n    <glob pattern=\"*.pj\"/>\n  </mime-type>\n"
         "  <mime-type type=\"" +
         kArchiveMimeType +
         "\">\n    <comment>Revision archive</comment>\n    <glob pattern=\"*_v\"/>\n  </mime-type>\n"
         "</mime-info>\n";
}

const char* DesktopIntegration::programIconSvg() {
  return R"(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <rect width="32" height="32" rx="6" fill="#183c70"/>
  <path d="M11 7V25M11 16L22 22" stroke="#dce8f8" stroke-width="2.5" fill="none"/>
  <g fill="#fff"><circle cx="11" cy="7" r="3.5"/><circle cx="11" cy="16" r="3.5"/>
  <circle cx="11" cy="25" r="3.5"/><circle cx="22" cy="22" r="3.5"/></g>
</svg>
)";
}

void DesktopIntegration::installIcon() const {
  if (!exists(iconFile()) && makeDirs(dirOf(iconFile()))) writeReplacing(iconFile(), programIconSvg());
}

std::optional<std::string> DesktopIntegration::setStartWithSession(bool add) {
  if (!add) {
    if (removeFile(autostartFile())) return std::nullopt;
    return std::string("Unable to remove ") + kTitle + " from the Startup group.";
  }
  if (!makeDirs(dirOf(autostartFile()))) return std::string("Unable to create the Startup program group.");
  if (!writeReplacing(autostartFile(), autostartEntry()))
    return std::string("Unable to add ") + kTitle + " to the Startup group.";
  installIcon();
  return std::nullopt;
}

void DesktopIntegration::setOpensFiles(bool add) {
  const std::string applications = dirOf(applicationFile());
  const std::string mime = dirOf(dirOf(mimeFile()));
  if (add) {
    if (makeDirs(applications)) writeReplacing(applicationFile(), applicationEntry());
    if (makeDirs(dirOf(mimeFile()))) writeReplacing(mimeFile(), mimeDefinition());
    installIcon();
  } else {
    removeFile(applicationFile());
    removeFile(mimeFile());
  }
  runQuietly({"update-desktop-database", "-q", applications});
  runQuietly({"update-mime-database", mime});
}

}  // namespace orv::workbench::external
