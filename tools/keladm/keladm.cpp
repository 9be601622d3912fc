// keladm: sets up and inspects a security database from the command line.
//
// A thin layer over the kel* administration calls of libkel32.so: it creates
// a database (the installation's default one unless another is named), sets
// the administrator password, adds projects, roles, users and groups with
// their members, lists what a scope holds and resolves a permission the way
// the revision library does. Every failure ends with the library's own
// message and a non-zero status.
//
// It links the library's objects (kel_admin) rather than loading
// libkel32.so, for two things the C interface lacks: a command that makes
// several changes (a user with its roles, a group with its members, a role
// with its permissions) makes them in one write transaction, so that a
// failure or a kill half-way leaves none of them; and a damaged record the
// library refuses to read is named (kind and key) on stderr.
#include "kel/kellib/admin_session.h"
#include "kel/kellib/include/kel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: keladm [options] command [arguments]\n"
    "\n"
    "Sets up and inspects the security database.\n"
    "\n"
    "commands:\n"
    "  where                          print the path of the database the other commands use\n"
    "  create                         create the database (needs -a); never overwrites one\n"
    "  set-admin-password OLD NEW     set the administrator password (at most 16 characters;\n"
    "                                 before one is set, any non-blank OLD is accepted)\n"
    "  set-password [PASSWORD]        set (or, without one, clear) the scope's password;\n"
    "                                 changes in the scope then need -p PASSWORD\n"
    "  add-project NAME               add a project\n"
    "  add-role ROLE [ENTRY...]       add a role (or add to it) with permissions such as\n"
    "                                 CheckIn, NoBreakLocks or \"LockStates=Exp Rel\"\n"
    "  add-user USER [-r ROLE]...     register a user, optionally with roles; a user\n"
    "                                 without roles is a DefaultRegisteredUser\n"
    "  add-group GROUP [-r ROLE]... [MEMBER...]\n"
    "                                 add a group with its roles and members\n"
    "  list [KIND...]                 list the scope's objects; kinds: users groups roles\n"
    "                                 projects products statements (default: all of them)\n"
    "  resolve USER PERMISSION        whether USER holds PERMISSION (status 0 granted, 1 refused)\n"
    "\n"
    "options:\n"
    "  -d, --database PATH   the database (base path, .dat file or redirector); default: the\n"
    "                        default database of the installation\n"
    "      --program PATH    the installation's program whose default database (and\n"
    "                        administrator password) is meant; default: this program\n"
    "  -P, --project NAME    work in the project's scope instead of the global module\n"
    "  -a, --admin PASSWORD  the administrator password for create (else $ORV_KEL_ADMIN_PASSWORD)\n"
    "  -p, --password TEXT   the scope's password, when it has one\n"
    "  -h, --help            show this text\n"
    "\n"
    "Options may stand anywhere; \"--\" ends them. Objects that exist already are left\n"
    "as they are, so a set-up can be run again. Status: 0 success, 1 failure (or a\n"
    "refused permission), 2 wrong usage.\n";

struct Options {
  std::string database;
  std::string program;
  std::string project;
  std::string admin;
  std::string password;
  bool havePassword = false;
  std::vector<std::string> words;  // the command and its arguments
};

Options g_options;

std::string errorText(int code) {
  char text[256] = "";
  if (kelErrorStr(code, text, sizeof text) != KEL_SUCCESS) std::snprintf(text, sizeof text, "error %d", code);
  return text;
}

const char* kindWord(int kind);

// Names on stderr the damaged records the library met since the last report.
void reportDamagedRecords() {
  for (const auto& r : kel::takeDamagedRecords())
    std::fprintf(stderr, "keladm: damaged record: %s \"%s\" (id %d, under %d): %s\n", kindWord(r.type),
                 r.name.c_str(), r.id, r.parent, errorText(KEL_BAD_FORMAT).c_str());
}

// Reports a failed call: "keladm: what: message"; answers the exit status.
int fail(const std::string& what, int code) {
  std::fprintf(stderr, "keladm: %s: %s\n", what.c_str(), errorText(code).c_str());
  reportDamagedRecords();
  return kExitFailure;
}

// A command's several changes as one write transaction. What each step did
// is told only once all of them are kept; a batch that fails says that
// nothing was changed.
class ChangeBatch {
 public:
  int begin() {
    if (int rc = batch_.begin()) return fail("starting the change of " + g_options.database, rc);
    return 0;
  }
  void say(const std::string& line) { lines_.push_back(line); }
  // Ends the command with its status: keeps the changes after a success.
  int finish(int status) {
    if (status == 0) {
      if (int rc = batch_.commit()) status = fail("saving the changes to " + g_options.database, rc);
    }
    if (status != 0) {
      std::fprintf(stderr, "keladm: nothing was changed\n");
      return status;
    }
    for (const auto& line : lines_) std::printf("%s\n", line.c_str());
    return 0;
  }

 private:
  kel::admin::Batch batch_;
  std::vector<std::string> lines_;
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "keladm: %s\n(keladm --help shows the usage)\n", message.c_str());
  return kExitUsage;
}

int scopeKind() { return g_options.project.empty() ? KEL_GLOBAL_MODULE : KEL_PROJECT; }
const char* scopeName() { return g_options.project.c_str(); }
std::string scopeTitle() { return g_options.project.empty() ? "the global module" : "project " + g_options.project; }

// Answers the scope's password prompt once with the -p text; a retry means it
// was wrong, which is declined rather than asked again.
int answerPassword(int, const char*, char* buffer, int length, const char* prompt) {
  if (!g_options.havePassword || (prompt && *prompt)) return 0;
  std::snprintf(buffer, static_cast<std::size_t>(length), "%s", g_options.password.c_str());
  return 1;
}

std::string runningProgram() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string currentDirectory() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/");
}

int defaultDatabase(std::string& path) {
  char out[PATH_MAX] = "";
  int rc = kelGetDefaultDatabase(g_options.program.c_str(), currentDirectory().c_str(), out, sizeof out);
  if (rc) return fail("default database of " + g_options.program, rc);
  path = out;
  return 0;
}

// Creates the directories above path that are missing.
void makeParentDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    ::mkdir(path.substr(0, slash).c_str(), 0755);
}

// Opens the database for the command; closed again by the caller.
int openDatabase(bool readOnly) {
  int rc = kelOpenDB(g_options.database.c_str(), readOnly ? 1 : 0);
  if (rc == KEL_READ_ONLY && !readOnly) {
    kelCloseDB();
    return fail("opening " + g_options.database + " for changes", rc);
  }
  if (rc) return fail("opening " + g_options.database, rc);
  return 0;
}

// An add in the scope where an object that exists already is fine.
int addTolerant(ChangeBatch& batch, int parentKind, const char* parentName, int kind, const std::string& name,
                const std::string& what) {
  int rc = kelAddObject(scopeKind(), scopeName(), parentKind, parentName, kind, name.c_str(), 0);
  if (rc == KEL_OBJECT_EXISTS) {
    batch.say(what + " exists already");
    return 0;
  }
  if (rc) return fail("adding " + what + " to " + scopeTitle(), rc);
  batch.say("added " + what);
  return 0;
}

// Roles given to a user or group must be roles of the scope.
int giveRoles(ChangeBatch& batch, int kind, const std::string& name, const std::vector<std::string>& roles) {
  for (const auto& role : roles) {
    int rc = scopeKind() == KEL_GLOBAL_MODULE
                 ? kelGetObject(KEL_GLOBAL_MODULE, "", KEL_ROLE, role.c_str(), nullptr)
                 : kelGetObject(KEL_PROJECT, scopeName(), KEL_ROLE, role.c_str(), nullptr);
    if (rc) return fail("role " + role + " of " + scopeTitle(), rc);
    rc = kelAddObject(scopeKind(), scopeName(), kind, name.c_str(), KEL_ROLE, role.c_str(), 0);
    if (rc) return fail("giving role " + role + " to " + name, rc);
    batch.say("gave role " + role + " to " + name);
  }
  return 0;
}

// Splits the words after "COMMAND NAME" into -r ROLE options and the rest.
bool splitRoles(const std::vector<std::string>& args, std::vector<std::string>& roles, std::vector<std::string>& rest) {
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "-r" || args[i] == "--role") {
      if (++i == args.size()) return false;
      roles.push_back(args[i]);
    } else if (args[i].rfind("--role=", 0) == 0) {
      roles.push_back(args[i].substr(7));
    } else {
      rest.push_back(args[i]);
    }
  }
  return true;
}

// ---- Commands ------------------------------------------------------------

int cmdWhere(const std::vector<std::string>&) {
  std::printf("%s\n", g_options.database.c_str());
  return 0;
}

int cmdCreate(const std::vector<std::string>& args) {
  if (args.size() != 1) return usageError("create takes no arguments");
  std::string admin = g_options.admin;
  if (admin.empty())
    if (const char* env = std::getenv("ORV_KEL_ADMIN_PASSWORD")) admin = env;
  if (admin.empty()) return usageError("create needs the administrator password (-a or $ORV_KEL_ADMIN_PASSWORD)");
  makeParentDirectories(g_options.database);
  int rc = kelCreateDB(g_options.database.c_str(), admin.c_str());
  if (rc) return fail("creating " + g_options.database, rc);
  std::printf("created %s\n", g_options.database.c_str());
  return 0;
}

int cmdSetAdminPassword(const std::vector<std::string>& args) {
  if (args.size() != 3) return usageError("set-admin-password takes the old and the new password");
  int rc = kelSetAdminPassword(args[1].c_str(), args[2].c_str());
  if (rc) return fail("setting the administrator password", rc);
  std::printf("administrator password set\n");
  return 0;
}

int cmdSetPassword(const std::vector<std::string>& args) {
  if (args.size() > 2) return usageError("set-password takes the new password (none clears it)");
  if (int rc = openDatabase(false)) return rc;
  const char* password = args.size() == 2 ? args[1].c_str() : nullptr;
  int rc = kelSetPasswd(scopeKind(), scopeName(), password);
  if (rc) return fail("setting the password of " + scopeTitle(), rc);
  std::printf("password of %s %s\n", scopeTitle().c_str(), password && *password ? "set" : "cleared");
  return 0;
}

int cmdAddProject(const std::vector<std::string>& args) {
  if (args.size() != 2) return usageError("add-project takes one project name");
  if (int rc = openDatabase(false)) return rc;
  // Projects are top-level objects whatever the scope given.
  ChangeBatch batch;
  if (int rc = batch.begin()) return rc;
  return batch.finish(addTolerant(batch, 0, nullptr, KEL_PROJECT, args[1], "project " + args[1]));
}

int cmdAddRole(const std::vector<std::string>& args) {
  if (args.size() < 2) return usageError("add-role takes a role name and its permissions");
  if (int rc = openDatabase(false)) return rc;
  const std::string& role = args[1];
  ChangeBatch batch;
  if (int rc = batch.begin()) return rc;
  if (int rc = addTolerant(batch, 0, nullptr, KEL_ROLE, role, "role " + role)) return batch.finish(rc);
  for (std::size_t i = 2; i < args.size(); ++i) {
    int rc = kelAddObject(scopeKind(), scopeName(), KEL_ROLE, role.c_str(), KEL_PERMISSION, args[i].c_str(), 0);
    if (rc) return batch.finish(fail("giving " + args[i] + " to role " + role, rc));
    batch.say("role " + role + " grants " + args[i]);
  }
  return batch.finish(0);
}

int cmdAddUser(const std::vector<std::string>& args) {
  std::vector<std::string> roles, rest;
  if (args.size() < 2 || !splitRoles(args, roles, rest) || !rest.empty())
    return usageError("add-user takes one user name and -r ROLE options");
  if (int rc = openDatabase(false)) return rc;
  const std::string& user = args[1];
  ChangeBatch batch;
  if (int rc = batch.begin()) return rc;
  if (int rc = addTolerant(batch, 0, nullptr, KEL_USER, user, "user " + user)) return batch.finish(rc);
  return batch.finish(giveRoles(batch, KEL_USER, user, roles));
}

int cmdAddGroup(const std::vector<std::string>& args) {
  std::vector<std::string> roles, members;
  if (args.size() < 2 || !splitRoles(args, roles, members))
    return usageError("add-group takes a group name, -r ROLE options and member names");
  if (int rc = openDatabase(false)) return rc;
  const std::string& group = args[1];
  ChangeBatch batch;
  if (int rc = batch.begin()) return rc;
  if (int rc = addTolerant(batch, 0, nullptr, KEL_GROUP, group, "group " + group)) return batch.finish(rc);
  if (int rc = giveRoles(batch, KEL_GROUP, group, roles)) return batch.finish(rc);
  for (const auto& member : members)
    if (int rc = addTolerant(batch, KEL_GROUP, group.c_str(), KEL_GROUP_MEMBER, member,
                             "member " + member + " of " + group))
      return batch.finish(rc);
  return batch.finish(0);
}

// The first list of a record's VarData, joined with ", ". The library hands
// out only records whose lists end inside them; the walk still stops at the
// longest VarData a record can have.
std::string firstList(const kelObjectRecord* record) {
  constexpr std::size_t kVarDataMax = KEL_MAX_RECORD - KEL_VARDATA_OFFSET;
  const char* const start = KEL_VARDATA(record);
  std::string out;
  for (std::size_t pos = 0; pos < kVarDataMax && start[pos];) {
    const std::size_t n = strnlen(start + pos, kVarDataMax - pos);
    if (!out.empty()) out += ", ";
    out.append(start + pos, n);
    pos += n + 1;
  }
  return out;
}

const char* kindWord(int kind) {
  switch (kind) {
    case KEL_PROJECT: return "project";
    case KEL_USER: return "user";
    case KEL_GROUP: return "group";
    case KEL_POLICY_STATEMENT: return "statement";
    case KEL_ROLE: return "role";
    case KEL_GROUP_MEMBER: return "member";
    case KEL_PRODUCT: return "product";
    default: return "object";
  }
}

// One line per object: kind, name and (tab-separated) its first list; a
// group's members follow it as "member<TAB>group<TAB>user".
int printObject(int kind, const char* name, const kelObjectRecord* record) {
  if (kind == KEL_GROUP_MEMBER) {
    std::printf("member\t%.64s\t%s\n", record->Text, name);
    return 1;
  }
  std::string line = std::string(kindWord(kind)) + "\t" + name;
  if (kind == KEL_USER || kind == KEL_GROUP || kind == KEL_ROLE || kind == KEL_POLICY_STATEMENT) {
    std::string list = firstList(record);
    if (!list.empty()) line += "\t" + list;
  }
  std::printf("%s\n", line.c_str());
  return 1;
}

int cmdList(const std::vector<std::string>& args) {
  struct Kind {
    const char* word;
    int kind;
  } const kinds[] = {{"projects", KEL_PROJECT}, {"roles", KEL_ROLE},     {"users", KEL_USER},
                     {"groups", KEL_GROUP},     {"products", KEL_PRODUCT}, {"statements", KEL_POLICY_STATEMENT}};
  std::vector<int> chosen;
  for (std::size_t i = 1; i < args.size(); ++i) {
    bool known = false;
    for (const auto& k : kinds)
      if (args[i] == k.word || args[i] + "s" == k.word) {
        chosen.push_back(k.kind);
        known = true;
      }
    if (!known) return usageError("unknown kind of object: " + args[i]);
  }
  if (chosen.empty())
    for (const auto& k : kinds) chosen.push_back(k.kind);
  if (int rc = openDatabase(true)) return rc;
  // A damaged record is named and left out; the others are still listed.
  for (int kind : chosen) {
    const std::string what = std::string("listing the ") + kindWord(kind) + "s of " + scopeTitle();
    int rc = kelEnumInfo(scopeKind(), scopeName(), kind, printObject);
    if (rc) return fail(what, rc);
    if (int skipped = kel::lastEnumerationSkipped())
      std::fprintf(stderr, "keladm: %s: left out %d damaged record%s\n", what.c_str(), skipped, skipped == 1 ? "" : "s");
    reportDamagedRecords();
  }
  return 0;
}

int cmdResolve(const std::vector<std::string>& args) {
  if (args.size() != 3) return usageError("resolve takes a user and a permission");
  if (int rc = openDatabase(true)) return rc;
  char* value = nullptr;
  int flags = 0;
  int rc = kelResolvePermission(scopeKind(), scopeKind() == KEL_GLOBAL_MODULE ? "" : scopeName(), args[1].c_str(),
                                args[2].c_str(), &value, &flags);
  const std::string shown = args[2] + (value ? std::string(" = ") + value : std::string());
  kelFree(value);
  if (rc == KEL_SUCCESS) {
    std::printf("%s: granted to %s\n", shown.c_str(), args[1].c_str());
    return 0;
  }
  if (rc == KEL_NOT_FOUND) {
    std::printf("%s: refused to %s%s\n", shown.c_str(), args[1].c_str(),
                flags & KEL_FLAG_NO ? " (a role says No)" : "");
    return kExitFailure;
  }
  return fail("resolving " + args[2] + " for " + args[1], rc);
}

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>&);
  bool needsDatabase;  // whether a database path is worked out first
};

const Command kCommands[] = {
    {"where", cmdWhere, true},
    {"create", cmdCreate, true},
    {"set-admin-password", cmdSetAdminPassword, false},
    {"set-password", cmdSetPassword, true},
    {"add-project", cmdAddProject, true},
    {"add-role", cmdAddRole, true},
    {"add-user", cmdAddUser, true},
    {"add-group", cmdAddGroup, true},
    {"list", cmdList, true},
    {"resolve", cmdResolve, true},
};

// Reads the options (anywhere on the line; "--" ends them) and the words
// of the command; -r/--role belong to the command's words. 0, or the exit
// status to end with.
int parseOptions(int argc, char** argv, bool& help) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      g_options.words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      help = true;
      return 0;
    }
    if (arg == "-r" || arg == "--role" || arg.rfind("--role=", 0) == 0) {
      g_options.words.push_back(arg);
      if (arg.find('=') == std::string::npos && i + 1 < argc) g_options.words.push_back(argv[++i]);
      continue;
    }
    std::string value;
    std::string name = arg;
    if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else {
      static const char* const withValue[] = {"-d", "--database", "--program", "-P", "--project",
                                              "-a", "--admin",    "-p",        "--password"};
      bool takes = false;
      for (const char* w : withValue) takes = takes || arg == w;
      if (!takes) return usageError("unknown option " + arg);
      if (++i == argc) return usageError("option " + arg + " needs a value");
      value = argv[i];
    }
    if (name == "-d" || name == "--database") {
      g_options.database = value;
    } else if (name == "--program") {
      g_options.program = value;
    } else if (name == "-P" || name == "--project") {
      g_options.project = value;
    } else if (name == "-a" || name == "--admin") {
      g_options.admin = value;
    } else if (name == "-p" || name == "--password") {
      g_options.password = value;
      g_options.havePassword = true;
    } else {
      return usageError("unknown option " + name);
    }
  }
  return 0;
}

int run(int argc, char** argv) {
  bool help = false;
  if (int rc = parseOptions(argc, argv, help)) return rc;
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (g_options.words.empty()) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const Command* command = nullptr;
  for (const auto& c : kCommands)
    if (g_options.words[0] == c.name) command = &c;
  if (!command) return usageError("unknown command " + g_options.words[0]);

  if (g_options.program.empty()) g_options.program = runningProgram();
  if (g_options.program.empty()) return usageError("cannot tell this program's path: give --program");
  if (command->needsDatabase && g_options.database.empty())
    if (int rc = defaultDatabase(g_options.database)) return rc;

  // The library keeps the program's name: the administrator password lies
  // beside that installation's default database.
  if (int rc = kelInit(g_options.program.c_str())) return fail("starting the security database", rc);
  kelRegisterPasswdCB(answerPassword);
  int status = command->run(g_options.words);
  kelCloseDB();
  kelExit();
  return status;
}

}  // namespace

int main(int argc, char** argv) { return run(argc, argv); }
