// In-memory image of an EC binary file and its raw and C-array writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "ec.h"

namespace EpochController {

// Byte offsets of the fields of an EC binary file. Every field is one little-endian
// ECFileEntry; section-internal offsets count from the start of their own section.
namespace BinaryFileLayout {
constexpr std::size_t kFieldSize = sizeof(::ECFileEntry);
constexpr std::size_t kSectionAlign = 8;  // relocation and debug sections are padded to this

// Header at file offset 0: magic, reloc_offset, debug_offset, program_offset.
constexpr std::size_t kHeaderMagic = 0;
constexpr std::size_t kHeaderRelocOffset = 4;
constexpr std::size_t kHeaderDebugOffset = 8;
constexpr std::size_t kHeaderProgramOffset = 12;
constexpr std::size_t kHeaderSize = 16;

// Relocation section: N, then N triples (name offset, M, offsets-array offset), arrays, names.
constexpr std::size_t kRelocCount = 0;
constexpr std::size_t kRelocEntriesStart = 4;
constexpr std::size_t kRelocEntrySize = 12;

// Debug section: K, then K pairs (text offset, word offset), texts.
constexpr std::size_t kDebugCount = 0;
constexpr std::size_t kDebugEntriesStart = 4;
constexpr std::size_t kDebugEntrySize = 8;

// Program section: ECFORGE_PROGRAM_MAGIC, P, then the P words.
constexpr std::size_t kProgramMagic = 0;
constexpr std::size_t kProgramWordCount = 4;
constexpr std::size_t kProgramWords = 8;
}  // namespace BinaryFileLayout

// A complete EC binary file being built in memory, written front to back; `GetPos` equals
// the size once the image is complete. Owns its buffer; moved, never copied.
class BinaryFile {
public:
    // Creates a zero-filled image of `size` bytes (a non-zero multiple of 4) with the write position at 0.
    explicit BinaryFile(std::size_t size);
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(BinaryFile const&) = delete;
    BinaryFile& operator=(BinaryFile const&) = delete;
    ~BinaryFile() = default;

    // Returns the total byte count of the image.
    std::size_t GetSize() const { return size; }
    // Returns the number of bytes written so far.
    std::size_t GetPos() const;
    // Returns whether every byte of the image has been written.
    bool IsComplete() const { return GetPos() == size; }
    // Returns the image bytes written so far.
    std::vector<uint8_t> GetBytes() const;

    // Writes `num` zero bytes.
    void Pad(unsigned int num);
    // Appends one 32-bit field, little-endian.
    void Write(uint32_t value);
    // Appends bytes as they are.
    void Write(std::vector<uint8_t> const& values);
    // Appends 32-bit fields, each little-endian.
    void Write(std::vector<uint32_t> const& values);

    // Writes the image bytes to `file_name`, replacing its contents.
    void SaveRaw(std::string const& file_name) const;
    // Writes a complete C source file that defines the image as the const array `array_name`.
    void SaveC(std::string const& file_name, std::string const& array_name) const;
    // Writes the image as C text to `os`: optionally the include and length lines, the declaration
    // of `array_name` with `qualifiers`, the values and the closing brace; `values_only` writes the
    // value lines alone.
    void SaveC(std::string const& array_name, std::string const& qualifiers, bool emit_length,
               bool emit_include, bool values_only, std::ostream& os) const;

private:
    // Number of 64-bit words that hold the image.
    std::size_t GetNumWords() const { return (size - 1) / 8 + 1; }
    // Returns the 64-bit word `index`: bytes 8 * index to 8 * index + 7, little-endian.
    uint64_t GetWord(std::size_t index) const;
    // Writes the C text without checking the stream afterwards.
    void WriteC(std::string const& array_name, std::string const& qualifiers, bool emit_length,
                bool emit_include, bool values_only, std::ostream& os) const;

    std::size_t size;
    std::unique_ptr<uint8_t[]> buffer;  // ceil(size / 8) * 8 bytes, so whole 64-bit words can be read
    uint8_t* content;                   // first byte of the image
    uint8_t* pos;                       // next byte to write
};

}  // namespace EpochController
