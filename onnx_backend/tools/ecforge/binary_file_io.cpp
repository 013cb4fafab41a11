// Binary <-> EC binary file: the file layout writer, the writer chosen by file name, and the raw file reader.
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "binary.h"
#include "binary_file.h"
#include "error_core.h"
#include "fatal_report.h"
#include "strkit.h"

namespace EpochController {

namespace Layout = BinaryFileLayout;

namespace {

// Stores the 32-bit field `value` little-endian at byte `j` of `section` and returns the next byte.
std::size_t PutField(std::vector<uint8_t>& section, std::size_t j, ::ECFileEntry value) {
    for (std::size_t i = 0; i < Layout::kFieldSize; ++i) {
        section[j + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return j + Layout::kFieldSize;
}

// Stores `text` and its terminating zero byte at byte `j` and returns the next byte.
std::size_t PutString(std::vector<uint8_t>& section, std::size_t j, std::string const& text) {
    for (char const c : text) {
        section[j++] = static_cast<uint8_t>(c);
    }
    section[j++] = 0;
    return j;
}

// Appends zero bytes up to the section alignment.
void PadSection(std::vector<uint8_t>& section) {
    std::size_t const rest = section.size() % Layout::kSectionAlign;
    if (rest != 0) {
        section.resize(section.size() + Layout::kSectionAlign - rest, 0);
    }
}

bool EndsWith(std::string const& text, std::string const& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Prints the notice that a header was asked to be left out but has to stay.
void WarnHeaderKept(bool has_relocs, bool has_debug) {
    std::string text = "\nWarning: Could not remove header because there ";
    text += (has_relocs && has_debug) ? "are " : "is ";
    if (has_relocs) {
        text += "a relocation table";
    }
    if (has_relocs && has_debug) {
        text += " and ";
    }
    if (has_debug) {
        text += "debug information";
    }
    text += "\n\n";
    fmt::print(stdout, "{}", text);
    std::fflush(stdout);
}

}  // namespace

BinaryFile Binary::GetBinaryFile(bool remove_header) const {
    bool const has_relocs = !reloc_table.empty();
    bool const has_debug = !debug_info.empty();
    ::ECFileEntry const num_words = static_cast<::ECFileEntry>(program.size());

    if (remove_header && (has_relocs || has_debug)) {
        WarnHeaderKept(has_relocs, has_debug);
    }

    if (remove_header && !has_relocs && !has_debug) {
        BinaryFile file(Layout::kProgramWords + Layout::kFieldSize * num_words);
        file.Write(ECFORGE_PROGRAM_MAGIC);
        file.Write(num_words);
        file.Write(program);
        return file;
    }

    // Relocation section: N, the N triples, the offsets arrays, then the names.
    std::vector<uint8_t> reloc_section;
    if (has_relocs) {
        FATAL_IF((::ECFileEntry)reloc_table.size() != reloc_table.size());
        std::size_t const num_ids = reloc_table.size();
        std::vector<::ECFileEntry> array_starts;
        std::vector<::ECFileEntry> name_starts;
        std::size_t next = Layout::kRelocEntriesStart + Layout::kRelocEntrySize * num_ids;
        for (auto r = reloc_table.begin(); r != reloc_table.end(); ++r) {
            FATAL_IF((::ECFileEntry)r->second.size() != r->second.size());
            array_starts.push_back(static_cast<::ECFileEntry>(next));
            next += Layout::kFieldSize * r->second.size();
        }
        for (auto const& entry : reloc_table) {
            name_starts.push_back(static_cast<::ECFileEntry>(next));
            next += entry.first.size() + 1;
        }
        reloc_section.resize(next, 0);

        std::size_t j = PutField(reloc_section, Layout::kRelocCount, static_cast<::ECFileEntry>(num_ids));
        std::size_t k = 0;
        for (auto const& entry : reloc_table) {
            j = PutField(reloc_section, j, name_starts[k]);
            j = PutField(reloc_section, j, static_cast<::ECFileEntry>(entry.second.size()));
            j = PutField(reloc_section, j, array_starts[k]);
            ++k;
        }
        for (auto const& entry : reloc_table) {
            for (uint32_t const offset : entry.second) {
                j = PutField(reloc_section, j, offset);
            }
        }
        for (auto const& entry : reloc_table) {
            j = PutString(reloc_section, j, entry.first);
        }
        FATAL_IF(j != reloc_section.size());
        PadSection(reloc_section);
    }

    // Debug section: K, the K pairs (text offset, word offset), then the texts.
    std::vector<uint8_t> debug_section;
    if (has_debug) {
        FATAL_IF((::ECFileEntry)debug_info.size() != debug_info.size());
        std::size_t const num_entries = debug_info.size();
        std::size_t next = Layout::kDebugEntriesStart + Layout::kDebugEntrySize * num_entries;
        std::vector<::ECFileEntry> text_starts;
        for (auto const& entry : debug_info) {
            text_starts.push_back(static_cast<::ECFileEntry>(next));
            next += entry.second.size() + 1;
        }
        debug_section.resize(next, 0);

        std::size_t j = PutField(debug_section, Layout::kDebugCount, static_cast<::ECFileEntry>(num_entries));
        std::size_t i = 0;
        for (auto const& entry : debug_info) {
            j = PutField(debug_section, j, text_starts[i++]);
            j = PutField(debug_section, j, entry.first);
        }
        for (auto const& entry : debug_info) {
            j = PutString(debug_section, j, entry.second);
        }
        FATAL_IF(j != debug_section.size());
        PadSection(debug_section);
    }

    ::ECFileEntry const reloc_offset = has_relocs ? static_cast<::ECFileEntry>(Layout::kHeaderSize) : 0;
    ::ECFileEntry const debug_offset =
        has_debug ? static_cast<::ECFileEntry>(Layout::kHeaderSize + reloc_section.size()) : 0;
    ::ECFileEntry const program_offset =
        static_cast<::ECFileEntry>(Layout::kHeaderSize + reloc_section.size() + debug_section.size());

    BinaryFile file(program_offset + Layout::kProgramWords + Layout::kFieldSize * num_words);
    file.Write(ECFORGE_BINARY_MAGIC);
    file.Write(reloc_offset);
    file.Write(debug_offset);
    file.Write(program_offset);
    if (has_relocs) {
        FATAL_IF(file.GetPos() != reloc_offset);
        file.Write(reloc_section);
    }
    if (has_debug) {
        FATAL_IF(file.GetPos() != debug_offset);
        file.Write(debug_section);
    }
    // Both sections are padded, so the program section already starts on an 8-byte boundary.
    FATAL_IF((file.GetPos() % 8) != 0);
    file.Write(ECFORGE_PROGRAM_MAGIC);
    file.Write(num_words);
    file.Write(program);
    return file;
}

void Binary::ToFile(std::string const& file_name, bool remove_header) const {
    BinaryFile const file = GetBinaryFile(remove_header);
    if (file_name.size() > 4 && EndsWith(file_name, ".bin")) {
        file.SaveRaw(file_name);
    } else if (file_name.size() > 2 && EndsWith(file_name, ".c")) {
        file.SaveC(file_name, StringUtils::ConvertToId(file_name.substr(0, file_name.size() - 2)));
    } else {
        throw BaseError("Don't know which format to use for dumping binary file to '" + file_name + "' file");
    }
}

namespace {

// Reads the fields of one raw EC binary file; every read reports success instead of throwing,
// so that the caller attaches the message of the field it was reading.
class RawFileReader {
public:
    // The whole file is read at once: the reader jumps between sections and strings, and every
    // jump of a stdio stream drops its buffer and reads it again. It reads to the end instead of
    // trusting the size a seek reports: a directory reports a size no read delivers, a pipe none.
    explicit RawFileReader(std::string const& file_name) {
        FILE* const file = std::fopen(file_name.c_str(), "rb");
        if (file == nullptr) {
            return;
        }
        open = true;
        std::size_t constexpr kChunk = std::size_t{1} << 16;
        for (std::size_t got = kChunk; got == kChunk;) {
            std::size_t const have = bytes.size();
            bytes.resize(have + kChunk);
            got = std::fread(bytes.data() + have, 1, kChunk, file);
            bytes.resize(have + got);
        }
        std::fclose(file);
        string_bytes_left = bytes.size();
    }

    bool IsOpen() const { return open; }

    // Moves to byte `offset` of the file; as with any stream, a position past the end is
    // accepted and the next read fails.
    bool Seek(uint64_t offset) {
        if (offset > static_cast<uint64_t>(LONG_MAX)) {
            return false;
        }
        pos = offset;
        return true;
    }

    // Returns the current byte offset.
    uint64_t Tell() const { return pos; }

    bool ReadField(::ECFileEntry& value) {
        if (Available() < Layout::kFieldSize) {
            pos = bytes.size();
            return false;
        }
        value = FieldAt(static_cast<std::size_t>(pos));
        pos += Layout::kFieldSize;
        return true;
    }

    // Reads up to `count` fields, never more than the file still holds, appending them to
    // `values`; returns the number of complete fields read.
    std::size_t ReadFields(uint64_t count, std::vector<uint32_t>& values) {
        uint64_t const available = Available() / Layout::kFieldSize;
        std::size_t const got = static_cast<std::size_t>(count < available ? count : available);
        values.reserve(values.size() + got);
        for (std::size_t w = 0; w < got; ++w) {
            values.push_back(FieldAt(static_cast<std::size_t>(pos)));
            pos += Layout::kFieldSize;
        }
        return got;
    }

    enum class StringRead { kRead, kEnd, kOverlap };

    // Reads bytes up to, and not including, a zero byte. The names and texts of a file lie in bytes
    // of their own, so all of them together, zero bytes included, fit in the file; a damaged file
    // whose entries point into one long string again and again would otherwise take time and
    // memory that grow with the square of its size.
    StringRead ReadString(std::string& text) {
        text.clear();
        for (;;) {
            if (pos >= bytes.size()) {
                return StringRead::kEnd;
            }
            if (string_bytes_left == 0) {
                return StringRead::kOverlap;
            }
            --string_bytes_left;
            uint8_t const c = bytes[static_cast<std::size_t>(pos++)];
            if (c == 0) {
                return StringRead::kRead;
            }
            text.push_back(static_cast<char>(c));
        }
    }

private:
    uint64_t Available() const { return pos < bytes.size() ? bytes.size() - pos : 0; }

    ::ECFileEntry FieldAt(std::size_t at) const {
        ::ECFileEntry value = 0;
        for (std::size_t i = 0; i < Layout::kFieldSize; ++i) {
            value |= static_cast<::ECFileEntry>(bytes[at + i]) << (8 * i);
        }
        return value;
    }

    bool open = false;
    std::vector<uint8_t> bytes;
    uint64_t pos = 0;
    uint64_t string_bytes_left = 0;
};

}  // namespace

void Binary::FromFile(std::string const& file_name) {
    program.clear();
    reloc_table.clear();
    debug_info.clear();

    std::string const in_file = "' binary file";
    auto fail = [&file_name, &in_file](std::string const& what) {
        throw BaseError(what + " '" + file_name + in_file);
    };
    auto fail_entry = [&file_name, &in_file](std::string const& what, std::size_t i, std::string const& rest) {
        throw BaseError(what + " " + std::to_string(i) + " " + rest + " '" + file_name + in_file);
    };
    auto check_string = [&fail_entry, &file_name, &in_file](RawFileReader::StringRead read, std::string const& what,
                                                            std::size_t i) {
        if (read == RawFileReader::StringRead::kEnd) {
            fail_entry(what, i, "from");
        }
        if (read == RawFileReader::StringRead::kOverlap) {
            throw BaseError(what + " " + std::to_string(i) + " from '" + file_name + in_file +
                            ": identifiers and texts overlap");
        }
    };

    // Opened for reading only: a file that may not be written is still a valid input.
    RawFileReader file(file_name);
    if (!file.IsOpen()) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }

    ::ECFileEntry magic = 0;
    if (!file.ReadField(magic)) {
        fail("Cannot read from");
    }
    if (magic != ECFORGE_BINARY_MAGIC) {
        throw BaseError("Epoch Controller '" + file_name + in_file + " is invalid");
    }

    ::ECFileEntry reloc_offset = 0;
    ::ECFileEntry debug_offset = 0;
    ::ECFileEntry program_offset = 0;
    if (!file.ReadField(reloc_offset)) {
        fail("Cannot read relocation table offset from");
    }
    if (!file.ReadField(debug_offset)) {
        fail("Cannot read debug section offset from");
    }
    if (!file.ReadField(program_offset)) {
        fail("Cannot read program section offset from");
    }
    if (program_offset == 0) {
        throw BaseError("Program section offset in '" + file_name + in_file + " is invalid");
    }

    if (reloc_offset != 0) {
        if (!file.Seek(reloc_offset)) {
            fail("Cannot read relocation table from");
        }
        ::ECFileEntry num_ids = 0;
        if (!file.ReadField(num_ids)) {
            fail("Cannot read relocation table size from");
        }
        for (std::size_t i = 0; i < num_ids; ++i) {
            ::ECFileEntry name_offset = 0;
            ::ECFileEntry num_offsets = 0;
            ::ECFileEntry array_offset = 0;
            if (!file.ReadField(name_offset)) {
                fail_entry("Cannot read offset of identifier of relocation", i, "from");
            }
            if (!file.ReadField(num_offsets)) {
                fail_entry("Cannot read the number of values having relocation", i, "from");
            }
            if (!file.ReadField(array_offset)) {
                fail_entry("Cannot read offset of relocation", i, "from");
            }
            // Every identifier relocates at least one word; an empty set would vanish on the next write.
            if (num_offsets == 0) {
                fail_entry("Relocation", i, "has no offsets in");
            }
            uint64_t const next_entry = file.Tell();

            std::string name;
            if (!file.Seek(uint64_t{reloc_offset} + name_offset)) {
                fail_entry("Cannot read identifier of relocation", i, "from");
            }
            check_string(file.ReadString(name), "Cannot read the identifier of relocation", i);
            if (!file.Seek(uint64_t{reloc_offset} + array_offset)) {
                fail_entry("Cannot read relocation", i, "from");
            }
            std::vector<uint32_t> offsets;
            if (file.ReadFields(num_offsets, offsets) != num_offsets) {
                fail_entry("Cannot read offsets of relocation", i, "from");
            }
            reloc_table[name] = std::set<uint32_t>(offsets.begin(), offsets.end());
            if (!file.Seek(next_entry)) {
                fail("Cannot read newx relocation from");
            }
        }
    }

    if (debug_offset != 0) {
        if (!file.Seek(debug_offset)) {
            fail("Cannot read debug information from");
        }
        ::ECFileEntry num_entries = 0;
        if (!file.ReadField(num_entries)) {
            fail("Cannot read debug section size from");
        }
        std::vector<std::pair<::ECFileEntry, ::ECFileEntry>> entries;
        for (std::size_t i = 0; i < num_entries; ++i) {
            ::ECFileEntry text_offset = 0;
            ::ECFileEntry word_offset = 0;
            if (!file.ReadField(text_offset)) {
                fail_entry("Cannot read offset of string associated with debug information", i, "from");
            }
            if (!file.ReadField(word_offset)) {
                fail_entry("Cannot read offset of instruction associated with debug information", i, "from");
            }
            entries.emplace_back(text_offset, word_offset);
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::string text;
            if (!file.Seek(uint64_t{debug_offset} + entries[i].first)) {
                fail_entry("Cannot read string associated with debug information", i, "from");
            }
            check_string(file.ReadString(text), "Cannot read the string associated with debug information", i);
            debug_info[entries[i].second] = text;
        }
    }

    if (!file.Seek(program_offset)) {
        fail("Cannot read program section from");
    }
    ::ECFileEntry program_magic = 0;
    if (!file.ReadField(program_magic)) {
        fail("Cannot read magic number of Epoch Controller program from");
    }
    if (program_magic != ECFORGE_PROGRAM_MAGIC) {
        fail("Invalid magic number of Epoch Controller program in");
    }
    ::ECFileEntry num_words = 0;
    if (!file.ReadField(num_words)) {
        fail("Cannot read program size from");
    }
    std::size_t const words_read = file.ReadFields(num_words, program);
    if (words_read != num_words) {
        fail("Cannot read program word " + std::to_string(words_read) + " from");
    }
}

}  // namespace EpochController
