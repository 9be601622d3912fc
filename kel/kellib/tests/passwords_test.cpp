// Scope passwords with a scripted callback, and the administrator password.
#include "kel/kellib/admin_password.h"
#include "kel/kellib/tests/kel_fixture.h"
#include "platform/sys/fault_injection.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

using kel_test::names;

// The callback's script: each call takes the next answer; nullopt declines.
struct Call {
  int kind;
  std::string name, prompt;
};
std::deque<std::optional<std::string>> g_answers;
std::vector<Call> g_calls;

int scriptedPassword(int kind, const char* name, char* buffer, int length, const char* prompt) {
  g_calls.push_back({kind, name, prompt});
  EXPECT_EQ(length, KEL_PASSWORD_SIZE);
  if (g_answers.empty()) {
    ADD_FAILURE() << "unexpected password request for " << name;
    return 0;
  }
  auto answer = g_answers.front();
  g_answers.pop_front();
  if (!answer) return 0;
  std::memset(buffer, 0, static_cast<std::size_t>(length));
  std::memcpy(buffer, answer->data(), std::min(answer->size(), static_cast<std::size_t>(length)));
  return 1;
}

class KelPasswords : public kel_test::OpenDatabase {
 protected:
  void SetUp() override {
    OpenDatabase::SetUp();
    g_answers.clear();
    g_calls.clear();
    ASSERT_EQ(kelAddObject(1, "", 0, nullptr, KEL_PROJECT, names({"p1", "p2", "p3"}).c_str(), 1), KEL_SUCCESS);
    kelRegisterPasswdCB(scriptedPassword);
  }
  void TearDown() override {
    EXPECT_TRUE(g_answers.empty()) << "answers left over";
    kelRegisterPasswdCB(nullptr);
    OpenDatabase::TearDown();
  }
  // A change in the project's scope.
  static int changeIn(const char* project, const char* user) {
    return kelAddObject(2, project, 0, nullptr, KEL_USER, user, 0);
  }
  std::vector<std::string> prompts() const {
    std::vector<std::string> out;
    for (const auto& c : g_calls) out.push_back(c.prompt);
    return out;
  }
};

TEST_F(KelPasswords, TheHashIsClassicCryptWithTheFixedSaltPaddedTo24Bytes) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "secret"), KEL_SUCCESS);
  char text[64];
  ASSERT_EQ(kelGetAttribute(2, "p1", 0, nullptr, 0, text, sizeof text), KEL_SUCCESS);
  EXPECT_EQ(std::string(text, 24), std::string("VqM9mJKnNFuNc") + std::string(11, '\0'));
  EXPECT_EQ(kel::hashPassword("password123"), kel::hashPassword("password")) << "eight characters count";
  EXPECT_EQ(std::string(kel::hashPassword("password").data()), "VqJi5bMy8Gg32");
  EXPECT_TRUE(kel::isNoPassword(kel::hashPassword(nullptr)));
  EXPECT_TRUE(kel::isNoPassword(kel::hashPassword("")));
}

TEST_F(KelPasswords, CheckPasswd) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "secret"), KEL_SUCCESS);
  EXPECT_EQ(kelCheckPasswd(2, "p1", "secret"), KEL_SUCCESS);
  EXPECT_EQ(kelCheckPasswd(2, "p1", "secret-and-more"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelCheckPasswd(2, "p1", "secretXY"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelCheckPasswd(2, "p1", "Secret"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelCheckPasswd(2, "p1", nullptr), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelCheckPasswd(2, "p2", nullptr), KEL_SUCCESS);
  EXPECT_EQ(kelCheckPasswd(2, "p2", ""), KEL_SUCCESS);
  EXPECT_EQ(kelCheckPasswd(2, "p2", "x"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelCheckPasswd(2, "nosuch", "x"), KEL_NOT_FOUND);
  EXPECT_EQ(kelCheckPasswd(1, "", nullptr), KEL_SUCCESS);
}

TEST_F(KelPasswords, NoPasswordMeansNoCall) {
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  EXPECT_EQ(kelSetOption(1, "", 5, "Policy Statement", "Compress", nullptr), KEL_SUCCESS);
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(KelPasswords, WrongThenRightThenCached) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "secret"), KEL_SUCCESS);
  g_answers = {"wrong", "secret"};
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(prompts(), (std::vector<std::string>{"", "retry"}));
  EXPECT_EQ(g_calls[0].kind, 2);
  EXPECT_EQ(g_calls[0].name, "p1");
  g_calls.clear();
  EXPECT_EQ(changeIn("p1", "u2"), KEL_SUCCESS);
  EXPECT_EQ(kelAddFrag(2, "p1", "Policy Statement", "f", "x", 0), KEL_SUCCESS);
  EXPECT_TRUE(g_calls.empty()) << "a cached answer asks nothing";

  // A changed password makes the cached answer useless.
  ASSERT_EQ(kelSetPasswd(2, "p1", "newpass"), KEL_SUCCESS);
  EXPECT_EQ(changeIn("p1", "u3"), KEL_SUCCESS) << "the cache took the new password";
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(KelPasswords, ThreeWrongAnswersOrOneDeclineGive20) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "secret"), KEL_SUCCESS);
  g_answers = {"a", "b", "c"};
  EXPECT_EQ(changeIn("p1", "u1"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(prompts(), (std::vector<std::string>{"", "retry", "retry"}));
  EXPECT_FALSE(kel_test::exists(2, "p1", KEL_USER, "u1"));

  g_calls.clear();
  g_answers = {std::nullopt};
  EXPECT_EQ(changeIn("p1", "u1"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(g_calls.size(), 1u);

  kelRegisterPasswdCB(nullptr);
  EXPECT_EQ(changeIn("p1", "u1"), KEL_INCORRECT_PASSWORD) << "nobody to ask";
  kelRegisterPasswdCB(scriptedPassword);
}

TEST_F(KelPasswords, TheGlobalPasswordIsAcceptedForAProject) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "proj1"), KEL_SUCCESS);
  ASSERT_EQ(kelSetPasswd(2, "p2", "proj2"), KEL_SUCCESS);
  ASSERT_EQ(kelSetPasswd(1, "", "admin1"), KEL_SUCCESS);
  g_answers = {"admin1"};
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  EXPECT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(changeIn("p2", "u1"), KEL_SUCCESS) << "the cached global answer serves every scope";
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "g1", 0), KEL_SUCCESS);
  EXPECT_EQ(g_calls.size(), 1u);
}

TEST_F(KelPasswords, AProjectPasswordDoesNotOpenTheGlobalScope) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "proj1"), KEL_SUCCESS);
  ASSERT_EQ(kelSetPasswd(1, "", "admin1"), KEL_SUCCESS);
  g_answers = {"proj1"};
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  g_answers = {"proj1", "proj1", "proj1"};
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_USER, "g1", 0), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(g_calls.back().kind, 1);
  EXPECT_EQ(g_calls.back().name, "");
  // Nor another project's scope, nor project creation (checked in the global module).
  g_answers = {std::nullopt};
  EXPECT_EQ(kelAddObject(1, "", 0, nullptr, KEL_PROJECT, "p4", 0), KEL_INCORRECT_PASSWORD);
}

int fillsAll24(int, const char*, char* buffer, int length, const char*) {
  std::memset(buffer, 'x', static_cast<std::size_t>(length));  // no terminator
  return 1;
}

TEST_F(KelPasswords, TheCallbacksBufferIsAlwaysTerminated) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "xxxxxxxx"), KEL_SUCCESS);
  kelRegisterPasswdCB(fillsAll24);
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  kelRegisterPasswdCB(scriptedPassword);
}

TEST_F(KelPasswords, ClearingAPassword) {
  ASSERT_EQ(kelSetPasswd(2, "p1", "secret"), KEL_SUCCESS);
  g_answers = {"secret"};
  ASSERT_EQ(kelSetPasswd(2, "p1", nullptr), KEL_SUCCESS) << "needs the old password";
  char text[64];
  ASSERT_EQ(kelGetAttribute(2, "p1", 0, nullptr, 0, text, sizeof text), KEL_SUCCESS);
  EXPECT_EQ(std::string(text, 24), std::string(24, '\0'));
  kel::resetPasswordState();
  kelRegisterPasswdCB(scriptedPassword);
  EXPECT_EQ(changeIn("p1", "u1"), KEL_SUCCESS);
  EXPECT_EQ(kelSetPasswd(2, "nosuch", "x"), KEL_NOT_FOUND);
}

// ---- the administrator password -----------------------------------------

class KelAdminPassword : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = dir_.file("inst/bin/orvty");
    ASSERT_EQ(mkdir(dir_.file("inst").c_str(), 0755), 0);
    ASSERT_EQ(kelInit(program_.c_str()), KEL_SUCCESS);
  }
  void TearDown() override {
    EXPECT_EQ(kelExit(), KEL_SUCCESS);
    orv::sys::resetCalls();
  }
  std::string file() const { return dir_.file("inst/orvkel/kel.adm"); }
  std::string contents() const {
    std::stringstream text;
    text << std::ifstream(file()).rdbuf();
    return text.str();
  }
  std::vector<std::string> filesBesideIt() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.file("inst/orvkel")))
      names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  orv::test::TempDir dir_;
  std::string program_;
};

TEST_F(KelAdminPassword, KeptAsASaltedHashBesideTheDefaultDatabase) {
  EXPECT_EQ(kel::adminPasswordFile(program_), file());
  EXPECT_EQ(kelVerifyAdminPassword("anything"), KEL_SUCCESS) << "none set yet";
  EXPECT_EQ(kelVerifyAdminPassword(""), KEL_BLANK_PASSWORD);
  EXPECT_EQ(kelVerifyAdminPassword(nullptr), KEL_BLANK_PASSWORD);

  ASSERT_EQ(kelSetAdminPassword("first", "Sesame-16-chars!"), KEL_SUCCESS);
  struct stat st {};
  ASSERT_EQ(stat(file().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::stringstream content;
  content << std::ifstream(file()).rdbuf();
  EXPECT_EQ(content.str().rfind("$6$", 0), 0u);
  EXPECT_EQ(content.str().find("Sesame"), std::string::npos);

  struct Case {
    const char* password;
    int want;
  } cases[] = {
      {"Sesame-16-chars!", KEL_SUCCESS}, {"sesame-16-chars!", KEL_INCORRECT_PASSWORD},
      {"Sesame-16-chars", KEL_INCORRECT_PASSWORD}, {"Sesame-16-chars!x", KEL_INCORRECT_PASSWORD},
      {"", KEL_BLANK_PASSWORD},
  };
  for (const auto& c : cases) EXPECT_EQ(kelVerifyAdminPassword(c.password), c.want) << c.password;

  EXPECT_EQ(kelSetAdminPassword("wrong", "x"), KEL_INCORRECT_PASSWORD);
  EXPECT_EQ(kelSetAdminPassword("Sesame-16-chars!", "seventeen-chars!!"), KEL_STRINGS_TOO_LONG);
  EXPECT_EQ(kelSetAdminPassword("", "x"), KEL_BLANK_PASSWORD);
  EXPECT_EQ(kelSetAdminPassword("Sesame-16-chars!", ""), KEL_BLANK_PASSWORD);
  EXPECT_EQ(kelSetAdminPassword("Sesame-16-chars!", "next"), KEL_SUCCESS);
  EXPECT_EQ(kelVerifyAdminPassword("next"), KEL_SUCCESS);
  EXPECT_EQ(kelVerifyAdminPassword("Sesame-16-chars!"), KEL_INCORRECT_PASSWORD);

  // It guards database creation.
  EXPECT_EQ(kelCreateDB(dir_.file("db").c_str(), "Sesame-16-chars!"), KEL_INCORRECT_PASSWORD);
  EXPECT_FALSE(std::ifstream(dir_.file("db.dat")).good());
  EXPECT_EQ(kelCreateDB(dir_.file("db").c_str(), "next"), KEL_SUCCESS);
  EXPECT_EQ(dir_.entries(), (std::vector<std::string>{"db.dat", "db.lok", "inst"}));
}

TEST(KelAdminPasswordFile, LiesInTheDirectoryOfTheDefaultDatabase) {
  struct Case {
    const char* program;
    const char* file;
  } cases[] = {
      {"/a/b/prog", "/a/orvkel/kel.adm"},
      {"/a/b/./c/../prog", "/a/orvkel/kel.adm"},
      {"\\a\\b\\prog", "/a/orvkel/kel.adm"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kel::adminPasswordFile(c.program), c.file) << c.program;
    char db[512] = "";
    if (*c.program && kelGetDefaultDatabase(c.program, "/", db, sizeof db) == KEL_SUCCESS) {
      const std::string dbPath = db;
      EXPECT_EQ(dbPath.substr(0, dbPath.rfind('/')) + "/kel.adm", c.file) << c.program;
    }
  }
}

TEST_F(KelAdminPassword, AFileThatCannotBeWrittenGives26) {
  // The place of the directory is taken by a plain file: no one can write there.
  std::ofstream(dir_.file("inst/orvkel")).close();
  EXPECT_EQ(kelSetAdminPassword("a", "b"), KEL_READ_ONLY);
  EXPECT_EQ(kelVerifyAdminPassword("anything"), KEL_SUCCESS) << "still none set";
}

// Sets the password "next" (from "old") while one call on the password file
// or its temporary replacement fails with Error, after After such calls.
template <auto Entry, int Error, int After = 0>
int setWhileFailing() {
  // The replacement is written unnamed in the password file's directory, so
  // the fault watches the whole directory.
  orv::sys::ScopedFault<Entry> fault(Error, {.after = After, .pathContains = "inst/orvkel"});
  const int rc = kelSetAdminPassword("old", "next");
  EXPECT_GE(fault.failures(), 1) << "the fault was never met";
  return rc;
}

TEST_F(KelAdminPassword, AFailedReplacementKeepsTheOldPassword) {
  ASSERT_EQ(kelSetAdminPassword("none yet", "old"), KEL_SUCCESS);
  const std::string before = contents();
  const auto files = filesBesideIt();
  using orv::sys::SystemCalls;
  struct Case {
    const char* step;
    int (*set)();
    int result, extraError;
  } cases[] = {
      // The old password is read to check it first.
      {"reading the old file", setWhileFailing<&SystemCalls::read, EIO>, KEL_CANNOT_READ, EIO},
      {"creating the new file", setWhileFailing<&SystemCalls::open, EACCES, 1>, KEL_READ_ONLY, EACCES},
      {"writing", setWhileFailing<&SystemCalls::write, ENOSPC>, KEL_READ_ONLY, ENOSPC},
      {"syncing", setWhileFailing<&SystemCalls::fsync, EIO>, KEL_READ_ONLY, EIO},
      {"renaming", setWhileFailing<&SystemCalls::rename, EIO>, KEL_READ_ONLY, EIO},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.set(), c.result) << c.step;
    EXPECT_EQ(kelExtraError(), c.extraError) << c.step;
    EXPECT_EQ(contents(), before) << c.step;
    EXPECT_EQ(filesBesideIt(), files) << c.step << ": no temporary file is left";
    EXPECT_EQ(kelVerifyAdminPassword("old"), KEL_SUCCESS) << c.step;
  }
  {
    orv::sys::ScopedFault<&SystemCalls::read> eio(EIO, {.pathContains = "kel.adm"});
    EXPECT_EQ(kelVerifyAdminPassword("old"), KEL_CANNOT_READ) << "an unreadable file is no missing one";
  }
  EXPECT_EQ(kelSetAdminPassword("old", "next"), KEL_SUCCESS);
  EXPECT_NE(contents(), before);
}

}  // namespace
