// Host interpreter of Epoch Controller programs: a model of the register space, the event trace of a run and its final state.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "binary.h"
#include "instructions.h"
#include "program.h"

namespace EpochController {

// Content of one register: an absolute value, or an offset from a relocation symbol whose base
// address is not known on the host (`reloc_id` not empty).
struct RegisterValue {
    uint32_t value = 0;
    std::string reloc_id;

    // Tells whether the register holds the absolute value 0 (its state before any write).
    bool IsZero() const { return value == 0 && reloc_id.empty(); }
    // Tells whether the value depends on a relocation symbol without a known base.
    bool IsSymbolic() const { return !reloc_id.empty(); }
    // Returns "0x<hex>" or "<reloc_id>(0x<hex>)", the forms of the assembly text.
    std::string ToString() const;

    bool operator==(RegisterValue const& other) const {
        return value == other.value && reloc_id == other.reloc_id;
    }
    bool operator!=(RegisterValue const& other) const { return !(*this == other); }
};

// The accelerator's register space as the interpreter sees it: 32 unit pages of 1024 registers,
// all zero at the start.
class RegisterSpace {
public:
    static constexpr unsigned kUnits = 32;
    static constexpr unsigned kRegistersPerUnit = 1024;

    // One register that is not zero.
    struct Entry {
        uint8_t unit;
        uint16_t reg;
        RegisterValue value;
    };

    // Builds a register space with every register zero.
    RegisterSpace();

    // Returns the content of a register; `unit` and `reg` must lie inside the space.
    RegisterValue Get(unsigned unit, unsigned reg) const;
    // Sets the content of a register; `unit` and `reg` must lie inside the space.
    void Set(unsigned unit, unsigned reg, RegisterValue const& value);
    // Returns the registers that are not zero, in ascending order of unit, then register.
    std::vector<Entry> NonZero() const;

    bool operator==(RegisterSpace const& other) const {
        return values == other.values && symbols == other.symbols;
    }
    bool operator!=(RegisterSpace const& other) const { return !(*this == other); }

private:
    static unsigned Index(unsigned unit, unsigned reg);

    std::vector<uint32_t> values;
    // Register index -> relocation symbol of the registers whose value is symbolic.
    std::map<unsigned, std::string> symbols;
};

// One step of a run: a register write, or an instruction that does not write a register.
struct Event {
    enum class Kind {
        kWrite,        // a register received a value (write, writefield, either burst)
        kPoll,         // a poll, taken as satisfied
        kWait,         // wfi or wft
        kMarker,       // label, irq, irqna, restart
        kStop,         // stop: ends the run
        kNotExecuted,  // load, loadclr, store, mod, modclr: interpreted by the device only
    };

    Kind kind = Kind::kWrite;
    InstrBase::Opcode opcode = InstrBase::OP_NONE;
    // Word offset of the instruction in the program.
    unsigned word_offset = 0;
    // The register written, its content before and after (writes only).
    uint8_t unit = 0;
    uint16_t reg = 0;
    RegisterValue old_value;
    RegisterValue new_value;
    // Assembly text of the instruction, relocation bases applied (other events only).
    std::string text;

    // Tells whether the event is a register write.
    bool IsWrite() const { return kind == Kind::kWrite; }
    // Tells whether two non-write events are the same instruction (kind, opcode and operands).
    bool IsSameAs(Event const& other) const {
        return kind == other.kind && opcode == other.opcode && text == other.text;
    }
    // Returns one line without line feed, e.g. "write unit 3 register 12: 0x0 -> 0x10" or
    // "poll 5 0 [31] 0x0 100 (taken as satisfied)".
    std::string ToString() const;
};

// The outcome of a run: every event in order and the register space at the end.
struct RunResult {
    std::vector<Event> events;
    RegisterSpace registers;
    // True when the run ended at a stop instruction rather than at the end of the program.
    bool stopped = false;

    // Returns the number of register writes and of other events.
    unsigned WriteCount() const;
    unsigned OtherEventCount() const;
};

// Executes programs on a RegisterSpace. A relocatable value whose symbol has a base becomes the
// absolute value base + offset (modulo 2^32, as the device adds them); without a base it stays
// symbolic.
class Interpreter {
public:
    using RelocBases = std::map<std::string, uint32_t>;

    // Builds an interpreter that knows no relocation base.
    Interpreter() = default;
    // Builds an interpreter that applies `bases` by relocation symbol.
    explicit Interpreter(RelocBases bases) : bases(std::move(bases)) {}

    // Runs `program` from its first instruction until a stop or its end. Throws a BaseError naming
    // the instruction when the register model cannot execute it: a unit above 31 or a register
    // above 1023 (also reached by an incrementing burst), a field past bit 31, a value wider than
    // its bit range, or a bit-range write that involves a symbolic value.
    RunResult Run(Program const& program) const;
    // Decodes `binary` and runs it.
    RunResult Run(Binary const& binary) const;

private:
    RelocBases bases;
};

}  // namespace EpochController
