// File kinds of the ecforge tool, their validators, program loading, and output writing that leaves nothing behind on failure.
#include "file_formats.h"

#include <sys/stat.h>

#include <cstdio>

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

EpochController::Program LoadProgram(std::string const& file_name, FileFormat format) {
    EpochController::Program program;
    if (format == FileFormat::kAssembly) {
        program.FromAsm(file_name);
    } else {
        program.FromBinaryFile(file_name);
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
