// Shared set-up of the archive opening and commit tests: an instance on the
// security-database double, a scratch directory, fixture copies, and small
// readers of files and of an archive's texts.
#pragma once

#include "vc/archive/archive_events.h"
#include "vc/archive/format/archive_reader.h"
#include "vc/archive/archive_handles.h"
#include "vc/archive/format/archive_text.h"
#include "platform/sys/system_calls.h"
#include "testing/temp_dir.h"
#include "vc/include/vc.h"
#include "vc/instance/instance.h"
#include "vc/instance/seams.h"
#include "vc/tests/support_kel_double.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace archive_test {

namespace fs = std::filesystem;

inline std::string fixtureDir() { return std::string(ORV_TEST_DATA_DIR) + "/archives"; }

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Every revision's log and text as stored, in text order: what must survive
// any commit unchanged.
inline std::string dumpTexts(vc::VcInstance& inst, vc::VcArchive& a) {
  using namespace vc::archive;
  if (vc::readArchiveTexts(inst, a, nullptr) != 0) return "<read failed>";
  std::string out;
  for (DeltaRecord* d : textOrder(a.file)) {
    std::string log, text;
    if (loadText(a.file, d->log, log) || loadText(a.file, d->text, text)) return "<load failed>";
    out += d->revision + "\nlog:" + log + "\ntext:" + text + "\n";
  }
  return out;
}

struct ArchiveTest : ::testing::Test {
  orv::test::TempDir scratch{"orv-archive"};
  const std::string dir = scratch.path();

  void SetUp() override {
    useKelDouble();
    ASSERT_EQ(vcAPIinit(), 0);
    // Dates as held, so canonical files come back byte for byte.
    ASSERT_EQ(vcSetConfig("Nocentury", nullptr), 0);
  }
  void TearDown() override {
    orv::sys::resetCalls();
    vc::resetArchiveHooks();
    vc::resetSeams();
    vcAPIcleanup();
  }

  vc::VcInstance& inst() { return *vc::currentInstance(); }
  vc::VcArchive* rec(int handle) {
    vc::VcArchive* a = nullptr;
    vc::lookupArchive(inst(), handle, a);
    return a;
  }
  std::string path(const std::string& name) const { return scratch.file(name); }
  // Copies a fixture of testdata/archives into the scratch directory.
  std::string copyFixture(const std::string& name, const std::string& as = "") {
    std::string to = path(as.empty() ? fs::path(name).filename().string() : as);
    fs::copy_file(fixtureDir() + "/" + name, to, fs::copy_options::overwrite_existing);
    return to;
  }
  // Names in the scratch directory that start with "vc_" (commit leftovers).
  std::vector<std::string> leftovers() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().filename().string().rfind("vc_", 0) == 0) out.push_back(e.path().string());
    return out;
  }
};

}  // namespace archive_test
