// Helpers shared by the fuzz targets: a reader that turns fuzz bytes into choices, and a scratch file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace ZunoFuzz {

// Hands out the input bytes as small integers; once the bytes run out every read yields 0, so
// any input, however short, describes one complete case.
class ByteSource {
public:
    ByteSource(uint8_t const* data, std::size_t size) : data(data), size(size) {}

    bool Empty() const { return pos >= size; }
    std::size_t Left() const { return size - pos; }

    uint8_t U8() { return pos < size ? data[pos++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
    bool Bit() { return (U8() & 1) != 0; }
    // A number from 0 to max included.
    uint32_t Below(uint32_t max) { return max == 0 ? 0 : U32() % (max + 1); }

    // The rest of the input as it is.
    std::string Rest() {
        std::string text(reinterpret_cast<char const*>(data + pos), size - pos);
        pos = size;
        return text;
    }

private:
    uint8_t const* data;
    std::size_t size;
    std::size_t pos = 0;
};

// A scratch file private to this process, removed when the process ends normally.
class ScratchFile {
public:
    explicit ScratchFile(char const* suffix) {
        char const* dir = std::getenv("TMPDIR");
        path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/zuno_fuzz_" +
               std::to_string(static_cast<long>(::getpid())) + suffix;
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    ScratchFile(ScratchFile const&) = delete;
    ScratchFile& operator=(ScratchFile const&) = delete;

    std::string const& Path() const { return path; }

    // Replaces the contents with `size` bytes; aborts when that fails, since every later result
    // would be meaningless.
    void Write(void const* bytes, std::size_t size) const {
        FILE* file = std::fopen(path.c_str(), "wb");
        bool const written = file != nullptr && std::fwrite(bytes, 1, size, file) == size;
        if (file == nullptr || std::fclose(file) != 0 || !written) {
            std::fprintf(stderr, "cannot write scratch file %s\n", path.c_str());
            std::abort();
        }
    }

private:
    std::string path;
};

// Stops the run with a message when an invariant of the code under test is broken.
#define ZUNO_FUZZ_CHECK(cond)                                                                       \
    do {                                                                                            \
        if (!(cond)) {                                                                              \
            std::fprintf(stderr, "fuzz invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (0)

}  // namespace ZunoFuzz
