// Check-in's side of keywords: collapsing a working file and taking values
// over from its expanded keywords.
#include <gtest/gtest.h>

#include <string>

#include "vc/revisions/keywords/keyword_checkin.h"
#include "vc/error_codes.h"
#include "vc/revisions/keywords/keyword_expander.h"
#include "vc/revisions/keywords/tests/keyword_test_support.h"

namespace vc {
namespace {

TEST(KeywordCollapse, EveryRecognisedMarkerBecomesBare)
{
    struct Row {
        const char* text;
        const char* collapsed;
    } rows[] = {
        {"$Revision: 1.4 $", "$Revision$"},
        {"a $Id: foo.c,v 1.4 2024/03/05 06:07:08 alice Exp $ b\n", "a $Id$ b\n"},
        {"$Locker: $ $Name: rel1 beta $", "$Locker$ $Name$"},
        {"$Setting LogFormat: %C %u$", "$Setting LogFormat$"},
        {"$Revision$", "$Revision$"},
        {"$Other: 1 $ $5\n$State: Exp $\r\n", "$Other: 1 $ $5\n$State$\r\n"},
        {"a@b $Author: x@y $", "a@b $Author$"},  // working files carry single '@'
        {"$Log: foo.c,v $\n# Revision 1.3  x  y\n", "$Log$\n# Revision 1.3  x  y\n"},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(collapseKeywords(row.text), row.collapsed) << row.text;
    }
}

TEST(KeywordCollapse, UndoesEveryExpansion)
{
    // Whatever check-out writes, collapsing it gives the bare text back
    // (history lines aside, which are plain text once written).
    const KeywordContext context = test::revision14();
    const std::string bare =
        "$Author$ $Date$ $Header$ $Id$ $Locker$ $Name$ $RCSfile$ $Revision$ $Source$ $State$\n"
        "$ProjectName$ $ProjectRevision$ $Setting logformat$ $Setting prompt$ $Log$\n";
    StringSink sink;
    ASSERT_EQ(expandKeywords(bare, kKeywordModeExpandNoLog, context, false, sink), err::kSuccess);
    ASSERT_NE(sink.text, bare);
    EXPECT_EQ(collapseKeywords(sink.text), bare);
}

TEST(KeywordHarvest, ValuesOfWhatCheckOutWrote)
{
    KeywordContext context = test::revision14();
    context.locker = "bob";
    for (const char* keywords : {"$Author$ $Date$ $State$ $Revision$", "$Header$", "$Id$", "$Header$ $Locker$"}) {
        StringSink sink;
        ASSERT_EQ(expandKeywords(std::string("x ") + keywords + "\n", 1, context, false, sink), err::kSuccess);
        HarvestedKeywords values;
        ASSERT_EQ(harvestKeywordValues(sink.text, values), err::kSuccess) << sink.text;
        EXPECT_EQ(values.author, "alice") << keywords;
        EXPECT_EQ(values.date, "2024.03.05.06.07.08") << keywords;
        EXPECT_EQ(values.state, "Exp") << keywords;
        EXPECT_EQ(values.revision, "1.4") << keywords;
    }
}

TEST(KeywordHarvest, FirstValueWinsAndOthersArePassedOver)
{
    HarvestedKeywords values;
    ASSERT_EQ(harvestKeywordValues("$Revision: 1.2 $\n$Header: /a b/c,v 1.9 95/01/02 03:04:05 bob Rel $\n"
                                     "$Revision$ $Locker: ! $ $Log: anything at all $ $Name: $ $Source: $\n",
                                     values),
              err::kSuccess);
    EXPECT_EQ(values.revision, "1.2");
    EXPECT_EQ(values.date, "95.01.02.03.04.05");  // from Header, whose path holds a blank
    EXPECT_EQ(values.author, "bob");
    EXPECT_EQ(values.state, "Rel");
}

TEST(KeywordHarvest, HeaderPathsWithBlanks)
{
    struct Row {
        const char* text;
        const char* revision;
        const char* author;
    } rows[] = {
        {"$Header: /my docs/a b/c,v 1.9 2024/01/02 03:04:05 bob Rel $", "1.9", "bob"},
        {"$Header: /my docs/a b/c,v 1.9 2024/01/02 03:04:05 bob Rel carol $", "1.9", "bob"},
        {"$Header: /1.2 2024/01/02 x/c,v 1.9 2024/01/02 03:04:05 bob Rel $", "1.9", "bob"},
        {"$Id: c,v 2.1.1.1 2024/01/02 03:04:05 bob Rel carol $", "2.1.1.1", "bob"},
    };
    for (const Row& row : rows) {
        HarvestedKeywords values;
        ASSERT_EQ(harvestKeywordValues(row.text, values), err::kSuccess) << row.text;
        EXPECT_EQ(values.revision, row.revision) << row.text;
        EXPECT_EQ(values.author, row.author) << row.text;
        EXPECT_EQ(values.state, "Rel") << row.text;
    }
}

TEST(KeywordHarvest, NothingExpandedNothingTaken)
{
    HarvestedKeywords values;
    ASSERT_EQ(harvestKeywordValues("$Revision$ $Author$ plain text $ with dollars $\n", values), err::kSuccess);
    EXPECT_FALSE(values.revision);
    EXPECT_FALSE(values.author);
    EXPECT_FALSE(values.date);
    EXPECT_FALSE(values.state);
}

TEST(KeywordHarvest, MalformedValuesAreRefused)
{
    const char* refused[] = {
        "$Revision:1.4 $",          // no blank after the colon
        "$Revision: 1.4$",          // none before the dollar
        "$Revision:  1.4 $",        // two blanks
        "$Revision: 1.4  $",
        "$Revision: $",             // no value
        "$Revision: 1.02 $",        // not a revision number
        "$Revision: 1 $",
        "$Revision: 1.4. $",
        "$Author: a;b $",           // not a user name
        "$Author: al ice $",
        "$State: 1x $",             // a state begins with a letter or '_'
        "$Date: 2024/03/05 $",      // no time
        "$Date: 2024/3/5 06:07:08 $",
        "$Date: 2024/03/05 06:07 $",
        "$Date: 2024.03.05.06.07.08 $",
        "$Header: foo.c,v 1.4 2024/03/05 06:07:08 alice $",  // no state
        "$Id: 1.4 2024/03/05 06:07:08 alice Exp $",          // no file name
        "$Id: foo.c,v 1.4 2024/03/05 06:07:08 alice Exp bob extra $",
    };
    for (const char* text : refused) {
        HarvestedKeywords values;
        EXPECT_EQ(harvestKeywordValues(std::string("ok line\n") + text + "\n", values), err::kBadKeywordExpansion)
            << text;
    }
}

TEST(KeywordHarvest, UserNamesFollowVanillaRcs)
{
    HarvestedKeywords values;
    EXPECT_EQ(harvestKeywordValues("$Author: 9bob $", values), err::kSuccess);
    EXPECT_EQ(values.author, "9bob");
    HarvestedKeywords vanilla;
    EXPECT_EQ(harvestKeywordValues("$Author: 9bob $", vanilla, HarvestRules{.vanillaRcs = true}),
              err::kBadKeywordExpansion);
    HarvestedKeywords underscore;
    EXPECT_EQ(harvestKeywordValues("$Author: _b.o-b $", underscore, HarvestRules{.vanillaRcs = true}),
              err::kSuccess);
    EXPECT_EQ(underscore.author, "_b.o-b");
}

}  // namespace
}  // namespace vc
