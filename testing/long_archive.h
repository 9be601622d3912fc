// The text of an archive of a long trunk, written directly in the archive
// format for tests and benchmarks: revisions 1.1 to 1.count, one every ten
// minutes from the start of 2020, author "bench", state Exp; a label L<k>
// on every 500th; each revision changes the first line of the head's text
// ("first <k>"), which goes on with tail.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace orv::test {

// locks is the text of the locks list ("bob:1.7", or "" for none).
inline std::string longArchiveText(int count, std::string_view locks = {}, std::string_view tail = {}) {
  auto date = [](int k) {
    std::time_t t = 1577836800 + static_cast<std::time_t>(k) * 600;
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y.%m.%d.%H.%M.%S", &tm);
    return std::string(text);
  };
  const auto rev = [](int k) { return "1." + std::to_string(k); };
  std::string out = "head " + rev(count) + ";\naccess ;\nsymbols";
  for (int k = 500; k <= count; k += 500) out += " L" + std::to_string(k) + ":" + rev(k);
  out += ";\nlocks " + std::string(locks) + "; strict;\ncomment @# @;\n\n";
  for (int k = count; k >= 1; --k)
    out += "\n" + rev(k) + "\ndate " + date(k) + "; author bench; state Exp;\nbranches ;\nnext " +
           (k > 1 ? rev(k - 1) : std::string()) + ";\n";
  out += "\n\ndesc\n@@\n";
  for (int k = count; k >= 1; --k) {
    out += "\n\n" + rev(k) + "\nlog\n@revision " + std::to_string(k) + "\n@\ntext\n@";
    out += k == count ? "first " + std::to_string(k) + "\n" + std::string(tail) : "d1 1\na1 1\nfirst " + std::to_string(k) + "\n";
    out += "@\n";
  }
  return out;
}

}  // namespace orv::test
