// Program: ownership and copying of the instruction list, sizes, comment merging and equality.
#include "program.h"

#include <algorithm>
#include <iterator>

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

void Program::FixUp()
{
    std::size_t i = 1;
    while (i < instructions.size()) {
        auto const* previous = dynamic_cast<InstrDebugInfo const*>(instructions[i - 1].get());
        auto const* current = dynamic_cast<InstrDebugInfo const*>(instructions[i].get());
        if (previous != nullptr && current != nullptr) {
            instructions[i - 1].reset(new InstrDebugInfo(previous->GetInfo() + "\n" + current->GetInfo()));
            instructions.erase(instructions.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
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
