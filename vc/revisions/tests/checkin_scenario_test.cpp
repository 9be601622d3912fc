// Long runs: 50 seeded check-ins over the trunk and three branches (text and
// binary, flags 8 and 16 mixed in) with deletions afterwards, and a history
// of 200 revisions of a large text that ships with every Debian system.
#include "vc/tests/checkin_support.h"

#include <map>
#include <random>

namespace checkin_test {
namespace {

using archive_test::readFile;

std::string randomLine(std::mt19937& rng) {
  static const char* words[] = {"alpha", "beta", "@", "gamma;", "delta", "{", "}", "x = y + 1", "\t", "@@"};
  std::string line;
  const int n = static_cast<int>(rng() % 6);
  for (int i = 0; i < n; ++i) line += std::string(words[rng() % 10]) + " ";
  return line + "\n";
}

// Splits into units: lines for text, bytes for binary.
std::vector<std::string> units(const std::string& s, bool binary) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (binary || s[i] == '\n') {
      out.push_back(s.substr(start, i + 1 - start));
      start = i + 1;
    }
  if (start < s.size()) out.push_back(s.substr(start));
  return out;
}

// A few seeded edits: insert, delete, change and move blocks.
std::string edit(const std::string& text, std::mt19937& rng, bool binary, int edits) {
  std::vector<std::string> u = units(text, binary);
  auto fresh = [&] {
    if (!binary) return randomLine(rng);
    return std::string(1, static_cast<char>(rng() % 256));
  };
  for (int e = 0; e < edits; ++e) {
    const std::size_t size = u.size();
    const std::size_t at = size ? rng() % size : 0;
    const std::size_t len = 1 + rng() % (binary ? 40 : 8);
    switch (rng() % 4) {
      case 0:  // insert
        for (std::size_t i = 0; i < len; ++i) u.insert(u.begin() + static_cast<long>(std::min(at, u.size())), fresh());
        break;
      case 1:  // delete
        u.erase(u.begin() + static_cast<long>(at), u.begin() + static_cast<long>(std::min(size, at + len)));
        break;
      case 2:  // change
        for (std::size_t i = at; i < std::min(size, at + len); ++i) u[i] = fresh();
        break;
      default: {  // move a block elsewhere
        const std::size_t end = std::min(size, at + len);
        std::vector<std::string> block(u.begin() + static_cast<long>(at), u.begin() + static_cast<long>(end));
        u.erase(u.begin() + static_cast<long>(at), u.begin() + static_cast<long>(end));
        const std::size_t to = u.empty() ? 0 : rng() % (u.size() + 1);
        u.insert(u.begin() + static_cast<long>(to), block.begin(), block.end());
      }
    }
  }
  std::string out;
  for (const std::string& s : u) out += s;
  return out;
}

struct ScenarioCase {
  const char* name;
  bool binary;
};

void PrintTo(const ScenarioCase& c, std::ostream* os) { *os << c.name; }

struct Scenario : CheckinTest, ::testing::WithParamInterface<ScenarioCase> {};

TEST_P(Scenario, FiftyCheckInsThenDeletions) {
  const bool binary = GetParam().binary;
  std::mt19937 rng(binary ? 4711 : 1234);
  ASSERT_EQ(0, open(binary ? "data.bin,v" : "code.c,v"));
  std::map<std::string, std::string> texts;
  std::string first;
  for (int i = 0; i < 30; ++i) first += binary ? std::string(1, static_cast<char>(rng() % 256)) : randomLine(rng);
  if (binary) first += std::string("\0", 1);
  std::string n;
  ASSERT_EQ(0, ci(first, nullptr, 0, &n));
  texts[n] = first;
  std::vector<std::string> tips;  // the tip of each branch
  std::string trunkHead = n;
  for (int i = 1; i < 50; ++i) {
    const int flags = std::vector<int>{0, 8, 16}[rng() % 3];
    std::string base;
    const unsigned pick = rng() % 4;
    if (i >= 6 && tips.size() < 3 && pick == 0) {
      // A new branch off a trunk revision below the head that has none yet.
      for (const auto& [rev, text] : texts)
        if (vcRevFields(rev.c_str()) == 2 && rev != trunkHead && rec(h)->file.lookup(rev)->branches.empty()) {
          base = rev;
          break;
        }
    } else if (!tips.empty() && pick != 3) {
      base = tips[rng() % tips.size()];
    }
    const std::string from = base.empty() ? texts[trunkHead] : texts[base];
    const std::string next = edit(from, rng, binary, 1 + static_cast<int>(rng() % 3));
    ASSERT_EQ(0, ci(next, base.empty() ? nullptr : base.c_str(), flags, &n)) << i;
    texts[n] = next;
    if (base.empty()) {
      trunkHead = n;
    } else {
      auto it = std::find(tips.begin(), tips.end(), base);
      if (it != tips.end())
        *it = n;
      else
        tips.push_back(n);
    }
    if (i % 17 == 0) {
      ASSERT_EQ(0, vcCommitArchive(h, 0));
      ASSERT_EQ(0, reopen());
    }
  }
  ASSERT_EQ(3u, tips.size());
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  for (const auto& [rev, text] : texts) ASSERT_EQ(text, co(rev)) << rev;

  // The head, a middle trunk revision (without branches) and a branch tip.
  ASSERT_EQ(0, vc::readArchiveHeader(inst(), *rec(h)));
  std::vector<std::string> trunk;
  for (auto* d = rec(h)->file.head; d; d = d->next) trunk.push_back(d->revision);
  std::string middle;
  for (std::size_t i = trunk.size() / 2; i < trunk.size() && middle.empty(); ++i)
    if (rec(h)->file.lookup(trunk[i])->branches.empty()) middle = trunk[i];
  ASSERT_FALSE(middle.empty());
  for (const std::string& gone : {trunk.front(), middle, tips[1]}) {
    ASSERT_EQ(0, vcDeleteRevision(h, gone.c_str())) << gone;
    texts.erase(gone);
  }
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  for (const auto& [rev, text] : texts) ASSERT_EQ(text, co(rev)) << rev;
  EXPECT_TRUE(leftovers().empty());
}

INSTANTIATE_TEST_SUITE_P(Archives, Scenario,
                         ::testing::Values(ScenarioCase{"text", false}, ScenarioCase{"binary", true}),
                         [](const ::testing::TestParamInfo<ScenarioCase>& p) { return std::string(p.param.name); });

TEST_F(CheckinTest, TwoHundredRevisionsOfARealText) {
  const std::string source = "/usr/share/common-licenses/GPL-3";
  const std::string original = readFile(source);
  ASSERT_GT(original.size(), 10000u) << source;
  std::mt19937 rng(2024);
  ASSERT_EQ(0, open("GPL-3,v"));
  std::vector<std::string> history{original};
  ASSERT_EQ(0, ci(original));
  for (int i = 1; i < 200; ++i) {
    history.push_back(edit(history.back(), rng, false, 1 + static_cast<int>(rng() % 4)));
    ASSERT_EQ(0, ci(history.back())) << i;
  }
  ASSERT_EQ(0, vcCommitArchive(h, 0));
  ASSERT_EQ(0, reopen());
  for (std::size_t i = 0; i < history.size(); ++i) {
    const std::string rev = "1." + std::to_string(i + 1);
    ASSERT_EQ(history[i], co(rev, 6)) << rev;
  }
}

}  // namespace
}  // namespace checkin_test
