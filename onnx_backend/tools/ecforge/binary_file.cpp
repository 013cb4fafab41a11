// BinaryFile: the in-memory EC binary file image and its raw and C-array writers.
#include "binary_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "error_core.h"
#include "fatal_report.h"

namespace EpochController {

namespace {

// Closes a stdio stream on every path out of a writer; `Close` reports whether the buffered
// bytes reached the file.
class StdioFile {
public:
    StdioFile(std::string const& name, char const* mode) : file(std::fopen(name.c_str(), mode)) {}
    ~StdioFile() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    StdioFile(StdioFile const&) = delete;
    StdioFile& operator=(StdioFile const&) = delete;

    FILE* Get() const { return file; }
    bool Close() {
        FILE* const closing = file;
        file = nullptr;
        return std::fclose(closing) == 0;
    }

private:
    FILE* file;
};

}  // namespace

BinaryFile::BinaryFile(std::size_t size) : size(size) {
    FATAL_IF(size == 0);
    FATAL_IF((size % 4) != 0);
    buffer = std::make_unique<uint8_t[]>(GetNumWords() * 8);  // value-initialised: all zero
    content = buffer.get();
    pos = content;
}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : size(other.size), buffer(std::move(other.buffer)), content(other.content), pos(other.pos) {
    other.size = 0;
    other.content = nullptr;
    other.pos = nullptr;
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        size = other.size;
        buffer = std::move(other.buffer);
        content = other.content;
        pos = other.pos;
        other.size = 0;
        other.content = nullptr;
        other.pos = nullptr;
    }
    return *this;
}

std::size_t BinaryFile::GetPos() const {
    return static_cast<std::size_t>(pos - content);
}

std::vector<uint8_t> BinaryFile::GetBytes() const {
    return std::vector<uint8_t>(content, pos);
}

void BinaryFile::Pad(unsigned int num) {
    FATAL_IF((size_t)((pos + num) - content) > size);
    // The buffer starts zero-filled and is written once, front to back.
    pos += num;
}

namespace {

// Stores `value` at `out` least significant byte first.
template <class T>
void StoreLittleEndian(uint8_t* out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    }
}

}  // namespace

void BinaryFile::Write(uint32_t value) {
    using T = uint32_t;
    FATAL_IF((size_t)((pos + sizeof(T)) - content) > size);
    StoreLittleEndian(pos, value);
    pos += sizeof(T);
}

void BinaryFile::Write(std::vector<uint8_t> const& values) {
    using T = uint8_t;
    FATAL_IF((size_t)((pos + sizeof(T) * values.size()) - content) > size);
    for (uint8_t const value : values) {
        *pos++ = value;
    }
}

void BinaryFile::Write(std::vector<uint32_t> const& values) {
    using T = uint32_t;
    FATAL_IF((size_t)((pos + sizeof(T) * values.size()) - content) > size);
    for (uint32_t const value : values) {
        StoreLittleEndian(pos, value);
        pos += sizeof(T);
    }
}

uint64_t BinaryFile::GetWord(std::size_t index) const {
    uint64_t word = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        word |= static_cast<uint64_t>(content[8 * index + i]) << (8 * i);
    }
    return word;
}

void BinaryFile::SaveRaw(std::string const& file_name) const {
    if (!IsComplete()) {
        throw BaseError("Binary file can be saved to '" + file_name +
                        "' file only after entirely creating its content");
    }
    StdioFile file(file_name, "wb");
    if (file.Get() == nullptr) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }
    for (std::size_t i = 0; i < size; ++i) {
        if (std::fputc(content[i], file.Get()) == EOF) {
            throw BaseError("Cannot write byte " + std::to_string(i) +
                            " of Epoch Controller binary file to '" + file_name + "' file");
        }
    }
    // The last buffered bytes only reach the file here.
    if (!file.Close()) {
        throw BaseError("Cannot write to file '" + file_name + "'");
    }
}

void BinaryFile::SaveC(std::string const& file_name, std::string const& array_name) const {
    if (!IsComplete()) {
        throw BaseError("Binary file can be saved to '" + file_name +
                        "' file only after entirely creating its content");
    }
    std::ofstream os(file_name, std::ios::out | std::ios::trunc);
    if (!os.is_open()) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }
    WriteC(array_name, "const", true, true, false, os);
    os.close();
    if (os.fail()) {
        throw BaseError("Cannot write to file '" + file_name + "'");
    }
}

void BinaryFile::SaveC(std::string const& array_name, std::string const& qualifiers, bool emit_length,
                       bool emit_include, bool values_only, std::ostream& os) const {
    if (!IsComplete()) {
        throw BaseError("Binary file can be saved only after entirely creating its content");
    }
    WriteC(array_name, qualifiers, emit_length, emit_include, values_only, os);
    if (os.fail()) {
        throw BaseError("Cannot write binary file to the output stream");
    }
}

void BinaryFile::WriteC(std::string const& array_name, std::string const& qualifiers, bool emit_length,
                        bool emit_include, bool values_only, std::ostream& os) const {
    std::size_t const num_words = GetNumWords();
    if (!values_only) {
        if (emit_include) {
            os << "#include <stdint.h>" << std::endl << std::endl;
        }
        if (emit_length) {
            fmt::print(os, "{} unsigned int {}_len = {};", qualifiers, array_name, num_words);
            os << std::endl << std::endl;
        }
        fmt::print(os, "{} uint64_t {} [] =", qualifiers, array_name);
        os << std::endl;
        os << "{";
    }
    // The values are formatted into memory and written in large blocks: a stream flush or a
    // formatted stream write per value would make a large image cost far more than its bytes.
    fmt::memory_buffer text;
    constexpr std::size_t kBlockBytes = 1 << 16;
    for (std::size_t j = 0; j < num_words; ++j) {
        if (j % 4 == 0) {
            text.append(std::string_view("\n "));
        }
        fmt::format_to(std::back_inserter(text), " 0x{:016x}UL", GetWord(j));
        if (j + 1 != num_words) {
            text.push_back(',');
        }
        if (text.size() >= kBlockBytes) {
            os.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    os.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!values_only) {
        os << std::endl << "};" << std::endl << std::endl;
    }
    // The caller checks the stream next; a write error shows only once the bytes are pushed out.
    os.flush();
}

}  // namespace EpochController
