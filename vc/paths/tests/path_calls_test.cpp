// vcPathSame, vcCheckDirPath, vcMakePath, vcGetAbsName, vcWorkToArchName and
// vcMapName over a temporary tree.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "vc/error_codes.h"
#include "vc/paths/path_calls.h"
#include "vc/paths/path_codes.h"
#include "vc/paths/tests/fake_path_environment.h"

namespace vc {
namespace {

using test::FakePathEnvironment;
using test::TempTree;

TEST(PathCalls, PathSame)
{
    EXPECT_EQ(pathSame("/Home/U/src\\Foo.C", "\\home\\u/SRC/foo.c"), 0);
    EXPECT_EQ(pathSame("/home/u/a.c", "/home/u/b.c"), path_code::kDifferent);
    EXPECT_EQ(pathSame("/home/u/a.c", "/home/u/./a.c"), path_code::kDifferent);  // compares as written
    EXPECT_EQ(pathSame(nullptr, "x"), err::kBadArgument);
}

TEST(PathCalls, CheckDirPath)
{
    TempTree tree;
    tree.add("src/foo.c");
    tree.add("empty/");
    FakePathEnvironment env;
    env.cwd = tree.root();
    struct Row {
        std::string name;
        int result;
    } rows[] = {
        {tree.path("src/foo.c"), 0},     // exists
        {tree.path("src/new.c"), 0},     // its directory exists
        {tree.path("empty"), 0},         // a directory exists
        {"src\\new.c", 0},               // relative to the current directory, "\" spelling
        {"src/foo.c", 0},
        {"foo.c", path_code::kNoDirectoryPart},  // and no such file
        {tree.path("missing/new.c"), path_code::kDirectoryMissing},
        {tree.path("src/foo.c/new.c"), path_code::kNotADirectory},
    };
    for (const Row& row : rows)
        EXPECT_EQ(checkDirPath(env, row.name.c_str()), row.result) << row.name;
    EXPECT_EQ(checkDirPath(env, nullptr), err::kBadArgument);
    env.cwd.reset();
    EXPECT_EQ(checkDirPath(env, "src/foo.c"), err::kNoCurrentDirectory);
}

TEST(PathCalls, MakePathCreatesTheDirectoriesLeadingToAFile)
{
    TempTree tree;
    tree.add("a/");
    tree.add("plain");
    FakePathEnvironment env;
    env.cwd = tree.root();

    EXPECT_EQ(makePath(env, tree.path("a/b/c/file").c_str()), 0);
    EXPECT_TRUE(tree.isDirectory("a/b/c"));
    EXPECT_FALSE(tree.exists("a/b/c/file"));
    EXPECT_EQ(makePath(env, tree.path("a/b/c/file").c_str()), 0);  // existing: no failure

    EXPECT_EQ(makePath(env, "rel\\x\\"), 0);  // relative, with a final separator: all of it
    EXPECT_TRUE(tree.isDirectory("rel/x"));

    EXPECT_EQ(makePath(env, tree.path("plain/sub/file").c_str()), err::kCannotCreateArchiveDir);
    EXPECT_EQ(env.extraError, ENOTDIR);
    EXPECT_FALSE(tree.exists("plain/sub"));
    EXPECT_EQ(makePath(env, nullptr), err::kBadArgument);
}

TEST(PathCalls, AbsoluteNameIntoTheCallersBuffer)
{
    FakePathEnvironment env;
    env.cwd = "\\Home\\U";
    char buffer[64];
    EXPECT_EQ(getAbsName(env, "..\\Src\\A.c", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "/Home/Src/A.c");

    // Without preservefilecase the caller's name is folded; the current
    // directory never is.
    env.flags["preservefilecase"] = false;
    EXPECT_EQ(getAbsName(env, "Src/A.c", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "/Home/U/src/a.c");

    // A buffer too small keeps length - 1 characters and the needed length.
    EXPECT_EQ(getAbsName(env, "abc", buffer, 8), err::kBufferTooSmall);
    EXPECT_STREQ(buffer, "/Home/U");
    EXPECT_EQ(env.neededLength, std::string("/Home/U/abc").size() + 1);
    EXPECT_EQ(getAbsName(env, "abc", buffer, 12), 0);  // exactly fits with its NUL
    EXPECT_EQ(getAbsName(env, "abc", buffer, 0), err::kBufferTooSmall);

    env.cwd.reset();
    EXPECT_EQ(getAbsName(env, "abc", buffer, sizeof buffer), err::kNoCurrentDirectory);
    EXPECT_EQ(getAbsName(env, "/abc", buffer, sizeof buffer), 0);  // a rooted name needs none
    EXPECT_STREQ(buffer, "/abc");
}

TEST(PathCalls, WorkToArchNameAndMapName)
{
    FakePathEnvironment env;
    env.cwd = "/home/u";
    char buffer[128];
    struct Row {
        const char* root;  // nullptr: the rcswork option
        const char* rcswork;
        const char* name;
        const char* tmpl;
        int result;
        const char* archive;
    } rows[] = {
        {nullptr, "", "/home/u/src/foo.c", "%v%d\\rcs\\%f", 0, "/home/u/src/rcs/foo.c"},
        {nullptr, "", "src\\foo.c", "%v%d\\rcs\\%f", 0, "/home/u/src/rcs/foo.c"},
        {nullptr, "", "E:\\src\\foo.c", "%v%d\\rcs\\%f", 0, "E:/src/rcs/foo.c"},
        {"", "/elsewhere", "/home/u/a.c", "%v%d\\rcs\\%f", 0, "/home/u/rcs/a.c"},  // "" is no root
        {nullptr, "/home/u/src", "/home/u/src/x/foo.c", "/arch", 0, "/arch/home/u/src/x/foo.c"},
        {nullptr, "/home/u/src", "/home/u/lib/foo.c", "%v%d\\rcs\\%f", 5, nullptr},
        {"\\home\\u\\src", "", "/home/u/lib/foo.c", "%v%d\\rcs\\%f", 5, nullptr},
        {"src", "", "/home/u/src/foo.c", "/a/%d%f", 0, "/a/home/u/src/foo.c"},  // a relative root
        {nullptr, "", "/home/u/src/", "%v%d\\rcs\\%f", 13, nullptr},
        {nullptr, "", "foo.c", "rcs/%f", 0, "/home/u/rcs/foo.c"},  // a relative result is made absolute
    };
    for (const Row& row : rows) {
        env.options["rcswork"] = row.rcswork;
        buffer[0] = '\0';
        EXPECT_EQ(workToArchName(env, row.root, row.name, row.tmpl, buffer, sizeof buffer), row.result)
            << row.name << " " << row.tmpl;
        if (row.archive != nullptr) {
            EXPECT_STREQ(buffer, row.archive) << row.name;
        }
        if (row.root == nullptr) {
            EXPECT_EQ(mapName(env, row.name, row.tmpl, buffer, sizeof buffer), row.result) << row.name;
            if (row.archive != nullptr) {
                EXPECT_STREQ(buffer, row.archive) << row.name;
            }
        }
    }
    env.options["rcswork"] = "";
    EXPECT_EQ(mapName(env, "/home/u/src/foo.c", "%v%d\\rcs\\%f", buffer, 10), err::kBufferTooSmall);
    EXPECT_STREQ(buffer, "/home/u/s");
    EXPECT_EQ(env.neededLength, 22u);
    EXPECT_EQ(mapName(env, std::string(3000, 'a').c_str(), "%d%f", buffer, sizeof buffer),
              err::kInternalBufferExceeded);
    EXPECT_EQ(mapName(env, nullptr, "%d%f", buffer, sizeof buffer), err::kBadArgument);
    EXPECT_EQ(mapName(env, "a", nullptr, buffer, sizeof buffer), err::kBadArgument);
}

}  // namespace
}  // namespace vc
