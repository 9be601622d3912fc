// Piece lists and edit scripts, and the placement of new revisions in a
// revision tree built in memory.
#include "vc/archive/format/archive_model.h"
#include "vc/revisions/delta_apply.h"
#include "vc/error_codes.h"
#include "vc/revisions/revision_tree.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vc::archive::ArchiveFile;
using vc::archive::DeltaRecord;

std::string applyText(const std::string& base, const std::string& script, int& rc) {
  vc::UnitText b(base, false), s(script, false);
  vc::PieceList list(b);
  rc = list.apply(s);
  return list.materialise();
}

TEST(PieceList, AppliesScriptsInOrder) {
  int rc = -1;
  EXPECT_EQ("a\nX\nc\n", applyText("a\nb\nc\n", "d2 1\na2 1\nX\n", rc));
  EXPECT_EQ(0, rc);
  EXPECT_EQ("N1\nN2\na\nb\n", applyText("a\nb\n", "a0 2\nN1\nN2\n", rc));
  EXPECT_EQ("a\n", applyText("a\nb\nc\n", "d2 2\n", rc));
  EXPECT_EQ("", applyText("a\nb\n", "d1 2\n", rc));
  // Zero counts of a whole-text replacement of an empty text are tolerated.
  EXPECT_EQ("x\ny\n", applyText("", "d1 0\na0 2\nx\ny\n", rc));
  EXPECT_EQ(0, rc);
  // Blank lines between commands are skipped.
  EXPECT_EQ("b\n", applyText("a\nb\n", "\nd1 1\n\n", rc));
  EXPECT_EQ(0, rc);
}

TEST(PieceList, RefusesCorruptScripts) {
  struct Case {
    const char* script;
    int code;
  } cases[] = {
      {"x1 1\n", vc::err::kDeltaCorrupt},             // unknown command
      {"d1\n", vc::err::kDeltaCorrupt},               // one number
      {"d1 1 junk\n", vc::err::kDeltaCorrupt},        // trailing words
      {"d3 1\nd2 1\n", vc::err::kDeltaCorrupt},       // out of order
      {"d2 1\nd2 1\n", vc::err::kDeltaCorrupt},       // the same line twice
      {"a2 1\nX\nd1 1\n", vc::err::kDeltaCorrupt},    // delete before an earlier add
      {"d3 2\n", vc::err::kDeltaCorrupt},             // beyond the text
      {"a4 1\nX\n", vc::err::kDeltaCorrupt},          // after the last line + 1
      {"d0 1\n", vc::err::kDeltaCorrupt},             // line 0
      {"a1 3\nonly\n", vc::err::kUnexpectedEof},      // the script ends inside the block
      {"a1 99999999999999999999999\n", vc::err::kDeltaCorrupt},  // number overflow
  };
  for (const Case& c : cases) {
    int rc = 0;
    applyText("a\nb\nc\n", c.script, rc);
    EXPECT_EQ(c.code, rc) << c.script;
  }
}

TEST(PieceList, BinaryBlocksAreRawBytes) {
  // A block holding line feeds and NULs is taken by its byte count, then the
  // line feed that follows it is skipped.
  const std::string base("AB\nCD", 5);
  const std::string script = std::string("d2 2\na3 3\n\n\0\n\na5 1\nZ\n", 21);
  vc::UnitText b(base, true), s(script, true);
  vc::PieceList list(b);
  ASSERT_EQ(0, list.apply(s));
  EXPECT_EQ(std::string("A\n\0\nCDZ", 7), list.materialise());
  vc::UnitText shortScript(std::string("a1 5\nabc"), true);
  vc::PieceList again(b);
  EXPECT_EQ(vc::err::kUnexpectedEof, again.apply(shortScript));
}

TEST(PieceList, CombinedScriptTurnsBaseIntoResult) {
  vc::UnitText base("1\n2\n3\n4\n5\n", false);
  vc::UnitText first("d2 1\na3 1\nX\n", false);
  vc::UnitText second("d1 1\na5 2\nY\nZ\n", false);
  vc::PieceList list(base);
  ASSERT_EQ(0, list.apply(first));
  ASSERT_EQ(0, list.apply(second));
  const std::string combined = vc::diffAgainstBase(base, list);
  vc::UnitText script(combined, false);
  vc::PieceList again(base);
  ASSERT_EQ(0, again.apply(script)) << combined;
  EXPECT_EQ(list.materialise(), again.materialise());
  std::size_t added = 0, deleted = 0;
  vc::changeCounts(vc::PieceList(base), list, added, deleted);
  EXPECT_EQ(3u, added);
  EXPECT_EQ(2u, deleted);
}

// Many scripts of scattered edits on a long text, against lines kept in a
// plain vector: the list grows to many pieces in many blocks, and deletions
// run across pieces and blocks.
TEST(PieceList, LongHistoryMatchesPlainLines) {
  std::mt19937 rng(4711);
  std::vector<std::string> model;
  std::string base;
  for (int i = 0; i < 3000; ++i) {
    model.push_back("line " + std::to_string(i) + "\n");
    base += model.back();
  }
  vc::TextPool pool;
  pool.emplace_back(base, false);
  vc::PieceList list(pool.back());
  for (int round = 0; round < 400; ++round) {
    // Commands in order over the old numbering, kept apart by at least one line.
    std::string script;
    std::vector<std::string> next;
    std::size_t old = 0;  // old lines passed
    while (old < model.size()) {
      const std::size_t gap = rng() % 400;
      if (old + gap >= model.size()) break;
      next.insert(next.end(), model.begin() + static_cast<long>(old), model.begin() + static_cast<long>(old + gap));
      old += gap;
      if (rng() % 2) {
        const bool big = round % 25 == 0 && script.empty();  // now and then one long deletion
        const std::size_t n = std::min<std::size_t>(1 + rng() % (big ? 100 : 4), model.size() - old);
        script += "d" + std::to_string(old + 1) + " " + std::to_string(n) + "\n";
        old += n;
        if (rng() % 2) {  // a change: the deleted lines replaced
          const std::size_t m = 1 + rng() % 3;
          script += "a" + std::to_string(old) + " " + std::to_string(m) + "\n";
          for (std::size_t k = 0; k < m; ++k) {
            next.push_back("r" + std::to_string(round) + "." + std::to_string(k) + "\n");
            script += next.back();
          }
        }
      } else {
        const std::size_t m = 1 + rng() % 3;
        script += "a" + std::to_string(old) + " " + std::to_string(m) + "\n";
        for (std::size_t k = 0; k < m; ++k) {
          next.push_back("i" + std::to_string(round) + "." + std::to_string(k) + "\n");
          script += next.back();
        }
      }
      if (old < model.size()) {  // one untouched line before the next command
        next.push_back(model[old]);
        ++old;
      }
    }
    next.insert(next.end(), model.begin() + static_cast<long>(old), model.end());
    pool.emplace_back(script, false);
    ASSERT_EQ(0, list.apply(pool.back())) << "round " << round;
    model = std::move(next);
    ASSERT_EQ(model.size(), list.units()) << "round " << round;
  }
  std::string want;
  for (const std::string& l : model) want += l;
  EXPECT_EQ(want, list.materialise());
  EXPECT_GT(list.pieces().size(), 1000u) << model.size() << " lines";
}

TEST(PieceList, WholeTextScriptLeavesOutZeroCounts) {
  EXPECT_EQ("a0 1\nx\n", vc::wholeTextScript(0, "x\n", 1, false));
  EXPECT_EQ("d1 2\n", vc::wholeTextScript(2, "", 0, false));
  EXPECT_EQ("d1 3\na3 2\nxy\n", vc::wholeTextScript(3, "xy", 2, true));
}

// Trunk 1.1 1.2 1.3 1.5 (1.4 missing), branch 1.3.1.1 off 1.3.
struct Tree {
  ArchiveFile a;
  Tree() {
    const char* trunk[] = {"1.5", "1.3", "1.2", "1.1"};
    DeltaRecord* prev = nullptr;
    for (const char* r : trunk) {
      DeltaRecord* d = a.createDelta(r);
      if (prev) {
        prev->next = d;
        d->parent = prev;
      } else {
        a.head = d;
      }
      prev = d;
    }
    DeltaRecord* b = a.createDelta("1.3.1.1");
    a.lookup("1.3")->branches.push_back(b);
    b->parent = a.lookup("1.3");
  }
};

TEST(Placement, NumberTable) {
  using K = vc::Placement::Kind;
  struct Case {
    const char* r;
    int code;
    const char* number;
    K kind;
    const char* base;
  } cases[] = {
      {"1.5", 0, "1.6", K::Trunk, "1.5"},
      {"1", 0, "1.6", K::Trunk, "1.5"},
      {"2", 0, "2.1", K::Trunk, "1.5"},
      {"1.7", 0, "1.7", K::Trunk, "1.5"},
      {"1.4", vc::err::kRevisionOutOfRange, "", K::Trunk, ""},  // the search ends at 1.3
      {"1.3", 0, "1.3.2.1", K::NewBranch, "1.3"},
      {"1.2", 0, "1.2.1.1", K::NewBranch, "1.2"},
      {"1.1", 0, "1.1.1.1", K::NewBranch, "1.1"},
      {"1.3.1.1", 0, "1.3.1.2", K::BranchTip, "1.3.1.1"},
      {"1.3.1", 0, "1.3.1.2", K::BranchTip, "1.3.1.1"},       // branch number: its tip
      {"1.3.1.5", 0, "1.3.1.5", K::BranchTip, "1.3.1.1"},     // even count: as given
      {"1.3.2", 0, "1.3.2.1", K::NewBranch, "1.3"},
      {"1.3.5.1", 0, "1.3.5.1", K::NewBranch, "1.3"},
      {"1.3.0", vc::err::kRevisionOutOfRange, "", K::Trunk, ""},  // lies before branch 1.3.1
      {"1.2.1", 0, "1.2.1.1", K::NewBranch, "1.2"},
      {"1.3.1.1.1", 0, "1.3.1.1.1.1", K::NewBranch, "1.3.1.1"},
      {"1.3.1.1.1.1.1", vc::err::kRevisionOutOfRange, "", K::Trunk, ""},  // more than two fields past
      {"1.123456789", 0, "1.123456789", K::Trunk, "1.5"},
      {"1.1234567890", vc::err::kRevisionOutOfRange, "", K::Trunk, ""},  // last field over 10 characters
  };
  for (const Case& c : cases) {
    Tree t;
    vc::Placement p;
    const int rc = vc::placeNewRevision(t.a, c.r, false, p);
    EXPECT_EQ(c.code, rc) << c.r;
    if (rc != 0 || c.code != 0) continue;
    EXPECT_EQ(c.number, p.number) << c.r;
    EXPECT_EQ(c.kind, p.kind) << c.r;
    ASSERT_NE(nullptr, p.base) << c.r;
    EXPECT_EQ(c.base, p.base->revision) << c.r;
  }
}

TEST(Placement, DuplicatesAlwaysBranch) {
  Tree t;
  vc::Placement p;
  ASSERT_EQ(0, vc::placeNewRevision(t.a, "1.5", true, p));
  EXPECT_EQ("1.5.1.1", p.number);
  ASSERT_EQ(0, vc::placeNewRevision(t.a, "1.3", true, p));
  EXPECT_EQ("1.3.2.1", p.number);
}

TEST(Placement, DefaultBranchComparesNumerically) {
  Tree t;
  vc::Placement p;
  t.a.defaultBranch = "2";
  ASSERT_EQ(0, vc::placeNewRevision(t.a, "1.5", false, p));
  EXPECT_EQ("2.1", p.number);  // a default release above the head starts it
  t.a.defaultBranch = "1";
  ASSERT_EQ(0, vc::placeNewRevision(t.a, "1.5", false, p));
  EXPECT_EQ("1.6", p.number);

  ArchiveFile nine;
  DeltaRecord* head = nine.createDelta("9.3");
  nine.head = head;
  nine.defaultBranch = "10";  // "10" sorts before "9." as text, after 9 as a number
  ASSERT_EQ(0, vc::placeNewRevision(nine, "9.3", false, p));
  EXPECT_EQ("10.1", p.number);
}

TEST(Placement, DefaultBranchNamesTheNewBranch) {
  Tree t;
  t.a.defaultBranch = "1.2.7";  // no such branch; its search ends at 1.2
  vc::Placement p;
  ASSERT_EQ(0, vc::placeNewRevision(t.a, "1.2", false, p));
  EXPECT_EQ("1.2.7.1", p.number);
}

TEST(Placement, FirstRevision) {
  ArchiveFile empty;
  vc::Placement p;
  ASSERT_EQ(0, vc::placeNewRevision(empty, "1.1", false, p));
  EXPECT_EQ("1.1", p.number);
  ASSERT_EQ(0, vc::placeNewRevision(empty, "3", false, p));
  EXPECT_EQ("3.1", p.number);
  EXPECT_EQ(vc::err::kRevisionOutOfRange, vc::placeNewRevision(empty, "1.1.1", false, p));
}

TEST(RevisionNames, Expansion) {
  Tree t;
  t.a.symbols.push_back({"1.3", "rel2"});
  struct Case {
    const char* name;
    int code;
    const char* out;
  } cases[] = {
      {"rel2", 0, "1.3"},       {"rel2.1", 0, "1.3.1"},   {"01.002", 0, "1.2"}, {"1.00", 0, "1.0"},
      {"nope", vc::err::kSymbolMissing, ""},  {"1.2x", vc::err::kBadRevisionNumber, ""},
      {"1..2", vc::err::kBadRevisionNumber, ""}, {"", 0, ""},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(c.code, vc::expandRevisionName(t.a, c.name, out)) << c.name;
    if (c.code == 0) {
      EXPECT_EQ(c.out, out) << c.name;
    }
  }
  std::string out;
  EXPECT_EQ(vc::err::kSymbolTooLong, vc::expandRevisionName(t.a, "1." + std::string(2100, '7'), out));
}

TEST(RevisionNames, CheckOutResolution) {
  Tree t;
  EXPECT_EQ("1.5", vc::resolveRevision(t.a, "")->revision);
  EXPECT_EQ("1.3.1.1", vc::resolveRevision(t.a, "1.3.1")->revision);  // a branch: its tip
  EXPECT_EQ("1.5", vc::resolveRevision(t.a, "1")->revision);          // a release: the nearest
  EXPECT_EQ(nullptr, vc::resolveRevision(t.a, "1.4"));                 // a full number must exist
  t.a.defaultBranch = "1.3.1";
  EXPECT_EQ("1.3.1.1", vc::resolveRevision(t.a, "")->revision);
}

}  // namespace

// The line table of a text, and whether it holds a '$', for lines of every
// length (the table is built many bytes at a time) and texts with or
// without a final line feed: the same as found a byte at a time.
TEST(UnitText, LinesOfEveryLength) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const std::size_t lines = rng() % 40;
    const int longest = 1 + static_cast<int>(rng() % 90);
    for (std::size_t l = 0; l < lines; ++l) {
      text.append(rng() % longest, static_cast<char>('a' + rng() % 26));
      text += '\n';
    }
    if (rng() % 3 == 0) text.append(1 + rng() % 20, 'z');  // an unterminated last line
    if (!text.empty() && rng() % 4 == 0) text[rng() % text.size()] = '$';
    std::vector<std::size_t> want{0};
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
      if (text[i] == '\n') want.push_back(i + 1);
    if (!text.empty()) want.push_back(text.size());
    const bool dollar = text.find('$') != std::string::npos;
    for (std::size_t hint : {std::size_t{0}, static_cast<std::size_t>(vc::countLines(text)), std::size_t{1}}) {
      vc::TextPool pool;
      const vc::UnitText& t =
          hint == 0 ? pool.emplace_back(text, false)
                    : pool.emplace_back(std::make_shared<std::string>(text), std::string_view(text), false, hint);
      ASSERT_EQ(want.size() - 1, t.units()) << round;
      for (std::size_t u = 0; u < want.size(); ++u) ASSERT_EQ(want[u], t.begin(u)) << round << " unit " << u;
      EXPECT_EQ(dollar, t.hasDollar()) << round;
    }
  }
}
