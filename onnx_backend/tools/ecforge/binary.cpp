// Binary: the encoded program words, relocation lookups, debug information and the text dumps.
#include "binary.h"

#include <iterator>
#include <memory>

#include "error_core.h"
#include "instructions.h"
#include "strkit.h"

namespace EpochController {

namespace {

std::string const kNoRelocId;

// A word as 32 binary digits in groups of four separated by ".", most significant first.
std::string GroupedBinary(uint32_t word)
{
    std::string const digits = StringUtils::PrintInt(word, 2, 32, '0');
    std::vector<std::string> groups;
    for (std::size_t i = 0; i < digits.size(); i += 4) {
        groups.push_back(digits.substr(i, 4));
    }
    return StringUtils::Print(groups, ".", "");
}

}  // namespace

unsigned int Binary::GetRelocIdx(std::string const& reloc_id) const
{
    auto const entry = reloc_table.find(reloc_id);
    if (entry == reloc_table.end()) {
        return kNoRelocIdx;
    }
    return static_cast<unsigned int>(std::distance(reloc_table.begin(), entry));
}

std::string const& Binary::GetRelocId(unsigned int idx) const
{
    if (idx >= reloc_table.size()) {
        return kNoRelocId;
    }
    return std::next(reloc_table.begin(), static_cast<std::ptrdiff_t>(idx))->first;
}

std::string const& Binary::FindRelocId(uint32_t offset) const
{
    for (auto const& entry : reloc_table) {
        if (entry.second.count(offset) != 0) {
            return entry.first;
        }
    }
    return kNoRelocId;
}

uint32_t Binary::AddWord(uint32_t word)
{
    program.push_back(word);
    return static_cast<uint32_t>(program.size() - 1);
}

void Binary::AddReloc(std::string const& reloc_id, uint32_t offset)
{
    reloc_table[reloc_id].insert(offset);
}

void Binary::AddDebugInfo(unsigned int offset, std::string const& text)
{
    auto const entry = debug_info.find(offset);
    if (entry != debug_info.end()) {
        entry->second += "\n" + text;
    } else {
        debug_info.emplace(offset, text);
    }
}

std::string Binary::ToString(std::string const& prefix) const
{
    std::string const inner = prefix + "  ";
    return prefix + "Epoch Controller Program:\n" + ProgramToString(inner) + prefix + "Relocation Table:\n" +
           RelocTableToString(inner) + prefix + "Debug Information:\n" + DebugInfoToString(inner);
}

// A word that starts no valid instruction (possible only in a damaged file) is shown alone and
// the dump goes on with the next word.
std::string Binary::ProgramToString(std::string const& prefix) const
{
    std::string text;
    unsigned pos = 0;
    while (pos < program.size()) {
        unsigned const start = pos;
        unsigned next = start + 1;
        try {
            std::unique_ptr<InstrBase> const instr(InstrBase::FromBinary(*this, pos));
            if (instr != nullptr) {
                next = pos;
            }
        } catch (BaseError const&) {
            next = start + 1;
        }
        text += prefix + GroupedBinary(program[start]);
        for (unsigned i = start + 1; i < next; ++i) {
            text += " " + StringUtils::PrintInt(program[i], 16, 8, '0');
        }
        text += "\n";
        pos = next;
    }
    return text;
}

std::string Binary::RelocTableToString(std::string const& prefix) const
{
    std::string text;
    for (auto const& entry : reloc_table) {
        text += prefix + "id: " + entry.first + ", offsets: [ " + StringUtils::Print(entry.second, ", ", "") + " ]\n";
    }
    return text;
}

std::string Binary::DebugInfoToString(std::string const& prefix) const
{
    std::string text;
    for (auto const& entry : debug_info) {
        text += prefix + "offset: " + std::to_string(entry.first) + ", info: '" + entry.second + "'\n";
    }
    return text;
}

}  // namespace EpochController
