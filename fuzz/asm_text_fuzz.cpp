// Fuzz target: the EC assembly file reader on arbitrary text; what it accepts must print and read back the same.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "binary.h"
#include "error_core.h"
#include "fuzz_support.h"
#include "program.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    static ZunoFuzz::ScratchFile const input(".s");
    static ZunoFuzz::ScratchFile const listing(".again.s");
    input.Write(data, size);

    EpochController::Program program;
    try {
        program.FromAsm(input.Path());
    } catch (BaseError const& error) {
        ZUNO_FUZZ_CHECK(!error.ToString().empty());
        return 0;
    }

    // A listing of what was read reads back to the same instructions, and lists the same again:
    // a comment line may gain the one space that printing puts after ";;", but only once.
    std::string const text = program.ToAsm("", false);
    (void)program.ToAsm("  ", true);
    listing.Write(text.data(), text.size());
    EpochController::Program again;
    again.FromAsm(listing.Path());
    ZUNO_FUZZ_CHECK(again.ToAsm("", false) == text);
    auto const& first = program.GetInstructions();
    auto const& second = again.GetInstructions();
    ZUNO_FUZZ_CHECK(first.size() == second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (dynamic_cast<EpochController::InstrDebugInfo const*>(first[i].get()) == nullptr) {
            ZUNO_FUZZ_CHECK(first[i]->IsEqual(second[i].get()));
        }
    }

    std::unique_ptr<EpochController::Binary> const binary = program.ToBinary();
    ZUNO_FUZZ_CHECK(binary->GetProgram().size() == program.GetSize());
    return 0;
}
