// The configuration-file reader and writer and their exports.
//
// Only what the reader can read back is written: options with the saved flag
// and without the temporary flag, the pairs and the blocks. Statements of a
// hand-written file (if, echo, read, ...) are not kept in the lists and so
// are not written back.
//
// Options are written oldest first, like the pairs: the reader puts each in
// front of its list, so a written file reads back in the order it was held
// and a second write gives the same bytes.
#include "vc/script/config_file.h"

#include "vc/error_codes.h"
#include "vc/files/file_operations.h"
#include "platform/sys/system_calls.h"
#include "platform/fs/replace_file.h"
#include "vc/script/script_context.h"
#include "vc/paths/path_name.h"
#include "vc/config/option_state.h"
#include "platform/fs/path_separators.h"

#include <cerrno>
#include <cstdio>
#include <vector>

namespace vc {

int readConfigFile(VcInstance& inst, const std::string& path, VcOptionList& target,
                   std::uint32_t flags, bool sharedSource) {
  // The file is read whole through the system-call layer; its lines are then
  // taken from memory by the same line reader as ever.
  std::string text;
  if (int e = orv::sys::readWholeFile(path, text)) return fail(inst, err::kCannotOpenConfig, e);
  std::FILE* f = ::fmemopen(text.data(), text.size(), "rb");
  if (!f) return fail(inst, err::kCannotOpenConfig, errno);
  VcScriptContext ctx;
  ctx.instance = &inst;
  ctx.sourceName = path;
  ctx.flags = flags | kOptSaved;
  ctx.target = &target;
  ctx.lists = currentLists(inst);
  ctx.sharedSource = sharedSource;
  int result = 0;
  ScriptNesting nesting;
  if (nesting.tooDeep()) {
    std::fclose(f);
    reportScriptError(ctx, kNestedTooDeep);
    return fail(inst, err::kBadOptionLine);
  }
  std::vector<char> buf(kMaxConfigLine + 3);  // the line, CR LF and the terminator
  for (;; ++ctx.lineNumber) {
    std::size_t len = 0;
    int st = readLine(buf.data(), buf.size(), f, &len);
    if (st == kLineEof) break;
    if (st == kLineTooLong || st == kLineNulByte || st == kLineReadError) {
      result = fail(inst, err::kBadConfigFileLine, ctx.lineNumber);
      break;
    }
    std::string line(buf.data(), len);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.size() > kMaxConfigLine) {
      result = fail(inst, err::kBadConfigFileLine, ctx.lineNumber);
      break;
    }
    if (!line.empty() && line[0] == '#') continue;
    try {
      int r = processLine(ctx, line);
      if (r == err::kScriptDone) break;
      if (r == err::kDone) {
        // A `call` whose block ended with `return`: the value is already
        // the extra error.
        result = err::kDone;
        break;
      }
    } catch (const ScriptError& e) {
      reportScriptError(ctx, e.what());
      result = fail(inst, err::kBadOptionLine);
      break;
    } catch (const ScriptReturn& r) {
      inst.extraError = r.value;
      result = err::kDone;
      break;
    }
    if (st == kLineLast) break;
  }
  std::fclose(f);
  attachDefinedBlocks(ctx);
  return result;
}

std::string escapeConfigValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '#' || c == '$' || c == '"') out += '$';
    out += c;
  }
  bool needsQuotes = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                        value.back() == ' ' || value.back() == '\t' ||
                                        value.front() == '\'');
  return needsQuotes ? "\"" + out + "\"" : out;
}

namespace {

std::string leadingLetters(const std::string& text) {
  std::size_t n = 0;
  while (n < text.size() && ((text[n] >= 'a' && text[n] <= 'z') || (text[n] >= 'A' && text[n] <= 'Z')))
    ++n;
  return asciiLower(text.substr(0, n));
}

}  // namespace

bool namesStatementOption(const std::string& text) { return isStatementKeyword(leadingLetters(text)); }

std::string optionLineText(const VcOption& o) {
  std::string line;
  if (o.flags & kOptEnforce) line += "Enforce";
  if (o.flags & kOptNo) line += "No";
  line += o.name;
  // With a prefix the line begins with another word anyway.
  if (line.size() == o.name.size() && namesStatementOption(o.name)) line = "set " + line;
  // An empty value counts as no value when written out.
  if (o.value && !o.value->empty()) line += "=" + escapeConfigValue(*o.value);
  return line;
}

int configText(VcInstance& inst, const VcOptionList& list, std::string& out) {
  out.clear();
  int lineNumber = 0;
  auto add = [&](const std::string& line, std::size_t valueLength = 0) {
    ++lineNumber;
    if (line.size() > kMaxConfigLine || valueLength > kMaxConfigValue ||
        line.find_first_of("\r\n") != std::string::npos)
      return fail(inst, err::kBadConfigFileLine, lineNumber);
    out += line;
    out += '\n';
    return 0;
  };
  // Options and pairs are written oldest first: the reader puts each in
  // front, so the file reads back in the same order (for pairs the order
  // decides which of two overlapping worktoarch roots is tried first).
  for (auto o = list.options.rbegin(); o != list.options.rend(); ++o) {
    if (!(o->flags & kOptSaved) || (o->flags & kOptTemporary)) continue;
    if (o->value && o->value->empty()) continue;
    if (int rc = add(optionLineText(*o), o->value ? o->value->size() : 0)) return rc;
  }
  for (PairKind kind : {PairKind::WorkToArch, PairKind::WorkMap, PairKind::AutoAction}) {
    const auto& pairs = list.pairs(kind);
    for (auto p = pairs.rbegin(); p != pairs.rend(); ++p)
      if (int rc = add(std::string(pairKeyword(kind)) + " " + p->name + "=" +
                           escapeConfigValue(p->value),
                       p->value.size()))
        return rc;
  }
  for (const VcBlock& b : list.blocks) {
    if (int rc = add("block " + b.name)) return rc;
    for (const std::string& l : b.lines)
      if (int rc = add(l)) return rc;
    if (int rc = add("end")) return rc;
  }
  return 0;
}

}  // namespace vc

using namespace vc;

extern "C" {

VC_API VcError vcReadConfig(const char* fileName) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!fileName) return err::kBadArgument;
    const std::string path = orv::fs::forward_slashes(fileName);
    return readConfigFile(*inst, path, optionsOf(*inst).local, 0);
  });
}

VC_API VcError vcWriteConfig(const char* fileName) {
  return guarded([&] {
    VcInstance* inst = currentInstance();
    if (!inst) return err::kBadCaller;
    if (!fileName) return err::kBadArgument;
    const std::string path = orv::fs::forward_slashes(fileName);
    std::string text;
    if (int rc = configText(*inst, optionsOf(*inst).local, text)) return rc;
    if (int e = orv::fs::replaceFileContents(path, text))
      return fail(*inst, err::kCannotOpenConfig, e);
    return 0;
  });
}

}  // extern "C"
