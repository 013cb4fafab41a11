// Fuzz target: the EC binary file reader on arbitrary bytes, then decoding, dumping and rewriting what it accepted.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "binary.h"
#include "binary_file.h"
#include "error_core.h"
#include "fuzz_support.h"
#include "program.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    using EpochController::Binary;
    static ZunoFuzz::ScratchFile const input(".bin");
    static ZunoFuzz::ScratchFile const rewritten(".again.bin");
    input.Write(data, size);

    Binary binary;
    try {
        binary.FromFile(input.Path());
    } catch (BaseError const& error) {
        ZUNO_FUZZ_CHECK(!error.ToString().empty());
        return 0;
    }

    // Names and texts lie in bytes of their own, so what was read of them fits in the file.
    std::size_t string_bytes = 0;
    for (auto const& entry : binary.GetRelocTable()) {
        string_bytes += entry.first.size() + 1;
    }
    for (auto const& entry : binary.GetDebugInfo()) {
        string_bytes += entry.second.size() + 1;
    }
    ZUNO_FUZZ_CHECK(string_bytes <= size);

    (void)binary.ToString("  ");
    EpochController::Program program;
    try {
        program.FromBinary(binary);
        (void)program.ToAsm("", true);
    } catch (BaseError const&) {
    }

    // Whatever the reader accepted is written back as a file that reads back the same.
    std::vector<uint8_t> const image = binary.GetBinaryFile(false).GetBytes();
    rewritten.Write(image.data(), image.size());
    Binary again;
    again.FromFile(rewritten.Path());
    ZUNO_FUZZ_CHECK(again.GetProgram() == binary.GetProgram());
    ZUNO_FUZZ_CHECK(again.GetRelocTable() == binary.GetRelocTable());
    ZUNO_FUZZ_CHECK(again.GetDebugInfo() == binary.GetDebugInfo());
    return 0;
}
