// Encoding of the EC instructions into 32-bit program words (ToBinary) and decoding back (FromBinary).
#include <string>

#include "binary.h"
#include "error_core.h"
#include "fatal_report.h"
#include "instructions.h"

namespace EpochController {

namespace {

// A field of a program word: `width` bits starting at bit `shift`.
struct WordField {
    unsigned shift;
    unsigned width;

    constexpr uint32_t Max() const { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u; }
    constexpr uint32_t Get(uint32_t word) const { return (word >> shift) & Max(); }
    constexpr uint32_t Put(uint32_t value) const { return (value & Max()) << shift; }
};

// Every instruction word starts with the opcode in bits 4..0.
constexpr WordField kOpcode{0, 5};

// ---- Decoding guards ---------------------------------------------------------------------------

std::string AtOffset(unsigned pos)
{
    return "Cannot decode instruction at offset " + std::to_string(pos) + ": ";
}

// Words left in the program from `pos` on.
std::size_t WordsLeft(Binary const& binary, unsigned pos)
{
    std::size_t const size = binary.GetProgram().size();
    return pos < size ? size - pos : 0;
}

// Refuses an instruction of `count` words at `pos` that does not fit in the program.
void RequireWords(Binary const& binary, unsigned pos, std::size_t count)
{
    std::size_t const left = WordsLeft(binary, pos);
    if (left < count) {
        throw BaseError(AtOffset(pos) + "the program ends after " + std::to_string(left) + " of its " +
                        std::to_string(count) + " words");
    }
}

// Refuses a range word whose MSB field lies below its LSB field: no LsbMsb holds such a range.
void RequireOrderedRange(LsbMsb const& range, unsigned pos)
{
    if (range.GetMsb() < range.GetLsb()) {
        throw BaseError(AtOffset(pos) + "MSB " + std::to_string(range.GetMsb()) + " is below LSB " +
                        std::to_string(range.GetLsb()));
    }
}

uint8_t OpcodeByte(InstrBase::Opcode opcode)
{
    return static_cast<uint8_t>(opcode);
}

}  // namespace

// ---- Bit range ---------------------------------------------------------------------------------

// Range fields, bits 14..5 of a register-access or mod word:
//   14..10 msb | 9..5 lsb
namespace RangeWord {
constexpr WordField kLsb{5, 5};
constexpr WordField kMsb{10, 5};
}  // namespace RangeWord

uint32_t LsbMsb::ToBinary(uint32_t word) const
{
    FATAL_IF((lsb & 0x1f) != lsb);
    FATAL_IF((msb & 0x1f) != msb);
    FATAL_IF((word & (0x3ff << 5)) != 0);
    return word | RangeWord::kLsb.Put(lsb) | RangeWord::kMsb.Put(msb);
}

// Built without the constructor so that the decoders can report msb < lsb as bad input.
LsbMsb* LsbMsb::FromBinary(uint32_t word)
{
    LsbMsb* range = new LsbMsb(0, 0);
    range->lsb = static_cast<uint8_t>(RangeWord::kLsb.Get(word));
    range->msb = static_cast<uint8_t>(RangeWord::kMsb.Get(word));
    return range;
}

// ---- Relocatable value -------------------------------------------------------------------------

// One word holding the value unchanged; a relocatable value also lists that word's position
// under its symbol in the relocation table.
void RelocValue::ToBinary(Binary& binary) const
{
    uint32_t const position = binary.AddWord(value);
    if (!reloc_id.empty()) {
        binary.AddReloc(reloc_id, position);
    }
}

RelocValue* RelocValue::FromBinary(Binary const& binary, unsigned& pos)
{
    FATAL_IF(binary.GetProgram().size() <= pos);
    RelocValue* value = new RelocValue(binary.GetProgram()[pos], binary.FindRelocId(pos));
    ++pos;
    return value;
}

// ---- Dispatch ----------------------------------------------------------------------------------

InstrBase* InstrBase::FromBinary(Binary const& binary, unsigned& pos)
{
    FATAL_IF(binary.GetProgram().size() <= pos);
    switch (kOpcode.Get(binary.GetProgram()[pos])) {
    case OP_WRITE:
        return InstrWrite::FromBinary(binary, pos);
    case OP_WRITEFIELD:
        return InstrWriteField::FromBinary(binary, pos);
    case OP_BURSTWRITE:
        return InstrBurstWrite::FromBinary(binary, pos);
    case OP_BURSTWRITEINC:
        return InstrBurstWriteInc::FromBinary(binary, pos);
    case OP_POLL:
        return InstrPoll::FromBinary(binary, pos);
    case OP_LOAD:
        return InstrLoad::FromBinary(binary, pos);
    case OP_LOADCLR:
        return InstrLoadClr::FromBinary(binary, pos);
    case OP_MOD:
        return InstrMod::FromBinary(binary, pos);
    case OP_MODCLR:
        return InstrModClr::FromBinary(binary, pos);
    case OP_STORE:
        return InstrStore::FromBinary(binary, pos);
    case OP_WFI:
        return InstrWFI::FromBinary(binary, pos);
    case OP_WFT:
        return InstrWFT::FromBinary(binary, pos);
    case OP_IRQ:
        return InstrIRQ::FromBinary(binary, pos);
    case OP_IRQNA:
        return InstrIRQNA::FromBinary(binary, pos);
    case OP_LABEL:
        return InstrLabel::FromBinary(binary, pos);
    case OP_RESTART:
        return InstrRestart::FromBinary(binary, pos);
    case OP_STOP:
        return InstrStop::FromBinary(binary, pos);
    default:
        return nullptr;
    }
}

// ---- Debug information -------------------------------------------------------------------------

// No word: the text is attached to the position of the next instruction.
void InstrDebugInfo::ToBinary(Binary& binary) const
{
    binary.AddDebugInfo(static_cast<unsigned>(binary.GetProgram().size()), info);
}

InstrDebugInfo* InstrDebugInfo::FromBinary(Binary const& binary, unsigned& pos)
{
    auto const entry = binary.GetDebugInfo().find(pos);
    return new InstrDebugInfo(entry != binary.GetDebugInfo().end() ? entry->second : std::string());
}

// ---- Register accesses -------------------------------------------------------------------------

// First word of a register access:
//   31..26 ip_id | 25..16 reg_id | 15..5 range or burst count | 4..0 opcode
namespace RegisterWord {
constexpr WordField kIpId{26, 6};
constexpr WordField kRegId{16, 10};
constexpr WordField kBurstCount{5, 11};
}  // namespace RegisterWord

uint32_t InstrReadWrite::ToBinaryFirstWord(uint32_t word, uint8_t opcode) const
{
    FATAL_IF((opcode & 0x1f) != opcode);
    FATAL_IF((ip_id & 0x3f) != ip_id);
    FATAL_IF((reg_id & 0x3ff) != reg_id);
    FATAL_IF((word & (0x1f | (0x3ff << 16) | (0x3f << 26))) != 0);
    return RegisterWord::kIpId.Put(ip_id) | RegisterWord::kRegId.Put(reg_id) | word | kOpcode.Put(opcode);
}

void InstrReadWrite::FromBinaryFirstWord(uint32_t word, uint8_t& ip_id, uint16_t& reg_id)
{
    ip_id = static_cast<uint8_t>(RegisterWord::kIpId.Get(word));
    reg_id = static_cast<uint16_t>(RegisterWord::kRegId.Get(word));
}

uint32_t InstrReadWriteLsbMsb::ToBinaryFirstWord(uint32_t word, uint8_t opcode) const
{
    return lsb_msb->ToBinary(InstrReadWrite::ToBinaryFirstWord(word, opcode));
}

void InstrReadWriteLsbMsb::FromBinaryFirstWord(uint32_t word, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb)
{
    InstrReadWrite::FromBinaryFirstWord(word, ip_id, reg_id);
    lsb_msb = LsbMsb::FromBinary(word);
}

// write, load, loadclr, store: the first word with its range (through the virtual call).
void InstrReadWriteLsbMsb::ToBinary(Binary& binary) const
{
    binary.AddWord(ToBinaryFirstWord(0, OpcodeByte(GetOpcode())));
}

// write: word 0 = first word with range, word 1 = value.
void InstrReadWriteLsbMsbValue::ToBinary(Binary& binary) const
{
    InstrReadWriteLsbMsb::ToBinary(binary);
    value->ToBinary(binary);
}

// poll: word 0 = first word with range, word 1 = interval_cycles, word 2 = value.
void InstrPoll::ToBinary(Binary& binary) const
{
    binary.AddWord(InstrReadWriteLsbMsb::ToBinaryFirstWord(0, OpcodeByte(GetOpcode())));
    binary.AddWord(interval_cycles);
    GetValue().ToBinary(binary);
}

// burstwrite, burstwriteinc: word 0 = first word with the value count, then one word per value.
void InstrBurstWrite::ToBinary(Binary& binary) const
{
    FATAL_IF(values.size() >= (1 << 11));
    binary.AddWord(InstrReadWrite::ToBinaryFirstWord(RegisterWord::kBurstCount.Put(static_cast<uint32_t>(values.size())),
                                                     OpcodeByte(GetOpcode())));
    for (auto const& value : values) {
        value->ToBinary(binary);
    }
}

namespace {

// Reads unit, register and an ordered range from the first word at `pos`, after making sure
// that all `count` words of the instruction are in the program.
void DecodeRangeAccess(Binary const& binary, unsigned pos, std::size_t count, uint8_t& ip_id, uint16_t& reg_id,
                       std::unique_ptr<LsbMsb>& lsb_msb)
{
    RequireWords(binary, pos, count);
    LsbMsb* range = nullptr;
    InstrReadWriteLsbMsb::FromBinaryFirstWord(binary.GetProgram()[pos], ip_id, reg_id, range);
    lsb_msb.reset(range);
    RequireOrderedRange(*lsb_msb, pos);
}

template <class Access>
Access* DecodeRangeOnly(Binary const& binary, unsigned& pos)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    std::unique_ptr<LsbMsb> lsb_msb;
    DecodeRangeAccess(binary, pos, 1, ip_id, reg_id, lsb_msb);
    ++pos;
    return new Access(ip_id, reg_id, lsb_msb.release());
}

// An empty burst is its first word alone, so only that word is required before the count is read.
template <class Burst>
Burst* DecodeBurst(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 1);
    uint32_t const word = binary.GetProgram()[pos];
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    InstrReadWrite::FromBinaryFirstWord(word, ip_id, reg_id);
    uint32_t const count = RegisterWord::kBurstCount.Get(word);
    std::size_t const left = WordsLeft(binary, pos);
    if (left < 1u + count) {
        throw BaseError(AtOffset(pos) + "the program ends after " + std::to_string(left) + " of the " +
                        std::to_string(1u + count) + " words of a burst (count " + std::to_string(count) + ")");
    }
    unsigned next = pos + 1;
    std::vector<RelocValue const*> values;
    values.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        values.push_back(RelocValue::FromBinary(binary, next));
    }
    pos = next;
    return new Burst(ip_id, reg_id, values);
}

}  // namespace

InstrWrite* InstrWrite::FromBinary(Binary const& binary, unsigned& pos)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    std::unique_ptr<LsbMsb> lsb_msb;
    DecodeRangeAccess(binary, pos, 2, ip_id, reg_id, lsb_msb);
    unsigned next = pos + 1;
    RelocValue* value = RelocValue::FromBinary(binary, next);
    pos = next;
    return new InstrWrite(ip_id, reg_id, lsb_msb.release(), value);
}

InstrPoll* InstrPoll::FromBinary(Binary const& binary, unsigned& pos)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    std::unique_ptr<LsbMsb> lsb_msb;
    DecodeRangeAccess(binary, pos, 3, ip_id, reg_id, lsb_msb);
    uint32_t const interval_cycles = binary.GetProgram()[pos + 1];
    unsigned next = pos + 2;
    RelocValue* value = RelocValue::FromBinary(binary, next);
    pos = next;
    return new InstrPoll(ip_id, reg_id, lsb_msb.release(), value, interval_cycles);
}

InstrLoad* InstrLoad::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeRangeOnly<InstrLoad>(binary, pos);
}

InstrLoadClr* InstrLoadClr::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeRangeOnly<InstrLoadClr>(binary, pos);
}

InstrStore* InstrStore::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeRangeOnly<InstrStore>(binary, pos);
}

InstrBurstWrite* InstrBurstWrite::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeBurst<InstrBurstWrite>(binary, pos);
}

InstrBurstWriteInc* InstrBurstWriteInc::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeBurst<InstrBurstWriteInc>(binary, pos);
}

// ---- writefield ----------------------------------------------------------------------------------

// writefield word:
//   31..26 ip_id | 25..21 reg_id | 20..13 value | 12..10 width - 1 | 9..5 lsb | 4..0 opcode
namespace WriteFieldWord {
constexpr WordField kIpId{26, 6};
constexpr WordField kRegId{21, 5};
constexpr WordField kValue{13, 8};
constexpr WordField kWidthMinusOne{10, 3};
constexpr WordField kLsb{5, 5};
}  // namespace WriteFieldWord

void InstrWriteField::ToBinary(Binary& binary) const
{
    FATAL_IF((ip_id & 0x3f) != ip_id);
    FATAL_IF((reg_id & 0x1f) != reg_id);
    FATAL_IF((lsb & 0x1f) != lsb);
    FATAL_IF(width == 0);
    FATAL_IF(((width - 1) & 0x07) != (width - 1));
    binary.AddWord(WriteFieldWord::kIpId.Put(ip_id) | WriteFieldWord::kRegId.Put(reg_id) |
                   WriteFieldWord::kValue.Put(value) | WriteFieldWord::kWidthMinusOne.Put(width - 1u) |
                   WriteFieldWord::kLsb.Put(lsb) | kOpcode.Put(OP_WRITEFIELD));
}

InstrWriteField* InstrWriteField::FromBinary(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 1);
    uint32_t const word = binary.GetProgram()[pos];
    ++pos;
    return new InstrWriteField(static_cast<uint8_t>(WriteFieldWord::kIpId.Get(word)),
                               static_cast<uint8_t>(WriteFieldWord::kRegId.Get(word)),
                               static_cast<uint8_t>(WriteFieldWord::kLsb.Get(word)),
                               static_cast<uint8_t>(WriteFieldWord::kWidthMinusOne.Get(word) + 1),
                               static_cast<uint8_t>(WriteFieldWord::kValue.Get(word)));
}

// ---- mod, modclr ---------------------------------------------------------------------------------

// mod word: 31..15 zero | 14..10 msb | 9..5 lsb | 4..0 opcode; word 1 = value.
void InstrMod::ToBinary(Binary& binary) const
{
    binary.AddWord(lsb_msb->ToBinary(kOpcode.Put(OpcodeByte(GetOpcode()))));
    value->ToBinary(binary);
}

namespace {

template <class Mod>
Mod* DecodeMod(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 2);
    std::unique_ptr<LsbMsb> lsb_msb(LsbMsb::FromBinary(binary.GetProgram()[pos]));
    RequireOrderedRange(*lsb_msb, pos);
    unsigned next = pos + 1;
    RelocValue* value = RelocValue::FromBinary(binary, next);
    pos = next;
    return new Mod(lsb_msb.release(), value);
}

}  // namespace

InstrMod* InstrMod::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeMod<InstrMod>(binary, pos);
}

InstrModClr* InstrModClr::FromBinary(Binary const& binary, unsigned& pos)
{
    return DecodeMod<InstrModClr>(binary, pos);
}

// ---- wfi, wft ------------------------------------------------------------------------------------

// wfi and wft word: 31..9 timeout | 8..5 irq_id or trigger_id | 4..0 opcode; wft adds word 1 = events.
namespace WaitWord {
constexpr WordField kTimeout{9, 23};
constexpr WordField kId{5, 4};
}  // namespace WaitWord

void InstrWFI::ToBinary(Binary& binary) const
{
    FATAL_IF((GetOpcode() & 0x1f) != GetOpcode());
    FATAL_IF((irq_id & 0xf) != irq_id);
    FATAL_IF((timeout & 0x7fffff) != timeout);
    binary.AddWord(WaitWord::kTimeout.Put(timeout) | WaitWord::kId.Put(irq_id) | kOpcode.Put(OP_WFI));
}

InstrWFI* InstrWFI::FromBinary(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 1);
    uint32_t const word = binary.GetProgram()[pos];
    ++pos;
    return new InstrWFI(static_cast<uint8_t>(WaitWord::kId.Get(word)), WaitWord::kTimeout.Get(word));
}

void InstrWFT::ToBinary(Binary& binary) const
{
    FATAL_IF((trigger_id & 0xf) != trigger_id);
    FATAL_IF((timeout & 0x7fffff) != timeout);
    binary.AddWord(WaitWord::kTimeout.Put(timeout) | WaitWord::kId.Put(trigger_id) | kOpcode.Put(OP_WFT));
    binary.AddWord(events);
}

InstrWFT* InstrWFT::FromBinary(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 2);
    uint32_t const word = binary.GetProgram()[pos];
    uint32_t const events = binary.GetProgram()[pos + 1];
    pos += 2;
    return new InstrWFT(static_cast<uint8_t>(WaitWord::kId.Get(word)), WaitWord::kTimeout.Get(word), events);
}

// ---- irq, irqna, label, restart, stop ------------------------------------------------------------

// Label word: 31..5 label | 4..0 opcode.
namespace LabelWord {
constexpr WordField kLabel{5, 27};
}  // namespace LabelWord

void InstrGenLabel::ToBinary(Binary& binary) const
{
    FATAL_IF((label & 0x7ffffff) != label);
    binary.AddWord(LabelWord::kLabel.Put(label) | kOpcode.Put(OpcodeByte(GetOpcode())));
}

uint32_t InstrGenLabel::LabelFromBinary(Binary const& binary, unsigned& pos)
{
    RequireWords(binary, pos, 1);
    uint32_t const word = binary.GetProgram()[pos];
    ++pos;
    return LabelWord::kLabel.Get(word);
}

InstrIRQ* InstrIRQ::FromBinary(Binary const& binary, unsigned& pos)
{
    return new InstrIRQ(LabelFromBinary(binary, pos));
}

InstrIRQNA* InstrIRQNA::FromBinary(Binary const& binary, unsigned& pos)
{
    return new InstrIRQNA(LabelFromBinary(binary, pos));
}

InstrLabel* InstrLabel::FromBinary(Binary const& binary, unsigned& pos)
{
    return new InstrLabel(LabelFromBinary(binary, pos));
}

InstrRestart* InstrRestart::FromBinary(Binary const& binary, unsigned& pos)
{
    return new InstrRestart(LabelFromBinary(binary, pos));
}

InstrStop* InstrStop::FromBinary(Binary const& binary, unsigned& pos)
{
    return new InstrStop(LabelFromBinary(binary, pos));
}

}  // namespace EpochController
