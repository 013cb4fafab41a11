// The list of ecforge subcommands; a new subcommand is one Make...Command function added here.
#include "command.h"

namespace EcforgeCli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakeAsmCommand());
    commands.push_back(MakeDisasmCommand());
    commands.push_back(MakeDumpCommand());
    commands.push_back(MakeConvertCommand());
    commands.push_back(MakeRunCommand());
    commands.push_back(MakeDiffCommand());
    return commands;
}

}  // namespace EcforgeCli
