// The project and sandbox file forms: recognition, the readers and the
// writers, and the member order the readers keep.
//
// Files are taken whole from memory and split into lines of any length; a
// carriage return before a line feed is dropped, so files written on the old
// platform read like ours. Writing produces the whole text first and then
// replaces the file through a temporary one, so a failed write never leaves
// a half-written project behind.
#include "vc/project/project_file.h"

#include "vc/script/config_file.h"
#include "vc/error_codes.h"
#include "vc/instance/instance.h"
#include "vc/script/script_context.h"
#include "vc/config/option_state.h"
#include "platform/fs/path_separators.h"
#include "platform/fs/replace_file.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace vc {
namespace {

// The lines of text without their line ends; a last line without a line
// feed counts when it is not empty.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

bool holdsLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Every line the writers make ends with a line feed: a file whose last
// line has none was cut short while it was written or copied, and its last
// line may be a member or an option missing its end.
bool cutShort(std::string_view text) { return !text.empty() && text.back() != '\n'; }

// Runs option lines through the line processor into target. 0;
// err::kBadOptionLine after a script error or a `return` outside a block;
// err::kUnexpectedEof (extra error: the line of the "block" statement) when a
// block is still open at the end: its "end" line never came, so the text
// was cut inside it.
int readOptionLines(VcInstance& inst, const std::string& fileName,
                    const std::vector<std::string_view>& lines, std::size_t first,
                    std::size_t end, VcOptionList& target, VcListSet lists) {
  VcScriptContext ctx;
  ctx.instance = &inst;
  ctx.sourceName = fileName;
  ctx.target = &target;
  ctx.lists = lists;
  ctx.sharedSource = true;
  ScriptNesting nesting;
  if (nesting.tooDeep()) {
    reportScriptError(ctx, kNestedTooDeep);
    return fail(inst, err::kBadOptionLine);
  }
  int result = 0;
  int blockLine = 0;
  for (std::size_t i = first; i < end; ++i) {
    ctx.lineNumber = static_cast<int>(i) + 1;
    try {
      // Results other than script errors are those of single statements;
      // like the configuration reader, reading goes on after them.
      const bool wasDefining = ctx.definingBlock;
      (void)processLine(ctx, std::string(lines[i]));
      if (ctx.definingBlock && !wasDefining) blockLine = ctx.lineNumber;
    } catch (const ScriptError& e) {
      reportScriptError(ctx, e.what());
      result = fail(inst, err::kBadOptionLine, ctx.lineNumber);
      break;
    } catch (const ScriptReturn&) {
      reportScriptError(ctx, "return outside a block");
      result = fail(inst, err::kBadOptionLine, ctx.lineNumber);
      break;
    }
  }
  if (result == 0 && ctx.definingBlock) {
    reportScriptError(ctx, "block " + ctx.blockUnderDefinition.name + " has no end line");
    result = fail(inst, err::kUnexpectedEof, blockLine);
  }
  attachDefinedBlocks(ctx);
  return result;
}

}  // namespace

std::string takeMemberField(std::string_view line, std::size_t& pos) {
  std::string field;
  bool quoted = false;
  while (pos < line.size()) {
    const char c = line[pos];
    if (c == '"') {
      if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
        field += '"';
        pos += 2;
        continue;
      }
      quoted = !quoted;
      ++pos;
      continue;
    }
    if (c == ' ' && !quoted) break;
    field += c;
    ++pos;
  }
  return field;
}

namespace {

// The member of one member line, or none for a line that names no member.
std::optional<VcMember> parseMemberLine(std::string_view line) {
  std::string fields[3];
  std::optional<std::string> rules;
  std::size_t pos = 0;
  for (int f = 0; f < 3; ++f) {
    fields[f] = takeMemberField(line, pos);
    if (pos >= line.size()) break;
    ++pos;  // the separating blank
    if (f == 2) rules = std::string(line.substr(pos));
  }
  if (fields[1].empty() || kMemberKinds.find(fields[1][0]) == std::string_view::npos)
    return std::nullopt;
  const std::string path = orv::fs::forward_slashes(fields[0]);
  VcMember m;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    m.name = path;
  } else {
    m.directory = path.substr(0, slash == 0 ? 1 : slash);
    m.name = path.substr(slash + 1);
  }
  if (m.name.empty()) return std::nullopt;
  m.kind = fields[1][0];
  if (!fields[2].empty()) m.revision = fields[2];
  if (rules && !rules->empty()) m.rules = std::move(rules);
  return m;
}

VcListSet lookupLists(VcInstance& inst, const VcListSet* around) {
  return around ? *around : currentLists(inst);
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The option statements of a list, in the order that reads back to the same
// list: the reader puts each option and pair in front, so they are written
// oldest first; blocks are kept in definition order. false when a text holds
// a line break.
bool appendOptionText(const VcOptionList& list, std::string& out) {
  for (auto o = list.options.rbegin(); o != list.options.rend(); ++o) {
    if (o->flags & (kOptPolicy | kOptTemporary)) continue;
    // Names that look like statements are written after "set".
    const std::string line = optionLineText(*o);
    if (holdsLineBreak(line)) return false;
    out += line;
    out += '\n';
  }
  for (PairKind kind : {PairKind::WorkToArch, PairKind::WorkMap, PairKind::AutoAction}) {
    const auto& pairs = list.pairs(kind);
    for (auto p = pairs.rbegin(); p != pairs.rend(); ++p) {
      std::string line =
          std::string(pairKeyword(kind)) + " " + p->name + "=" + escapeConfigValue(p->value);
      if (holdsLineBreak(line)) return false;
      out += line;
      out += '\n';
    }
  }
  for (const VcBlock& b : list.blocks) {
    if (holdsLineBreak(b.name)) return false;
    out += "block " + b.name + "\n";
    for (const std::string& l : b.lines) {
      // The project reader ends the option part at that line, wherever it is.
      if (holdsLineBreak(l) || l == kEndOptions) return false;
      out += l;
      out += '\n';
    }
    out += "end\n";
  }
  return true;
}

int replaceWith(VcInstance& inst, const std::string& path, const std::string& text) {
  orv::fs::AtomicFileWriter writer;
  int e = writer.begin(path, 0666, orv::fs::Durability::Durable);
  if (!e) e = writer.write(text);
  if (!e) e = writer.commit();
  if (e) return fail(inst, err::kProjectWrite, e);
  return 0;
}

}  // namespace

std::optional<std::string> optionValue(const VcOptionList& list, const std::string& name) {
  const VcOption* o = list.find(name);
  if (!o || !o->value) return std::nullopt;
  return o->value;
}

namespace {

using MemberKey = std::pair<std::string, std::string>;

MemberKey keyOf(const VcMember& m) { return {m.directory, m.name}; }

// The member order index, built again when the list changed behind it.
MemberIndex& orderIndex(VcProjectFile& project) {
  MemberIndex& index = project.index;
  if (index.orderBuilt && index.orderSize == project.members.size()) return index;
  index.order.clear();
  // In member order each key comes after the last: the hint makes the
  // build linear.
  for (auto it = project.members.begin(); it != project.members.end(); ++it)
    index.order.try_emplace(index.order.end(), keyOf(*it), MemberIndex::Group{it, it})->second.last = it;
  index.orderSize = project.members.size();
  index.orderBuilt = true;
  return index;
}

// Where a member of that directory and name goes: after every member whose
// (directory, name) is less or equal.
std::list<VcMember>::iterator placeFor(VcProjectFile& project, const VcMember& m) {
  MemberIndex& index = orderIndex(project);
  auto next = index.order.upper_bound(keyOf(m));
  return next == index.order.end() ? project.members.end() : next->second.first;
}

// Files a member just put into the list at its place.
void fileMember(VcProjectFile& project, std::list<VcMember>::iterator it) {
  MemberIndex& index = project.index;
  index.positions.clear();
  auto [group, fresh] = index.order.try_emplace(keyOf(*it), MemberIndex::Group{it, it});
  if (!fresh) group->second.last = it;
  ++index.orderSize;
  if (index.namesBuilt) index.pending.push_back(it);
}

}  // namespace

std::list<VcMember>::iterator placeMember(VcProjectFile& project, VcMember member) {
  const auto at = placeFor(project, member);
  const auto it = project.members.insert(at, std::move(member));
  fileMember(project, it);
  return it;
}

VcMember& insertMember(VcProjectFile& project, VcMember member) {
  return *placeMember(project, std::move(member));
}

std::list<VcMember>::iterator memberAt(VcProjectFile& project, std::size_t position) {
  if (position >= project.members.size()) return project.members.end();
  std::vector<MemberIndex::It>& positions = project.index.positions;
  if (positions.size() != project.members.size()) {
    positions.clear();
    positions.reserve(project.members.size());
    for (auto it = project.members.begin(); it != project.members.end(); ++it) positions.push_back(it);
  }
  return positions[position];
}

void unfileMember(VcProjectFile& project, std::list<VcMember>::iterator member) {
  MemberIndex& index = project.index;
  index.positions.clear();
  if (index.orderBuilt) {
    auto group = index.order.find(keyOf(*member));
    if (group == index.order.end()) {
      index.orderBuilt = false;
    } else {
      MemberIndex::Group& g = group->second;
      if (g.first == member && g.last == member)
        index.order.erase(group);
      else if (g.first == member)
        g.first = std::next(member);
      else if (g.last == member)
        g.last = std::prev(member);
      --index.orderSize;
    }
  }
  if (!index.namesBuilt) return;
  auto filed = index.keys.find(&*member);
  if (filed == index.keys.end()) {
    auto p = std::find(index.pending.begin(), index.pending.end(), member);
    if (p != index.pending.end()) index.pending.erase(p);
    else index.forgetNames();
    return;
  }
  for (auto* names : {&index.full, &index.work}) {
    const std::string& key = names == &index.full ? filed->second.first : filed->second.second;
    auto entry = names->find(key);
    if (entry == names->end()) continue;
    auto& list = entry->second;
    list.erase(std::remove(list.begin(), list.end(), member), list.end());
    if (list.empty()) names->erase(entry);
  }
  index.keys.erase(filed);
}

void replaceMember(VcProjectFile& project, std::list<VcMember>::iterator member) {
  // Out of the list while its place is sought, so that it is not its own
  // neighbour.
  std::list<VcMember> held;
  held.splice(held.begin(), project.members, member);
  const auto at = placeFor(project, *member);
  project.members.splice(at, held, member);
  fileMember(project, member);
}

void removeMember(VcProjectFile& project, std::list<VcMember>::iterator member) {
  unfileMember(project, member);
  project.members.erase(member);
}

int recognizeProjectText(std::string_view text, const std::string* expectedRevision,
                         std::optional<std::string>* revision) {
  if (revision) revision->reset();
  if (text.empty()) return kRecognisedEmpty;
  std::size_t end = text.find('\n');
  std::string_view first = text.substr(0, end);
  if (startsWith(first, kSandboxMagic)) return kRecognisedSandbox;
  if (!startsWith(first, kProjectMagic) || end == std::string_view::npos)
    return err::kNotProjectFile;
  std::string_view second = text.substr(end + 1);
  second = second.substr(0, second.find('\n'));
  if (!second.empty() && second.back() == '\r') second.remove_suffix(1);
  if (!startsWith(second, "$Revision")) return err::kNotProjectFile;
  std::optional<std::string> found;
  std::string_view rest = second.substr(9);
  if (!rest.empty() && rest[0] == ':') {
    std::size_t p = 1;
    while (p < rest.size() && (rest[p] == ' ' || rest[p] == '\t')) ++p;
    std::size_t blank = rest.find_first_of(" \t", p);
    if (p >= rest.size() || blank == std::string_view::npos) return err::kNotProjectFile;
    found = std::string(rest.substr(p, blank - p));
  }
  if (revision) *revision = found;
  if (expectedRevision && (!found || *found != *expectedRevision))
    return err::kProjectRevisionDiffers;
  return 0;
}

int readProjectText(VcInstance& inst, const std::string& fileName, std::string_view text,
                    VcProjectFile& out, const VcListSet* around) {
  out = VcProjectFile{};
  std::optional<std::string> revision;
  const int form = recognizeProjectText(text, nullptr, &revision);
  if (form != 0) return fail(inst, err::kNotProjectFile);
  out.revision = std::move(revision);
  if (cutShort(text)) return fail(inst, err::kUnexpectedEof);
  const std::vector<std::string_view> lines = splitLines(text);
  std::size_t endOptions = 2;
  while (endOptions < lines.size() && lines[endOptions] != kEndOptions) ++endOptions;
  // Without its "EndOptions" line the option part never ended: the file was
  // cut inside it, and its members (if it had any) are gone from this copy.
  if (endOptions >= lines.size()) return fail(inst, err::kUnexpectedEof);
  VcListSet lists = lookupLists(inst, around);
  lists.project[1] = &out.options;
  if (int rc = readOptionLines(inst, fileName, lines, 2, endOptions, out.options, lists))
    return rc;
  // Member order: by directory text, then name; equal ones in file order
  // (the list's sort keeps them). A file this library wrote is in member
  // order already.
  for (std::size_t i = endOptions + 1; i < lines.size(); ++i)
    if (std::optional<VcMember> m = parseMemberLine(lines[i])) out.members.push_back(std::move(*m));
  const auto before = [](const VcMember& a, const VcMember& b) {
    return a.directory != b.directory ? a.directory < b.directory : a.name < b.name;
  };
  if (!std::is_sorted(out.members.begin(), out.members.end(), before)) out.members.sort(before);
  return 0;
}

int readSandboxText(VcInstance& inst, const std::string& fileName, std::string_view text,
                    VcSandboxFile& out, const VcListSet* around) {
  out = VcSandboxFile{};
  if (recognizeProjectText(text, nullptr) != kRecognisedSandbox)
    return fail(inst, err::kNotSandboxFile);
  if (cutShort(text)) return fail(inst, err::kUnexpectedEof);
  const std::vector<std::string_view> lines = splitLines(text);
  VcListSet lists = lookupLists(inst, around);
  lists.project[2] = &out.options;
  if (int rc = readOptionLines(inst, fileName, lines, 1, lines.size(), out.options, lists))
    return rc;
  if (!optionValue(out.options, "masterproject")) return fail(inst, err::kNoMasterProject);
  return 0;
}

std::string quotedField(const std::string& text) {
  if (text.find_first_of(" \t\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string memberLine(const VcMember& member) {
  std::string line;
  if (!member.directory.empty() && member.directory != ".") {
    line += quotedField(member.directory);
    if (member.directory.back() != '/') line += '/';
  }
  line += quotedField(member.name);
  line += ' ';
  line += member.kind;
  line += ' ';
  if (member.revision) line += quotedField(*member.revision);
  line += ' ';
  if (member.rules) line += *member.rules;
  return line;
}

int projectText(const VcProjectFile& project, std::string& out) {
  out.clear();
  std::string text;
  text += kProjectMagic;
  text += '\n';
  if (project.revision && !project.revision->empty()) {
    if (project.revision->find_first_of(" \t\r\n") != std::string::npos)
      return err::kProjectWrite;
    text += "$Revision: " + *project.revision + " $\n";
  } else {
    text += "$Revision$\n";
  }
  if (!appendOptionText(project.options, text)) return err::kProjectWrite;
  text += kEndOptions;
  text += '\n';
  for (const VcMember& m : project.members) {
    if (m.name.empty() || kMemberKinds.find(m.kind) == std::string_view::npos)
      return err::kProjectWrite;
    const std::string line = memberLine(m);
    if (holdsLineBreak(line)) return err::kProjectWrite;
    text += line;
    text += '\n';
  }
  out = std::move(text);
  return 0;
}

int sandboxText(const VcSandboxFile& sandbox, std::string& out) {
  out.clear();
  if (!optionValue(sandbox.options, "masterproject")) return err::kNoMasterProject;
  std::string text;
  text += kSandboxMagic;
  text += '\n';
  if (!appendOptionText(sandbox.options, text)) return err::kProjectWrite;
  out = std::move(text);
  return 0;
}

int writeProjectFile(VcInstance& inst, const std::string& path, const VcProjectFile& project) {
  std::string text;
  if (int rc = projectText(project, text)) return fail(inst, rc);
  return replaceWith(inst, path, text);
}

int writeSandboxFile(VcInstance& inst, const std::string& path, const VcSandboxFile& sandbox) {
  std::string text;
  if (int rc = sandboxText(sandbox, text)) return fail(inst, rc);
  return replaceWith(inst, path, text);
}

}  // namespace vc
