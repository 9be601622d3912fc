// Fuzz target: arbitrary bytes as a Borland project file, read from memory,
// queried for a few option ids.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "vc/bccprj/bcc_project_reader.h"

namespace {

class MemoryFile final : public vc::BccFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() override { return size_; }
    bool readAt(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        if (offset > size_ || count > size_ - offset) {
            return false;
        }
        std::memcpy(buffer, data_ + offset, count);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

class MemoryOpener final : public vc::BccFileOpener {
public:
    MemoryOpener(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::unique_ptr<vc::BccFile> open(const std::string&, int&) override
    {
        return std::make_unique<MemoryFile>(data_, size_);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemoryOpener opener(data, size);
    vc::BccProjectReader reader(opener);
    char buffer[16];
    for (int id : {0, 1, 302, 0xFFFF}) {
        reader.option("fuzz.prj", id, buffer, sizeof buffer);
    }
    reader.done();
    return 0;
}
