// Program::Optimize: orders the register writes of each run by register, then folds neighbours into bursts.
#include <algorithm>
#include <memory>
#include <vector>

#include "program.h"

namespace EpochController {

namespace {

bool IsWriteFamily(InstrBase const& instr) {
    InstrBase::Opcode const op = instr.GetOpcode();
    return op == InstrBase::OP_WRITE || op == InstrBase::OP_BURSTWRITE || op == InstrBase::OP_BURSTWRITEINC;
}

// A write that replaces the whole register, the only kind of single write that joins a burst.
InstrWrite const* AsFullWrite(InstrBase const& instr) {
    if (instr.GetOpcode() != InstrBase::OP_WRITE) {
        return nullptr;
    }
    auto const& write = static_cast<InstrWrite const&>(instr);
    return write.GetLsbMsb().IsFullRegister() ? &write : nullptr;
}

// An incrementing burst of several values writes a range of registers; ordering by its first
// register alone could move it across a write to another register of that range and change what
// the register ends up holding, so such a burst stays where it is, like a barrier.
bool SpansRegisters(InstrBase const& instr) {
    return instr.GetOpcode() == InstrBase::OP_BURSTWRITEINC &&
           static_cast<InstrBurstWriteInc const&>(instr).GetValues().size() > 1;
}

// Phase 1. Neighbouring writes of one unit are exchanged while the second one targets a lower,
// non-zero register. A barrier, a write of another unit, a write to register 0 or a burst over
// several registers never moves and nothing passes it, so the list splits into independent
// segments; repeating the exchanges until none applies leaves each segment stably sorted by
// register. Sorting each segment directly gives that same order in O(n log n).
void SortWriteRuns(Program::InstrList& list) {
    auto const reg_of = [](std::unique_ptr<InstrBase> const& instr) {
        return static_cast<InstrReadWrite const&>(*instr).GetRegId();
    };
    auto const sortable = [&reg_of](std::unique_ptr<InstrBase> const& instr) {
        return IsWriteFamily(*instr) && reg_of(instr) != 0 && !SpansRegisters(*instr);
    };
    std::size_t i = 0;
    while (i < list.size()) {
        if (!sortable(list[i])) {
            ++i;
            continue;
        }
        uint8_t const ip_id = static_cast<InstrReadWrite const&>(*list[i]).GetIpId();
        std::size_t end = i + 1;
        while (end < list.size() && sortable(list[end]) &&
               static_cast<InstrReadWrite const&>(*list[end]).GetIpId() == ip_id) {
            ++end;
        }
        std::stable_sort(list.begin() + static_cast<std::ptrdiff_t>(i), list.begin() + static_cast<std::ptrdiff_t>(end),
                         [&reg_of](auto const& a, auto const& b) { return reg_of(a) < reg_of(b); });
        i = end;
    }
}

// What phase 2 has folded so far: the first instruction of a chain and the kind of burst the
// chain has become.
struct Chain {
    enum Kind { kSingle, kBurst, kBurstInc };

    std::size_t first = 0;  // position of the chain's first instruction
    std::size_t count = 0;  // instructions folded into the chain
    Kind kind = kSingle;
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    std::size_t num_values = 0;
};

// The number of values an instruction would contribute to a burst.
std::size_t NumValues(InstrBase const& instr) {
    if (instr.GetOpcode() == InstrBase::OP_WRITE) {
        return 1;
    }
    return static_cast<InstrBurstWrite const&>(instr).GetValues().size();
}

// Decides whether `cur` folds into `chain`, and into which kind of burst. A chain holding one
// instruction stands for that instruction itself.
bool Folds(Chain const& chain, InstrBase const& prev_first, InstrBase const& cur, Chain::Kind& result) {
    if (!IsWriteFamily(cur) || !IsWriteFamily(prev_first)) {
        return false;
    }
    auto const& cur_rw = static_cast<InstrReadWrite const&>(cur);
    if (cur_rw.GetIpId() != chain.ip_id) {
        return false;
    }
    // A burst cannot hold more values than its count field: the chain closes at the limit and the
    // next write starts a new one.
    if (chain.num_values + NumValues(cur) > InstrBurstWrite::kMaxValues) {
        return false;
    }
    bool const cur_full = AsFullWrite(cur) != nullptr;
    InstrBase::Opcode const cur_op = cur.GetOpcode();
    unsigned const same = chain.reg_id;
    unsigned const following = chain.reg_id + chain.num_values;

    switch (chain.kind) {
    case Chain::kSingle: {
        if (AsFullWrite(prev_first) == nullptr) {
            return false;
        }
        if (cur_full && cur_rw.GetRegId() == same) {
            result = Chain::kBurst;
            return true;
        }
        if (cur_full && cur_rw.GetRegId() == same + 1) {
            result = Chain::kBurstInc;
            return true;
        }
        if (cur_op == InstrBase::OP_BURSTWRITE && cur_rw.GetRegId() == same) {
            result = Chain::kBurst;
            return true;
        }
        if (cur_op == InstrBase::OP_BURSTWRITEINC && cur_rw.GetRegId() == same + 1) {
            result = Chain::kBurstInc;
            return true;
        }
        return false;
    }
    case Chain::kBurst:
        if ((cur_full || cur_op == InstrBase::OP_BURSTWRITE) && cur_rw.GetRegId() == same) {
            result = Chain::kBurst;
            return true;
        }
        return false;
    case Chain::kBurstInc:
        if ((cur_full || cur_op == InstrBase::OP_BURSTWRITEINC) && cur_rw.GetRegId() == following) {
            result = Chain::kBurstInc;
            return true;
        }
        return false;
    }
    return false;
}

// Copies the values of one write-family instruction, in order.
std::vector<RelocValue const*> CopyValuesOf(InstrBase const& instr) {
    if (instr.GetOpcode() == InstrBase::OP_WRITE) {
        return {static_cast<InstrWrite const&>(instr).GetValue().Copy()};
    }
    return static_cast<InstrBurstWrite const&>(instr).CopyValues();
}

// Builds the burst that replaces the `chain.count` instructions from `chain.first`.
std::unique_ptr<InstrBase> BuildBurst(Chain const& chain, Program::InstrList const& list) {
    std::vector<RelocValue const*> values;
    values.reserve(chain.num_values);
    for (std::size_t k = 0; k < chain.count; ++k) {
        InstrBase const& part = *list[chain.first + k];
        std::vector<RelocValue const*> part_values = CopyValuesOf(part);
        values.insert(values.end(), part_values.begin(), part_values.end());
    }
    if (chain.kind == Chain::kBurstInc) {
        return std::make_unique<InstrBurstWriteInc>(chain.ip_id, chain.reg_id, values);
    }
    return std::make_unique<InstrBurstWrite>(chain.ip_id, chain.reg_id, values);
}

// Phase 2. One pass over neighbouring pairs (prev, cur): a matching pair becomes one burst, which
// is then compared with the next entry. The whole chain of merges starting at one instruction is
// found first and the resulting burst built once, with the values copied in order; this gives
// the instruction that merging pair by pair would end with, without copying a growing burst at
// every step.
void FoldIntoBursts(Program::InstrList& list) {
    Program::InstrList result;
    result.reserve(list.size());
    std::size_t i = 0;
    while (i < list.size()) {
        InstrBase const& first = *list[i];
        Chain chain;
        chain.first = i;
        chain.count = 1;
        if (IsWriteFamily(first)) {
            auto const& rw = static_cast<InstrReadWrite const&>(first);
            chain.ip_id = rw.GetIpId();
            chain.reg_id = rw.GetRegId();
            chain.num_values = NumValues(first);
            chain.kind = first.GetOpcode() == InstrBase::OP_BURSTWRITE      ? Chain::kBurst
                         : first.GetOpcode() == InstrBase::OP_BURSTWRITEINC ? Chain::kBurstInc
                                                                            : Chain::kSingle;
            Chain::Kind next_kind = chain.kind;
            while (i + chain.count < list.size() && Folds(chain, first, *list[i + chain.count], next_kind)) {
                chain.num_values += NumValues(*list[i + chain.count]);
                chain.kind = next_kind;
                ++chain.count;
            }
        }
        if (chain.count == 1) {
            result.push_back(std::move(list[i]));
        } else {
            result.push_back(BuildBurst(chain, list));
        }
        i += chain.count;
    }
    list = std::move(result);
}

}  // namespace

void Program::Optimize() {
    SortWriteRuns(instructions);
    FoldIntoBursts(instructions);
}

}  // namespace EpochController
