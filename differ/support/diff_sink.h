// Where a differencer's output goes: a sink that receives it in pieces, in
// order. Both differencers write through it, so each has a form in memory
// (the output into a string, for the revision library's check-in) and a form
// over files (DiffFile and DiffBFile write into a stdio stream).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orv::diffsup {

// Receives the output in pieces, in order.
class DiffSink {
 public:
  virtual ~DiffSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// Collects the output into a string.
class StringSink final : public DiffSink {
 public:
  std::string text;
  void write(std::string_view bytes) override { text.append(bytes); }
};

// Writes the output into a stdio stream; the caller checks the stream for
// errors once the output is complete.
class StreamSink final : public DiffSink {
 public:
  explicit StreamSink(std::FILE* f) : f_(f) {}
  void write(std::string_view bytes) override {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f_);
  }

 private:
  std::FILE* f_;
};

}  // namespace orv::diffsup
