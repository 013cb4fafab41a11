// Entry point of the ecforge tool: assembles, disassembles, dumps and converts Epoch Controller programs.
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "command.h"
#include "ecforge_version.h"
#include "error_core.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// The one place where input errors reach the user: the full report on the standard error.
int ReportInputError(BaseError const& error) {
    std::string const report = error.ToString();
    std::fprintf(stderr, "%s\n", report.c_str());
    return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Epoch Controller assembler: builds, lists and converts EC programs", "ecforge"};
    app.set_version_flag("--version", std::string("ecforge ") + EpochController::Version());
    app.require_subcommand(1);

    // Declare every subcommand with its options.
    std::vector<std::unique_ptr<EcforgeCli::Command>> commands = EcforgeCli::MakeCommands();
    std::vector<std::pair<CLI::App*, EcforgeCli::Command*>> registered;
    for (auto const& command : commands) {
        registered.emplace_back(command->Register(app), command.get());
    }

    // Parse the command line: help and version end here with success, wrong usage with its own code.
    try {
        app.parse(argc, argv);
    } catch (CLI::ParseError const& error) {
        return app.exit(error) == 0 ? kExitSuccess : kExitUsage;
    }

    // Run the chosen subcommand; bad input is reported once.
    for (auto const& [sub, command] : registered) {
        if (sub->parsed()) {
            try {
                command->Run();
            } catch (BaseError const& error) {
                return ReportInputError(error);
            }
            return command->ExitStatus();
        }
    }
    return kExitUsage;
}
