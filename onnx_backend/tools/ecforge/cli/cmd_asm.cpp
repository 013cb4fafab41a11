// `ecforge asm`: assembles an EC assembly file into a raw or C-array EC binary file.
#include <memory>
#include <string>

#include "binary.h"
#include "command.h"
#include "file_formats.h"
#include "program.h"

namespace EcforgeCli {

namespace {

class AsmCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub = app.add_subcommand("asm", "Assemble an EC assembly file into an EC binary file");
        sub->add_option("input", input, "EC assembly file to read")->required();
        sub->add_option("-o,--output", output, "EC binary file to write: raw (.bin) or C array (.c)")
            ->required()
            ->check(FormatValidator({FileFormat::kRaw, FileFormat::kCSource}, "a .bin or .c file"));
        sub->add_flag("--no-header", no_header,
                      "Write the program section alone (only when there are no relocations and no comments)");
        sub->add_flag("--optimize", optimize, "Fold runs of register writes into burst writes first");
        return sub;
    }

    void Run() override {
        EpochController::Program program;
        program.FromAsm(input);
        if (optimize) {
            program.Optimize();
        }
        std::unique_ptr<EpochController::Binary> const binary = program.ToBinary();
        WriteOutput(output, [&] { binary->ToFile(output, no_header); });
    }

private:
    std::string input;
    std::string output;
    bool no_header = false;
    bool optimize = false;
};

}  // namespace

std::unique_ptr<Command> MakeAsmCommand() {
    return std::make_unique<AsmCommand>();
}

}  // namespace EcforgeCli
