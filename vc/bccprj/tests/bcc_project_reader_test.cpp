// The project-file option reader over project files laid out byte by byte
// here, sound and damaged.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "testing/temp_dir.h"
#include "vc/bccprj/bcc_project_reader.h"

namespace vc {
namespace {

using Bytes = std::string;

Bytes le16(unsigned value)
{
    return Bytes{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}

Bytes header(unsigned version = 0x0700)
{
    Bytes out("Turbo C Project File \x1A", 22);
    out += '\0';
    out += Bytes("\x01\x0D\x12\x17\x01\x1A\x00", 7);
    out += le16(version);
    return out;  // 32 bytes: the records follow
}

Bytes record(unsigned type, const Bytes& data) { return le16(type) + le16(static_cast<unsigned>(data.size())) + data; }

Bytes entry(unsigned id, const Bytes& text) { return le16(id) + le16(static_cast<unsigned>(text.size())) + text; }

Bytes endRecord() { return le16(0xFFFF) + le16(0); }

Bytes cstr(const char* text) { return Bytes(text) + '\0'; }

// The layout the IDE writes: some records, the options, more records, the end.
Bytes soundProject()
{
    return header() + record(10, Bytes(6, 'x')) + record(51, "") +
           record(50, entry(1, cstr("-ml")) + entry(302, cstr("C:\\BC\\INCLUDE;..\\inc")) + entry(7, cstr(""))) +
           record(55, Bytes(3, 'y')) + endRecord();
}

class BccProjectReaderTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const Bytes& bytes) { return dir_.write(name, bytes); }

    orv::test::TempDir dir_{"bccprj"};
};

TEST_F(BccProjectReaderTest, OptionsOfASoundFile)
{
    std::string path = write("sound.prj", soundProject());
    BccProjectReader reader;
    struct Row {
        int id;
        int code;
        const char* text;
    } rows[] = {
        {302, err::kSuccess, "C:\\BC\\INCLUDE;..\\inc"},
        {1, err::kSuccess, "-ml"},
        {7, err::kSuccess, ""},
        {2, err::kOptionNotDefined, ""},
        {-1, err::kOptionNotDefined, ""},
        {302 + 65536, err::kOptionNotDefined, ""},
    };
    for (const Row& row : rows) {
        std::string text;
        EXPECT_EQ(reader.option(path, row.id, text), row.code) << row.id;
        EXPECT_EQ(text, row.text) << row.id;
    }
}

TEST_F(BccProjectReaderTest, DamagedFilesAreRefusedCleanly)
{
    const Bytes options = record(50, entry(302, cstr("inc")));
    Bytes textChanged = header();
    textChanged[0] = 't';
    Bytes magicChanged = header();
    magicChanged[25] = 0x13;
    struct Row {
        const char* name;
        Bytes bytes;
        int code;
        const char* text;
    } rows[] = {
        {"sound", header() + options + endRecord(), err::kSuccess, "inc"},
        {"version 6", header(0x0600) + options + endRecord(), err::kNotBorlandProject, ""},
        {"version low byte free", header(0x07FF) + options + endRecord(), err::kSuccess, "inc"},
        {"header text", textChanged + options + endRecord(), err::kNotBorlandProject, ""},
        {"magic bytes", magicChanged + options + endRecord(), err::kNotBorlandProject, ""},
        {"empty file", "", err::kNotBorlandProject, ""},
        {"header cut short", header().substr(0, 31), err::kNotBorlandProject, ""},
        {"header only", header(), err::kNotBorlandProject, ""},
        {"unknown record type", header() + record(11, "") + options + endRecord(), err::kNotBorlandProject, ""},
        {"type 56", header() + record(56, "ab") + options + endRecord(), err::kNotBorlandProject, ""},
        {"end before options", header() + record(10, "") + endRecord() + options, err::kOptionNotDefined, ""},
        {"no options record", header() + record(52, "abc") + endRecord(), err::kOptionNotDefined, ""},
        {"no end record", header() + record(10, "abc"), err::kNotBorlandProject, ""},
        {"record head cut", header() + record(10, "abc") + "\x0A", err::kNotBorlandProject, ""},
        {"record past the end", header() + le16(10) + le16(100) + "short", err::kNotBorlandProject, ""},
        {"options past the end", header() + le16(50) + le16(0xFFFF) + entry(302, cstr("inc")), err::kNotBorlandProject, ""},
        {"entry past its record", header() + record(50, le16(302) + le16(40) + cstr("inc")) + endRecord() +
                                      Bytes(64, 'z'),
         err::kOptionNotDefined, ""},
        {"entry head past its record", header() + record(50, entry(1, "a") + le16(302)) + endRecord(),
         err::kOptionNotDefined, ""},
        {"empty options record", header() + record(50, "") + endRecord(), err::kOptionNotDefined, ""},
        {"text without nul", header() + record(50, entry(302, "inc;lib")) + record(10, "NEXT") + endRecord(),
         err::kSuccess, "inc;lib"},
        {"text stops at nul", header() + record(50, entry(302, Bytes("ab\0cd", 5))) + endRecord(), err::kSuccess, "ab"},
        {"first options record only", header() + record(50, entry(1, "x")) + options + endRecord(),
         err::kOptionNotDefined, ""},
        {"id after other entries", header() + record(50, entry(5, "five") + entry(302, "inc")) + endRecord(), err::kSuccess,
         "inc"},
    };
    for (const Row& row : rows) {
        std::string path = write("case.prj", row.bytes);
        BccProjectReader reader;  // a fresh reader: the file name is the same each time
        std::string text;
        EXPECT_EQ(reader.option(path, 302, text), row.code) << row.name;
        EXPECT_EQ(text, row.text) << row.name;
    }
}

TEST_F(BccProjectReaderTest, MissingFileGivesItsSystemError)
{
    BccProjectReader reader;
    std::string text;
    EXPECT_EQ(reader.option(dir_.file("absent.prj"), 302, text), err::kCannotOpenFile);
    EXPECT_EQ(reader.systemError(), ENOENT);
    EXPECT_FALSE(reader.hasOpenFile());
    EXPECT_EQ(reader.option("", 302, text), err::kBadArgument);
}

TEST_F(BccProjectReaderTest, CallerBuffer)
{
    std::string path = write("sound.prj", soundProject());
    BccProjectReader reader;
    char buffer[32];
    EXPECT_EQ(reader.option(path, 1, buffer, 4), err::kSuccess);
    EXPECT_STREQ(buffer, "-ml");
    EXPECT_EQ(reader.option(path, 1, buffer, 3), err::kBufferTooSmall);
    EXPECT_EQ(reader.neededLength(), 4u);
    EXPECT_STREQ(buffer, "-m");
    buffer[0] = 'q';
    EXPECT_EQ(reader.option(path, 302, buffer, 0), err::kBufferTooSmall);
    EXPECT_EQ(reader.neededLength(), 21u);
    EXPECT_EQ(buffer[0], 'q');
    EXPECT_EQ(reader.option(path, 302, nullptr, 8), err::kBadArgument);
    EXPECT_EQ(reader.option(path, 99, buffer, sizeof buffer), err::kOptionNotDefined);
}

// Counts the opens and the files still open.
class CountingOpener final : public BccFileOpener {
public:
    class File final : public BccFile {
    public:
        File(std::unique_ptr<BccFile> inner, int& openFiles) : inner_(std::move(inner)), openFiles_(openFiles)
        {
            ++openFiles_;
        }
        ~File() override { --openFiles_; }
        std::uint64_t size() override { return inner_->size(); }
        bool readAt(std::uint64_t offset, void* buffer, std::size_t count) override
        {
            return inner_->readAt(offset, buffer, count);
        }

    private:
        std::unique_ptr<BccFile> inner_;
        int& openFiles_;
    };

    std::unique_ptr<BccFile> open(const std::string& path, int& error) override
    {
        ++opens;
        paths.push_back(path);
        std::unique_ptr<BccFile> inner = systemBccFileOpener().open(path, error);
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<File>(std::move(inner), openFiles);
    }

    int opens = 0;
    int openFiles = 0;
    std::vector<std::string> paths;
};

TEST_F(BccProjectReaderTest, FileStaysOpenBetweenQueries)
{
    std::string first = write("first.prj", soundProject());
    std::string second = write("second.prj", header() + record(50, entry(302, cstr("other"))) + endRecord());
    CountingOpener opener;
    BccProjectReader reader(opener);
    std::string text;

    EXPECT_EQ(reader.option(first, 302, text), err::kSuccess);
    EXPECT_EQ(reader.option(first, 1, text), err::kSuccess);
    EXPECT_EQ(reader.option(first, 2, text), err::kOptionNotDefined);
    EXPECT_EQ(opener.opens, 1);

    // Kept open: the data is still there after the name is gone.
    ASSERT_EQ(::unlink(first.c_str()), 0);
    EXPECT_EQ(reader.option(first, 302, text), err::kSuccess);
    EXPECT_EQ(text, "C:\\BC\\INCLUDE;..\\inc");
    EXPECT_EQ(opener.opens, 1);

    // Another file closes the first.
    EXPECT_EQ(reader.option(second, 302, text), err::kSuccess);
    EXPECT_EQ(text, "other");
    EXPECT_EQ(opener.opens, 2);
    EXPECT_EQ(opener.openFiles, 1);

    EXPECT_EQ(reader.done(), err::kSuccess);
    EXPECT_EQ(opener.openFiles, 0);
    EXPECT_EQ(reader.done(), err::kSuccess);
    EXPECT_EQ(reader.option(second, 302, text), err::kSuccess);
    EXPECT_EQ(opener.opens, 3);
}

TEST_F(BccProjectReaderTest, BackslashesInTheNameAndRefusedFilesAreNotKept)
{
    std::string good = write("good.prj", soundProject());
    std::string bad = write("bad.prj", header(0x0600) + endRecord());
    CountingOpener opener;
    BccProjectReader reader(opener);
    std::string text;

    std::string dosName = good;
    for (char& c : dosName) {
        c = c == '/' ? '\\' : c;
    }
    EXPECT_EQ(reader.option(dosName, 1, text), err::kSuccess);
    EXPECT_EQ(reader.option(good, 1, text), err::kSuccess);
    EXPECT_EQ(opener.opens, 1);
    EXPECT_EQ(opener.paths.front(), good);

    EXPECT_EQ(reader.option(bad, 1, text), err::kNotBorlandProject);
    EXPECT_EQ(opener.openFiles, 0);
    EXPECT_FALSE(reader.hasOpenFile());
    EXPECT_EQ(reader.option(bad, 1, text), err::kNotBorlandProject);
    EXPECT_EQ(opener.opens, 3) << "a refused file is opened again on the next query";
}

TEST_F(BccProjectReaderTest, LibraryReaderIsOneForTheProcess)
{
    std::string path = write("sound.prj", soundProject());
    BccProjectReader& reader = libraryBccProjectReader();
    EXPECT_EQ(&reader, &libraryBccProjectReader());
    char buffer[64];
    EXPECT_EQ(reader.option(path, kBccIncludeDirectoriesOption, buffer, sizeof buffer), err::kSuccess);
    EXPECT_STREQ(buffer, "C:\\BC\\INCLUDE;..\\inc");
    EXPECT_TRUE(reader.hasOpenFile());
    EXPECT_EQ(reader.done(), err::kSuccess);
    EXPECT_FALSE(reader.hasOpenFile());
}

}  // namespace
}  // namespace vc
