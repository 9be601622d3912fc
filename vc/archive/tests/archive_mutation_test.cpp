// Seeded mutations of the corpus archives (a byte changed, an '@' put in or
// taken out, the file cut, a line doubled or dropped), each opened and every
// revision checked out through the library's calls: nothing crashes or hangs,
// and a check-out answers 0 only with the text the unmutated archive gives,
// or for a mutant that is still an archive by the grammar (judged below by a
// small checker of its own, not by the library's reader). Each mutant also
// goes through the fuzz target of the reader and writer.
//
// ORV_MUTANTS sets the count (default kDefaultMutants, for the sanitizer
// build's time), ORV_MUTATION_SEED the first seed.
#include "vc/tests/checkin_support.h"

#include "vc/archive/format/archive_reader.h"
#include "vc/archive/format/byte_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace archive_mutation_test {
namespace {

namespace fs = std::filesystem;
using archive_test::readFile;

constexpr int kDefaultMutants = 6000;

// ---- The judge: the grammar of the format, read strictly and independently ----
//
// file      head [num] ; [branch [num] ;] access word* ; symbols (word : num)* ;
//           locks (word : num)* ; [strict ;] phrase* [comment [string] ;]
//           [format binary|text ;] phrase* record* [ext string] desc string text*
// record    num date num ; author word ; state [word] ; branches num* ; next [num] ; phrase*
// text      num [ext string] log string phrase* text string
// phrase    id (word | string | :)* ;   an id: a word neither num nor keyword
// Words: runs of the characters 0x21-0x7E but for ; : , @, where '"' toggles
// quoting (a blank then belongs to the word); strings: '@' ... '@', '@@' for '@'.
class Grammar {
 public:
  explicit Grammar(std::string_view s) : s_(s) { take(); }

  bool archive() {
    if (!kw("head") || !optNum() || !semi()) return false;
    if (is("branch") && !(take() && optNum() && semi())) return false;
    if (!kw("access")) return false;
    while (tok_ == Word) take();
    if (!semi()) return false;
    for (const char* list : {"symbols", "locks"}) {
      if (!kw(list)) return false;
      while (tok_ == Word)
        if (!(take() && colon() && num())) return false;
      if (!semi()) return false;
    }
    if (is("strict") && !(take() && semi())) return false;
    if (!phrases()) return false;  // "integrity" of RCS 5.8 and later
    if (is("comment") && !(take() && (tok_ != Str || take()) && semi())) return false;
    if (is("format") && !(take() && (is("binary") || is("text")) && take() && semi())) return false;
    if (!phrases()) return false;
    while (isNum()) {
      take();
      if (!(kw("date") && num() && semi() && kw("author") && word() && semi() && kw("state"))) return false;
      if (tok_ == Word) take();
      if (!(semi() && kw("branches"))) return false;
      while (isNum()) take();
      if (!(semi() && kw("next") && optNum() && semi() && phrases())) return false;
    }
    if (is("ext") && !(take() && str())) return false;
    if (!(kw("desc") && str())) return false;
    while (isNum()) {
      take();
      if (is("ext") && !(take() && str())) return false;
      if (!(kw("log") && str() && phrases() && kw("text") && str())) return false;
    }
    return tok_ == End;
  }

 private:
  enum Tok { End, Word, Semi, Colon, Str, Bad };

  bool take() {
    word_.clear();
    while (i_ < s_.size() && s_[i_] != '\0' && std::strchr(" \t\n\r\f\v", s_[i_])) ++i_;
    if (i_ == s_.size()) return tok_ = End, true;
    const char c = s_[i_];
    if (c == ';' || c == ':') return ++i_, tok_ = c == ';' ? Semi : Colon, true;
    if (c == '@') {
      for (++i_; i_ < s_.size(); ++i_) {
        if (s_[i_] != '@') continue;
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '@') {
          ++i_;
          continue;
        }
        ++i_;
        return tok_ = Str, true;
      }
      return tok_ = Bad, true;
    }
    bool quoted = false;
    for (; i_ < s_.size(); ++i_) {
      const unsigned char b = static_cast<unsigned char>(s_[i_]);
      if (b == '"') {
        quoted = !quoted;
      } else if ((b > 0x20 && b < 0x7F && !std::strchr(";:,@", b)) || (quoted && b == ' ')) {
        word_ += static_cast<char>(b);
      } else {
        break;
      }
    }
    tok_ = !quoted && !word_.empty() ? Word : Bad;
    return true;
  }
  bool is(std::string_view w) const { return tok_ == Word && word_ == w; }
  bool isNum() const {
    return tok_ == Word && word_.find_first_not_of("0123456789.") == std::string::npos;
  }
  bool kw(std::string_view w) { return is(w) && take(); }
  bool semi() { return tok_ == Semi && take(); }
  bool colon() { return tok_ == Colon && take(); }
  bool str() { return tok_ == Str && take(); }
  bool word() { return tok_ == Word && take(); }
  bool num() { return isNum() && take(); }
  bool optNum() { return tok_ != Word || num(); }
  bool phrases() {
    static const std::string_view keywords[] = {"head", "branch", "access", "symbols", "locks", "strict",
                                                "comment", "format", "ext", "desc", "date", "author",
                                                "state", "branches", "next", "log", "text"};
    while (tok_ == Word && !isNum() && std::find(std::begin(keywords), std::end(keywords), word_) == std::end(keywords)) {
      take();
      while (tok_ == Word || tok_ == Str || tok_ == Colon) take();
      if (!semi()) return false;
    }
    return true;
  }

  std::string_view s_;
  size_t i_ = 0;
  Tok tok_ = End;
  std::string word_;
};

bool grammatical(std::string_view bytes) { return Grammar(bytes).archive(); }

// ---- The mutations ----

std::string mutate(std::string s, std::mt19937_64& rng, std::string& what) {
  auto pick = [&rng](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const size_t at = pick(s.size() + 1);
  switch (rng() % 7) {
    case 0:
      if (s.empty()) break;
      s[at % s.size()] ^= static_cast<char>(1u << (rng() % 8));
      what = "bit flipped at " + std::to_string(at % s.size());
      break;
    case 1: {
      static const char kSignificant[] = "@;:,\n \"1.x\t";
      if (s.empty()) break;
      s[at % s.size()] = kSignificant[pick(sizeof kSignificant - 1)];
      what = "byte replaced at " + std::to_string(at % s.size());
      break;
    }
    case 2:
      s.insert(at, 1, '@');
      what = "'@' inserted at " + std::to_string(at);
      break;
    case 3: {
      std::vector<size_t> ats;
      for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '@') ats.push_back(i);
      if (ats.empty()) break;
      const size_t i = ats[pick(ats.size())];
      s.erase(i, 1);
      what = "'@' deleted at " + std::to_string(i);
      break;
    }
    case 4:
      s.resize(at);
      what = "cut at " + std::to_string(at);
      break;
    default: {  // a line doubled or dropped
      const size_t begin = s.rfind('\n', at == 0 ? 0 : at - 1);
      const size_t from = begin == std::string::npos || at == 0 ? 0 : begin + 1;
      const size_t end = s.find('\n', from);
      const size_t to = end == std::string::npos ? s.size() : end + 1;
      const std::string line = s.substr(from, to - from);
      if (rng() % 2) {
        s.insert(to, line);
        what = "line doubled at " + std::to_string(from);
      } else {
        s.erase(from, to - from);
        what = "line dropped at " + std::to_string(from);
      }
    }
  }
  return s;
}

// The bytes shown in a failure: line feeds kept, other control and high bytes as \xHH.
std::string escaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '\n' || (b >= 0x20 && b < 0x7F)) {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      out += hex;
    }
  }
  return out;
}

long envNumber(const char* name, long otherwise) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtol(v, nullptr, 10) : otherwise;
}

struct Original {
  std::string name;
  std::string bytes;
  std::vector<std::string> revisions;  // in text order
  std::map<std::string, std::string> texts[2];  // by revision; [0] flags 6, [1] flags 0
};

struct MutationTest : checkin_test::CheckinTest {
  static constexpr int kFlags[2] = {6, 0};  // no keyword processing; the default

  // Opens bytes as the archive m.v and checks the revisions out in the order
  // given; visit sees each answer and text.
  template <typename Visit>
  void checkOutAll(const std::string& bytes, const std::vector<std::string>& order, int which, Visit&& visit) {
    archive_test::writeFile(archive, bytes);
    if (vcOpenArchive(archive.c_str(), &h, 1) != 0) return;
    for (const std::string& r : order) {
      int rc = 0;
      std::string text = co(r, kFlags[which], rc);
      visit(r, rc, text);
    }
    EXPECT_EQ(0, vcCloseArchive(h));
  }
};

TEST(MutationJudge, CorpusIsGrammaticalAndDamageIsNot) {
  for (const auto& e : fs::directory_iterator(archive_test::fixtureDir()))
    if (e.path().extension() == ".v") {
      EXPECT_TRUE(grammatical(readFile(e.path().string()))) << e.path();
    }
  int refused = 0;
  for (const auto& e : fs::directory_iterator(archive_test::fixtureDir() + "/bad")) {
    const std::string name = e.path().filename().string();
    // The checker reads the grammar only: the 32, 33 and 34 files break the
    // tree, not the grammar; the length of a token is the library's limit.
    if ((name.rfind("31_", 0) == 0 && name != "31_long_token.v") || name.rfind("218_", 0) == 0) {
      EXPECT_FALSE(grammatical(readFile(e.path().string()))) << name;
      ++refused;
    }
  }
  EXPECT_GE(refused, 20);
}

TEST_F(MutationTest, NoCheckOutAnswersZeroWithATextTheGrammarDoesNotGive) {
  archive = path("m.v");
  std::vector<Original> originals;
  for (const auto& e : fs::directory_iterator(archive_test::fixtureDir())) {
    if (e.path().extension() != ".v") continue;
    Original o;
    o.name = e.path().filename().string();
    o.bytes = readFile(e.path().string());
    vc::archive::MemorySource src(o.bytes);
    vc::archive::ArchiveFile f;
    f.source = &src;
    ASSERT_EQ(0, vc::archive::readHeader(f)) << o.name;
    for (const vc::archive::DeltaRecord* d : vc::archive::textOrder(f)) o.revisions.push_back(d->revision);
    for (int which : {0, 1})
      checkOutAll(o.bytes, o.revisions, which, [&](const std::string& r, int rc, const std::string& text) {
        EXPECT_EQ(0, rc) << o.name << " " << r;
        o.texts[which][r] = text;
      });
    originals.push_back(std::move(o));
  }
  std::sort(originals.begin(), originals.end(), [](const Original& a, const Original& b) { return a.name < b.name; });
  ASSERT_GE(originals.size(), 8u);

  const long count = envNumber("ORV_MUTANTS", kDefaultMutants);
  const long firstSeed = envNumber("ORV_MUTATION_SEED", 1);
  long answered = 0, grammaticalMutants = 0, failures = 0;
  for (long seed = firstSeed; seed < firstSeed + count && failures < 5; ++seed) {
    std::mt19937_64 rng(static_cast<uint64_t>(seed));
    const Original& o = originals[static_cast<size_t>(seed) % originals.size()];
    std::string what;
    const std::string mutant = mutate(o.bytes, rng, what);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(mutant.data()), mutant.size());

    // Revisions in text order (each read stops at the one asked), or reversed
    // (the first read goes furthest).
    std::vector<std::string> order = o.revisions;
    if (seed % 2) std::reverse(order.begin(), order.end());
    const int which = static_cast<int>((seed / 2) % 2);
    const bool isArchive = grammatical(mutant);
    grammaticalMutants += isArchive;
    checkOutAll(mutant, order, which, [&](const std::string& r, int rc, const std::string& text) {
      if (rc != 0) return;
      ++answered;
      if (isArchive || text == o.texts[which].at(r)) return;
      ++failures;
      ADD_FAILURE() << "seed " << seed << ": " << o.name << ", " << what << ": " << r << " answered 0 with\n"
                    << escaped(text) << "\ninstead of\n" << escaped(o.texts[which].at(r)) << "\nmutant:\n"
                    << escaped(mutant);
    });
  }
  std::printf("%ld mutants from seed %ld: %ld grammatical, %ld check-outs answered 0\n", count, firstSeed,
              grammaticalMutants, answered);
  EXPECT_GT(answered, 0);
  EXPECT_GT(grammaticalMutants, 0);
  EXPECT_LT(grammaticalMutants, count);
}

}  // namespace
}  // namespace archive_mutation_test
