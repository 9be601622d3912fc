// Records damaged inside an intact database file: their VarData cut short
// with the sqlite3 program, so that texts or lists no longer end inside
// them. Every read path answers 9 for such a record and reads nothing past
// it (run under the sanitizer build to see the latter); walks leave it out
// and count it. Also the administration batch: several calls in one
// transaction, undone whole by a failure or a kill half-way.
#include "kel/kellib/admin_session.h"
#include "kel/kellib/tests/kel_fixture.h"
#include "platform/rookdb/include/rookdb/fault_seam.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

using kel_test::exists;
using kel_test::names;

// Runs SQL on a database file with the sqlite3 program (read-write);
// answers its output, or "<failed>" when it did not end well.
std::string sqlite(const std::string& file, const std::string& sql) {
  const std::string cmd = "sqlite3 '" + file + "' \"" + sql + "\"";
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return "<failed>";
  std::string out;
  char buf[256];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  return ::pclose(p) == 0 ? out : "<failed>";
}

int idOf(int kind, const char* name, int childKind = 0, const char* childName = nullptr) {
  kelObjectRecord* rec = nullptr;
  if (kelGetObject(kind, name, childKind, childName, &rec) != KEL_SUCCESS) return 0;
  const int id = rec->ObjectID;
  kelFree(rec);
  return id;
}

// What one kelEnumInfo walk saw: kind and name of each record handed out,
// the first list of each (read as a caller reads it), and the call's answers.
struct Walk {
  int rc = -1;
  int extra = -1;
  int skipped = -1;
  std::map<std::string, std::string> firstLists;  // name -> texts joined with ","
};

std::map<std::string, std::string>* g_seen = nullptr;

int remember(int, const char* name, const kelObjectRecord* record) {
  std::string list;
  for (const char* p = KEL_VARDATA(record); *p; p += std::strlen(p) + 1) list += std::string(list.empty() ? "" : ",") + p;
  (*g_seen)[name] = list;
  return 1;
}

Walk walk(int scopeKind, const char* scope, int kind) {
  Walk w;
  g_seen = &w.firstLists;
  w.rc = kelEnumInfo(scopeKind, scope, kind, remember);
  g_seen = nullptr;
  w.extra = kelExtraError();
  w.skipped = kel::lastEnumerationSkipped();
  return w;
}

class KelDamagedRecords : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    OpenDatabase::SetUp();
    populate();
  }

  // A new database in place of the open one, for the next round of a table.
  void startOver() {
    ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
    base_ = dir_.file("orvkel" + std::to_string(++round_));
    ASSERT_EQ(kelCreateDB(base_.c_str(), "admin"), KEL_SUCCESS);
    ASSERT_EQ(kelOpenDB(base_.c_str(), 0), KEL_SUCCESS);
    populate();
  }

  void populate() {
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_ROLE, names({"Dev", "Ops", "Reader"}).c_str(), 1), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", KEL_ROLE, "Dev", KEL_PERMISSION, names({"CheckIn", "CheckOut"}).c_str(), 1),
              KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", KEL_ROLE, "Reader", KEL_PERMISSION, "CheckOut", 0), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, names({"alice", "bob"}).c_str(), 1), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", KEL_USER, "alice", KEL_ROLE, "Dev", 0), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", KEL_USER, "bob", KEL_ROLE, "Reader", 0), KEL_SUCCESS);
    ASSERT_EQ(kelSetOption(1, "", KEL_POLICY_STATEMENT, "Policy Statement", "States", "Exp Rel"), KEL_SUCCESS);
    ASSERT_EQ(kelAddFrag(1, "", "Policy Statement", "extra", "NoAddCR", 1), KEL_SUCCESS);
    kel::takeDamagedRecords();
  }

  int round_ = 0;

  // Cuts the last n bytes off the stored record id (the database closed
  // meanwhile); the file stays a sound SQLite database.
  void cut(int id, int n) {
    ASSERT_NE(id, 0);
    ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
    const std::string file = base_ + ".dat";
    ASSERT_EQ(sqlite(file, "UPDATE object SET rec = substr(rec, 1, length(rec) - " + std::to_string(n) +
                               ") WHERE id = " + std::to_string(id) + "; SELECT changes();"),
              "1\n");
    EXPECT_EQ(sqlite(file, "PRAGMA integrity_check;"), "ok\n");
    ASSERT_EQ(kelOpenDB(base_.c_str(), 0), KEL_SUCCESS);
  }

  // The damaged records noted, as "id:type:name".
  static std::vector<std::string> noted() {
    std::vector<std::string> out;
    for (const auto& r : kel::takeDamagedRecords())
      out.push_back(std::to_string(r.id) + ":" + std::to_string(r.type) + ":" + r.name);
    return out;
  }
};

TEST_F(KelDamagedRecords, ARoleCutShortAnswersNineOnEveryPath) {
  // Cut 1: only the extra byte. 2: the list's end too. 3: the last text's NUL.
  for (int n : {1, 2, 3}) {
    SCOPED_TRACE(n);
    startOver();
    const int dev = idOf(1, "", KEL_ROLE, "Dev");
    cut(dev, n);
    const std::string key = std::to_string(dev) + ":6:Dev";

    kelObjectRecord* rec = reinterpret_cast<kelObjectRecord*>(1);
    EXPECT_EQ(kelGetObject(1, "", KEL_ROLE, "Dev", &rec), KEL_BAD_FORMAT);
    EXPECT_EQ(rec, nullptr);
    EXPECT_EQ(kelExtraError(), rookdb::kBadFormat);
    EXPECT_EQ(noted(), std::vector<std::string>{key});

    char* list = nullptr;
    EXPECT_EQ(kelGetRoles(1, "", KEL_ROLE, "Dev", &list, 0), KEL_BAD_FORMAT);
    EXPECT_EQ(list, nullptr);
    char* value = nullptr;
    int flags = 0;
    EXPECT_EQ(kelGetOption(1, "", KEL_ROLE, "Dev", "CheckIn", &value, &flags), KEL_BAD_FORMAT);
    EXPECT_EQ(kelGetPolicy(1, "", KEL_ROLE, "Dev", &list), KEL_BAD_FORMAT);
    EXPECT_EQ(list, nullptr);
    // alice's permissions come through the damaged role: refused with 9,
    // never granted; bob's do not and still resolve.
    EXPECT_EQ(kelResolvePermission(1, "", "alice", "CheckIn", &value, &flags), KEL_BAD_FORMAT);
    EXPECT_EQ(kelResolvePermission(1, "", "bob", "CheckOut", &value, &flags), KEL_SUCCESS);
    kelFree(value);

    // A walk leaves the damaged role out, counts it and names it.
    Walk w = walk(1, "", KEL_ROLE);
    EXPECT_EQ(w.rc, KEL_SUCCESS);
    EXPECT_EQ(w.skipped, 1);
    EXPECT_EQ(w.extra, rookdb::kBadFormat);
    EXPECT_EQ(w.firstLists.count("Dev"), 0u);
    EXPECT_EQ(w.firstLists.count("Ops"), 1u);
    EXPECT_EQ(w.firstLists["Reader"], "CheckOut");
    EXPECT_EQ(noted(), std::vector<std::string>{key});
    // A walk that meets nothing damaged says so.
    Walk users = walk(1, "", KEL_USER);
    EXPECT_EQ(users.skipped, 0);
    EXPECT_EQ(users.extra, 0);
    EXPECT_EQ(users.firstLists, (std::map<std::string, std::string>{{"alice", "Dev"}, {"bob", "Reader"}}));

    // Writing through the damaged record is refused as well.
    EXPECT_EQ(kelAddObject(1, "", KEL_ROLE, "Dev", KEL_PERMISSION, "Promote", 0), KEL_BAD_FORMAT);
  }
}

TEST_F(KelDamagedRecords, StatementsFragmentsAndUsers) {
  struct Case {
    const char* what;
    int kind;
    const char* name;
    int cutBytes;
    std::function<int()> read;  // a read path that must answer 9
  };
  const Case cases[] = {
      {"policy statement, its fragment list cut", KEL_POLICY_STATEMENT, "Policy Statement", 3,
       [] {
         char* value = nullptr;
         int flags = 0;
         return kelGetOption(1, "", KEL_POLICY_STATEMENT, "Policy Statement", "States", &value, &flags);
       }},
      {"fragment, its line cut", KEL_FRAGMENT, "extra", 3,
       [] {
         kelObjectRecord* rec = nullptr;
         int rc = kelGetFrag(1, "", "Policy Statement", "extra", &rec);
         kelFree(rec);
         return rc;
       }},
      {"user, its role list cut", KEL_USER, "alice", 2,
       [] {
         char* list = nullptr;
         int rc = kelGetRoles(1, "", KEL_USER, "alice", &list, 0);
         kelFree(list);
         return rc;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    startOver();
    const int statement = idOf(1, "", KEL_POLICY_STATEMENT, "Policy Statement");
    const int id = c.kind == KEL_FRAGMENT ? [&] {
      kelObjectRecord* rec = nullptr;
      EXPECT_EQ(kelGetFrag(1, "", "Policy Statement", "extra", &rec), KEL_SUCCESS);
      const int fid = rec ? rec->ObjectID : 0;
      kelFree(rec);
      return fid;
    }() : idOf(1, "", c.kind, c.name);
    cut(id, c.cutBytes);
    EXPECT_EQ(c.read(), KEL_BAD_FORMAT);
    const auto damaged = noted();
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_EQ(damaged[0], std::to_string(id) + ":" + std::to_string(c.kind) + ":" + c.name);
    if (c.kind != KEL_FRAGMENT) {
      Walk w = walk(1, "", c.kind);
      EXPECT_EQ(w.rc, KEL_SUCCESS);
      EXPECT_EQ(w.skipped, 1);
      EXPECT_EQ(w.firstLists.count(c.name), 0u);
    } else {
      // The statement naming the fragment still reads.
      EXPECT_NE(statement, 0);
      EXPECT_EQ(idOf(1, "", KEL_POLICY_STATEMENT, "Policy Statement"), statement);
    }
  }
}

TEST_F(KelDamagedRecords, ADamagedGlobalModuleRefusesTheOpen) {
  const int global = idOf(1, "");
  ASSERT_NE(global, 0);
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  // The global module carries no lists: give it a text without its NUL.
  ASSERT_EQ(sqlite(base_ + ".dat", "UPDATE object SET rec = rec || X'41' WHERE id = " + std::to_string(global) +
                                       "; SELECT changes();"),
            "1\n");
  EXPECT_EQ(kelOpenDB(base_.c_str(), 1), KEL_CANNOT_READ);
  EXPECT_EQ(kelExtraError(), rookdb::kBadFormat);
  EXPECT_EQ(kelOpenDB(base_.c_str(), 1), KEL_CANNOT_READ) << "a refused open leaves nothing open";
  kel::takeDamagedRecords();
}

// ---- Several calls in one transaction ---------------------------------------

TEST_F(KelDamagedRecords, ABatchKeepsAllOrNothing) {
  {  // A failure in the second step undoes the first.
    kel::admin::Batch batch;
    ASSERT_EQ(batch.begin(), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "carol", 0), KEL_SUCCESS);
    rookdb::fault::failNext(rookdb::fault::Point::RecordAdd, EIO);
    EXPECT_NE(kelAddObject(1, "", 0, nullptr, KEL_GROUP, "devs", 0), KEL_SUCCESS);
    rookdb::fault::clear();
  }
  reopen(false);
  EXPECT_FALSE(exists(1, "", KEL_USER, "carol")) << "the first step's user is gone with the second step";
  EXPECT_FALSE(exists(1, "", KEL_GROUP, "devs"));

  {  // Both steps, committed.
    kel::admin::Batch batch;
    ASSERT_EQ(batch.begin(), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "carol", 0), KEL_SUCCESS);
    ASSERT_EQ(kelAddObject(1, "", KEL_USER, "carol", KEL_ROLE, "Dev", 0), KEL_SUCCESS);
    EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "carol", 0), KEL_OBJECT_EXISTS)
        << "a refused step inside the batch undoes only itself";
    ASSERT_EQ(batch.commit(), KEL_SUCCESS);
  }
  reopen(false);
  EXPECT_EQ(kel_test::firstList(1, "", KEL_USER, "carol"), kel::TextList{"Dev"});

  // A process killed between the steps leaves neither.
  ASSERT_EQ(kelCloseDB(), KEL_SUCCESS);
  const std::string base = base_;
  pid_t child = rookdb_test::spawnChild([base] {
    if (kelOpenDB(base.c_str(), 0) != KEL_SUCCESS) return 1;
    kel::admin::Batch batch;
    if (batch.begin() != KEL_SUCCESS) return 2;
    if (kelAddObject(1, "", 0, nullptr, KEL_USER, "dave", 0) != KEL_SUCCESS) return 3;
    ::kill(::getpid(), SIGKILL);
    return 4;
  });
  EXPECT_EQ(rookdb_test::waitChild(child), -1) << "the child was killed";
  ASSERT_EQ(kelOpenDB(base_.c_str(), 0), KEL_SUCCESS);
  EXPECT_FALSE(exists(1, "", KEL_USER, "dave"));
  EXPECT_TRUE(exists(1, "", KEL_USER, "carol"));
}

}  // namespace
