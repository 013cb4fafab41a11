// Constructors with their limits, mnemonic lookup, Copy and IsEqual of the EC instruction classes.
#include "instructions.h"

#include "fatal_report.h"
#include "strkit.h"

namespace EpochController {

namespace {

// Mnemonics of the EC opcodes 0 to 31; unassigned codes have none.
char const* const kMnemonics[32] = {
    "write", "writefield", "burstwrite", "burstwriteinc", "poll", "load", "loadclr", "mod",
    "modclr", "store", "wfi", "wft", "irq", "irqna", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "label", "restart", "stop",
};

std::vector<std::unique_ptr<RelocValue const>> TakeValues(std::vector<RelocValue const*> const& values)
{
    std::vector<std::unique_ptr<RelocValue const>> owned;
    owned.reserve(values.size());
    for (RelocValue const* value : values) {
        owned.emplace_back(value);
    }
    return owned;
}

LsbMsb const* WholeRegisterIfNull(LsbMsb const* lsb_msb)
{
    return lsb_msb != nullptr ? lsb_msb : new LsbMsb(0, 31);
}

}  // namespace

// ---- Value types -------------------------------------------------------------------------------

LsbMsb::LsbMsb(uint8_t lsb, uint8_t msb) : lsb(lsb), msb(msb)
{
    FATAL_IF(lsb >= (1 << 5));
    FATAL_IF(msb >= (1 << 5));
    FATAL_IF(msb < lsb);
}

RelocValue::RelocValue(uint32_t value, std::string const& reloc_id) : value(value), reloc_id(reloc_id) {}

// ---- InstrBase ---------------------------------------------------------------------------------

InstrBase::InstrBase(Opcode opcode, uint16_t size) : opcode(opcode), size(size)
{
    FATAL_IF(size > 2049);
    if (opcode == OP_DEBUG_INFO) {
        return;
    }
    FATAL_IF(opcode >= (1 << 5));
    FATAL_IF(OpcodeToMnemonic((Opcode)opcode).empty());
    FATAL_IF(size == 0);
}

std::string InstrBase::OpcodeToMnemonic(Opcode opcode)
{
    if (opcode < 0 || opcode >= 32) {
        return std::string();
    }
    return kMnemonics[opcode];
}

InstrBase::Opcode InstrBase::MnemonicToOpcode(std::string const& name)
{
    std::string const lower = StringUtils::ToLower(name);
    for (int32_t code = 0; code < 32; ++code) {
        if (kMnemonics[code][0] != '\0' && lower == kMnemonics[code]) {
            return static_cast<Opcode>(code);
        }
    }
    return OP_NONE;
}

bool InstrBase::IsEqual(InstrBase const* other) const
{
    return other != nullptr && other->opcode == opcode;
}

// ---- InstrDebugInfo ----------------------------------------------------------------------------

InstrDebugInfo::InstrDebugInfo(std::string const& info) : InstrBase(OP_DEBUG_INFO, 0), info(info) {}

InstrDebugInfo* InstrDebugInfo::Copy() const
{
    return new InstrDebugInfo(info);
}

bool InstrDebugInfo::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrDebugInfo const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->info == info;
}

// ---- Register accesses -------------------------------------------------------------------------

InstrReadWrite::InstrReadWrite(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id)
    : InstrBase(opcode, size), ip_id(ip_id), reg_id(reg_id)
{
    FATAL_IF(ip_id >= (1 << 6));
    FATAL_IF(reg_id >= (1 << 10));
}

bool InstrReadWrite::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrReadWrite const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->ip_id == ip_id && that->reg_id == reg_id;
}

// The size is the value count plus one, truncated to 16 bits; the base class refuses what is
// beyond 2049 words before the count check below can run.
InstrBurstWrite::InstrBurstWrite(Opcode opcode, uint8_t ip_id, uint16_t reg_id,
                                 std::vector<RelocValue const*> const& values)
    : InstrReadWrite(opcode, static_cast<uint16_t>(values.size() + 1), ip_id, reg_id), values(TakeValues(values))
{
    FATAL_IF(values.size() >= (1 << 11));
}

InstrBurstWrite::InstrBurstWrite(uint8_t ip_id, uint16_t reg_id, std::vector<RelocValue const*> const& values)
    : InstrBurstWrite(OP_BURSTWRITE, ip_id, reg_id, values)
{
}

std::vector<RelocValue const*> InstrBurstWrite::CopyValues() const
{
    std::vector<RelocValue const*> copies;
    copies.reserve(values.size());
    for (auto const& value : values) {
        copies.push_back(value->Copy());
    }
    return copies;
}

InstrBurstWrite* InstrBurstWrite::Copy() const
{
    return new InstrBurstWrite(GetIpId(), GetRegId(), CopyValues());
}

bool InstrBurstWrite::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrBurstWrite const*>(other);
    if (!InstrReadWrite::IsEqual(other) || that == nullptr || that->values.size() != values.size()) {
        return false;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (that->values[i] == nullptr || !values[i]->IsEqual(*that->values[i])) {
            return false;
        }
    }
    return true;
}

InstrBurstWriteInc::InstrBurstWriteInc(uint8_t ip_id, uint16_t reg_id, std::vector<RelocValue const*> const& values)
    : InstrBurstWrite(OP_BURSTWRITEINC, ip_id, reg_id, values)
{
}

InstrBurstWriteInc* InstrBurstWriteInc::Copy() const
{
    return new InstrBurstWriteInc(GetIpId(), GetRegId(), CopyValues());
}

InstrReadWriteLsbMsb::InstrReadWriteLsbMsb(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id,
                                           LsbMsb const* lsb_msb)
    : InstrReadWrite(opcode, size, ip_id, reg_id), lsb_msb(WholeRegisterIfNull(lsb_msb))
{
}

bool InstrReadWriteLsbMsb::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrReadWriteLsbMsb const*>(other);
    return InstrReadWrite::IsEqual(other) && that != nullptr && that->lsb_msb != nullptr &&
           lsb_msb->IsEqual(*that->lsb_msb);
}

InstrLoad::InstrLoad(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb)
    : InstrReadWriteLsbMsb(OP_LOAD, 1, ip_id, reg_id, lsb_msb)
{
}

InstrLoad* InstrLoad::Copy() const
{
    return new InstrLoad(GetIpId(), GetRegId(), GetLsbMsb().Copy());
}

InstrLoadClr::InstrLoadClr(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb)
    : InstrReadWriteLsbMsb(OP_LOADCLR, 1, ip_id, reg_id, lsb_msb)
{
}

InstrLoadClr* InstrLoadClr::Copy() const
{
    return new InstrLoadClr(GetIpId(), GetRegId(), GetLsbMsb().Copy());
}

InstrStore::InstrStore(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb)
    : InstrReadWriteLsbMsb(OP_STORE, 1, ip_id, reg_id, lsb_msb)
{
}

InstrStore* InstrStore::Copy() const
{
    return new InstrStore(GetIpId(), GetRegId(), GetLsbMsb().Copy());
}

InstrReadWriteLsbMsbValue::InstrReadWriteLsbMsbValue(Opcode opcode, uint16_t size, uint8_t ip_id, uint16_t reg_id,
                                                     LsbMsb const* lsb_msb, RelocValue const* value)
    : InstrReadWriteLsbMsb(opcode, size, ip_id, reg_id, lsb_msb), value(value)
{
    FATAL_IF(value == nullptr);
}

bool InstrReadWriteLsbMsbValue::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrReadWriteLsbMsbValue const*>(other);
    return InstrReadWriteLsbMsb::IsEqual(other) && that != nullptr && that->value != nullptr &&
           value->IsEqual(*that->value);
}

InstrWrite::InstrWrite(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb, RelocValue const* value)
    : InstrReadWriteLsbMsbValue(OP_WRITE, 2, ip_id, reg_id, lsb_msb, value)
{
}

InstrWrite* InstrWrite::Copy() const
{
    return new InstrWrite(GetIpId(), GetRegId(), GetLsbMsb().Copy(), GetValue().Copy());
}

InstrPoll::InstrPoll(uint8_t ip_id, uint16_t reg_id, LsbMsb const* lsb_msb, RelocValue const* value,
                     uint32_t interval_cycles)
    : InstrReadWriteLsbMsbValue(OP_POLL, 3, ip_id, reg_id, lsb_msb, value), interval_cycles(interval_cycles)
{
}

InstrPoll* InstrPoll::Copy() const
{
    return new InstrPoll(GetIpId(), GetRegId(), GetLsbMsb().Copy(), GetValue().Copy(), interval_cycles);
}

bool InstrPoll::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrPoll const*>(other);
    return InstrReadWriteLsbMsbValue::IsEqual(other) && that != nullptr &&
           that->interval_cycles == interval_cycles;
}

// ---- Other instructions ------------------------------------------------------------------------

// The unit number is limited only when the word is encoded.
InstrWriteField::InstrWriteField(uint8_t ip_id, uint8_t reg_id, uint8_t lsb, uint8_t width, uint8_t value)
    : InstrBase(OP_WRITEFIELD, 1), ip_id(ip_id), reg_id(reg_id), lsb(lsb), width(width), value(value)
{
    FATAL_IF(reg_id >= (1 << 5));
    FATAL_IF(lsb >= (1 << 5));
    FATAL_IF(width == 0);
    FATAL_IF(width > (1 << 3));
}

InstrWriteField* InstrWriteField::Copy() const
{
    return new InstrWriteField(ip_id, static_cast<uint8_t>(reg_id), lsb, width, value);
}

bool InstrWriteField::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrWriteField const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->ip_id == ip_id && that->reg_id == reg_id &&
           that->lsb == lsb && that->width == width && that->value == value;
}

InstrMod::InstrMod(Opcode opcode, LsbMsb const* lsb_msb, RelocValue const* value)
    : InstrBase(opcode, 2), lsb_msb(WholeRegisterIfNull(lsb_msb)), value(value)
{
    FATAL_IF(value == nullptr);
}

InstrMod::InstrMod(LsbMsb const* lsb_msb, RelocValue const* value) : InstrMod(OP_MOD, lsb_msb, value) {}

InstrMod* InstrMod::Copy() const
{
    return new InstrMod(lsb_msb->Copy(), value->Copy());
}

bool InstrMod::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrMod const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->lsb_msb != nullptr &&
           lsb_msb->IsEqual(*that->lsb_msb) && that->value != nullptr && value->IsEqual(*that->value);
}

InstrModClr::InstrModClr(LsbMsb const* lsb_msb, RelocValue const* value) : InstrMod(OP_MODCLR, lsb_msb, value) {}

InstrModClr* InstrModClr::Copy() const
{
    return new InstrModClr(GetLsbMsb().Copy(), GetValue().Copy());
}

InstrWFI::InstrWFI(uint8_t irq_id, uint32_t timeout) : InstrBase(OP_WFI, 1), irq_id(irq_id), timeout(timeout)
{
    FATAL_IF(irq_id >= (1 << 4));
    FATAL_IF(timeout >= (1 << 23));
}

InstrWFI* InstrWFI::Copy() const
{
    return new InstrWFI(irq_id, timeout);
}

bool InstrWFI::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrWFI const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->irq_id == irq_id && that->timeout == timeout;
}

InstrWFT::InstrWFT(uint8_t trigger_id, uint32_t timeout, uint32_t events)
    : InstrBase(OP_WFT, 2), trigger_id(trigger_id), events(events), timeout(timeout)
{
    FATAL_IF(trigger_id >= (1 << 4));
    FATAL_IF(timeout >= (1 << 23));
}

InstrWFT* InstrWFT::Copy() const
{
    return new InstrWFT(trigger_id, timeout, events);
}

bool InstrWFT::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrWFT const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->trigger_id == trigger_id &&
           that->timeout == timeout && that->events == events;
}

InstrGenLabel::InstrGenLabel(Opcode opcode, uint32_t label) : InstrBase(opcode, 1), label(label)
{
    FATAL_IF(label >= (1 << 27));
}

bool InstrGenLabel::IsEqual(InstrBase const* other) const
{
    auto const* that = dynamic_cast<InstrGenLabel const*>(other);
    return InstrBase::IsEqual(other) && that != nullptr && that->label == label;
}

InstrIRQ::InstrIRQ(uint32_t label) : InstrGenLabel(OP_IRQ, label) {}
InstrIRQ* InstrIRQ::Copy() const
{
    return new InstrIRQ(GetLabel());
}

InstrIRQNA::InstrIRQNA(uint32_t label) : InstrGenLabel(OP_IRQNA, label) {}
InstrIRQNA* InstrIRQNA::Copy() const
{
    return new InstrIRQNA(GetLabel());
}

InstrLabel::InstrLabel(uint32_t label) : InstrGenLabel(OP_LABEL, label) {}
InstrLabel* InstrLabel::Copy() const
{
    return new InstrLabel(GetLabel());
}

InstrRestart::InstrRestart(uint32_t label) : InstrGenLabel(OP_RESTART, label) {}
InstrRestart* InstrRestart::Copy() const
{
    return new InstrRestart(GetLabel());
}

InstrStop::InstrStop(uint32_t label) : InstrGenLabel(OP_STOP, label) {}
InstrStop* InstrStop::Copy() const
{
    return new InstrStop(GetLabel());
}

}  // namespace EpochController
