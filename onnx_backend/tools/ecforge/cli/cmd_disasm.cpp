// `ecforge disasm`: lists the program of a raw EC binary file as EC assembly text.
#include <memory>
#include <string>

#include "command.h"
#include "file_formats.h"
#include "program.h"

namespace EcforgeCli {

namespace {

class DisasmCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub = app.add_subcommand("disasm", "List the program of an EC binary file as EC assembly");
        sub->add_option("input", input, "Raw EC binary file to read, with or without header")->required();
        sub->add_option("-o,--output", output, "Assembly file to write (default: the standard output)");
        sub->add_flag("--offsets", offsets, "Put the word offset of each instruction in front of it");
        return sub;
    }

    void Run() override {
        EpochController::Program const program = LoadProgram(input, FileFormat::kRaw);
        std::string const text = program.ToAsm("", offsets);
        if (output.empty()) {
            WriteStdout(text);
        } else {
            WriteOutput(output, [&] { WriteTextFile(output, text); });
        }
    }

private:
    std::string input;
    std::string output;
    bool offsets = false;
};

}  // namespace

std::unique_ptr<Command> MakeDisasmCommand() {
    return std::make_unique<DisasmCommand>();
}

}  // namespace EcforgeCli
