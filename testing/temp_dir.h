// A private temporary directory for a test, shared by the tests of every
// module: created fresh (unique, under $TMPDIR or /tmp) when the object is
// made, removed with everything in it when the object goes. Tests write and
// read their files through it. Built as the interface target
// orv_test_support, which orv_add_test links into every test program.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orv::test {

class TempDir {
 public:
  // The directory is named <prefix>-XXXXXX, the prefix telling whose it is.
  explicit TempDir(std::string_view prefix = "orv-test") {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + std::string(prefix) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a directory like " + pattern);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of name (which may hold folders) inside the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  // Writes a file inside the directory; its path.
  std::string write(const std::string& name, std::string_view data) const {
    std::string p = file(name);
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
    return p;
  }
  // The bytes of a file inside the directory; empty when it cannot be read.
  std::string read(const std::string& name) const {
    std::ifstream f(file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }

  // The names directly inside the directory, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::string path_;
};

}  // namespace orv::test
