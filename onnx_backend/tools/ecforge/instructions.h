// The Epoch Controller instruction model: opcodes, bit ranges, relocatable values and the instruction classes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SimpleTextParser;

namespace EpochController {

class Binary;

// A bit range lsb..msb (inclusive) of a 32-bit register; [0, 31] is the whole register.
class LsbMsb {
public:
    // Builds the range; lsb <= msb <= 31 is a contract.
    LsbMsb(uint8_t lsb, uint8_t msb);

    // Return the lowest and the highest bit of the range.
    uint8_t GetLsb() const { return lsb; }
    uint8_t GetMsb() const { return msb; }
    // Tells whether the range covers the whole register.
    bool IsFullRegister() const { return lsb == 0 && msb == 31; }
    // Tells whether both bounds are equal.
    bool IsEqual(LsbMsb const& other) const { return lsb == other.lsb && msb == other.msb; }
    // Returns a new range with the same bounds.
    LsbMsb* Copy() const { return new LsbMsb(lsb, msb); }

    // Returns "" for the whole register, else " [lsb]" or " [lsb:msb]".
    std::string ToAsm() const;
    // Reads an optional bracketed range; returns null, with the cursor unmoved, when none follows.
    static LsbMsb* FromAsm(SimpleTextParser& parser);

    // Returns `word` with the range added in bits 14..5; those bits of `word` must be clear.
    uint32_t ToBinary(uint32_t word) const;
    // Returns a new range from bits 9..5 (lsb) and 14..10 (msb); the caller checks lsb <= msb.
    static LsbMsb* FromBinary(uint32_t word);

private:
    uint8_t lsb;
    uint8_t msb;
};

// A 32-bit value, absolute when `reloc_id` is empty, else an offset from the base of that symbol.
class RelocValue {
public:
    RelocValue(uint32_t value, std::string const& reloc_id = std::string());

    // Return the value and the relocation symbol (empty for an absolute value).
    uint32_t GetValue() const { return value; }
    std::string const& GetRelocId() const { return reloc_id; }
    // Tells whether the value is relative to a relocation symbol.
    bool IsRelocatable() const { return !reloc_id.empty(); }
    // Tells whether value and symbol are equal.
    bool IsEqual(RelocValue const& other) const { return value == other.value && reloc_id == other.reloc_id; }
    // Returns a new value with the same contents.
    RelocValue* Copy() const { return new RelocValue(value, reloc_id); }

    // Returns "0x<hex>" or "<reloc_id>(0x<hex>)".
    std::string ToAsm() const;
    // Reads a number, "id(number)", "(number)", or an id at the end of the line (value 0).
    static RelocValue* FromAsm(SimpleTextParser& parser);

    // Appends the value word, and records its position under `reloc_id` when relocatable.
    void ToBinary(Binary& binary) const;
    // Returns a new value from the word at `pos`, with the first symbol whose table entry holds
    // `pos`; advances `pos` by one.
    static RelocValue* FromBinary(Binary const& binary, unsigned& pos);

private:
    uint32_t value;
    std::string reloc_id;
};

// Root of the instruction classes. Instructions are immutable once built.
class InstrBase {
public:
    enum Opcode : int32_t {
        OP_NONE = -1,  // result of a failed mnemonic lookup
        OP_WRITE = 0,
        OP_WRITEFIELD = 1,
        OP_BURSTWRITE = 2,
        OP_BURSTWRITEINC = 3,
        OP_POLL = 4,
        OP_LOAD = 5,
        OP_LOADCLR = 6,
        OP_MOD = 7,
        OP_MODCLR = 8,
        OP_STORE = 9,
        OP_WFI = 10,
        OP_WFT = 11,
        OP_IRQ = 12,
        OP_IRQNA = 13,
        OP_LABEL = 29,
        OP_RESTART = 30,
        OP_STOP = 31,
        OP_DEBUG_INFO = 999,  // pseudo-instruction without program words
    };

    virtual ~InstrBase() = default;
    InstrBase(InstrBase const&) = delete;
    InstrBase& operator=(InstrBase const&) = delete;

    // Returns the assembly text of the instruction (here: the mnemonic alone).
    virtual std::string ToAsm() const;
    // Appends the instruction's words to `binary`.
    virtual void ToBinary(Binary& binary) const = 0;
    // Returns a new deep copy owned by the caller.
    virtual InstrBase* Copy() const = 0;
    // Tells whether `other` is the same instruction (here: the same opcode).
    virtual bool IsEqual(InstrBase const* other) const;

    // Returns the opcode.
    Opcode GetOpcode() const { return opcode; }
    // Returns the number of program words the instruction occupies.
    uint16_t GetSize() const { return size; }
    // Tells whether the instruction is debug information (a comment without words).
    bool IsDebugInfo() const { return opcode == OP_DEBUG_INFO; }

    // Returns the mnemonic of `opcode`, or "" when it has none.
    static std::string OpcodeToMnemonic(Opcode opcode);
    // Returns the opcode of a mnemonic (case-insensitive), or OP_NONE.
    static Opcode MnemonicToOpcode(std::string const& name);

    // Reads one line; returns a new instruction, or null when the first token is no mnemonic.
    static InstrBase* FromAsm(SimpleTextParser& parser);
    // Decodes the instruction at `pos` (which must lie inside the program) and moves `pos`
    // past it; returns null, leaving `pos`, for an unassigned opcode. Words that no
    // instruction accepts throw a BaseError naming the offset.
    static InstrBase* FromBinary(Binary const& binary, unsigned& pos);

protected:
    InstrBase(Opcode opcode, uint16_t size);

private:
    Opcode opcode;
    uint16_t size;
};

// Free text travelling with the program; no program words.
class InstrDebugInfo : public InstrBase {
public:
    explicit InstrDebugInfo(std::string const& info);

    // Returns the text.
    std::string const& GetInfo() const { return info; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrDebugInfo* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    // Builds the entry from the rest of the line after ";;".
    static InstrDebugInfo* FromAsm(SimpleTextParser& parser);
    // Returns the text recorded for `pos` (empty when none); `pos` does not move.
    static InstrDebugInfo* FromBinary(Binary const& binary, unsigned& pos);

private:
    std::string info;
};

// An access to register `reg_id` of unit `ip_id`.
class InstrReadWrite : public InstrBase {
public:
    // Return the unit and the register.
    uint8_t GetIpId() const { return ip_id; }
    uint16_t GetRegId() const { return reg_id; }

    std::string ToAsm() const override;
    bool IsEqual(InstrBase const* other) const override;

    // Returns unit, register and opcode combined with `word`, which may use bits 15..5 only.
    virtual uint32_t ToBinaryFirstWord(uint32_t word, uint8_t opcode) const;
    // Reads unit and register from a first word.
    static void FromBinaryFirstWord(uint32_t word, uint8_t& ip_id, uint16_t& reg_id);
    // Reads the "IP id" and "register id" operands.
    static void FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id);

protected:
    InstrReadWrite(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id);

private:
    uint8_t ip_id;
    uint16_t reg_id;
};

// Writes every value to the same register.
class InstrBurstWrite : public InstrReadWrite {
public:
    // Most values a burst can hold: the count field of its first word has 11 bits.
    static constexpr unsigned kMaxValues = (1u << 11) - 1;

    // Takes ownership of every value.
    InstrBurstWrite(uint8_t ip_id, uint16_t reg_id, std::vector<RelocValue const*> const& values);

    // Return the values in order.
    std::vector<std::unique_ptr<RelocValue const>> const& GetValues() const { return values; }
    // Returns new copies of the values, for a constructor to take over.
    std::vector<RelocValue const*> CopyValues() const;

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrBurstWrite* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrBurstWrite* FromAsm(SimpleTextParser& parser);
    static InstrBurstWrite* FromBinary(Binary const& binary, unsigned& pos);

protected:
    InstrBurstWrite(Opcode opcode, uint8_t ip_id, uint16_t reg_id, std::vector<RelocValue const*> const& values);

private:
    std::vector<std::unique_ptr<RelocValue const>> values;
};

// Writes value k to register `reg_id` + k.
class InstrBurstWriteInc : public InstrBurstWrite {
public:
    // Takes ownership of every value.
    InstrBurstWriteInc(uint8_t ip_id, uint16_t reg_id, std::vector<RelocValue const*> const& values);

    InstrBurstWriteInc* Copy() const override;

    static InstrBurstWriteInc* FromAsm(SimpleTextParser& parser);
    static InstrBurstWriteInc* FromBinary(Binary const& binary, unsigned& pos);
};

// A register access restricted to a bit range.
class InstrReadWriteLsbMsb : public InstrReadWrite {
public:
    // Returns the bit range.
    LsbMsb const& GetLsbMsb() const { return *lsb_msb; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    bool IsEqual(InstrBase const* other) const override;

    // Adds the bit range to the first word.
    uint32_t ToBinaryFirstWord(uint32_t word, uint8_t opcode) const override;
    // Reads unit, register and bit range from a first word; the range is new and may have msb < lsb.
    static void FromBinaryFirstWord(uint32_t word, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb);
    // Reads unit, register and an optional range (null when absent).
    static void FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb);

protected:
    // Takes ownership of `lsb_msb`; null means the whole register.
    InstrReadWriteLsbMsb(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb);

private:
    std::unique_ptr<LsbMsb const> lsb_msb;
};

// "load": a register and bit range that the device interprets.
class InstrLoad : public InstrReadWriteLsbMsb {
public:
    InstrLoad(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb);
    InstrLoad* Copy() const override;
    static InstrLoad* FromAsm(SimpleTextParser& parser);
    static InstrLoad* FromBinary(Binary const& binary, unsigned& pos);
};

// "loadclr": a register and bit range that the device interprets.
class InstrLoadClr : public InstrReadWriteLsbMsb {
public:
    InstrLoadClr(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb);
    InstrLoadClr* Copy() const override;
    static InstrLoadClr* FromAsm(SimpleTextParser& parser);
    static InstrLoadClr* FromBinary(Binary const& binary, unsigned& pos);
};

// "store": a register and bit range that the device interprets.
class InstrStore : public InstrReadWriteLsbMsb {
public:
    InstrStore(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb);
    InstrStore* Copy() const override;
    static InstrStore* FromAsm(SimpleTextParser& parser);
    static InstrStore* FromBinary(Binary const& binary, unsigned& pos);
};

// A register access with a bit range and a value.
class InstrReadWriteLsbMsbValue : public InstrReadWriteLsbMsb {
public:
    // Returns the value.
    RelocValue const& GetValue() const { return *value; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    bool IsEqual(InstrBase const* other) const override;

    // Reads unit, register, an optional range (null when absent) and a value.
    static void FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb,
                        RelocValue*& value);
    // Reads unit, register and a value.
    static void FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, RelocValue*& value);

protected:
    // Takes ownership of `lsb_msb` (null: whole register) and of `value` (never null).
    InstrReadWriteLsbMsbValue(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb,
                              RelocValue const* value);

private:
    std::unique_ptr<RelocValue const> value;
};

// Writes `value` into bits lsb..msb of the register.
class InstrWrite : public InstrReadWriteLsbMsbValue {
public:
    InstrWrite(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb, RelocValue const* value);
    InstrWrite* Copy() const override;
    static InstrWrite* FromAsm(SimpleTextParser& parser);
    static InstrWrite* FromBinary(Binary const& binary, unsigned& pos);
};

// Waits until bits lsb..msb of the register equal `value`, checking every `interval_cycles` cycles.
class InstrPoll : public InstrReadWriteLsbMsbValue {
public:
    InstrPoll(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb, RelocValue const* value,
              uint32_t interval_cycles);

    // Returns the polling interval in cycles.
    uint32_t GetIntervalCycles() const { return interval_cycles; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrPoll* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrPoll* FromAsm(SimpleTextParser& parser);
    static InstrPoll* FromBinary(Binary const& binary, unsigned& pos);

private:
    uint32_t interval_cycles;
};

// Writes the small constant `value` into `width` bits from `lsb` of a register below 32.
class InstrWriteField : public InstrBase {
public:
    InstrWriteField(uint8_t ip_id, uint8_t reg_id, uint8_t lsb, uint8_t width, uint8_t value);

    // Return the unit, register, lowest bit, field width and value.
    uint8_t GetIpId() const { return ip_id; }
    uint16_t GetRegId() const { return reg_id; }
    uint8_t GetLsb() const { return lsb; }
    uint8_t GetWidth() const { return width; }
    uint8_t GetValue() const { return value; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrWriteField* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrWriteField* FromAsm(SimpleTextParser& parser);
    static InstrWriteField* FromBinary(Binary const& binary, unsigned& pos);

private:
    uint8_t ip_id;
    uint16_t reg_id;
    uint8_t lsb;
    uint8_t width;
    uint8_t value;
};

// "mod": a bit range and a value that the device interprets.
class InstrMod : public InstrBase {
public:
    // Takes ownership of `lsb_msb` (null: whole register) and of `value` (never null).
    InstrMod(LsbMsb const* lsb_msb, RelocValue const* value);

    // Return the bit range and the value.
    LsbMsb const& GetLsbMsb() const { return *lsb_msb; }
    RelocValue const& GetValue() const { return *value; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrMod* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrMod* FromAsm(SimpleTextParser& parser);
    static InstrMod* FromBinary(Binary const& binary, unsigned& pos);

protected:
    InstrMod(Opcode opcode, LsbMsb const* lsb_msb, RelocValue const* value);

private:
    std::unique_ptr<LsbMsb const> lsb_msb;
    std::unique_ptr<RelocValue const> value;
};

// "modclr": a bit range and a value that the device interprets.
class InstrModClr : public InstrMod {
public:
    InstrModClr(LsbMsb const* lsb_msb, RelocValue const* value);
    InstrModClr* Copy() const override;
    static InstrModClr* FromAsm(SimpleTextParser& parser);
    static InstrModClr* FromBinary(Binary const& binary, unsigned& pos);
};

// Waits for interrupt `irq_id`, at most `timeout`.
class InstrWFI : public InstrBase {
public:
    InstrWFI(uint8_t irq_id, uint32_t timeout);

    // Return the interrupt number and the timeout.
    uint8_t GetIrqId() const { return irq_id; }
    uint32_t GetTimeout() const { return timeout; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrWFI* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrWFI* FromAsm(SimpleTextParser& parser);
    static InstrWFI* FromBinary(Binary const& binary, unsigned& pos);

private:
    uint8_t irq_id;
    uint32_t timeout;
};

// Waits for the `events` of trigger `trigger_id`, at most `timeout`.
class InstrWFT : public InstrBase {
public:
    // Note the order: timeout before events (the text form has events first).
    InstrWFT(uint8_t trigger_id, uint32_t timeout, uint32_t events);

    // Return the trigger number, the event mask and the timeout.
    uint8_t GetTriggerId() const { return trigger_id; }
    uint32_t GetEvents() const { return events; }
    uint32_t GetTimeout() const { return timeout; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    InstrWFT* Copy() const override;
    bool IsEqual(InstrBase const* other) const override;

    static InstrWFT* FromAsm(SimpleTextParser& parser);
    static InstrWFT* FromBinary(Binary const& binary, unsigned& pos);

private:
    uint8_t trigger_id;
    uint32_t events;
    uint32_t timeout;
};

// An instruction with one 27-bit operand called the label.
class InstrGenLabel : public InstrBase {
public:
    // Returns the label operand.
    uint32_t GetLabel() const { return label; }

    std::string ToAsm() const override;
    void ToBinary(Binary& binary) const override;
    bool IsEqual(InstrBase const* other) const override;

protected:
    InstrGenLabel(Opcode opcode, uint32_t label);
    // Reads the "label" operand.
    static uint32_t LabelFromAsm(SimpleTextParser& parser);
    // Reads the label of the one-word instruction at `pos` and moves `pos` past it.
    static uint32_t LabelFromBinary(Binary const& binary, unsigned& pos);

private:
    uint32_t label;
};

// "irq"; the recorder ends every blob with one, label 0.
class InstrIRQ : public InstrGenLabel {
public:
    explicit InstrIRQ(uint32_t label);
    InstrIRQ* Copy() const override;
    static InstrIRQ* FromAsm(SimpleTextParser& parser);
    static InstrIRQ* FromBinary(Binary const& binary, unsigned& pos);
};

// "irqna".
class InstrIRQNA : public InstrGenLabel {
public:
    explicit InstrIRQNA(uint32_t label);
    InstrIRQNA* Copy() const override;
    static InstrIRQNA* FromAsm(SimpleTextParser& parser);
    static InstrIRQNA* FromBinary(Binary const& binary, unsigned& pos);
};

// "label"; the recorder starts every epoch with one holding the epoch number.
class InstrLabel : public InstrGenLabel {
public:
    explicit InstrLabel(uint32_t label);
    InstrLabel* Copy() const override;
    static InstrLabel* FromAsm(SimpleTextParser& parser);
    static InstrLabel* FromBinary(Binary const& binary, unsigned& pos);
};

// "restart".
class InstrRestart : public InstrGenLabel {
public:
    explicit InstrRestart(uint32_t label);
    InstrRestart* Copy() const override;
    static InstrRestart* FromAsm(SimpleTextParser& parser);
    static InstrRestart* FromBinary(Binary const& binary, unsigned& pos);
};

// "stop".
class InstrStop : public InstrGenLabel {
public:
    explicit InstrStop(uint32_t label);
    InstrStop* Copy() const override;
    static InstrStop* FromAsm(SimpleTextParser& parser);
    static InstrStop* FromBinary(Binary const& binary, unsigned& pos);
};

}  // namespace EpochController
