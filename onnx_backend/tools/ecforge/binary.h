// Binary: an encoded Epoch Controller program with its relocation table and debug information.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace EpochController {

class BinaryFile;

class Binary {
public:
    // Relocation identifier -> ascending word offsets whose value is relative to that symbol.
    // Identifiers are ordered byte-wise; the position of an identifier in this order is its
    // relocation index.
    using RelocTable = std::map<std::string, std::set<uint32_t>>;
    // Word offset -> text attached to the instruction starting there (or to the program end).
    using DebugInfo = std::map<uint32_t, std::string>;

    // Relocation index returned for an identifier that is not in the table.
    static constexpr unsigned int kNoRelocIdx = 0xFFFFFFFFu;

    // Builds an empty image.
    Binary() = default;

    // Return the program words, the relocation table and the debug information.
    std::vector<uint32_t> const& GetProgram() const { return program; }
    RelocTable const& GetRelocTable() const { return reloc_table; }
    DebugInfo const& GetDebugInfo() const { return debug_info; }

    // Returns the relocation index of `reloc_id`, or kNoRelocIdx.
    unsigned int GetRelocIdx(std::string const& reloc_id) const;
    // Returns the identifier with relocation index `idx`, or an empty string.
    std::string const& GetRelocId(unsigned int idx) const;
    // Returns the first identifier, in identifier order, whose offsets hold `offset`, or an empty string.
    std::string const& FindRelocId(uint32_t offset) const;

    // Appends one program word and returns its offset.
    uint32_t AddWord(uint32_t word);
    // Records that the word at `offset` is relative to `reloc_id` (created on first use).
    void AddReloc(std::string const& reloc_id, uint32_t offset);
    // Attaches `text` to `offset`, joining it to an existing text with a line feed.
    void AddDebugInfo(unsigned int offset, std::string const& text);

    // Returns the full dump: program words, relocation table and debug information under headings.
    std::string ToString(std::string const& prefix) const;
    // Returns one line per instruction: the first word in binary, the other words in hexadecimal.
    std::string ProgramToString(std::string const& prefix) const;
    // Returns one line per relocation identifier with its offsets.
    std::string RelocTableToString(std::string const& prefix) const;
    // Returns one line per debug entry with its offset and text.
    std::string DebugInfoToString(std::string const& prefix) const;

    // Lays the image out as an EC binary file, without the header when `remove_header` and
    // both tables are empty.
    BinaryFile GetBinaryFile(bool remove_header) const;
    // Writes the image as a raw (".bin") or C-array (".c") EC binary file.
    void ToFile(std::string const& file_name, bool remove_header) const;
    // Replaces the contents with those of a raw EC binary file.
    void FromFile(std::string const& file_name);

private:
    std::vector<uint32_t> program;
    RelocTable reloc_table;
    DebugInfo debug_info;
};

}  // namespace EpochController
