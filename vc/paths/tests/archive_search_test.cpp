// vcFindArchiveName and vcFindWorkName over a temporary tree, with an
// archive opener that records its calls.
#include <gtest/gtest.h>

#include <string>

#include "vc/error_codes.h"
#include "vc/paths/path_calls.h"
#include "vc/paths/path_codes.h"
#include "vc/paths/tests/fake_path_environment.h"

namespace vc {
namespace {

using test::FakePathEnvironment;
using test::TempTree;

class ArchiveSearchTest : public ::testing::Test {
protected:
    void SetUp() override { env_.cwd = tree_.root(); }

    int find(const std::string& work, int* handle, int flags, int length = sizeof buffer_)
    {
        buffer_[0] = '\0';
        return findArchiveName(env_, work.c_str(), buffer_, length, handle, flags);
    }
    std::string p(const std::string& relative) const { return tree_.path(relative); }

    TempTree tree_;
    FakePathEnvironment env_;
    char buffer_[512];
};

TEST_F(ArchiveSearchTest, ExistingArchiveBesideTheWorkingFileIsOpened)
{
    tree_.add("src/foo.c");
    tree_.add("src/rcs/foo.c");
    int handle = -1;
    EXPECT_EQ(find("src\\foo.c", &handle, 3), 0);
    EXPECT_EQ(std::string(buffer_), p("src/rcs/foo.c"));
    EXPECT_EQ(handle, 1);
    ASSERT_EQ(env_.opens.size(), 1u);
    EXPECT_EQ(env_.opens[0].path, p("src/rcs/foo.c"));
    EXPECT_EQ(env_.opens[0].mode, 3);
    EXPECT_TRUE(env_.opens[0].withHandle);

    // Without a handle place the open is a check only; its answer ends the search.
    env_.openResults[p("src/rcs/foo.c")] = 19;
    EXPECT_EQ(find(p("src/foo.c"), nullptr, 1), err::kEncryptedFile);
    EXPECT_FALSE(env_.opens.back().withHandle);
    env_.openResults[p("src/rcs/foo.c")] = 15;
    EXPECT_EQ(find(p("src/foo.c"), &handle, 1), err::kNotVersionFile);
    EXPECT_EQ(handle, 0);
}

TEST_F(ArchiveSearchTest, MissingArchiveGivesTheNameForANewOne)
{
    struct Row {
        const char* setup;     // a directory made first ("" none), below the working directory
        const char* rcspath;
        const char* expected;  // below the working directory
    } rows[] = {
        {"rcs/", "", "rcs/foo.c"},                             // candidate whose directory exists
        {"", "", "rcs/foo.c"},                                 // no directory: the first template
        {"arch2/", "%d/arch1/%f;%d/arch2/%f", "arch2/foo.c"},  // the first with a directory
        {"", "%d/arch1/%f;%d/arch2/%f", "arch1/foo.c"},
    };
    char dir = 'a';
    for (const Row& row : rows) {
        std::string workDir(1, dir++);
        if (*row.setup != '\0')
            tree_.add(workDir + "/" + row.setup);
        tree_.add(workDir + "/foo.c");
        env_.options["rcspath"] = row.rcspath;
        env_.opens.clear();
        EXPECT_EQ(find(p(workDir + "/foo.c"), nullptr, 1), err::kArchiveMissing) << row.rcspath;
        EXPECT_EQ(std::string(buffer_), p(workDir + "/" + row.expected)) << row.rcspath;
        EXPECT_TRUE(env_.opens.empty());
    }
}

TEST_F(ArchiveSearchTest, PairsComeFirstAndTheLongestProjectRootIsTheFallback)
{
    tree_.add("w/src/lib/x.c");
    env_.projectPairs = {{p("w"), "/nonexistent1/%f"},
                         {p("w/src"), "/nonexistent2/%f"},
                         {p("other"), "/nonexistent3/%f"},
                         {p("w/src/lib"), ""}};  // empty values take no part
    env_.instancePairs = {{p("w"), "/nonexistent4/%f"}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), err::kArchiveMissing);
    EXPECT_EQ(std::string(buffer_), "/nonexistent2/x.c");

    // Without project pairs the instance's first matching pair is the fallback.
    env_.projectPairs.clear();
    env_.instancePairs = {{p("elsewhere"), "/nonexistent5/%f"},
                          {p("w"), "/nonexistent6/%f"},
                          {p("w/src"), "/nonexistent7/%f"}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), err::kArchiveMissing);
    EXPECT_EQ(std::string(buffer_), "/nonexistent6/x.c");

    // An existing archive of a pair wins over the rcspath templates.
    tree_.add("w/src/lib/rcs/x.c");
    tree_.add("arch/x.c");
    env_.instancePairs = {{p("w"), p("arch/%f")}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), 0);
    EXPECT_EQ(std::string(buffer_), p("arch/x.c"));
}

TEST_F(ArchiveSearchTest, FailuresOfTheSearch)
{
    tree_.add("src/foo.c");
    tree_.add("src/rcs/foo.c");
    int handle = -1;
    // The candidate does not fit: 4, the needed length kept, nothing opened.
    EXPECT_EQ(find(p("src/foo.c"), &handle, 1, 8), err::kBufferTooSmall);
    EXPECT_EQ(env_.neededLength, p("src/rcs/foo.c").size() + 1);
    EXPECT_TRUE(env_.opens.empty());
    EXPECT_EQ(handle, 0);

    // A working file outside the rcswork root.
    env_.options["rcswork"] = p("lib");
    EXPECT_EQ(find(p("src/foo.c"), nullptr, 1), path_code::kNotContained);
    env_.options["rcswork"] = "";

    // No file part.
    EXPECT_EQ(find(p("src/"), nullptr, 1), err::kCannotMakeArchiveName);

    // A template that names the working file itself: 85, and it is not opened.
    env_.options["rcspath"] = "%d%f";
    EXPECT_EQ(find(p("src/foo.c"), &handle, 3), err::kWorkEqualsArchive);
    EXPECT_TRUE(env_.opens.empty());
    EXPECT_EQ(find(p("src/absent.c"), &handle, 7), err::kWorkEqualsArchive);  // nor created
    EXPECT_FALSE(tree_.exists("src/absent.c"));

    EXPECT_EQ(find(std::string(3000, 'x'), nullptr, 1), err::kInternalBufferExceeded);
    EXPECT_EQ(findArchiveName(env_, nullptr, buffer_, 10, nullptr, 1), err::kBadArgument);
    env_.cwd.reset();
    EXPECT_EQ(find("src/foo.c", nullptr, 1), err::kNoCurrentDirectory);
}

TEST_F(ArchiveSearchTest, CreateFlagMakesTheArchiveWhenNoneExists)
{
    tree_.add("src/rcs/");
    tree_.add("src/foo.c");
    tree_.add("src/bar.c");
    // With a handle place the new archive is handed out.
    int handle = -1;
    EXPECT_EQ(find(p("src/foo.c"), &handle, 4 | 1), 0);
    EXPECT_EQ(std::string(buffer_), p("src/rcs/foo.c"));
    EXPECT_EQ(handle, 1);
    ASSERT_EQ(env_.opens.size(), 1u);
    EXPECT_EQ(env_.opens[0].mode, 7);
    EXPECT_TRUE(env_.commits.empty());

    // Without one it is committed at once.
    EXPECT_EQ(find(p("src/bar.c"), nullptr, 6), 0);
    ASSERT_EQ(env_.opens.size(), 2u);
    EXPECT_EQ(env_.opens[1].mode, 6);
    EXPECT_TRUE(env_.opens[1].withHandle);
    EXPECT_EQ(env_.commits, std::vector<int>{2});

    // The archive now exists: the search opens it with the create bit cleared
    // and the write bit set.
    EXPECT_EQ(find(p("src/bar.c"), &handle, 4 | 1), 0);
    EXPECT_EQ(env_.opens.back().mode, 3);
    EXPECT_EQ(env_.opens.back().path, p("src/rcs/bar.c"));
}

TEST_F(ArchiveSearchTest, FindWorkName)
{
    struct Row {
        const char* rcswork;
        const char* rcspath;
        std::string archive;
        int result;
        std::string work;
    } rows[] = {
        {"", "", p("src/rcs/foo.c"), 0, p("src/foo.c")},
        {"", "", "src\\rcs\\foo.c", 0, p("src/foo.c")},
        {"", "%d/arch1/%f;%d/arch2/%f", p("src/arch2/foo.c"), 0, p("src/foo.c")},
        {"", "", p("src/foo.c"), 58, ""},
        {"", "%d%f", p("src/foo.c"), 85, ""},
        {"/somewhere/else", "", p("src/rcs/foo.c"), 58, ""},
        {"", "", std::string(3000, 'a') + "/rcs/x.c", 12, ""},
    };
    for (const Row& row : rows) {
        env_.options["rcswork"] = row.rcswork;
        env_.options["rcspath"] = row.rcspath;
        buffer_[0] = '\0';
        EXPECT_EQ(findWorkName(env_, row.archive.c_str(), buffer_, sizeof buffer_), row.result)
            << row.archive;
        if (row.result == 0) {
            EXPECT_EQ(std::string(buffer_), row.work);
        }
    }
    env_.options.clear();

    // The pairs are tried first, the project's before the instance's.
    env_.instancePairs = {{"/work/b", "/arch/%d/%f"}};
    EXPECT_EQ(findWorkName(env_, "/arch/work/b/x.c", buffer_, sizeof buffer_), 0);
    EXPECT_STREQ(buffer_, "/work/b/x.c");
    env_.projectPairs = {{"/work", "/arch/%d/%f"}};
    env_.instancePairs = {{"/work/b", "/arch/b/%f"}};
    EXPECT_EQ(findWorkName(env_, "/arch/b/x.c", buffer_, sizeof buffer_), 0);
    EXPECT_STREQ(buffer_, "/work/b/x.c");
    EXPECT_EQ(findWorkName(env_, "/arch/work/c/x.c", buffer_, sizeof buffer_), 0);
    EXPECT_STREQ(buffer_, "/work/c/x.c");

    EXPECT_EQ(findWorkName(env_, "/arch/work/c/x.c", buffer_, 5), err::kBufferTooSmall);
    EXPECT_STREQ(buffer_, "/wor");
    EXPECT_EQ(env_.neededLength, 12u);
    EXPECT_EQ(findWorkName(env_, nullptr, buffer_, 5), err::kBadArgument);
}

TEST_F(ArchiveSearchTest, RoundTripThroughTheCalls)
{
    tree_.add("w/src/foo.c");
    tree_.add("arch/");
    struct Row {
        const char* rcswork;
        const char* rcspath;
        std::vector<WorkToArchPair> pairs;
    } rows[] = {
        {"", "", {}},
        {"w", "", {}},
        {"", "", {{"w/src", "/arch/%d%f"}}},
        {"", "", {{"w", "/arch"}}},
    };
    for (const Row& row : rows) {
        env_.options["rcswork"] = row.rcswork;
        env_.options["rcspath"] = row.rcspath;
        env_.instancePairs = row.pairs;
        for (auto& pair : env_.instancePairs)
            pair.name = p(pair.name);
        for (auto& pair : env_.instancePairs)
            if (pair.value.starts_with("/arch"))
                pair.value = p(pair.value.substr(1));
        ASSERT_EQ(find(p("w/src/foo.c"), nullptr, 1), err::kArchiveMissing);
        std::string archive = buffer_;
        ASSERT_EQ(findWorkName(env_, archive.c_str(), buffer_, sizeof buffer_), 0) << archive;
        EXPECT_EQ(std::string(buffer_), p("w/src/foo.c")) << archive;
    }
}

}  // namespace
}  // namespace vc
