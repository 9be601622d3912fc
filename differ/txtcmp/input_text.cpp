// The input texts of the text differencer: lines split with memchr under the
// line-status rules of a file read line by line (see diff_run.h), their
// hashes, and the messages of an unreadable end.
#include <algorithm>
#include <cstring>

#include "differ/txtcmp/diff_run.h"

namespace orv::txtcmp {

void InputText::split() {
  const char* const base = bytes_.data();
  const std::size_t size = bytes_.size();
  // A NUL byte ends the text at its line; none past the first matters.
  const void* nul = size ? std::memchr(base, '\0', size) : nullptr;
  const std::size_t nul_at = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - base) : size;
  // Carriage returns are mapped in a copy; a text without any is read in place.
  const bool map_cr = size && std::memchr(base, '\r', size) != nullptr;
  mapped_.clear();
  if (map_cr) mapped_.reserve(size);
  start_.assign(1, 0);
  hash_.clear();
  pos_ = 0;
  ended_ = false;
  unreadable_ = false;
  // Adds the line bytes_[b, e), whose last character is its line feed when it
  // has one, to the mapped copy.
  auto add_mapped = [&](std::size_t b, std::size_t e, bool has_lf) {
    const std::size_t len = e - b;
    if (has_lf && len >= 2 && base[e - 2] == '\r') {
      mapped_.append(base + b, len - 2);
      mapped_.push_back('\n');
    } else if (!has_lf && base[e - 1] == '\r') {
      mapped_.append(base + b, len - 1);
      mapped_.push_back('\n');
    } else {
      mapped_.append(base + b, len);
    }
    start_.push_back(mapped_.size());
  };
  constexpr std::size_t kMaxChars = kLineBuf - 1;  // a line feed must come within these
  std::size_t pos = 0;
  for (;;) {
    if (pos == size) {
      end_ = read_error_ ? End::kReadError : End::kEof;
      break;
    }
    const std::size_t window = std::min(size - pos, kMaxChars);
    const void* lf = std::memchr(base + pos, '\n', window);
    const std::size_t stop = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) + 1 : pos + window;
    if (nul_at < stop) {
      end_ = End::kBinary;
      break;
    }
    if (lf) {
      if (map_cr)
        add_mapped(pos, stop, true);
      else
        start_.push_back(stop);
      pos = stop;
      continue;
    }
    if (window == kMaxChars) {
      end_ = End::kTooLong;
      break;
    }
    // The last bytes, without a line feed: a line, unless a read failed
    // before its end came.
    if (read_error_) {
      end_ = End::kReadError;
      break;
    }
    if (map_cr)
      add_mapped(pos, size, false);
    else
      start_.push_back(size);
    end_ = End::kEof;
    break;
  }
  text_ = map_cr ? std::string_view(mapped_) : bytes_;
}

void InputText::hash_from(long first, const LineRules& rules) {
  const long n = count();
  hash_.assign(static_cast<std::size_t>(n) + 1, 0);
  for (long k = first < 1 ? 1 : first; k <= n; ++k) hash_[static_cast<std::size_t>(k)] = line_hash(line(k), rules);
}

void InputText::reach_end() {
  if (ended_) return;
  ended_ = true;
  switch (end_) {
    case End::kEof:
      return;
    case End::kTooLong:
      msgs_.set_plain("file \"%s\": line too long: limit %d\n", name_.c_str(), kLineLimit);
      break;
    case End::kBinary:
      msgs_.set_plain("file \"%s\" is binary\n", name_.c_str());
      break;
    case End::kReadError:
      msgs_.set_system(program_, read_error_, "read error on file \"%s\"", name_.c_str());
      break;
  }
  unreadable_ = true;
}

void InputText::reach_byte_end() {
  if (!read_error_) return;
  msgs_.set_system(program_, read_error_, "read error on file \"%s\"", name_.c_str());
  unreadable_ = true;
}

}  // namespace orv::txtcmp
