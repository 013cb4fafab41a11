// Fuzz target: decoding a whole program of arbitrary words with arbitrary relocation and debug tables.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "binary.h"
#include "error_core.h"
#include "fuzz_support.h"
#include "program.h"

namespace {

// A short text of arbitrary bytes, zero bytes included.
std::string SmallText(ZunoFuzz::ByteSource& in) {
    std::string text;
    for (uint32_t n = in.Below(7); n > 0; --n) {
        text.push_back(static_cast<char>(in.U8()));
    }
    return text;
}

// Word offsets mostly near the program, now and then anywhere.
uint32_t Offset(ZunoFuzz::ByteSource& in) {
    uint8_t const pick = in.U8();
    return pick == 0xFF ? in.U32() : pick % 48u;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    ZunoFuzz::ByteSource in(data, size);
    EpochController::Binary binary;
    for (uint32_t ids = in.Below(4); ids > 0; --ids) {
        std::string const id = SmallText(in);
        for (uint32_t n = in.Below(7); n > 0; --n) {
            binary.AddReloc(id, Offset(in));
        }
    }
    for (uint32_t entries = in.Below(4); entries > 0; --entries) {
        binary.AddDebugInfo(Offset(in), SmallText(in));
    }
    while (!in.Empty()) {
        binary.AddWord(in.U32());
    }

    (void)binary.ToString("");
    EpochController::Program program;
    try {
        program.FromBinary(binary);
    } catch (BaseError const& error) {
        ZUNO_FUZZ_CHECK(!error.ToString().empty());
        return 0;
    }
    (void)program.ToAsm("", true);

    // The decoded program encodes to words that decode to the same program.
    std::unique_ptr<EpochController::Binary> const encoded = program.ToBinary();
    ZUNO_FUZZ_CHECK(encoded->GetProgram().size() == binary.GetProgram().size());
    EpochController::Program again;
    again.FromBinary(*encoded);
    unsigned index = 0;
    ZUNO_FUZZ_CHECK(again.IsEqual(program, index));
    return 0;
}
