// Program: ownership and copying of the instruction list, sizes, comment merging and equality.
#include "program.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

namespace EpochController {

Program::Program(Program const& other)
{
    instructions.reserve(other.instructions.size());
    for (auto const& instr : other.instructions) {
        AddInstr(*instr);
    }
}

Program& Program::operator=(Program const& other)
{
    if (this != &other) {
        Clear();
        instructions.reserve(other.instructions.size());
        for (auto const& instr : other.instructions) {
            AddInstr(*instr);
        }
    }
    return *this;
}

void Program::AddInstr(InstrBase const& instr)
{
    instructions.emplace_back(instr.Copy());
}

void Program::AddInstr(std::unique_ptr<InstrBase> instr)
{
    if (instr != nullptr) {
        instructions.push_back(std::move(instr));
    }
}

void Program::Clear()
{
    instructions.clear();
}

unsigned int Program::GetSize() const
{
    unsigned int size = 0;
    for (auto const& instr : instructions) {
        size += instr->GetSize();
    }
    return size;
}

void Program::RemoveDebugInfo()
{
    auto const first_removed =
        std::remove_if(instructions.begin(), instructions.end(),
                       [](std::unique_ptr<InstrBase> const& instr) { return instr->IsDebugInfo(); });
    instructions.erase(first_removed, instructions.end());
}

// Each run of comments is joined once and the list is compacted in one pass: erasing entries one
// by one would move the tail of the list for every joined comment, which grows with the square of
// the program length on a recorded blob (two adjacent comments at every epoch boundary).
void Program::FixUp()
{
    auto const as_comment = [this](std::size_t i) { return dynamic_cast<InstrDebugInfo const*>(instructions[i].get()); };
    std::size_t kept = 0;
    std::size_t i = 0;
    while (i < instructions.size()) {
        std::size_t end = i + 1;
        if (InstrDebugInfo const* const first = as_comment(i)) {
            while (end < instructions.size() && as_comment(end) != nullptr) {
                ++end;
            }
            if (end - i > 1) {
                std::string text = first->GetInfo();
                for (std::size_t k = i + 1; k < end; ++k) {
                    text += '\n';
                    text += as_comment(k)->GetInfo();
                }
                instructions[i] = std::make_unique<InstrDebugInfo>(text);
            }
        }
        if (kept != i) {
            instructions[kept] = std::move(instructions[i]);
        }
        ++kept;
        i = end;
    }
    instructions.erase(instructions.begin() + static_cast<std::ptrdiff_t>(kept), instructions.end());
}

bool Program::IsEqual(Program const& other, unsigned int& index) const
{
    if (instructions.size() != other.instructions.size()) {
        index = 0xFFFFFFFFu;
        return false;
    }
    index = 0;
    for (std::size_t i = 0; i < instructions.size(); ++i) {
        index = static_cast<unsigned int>(i);
        if (!instructions[i]->IsEqual(other.instructions[i].get())) {
            return false;
        }
    }
    index = static_cast<unsigned int>(instructions.size());
    return true;
}

}  // namespace EpochController
