// Support shared by the report exporter's tests: the revision library on
// the security-database double in a scratch directory, copies of the
// fixture projects and archives (the encrypted one made through the
// library), a message callback that records what it is told and answers as
// the test says, a password callback, and readers of the tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "reporter/include/orv/tallier32.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"
#include "vc/include/vc.h"
#include "vc/tests/support_kel_double.h"

namespace reporttest {

namespace fs = std::filesystem;

inline const std::string kFixtures = std::string(REPORTER_TEST_DIR) + "/fixtures";
inline const std::string kGolden = std::string(REPORTER_TEST_DIR) + "/golden";
inline const char* const kExtensions[] = {".txp", ".txm", ".txa", ".txx", ".txs", ".txr"};
inline const char* const kPassword = "sesame";

// What the callbacks were told, and how they answer.
struct Calls {
  std::vector<std::string> messages;  // every text, prefixes kept
  int progressAnswer = 0;
  std::string stopAt;                 // progress text answered with -1
  int questionAnswer = 0;
  std::vector<std::string> passwordAsks;  // archive names
  std::string password = kPassword;
  int passwordAnswer = 0;
  bool bufferClearedOnAsk = true;     // every ask found a zeroed buffer
};
inline Calls& calls() {
  static Calls c;
  return c;
}

inline int recordMessage(const char* text) {
  Calls& c = calls();
  c.messages.push_back(text);
  if (text[0] == '!') return c.questionAnswer;
  if (text[0] == '@') return 0;
  if (!c.stopAt.empty() && c.stopAt == text) return -1;
  return c.progressAnswer;
}

inline int givePassword(int, const char* archiveName, char* buffer, int length) {
  Calls& c = calls();
  c.passwordAsks.push_back(archiveName);
  for (int i = 0; i < length; ++i)
    if (buffer[i] != '\0') c.bufferClearedOnAsk = false;
  std::snprintf(buffer, static_cast<std::size_t>(length), "%s", c.password.c_str());
  return c.passwordAnswer;
}

inline std::string readFile(const std::string& path) {
  std::string text;
  if (orv::sys::readWholeFile(path, text) != 0) return "<missing>";
  return text;
}
inline void writeFile(const std::string& path, const std::string& text) {
  ASSERT_EQ(orv::sys::writeWholeFile(path, text), 0) << path;
}

// The errors (texts after "@") among the messages.
inline std::vector<std::string> errors() {
  std::vector<std::string> out;
  for (const std::string& m : calls().messages)
    if (!m.empty() && m[0] == '@') out.push_back(m.substr(1));
  return out;
}
inline int questions() {
  int n = 0;
  for (const std::string& m : calls().messages) n += !m.empty() && m[0] == '!';
  return n;
}

struct ReportTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-report"};
  const std::string dir = scratch.path();

  void SetUp() override {
    useKelDouble();
    ::unsetenv("ORV_KEL_FAIL");
    fs::create_directories(dir + "/settings");
    ::setenv("ORV_SETTINGS", (dir + "/settings").c_str(), 1);
    ::setenv("TMPDIR", dir.c_str(), 1);
    calls() = Calls{};
  }
  void TearDown() override {
    vcAPIcleanup();
    ::unsetenv("TMPDIR");
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  // The fixture projects and archives in the scratch directory; secret.v
  // encrypted under kPassword through the library.
  void copyFixtures() {
    fs::copy(kFixtures, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_EQ(vcAPIinit(), 0);
    int h = 0;
    ASSERT_EQ(vcOpenArchive(path("arc/secret.v").c_str(), &h, VC_ARCHIVE_OPEN_WRITE), 0);
    ASSERT_EQ(vcSetPassword(h, kPassword), 0);
    ASSERT_EQ(vcCommitArchive(h, VC_COMMIT_CLOSE), 0);
  }

  // A table of the report with base path base, the scratch directory
  // written as "@DIR@".
  std::string table(const std::string& base, const char* extension) const {
    std::string text = readFile(base + extension);
    for (std::size_t at; (at = text.find(dir)) != std::string::npos;) text.replace(at, dir.size(), "@DIR@");
    return text;
  }
  bool anyTable(const std::string& base) const {
    for (const char* e : kExtensions)
      if (fs::exists(base + e)) return true;
    return false;
  }
  // Rows of a table without its column line.
  std::vector<std::string> rows(const std::string& base, const char* extension) const {
    std::vector<std::string> out;
    const std::string text = table(base, extension);
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
      const std::size_t end = text.find('\n', start + 1);
      out.push_back(text.substr(start + 1, end - start - 1));
      start = end;
    }
    return out;
  }

  // Runs check_tables.py over the tables; its complaints ("" when none).
  std::string pythonCheck(const std::string& base, int reportType) const {
    if (std::system("command -v python3 >/dev/null 2>&1") != 0) return "<no python3>";
    const std::string command = "python3 '" + std::string(REPORTER_TEST_DIR) + "/check_tables.py' '" + base +
                                "' " + std::to_string(reportType) + " 2>&1";
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return "<popen failed>";
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int status = ::pclose(p);
    if (status != 0 && out.empty()) out = "<status " + std::to_string(status) + ">";
    return out;
  }
};

}  // namespace reporttest
