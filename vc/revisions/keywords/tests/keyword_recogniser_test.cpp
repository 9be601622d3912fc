// Where markers begin and end, and which texts between dollars are keywords.
#include <gtest/gtest.h>

#include "vc/revisions/keywords/keyword_recogniser.h"

namespace vc {
namespace {

TEST(KeywordRecogniser, MarkersOfOneLine)
{
    struct Row {
        const char* line;
        int keyword;  // -1: no marker
        std::size_t begin;
        std::size_t end;
        bool hasValue;
        const char* value;
        const char* option;
    } rows[] = {
        {"$Revision$", 8, 0, 10, false, "", ""},
        {"x $Revision: 1.3 $ y", 8, 2, 18, true, " 1.3 ", ""},
        {"$Revision:1.3$", 8, 0, 14, true, "1.3", ""},
        {"$revision$", -1, 0, 0, false, "", ""},             // names match with case
        {"$Revision $", -1, 0, 0, false, "", ""},            // and whole
        {"$Rev$", -1, 0, 0, false, "", ""},
        {"$Revision", -1, 0, 0, false, "", ""},              // no closing '$'
        {"$Revision\n$", -1, 0, 0, false, "", ""},           // not on the same line
        {"cost $5 and $Id$", 3, 12, 16, false, "", ""},      // "$5 and $" is none; its closing '$' opens the next
        {"$$Author$", 0, 1, 9, false, "", ""},
        {"$Foo:$Date: x $", 1, 5, 15, true, " x ", ""},
        {"$Setting logformat$", 13, 0, 19, false, "", "logformat"},
        {"$Setting \t LogFormat : %C$", 13, 0, 26, true, " %C", "LogFormat"},
        {"$Setting a:b:c$", 13, 0, 15, true, "b:c", "a"},    // the value runs from the first ':'
        {"$Setting$", 13, 0, 9, false, "", ""},              // the table's own name, no option
        {"$Setting: v$", 13, 0, 12, true, " v", ""},
        {"$Settingfoo$", -1, 0, 0, false, "", ""},
        {"$Log: a.c,v $\r\n", 5, 0, 13, true, " a.c,v ", ""},
    };
    for (const Row& row : rows) {
        std::optional<KeywordMarker> marker = findKeywordMarker(row.line);
        if (row.keyword < 0) {
            EXPECT_FALSE(marker) << row.line;
            continue;
        }
        ASSERT_TRUE(marker) << row.line;
        EXPECT_EQ(static_cast<int>(marker->keyword), row.keyword) << row.line;
        EXPECT_EQ(marker->begin, row.begin) << row.line;
        EXPECT_EQ(marker->end, row.end) << row.line;
        EXPECT_EQ(marker->hasValue, row.hasValue) << row.line;
        EXPECT_EQ(marker->value, row.value) << row.line;
        EXPECT_EQ(marker->option, row.option) << row.line;
    }
}

TEST(KeywordRecogniser, SearchStartsAtTheGivenOffsetAndStopsAtTheLineFeed)
{
    std::string_view text = "$Id$ $Date$\n$State$";
    std::optional<KeywordMarker> second = findKeywordMarker(text, 4);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->keyword, Keyword::Date);
    EXPECT_FALSE(findKeywordMarker(text, second->end));  // "$State$" is on the next line
    std::optional<KeywordMarker> nextLine = findKeywordMarker(text, 12);
    ASSERT_TRUE(nextLine);
    EXPECT_EQ(nextLine->keyword, Keyword::State);
}

TEST(KeywordTable, OrderIsTheCheckInIndex)
{
    const char* names[] = {"Author", "Date",     "Header", "Id",    "Locker",      "Log",             "Name",
                           "RCSfile", "Revision", "Source", "State", "ProjectName", "ProjectRevision", "Setting"};
    for (std::size_t k = 0; k < kKeywordCount; ++k) {
        EXPECT_EQ(keywordName(static_cast<Keyword>(k)), names[k]);
        EXPECT_EQ(keywordFromName(names[k]), static_cast<Keyword>(k));
    }
    EXPECT_FALSE(keywordFromName("author"));
    EXPECT_FALSE(keywordFromName(""));
}

}  // namespace
}  // namespace vc
