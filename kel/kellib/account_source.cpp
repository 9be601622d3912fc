// Reading accounts from NSS or from passwd/group files, and the rule of
// which accounts are ordinary. Files and the account database are reached
// through the system-call seam.
#include "kel/kellib/account_source.h"

#include "platform/sys/system_calls.h"

#include <cerrno>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace kel {
namespace {

std::vector<std::string> splitFields(const std::string& line, char sep) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, sep)) fields.push_back(field);
  if (!line.empty() && line.back() == sep) fields.emplace_back();
  return fields;
}

bool parseNumber(const std::string& text, unsigned long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long v = std::strtoul(text.c_str(), &end, 10);
  if (errno || *end != '\0' || text[0] == '-') return false;
  out = v;
  return true;
}

// A line that is a comment or a NIS compatibility entry is no account.
bool isAccountLine(const std::string& line) {
  return !line.empty() && line[0] != '#' && line[0] != '+' && line[0] != '-';
}

bool isMachineAccount(const std::string& name) { return !name.empty() && name.back() == '$'; }

bool inRange(unsigned long v, unsigned long lo, unsigned long hi) { return v >= lo && v <= hi; }

bool isOrdinaryUser(const AccountDatabase& db, const Account& a) {
  return !a.name.empty() && !isMachineAccount(a.name) && inRange(a.uid, db.ranges.uidMin, db.ranges.uidMax);
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return orv::sys::calls().stat(path.c_str(), &st) == 0;
}

// The lines of text, without their line feeds (a last line may lack one).
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// Reads all lines of a file: 0 or an errno value.
int readLines(const std::string& path, std::vector<std::string>& lines) {
  std::string text;
  if (int err = orv::sys::readWholeFile(path, text)) return err;
  for (auto& line : splitLines(text)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return 0;
}

}  // namespace

AccountRanges readAccountRanges(const std::string& loginDefsPath) {
  AccountRanges r;
  std::string text;
  if (orv::sys::readWholeFile(loginDefsPath, text) != 0) return r;
  for (const auto& line : splitLines(text)) {
    std::istringstream words(line);
    std::string key, value;
    if (!(words >> key >> value) || key[0] == '#') continue;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(value.c_str(), &end, 0);
    if (errno || *end != '\0' || value[0] == '-') continue;
    if (key == "UID_MIN") r.uidMin = v;
    else if (key == "UID_MAX") r.uidMax = v;
    else if (key == "GID_MIN") r.gidMin = v;
    else if (key == "GID_MAX") r.gidMax = v;
  }
  return r;
}

int readSystemAccounts(AccountDatabase& out) {
  out = AccountDatabase();
  out.ranges = readAccountRanges(kSystemLoginDefs);
  const auto& nss = orv::sys::calls();
  nss.setpwent();
  while (struct passwd* pw = nss.getpwent())
    out.users.push_back(Account{pw->pw_name ? pw->pw_name : "", pw->pw_uid, pw->pw_gid});
  nss.endpwent();
  nss.setgrent();
  while (struct group* gr = nss.getgrent()) {
    AccountGroup g{gr->gr_name ? gr->gr_name : "", gr->gr_gid, {}};
    for (char** m = gr->gr_mem; m && *m; ++m) g.members.emplace_back(*m);
    out.groups.push_back(std::move(g));
  }
  nss.endgrent();
  return 0;
}

int readAccountFiles(const std::string& directory, AccountDatabase& out) {
  AccountDatabase db;
  const std::string localDefs = directory + "/login.defs";
  db.ranges = readAccountRanges(fileExists(localDefs) ? localDefs : kSystemLoginDefs);

  std::vector<std::string> lines;
  if (int err = readLines(directory + "/passwd", lines)) return err;
  for (const auto& line : lines) {
    if (!isAccountLine(line)) continue;
    auto f = splitFields(line, ':');
    Account a;
    if (f.size() < 4 || f[0].empty() || !parseNumber(f[2], a.uid) || !parseNumber(f[3], a.gid)) continue;
    a.name = f[0];
    db.users.push_back(std::move(a));
  }

  lines.clear();
  if (int err = readLines(directory + "/group", lines)) return err;
  for (const auto& line : lines) {
    if (!isAccountLine(line)) continue;
    auto f = splitFields(line, ':');
    AccountGroup g;
    if (f.size() < 3 || f[0].empty() || !parseNumber(f[2], g.gid)) continue;
    g.name = f[0];
    if (f.size() > 3)
      for (auto& m : splitFields(f[3], ','))
        if (!m.empty()) g.members.push_back(m);
    db.groups.push_back(std::move(g));
  }
  out = std::move(db);
  return 0;
}

std::vector<const Account*> ordinaryUsers(const AccountDatabase& db) {
  std::vector<const Account*> users;
  for (const auto& a : db.users)
    if (isOrdinaryUser(db, a)) users.push_back(&a);
  return users;
}

std::vector<const AccountGroup*> ordinaryGroups(const AccountDatabase& db) {
  std::vector<const AccountGroup*> groups;
  for (const auto& g : db.groups)
    if (!g.name.empty() && !isMachineAccount(g.name) && inRange(g.gid, db.ranges.gidMin, db.ranges.gidMax))
      groups.push_back(&g);
  return groups;
}

std::vector<std::string> ordinaryMembers(const AccountDatabase& db, const AccountGroup& group) {
  std::set<std::string> ordinary;
  for (const Account* a : ordinaryUsers(db)) ordinary.insert(a->name);
  std::vector<std::string> members;
  std::set<std::string> seen;
  auto take = [&](const std::string& name) {
    if (ordinary.count(name) && seen.insert(name).second) members.push_back(name);
  };
  for (const auto& m : group.members) take(m);
  for (const auto& a : db.users)
    if (a.gid == group.gid) take(a.name);
  return members;
}

}  // namespace kel
