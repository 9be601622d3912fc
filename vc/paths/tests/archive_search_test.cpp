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
    void SetUp() override { env.cwd = tree.root(); }

    int find(const std::string& work, int* handle, int flags, int length = sizeof buffer)
    {
        buffer[0] = '\0';
        return find_archive_name(env, work.c_str(), buffer, length, handle, flags);
    }
    std::string p(const std::string& relative) const { return tree.path(relative); }

    TempTree tree;
    FakePathEnvironment env;
    char buffer[512];
};

TEST_F(ArchiveSearchTest, ExistingArchiveBesideTheWorkingFileIsOpened)
{
    tree.add("src/foo.c");
    tree.add("src/rcs/foo.c");
    int handle = -1;
    EXPECT_EQ(find("src\\foo.c", &handle, 3), 0);
    EXPECT_EQ(std::string(buffer), p("src/rcs/foo.c"));
    EXPECT_EQ(handle, 1);
    ASSERT_EQ(env.opens.size(), 1u);
    EXPECT_EQ(env.opens[0].path, p("src/rcs/foo.c"));
    EXPECT_EQ(env.opens[0].mode, 3);
    EXPECT_TRUE(env.opens[0].with_handle);

    // Without a handle place the open is a check only; its answer ends the search.
    env.open_results[p("src/rcs/foo.c")] = 19;
    EXPECT_EQ(find(p("src/foo.c"), nullptr, 1), err::kEncryptedFile);
    EXPECT_FALSE(env.opens.back().with_handle);
    env.open_results[p("src/rcs/foo.c")] = 15;
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
        std::string work_dir(1, dir++);
        if (*row.setup != '\0')
            tree.add(work_dir + "/" + row.setup);
        tree.add(work_dir + "/foo.c");
        env.options["rcspath"] = row.rcspath;
        env.opens.clear();
        EXPECT_EQ(find(p(work_dir + "/foo.c"), nullptr, 1), err::kArchiveMissing) << row.rcspath;
        EXPECT_EQ(std::string(buffer), p(work_dir + "/" + row.expected)) << row.rcspath;
        EXPECT_TRUE(env.opens.empty());
    }
}

TEST_F(ArchiveSearchTest, PairsComeFirstAndTheLongestProjectRootIsTheFallback)
{
    tree.add("w/src/lib/x.c");
    env.project_pairs = {{p("w"), "/nonexistent1/%f"},
                         {p("w/src"), "/nonexistent2/%f"},
                         {p("other"), "/nonexistent3/%f"},
                         {p("w/src/lib"), ""}};  // empty values take no part
    env.instance_pairs = {{p("w"), "/nonexistent4/%f"}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), err::kArchiveMissing);
    EXPECT_EQ(std::string(buffer), "/nonexistent2/x.c");

    // Without project pairs the instance's first matching pair is the fallback.
    env.project_pairs.clear();
    env.instance_pairs = {{p("elsewhere"), "/nonexistent5/%f"},
                          {p("w"), "/nonexistent6/%f"},
                          {p("w/src"), "/nonexistent7/%f"}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), err::kArchiveMissing);
    EXPECT_EQ(std::string(buffer), "/nonexistent6/x.c");

    // An existing archive of a pair wins over the rcspath templates.
    tree.add("w/src/lib/rcs/x.c");
    tree.add("arch/x.c");
    env.instance_pairs = {{p("w"), p("arch/%f")}};
    EXPECT_EQ(find(p("w/src/lib/x.c"), nullptr, 1), 0);
    EXPECT_EQ(std::string(buffer), p("arch/x.c"));
}

TEST_F(ArchiveSearchTest, FailuresOfTheSearch)
{
    tree.add("src/foo.c");
    tree.add("src/rcs/foo.c");
    int handle = -1;
    // The candidate does not fit: 4, the needed length kept, nothing opened.
    EXPECT_EQ(find(p("src/foo.c"), &handle, 1, 8), err::kBufferTooSmall);
    EXPECT_EQ(env.needed_length, p("src/rcs/foo.c").size() + 1);
    EXPECT_TRUE(env.opens.empty());
    EXPECT_EQ(handle, 0);

    // A working file outside the rcswork root.
    env.options["rcswork"] = p("lib");
    EXPECT_EQ(find(p("src/foo.c"), nullptr, 1), path_code::kNotContained);
    env.options["rcswork"] = "";

    // No file part.
    EXPECT_EQ(find(p("src/"), nullptr, 1), err::kCannotMakeArchiveName);

    // A template that names the working file itself: 85, and it is not opened.
    env.options["rcspath"] = "%d%f";
    EXPECT_EQ(find(p("src/foo.c"), &handle, 3), err::kWorkEqualsArchive);
    EXPECT_TRUE(env.opens.empty());
    EXPECT_EQ(find(p("src/absent.c"), &handle, 7), err::kWorkEqualsArchive);  // nor created
    EXPECT_FALSE(tree.exists("src/absent.c"));

    EXPECT_EQ(find(std::string(3000, 'x'), nullptr, 1), err::kInternalBufferExceeded);
    EXPECT_EQ(find_archive_name(env, nullptr, buffer, 10, nullptr, 1), err::kBadArgument);
    env.cwd.reset();
    EXPECT_EQ(find("src/foo.c", nullptr, 1), err::kNoCurrentDirectory);
}

TEST_F(ArchiveSearchTest, CreateFlagMakesTheArchiveWhenNoneExists)
{
    tree.add("src/rcs/");
    tree.add("src/foo.c");
    tree.add("src/bar.c");
    // With a handle place the new archive is handed out.
    int handle = -1;
    EXPECT_EQ(find(p("src/foo.c"), &handle, 4 | 1), 0);
    EXPECT_EQ(std::string(buffer), p("src/rcs/foo.c"));
    EXPECT_EQ(handle, 1);
    ASSERT_EQ(env.opens.size(), 1u);
    EXPECT_EQ(env.opens[0].mode, 7);
    EXPECT_TRUE(env.commits.empty());

    // Without one it is committed at once.
    EXPECT_EQ(find(p("src/bar.c"), nullptr, 6), 0);
    ASSERT_EQ(env.opens.size(), 2u);
    EXPECT_EQ(env.opens[1].mode, 6);
    EXPECT_TRUE(env.opens[1].with_handle);
    EXPECT_EQ(env.commits, std::vector<int>{2});

    // The archive now exists: the search opens it with the create bit cleared
    // and the write bit set.
    EXPECT_EQ(find(p("src/bar.c"), &handle, 4 | 1), 0);
    EXPECT_EQ(env.opens.back().mode, 3);
    EXPECT_EQ(env.opens.back().path, p("src/rcs/bar.c"));
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
        env.options["rcswork"] = row.rcswork;
        env.options["rcspath"] = row.rcspath;
        buffer[0] = '\0';
        EXPECT_EQ(find_work_name(env, row.archive.c_str(), buffer, sizeof buffer), row.result)
            << row.archive;
        if (row.result == 0) {
            EXPECT_EQ(std::string(buffer), row.work);
        }
    }
    env.options.clear();

    // The pairs are tried first, the project's before the instance's.
    env.instance_pairs = {{"/work/b", "/arch/%d/%f"}};
    EXPECT_EQ(find_work_name(env, "/arch/work/b/x.c", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "/work/b/x.c");
    env.project_pairs = {{"/work", "/arch/%d/%f"}};
    env.instance_pairs = {{"/work/b", "/arch/b/%f"}};
    EXPECT_EQ(find_work_name(env, "/arch/b/x.c", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "/work/b/x.c");
    EXPECT_EQ(find_work_name(env, "/arch/work/c/x.c", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "/work/c/x.c");

    EXPECT_EQ(find_work_name(env, "/arch/work/c/x.c", buffer, 5), err::kBufferTooSmall);
    EXPECT_STREQ(buffer, "/wor");
    EXPECT_EQ(env.needed_length, 12u);
    EXPECT_EQ(find_work_name(env, nullptr, buffer, 5), err::kBadArgument);
}

TEST_F(ArchiveSearchTest, RoundTripThroughTheCalls)
{
    tree.add("w/src/foo.c");
    tree.add("arch/");
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
        env.options["rcswork"] = row.rcswork;
        env.options["rcspath"] = row.rcspath;
        env.instance_pairs = row.pairs;
        for (auto& pair : env.instance_pairs)
            pair.name = p(pair.name);
        for (auto& pair : env.instance_pairs)
            if (pair.value.starts_with("/arch"))
                pair.value = p(pair.value.substr(1));
        ASSERT_EQ(find(p("w/src/foo.c"), nullptr, 1), err::kArchiveMissing);
        std::string archive = buffer;
        ASSERT_EQ(find_work_name(env, archive.c_str(), buffer, sizeof buffer), 0) << archive;
        EXPECT_EQ(std::string(buffer), p("w/src/foo.c")) << archive;
    }
}

}  // namespace
}  // namespace vc
