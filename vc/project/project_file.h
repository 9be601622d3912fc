// Project and sandbox files: their model in memory, their recognition, and
// their reading and writing.
//
// A project file is a magic line, a "$Revision" line, option statements of
// the configuration language, the line "EndOptions" and one line per member
// (path, kind letter, revision, rules). A sandbox file is its own magic line
// and option statements only; it names the project it follows through the
// option `masterproject`. Opening, saving, permissions and locks are built
// over this layer; nothing here keeps a handle or looks at the security
// database.
#pragma once

#include "vc/config/option_state.h"

#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vc {

struct VcInstance;

// The first line of each form. The sandbox line begins with the project line,
// so recognition tests it first.
inline constexpr std::string_view kProjectMagic = "--ORV Project--";
inline constexpr std::string_view kSandboxMagic = "--ORV Project--Sandbox--";
inline constexpr std::string_view kEndOptions = "EndOptions";
// The kind letters a member line may carry.
inline constexpr std::string_view kMemberKinds = "asif";

// Recognition results besides 0 (a project file, of the expected revision
// when one was expected), err::kNotProjectFile and
// err::kProjectRevisionDiffers.
inline constexpr int kRecognisedSandbox = -2;
inline constexpr int kRecognisedEmpty = -1;

struct VcUsesNode;

// One member line.
struct VcMember {
  std::string directory;  // as written (may begin with "$(name)"); empty when none
  std::string name;
  char kind = 'a';                      // one of kMemberKinds
  std::optional<std::string> revision;  // none when the field is empty
  std::optional<std::string> rules;     // the rest of the line; none when empty
  std::uint32_t flags = 0;              // kept for the member operations
  // Kept in memory only, for the member calls.
  std::string newerRevision;            // a newer revision on the member's line
  std::string locker;                   // who locks the member revision
  VcUsesNode* node = nullptr;           // its node in the project's dependency graph
};

// What finds members quickly, kept beside the member list in memory only:
// the member order by stored directory and name (where a new member goes),
// and the members by their normalised full and working names (which member
// a caller's name means). Both are brought up to date as members come and
// go through the calls below; the names part is built again when the values
// the names are made of change. A copied or moved list starts without one.
struct MemberIndex {
  using It = std::list<VcMember>::iterator;
  MemberIndex() = default;
  MemberIndex(const MemberIndex&) {}
  MemberIndex(MemberIndex&&) noexcept {}
  MemberIndex& operator=(const MemberIndex&) {
    forget();
    return *this;
  }
  MemberIndex& operator=(MemberIndex&&) noexcept {
    forget();
    return *this;
  }
  void forget() {
    order.clear();
    orderSize = 0;
    orderBuilt = false;
    positions.clear();
    forgetNames();
  }
  void forgetNames() {
    full.clear();
    work.clear();
    keys.clear();
    pending.clear();
    variables.clear();
    context.clear();
    namesBuilt = false;
  }

  // Member order: each stored (directory, name) with the first and last
  // member that has it.
  struct Group {
    It first, last;
  };
  std::map<std::pair<std::string, std::string>, Group> order;
  std::size_t orderSize = 0;
  bool orderBuilt = false;

  // The members by their place in member order, built when a place is
  // asked for and dropped when a member comes or goes.
  std::vector<It> positions;

  // Names: the members of each normalised full and working name, the keys
  // each member is filed under, and the members added since (filed at the
  // next lookup).
  std::unordered_map<std::string, std::vector<It>> full, work;
  std::unordered_map<const VcMember*, std::pair<std::string, std::string>> keys;
  std::vector<It> pending;
  std::set<std::string> variables;  // leading variables of the members' directories
  std::string context;              // the values the names were made of
  bool namesBuilt = false;
};

// A project file in memory.
struct VcProjectFile {
  std::optional<std::string> revision;  // of the "$Revision" line; none for "$Revision$"
  VcOptionList options;                 // the project's own ("local") option list
  std::list<VcMember> members;          // in member order (insertMember)
  MemberIndex index;                    // of members (insertMember, removeMember)
};

// A sandbox file in memory: options only. `masterproject` names the project
// the sandbox follows, `revision` (when present) the revision of it that a
// variant sandbox follows.
struct VcSandboxFile {
  VcOptionList options;
};

// The value of the option name (lower case) in list, or none when it is
// missing or has no value.
std::optional<std::string> optionValue(const VcOptionList& list, const std::string& name);

// Puts member in its place: grouped by directory text, groups in ascending
// byte order, names in ascending byte order within a group, an equal name
// after those already there. The new member.
VcMember& insertMember(VcProjectFile& project, VcMember member);
std::list<VcMember>::iterator placeMember(VcProjectFile& project, VcMember member);
// The member at position (0 the first) in member order, or end() past the
// last; quick for any position once the list stopped changing.
std::list<VcMember>::iterator memberAt(VcProjectFile& project, std::size_t position);
// Moves a member whose directory or name changed to its place; the caller
// calls unfileMember before the change.
void replaceMember(VcProjectFile& project, std::list<VcMember>::iterator member);
// Takes a member out of the index (before a change of its name, or before
// it goes), and removes a member from the list.
void unfileMember(VcProjectFile& project, std::list<VcMember>::iterator member);
void removeMember(VcProjectFile& project, std::list<VcMember>::iterator member);

// Which form text (a whole file) has: 0, kRecognisedSandbox,
// kRecognisedEmpty, err::kNotProjectFile (first line neither magic, second
// line missing or not "$Revision...", a ":" revision without a closing
// blank) or err::kProjectRevisionDiffers (a revision was expected and the
// file names none or another). The project's revision goes to revision when
// given. Line ends may be LF or CR LF.
int recognizeProjectText(std::string_view text, const std::string* expectedRevision,
                         std::optional<std::string>* revision = nullptr);

// Where the lookups of a reading run look besides the list being read: the
// instance's current lists when null. The list being read is put in as the
// project's own list (project) or the sandbox list (sandbox).
//
// Reading a project: its revision, the option lines up to "EndOptions" through
// the line processor (as a shared source: no `exec`, no `exit`) and then every
// member line whose kind is one of kMemberKinds. Member paths have "\" turned
// into "/" and are kept as written otherwise (relative ones are not resolved
// here). 0; err::kNotProjectFile when text is not in the project form;
// err::kBadOptionLine after a script error in an option line (reported through
// the echo/trace callback); err::kUnexpectedEof for a text that ends early:
// without the "EndOptions" line, inside a block (no "end" line), or without
// the line feed that ends every written line. out is replaced.
int readProjectText(VcInstance& inst, const std::string& fileName, std::string_view text,
                    VcProjectFile& out, const VcListSet* around = nullptr);

// Reading a sandbox: every line after the magic is an option statement. 0;
// err::kNotSandboxFile when text is not in the sandbox form;
// err::kBadOptionLine and err::kUnexpectedEof (inside a block, or no final
// line feed) as above; err::kNoMasterProject when the options lack
// `masterproject` (out then holds what was read).
int readSandboxText(VcInstance& inst, const std::string& fileName, std::string_view text,
                    VcSandboxFile& out, const VcListSet* around = nullptr);

// The written forms. Options are written that lack the policy and temporary
// flags, oldest first, then the pairs (oldest first) and the blocks, so that
// a file read and written again keeps its bytes. 0, or err::kProjectWrite
// (nothing in out) when something cannot be written so that it reads back:
// a line break in any text, a block line "EndOptions", a member without a
// name or with a kind outside kMemberKinds, a project revision holding a
// blank; for a sandbox,
// err::kNoMasterProject when `masterproject` is missing.
int projectText(const VcProjectFile& project, std::string& out);
int sandboxText(const VcSandboxFile& sandbox, std::string& out);

// Replaces the file at path with the written form, durably, through a
// temporary file renamed over it: the old file stays whole until the new one
// is complete. 0, or err::kProjectWrite (extra error: the system error, or 0
// for unwritable contents) recorded in inst; a sandbox without
// `masterproject` gives err::kNoMasterProject.
int writeProjectFile(VcInstance& inst, const std::string& path, const VcProjectFile& project);
int writeSandboxFile(VcInstance& inst, const std::string& path, const VcSandboxFile& sandbox);

// The written form of one member line (without its line feed).
std::string memberLine(const VcMember& member);

// One field of a member line from pos: blanks separate fields, double
// quotes group and a doubled quote inside them stands for one. pos ends on
// the separating blank or at the end.
std::string takeMemberField(std::string_view line, std::size_t& pos);

// A name as a member field: wrapped in double quotes, each inner quote
// doubled, when it holds a blank, a tab or a double quote; else as it is.
std::string quotedField(const std::string& text);

}  // namespace vc
