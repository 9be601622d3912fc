// Normalisation, comparison, volumes, splitting and absolute names.
#include <gtest/gtest.h>

#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {
namespace {

TEST(PathName, NormalisationTurnsBackslashesAndFoldsOnlyWhenAsked)
{
    EXPECT_EQ(orv::fs::forward_slashes("C:\\Src\\rcs\\Foo.c"), "C:/Src/rcs/Foo.c");
    EXPECT_EQ(normalizePath("C:\\Src\\Foo.c", true), "C:/Src/Foo.c");
    EXPECT_EQ(normalizePath("C:\\Src\\Foo.c", false), "c:/src/foo.c");
    // Folding is ASCII only: bytes of UTF-8 letters stay as they are.
    EXPECT_EQ(normalizePath("/\xC3\x84pfel/\xC3\xA4", false), "/\xC3\x84pfel/\xC3\xA4");
}

TEST(PathName, ComparisonIgnoresCaseAndSeparatorSpelling)
{
    struct Row {
        const char* a;
        const char* b;
        bool equal;
    } rows[] = {
        {"/home/u/Src/Foo.c", "\\HOME\\U\\src\\foo.C", true},
        {"E:\\src\\foo.c", "e:/SRC/FOO.C", true},
        {"/a/b", "/a/b/", false},          // lengths differ
        {"/a/b", "/a_b", false},
        {"/\xC3\x84", "/\xC3\xA4", false},  // non-ASCII letters are not folded
        {"", "", true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(pathsEqual(row.a, row.b), row.equal) << row.a << " | " << row.b;
}

TEST(PathName, VolumeIsOnlyALeadingDriveLetter)
{
    struct Row {
        const char* name;
        std::size_t volume;
    } rows[] = {
        {"c:/x", 2}, {"Z:", 2}, {"c:x", 2}, {"a:b.c/x", 2},
        {"ab:c", 0}, {"1:/x", 0}, {"/c:/x", 0}, {"dir/a:b", 0}, {"", 0}, {":", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(volumeLength(row.name), row.volume) << row.name;
}

TEST(PathName, SplitIntoVolumeDirectoryAndFile)
{
    struct Row {
        const char* name;
        std::size_t volume, directory, file;
    } rows[] = {
        {"E:/src/foo.c", 2, 5, 5},
        {"/home/u/foo.c", 0, 8, 5},
        {"foo.c", 0, 0, 5},
        {"c:foo.c", 2, 0, 5},
        {"/home/u/", 0, 8, 0},
        {"dir\\x.c", 0, 4, 3},
        {"sub/a:b.c", 0, 4, 5},  // a colon inside a Linux name is no volume
    };
    for (const Row& row : rows) {
        PathParts p = splitPath(row.name);
        EXPECT_EQ(p.volume, row.volume) << row.name;
        EXPECT_EQ(p.directory, row.directory) << row.name;
        EXPECT_EQ(p.file, row.file) << row.name;
    }
}

TEST(PathName, SplitAgainstARoot)
{
    struct Row {
        const char* root;
        const char* name;
        RootSplitResult result;
        const char* rootDirectory;
        const char* relative;
        const char* file;
    } rows[] = {
        {"", "/home/u/src/foo.c", RootSplitResult::ok, "", "/home/u/src/", "foo.c"},
        {"/home/u", "/home/u/src/foo.c", RootSplitResult::ok, "/home/u", "src/", "foo.c"},
        {"/home/u/", "/home/u/foo.c", RootSplitResult::ok, "/home/u", "", "foo.c"},
        {"/HOME/U", "/home/u/src/foo.c", RootSplitResult::ok, "/home/u", "src/", "foo.c"},
        {"/", "/a/b.c", RootSplitResult::ok, "/", "a/", "b.c"},
        {"E:/work", "e:/work/x/y.c", RootSplitResult::ok, "/work", "x/", "y.c"},
        {"/home/u", "/home/uv/foo.c", RootSplitResult::not_contained, "", "", ""},
        {"/home/u", "/home/v/foo.c", RootSplitResult::not_contained, "", "", ""},
        {"/home/u", "/home", RootSplitResult::not_contained, "", "", ""},
        {"/home/u", "/home/u", RootSplitResult::no_file, "", "", ""},
        {"/home/u", "/home/u/src/", RootSplitResult::no_file, "", "", ""},
        {"", "/home/u/", RootSplitResult::no_file, "", "", ""},
    };
    for (const Row& row : rows) {
        RootSplit s;
        RootSplitResult r = splitAgainstRoot(row.root, row.name, s);
        EXPECT_EQ(r, row.result) << row.root << " | " << row.name;
        if (r != RootSplitResult::ok)
            continue;
        EXPECT_EQ(s.rootDirectory, row.rootDirectory) << row.name;
        EXPECT_EQ(s.relativeDirectory, row.relative) << row.name;
        EXPECT_EQ(s.fileName, row.file) << row.name;
    }
}

TEST(PathName, AbsoluteNames)
{
    struct Row {
        const char* base;
        const char* name;
        const char* absolute;
    } rows[] = {
        {"/home/u", "a.c", "/home/u/a.c"},
        {"/home/u/", "a.c", "/home/u/a.c"},
        {"/home/u", "./a.c", "/home/u/a.c"},
        {"/home/u", "././sub/a.c", "/home/u/sub/a.c"},
        {"/home/u", "../a.c", "/home/a.c"},
        {"/home/u", "./../x/a.c", "/home/x/a.c"},
        {"/home/u", "../../../../a.c", "/a.c"},   // never past the root
        {"/", "../a.c", "/a.c"},
        {"/home/u", "..", "/home"},
        {"/home/u", ".", "/home/u"},
        {"/home/u", "sub/.", "/home/u/sub"},      // a final "." is dropped
        {"/home/u", "sub/../a.c", "/home/u/sub/../a.c"},  // only leading steps
        {"/home/u", "", "/home/u"},
        {"/home/u", "/etc/x", "/etc/x"},
        {"/home/u", "//server/share/x", "//server/share/x"},
        {"/home/u", "$(x)/a.c", "$(x)/a.c"},      // stays relative to its variable
        {"/home/u", "ab:c.d", "/home/u/ab:c.d"},  // a colon after the first two is ordinary
        {"/home/u", "x/a:b", "/home/u/x/a:b"},
        {"/home/u", "a:b.c", "a:b.c"},            // but "a:" at the start is a volume
        {"/home/u", "E:/src/foo.c", "E:/src/foo.c"},
        {"c:/work", "/x.c", "c:/x.c"},            // takes the base's volume
        {"c:/work", "../../x.c", "c:/x.c"},       // never past the volume
        {"c:/", "a.c", "c:/a.c"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(makeAbsoluteName(row.base, row.name), row.absolute) << row.base << " + " << row.name;
}

}  // namespace
}  // namespace vc
