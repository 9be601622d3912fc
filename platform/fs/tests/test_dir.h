// A fresh scratch directory per test, removed afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

struct ScratchDir {
  std::string path;
  ScratchDir() {
    char tmpl[] = "/tmp/orv-fs-XXXXXX";
    path = ::mkdtemp(tmpl);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};
