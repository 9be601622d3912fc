// Keyword expansion of stored text in every mode, as a table of fixtures, and
// the failures of the expander.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "vc/error_codes.h"
#include "vc/revisions/keywords/keyword_expander.h"
#include "vc/revisions/keywords/tests/keyword_test_support.h"

namespace vc {
namespace {

std::string expanded(std::string_view stored, int mode, const KeywordContext& context, bool addCr = false)
{
    StringSink sink;
    EXPECT_EQ(expandKeywords(stored, mode, context, addCr, sink), err::kSuccess) << stored;
    return sink.text;
}

constexpr const char* kHeader14 = "/arch/RCS/foo.c,v 1.4 2024/03/05 06:07:08 alice Exp ";
constexpr const char* kHistory14 = "Revision 1.4  2024/03/05 06:07:08  alice";

struct Fixture {
    const char* name;
    int mode;
    bool addCr;
    std::string stored;
    std::string expected;
};

// Each keyword, each mode, the recogniser's edge cases and the output rules.
const Fixture kFixtures[] = {
    {"bare revision", 1, false, "$Revision$\n", "$Revision: 1.4 $\n"},
    {"old revision value replaced", 1, false, "$Revision: 1.3 $\n", "$Revision: 1.4 $\n"},
    {"value without blanks replaced", 1, false, "$Revision:1.3$\n", "$Revision: 1.4 $\n"},
    {"author date state", 1, false, "$Author$ $Date$ $State$",
     "$Author: alice $ $Date: 2024/03/05 06:07:08 $ $State: Exp $"},
    {"unlocked locker", 1, false, "$Locker$", "$Locker: $"},
    {"two labels", 1, false, "$Name$", "$Name: rel1 beta $"},
    {"header", 1, false, "$Header$", std::string("$Header: ") + kHeader14 + "$"},
    {"id", 1, false, "$Id: old $", "$Id: foo.c,v 1.4 2024/03/05 06:07:08 alice Exp $"},
    {"rcsfile and source", 1, false, "$RCSfile$ $Source$", "$RCSfile: foo.c,v $ $Source: /arch/RCS/foo.c,v $"},
    {"no current project", 1, false, "$ProjectName$ $ProjectRevision$", "$ProjectName: $ $ProjectRevision: $"},
    {"setting logformat", 1, false, "$Setting logformat$", "$Setting logformat: %C %u %r %f %D %l$"},
    {"setting looked up lower-cased", 1, false, "$Setting  LogFormat: old$",
     "$Setting LogFormat: %C %u %r %f %D %l$"},
    {"setting dollar made safe", 1, false, "$Setting prompt$", "$Setting prompt: cost _5$"},
    {"setting line end made safe", 1, false, "$Setting Newline$\n", "$Setting Newline: _$\n"},
    {"setting without value", 1, false, "$Setting addcr$", "$Setting addcr: $"},
    {"setting without option", 1, false, "$Setting$", "$Setting: $"},
    {"unknown name left", 1, false, "$Unknown$ $Revision$", "$Unknown$ $Revision: 1.4 $"},
    {"closing dollar reopens", 1, false, "cost $5 and $Revision$", "cost $5 and $Revision: 1.4 $"},
    {"lone dollar left", 1, false, "price $5\n$Revision$\n", "price $5\n$Revision: 1.4 $\n"},
    {"names match with case", 1, false, "$revision$ $Revision $", "$revision$ $Revision $"},
    {"markers do not span lines", 1, false, "$Revision\n$\n", "$Revision\n$\n"},
    {"doubled at written once", 1, false, "a@@b $Revision$ c@@@@d\n", "a@b $Revision: 1.4 $ c@@d\n"},
    {"no trailing line feed", 1, false, "$Revision$", "$Revision: 1.4 $"},
    {"empty text", 1, false, "", ""},

    {"mode 0 copies", 0, false, "$Revision$ $Id: x $ a@@b\n", "$Revision$ $Id: x $ a@b\n"},

    {"collapse id", 128, false, "$Id: foo.c,v 1.3 2024/01/01 00:00:00 bob Exp $\n", "$Id$\n"},
    {"collapse keeps bare and unknown", 128, false, "$Revision$ $Nope: 1 $ $Date: x $", "$Revision$ $Nope: 1 $ $Date$"},
    {"collapse setting", 128, false, "$Setting logformat: %C$", "$Setting logformat$"},
    {"collapse keeps history lines", 128, false, "# $Log: foo.c,v $\n# Revision 1.3\n", "# $Log$\n# Revision 1.3\n"},

    {"log without history", 16, false, "// $Log$\nnext\n", "// $Log: foo.c,v $\nnext\n"},
    {"log with history", 1, false, "// $Log$\nnext\n",
     std::string("// $Log: foo.c,v $\n// ") + kHistory14 + "\n// Fixed the parser.\n// Second line\nnext\n"},
    {"log history between prefix and suffix", 1, false, "/* $Log: old,v $ */\n",
     std::string("/* $Log: foo.c,v $ */\n/* ") + kHistory14 +
         " */\n/* Fixed the parser. */\n/* Second line */\n"},
    {"log on a last line without line feed", 1, false, "# $Log$",
     std::string("# $Log: foo.c,v $\n# ") + kHistory14 + "\n# Fixed the parser.\n# Second line\n"},
    {"log line keeps other keywords", 1, false, "$Log$ $Revision$\n",
     std::string("$Log: foo.c,v $ $Revision: 1.4 $\n") + kHistory14 +
         " $Revision$\nFixed the parser. $Revision$\nSecond line $Revision$\n"},

    {"cr added", 0, true, "a\nb\r\nc", "a\r\nb\r\nc"},
    {"cr added to history", 1, true, "# $Log$\n",
     std::string("# $Log: foo.c,v $\r\n# ") + kHistory14 + "\r\n# Fixed the parser.\r\n# Second line\r\n"},
    {"stored cr lf kept in history", 1, false, "# $Log$\r\n",
     std::string("# $Log: foo.c,v $\r\n# ") + kHistory14 + "\r\n# Fixed the parser.\r\n# Second line\r\n"},
};

TEST(KeywordExpander, FixtureTable)
{
    const KeywordContext context = test::revision14();
    for (const Fixture& fixture : kFixtures) {
        EXPECT_EQ(expanded(fixture.stored, fixture.mode, context, fixture.addCr), fixture.expected) << fixture.name;
    }
}

TEST(KeywordExpander, ChunksGiveTheSameResultAsOneCall)
{
    const KeywordContext context = test::revision14();
    for (const Fixture& fixture : kFixtures) {
        for (std::size_t chunk = 1; chunk <= 7; ++chunk) {
            StringSink sink;
            KeywordExpander expander(fixture.mode, context, fixture.addCr, sink);
            for (std::size_t pos = 0; pos < fixture.stored.size(); pos += chunk) {
                ASSERT_EQ(expander.write(std::string_view(fixture.stored).substr(pos, chunk)), err::kSuccess);
            }
            ASSERT_EQ(expander.finish(), err::kSuccess);
            EXPECT_EQ(sink.text, fixture.expected) << fixture.name << " in chunks of " << chunk;
        }
    }
}

// Texts of whole lines given piece by piece, with append (and appendPlain
// for pieces without a '$'), as a check-out gives them: the same as one call,
// for long runs of text, doubled '@' anywhere and keywords among them.
TEST(KeywordExpander, PiecesGiveTheSameResultAsOneCall)
{
    const KeywordContext context = test::revision14();
    std::mt19937 rng(99);
    const char* words[] = {"count", "@@", "@@@@", "x@@y", "$Revision$", "$Id$", "@@$Author$", "  ", "buffer", "a"};
    for (int round = 0; round < 400; ++round) {
        std::string stored;
        const int lines = static_cast<int>(rng() % 30);
        for (int l = 0; l < lines; ++l) {
            for (int w = static_cast<int>(rng() % 12); w > 0; --w) {
                stored += words[rng() % (round % 2 ? 10 : 4)];  // every other round without keywords
                stored += ' ';
            }
            stored += '\n';
        }
        if (rng() % 3 == 0) {
            stored += "tail@@ without a line end";
        }
        for (int mode : {0, 1, 128}) {
            for (bool addCr : {false, true}) {
                StringSink whole;
                ASSERT_EQ(expandKeywords(stored, mode, context, addCr, whole), err::kSuccess);
                StringSink sink;
                KeywordExpander expander(mode, context, addCr, sink);
                std::size_t pos = 0;
                while (pos < stored.size()) {
                    // A piece of whole lines, or now and then a piece that ends mid-line.
                    std::size_t end = pos;
                    for (int n = 1 + static_cast<int>(rng() % 4); n > 0 && end < stored.size(); --n) {
                        const std::size_t lf = stored.find('\n', end);
                        end = lf == std::string::npos ? stored.size() : lf + 1;
                    }
                    if (rng() % 7 == 0) {
                        end = pos + 1 + rng() % (end - pos);
                    }
                    const std::string_view piece = std::string_view(stored).substr(pos, end - pos);
                    const int rc = piece.find('$') == std::string_view::npos ? expander.appendPlain(piece)
                                                                              : expander.append(piece);
                    ASSERT_EQ(rc, err::kSuccess);
                    pos = end;
                }
                ASSERT_EQ(expander.finish(), err::kSuccess);
                EXPECT_EQ(sink.text, whole.text) << "round " << round << " mode " << mode << " cr " << addCr;
            }
        }
    }
}

TEST(KeywordExpander, LockedRevisionShowsItsLocker)
{
    KeywordContext context = test::revision14();
    context.locker = "bob";
    EXPECT_EQ(expanded("$Locker$ $Header$", 1, context),
              std::string("$Locker: bob $ $Header: ") + kHeader14 + "bob $");
}

TEST(KeywordExpander, DatesAndPathsAsShown)
{
    KeywordContext context = test::revision14();
    context.date = "95.01.02.03.04.05";
    context.archivePath = "C:\\arch\\foo.c,v";
    context.projectName = "/p/tools.prj";
    context.projectRevision = "1.7";
    context.labels.clear();
    EXPECT_EQ(expanded("$Date$ $Source$ $Name$ $ProjectName$ $ProjectRevision$", 1, context),
              "$Date: 95/01/02 03:04:05 $ $Source: C:/arch/foo.c,v $ $Name: $ $ProjectName: /p/tools.prj $ "
              "$ProjectRevision: 1.7 $");
}

TEST(KeywordExpander, EmptyLogGivesOnlyTheRevisionLine)
{
    KeywordContext context = test::revision14();
    context.log = "";
    EXPECT_EQ(expanded("-- $Log$\n", 1, context), std::string("-- $Log: foo.c,v $\n-- ") + kHistory14 + "\n");
    context.log = "one\n\nthree";
    EXPECT_EQ(expanded("$Log$\n", 1, context),
              std::string("$Log: foo.c,v $\n") + kHistory14 + "\none\n\nthree\n");
}

TEST(KeywordExpander, NoSettingCallbackGivesNoValue)
{
    KeywordContext context = test::revision14();
    context.setting = nullptr;
    EXPECT_EQ(expanded("$Setting logformat$", 1, context), "$Setting logformat: $");
}

TEST(KeywordExpander, ArchivePathOverTheLimitInHeaderOrSource)
{
    KeywordContext context = test::revision14();
    context.archivePath = "/" + std::string(2047, 'a');  // 2,048 characters: allowed
    StringSink sink;
    EXPECT_EQ(expandKeywords("$Header$ $Source$", 1, context, false, sink), err::kSuccess);

    context.archivePath += 'b';  // 2,049 characters
    for (const char* text : {"$Header$\n", "$Source$\n"}) {
        StringSink failed;
        EXPECT_EQ(expandKeywords(std::string("first\n") + text, 1, context, false, failed), err::kInternalBufferExceeded);
        EXPECT_EQ(failed.text, "first\n") << "what came before the keyword is written";
    }
    StringSink others;
    EXPECT_EQ(expandKeywords("$Id$ $Revision$", 1, context, false, others), err::kSuccess);
    StringSink collapsed;
    EXPECT_EQ(expandKeywords("$Header: x $", 128, context, false, collapsed), err::kSuccess);
    EXPECT_EQ(collapsed.text, "$Header$");
}

class FailingSink final : public TextSink {
public:
    bool write(std::string_view) override
    {
        ++calls;
        return false;
    }
    int calls = 0;
};

TEST(KeywordExpander, SinkFailureIsAWriteErrorAndSticks)
{
    const KeywordContext context = test::revision14();
    FailingSink sink;
    KeywordExpander expander(1, context, false, sink);
    EXPECT_EQ(expander.write("$Revision$\n"), err::kWorkWrite);
    EXPECT_EQ(expander.write("more\n"), err::kWorkWrite);
    EXPECT_EQ(expander.finish(), err::kWorkWrite);
    EXPECT_EQ(sink.calls, 1);
}

TEST(KeywordExpander, OnlyTheFourModes)
{
    const KeywordContext context = test::revision14();
    for (int mode : {0, 1, 16, 128}) {
        EXPECT_TRUE(isKeywordMode(mode));
    }
    for (int mode : {-1, 2, 17, 129, 256}) {
        StringSink sink;
        EXPECT_EQ(expandKeywords("$Revision$", mode, context, false, sink), err::kBadArgument) << mode;
        EXPECT_EQ(sink.text, "");
    }
}

TEST(KeywordExpander, LargeTextPassesThroughWhole)
{
    const KeywordContext context = test::revision14();
    std::string stored;
    std::string expected;
    for (int k = 0; k < 20000; ++k) {
        stored += "line " + std::to_string(k) + " $Revision$ x@@y\n";
        expected += "line " + std::to_string(k) + " $Revision: 1.4 $ x@y\r\n";
    }
    EXPECT_EQ(expanded(stored, 16, context, true), expected);
}

}  // namespace
}  // namespace vc
