// Dependency templates: a text run line by line through the script
// language. A line whose first word after "@" is a statement (if, else,
// set, echo, call, done, return ...) is run as one; any other line is
// copied with "@@" written as "@", "@name" replaced by the value of the
// variable name (a second "@" ending the name is swallowed), and the list
// keywords "@headers", "@sources", "@objects", "@projectfiles" (each with an
// optional filter in parentheses), "@depends" and "@template" expanded.
//
// The template runs over a list of its own in front of the instance's local
// list: what its `set` statements and the filters' `reffile` and `workfile`
// options store ends with the run and never reaches the project's or the
// instance's options.
#include "vc/depends/make_rules.h"

#include "vc/config/option_lookup.h"
#include "vc/project/project_uses.h"
#include "vc/depends/scan_settings.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/archive/instance_path_environment.h"
#include "vc/project/project_members.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"
#include "platform/sys/system_calls.h"

#include <cctype>
#include <cstring>

namespace vc {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr const char* kListKeywords[] = {"headers", "sources", "objects", "projectfiles"};

struct TemplateRun {
  VcInstance& inst;
  VcProject& p;
  int flags;
  VcScriptContext& ctx;
  VcOptionList& scratch;
  std::string& out;

  int line(const std::string& text);
  void listKeyword(const std::string& keyword, const std::string& text, std::size_t& i, std::size_t column);
  bool filterPasses(VcMember& m, const std::string& filter, bool& blockFilter);
  void depends(const std::string& rest);
  void includeTemplate(const std::string& rest);
};

// Runs every line of text in ctx; 0, VC_E_DONE or err::kScriptDone as the line
// that ended it.
int runLines(TemplateRun& run, const std::string& text) {
  int answer = 0;
  forEachTextLine(text, [&](std::string_view line) {
    answer = run.line(std::string(line));
    ++run.ctx.lineNumber;
    return answer != err::kScriptDone && answer != err::kDone;
  });
  return answer;
}

bool TemplateRun::filterPasses(VcMember& m, const std::string& filter, bool& blockFilter) {
  setOption(scratch, "reffile", fullMemberName(inst, p, m), kOptTemporary);
  setOption(scratch, "workfile", workMemberName(inst, p, m, nullptr), kOptTemporary);
  const std::string lower = asciiLower(filter);
  blockFilter = lookupBlock(ctx.lists, lower).block != nullptr;
  const std::string expression = blockFilter ? "$call(" + filter + ")" : filter;
  const std::string saved = ctx.parameters;
  ctx.parameters = m.rules.value_or("");
  bool pass = false;
  try {
    pass = expressionInteger(ctx, expression) != 0;
  } catch (const ScriptError&) {
    pass = false;
  } catch (const ScriptReturn& r) {
    pass = r.value != 0;
  }
  ctx.parameters = saved;
  return pass;
}

void TemplateRun::listKeyword(const std::string& keyword, const std::string& text, std::size_t& i,
                              std::size_t column) {
  std::string filter;
  bool filtered = false;
  if (i < text.size() && text[i] == '(') {
    int depth = 0;
    std::size_t end = i;
    for (; end < text.size(); ++end) {
      if (text[end] == '(') ++depth;
      if (text[end] == ')' && --depth == 0) break;
    }
    if (end >= text.size()) {  // unclosed: the line's output ends here
      i = std::string::npos;
      return;
    }
    filter = text.substr(i + 1, end - i - 1);
    filtered = true;
    i = end + 1;
  }
  const bool headers = keyword == "headers";
  const bool objects = keyword == "objects";
  const bool projectFiles = keyword == "projectfiles";
  for (VcMember& m : p.file.members) {
    const ExtensionInfo info = extensionInfo(m.name);
    if (!projectFiles && !info.known) continue;
    if ((keyword == "sources" || objects) && info.target.empty()) continue;
    bool blockFilter = false;
    if (filtered && !filterPasses(m, filter, blockFilter)) continue;
    if (!projectFiles) {
      const VcUsesNode* node = treeNode(inst, p, m, false);
      if (!node) node = m.node;
      const bool included = node && (node->flags & kNodeIncluded);
      if (included != headers) continue;
    }
    std::string name;
    std::string storage;
    const std::string* printable = blockFilter ? variableValue(ctx, "printablename", storage) : nullptr;
    if (printable) {
      name = *printable;
    } else if (objects) {
      name = m.name;
    } else if (projectFiles) {
      name = workMemberName(inst, p, m, nullptr);
    } else {
      name = memberSourceName(inst, p, m);
    }
    if (objects) {
      const std::size_t dot = name.rfind('.');
      if (dot != std::string::npos) name = name.substr(0, dot) + "." + info.target;
    }
    appendWrapped(out, column, name);
  }
}

void TemplateRun::depends(const std::string& rest) {
  std::size_t i = 0;
  bool any = false;
  while (i < rest.size()) {
    while (i < rest.size() && (isBlank(rest[i]) || rest[i] == ')' || rest[i] == '@')) ++i;
    std::size_t end = i;
    while (end < rest.size() && !isBlank(rest[end]) && rest[end] != ')' && rest[end] != '@') ++end;
    if (end == i) break;
    any = true;
    MemberIt it;
    if (findMember(inst, p, rest.substr(i, end - i).c_str(), it) == 0) appendMemberRule(inst, p, *it, flags, out);
    i = end;
  }
  if (!any) appendAllRules(inst, p, flags, out);
}

void TemplateRun::includeTemplate(const std::string& rest) {
  std::size_t end = 0;
  while (end < rest.size() && !isBlank(rest[end])) ++end;
  const std::string name = expandText(ctx, rest.substr(0, end), kExpansionSize);
  std::string absolute;
  std::string text;
  if (absoluteLibraryName(inst, name, absolute) || orv::sys::readWholeFile(absolute, text))
    throw ScriptError("Cannot open template file");
  ScriptNesting nesting;
  if (nesting.tooDeep()) throw ScriptError(kNestedTooDeep);
  VcScriptContext nested;
  nested.instance = &inst;
  nested.sourceName = name;
  nested.target = ctx.target;
  nested.lists = ctx.lists;
  nested.flags = ctx.flags;
  TemplateRun inner{inst, p, flags, nested, scratch, out};
  try {
    runLines(inner, text);
  } catch (const ScriptError& e) {
    reportScriptError(nested, e.what());
    throw ScriptError("error in template file " + name);
  } catch (const ScriptReturn&) {
  }
}

int TemplateRun::line(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '@') {
    std::size_t end = i + 1;
    while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
    const std::string word = asciiLower(text.substr(i + 1, end - i - 1));
    bool templateWord = word == "depends" || word == "template";
    for (const char* k : kListKeywords) templateWord = templateWord || word == k;
    if (!templateWord && isStatementKeyword(word)) return processLine(ctx, text.substr(i + 1));
  }
  if (!allLevelsActive(ctx)) return 0;
  traceLine(ctx, text);
  out.append(text, 0, i);
  while (i < text.size()) {
    const char c = text[i];
    if (c != '@') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '@') {
      out += '@';
      i += 2;
      continue;
    }
    const std::size_t at = i;
    std::size_t end = i + 1;
    while (end < text.size() && !isBlank(text[end]) && text[end] != '@' && text[end] != '(') ++end;
    const std::string word = text.substr(i + 1, end - i - 1);
    const std::string lower = asciiLower(word);
    i = end;
    if (lower == "depends") {
      depends(text.substr(end));
      return 0;
    }
    if (lower == "template") {
      std::size_t from = end;
      while (from < text.size() && isBlank(text[from])) ++from;
      includeTemplate(text.substr(from));
      return 0;
    }
    bool listed = false;
    for (const char* k : kListKeywords)
      if (lower == k) listed = true;
    if (listed) {
      listKeyword(lower, text, i, at);
      if (i == std::string::npos) return 0;
      continue;
    }
    std::string storage;
    if (const std::string* value = variableValue(ctx, word, storage)) out += *value;
    if (i >= text.size()) break;
    if (text[i] == '@')
      ++i;  // a closing "@" joins the value to what follows
  }
  out += '\n';
  return 0;
}

}  // namespace

int expandDependsTemplate(VcInstance& inst, VcProject& p, const std::string& name,
                          const std::string& text, int flags, std::string& out) {
  VcOptionList scratch;
  scratch = optionsOf(inst).local;
  VcScriptContext ctx;
  ctx.instance = &inst;
  ctx.sourceName = name;
  ctx.lists = projectLists(inst, p);
  ctx.lists.local = &scratch;
  ctx.target = &scratch;
  ctx.flags = kOptTemporary;
  TemplateRun run{inst, p, flags, ctx, scratch, out};
  try {
    return runLines(run, text);
  } catch (const ScriptError& e) {
    reportScriptError(ctx, e.what());
    return err::kBadConfigFileLine;
  } catch (const ScriptReturn& r) {
    inst.extraError = r.value;
    return err::kDone;
  }
}

}  // namespace vc
