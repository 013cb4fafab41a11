// Host interpreter of Epoch Controller programs: executes writes on the register model and records every other instruction as an event.
#include "interpreter.h"

#include <memory>

#include <fmt/format.h>

#include "error_core.h"
#include "fatal_report.h"

namespace EpochController {

namespace {

// Mask of bits lsb..msb of a 32-bit register.
uint32_t FieldMask(unsigned lsb, unsigned msb) {
    uint32_t const width_mask = msb - lsb >= 31 ? 0xFFFFFFFFu : ((1u << (msb - lsb + 1)) - 1);
    return width_mask << lsb;
}

std::string BitsText(unsigned lsb, unsigned msb) {
    return fmt::format("bits {}..{}", lsb, msb);
}

// Runs one program; keeps the register model, the events and the offset of the instruction at hand.
class Execution {
public:
    Execution(Interpreter::RelocBases const& bases, RunResult& result) : bases(bases), result(result) {}

    // Executes `instr`; returns false when the run ends with it.
    bool Execute(InstrBase const& instr, unsigned offset);

private:
    RegisterValue Resolve(RelocValue const& value) const;
    // Returns the text of `instr`, its relocatable value replaced by the resolved one.
    std::string ResolvedText(InstrBase const& instr) const;

    void CheckRegister(unsigned unit, unsigned reg) const;
    void WriteRegister(unsigned unit, unsigned reg, RegisterValue const& value);
    void WriteBits(unsigned unit, unsigned reg, unsigned lsb, unsigned msb, RegisterValue const& value);
    void AddEvent(Event::Kind kind, InstrBase const& instr);

    Interpreter::RelocBases const& bases;
    RunResult& result;
    InstrBase::Opcode opcode = InstrBase::OP_NONE;
    unsigned word_offset = 0;
};

RegisterValue Execution::Resolve(RelocValue const& value) const {
    if (!value.IsRelocatable()) {
        return RegisterValue{value.GetValue(), ""};
    }
    auto const base = bases.find(value.GetRelocId());
    if (base == bases.end()) {
        return RegisterValue{value.GetValue(), value.GetRelocId()};
    }
    // The device adds the base to the stored offset in 32-bit arithmetic.
    return RegisterValue{static_cast<uint32_t>(base->second + value.GetValue()), ""};
}

std::string Execution::ResolvedText(InstrBase const& instr) const {
    auto const with_value = [&](RelocValue const& value) -> std::unique_ptr<RelocValue> {
        RegisterValue const resolved = Resolve(value);
        if (!value.IsRelocatable() || resolved.IsSymbolic()) {
            return nullptr;
        }
        return std::make_unique<RelocValue>(resolved.value);
    };
    if (instr.GetOpcode() == InstrBase::OP_POLL) {
        auto const& poll = static_cast<InstrPoll const&>(instr);
        if (auto value = with_value(poll.GetValue())) {
            return InstrPoll(poll.GetIpId(), poll.GetRegId(), poll.GetLsbMsb().Copy(), value.release(),
                             poll.GetIntervalCycles())
                .ToAsm();
        }
    } else if (instr.GetOpcode() == InstrBase::OP_MOD || instr.GetOpcode() == InstrBase::OP_MODCLR) {
        auto const& mod = static_cast<InstrMod const&>(instr);
        if (auto value = with_value(mod.GetValue())) {
            if (instr.GetOpcode() == InstrBase::OP_MOD) {
                return InstrMod(mod.GetLsbMsb().Copy(), value.release()).ToAsm();
            }
            return InstrModClr(mod.GetLsbMsb().Copy(), value.release()).ToAsm();
        }
    }
    return instr.ToAsm();
}

void Execution::CheckRegister(unsigned unit, unsigned reg) const {
    if (unit >= RegisterSpace::kUnits) {
        throw BaseError(fmt::format("Unit {} is outside the register space (units 0 to {})", unit,
                                    RegisterSpace::kUnits - 1));
    }
    if (reg >= RegisterSpace::kRegistersPerUnit) {
        throw BaseError(fmt::format("Register {} of unit {} is outside the register space (registers 0 to {})", reg,
                                    unit, RegisterSpace::kRegistersPerUnit - 1));
    }
}

void Execution::WriteRegister(unsigned unit, unsigned reg, RegisterValue const& value) {
    CheckRegister(unit, reg);
    Event event;
    event.kind = Event::Kind::kWrite;
    event.opcode = opcode;
    event.word_offset = word_offset;
    event.unit = static_cast<uint8_t>(unit);
    event.reg = static_cast<uint16_t>(reg);
    event.old_value = result.registers.Get(unit, reg);
    event.new_value = value;
    result.registers.Set(unit, reg, value);
    result.events.push_back(std::move(event));
}

// A value written into a bit range lands at bit lsb; it must fit the range, and a register whose
// value is symbolic cannot have part of it replaced.
void Execution::WriteBits(unsigned unit, unsigned reg, unsigned lsb, unsigned msb, RegisterValue const& value) {
    if (lsb == 0 && msb == 31) {
        WriteRegister(unit, reg, value);
        return;
    }
    CheckRegister(unit, reg);
    if (value.IsSymbolic()) {
        throw BaseError(fmt::format("Value {} cannot be written into {} without a base for '{}'", value.ToString(),
                                    BitsText(lsb, msb), value.reloc_id));
    }
    uint32_t const mask = FieldMask(lsb, msb);
    if (value.value > (mask >> lsb)) {
        throw BaseError(fmt::format("Value {} does not fit {}", value.ToString(), BitsText(lsb, msb)));
    }
    RegisterValue const old_value = result.registers.Get(unit, reg);
    if (old_value.IsSymbolic()) {
        throw BaseError(fmt::format("Unit {} register {} holds {}: its {} cannot be changed without a base for '{}'",
                                    unit, reg, old_value.ToString(), BitsText(lsb, msb), old_value.reloc_id));
    }
    WriteRegister(unit, reg, RegisterValue{(old_value.value & ~mask) | (value.value << lsb), ""});
}

void Execution::AddEvent(Event::Kind kind, InstrBase const& instr) {
    Event event;
    event.kind = kind;
    event.opcode = opcode;
    event.word_offset = word_offset;
    event.text = ResolvedText(instr);
    result.events.push_back(std::move(event));
}

bool Execution::Execute(InstrBase const& instr, unsigned offset) {
    opcode = instr.GetOpcode();
    word_offset = offset;
    switch (opcode) {
    case InstrBase::OP_WRITE: {
        auto const& write = static_cast<InstrWrite const&>(instr);
        WriteBits(write.GetIpId(), write.GetRegId(), write.GetLsbMsb().GetLsb(), write.GetLsbMsb().GetMsb(),
                  Resolve(write.GetValue()));
        return true;
    }
    case InstrBase::OP_WRITEFIELD: {
        auto const& field = static_cast<InstrWriteField const&>(instr);
        unsigned const msb = field.GetLsb() + field.GetWidth() - 1u;
        if (msb > 31) {
            throw BaseError(fmt::format("Field {} runs past bit 31", BitsText(field.GetLsb(), msb)));
        }
        WriteBits(field.GetIpId(), field.GetRegId(), field.GetLsb(), msb, RegisterValue{field.GetValue(), ""});
        return true;
    }
    case InstrBase::OP_BURSTWRITE:
    case InstrBase::OP_BURSTWRITEINC: {
        auto const& burst = static_cast<InstrBurstWrite const&>(instr);
        unsigned const step = opcode == InstrBase::OP_BURSTWRITEINC ? 1 : 0;
        unsigned reg = burst.GetRegId();
        for (auto const& value : burst.GetValues()) {
            WriteRegister(burst.GetIpId(), reg, Resolve(*value));
            reg += step;
        }
        return true;
    }
    case InstrBase::OP_POLL:
        AddEvent(Event::Kind::kPoll, instr);
        return true;
    case InstrBase::OP_WFI:
    case InstrBase::OP_WFT:
        AddEvent(Event::Kind::kWait, instr);
        return true;
    case InstrBase::OP_IRQ:
    case InstrBase::OP_IRQNA:
    case InstrBase::OP_LABEL:
    case InstrBase::OP_RESTART:
        AddEvent(Event::Kind::kMarker, instr);
        return true;
    case InstrBase::OP_STOP:
        AddEvent(Event::Kind::kStop, instr);
        result.stopped = true;
        return false;
    case InstrBase::OP_LOAD:
    case InstrBase::OP_LOADCLR:
    case InstrBase::OP_STORE:
    case InstrBase::OP_MOD:
    case InstrBase::OP_MODCLR:
        AddEvent(Event::Kind::kNotExecuted, instr);
        return true;
    case InstrBase::OP_DEBUG_INFO:
        return true;
    case InstrBase::OP_NONE:
        break;
    }
    FatalError::Print(__FILE__, __LINE__);
}

}  // namespace

std::string RegisterValue::ToString() const {
    if (reloc_id.empty()) {
        return fmt::format("0x{:x}", value);
    }
    return fmt::format("{}(0x{:x})", reloc_id, value);
}

RegisterSpace::RegisterSpace() : values(kUnits * kRegistersPerUnit, 0) {}

unsigned RegisterSpace::Index(unsigned unit, unsigned reg) {
    FATAL_IF(unit >= kUnits || reg >= kRegistersPerUnit);
    return unit * kRegistersPerUnit + reg;
}

RegisterValue RegisterSpace::Get(unsigned unit, unsigned reg) const {
    unsigned const index = Index(unit, reg);
    auto const symbol = symbols.find(index);
    return RegisterValue{values[index], symbol == symbols.end() ? std::string() : symbol->second};
}

void RegisterSpace::Set(unsigned unit, unsigned reg, RegisterValue const& value) {
    unsigned const index = Index(unit, reg);
    values[index] = value.value;
    if (value.IsSymbolic()) {
        symbols[index] = value.reloc_id;
    } else {
        symbols.erase(index);
    }
}

std::vector<RegisterSpace::Entry> RegisterSpace::NonZero() const {
    std::vector<Entry> entries;
    for (unsigned index = 0; index < values.size(); ++index) {
        auto const symbol = symbols.find(index);
        if (values[index] == 0 && symbol == symbols.end()) {
            continue;
        }
        entries.push_back(Entry{static_cast<uint8_t>(index / kRegistersPerUnit),
                                static_cast<uint16_t>(index % kRegistersPerUnit),
                                RegisterValue{values[index], symbol == symbols.end() ? std::string() : symbol->second}});
    }
    return entries;
}

std::string Event::ToString() const {
    switch (kind) {
    case Kind::kWrite:
        return fmt::format("{} unit {} register {}: {} -> {}", InstrBase::OpcodeToMnemonic(opcode), unit, reg,
                           old_value.ToString(), new_value.ToString());
    case Kind::kPoll:
        return text + " (taken as satisfied)";
    case Kind::kStop:
        return text + " (end of the run)";
    case Kind::kNotExecuted:
        return text + " (not executed on the host)";
    case Kind::kWait:
    case Kind::kMarker:
        break;
    }
    return text;
}

unsigned RunResult::WriteCount() const {
    unsigned count = 0;
    for (Event const& event : events) {
        count += event.IsWrite() ? 1 : 0;
    }
    return count;
}

unsigned RunResult::OtherEventCount() const {
    return static_cast<unsigned>(events.size()) - WriteCount();
}

RunResult Interpreter::Run(Program const& program) const {
    RunResult result;
    Execution run(bases, result);
    unsigned offset = 0;
    for (auto const& instr : program.GetInstructions()) {
        try {
            if (!run.Execute(*instr, offset)) {
                break;
            }
        } catch (BaseError& error) {
            error.AddMsg(fmt::format("Cannot execute the instruction at word offset {}: {}", offset, instr->ToAsm()));
            throw;
        }
        offset += instr->GetSize();
    }
    return result;
}

RunResult Interpreter::Run(Binary const& binary) const {
    Program program;
    program.FromBinary(binary);
    return Run(program);
}

}  // namespace EpochController
