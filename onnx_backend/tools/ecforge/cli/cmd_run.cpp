// `ecforge run`: runs an EC program on the host register model and prints its final registers and, on request, its event trace.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "command.h"
#include "error_core.h"
#include "file_formats.h"
#include "interpreter.h"

namespace EcforgeCli {

namespace {

// Reads the ADDRESS of SYMBOL=ADDRESS: decimal or "0x" hexadecimal, at most 32 bits.
bool ParseAddress(std::string const& text, uint32_t& address) {
    bool const hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string const digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u)) {
        return false;
    }
    for (char const c : digits) {
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c)))) {
            return false;
        }
    }
    unsigned long long const value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (value > 0xFFFFFFFFull) {
        return false;
    }
    address = static_cast<uint32_t>(value);
    return true;
}

// Splits SYMBOL=ADDRESS; returns an empty text on success, else what is wrong.
std::string ParseBase(std::string const& text, std::string& symbol, uint32_t& address) {
    std::size_t const equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        return "'" + text + "' is not SYMBOL=ADDRESS";
    }
    symbol = text.substr(0, equals);
    if (!ParseAddress(text.substr(equals + 1), address)) {
        return "'" + text.substr(equals + 1) + "' is not an address from 0 to 0xffffffff (decimal or 0x hexadecimal)";
    }
    return "";
}

std::string FinalRegistersText(EpochController::RegisterSpace const& registers) {
    std::vector<EpochController::RegisterSpace::Entry> const entries = registers.NonZero();
    if (entries.empty()) {
        return "Final registers: all zero\n";
    }
    std::string text = "Final registers:\n";
    int unit = -1;
    for (auto const& entry : entries) {
        if (entry.unit != unit) {
            unit = entry.unit;
            text += fmt::format("unit {}\n", unit);
        }
        text += fmt::format("  register {}: {}\n", entry.reg, entry.value.ToString());
    }
    return text;
}

std::string TraceText(std::vector<EpochController::Event> const& events) {
    std::string text = "Trace:\n";
    for (auto const& event : events) {
        text += fmt::format("  word {}: {}\n", event.word_offset, event.ToString());
    }
    return text;
}

class RunCommand : public Command {
public:
    CLI::App* Register(CLI::App& app) override {
        CLI::App* sub = app.add_subcommand(
            "run", "Run an EC program on the host register model and print the registers that end non-zero");
        sub->add_option("input", input, "Program to run: assembly (.s) or raw EC binary file (.bin)")
            ->required()
            ->check(FormatValidator({FileFormat::kAssembly, FileFormat::kRaw}, "a .s or .bin file"));
        sub->add_option("--base", base_texts,
                        "Base address of a relocation symbol, SYMBOL=ADDRESS (repeatable); values relative to a "
                        "symbol without a base stay symbolic")
            ->allow_extra_args(false)
            ->check(CLI::Validator(
                [](std::string& text) {
                    std::string symbol;
                    uint32_t address = 0;
                    return ParseBase(text, symbol, address);
                },
                "SYMBOL=ADDRESS"));
        sub->add_flag("--trace", trace, "Print every event of the run before the final registers");
        sub->callback([this] { CollectBases(); });
        return sub;
    }

    void Run() override {
        EpochController::Program const program = LoadProgram(input, FormatOf(input));
        EpochController::RunResult result;
        try {
            result = EpochController::Interpreter(bases).Run(program);
        } catch (BaseError& error) {
            error.AddMsg("Cannot run '" + input + "'");
            throw;
        }
        WriteStdout((trace ? TraceText(result.events) : std::string()) + FinalRegistersText(result.registers));
    }

private:
    // Each symbol may be given one base only.
    void CollectBases() {
        for (std::string const& text : base_texts) {
            std::string symbol;
            uint32_t address = 0;
            ParseBase(text, symbol, address);
            if (!bases.emplace(symbol, address).second) {
                throw CLI::ValidationError("--base", "relocation symbol '" + symbol + "' is given more than once");
            }
        }
    }

    std::string input;
    std::vector<std::string> base_texts;
    EpochController::Interpreter::RelocBases bases;
    bool trace = false;
};

}  // namespace

std::unique_ptr<Command> MakeRunCommand() {
    return std::make_unique<RunCommand>();
}

}  // namespace EcforgeCli
