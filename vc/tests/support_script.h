// A fixture for script-language tests: an instance over the security-
// database double, a recording echo/trace callback, a recording spawner in
// the spawner seam, an answering query callback and a scratch directory.
#pragma once

#include "vc/instance/instance.h"
#include "vc/config/option_lookup.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"
#include "vc/config/option_state.h"
#include "platform/spawn/recording_spawner.h"
#include "testing/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace script_test {

// One call of the echo/trace callback.
struct Echo {
  std::string text;
  std::string source;
  int line;
  int kind;  // 0 echo, 1 trace, 2 error
  bool operator==(const Echo&) const = default;
};

inline std::vector<Echo>& echoes() {
  static std::vector<Echo> records;
  return records;
}

inline int recordEcho(const char* text, const char* source, int line, int kind) {
  echoes().push_back({text ? text : "", source ? source : "", line, kind});
  return 0;
}

// The query callback's answer; empty: the callback declines.
inline std::string& queryAnswer() {
  static std::string answer;
  return answer;
}
inline std::vector<std::string>& queryPrompts() {
  static std::vector<std::string> prompts;
  return prompts;
}
inline int answerQuery(char* buffer, int length) {
  queryPrompts().push_back(buffer);
  if (queryAnswer().empty() || static_cast<int>(queryAnswer().size()) >= length) return 0;
  std::snprintf(buffer, static_cast<std::size_t>(length), "%s", queryAnswer().c_str());
  return 1;
}

inline std::ostream& operator<<(std::ostream& os, const Echo& e) {
  return os << "{" << e.kind << " \"" << e.text << "\" " << e.source << ":" << e.line << "}";
}

struct ScriptTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-script"};
  const std::string dir = scratch.path();
  orv::platform::RecordingSpawner spawner;

  void SetUp() override {
    useKelDouble();
    ::unsetenv("ORV_KEL_POLICY_FILE");
    echoes().clear();
    queryPrompts().clear();
    queryAnswer().clear();
    vc::seams().spawner = &spawner;
    ASSERT_EQ(vcAPIinitRegister(nullptr, recordEcho, answerQuery), 0);
  }
  void TearDown() override {
    vcAPIcleanup();
    vc::resetSeams();
  }

  std::string write(const std::string& name, const std::string& text) { return scratch.write(name, text); }
  // Reads text as a configuration file; its code.
  int run(const std::string& text, const std::string& name = "script.rc") {
    return vcReadConfig(write(name, text).c_str());
  }
  static vc::VcInstance& inst() { return *vc::currentInstance(); }
  static std::string value(const char* name) {
    vc::OptionHit hit = vc::lookupOption(currentLists(inst()), vc::asciiLower(name));
    if (!hit.option) return "<none>";
    return hit.option->value.value_or("<novalue>");
  }
  // The texts of the echoes of one kind, in order.
  static std::vector<std::string> texts(int kind) {
    std::vector<std::string> out;
    for (const Echo& e : echoes())
      if (e.kind == kind) out.push_back(e.text);
    return out;
  }
};

}  // namespace script_test
