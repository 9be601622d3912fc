// Line reading of the text differencer's input files. The files are read
// through stdio streams whose buffer the system-call seam fills.
#include <cerrno>

#include "diff_run.h"
#include "file_stream.h"

namespace orv::txtcmp {

using diffsup::LineStatus;

void InputFile::open() {
  in_ = diffsup::open_stream(name_.c_str(), diffsup::StreamMode::kRead);
  if (!in_) {
    messages().set_system(program_, errno, "file \"%s\"", name_.c_str());
    throw FatalError{};
  }
  std::setvbuf(in_, nullptr, _IOFBF, 1 << 16);
  ended_ = false;
  pos_ = 0;
}

void InputFile::close() {
  if (in_) std::fclose(in_);
  in_ = nullptr;
}

bool InputFile::next(std::string_view& line) {
  if (ended_) return false;
  std::size_t len = 0;
  LineStatus st = diffsup::read_line(buf_, sizeof buf_, in_, &len);
  pos_ += static_cast<off_t>(len);
  switch (st) {
    case LineStatus::kLine:
      // A "\r\n" ending becomes "\n"; an earlier carriage return stays.
      if (len >= 2 && buf_[len - 2] == '\r') {
        buf_[len - 2] = '\n';
        --len;
      }
      line = std::string_view(buf_, len);
      return true;
    case LineStatus::kNoNewline:
      // Only a carriage return that is the very last character becomes a line
      // feed; text after an inner carriage return is kept.
      if (buf_[len - 1] == '\r') buf_[len - 1] = '\n';
      line = std::string_view(buf_, len);
      return true;
    case LineStatus::kEof:
      break;
    case LineStatus::kTooLong:
      messages().set_plain("file \"%s\": line too long: limit %d\n", name_.c_str(), kLineLimit);
      unreadable_ = true;
      break;
    case LineStatus::kBinary:
      messages().set_plain("file \"%s\" is binary\n", name_.c_str());
      unreadable_ = true;
      break;
    case LineStatus::kReadError:
      messages().set_system(program_, errno, "read error on file \"%s\"", name_.c_str());
      unreadable_ = true;
      break;
  }
  ended_ = true;
  return false;
}

int InputFile::next_byte() {
  int c = getc_unlocked(in_);
  if (c != EOF) ++pos_;
  if (c == EOF && std::ferror(in_)) {
    messages().set_system(program_, errno, "read error on file \"%s\"", name_.c_str());
    unreadable_ = true;
  }
  return c == EOF ? -1 : c;
}

void InputFile::seek(off_t where) {
  if (fseeko(in_, where, SEEK_SET) != 0) {
    messages().set_system(program_, errno, "fseek");
    throw FatalError{};
  }
  ended_ = false;
  pos_ = where;
}

}  // namespace orv::txtcmp
