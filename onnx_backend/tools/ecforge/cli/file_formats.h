// File kinds of the ecforge tool chosen by extension, their option validators, and output that is kept only on success.
#pragma once

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "binary.h"
#include "program.h"

namespace EcforgeCli {

enum class FileFormat {
    kAssembly,  // ".s": EC assembly text
    kRaw,       // ".bin": raw EC binary file
    kCSource,   // ".c": EC binary file as a C array
    kUnknown,
};

// Returns the format that the extension of `file_name` names (case-sensitive, as the binary
// writer decides between ".bin" and ".c").
FileFormat FormatOf(std::string const& file_name);

// Returns a validator that accepts file names whose format is one of `accepted`; `description`
// names them in the usage message.
CLI::Validator FormatValidator(std::vector<FileFormat> const& accepted, std::string const& description);

// Runs `write`, which creates `file_name`. When it throws, the partial output is removed
// (regular files only, never a device) and the error goes on.
void WriteOutput(std::string const& file_name, std::function<void()> const& write);

// Reads a raw EC binary file, or a header-less program image such as `asm --no-header` writes.
EpochController::Binary LoadBinary(std::string const& file_name);

// Reads a program from an assembly file or a raw EC binary file (with or without header), by
// the format of its name.
EpochController::Program LoadProgram(std::string const& file_name, FileFormat format);

// Writes `text` to `file_name`, replacing it; throws a BaseError when it cannot be written whole.
void WriteTextFile(std::string const& file_name, std::string const& text);

// Writes `text` to the standard output; throws a BaseError when it cannot be written whole.
void WriteStdout(std::string const& text);

}  // namespace EcforgeCli
