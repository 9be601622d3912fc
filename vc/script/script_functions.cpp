// The functions of text expansion ("$name(arguments)"). Names are compared
// exactly; arguments arrive expanded and are split at "," here, so a comma
// produced by a variable splits too. Results are cut to the buffer size by
// the caller.
#include "vc/error_codes.h"
#include "platform/sys/system_calls.h"
#include "vc/config/option_path_environment.h"
#include "vc/config/option_lookup.h"
#include "vc/script/program_starts.h"
#include "vc/script/script_context.h"
#include "vc/script/expression/expression_environment.h"
#include "vc/paths/path_calls.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace vc {
namespace {

std::vector<std::string> splitArguments(const std::string& arguments) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t comma = arguments.find(',', start);
    out.push_back(arguments.substr(start, comma == std::string::npos ? std::string::npos
                                                                      : comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

bool isSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }
bool isSlash(char c) { return c == '/' || c == '\\'; }
bool hasDrive(const std::string& p) {
  return p.size() >= 2 && p[1] == ':' &&
         ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z'));
}

std::string lastComponent(const std::string& path) {
  std::size_t i = path.size();
  while (i > 0 && !isSeparator(path[i - 1])) --i;
  return path.substr(i);
}

std::string deviceOf(const std::string& path) {
  if (hasDrive(path)) return path.substr(0, 2);
  if (path.size() > 2 && isSlash(path[0]) && isSlash(path[1]) && !isSlash(path[2])) {
    std::size_t e = 2;
    while (e < path.size() && !isSlash(path[e])) ++e;
    return path.substr(0, e);
  }
  return {};
}

// The directory up to the last separator, keeping the separator when it is
// the root (or follows the drive); nothing for a relative path.
std::string directoryOf(const std::string& path) {
  const std::size_t rootEnd = hasDrive(path) ? 2 : 0;
  if (!hasDrive(path) && (path.empty() || !isSlash(path[0]))) return {};
  std::size_t last = path.size();
  while (last > 0 && !isSeparator(path[last - 1])) --last;
  if (last == 0) return {};
  const std::size_t sep = last - 1;
  if (path[sep] == ':' || sep <= rootEnd) return path.substr(0, sep + 1);
  return path.substr(0, sep);
}

std::string changeCase(std::string text, bool upper) {
  for (char& c : text) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// substr(text, start[, length]): start from 1 (0 as 1, negative from the
// end), length as its absolute value; always clamped to the text.
std::string substring(const std::vector<std::string>& args) {
  const std::string& text = args[0];
  const long n = static_cast<long>(text.size());
  long start = std::strtol(args[1].c_str(), nullptr, 10);
  long from;
  if (start > 0)
    from = start - 1;
  else if (start == 0)
    from = 0;
  else
    from = n + start < 0 ? 0 : n + start;
  if (from >= n) return {};
  long length = n - from;
  if (args.size() == 3) {
    long l = std::labs(std::strtol(args[2].c_str(), nullptr, 10));
    if (l < length) length = l;
  }
  return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
}

std::string replaceAll(const std::string& text, const std::string& old, const std::string& with) {
  if (old.empty()) return text;
  std::string out;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = text.find(old, start);
    if (at == std::string::npos) break;
    out += text.substr(start, at - start) + with;
    start = at + old.size();
  }
  return out + text.substr(start);
}

bool statIs(const std::string& path, mode_t kind, bool any) {
  struct stat st {};
  if (path.empty() || orv::sys::calls().stat(path.c_str(), &st) != 0) return false;
  return any || (st.st_mode & S_IFMT) == kind;
}

std::string askQuery(VcScriptContext& ctx, const std::string& prompt, std::size_t size) {
  VcQueryFn query = ctx.instance->callbacks.query;
  if (!query) return {};
  std::vector<char> buffer(size < prompt.size() + 1 ? prompt.size() + 1 : size, '\0');
  std::memcpy(buffer.data(), prompt.c_str(), prompt.size() + 1);
  if (!query(buffer.data(), static_cast<int>(buffer.size()))) return {};
  buffer.back() = '\0';
  return buffer.data();
}

std::string sendMail(const std::vector<std::string>& args) {
  auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::string(); };
  const unsigned long window = std::strtoul(arg(3).c_str(), nullptr, 16);
  const int rc = vx_sendmail(arg(0).c_str(), arg(1).c_str(), arg(2).c_str(),
                             static_cast<unsigned int>(window));
  return rc == 0 ? "ok" : "";
}

}  // namespace

std::string callScriptFunction(VcScriptContext& ctx, const std::string& name,
                               const std::string& arguments, std::size_t size) {
  VcInstance& inst = *ctx.instance;
  const std::string& a = arguments;
  if (name == "getenv") {
    const char* value = orv::sys::calls().getenv(a.c_str());
    return value ? value : "";
  }
  if (name == "mailinit") return vx_init() == 0 ? "ok" : "";
  if (name == "mailexit") {
    vx_exit();
    return {};
  }
  if (name == "mail") return sendMail(splitArguments(a));
  if (name == "call") {
    const int rc = runBlock(inst, ctx.lists, a, false, ctx.sharedSource);
    return rc == err::kDone ? std::to_string(inst.extraError) : "0";
  }
  if (name == "cwd") return inst.identity.currentDirectory;
  if (name == "exists") return statIs(a, 0, true) ? a : "";
  if (name == "isfile") return statIs(a, S_IFREG, false) ? a : "";
  if (name == "isdir") return statIs(a, S_IFDIR, false) ? a : "";
  if (name == "flags") {
    OptionHit hit = lookupOption(ctx.lists, asciiLower(a));
    std::string out;
    if (hit.option && (hit.option->flags & kOptEnforce)) out += "Enforce";
    if (hit.option && (hit.option->flags & kOptNo)) out += "No";
    return out;
  }
  if (name == "defined") {
    if (vc::findExpressionParameter(ctx.parameters, a)) return a;
    return lookupOption(ctx.lists, asciiLower(a)).option ? a : "";
  }
  if (name == "query") return askQuery(ctx, a, size);
  if (name == "upper") return changeCase(a, true);
  if (name == "lower") return changeCase(a, false);
  if (name == "absname") {
    OptionPathEnvironment env(inst, ctx.lists);
    std::string absolute;
    if (vc::absoluteName(env, a, absolute, false) != 0) return a;
    return absolute.size() < size ? absolute : a;
  }
  if (name == "device") return deviceOf(a);
  if (name == "dir") return directoryOf(a);
  if (name == "filename") return lastComponent(a);
  if (name == "extension" || name == "basename") {
    const std::string last = lastComponent(a);
    const std::size_t dot = last.rfind('.');
    if (name == "extension") return dot == std::string::npos ? "" : last.substr(dot + 1);
    return dot == std::string::npos ? last : last.substr(0, dot);
  }
  if (name == "canon") {
    return orv::fs::forward_slashes(changeCase(a, false));
  }
  if (name == "exec") {
    refuseInSharedSource(ctx, "exec");
    CommandAndShow cs = splitCommandAndShow(a);
    return std::to_string(startProgram(cs.command, cs.show));
  }
  if (name == "system") return std::to_string(splitCommandAndShow(a).show);
  if (name == "index") {
    auto args = splitArguments(a);
    if (args.size() != 2 || args[0].empty() || args[1].empty()) return {};
    std::size_t at = args[0].find(args[1]);
    return at == std::string::npos ? "0" : std::to_string(at + 1);
  }
  if (name == "replace") {
    auto args = splitArguments(a);
    if (args.size() != 3) return {};
    return replaceAll(args[0], args[1], args[2]);
  }
  if (name == "substr") {
    auto args = splitArguments(a);
    if (args.size() != 2 && args.size() != 3) return {};
    return substring(args);
  }
  throw ScriptError("unknown operator");
}

}  // namespace vc
