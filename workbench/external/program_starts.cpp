// Starting the editor, the visual merge program and the user tools (see
// program_starts.h).
#include "workbench/external/program_starts.h"

#include <sys/stat.h>

#include <climits>

#include "platform/dynlib/dynlib.h"
#include "platform/profile/profile.h"
#include "platform/spawn/command_line.h"
#include "platform/spawn/process_spawn.h"
#include "platform/sys/system_calls.h"
#include "vc/include/vc.h"
#include "workbench/app/message_styles.h"
#include "workbench/app/string_table.h"
#include "workbench/archive/archive_revisions.h"
#include "workbench/archive/open_archive.h"

namespace orv::workbench::external {

namespace {

constexpr int kStartSuccessFloor = 32;
constexpr int kEditorValueSize = 552;
constexpr const char* kSystemSection = "System";
constexpr const char* kUserSection = "User";
constexpr const char* kNoCommandText = "There is no command associated with this button.";

// The words as the started program sees its line: joined by blanks.
std::string joinWords(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& w : words) {
    if (!line.empty()) line += ' ';
    line += w;
  }
  return line;
}

// The words of a merge-program line: split at blanks outside bars.
std::vector<std::string> barWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool barred = false;
  for (char c : line) {
    if (c == '|') barred = !barred;
    if (c == ' ' && !barred) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      continue;
    }
    word += c;
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::string programPath(const std::string& directory) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + kVisualMergeProgram;
}

bool holdsBar(const char* text) { return text && std::string_view(text).find('|') != std::string_view::npos; }

// A name that cannot be passed: the library's "Invalid argument" under it.
int refuseName(ProgramStarts& starts, const std::string& name) {
  showArchiveError(starts.ui, VC_E_BAD_ARGUMENT, name, kStyleError);
  return platform::kStartFailed;
}

// Starts argv; a result below 32 shows failureText's box. The result.
int startOrReport(ProgramStarts& starts, const std::vector<std::string>& argv, int showMode,
                  const std::string& failureText) {
  const int result = starts.spawner.start_argv(argv, showMode);
  if (result < kStartSuccessFloor) rcsMessage(starts.ui, kStyleError, failureText);
  return result;
}

int startVardel(ProgramStarts& starts, const std::vector<std::string>& words) {
  std::vector<std::string> argv{programPath(starts.programDirectory)};
  argv.insert(argv.end(), words.begin(), words.end());
  if (joinWords(argv).size() > kProgramLineLimit) return refuseName(starts, joinWords(argv));
  return startOrReport(starts, argv, kShowMode, std::string(loadString(kStrNoVardel)));
}

bool settingIsOn(const std::string& settingsFile, const char* key) {
  const std::string value = profile::getProfileString(settingsFile, kSystemSection, key, "no");
  if (value.size() != 2) return true;
  return !((value[0] == 'n' || value[0] == 'N') && (value[1] == 'o' || value[1] == 'O'));
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return sys::calls().stat(path.c_str(), &st) == 0;
}

// Starts the editor with extra words after its own; the start result.
int runEditor(ProgramStarts& starts, const std::vector<std::string>& extra) {
  std::vector<std::string> argv = editorCommand();
  argv.insert(argv.end(), extra.begin(), extra.end());
  const std::string line = joinWords(argv);
  if (line.size() > kProgramLineLimit) return refuseName(starts, line);
  const int result = starts.spawner.start_argv(argv, kShowMode);
  if (result < kStartSuccessFloor) rcsMessage(starts.ui, kStyleError, startFailureText(line, result));
  return result;
}

}  // namespace

// The running program's own file, absolute whatever the current directory
// was when it started (the loader's name for it may be relative).
std::string workbenchProgramDirectory() {
  char self[PATH_MAX] = {};
  const ssize_t n = sys::calls().readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return dynlib::directoryOfModuleContaining(reinterpret_cast<const void*>(&workbenchProgramDirectory));
  const std::string path(self, static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string startFailureText(const std::string& line, int result) {
  const char* text = line.c_str();
  if (result == platform::kStartFileNotFound || result == platform::kStartPathNotFound)
    return formatString(kStrLoadNotFound, text);
  if (result == 8) return formatString(kStrLoadNoMemory, text);
  if (result >= 10 && result <= 15) return formatString(kStrLoadNotProgram, text);
  if (result == 16) return formatString(kStrLoadSingleInstance, text);
  return formatString(kStrLoadFailedCode, text, result);
}

std::optional<std::vector<std::string>> visualMergeArguments(const std::string& programDirectory,
                                                             const char* title1, const char* title2,
                                                             const std::string& file1,
                                                             const std::string& file2) {
  if (holdsBar(title1) || holdsBar(title2) || holdsBar(file1.c_str()) || holdsBar(file2.c_str()))
    return std::nullopt;
  std::string line = "-n";
  if (title1) line += std::string("-t1|Revision ") + title1 + "| ";
  if (title2) line += std::string("-t2|Revision ") + title2 + "| ";
  const int deleteSet = (title1 ? 1 : 0) | (title2 ? 2 : 0);
  line += "-d" + std::to_string(deleteSet) + " |" + file1 + "| |" + file2 + "|";
  std::vector<std::string> argv{programPath(programDirectory)};
  for (std::string& w : barWords(line)) argv.push_back(std::move(w));
  if (joinWords(argv).size() > kProgramLineLimit) return std::nullopt;
  return argv;
}

int startVisualMerge(ProgramStarts& starts, const char* const titles[2], const std::string files[2]) {
  auto argv = visualMergeArguments(starts.programDirectory, titles[0], titles[1], files[0], files[1]);
  if (!argv) return refuseName(starts, holdsBar(files[0].c_str()) ? files[0] : files[1]);
  return startOrReport(starts, *argv, kShowMode, std::string(loadString(kStrNoVardel)));
}

int compareFilesCommand(ProgramStarts& starts) { return startVardel(starts, {"-m"}); }

int ddeDiff(ProgramStarts& starts, const char* first, const char* second) {
  for (const char* name : {first, second})
    if (holdsBar(name)) return refuseName(starts, name);
  const bool hasFirst = first && *first, hasSecond = second && *second;
  if (hasFirst && hasSecond) return startVardel(starts, {"|" + std::string(first) + "|", "|" + std::string(second) + "|"});
  if (hasFirst) return startVardel(starts, {"-m", "|" + std::string(first) + "|"});
  return startVardel(starts, {"-m"});
}

std::string fallbackEditor() {
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const char* text = sys::calls().getenv(variable);
    if (text && !platform::split_command_line(text).empty()) return text;
  }
  return "xdg-open";
}

std::vector<std::string> editorCommand() {
  char value[kEditorValueSize] = {};
  std::vector<std::string> words;
  if (vcGetConfig("editor", nullptr, 0, value, sizeof value) == 0) words = platform::split_command_line(value);
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    if (!words.empty()) break;
    if (const char* text = sys::calls().getenv(variable)) words = platform::split_command_line(text);
  }
  if (words.empty()) words.push_back("xdg-open");
  return words;
}

int viewOrEditFile(ProgramStarts& starts, const std::string& path) {
  if (!fileExists(path)) {
    rcsMessage(starts.ui, kStyleError, formatString(kStrCannotAccessFile, path.c_str()));
    return 0;
  }
  BusyCursor busy(starts.ui);
  if (settingIsOn(starts.settingsFile, "UseFileManagerAssociations")) {
    const int result = starts.spawner.start_argv({"xdg-open", path}, kShowMode);
    if (result > kStartSuccessFloor) return result;
    if (result == 0 || result == 5 || result == 8) {
      rcsMessage(starts.ui, kStyleError, formatString(kStrNoMemoryToView, path.c_str()));
      return result;
    }
  }
  return runEditor(starts, {path});
}

int startEditor(ProgramStarts& starts) {
  BusyCursor busy(starts.ui);
  return runEditor(starts, {});
}

int userToolCommand(ProgramStarts& starts, int commandId) {
  const int n = commandId - kFirstUserToolCommand + 1;
  const std::string key = "User" + std::to_string(n);
  std::string line = profile::getProfileString(starts.settingsFile, kUserSection, key + "Command", "");
  if (line.empty()) {
    showText(starts.ui, ui::MessageIcon::warning, kNoCommandText);
    return platform::kStartFailed;
  }
  const std::string arguments = profile::getProfileString(starts.settingsFile, kUserSection, key + "Arguments", "");
  if (!arguments.empty()) line += " " + arguments;
  const int result = starts.spawner.start(line, kShowNormal);
  if (result < kStartSuccessFloor)
    showText(starts.ui, ui::MessageIcon::warning, formatString(kStrLoadNotFound, line.c_str()));
  return result;
}

}  // namespace orv::workbench::external
