// `ecforge dump`: prints the words, relocation table and debug information of a raw EC binary file.
#include <memory>
#include <string>

#include "binary.h"
#include "command.h"
#include "file_formats.h"

namespace EcforgeCli {

namespace {

class DumpCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub =
            app.add_subcommand("dump", "Print the program words, relocation table and debug information of an EC binary file");
        sub->add_option("input", input, "Raw EC binary file to read, with or without header")->required();
        return sub;
    }

    void Run() override {
        WriteStdout(LoadBinary(input).ToString(""));
    }

private:
    std::string input;
};

}  // namespace

std::unique_ptr<Command> MakeDumpCommand() {
    return std::make_unique<DumpCommand>();
}

}  // namespace EcforgeCli
