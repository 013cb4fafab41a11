// The subcommands of the ecforge tool: one Command per subcommand, listed by MakeCommands.
#pragma once

#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

namespace EcforgeCli {

// One subcommand: declares its options on the parser, then runs with the values parsed.
class Command {
public:
    virtual ~Command() = default;

    // Adds the subcommand with its options and flags to `app` and returns it.
    virtual CLI::App* Register(CLI::App& app) = 0;
    // Does the work. Bad input or a file that cannot be read or written throws a BaseError.
    virtual void Run() = 0;
    // Returns the exit status after Run returned normally; a command whose result is a verdict
    // (diff) reports it here.
    virtual int ExitStatus() const { return 0; }
};

// Returns every subcommand of the tool, in the order the help lists them.
std::vector<std::unique_ptr<Command>> MakeCommands();

// The subcommands, each defined in its own file.
std::unique_ptr<Command> MakeAsmCommand();
std::unique_ptr<Command> MakeDisasmCommand();
std::unique_ptr<Command> MakeDumpCommand();
std::unique_ptr<Command> MakeConvertCommand();
std::unique_ptr<Command> MakeRunCommand();
std::unique_ptr<Command> MakeDiffCommand();

}  // namespace EcforgeCli
