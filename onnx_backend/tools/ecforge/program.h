// Program: an owned, ordered list of Epoch Controller instructions interleaved with debug information.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "binary.h"
#include "instructions.h"

namespace EpochController {

class Program {
public:
    using InstrList = std::vector<std::unique_ptr<InstrBase>>;

    // Builds an empty program.
    Program() = default;
    // Duplicates every instruction of `other`.
    Program(Program const& other);
    // Clears the program, then duplicates every instruction of `other`.
    Program& operator=(Program const& other);
    Program(Program&&) noexcept = default;
    Program& operator=(Program&&) noexcept = default;
    ~Program() = default;

    // Appends a copy of `instr`; the caller keeps its own object.
    void AddInstr(InstrBase const& instr);
    // Appends `instr`, taking it over (nothing is appended for null).
    void AddInstr(std::unique_ptr<InstrBase> instr);
    // Destroys every instruction.
    void Clear();

    // Returns the instructions in order.
    InstrList const& GetInstructions() const { return instructions; }
    // Returns the number of program words of all instructions.
    unsigned int GetSize() const;

    // Destroys every debug-information entry; the instructions keep their order.
    void RemoveDebugInfo();
    // Joins each run of adjacent debug-information entries into one, texts separated by line feeds.
    void FixUp();
    // Folds runs of full-register writes into burst writes.
    void Optimize();

    // Compares entry by entry. `index` is 0xFFFFFFFF when the entry counts differ, the first
    // differing position otherwise, or the entry count when the programs are equal.
    bool IsEqual(Program const& other, unsigned int& index) const;

    // Returns the encoded program.
    std::unique_ptr<Binary> ToBinary() const;
    // Replaces the contents with the program decoded from `binary`.
    void FromBinary(Binary const& binary);
    // Replaces the contents with the program of an EC binary file.
    void FromBinaryFile(std::string const& file_name);
    // Replaces the contents with the program of an EC assembly file.
    void FromAsm(std::string const& file_name);
    // Returns the assembly text, each line after `prefix` and, with `with_offsets`, the word offset.
    std::string ToAsm(std::string const& prefix, bool with_offsets) const;
    // Writes the assembly text (no prefix, no offsets) to `file_name`.
    void ToAsmFile(std::string const& file_name) const;

private:
    InstrList instructions;
};

}  // namespace EpochController
