// Template expansion and the reverse match, as tables and as round trips.
#include <gtest/gtest.h>

#include "vc/paths/archive_template.h"
#include "vc/paths/path_name.h"
#include "platform/fs/path_separators.h"

namespace vc {
namespace {

const std::string kDefault = orv::fs::forward_slashes(kDefaultArchiveTemplate);

TEST(ArchiveTemplate, Expansion)
{
    struct Row {
        std::string tmpl;
        const char* root;
        const char* name;
        const char* archive;  // nullptr: see result
        ExpandResult result;
    } rows[] = {
        {kDefault, "", "/home/u/src/foo.c", "/home/u/src/rcs/foo.c", ExpandResult::ok},
        {kDefault, "", "E:/src/foo.c", "E:/src/rcs/foo.c", ExpandResult::ok},
        {kDefault, "", "/foo.c", "/rcs/foo.c", ExpandResult::ok},
        {kDefault, "/home/u", "/home/u/src/foo.c", "/home/u/src/rcs/foo.c", ExpandResult::ok},
        {kDefault, "/home/u", "/home/u/foo.c", "/home/u/rcs/foo.c", ExpandResult::ok},
        {kDefault, "/HOME/U", "/home/u/foo.c", "/home/u/rcs/foo.c", ExpandResult::ok},  // the name's spelling
        {kDefault, "/home/u", "/home/uv/foo.c", nullptr, ExpandResult::not_contained},
        {kDefault, "/home/u", "/etc/foo.c", nullptr, ExpandResult::not_contained},
        {kDefault, "", "/home/u/", nullptr, ExpandResult::no_file},
        {"%v:%d/rcs/%f", "", "/a/b.c", "/a/rcs/b.c", ExpandResult::ok},   // ":" after an empty %v
        {"%v:%d/rcs/%f", "", "E:/a/b.c", "E:/a/rcs/b.c", ExpandResult::ok},
        {"/arch/%d%f", "", "/home/u/a.c", "/arch/home/u/a.c", ExpandResult::ok},
        {"/arch/%d/%f", "/home/u", "/home/u/src/a.c", "/arch/home/u/src/a.c", ExpandResult::ok},
        {"%d%f", "/home/u", "/home/u/a.c", "/home/u/a.c", ExpandResult::ok},
        {"%d%f,v", "", "/x/a.c", "/x/a.c,v", ExpandResult::ok},
        {"%d/RCS/%f%%", "", "/x/a.c", "/x/RCS/a.c%", ExpandResult::ok},
        {"%d/%x/%f%", "", "/x/a.c", "/x/%x/a.c%", ExpandResult::ok},   // unknown codes stay
        {"/flat/%f", "", "/x/y/a.c", "/flat/a.c", ExpandResult::ok},
        {"/arch", "", "/home/u/a.c", "/arch/home/u/a.c", ExpandResult::ok},
        {"/arch/", "/home/u", "/home/u/src/a.c", "/arch/home/u/src/a.c", ExpandResult::ok},
        {"//srv/arch/%f", "", "/x/a.c", "//srv/arch/a.c", ExpandResult::ok},
        {"/a//b/%f", "", "/x/a.c", "/a/b/a.c", ExpandResult::ok},   // no doubled separators
        {kDefault, "", "/x/a:b.c", "/x/rcs/a:b.c", ExpandResult::ok},
    };
    for (const Row& row : rows) {
        std::string out;
        ExpandResult r = expandArchiveTemplate(row.tmpl, row.root, row.name, out);
        EXPECT_EQ(r, row.result) << row.tmpl << " " << row.root << " " << row.name;
        if (row.archive != nullptr) {
            EXPECT_EQ(out, row.archive) << row.tmpl << " " << row.root << " " << row.name;
        }
    }
}

TEST(ArchiveTemplate, ReverseMatch)
{
    struct Row {
        std::string tmpl;
        const char* root;
        const char* archive;
        const char* work;  // nullptr: no match
    } rows[] = {
        {kDefault, "", "/home/u/src/rcs/foo.c", "/home/u/src/foo.c"},
        {kDefault, "", "E:/src/rcs/foo.c", "E:/src/foo.c"},
        {kDefault, "", "/HOME/U/RCS/Foo.c", "/HOME/U/Foo.c"},  // literals without case, spelling kept
        {kDefault, "", "/rcs/foo.c", "/foo.c"},
        {kDefault, "", "/a/rcs/b/rcs/foo.c", "/a/rcs/b/foo.c"},  // %d reaches the rightmost literal
        {kDefault, "", "/a/rcs/sub/foo.c", nullptr},  // a file name holds no separator
        {kDefault, "", "/home/u/src/foo.c", nullptr},
        {kDefault, "", "/home/u/src/rcs/", nullptr},
        {kDefault, "/home/u", "/home/u/src/rcs/a.c", "/home/u/src/a.c"},
        {kDefault, "/home/u", "/home/v/rcs/a.c", nullptr},  // not below the root
        {"%v:%d/rcs/%f", "", "E:/a/rcs/b.c", "E:/a/b.c"},
        {"/arch/%d/%f", "/home/u", "/arch/home/u/src/a.c", "/home/u/src/a.c"},
        {"/arch/%d/%f", "/home/u", "/arch/etc/a.c", nullptr},
        {"/arch/%d/%f", "", "/other/home/a.c", nullptr},
        {"/arch", "", "/arch/home/u/a.c", "/home/u/a.c"},
        {"/arch", "", "/archive/x.c", nullptr},  // at a separator boundary only
        {"/arch/", "/home/u", "/arch/home/u/src/a.c", "/home/u/src/a.c"},
        {"/flat/%f", "/home/u", "/flat/a.c", "/home/u/a.c"},
        {"%d%f,v", "", "/x/a.c,v", "/x/a.c"},
        {"%d%f,v", "", "/x/a.c", nullptr},
        {"%d%f", "", "/x/y/a.c", "/x/y/a.c"},   // %d ends at a separator, never inside the name
        {"%d/%f.arc", "", "/x/a.b.arc", "/x/a.b"},
        {"%d/RCS/%f%%", "", "/x/RCS/a.c%", "/x/a.c"},
        {kDefault, "", "/x/rcs/a:b.c", "/x/a:b.c"},
    };
    for (const Row& row : rows) {
        std::optional<std::string> work = matchArchiveTemplate(row.tmpl, row.archive, row.root);
        if (row.work == nullptr)
            EXPECT_FALSE(work) << row.tmpl << " " << row.archive << " -> " << work.value_or("");
        else
            EXPECT_EQ(work.value_or("<none>"), row.work) << row.tmpl << " " << row.archive;
    }
}

TEST(ArchiveTemplate, WorkToArchiveToWorkRoundTrips)
{
    struct Row {
        std::string tmpl;
        const char* root;
    } templates[] = {
        {kDefault, ""},
        {kDefault, "/home/u"},
        {"/arch/%d/%f", ""},
        {"/arch/%d/%f", "/home/u"},
        {"/arch/%d%f,v", "/home"},
        {"/arch", ""},
        {"/arch", "/home/u"},
        {"%v%d/RCS/%f", "/"},
    };
    const char* names[] = {"/home/u/foo.c", "/home/u/src/foo.c", "/home/u/a/b/c/d.e",
                           "/home/u/rcs/x.c", "/home/u/with space/x y.c", "/home/u/a:b/c:d.c"};
    for (const Row& t : templates) {
        for (const char* name : names) {
            std::string archive;
            ASSERT_EQ(expandArchiveTemplate(t.tmpl, t.root, name, archive), ExpandResult::ok);
            EXPECT_EQ(matchArchiveTemplate(t.tmpl, archive, t.root).value_or("<none>"), name)
                << t.tmpl << " root " << t.root << " archive " << archive;
        }
    }
    // Drive paths, as stored by Windows-made files, round-trip as well.
    std::string archive;
    ASSERT_EQ(expandArchiveTemplate(kDefault, "", "E:/src/foo.c", archive), ExpandResult::ok);
    EXPECT_EQ(matchArchiveTemplate(kDefault, archive, "").value_or(""), "E:/src/foo.c");
    ASSERT_EQ(expandArchiveTemplate(kDefault, "E:/src", "E:/src/a/foo.c", archive), ExpandResult::ok);
    EXPECT_EQ(archive, "E:/src/a/rcs/foo.c");
    EXPECT_EQ(matchArchiveTemplate(kDefault, archive, "E:/src").value_or(""), "E:/src/a/foo.c");
}

TEST(ArchiveTemplate, TemplateListOfRcspath)
{
    using List = std::vector<std::string>;
    EXPECT_EQ(splitTemplateList(std::nullopt), List{"%v%d/rcs/%f"});
    EXPECT_EQ(splitTemplateList(" ; ;"), List{"%v%d/rcs/%f"});
    EXPECT_EQ(splitTemplateList("%d\\RCS\\%f; /arch ;;%d%f,v"), (List{"%d/RCS/%f", "/arch", "%d%f,v"}));
}

}  // namespace
}  // namespace vc
