// Host generator of <net>_reloc_expect.h: reads the EC images of a recorded blob header with ecforge
// and writes what the device must hold after the header's init functions ran, phase by phase.
//   reloc_expect_gen <blob header> <network name> <output header>
// Linked with the network's memory-pool table, which says per relocation symbol whether it moves
// per inference and where the pool lies.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "binary.h"
#include "binary_file.h"
#include "ec.h"
#include "ecscribe.h"
#include "error_core.h"

namespace {

using EpochController::Binary;
namespace Layout = EpochController::BinaryFileLayout;

constexpr unsigned kPhases = 3;
// Moves of the per-inference pools in phases 1 and 2: up by an odd amount, then below the first address.
constexpr uint32_t kMoveUp = 0x00123450u;
constexpr uint32_t kMoveDown = 0x00010040u;

// One constant array of the header: its name, its 64-bit values and its exact text.
struct HeaderArray {
    std::string name;
    std::vector<uint64_t> values;
    std::string text;
};

struct HeaderContents {
    std::vector<HeaderArray> arrays;
    std::map<std::string, uint32_t> runtime_elements;  // runtime copy name -> 64-bit elements
};

struct Pool {
    std::string name;
    std::string base_symbol;
    bool per_inference = false;
    uint32_t bases[kPhases] = {};
};

struct RelocatedWord {
    uint32_t offset = 0;
    unsigned pool = 0;
    uint32_t values[kPhases] = {};
};

std::string ReadText(std::string const& file_name) {
    std::ifstream in(file_name, std::ios::binary);
    if (!in) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Collects the header's constant arrays (as written by BinaryFile::SaveC) and runtime copy sizes.
HeaderContents ParseHeader(std::string const& file_name) {
    static std::regex const const_decl(R"(^static const uint64_t (\w+) \[\] =$)");
    static std::regex const runtime_decl(R"(^static uint64_t (\w+)\[(\d+)\];$)");
    static std::regex const value(R"(0x([0-9a-f]{16})UL)");

    std::istringstream in(ReadText(file_name));
    HeaderContents contents;
    std::string line;
    unsigned line_no = 0;
    std::smatch match;
    while (std::getline(in, line)) {
        ++line_no;
        if (std::regex_match(line, match, runtime_decl)) {
            contents.runtime_elements[match[1]] = static_cast<uint32_t>(std::stoul(match[2]));
            continue;
        }
        if (!std::regex_match(line, match, const_decl)) {
            continue;
        }
        HeaderArray array;
        array.name = match[1];
        array.text = line + "\n";
        bool closed = false;
        while (!closed && std::getline(in, line)) {
            ++line_no;
            array.text += line + "\n";
            closed = line == "};";
            for (auto it = std::sregex_iterator(line.begin(), line.end(), value); it != std::sregex_iterator(); ++it) {
                array.values.push_back(std::stoull((*it)[1].str(), nullptr, 16));
            }
        }
        if (!closed) {
            throw BaseError("Array '" + array.name + "' of '" + file_name + "' is not closed before the end of the file");
        }
        if (array.values.empty()) {
            throw BaseError(fmt::format("Array '{}' of '{}' holds no value (line {})", array.name, file_name, line_no));
        }
        // SaveC closes every array with one empty line.
        array.text += "\n";
        contents.arrays.push_back(std::move(array));
    }
    return contents;
}

std::vector<uint8_t> ToBytes(std::vector<uint64_t> const& values) {
    std::vector<uint8_t> bytes;
    for (uint64_t v : values) {
        for (unsigned i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    return bytes;
}

uint32_t FieldAt(std::vector<uint8_t> const& bytes, std::size_t offset) {
    uint32_t field = 0;
    for (unsigned i = 0; i < 4; ++i) {
        field |= static_cast<uint32_t>(bytes.at(offset + i)) << (8 * i);
    }
    return field;
}

void PutField(std::vector<uint8_t>& bytes, uint32_t field) {
    for (unsigned i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(field >> (8 * i)));
    }
}

// Reads an image through ecforge's file reader; a header-less program section gets an empty header first.
Binary ReadImage(std::vector<uint8_t> const& image, bool has_header, std::string const& scratch_file) {
    std::vector<uint8_t> file;
    if (!has_header) {
        PutField(file, ECFORGE_BINARY_MAGIC);
        PutField(file, 0);
        PutField(file, 0);
        PutField(file, static_cast<uint32_t>(Layout::kHeaderSize));
    }
    file.insert(file.end(), image.begin(), image.end());
    // ecforge reads images from files; the scratch file goes away whether or not it reads.
    struct ScratchFile {
        std::string const& name;
        ~ScratchFile() { std::remove(name.c_str()); }
    } const scratch{scratch_file};
    {
        std::ofstream out(scratch_file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (!out) {
            throw BaseError("Cannot write file '" + scratch_file + "'");
        }
    }
    Binary binary;
    binary.FromFile(scratch_file);
    return binary;
}

// The header's array text must be exactly what ecforge writes for the binary it read back.
void CheckRoundTrip(HeaderArray const& array, Binary const& binary, bool has_header) {
    std::ostringstream text;
    binary.GetBinaryFile(!has_header).SaveC(array.name, "static const", false, false, false, text);
    if (text.str() != array.text) {
        throw BaseError("Array '" + array.name + "' is not the image ecforge writes for the binary it holds");
    }
}

uint32_t Hash(std::vector<uint32_t> const& words) {
    uint32_t hash = 2166136261u;
    for (uint32_t word : words) {
        for (unsigned shift = 0; shift < 32; shift += 8) {
            hash = (hash ^ ((word >> shift) & 0xFFu)) * 16777619u;
        }
    }
    return hash;
}

unsigned FindOrAddPool(std::vector<Pool>& pools, std::string const& symbol, std::string const& blob) {
    for (unsigned i = 0; i < pools.size(); ++i) {
        if (pools[i].name == symbol) {
            return i;
        }
    }
    mpool_reloc_info_t const* row = mpool_reloc_info;
    while (row->name != nullptr && symbol != row->name) {
        ++row;
    }
    if (row->name == nullptr || row->base_symbol == nullptr) {
        throw BaseError("Relocation symbol '" + symbol + "' of " + blob + " has no pool with a base symbol");
    }
    if (row->is_absolute != 0) {
        throw BaseError("Relocation symbol '" + symbol + "' of " + blob + " names an absolute pool");
    }
    if (row->base_addr > 0xFFFFFFFFu) {
        throw BaseError("Pool '" + symbol + "' lies beyond 32-bit addresses");
    }
    Pool pool;
    pool.name = symbol;
    pool.base_symbol = row->base_symbol;
    pool.per_inference = row->is_per_inference != 0;
    uint32_t const first = static_cast<uint32_t>(row->base_addr);
    pool.bases[0] = first;
    pool.bases[1] = pool.per_inference ? first + kMoveUp : first;
    pool.bases[2] = pool.per_inference ? first - kMoveDown : first;
    pools.push_back(pool);
    return static_cast<unsigned>(pools.size() - 1);
}

struct RelocatableBlob {
    std::string name;
    uint32_t elements = 0;
    uint32_t program_words = 0;
    uint32_t program_index = 0;
    bool per_inference = false;
    std::vector<RelocatedWord> words;
    uint32_t hashes[kPhases] = {};
};

struct ConstantBlob {
    std::string name;
    uint32_t program_words = 0;
    uint32_t hash = 0;
};

RelocatableBlob DescribeRelocatable(HeaderArray const& array, HeaderContents const& contents,
                                    std::vector<Pool>& pools, std::string const& scratch_file) {
    static std::string const suffix = "_reloc";
    if (array.name.size() <= suffix.size() ||
        array.name.compare(array.name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        throw BaseError("Array '" + array.name + "' holds a file header but is not named <blob>_reloc");
    }
    RelocatableBlob blob;
    blob.name = array.name.substr(0, array.name.size() - suffix.size());
    auto const runtime = contents.runtime_elements.find(blob.name);
    if (runtime == contents.runtime_elements.end()) {
        throw BaseError("Relocatable blob " + blob.name + " has no runtime copy");
    }
    blob.elements = runtime->second;

    std::vector<uint8_t> const bytes = ToBytes(array.values);
    Binary const binary = ReadImage(bytes, true, scratch_file);
    CheckRoundTrip(array, binary, true);
    if (binary.GetRelocTable().empty()) {
        throw BaseError("Relocatable blob " + blob.name + " has no relocation symbol");
    }
    std::vector<uint32_t> const& program = binary.GetProgram();
    blob.program_words = static_cast<uint32_t>(program.size());
    blob.program_index = static_cast<uint32_t>(FieldAt(bytes, Layout::kHeaderProgramOffset) / Layout::kFieldSize + 2);
    if (blob.program_words + 2 > 2 * blob.elements) {
        throw BaseError(fmt::format("{} words of {} do not fit its runtime copy of {} elements",
                                    blob.program_words + 2, blob.name, blob.elements));
    }

    // Every relocation of a freshly copied program starts from a previous base of 0, so a word ends
    // up as its recorded value plus the base of each symbol that lists it.
    std::map<uint32_t, RelocatedWord> by_offset;
    for (auto const& [symbol, offsets] : binary.GetRelocTable()) {
        unsigned const pool = FindOrAddPool(pools, symbol, blob.name);
        blob.per_inference = blob.per_inference || pools[pool].per_inference;
        for (uint32_t offset : offsets) {
            if (offset >= blob.program_words) {
                throw BaseError(fmt::format("Relocation '{}' of {} names word {} beyond its {} words", symbol,
                                            blob.name, offset, blob.program_words));
            }
            auto [it, added] = by_offset.try_emplace(offset);
            RelocatedWord& word = it->second;
            if (added) {
                word.offset = offset;
                word.pool = pool;
                for (unsigned phase = 0; phase < kPhases; ++phase) {
                    word.values[phase] = program[offset];
                }
            }
            for (unsigned phase = 0; phase < kPhases; ++phase) {
                word.values[phase] += pools[pool].bases[phase];
            }
        }
    }
    for (unsigned phase = 0; phase < kPhases; ++phase) {
        std::vector<uint32_t> runtime_words(2 * blob.elements, 0);
        runtime_words[0] = ECFORGE_PROGRAM_MAGIC;
        runtime_words[1] = blob.program_words;
        for (uint32_t w = 0; w < blob.program_words; ++w) {
            runtime_words[w + 2] = program[w];
        }
        for (auto const& entry : by_offset) {
            runtime_words[entry.first + 2] = entry.second.values[phase];
        }
        blob.hashes[phase] = Hash(runtime_words);
    }
    for (auto const& entry : by_offset) {
        blob.words.push_back(entry.second);
    }
    return blob;
}

ConstantBlob DescribeConstant(HeaderArray const& array, std::string const& scratch_file) {
    std::vector<uint8_t> const bytes = ToBytes(array.values);
    Binary const binary = ReadImage(bytes, false, scratch_file);
    CheckRoundTrip(array, binary, false);
    ConstantBlob blob;
    blob.name = array.name;
    blob.program_words = static_cast<uint32_t>(binary.GetProgram().size());
    std::vector<uint32_t> words = {ECFORGE_PROGRAM_MAGIC, blob.program_words};
    words.insert(words.end(), binary.GetProgram().begin(), binary.GetProgram().end());
    blob.hash = Hash(words);
    return blob;
}

std::string Hex(uint32_t value) {
    return fmt::format("0x{:08x}u", value);
}

std::string Render(std::string const& net, std::string const& header_name, std::vector<Pool> const& pools,
                   std::vector<RelocatableBlob> const& relocatable, std::vector<ConstantBlob> const& constant) {
    std::string guard;
    for (char c : net) {
        guard += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    guard += "_RELOC_EXPECT_H";
    std::string out;
    out += fmt::format("/* What the device holds after the init functions of {} ran, computed on the host. */\n",
                       header_name);
    out += "/* Generated by reloc_expect_gen from the images of the blob header and the network's pool table.\n";
    out += " * Include it before the blob header (it defines the pools' base symbols) and expand the blob\n";
    out += " * lists after it (they name the header's arrays). */\n";
    out += fmt::format("#ifndef {0}\n#define {0}\n\n", guard);
    out += "#include <stddef.h>\n#include <stdint.h>\n\n#include \"reloc_expect.h\"\n\n";

    out += "/* Base symbols of the relocatable pools, at their first address. */\n";
    for (Pool const& pool : pools) {
        out += fmt::format("static unsigned char *{} = (unsigned char *)(uintptr_t){};\n", pool.base_symbol,
                           Hex(pool.bases[0]));
    }
    out += "\n";
    out += fmt::format("#define {}_NUM_POOLS {}u\n", net, pools.size());
    if (pools.empty()) {
        out += fmt::format("#define {}_POOLS NULL\n\n", net);
    } else {
        out += fmt::format("#define {0}_POOLS {0}_expect_pools\n", net);
        out += "/* name, base symbol, moves per inference, address in each phase */\n";
        out += fmt::format("static const RelocExpectPool {}_expect_pools[{}] = {{\n", net, pools.size());
        for (Pool const& pool : pools) {
            out += fmt::format("  {{ \"{}\", &{}, {}, {{ {}, {}, {} }} }},\n", pool.name, pool.base_symbol,
                               pool.per_inference ? "true" : "false", Hex(pool.bases[0]), Hex(pool.bases[1]),
                               Hex(pool.bases[2]));
        }
        out += "};\n\n";
    }

    for (RelocatableBlob const& blob : relocatable) {
        out += "/* word offset, pool, value in each phase */\n";
        out += fmt::format("static const RelocExpectWord {}_expect_words[{}] = {{\n", blob.name, blob.words.size());
        for (RelocatedWord const& word : blob.words) {
            out += fmt::format("  {{ {}u, {}u, {{ {}, {}, {} }} }},\n", word.offset, word.pool, Hex(word.values[0]),
                               Hex(word.values[1]), Hex(word.values[2]));
        }
        out += "};\n\n";
    }

    out += "/* X(blob, runtime elements, program words, image index of the first program word,\n";
    out += " *   relocated per inference, relocated words, hash of the runtime copy in each phase) */\n";
    out += fmt::format("#define {}_NUM_RELOCATABLE_BLOBS {}u\n", net, relocatable.size());
    out += fmt::format("#define {}_RELOCATABLE_BLOBS(X)", net);
    for (RelocatableBlob const& blob : relocatable) {
        out += fmt::format(" \\\n  X({}, {}u, {}u, {}u, {}, {}u, {}, {}, {})", blob.name, blob.elements,
                           blob.program_words, blob.program_index, blob.per_inference ? "true" : "false",
                           blob.words.size(), Hex(blob.hashes[0]), Hex(blob.hashes[1]), Hex(blob.hashes[2]));
    }
    out += "\n\n";
    out += "/* X(blob, program words, hash of the program section) */\n";
    out += fmt::format("#define {}_NUM_CONSTANT_BLOBS {}u\n", net, constant.size());
    out += fmt::format("#define {}_CONSTANT_BLOBS(X)", net);
    for (ConstantBlob const& blob : constant) {
        out += fmt::format(" \\\n  X({}, {}u, {})", blob.name, blob.program_words, Hex(blob.hash));
    }
    out += "\n\n";
    out += fmt::format("#endif /* {} */\n", guard);
    return out;
}

void Generate(std::string const& header_file, std::string const& net, std::string const& output_file) {
    HeaderContents const contents = ParseHeader(header_file);
    if (contents.arrays.empty()) {
        throw BaseError("No blob array in '" + header_file + "'");
    }
    std::string const scratch_file = output_file + ".image.tmp";
    std::vector<Pool> pools;
    std::vector<RelocatableBlob> relocatable;
    std::vector<ConstantBlob> constant;
    for (HeaderArray const& array : contents.arrays) {
        uint32_t const magic = static_cast<uint32_t>(array.values.front());
        if (magic == ECFORGE_BINARY_MAGIC) {
            relocatable.push_back(DescribeRelocatable(array, contents, pools, scratch_file));
        } else if (magic == ECFORGE_PROGRAM_MAGIC) {
            constant.push_back(DescribeConstant(array, scratch_file));
        } else {
            throw BaseError(fmt::format("Array '{}' starts with 0x{:08x}, neither an EC file nor a program", array.name,
                                        magic));
        }
    }
    std::string const header_name = header_file.substr(header_file.find_last_of('/') + 1);
    std::string const text = Render(net, header_name, pools, relocatable, constant);
    std::ofstream out(output_file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::remove(output_file.c_str());
        throw BaseError("Cannot write file '" + output_file + "'");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <blob header> <network name> <output header>\n", argv[0]);
        return 2;
    }
    try {
        Generate(argv[1], argv[2], argv[3]);
    } catch (BaseError const& error) {
        for (std::string const& msg : error.GetMsgs()) {
            std::fprintf(stderr, "%s\n", msg.c_str());
        }
        return 1;
    }
    return 0;
}
