// Where imported users and groups come from: the system's account database
// (through NSS, so LDAP and SSSD count when configured) or a directory that
// holds "passwd" and "group" files in the standard format (a copy of a
// server's files, and the fixtures of the tests).
//
// Only ordinary accounts are imported: uid and gid between UID_MIN/UID_MAX
// and GID_MIN/GID_MAX of login.defs (1000 to 60000 when not set), and no
// name ending in "$" (machine accounts).
#pragma once

#include <string>
#include <vector>

namespace kel {

struct Account {
  std::string name;
  unsigned long uid = 0;
  unsigned long gid = 0;  // primary group
};

struct AccountGroup {
  std::string name;
  unsigned long gid = 0;
  std::vector<std::string> members;  // as listed in the group entry
};

struct AccountRanges {
  unsigned long uidMin = 1000, uidMax = 60000;
  unsigned long gidMin = 1000, gidMax = 60000;
};

struct AccountDatabase {
  std::vector<Account> users;
  std::vector<AccountGroup> groups;
  AccountRanges ranges;
};

inline constexpr const char* kSystemLoginDefs = "/etc/login.defs";

// Reads the ranges from a login.defs file; missing keys (or a missing file)
// keep the defaults.
AccountRanges readAccountRanges(const std::string& loginDefsPath);

// The system's accounts through getpwent and getgrent, ranges from
// /etc/login.defs. Answers 0.
int readSystemAccounts(AccountDatabase& out);

// directory/passwd and directory/group; the ranges from directory/login.defs
// when it exists, else from /etc/login.defs. Answers 0 or an errno value
// when a file cannot be read. Malformed lines are skipped.
int readAccountFiles(const std::string& directory, AccountDatabase& out);

// The ordinary users, in source order.
std::vector<const Account*> ordinaryUsers(const AccountDatabase& db);
// The ordinary groups, in source order.
std::vector<const AccountGroup*> ordinaryGroups(const AccountDatabase& db);
// The ordinary users that belong to group: those it lists, then those whose
// primary group it is; each once.
std::vector<std::string> ordinaryMembers(const AccountDatabase& db, const AccountGroup& group);

}  // namespace kel
