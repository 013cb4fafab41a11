// `ecforge convert`: converts between EC assembly (.s), raw (.bin) and C-array (.c) files by extension.
#include <memory>
#include <string>

#include "binary.h"
#include "command.h"
#include "file_formats.h"
#include "program.h"

namespace EcforgeCli {

namespace {

class ConvertCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub = app.add_subcommand("convert", "Convert an EC program between assembly (.s), raw (.bin) and C array (.c)");
        sub->add_option("input", input, "Program to read: assembly (.s) or raw EC binary file (.bin)")
            ->required()
            ->check(FormatValidator({FileFormat::kAssembly, FileFormat::kRaw}, "a .s or .bin file"));
        sub->add_option("-o,--output", output, "File to write: assembly (.s), raw (.bin) or C array (.c)")
            ->required()
            ->check(FormatValidator({FileFormat::kAssembly, FileFormat::kRaw, FileFormat::kCSource},
                                    "a .s, .bin or .c file"));
        return sub;
    }

    void Run() override {
        FileFormat const in_format = FormatOf(input);
        // Decoding checks every instruction, also when the words are copied unchanged.
        EpochController::Program const program = LoadProgram(input, in_format);
        if (FormatOf(output) == FileFormat::kAssembly) {
            WriteOutput(output, [&] { program.ToAsmFile(output); });
            return;
        }
        // A binary input is written as read, so its debug texts keep their offsets exactly.
        std::unique_ptr<EpochController::Binary> binary;
        if (in_format == FileFormat::kRaw) {
            binary = std::make_unique<EpochController::Binary>(LoadBinary(input));
        } else {
            binary = program.ToBinary();
        }
        WriteOutput(output, [&] { binary->ToFile(output, false); });
    }

private:
    std::string input;
    std::string output;
};

}  // namespace

std::unique_ptr<Command> MakeConvertCommand() {
    return std::make_unique<ConvertCommand>();
}

}  // namespace EcforgeCli
