// `ecforge diff`: tells whether two EC programs are equivalent on the host register model, and if not, where they first differ.
#include <memory>
#include <string>

#include "command.h"
#include "error_core.h"
#include "file_formats.h"
#include "interpreter.h"
#include "semantic_diff.h"

namespace EcforgeCli {

namespace {

// Exit status of a comparison that found a difference.
constexpr int kExitDifferent = 1;

EpochController::RunResult RunFile(std::string const& file_name) {
    EpochController::Program const program = LoadProgram(file_name, FormatOf(file_name));
    try {
        return EpochController::Interpreter().Run(program);
    } catch (BaseError& error) {
        error.AddMsg("Cannot run '" + file_name + "'");
        throw;
    }
}

class DiffCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub = app.add_subcommand(
            "diff", "Compare two EC programs by their effect: register values between events, events, final state");
        auto const validator = FormatValidator({FileFormat::kAssembly, FileFormat::kRaw}, "a .s or .bin file");
        sub->add_option("a", input_a, "First program: assembly (.s) or raw EC binary file (.bin)")
            ->required()
            ->check(validator);
        sub->add_option("b", input_b, "Second program: assembly (.s) or raw EC binary file (.bin)")
            ->required()
            ->check(validator);
        return sub;
    }

    void Run() override {
        EpochController::RunResult const a = RunFile(input_a);
        EpochController::RunResult const b = RunFile(input_b);
        EpochController::SemanticDifference const difference = EpochController::CompareRuns(a, b);
        WriteStdout(EpochController::SemanticDiffReport(difference, a, input_a, input_b));
        different = !difference.IsNone();
    }

    int ExitStatus() const override { return different ? kExitDifferent : 0; }

private:
    std::string input_a;
    std::string input_b;
    bool different = false;
};

}  // namespace

std::unique_ptr<Command> MakeDiffCommand() {
    return std::make_unique<DiffCommand>();
}

}  // namespace EcforgeCli
