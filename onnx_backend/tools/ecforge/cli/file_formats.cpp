// File kinds of the ecforge tool, their validators, program loading, and output writing that leaves nothing behind on failure.
#include "file_formats.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "ec.h"

#include "binary.h"
#include "error_core.h"

namespace EcforgeCli {

namespace {

bool EndsWith(std::string const& text, std::string const& suffix) {
    return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Tells whether `file_name` is absent or a regular file: the only outputs that may be removed.
bool IsRemovable(std::string const& file_name) {
    struct stat info {};
    if (::stat(file_name.c_str(), &info) != 0) {
        return true;
    }
    return S_ISREG(info.st_mode);
}

}  // namespace

FileFormat FormatOf(std::string const& file_name) {
    if (EndsWith(file_name, ".bin")) {
        return FileFormat::kRaw;
    }
    if (EndsWith(file_name, ".c")) {
        return FileFormat::kCSource;
    }
    if (EndsWith(file_name, ".s")) {
        return FileFormat::kAssembly;
    }
    return FileFormat::kUnknown;
}

CLI::Validator FormatValidator(std::vector<FileFormat> const& accepted, std::string const& description) {
    return CLI::Validator(
        [accepted, description](std::string& file_name) -> std::string {
            FileFormat const format = FormatOf(file_name);
            for (FileFormat const ok : accepted) {
                if (format == ok) {
                    return "";
                }
            }
            return "'" + file_name + "' is not " + description;
        },
        description);
}

void WriteOutput(std::string const& file_name, std::function<void()> const& write) {
    bool const removable = IsRemovable(file_name);
    try {
        write();
    } catch (BaseError const&) {
        if (removable && IsRemovable(file_name)) {
            std::remove(file_name.c_str());
        }
        throw;
    }
}

namespace {

// Returns the little-endian 32-bit field at byte `at`.
uint32_t FieldAt(std::vector<uint8_t> const& bytes, std::size_t at) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

// Reads the first `count` bytes of the file, fewer when it is shorter.
std::vector<uint8_t> ReadHead(std::string const& file_name, std::size_t count) {
    std::vector<uint8_t> bytes(count);
    FILE* const file = std::fopen(file_name.c_str(), "rb");
    if (file == nullptr) {
        return {};
    }
    bytes.resize(std::fread(bytes.data(), 1, count, file));
    std::fclose(file);
    return bytes;
}

}  // namespace

EpochController::Binary LoadBinary(std::string const& file_name) {
    EpochController::Binary binary;
    std::vector<uint8_t> const head = ReadHead(file_name, 4);
    if (head.size() < 4 || FieldAt(head, 0) != ECFORGE_PROGRAM_MAGIC) {
        binary.FromFile(file_name);
        return binary;
    }
    // A header-less image is the program section alone: magic, word count, words.
    std::ifstream in(file_name, std::ios::binary);
    std::vector<uint8_t> const bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 8) {
        throw BaseError("Cannot read program size from '" + file_name + "' binary file");
    }
    uint32_t const num_words = FieldAt(bytes, 4);
    std::size_t const present = (bytes.size() - 8) / 4;
    for (std::size_t w = 0; w < num_words; ++w) {
        if (w == present) {
            throw BaseError("Cannot read program word " + std::to_string(w) + " from '" + file_name +
                            "' binary file");
        }
        binary.AddWord(FieldAt(bytes, 8 + 4 * w));
    }
    return binary;
}

EpochController::Program LoadProgram(std::string const& file_name, FileFormat format) {
    EpochController::Program program;
    if (format == FileFormat::kAssembly) {
        program.FromAsm(file_name);
    } else {
        program.FromBinary(LoadBinary(file_name));
    }
    return program;
}

void WriteTextFile(std::string const& file_name, std::string const& text) {
    FILE* const file = std::fopen(file_name.c_str(), "w");
    if (file == nullptr) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }
    bool const written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    bool const closed = std::fclose(file) == 0;
    if (!written || !closed) {
        throw BaseError("Cannot write to file '" + file_name + "'");
    }
}

void WriteStdout(std::string const& text) {
    bool const written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (!written || std::fflush(stdout) != 0) {
        throw BaseError("Cannot write to the standard output");
    }
}

}  // namespace EcforgeCli
