// Fuzz target: arbitrary bytes shape a valid program, which must survive encoding, the binary file
// image, reading back and decoding (equal), and printing and reading back (equal up to the space
// that printing puts in front of each comment line).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "binary.h"
#include "binary_file.h"
#include "error_core.h"
#include "fuzz_support.h"
#include "instructions.h"
#include "program.h"

namespace {

using namespace EpochController;
using ZunoFuzz::ByteSource;

// Whether `text` reads as a number: decimal digits, or "0x"/"0b" followed by digits of the base.
bool IsNumber(std::string const& text) {
    auto all_of = [&text](std::size_t from, std::string const& digits) {
        return text.size() > from && text.find_first_not_of(digits, from) == std::string::npos;
    };
    if (text.rfind("0x", 0) == 0 && all_of(2, "0123456789abcdefABCDEF")) {
        return true;
    }
    if (text.rfind("0b", 0) == 0 && all_of(2, "01")) {
        return true;
    }
    return all_of(0, "0123456789");
}

// A relocation identifier: letters, digits and underscores that do not read as a number.
std::string RelocId(ByteSource& in) {
    static char const alphabet[] = "abxAB_0189";
    std::string id;
    for (uint32_t n = in.Below(5) + 1; n > 0; --n) {
        id.push_back(alphabet[in.U8() % (sizeof(alphabet) - 1)]);
    }
    return IsNumber(id) ? "_" + id : id;
}

RelocValue* Value(ByteSource& in) {
    uint32_t const value = in.U32();
    return in.Bit() ? new RelocValue(value, RelocId(in)) : new RelocValue(value);
}

// The whole register now and then, otherwise any range.
LsbMsb* Range(ByteSource& in) {
    if (in.Bit()) {
        return nullptr;
    }
    uint8_t const lsb = static_cast<uint8_t>(in.Below(31));
    return new LsbMsb(lsb, static_cast<uint8_t>(lsb + in.Below(31u - lsb)));
}

// Comment text: lines of printable characters without trailing spaces, joined by line feeds.
std::string CommentText(ByteSource& in) {
    std::string text;
    for (uint32_t lines = in.Below(2) + 1, first = 1; lines > 0; --lines, first = 0) {
        std::string line;
        for (uint32_t n = in.Below(9); n > 0; --n) {
            line.push_back(static_cast<char>(' ' + in.U8() % 95u));
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += (first != 0 ? "" : "\n") + line;
    }
    return text;
}

std::unique_ptr<InstrBase> MakeInstr(ByteSource& in) {
    uint8_t const ip = static_cast<uint8_t>(in.Below(63));
    uint16_t const reg = static_cast<uint16_t>(in.Below(1023));
    switch (in.U8() % 17u) {
    case 0: { LsbMsb* range = Range(in); return std::make_unique<InstrWrite>(ip, reg, range, Value(in)); }
    case 1: {
        uint8_t const lsb = static_cast<uint8_t>(in.Below(31));
        uint8_t const width = static_cast<uint8_t>(1 + in.Below(lsb > 24 ? 31u - lsb : 7u));
        return std::make_unique<InstrWriteField>(ip, static_cast<uint8_t>(reg % 32u), lsb, width, in.U8());
    }
    case 2:
    case 3: {
        std::vector<RelocValue const*> values;
        for (uint32_t n = in.Bit() ? in.Below(2047) % (in.Left() + 1) : in.Below(4); n > 0; --n) {
            values.push_back(Value(in));
        }
        if (in.Bit()) {
            return std::make_unique<InstrBurstWrite>(ip, reg, values);
        }
        return std::make_unique<InstrBurstWriteInc>(ip, reg, values);
    }
    case 4: {
        LsbMsb* range = Range(in);
        RelocValue* value = Value(in);
        return std::make_unique<InstrPoll>(ip, reg, range, value, in.U32());
    }
    case 5: return std::make_unique<InstrLoad>(ip, reg, Range(in));
    case 6: return std::make_unique<InstrLoadClr>(ip, reg, Range(in));
    case 7: return std::make_unique<InstrStore>(ip, reg, Range(in));
    case 8: { LsbMsb* range = Range(in); return std::make_unique<InstrMod>(range, Value(in)); }
    case 9: { LsbMsb* range = Range(in); return std::make_unique<InstrModClr>(range, Value(in)); }
    case 10: return std::make_unique<InstrWFI>(static_cast<uint8_t>(in.Below(15)), in.Below((1u << 23) - 1));
    case 11: {
        uint8_t const trigger = static_cast<uint8_t>(in.Below(15));
        uint32_t const timeout = in.Below((1u << 23) - 1);
        return std::make_unique<InstrWFT>(trigger, timeout, in.U32());
    }
    case 12: return std::make_unique<InstrIRQ>(in.Below((1u << 27) - 1));
    case 13: return std::make_unique<InstrIRQNA>(in.Below((1u << 27) - 1));
    case 14: return std::make_unique<InstrLabel>(in.Below((1u << 27) - 1));
    case 15: return std::make_unique<InstrRestart>(in.Below((1u << 27) - 1));
    default: return std::make_unique<InstrStop>(in.Below((1u << 27) - 1));
    }
}

// The program as it reads back from its listing: every comment line that does not start with
// whitespace gains the space printed after ";;".
Program AsListed(Program const& program) {
    Program listed;
    for (auto const& instr : program.GetInstructions()) {
        auto const* debug = dynamic_cast<InstrDebugInfo const*>(instr.get());
        if (debug == nullptr) {
            listed.AddInstr(*instr);
            continue;
        }
        std::string text;
        std::string const& info = debug->GetInfo();
        std::size_t start = 0;
        for (;;) {
            std::size_t const end = info.find('\n', start);
            std::string const line = info.substr(start, end == std::string::npos ? std::string::npos : end - start);
            text += (!line.empty() && line[0] != ' ' ? " " : "") + line;
            if (end == std::string::npos) {
                break;
            }
            text += "\n";
            start = end + 1;
        }
        listed.AddInstr(std::make_unique<InstrDebugInfo>(text));
    }
    return listed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, std::size_t size) {
    // The header-kept warning goes to standard output; it is not what is checked here.
    static bool const quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;
    static ZunoFuzz::ScratchFile const raw(".bin");
    static ZunoFuzz::ScratchFile const listing(".s");

    ByteSource in(data, size);
    bool const remove_header = in.Bit();
    Program program;
    bool last_was_comment = false;
    while (!in.Empty()) {
        // Never two comments in a row: the file form keeps one text per word offset.
        if (!last_was_comment && in.U8() % 4u == 0) {
            program.AddInstr(std::make_unique<InstrDebugInfo>(CommentText(in)));
            last_was_comment = true;
        } else {
            program.AddInstr(MakeInstr(in));
            last_was_comment = false;
        }
    }
    unsigned index = 0;

    // Encode, lay out as a file, read back, decode.
    std::unique_ptr<Binary> const binary = program.ToBinary();
    ZUNO_FUZZ_CHECK(binary->GetProgram().size() == program.GetSize());
    BinaryFile const image = binary->GetBinaryFile(remove_header);
    ZUNO_FUZZ_CHECK(image.IsComplete());
    std::ostringstream c_text;
    image.SaveC("blob", "static const", in.Bit(), in.Bit(), in.Bit(), c_text);
    std::vector<uint8_t> const bytes = image.GetBytes();
    raw.Write(bytes.data(), bytes.size());
    bool const headerless = remove_header && binary->GetRelocTable().empty() && binary->GetDebugInfo().empty();
    Binary read;
    if (headerless) {
        ZUNO_FUZZ_CHECK(bytes.size() == 8 + 4 * binary->GetProgram().size());
        try {
            read.FromFile(raw.Path());
            ZUNO_FUZZ_CHECK(false);
        } catch (BaseError const&) {
        }
    } else {
        read.FromFile(raw.Path());
        ZUNO_FUZZ_CHECK(read.GetProgram() == binary->GetProgram());
        ZUNO_FUZZ_CHECK(read.GetRelocTable() == binary->GetRelocTable());
        ZUNO_FUZZ_CHECK(read.GetDebugInfo() == binary->GetDebugInfo());
        Program decoded;
        decoded.FromBinary(read);
        ZUNO_FUZZ_CHECK(decoded.IsEqual(program, index));
    }

    // Print, read back.
    std::string const text = program.ToAsm("", false);
    listing.Write(text.data(), text.size());
    Program reread;
    reread.FromAsm(listing.Path());
    ZUNO_FUZZ_CHECK(reread.IsEqual(AsListed(program), index));
    return 0;
}
