// Borland project-file option reader: header check, record walk and the
// option entries of record 50, with every length checked against its holder.
#include "vc/bccprj/bcc_project_reader.h"
#include "platform/sys/system_calls.h"

#include "platform/fs/path_separators.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vc {
namespace {

constexpr unsigned char kSignature[30] = {
    'T', 'u', 'r', 'b', 'o', ' ', 'C', ' ', 'P', 'r', 'o', 'j', 'e', 'c', 't',
    ' ', 'F', 'i', 'l', 'e', ' ', 0x1A, 0x00,
    0x01, 0x0D, 0x12, 0x17, 0x01, 0x1A, 0x00,
};
constexpr std::uint64_t kVersionOffset = 30;
constexpr std::uint64_t kFirstRecord = 32;
constexpr unsigned kVersionHighByte = 7;
constexpr unsigned kOptionsRecord = 50;
constexpr unsigned kEndRecord = 0xFFFF;

unsigned le16(const unsigned char* bytes) { return bytes[0] | (bytes[1] << 8); }

bool isKnownRecord(unsigned type)
{
    return type == 10 || (type >= 50 && type <= 55) || type == kEndRecord;
}

class SystemFile final : public BccFile {
public:
    explicit SystemFile(int fd) : fd_(fd) {}
    ~SystemFile() override { orv::sys::calls().close(fd_); }
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;

    std::uint64_t size() override
    {
        struct stat status {};
        return orv::sys::calls().fstat(fd_, &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    }

    bool readAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        while (count > 0) {
            ssize_t got = orv::sys::calls().pread(fd_, out, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            out += got;
            offset += static_cast<std::uint64_t>(got);
            count -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int fd_;
};

class SystemOpener final : public BccFileOpener {
public:
    std::unique_ptr<BccFile> open(const std::string& path, int& error) override
    {
        int fd = orv::sys::calls().open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        return std::make_unique<SystemFile>(fd);
    }
};

}  // namespace

BccFileOpener& systemBccFileOpener()
{
    static SystemOpener opener;
    return opener;
}

BccProjectReader& libraryBccProjectReader()
{
    static BccProjectReader reader;
    return reader;
}

BccProjectReader::BccProjectReader(BccFileOpener& opener) : opener_(opener) {}

int BccProjectReader::done()
{
    file_.reset();
    path_.clear();
    return err::kSuccess;
}

int BccProjectReader::openProject(const std::string& path)
{
    done();
    int error = 0;
    std::unique_ptr<BccFile> file = opener_.open(path, error);
    if (!file) {
        systemError_ = error;
        return err::kCannotOpenFile;
    }
    unsigned char header[kFirstRecord];
    if (!file->readAt(0, header, sizeof header) || std::memcmp(header, kSignature, sizeof kSignature) != 0 ||
        (le16(header + kVersionOffset) >> 8) != kVersionHighByte) {
        return err::kNotBorlandProject;
    }
    file_ = std::move(file);
    path_ = path;
    return err::kSuccess;
}

int BccProjectReader::findOption(int optionId, std::string& text)
{
    const std::uint64_t size = file_->size();
    std::uint64_t position = kFirstRecord;
    while (true) {
        unsigned char head[4];
        if (position + sizeof head > size || !file_->readAt(position, head, sizeof head)) {
            return err::kNotBorlandProject;  // the file ends without its end record
        }
        unsigned type = le16(head);
        unsigned length = le16(head + 2);
        if (!isKnownRecord(type)) {
            return err::kNotBorlandProject;
        }
        if (type == kEndRecord) {
            return err::kOptionNotDefined;
        }
        std::uint64_t data = position + sizeof head;
        if (data + length > size) {
            return err::kNotBorlandProject;
        }
        if (type == kOptionsRecord) {
            std::vector<unsigned char> record(length);
            if (length > 0 && !file_->readAt(data, record.data(), length)) {
                return err::kNotBorlandProject;
            }
            std::size_t at = 0;
            while (at + 4 <= record.size()) {
                unsigned id = le16(&record[at]);
                std::size_t entryLength = le16(&record[at + 2]);
                at += 4;
                if (entryLength > record.size() - at) {
                    return err::kOptionNotDefined;  // the entry runs past its record
                }
                if (static_cast<int>(id) == optionId) {
                    const char* begin = reinterpret_cast<const char*>(&record[at]);
                    const void* nul = std::memchr(begin, 0, entryLength);
                    text.assign(begin, nul ? static_cast<const char*>(nul) - begin : entryLength);
                    return err::kSuccess;
                }
                at += entryLength;
            }
            return err::kOptionNotDefined;
        }
        position = data + length;
    }
}

int BccProjectReader::option(std::string_view projectFile, int optionId, std::string& text)
{
    if (projectFile.empty()) {
        return err::kBadArgument;
    }
    const std::string path = orv::fs::forward_slashes(projectFile);
    if (!file_ || path != path_) {
        if (int code = openProject(path); code != err::kSuccess) {
            return code;
        }
    }
    return findOption(optionId, text);
}

int BccProjectReader::option(std::string_view projectFile, int optionId, char* buffer, std::size_t length)
{
    if (buffer == nullptr) {
        return err::kBadArgument;
    }
    std::string text;
    if (int code = option(projectFile, optionId, text); code != err::kSuccess) {
        return code;
    }
    if (text.size() + 1 > length) {
        neededLength_ = text.size() + 1;
        if (length > 0) {
            std::memcpy(buffer, text.data(), length - 1);
            buffer[length - 1] = '\0';
        }
        return err::kBufferTooSmall;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return err::kSuccess;
}

}  // namespace vc
