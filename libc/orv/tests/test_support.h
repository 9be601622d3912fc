// Small helpers of the libc/orv tests: memory streams, files in a temporary
// directory (orv::test::TempDir, the shared one of testing/temp_dir.h) and
// running the standard tools that serve as independent checkers.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "libc/orv/byte_stream.h"
#include "testing/temp_dir.h"

namespace orv::test {

using Bytes = std::vector<std::uint8_t>;

// Hands out `data` in pieces of at most `chunk` bytes, then reports the end.
inline ByteReader memoryReader(const Bytes& data, std::size_t chunk = 4096) {
  auto pos = std::make_shared<std::size_t>(0);
  return [&data, chunk, pos](std::uint8_t* buf, std::size_t n) -> std::ptrdiff_t {
    const std::size_t k = std::min({n, chunk, data.size() - *pos});
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(*pos), k, buf);
    *pos += k;
    return static_cast<std::ptrdiff_t>(k);
  };
}

inline ByteWriter memoryWriter(Bytes& out) {
  return [&out](const std::uint8_t* data, std::size_t n) {
    out.insert(out.end(), data, data + n);
    return true;
  };
}

// Reads a whole stream through `reader` in pieces of `piece` bytes; false
// when it reported an error.
template <typename Reader>
bool readAll(Reader& reader, Bytes& out, std::size_t piece = 2048) {
  std::vector<std::uint8_t> buf(piece);
  for (;;) {
    const std::ptrdiff_t got = reader.read(buf.data(), buf.size());
    if (got < 0) return false;
    if (got == 0) return true;
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
}

inline Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Text with repeats (compresses well) from a fixed seed.
inline Bytes wordText(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> words;
  for (int i = 0; i < 500; ++i) {
    std::string w;
    const int len = 1 + static_cast<int>(rng() % 9);
    for (int j = 0; j < len; ++j) w.push_back(static_cast<char>('a' + rng() % 12));
    words.push_back(w);
  }
  Bytes out;
  while (out.size() < size) {
    const std::string& w = words[rng() % words.size()];
    out.insert(out.end(), w.begin(), w.end());
    out.push_back(rng() % 11 == 0 ? '\n' : ' ');
  }
  out.resize(size);
  return out;
}

inline Bytes randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

inline void writeFile(const std::string& path, const Bytes& data) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Runs a shell command; its exit status (-1 when it could not run).
inline int run(const std::string& command) {
  const int rc = std::system(command.c_str());
  if (rc == -1 || !WIFEXITED(rc)) return -1;
  return WEXITSTATUS(rc);
}

inline bool haveTool(const std::string& name) {
  return run("command -v " + name + " >/dev/null 2>&1") == 0;
}

}  // namespace orv::test
