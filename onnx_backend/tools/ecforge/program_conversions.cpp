// Program <-> Binary, EC binary file and EC assembly file conversions.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "binary.h"
#include "error_core.h"
#include "program.h"
#include "strkit.h"
#include "textscan.h"

namespace EpochController {

std::unique_ptr<Binary> Program::ToBinary() const {
    auto binary = std::make_unique<Binary>();
    for (auto const& instr : instructions) {
        instr->ToBinary(*binary);
    }
    return binary;
}

void Program::FromBinary(Binary const& binary) {
    Clear();

    // Decode the words, remembering where each instruction starts.
    std::vector<unsigned> starts;
    unsigned const num_words = static_cast<unsigned>(binary.GetProgram().size());
    unsigned pos = 0;
    while (pos < num_words) {
        unsigned const start = pos;
        std::unique_ptr<InstrBase> instr(InstrBase::FromBinary(binary, pos));
        if (!instr) {
            throw BaseError("Cannot decode instruction at offset " + std::to_string(pos));
        }
        starts.push_back(start);
        instructions.push_back(std::move(instr));
    }

    // Put each debug text in front of the instruction that starts at its offset, or at the end
    // for the program size. Offsets ascend in both sequences, so one merge places them all.
    InstrList merged;
    merged.reserve(instructions.size() + binary.GetDebugInfo().size());
    std::size_t next = 0;
    for (auto const& [offset, text] : binary.GetDebugInfo()) {
        while (next < instructions.size() && starts[next] < offset) {
            merged.push_back(std::move(instructions[next++]));
        }
        bool const at_instruction = next < instructions.size() && starts[next] == offset;
        if (!at_instruction && offset != num_words) {
            // Keep what was placed so far; the rest of the list is left as decoded.
            for (; next < instructions.size(); ++next) {
                merged.push_back(std::move(instructions[next]));
            }
            instructions = std::move(merged);
            if (offset > num_words) {
                throw BaseError("Cannot place debug information at offset " + std::to_string(offset) +
                                ": the program has only " + std::to_string(num_words) + " words");
            }
            throw BaseError("Cannot place debug information at offset " + std::to_string(offset) +
                            ": it falls inside an instruction");
        }
        if (!at_instruction) {
            while (next < instructions.size()) {
                merged.push_back(std::move(instructions[next++]));
            }
        }
        merged.push_back(std::make_unique<InstrDebugInfo>(text));
    }
    for (; next < instructions.size(); ++next) {
        merged.push_back(std::move(instructions[next]));
    }
    instructions = std::move(merged);

    FixUp();
}

void Program::FromBinaryFile(std::string const& file_name) {
    Binary binary;
    binary.FromFile(file_name);
    FromBinary(binary);
}

void Program::FromAsm(std::string const& file_name) {
    Clear();
    // No comment marker: ";;" lines are debug information and must reach the instruction reader.
    SimpleTextFileParser parser(file_name, "Epoch Controller assembly file", "");
    while (parser.NextLine()) {
        std::unique_ptr<InstrBase> instr(InstrBase::FromAsm(parser));
        if (!instr) {
            parser.ThrowError("Cannot decode instruction");
        }
        instructions.push_back(std::move(instr));
    }
    FixUp();
}

std::string Program::ToAsm(std::string const& prefix, bool with_offsets) const {
    std::string result;
    unsigned offset = 0;
    for (auto const& instr : instructions) {
        std::vector<std::string> const lines = StringUtils::GetLines(instr->ToAsm());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            result += prefix;
            if (with_offsets) {
                result += i == 0 ? StringUtils::PrintDec(offset, 3, ' ') + " " : std::string(4, ' ');
            }
            result += lines[i];
            result += '\n';
        }
        offset += instr->GetSize();
    }
    return result;
}

void Program::ToAsmFile(std::string const& file_name) const {
    FILE* const file = std::fopen(file_name.c_str(), "w");
    if (file == nullptr) {
        throw BaseError("Cannot open file '" + file_name + "'");
    }
    std::string const text = ToAsm("", false);
    bool const written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    // Buffered bytes reach the file only when it is closed, so a full disk shows up here too.
    bool const closed = std::fclose(file) == 0;
    if (!written || !closed) {
        throw BaseError("Cannot write to file '" + file_name + "'");
    }
}

}  // namespace EpochController
