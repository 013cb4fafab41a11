// Assembly text of the EC instructions: one line per instruction, printed by ToAsm and read by FromAsm.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "instructions.h"
#include "strkit.h"
#include "textscan.h"

namespace EpochController {

namespace {

constexpr unsigned kMaxUInt32 = 0xFFFFFFFFu;
constexpr unsigned kMaxTimeout = (1u << 23) - 1;
constexpr unsigned kMaxLabel = (1u << 27) - 1;
constexpr unsigned kMaxIpId = 63;
constexpr unsigned kMaxRegId = 1023;
constexpr unsigned kMaxWriteFieldRegId = 31;
constexpr unsigned kMaxBit = 31;
constexpr unsigned kMaxWriteFieldWidth = 8;
constexpr unsigned kMaxWaitId = 15;

std::string Hex(uint32_t value)
{
    return "0x" + StringUtils::PrintInt(value, 16, 0, '0');
}

std::string Dec(uint32_t value)
{
    return std::to_string(value);
}

// Reads an optional ":" MSB in [min_msb, max_msb]; without it the range is one bit wide.
unsigned ParseOptionalMsb(SimpleTextParser& parser, unsigned lsb, unsigned max_msb)
{
    unsigned const before = parser.GetPos();
    if (parser.ParseChar({}) == ':') {
        return parser.ParseUInt("MSB", lsb, max_msb);
    }
    parser.SetPos(before);
    return lsb;
}

}  // namespace

// ---- Operands ----------------------------------------------------------------------------------

std::string LsbMsb::ToAsm() const
{
    if (IsFullRegister()) {
        return std::string();
    }
    if (lsb == msb) {
        return " [" + Dec(lsb) + "]";
    }
    return " [" + Dec(lsb) + ":" + Dec(msb) + "]";
}

LsbMsb* LsbMsb::FromAsm(SimpleTextParser& parser)
{
    unsigned const before = parser.GetPos();
    if (parser.ParseChar({}) != '[') {
        parser.SetPos(before);
        return nullptr;
    }
    unsigned const lsb = parser.ParseUInt("LSB", 0, kMaxBit);
    unsigned const msb = ParseOptionalMsb(parser, lsb, kMaxBit);
    parser.ParseChar({']'});
    return new LsbMsb(static_cast<uint8_t>(lsb), static_cast<uint8_t>(msb));
}

std::string RelocValue::ToAsm() const
{
    if (reloc_id.empty()) {
        return Hex(value);
    }
    return reloc_id + "(" + Hex(value) + ")";
}

RelocValue* RelocValue::FromAsm(SimpleTextParser& parser)
{
    unsigned const before = parser.GetPos();
    std::string const token = parser.ParseToken(SimpleTextParser::GetPunctChars());
    if (StringUtils::IsBin(token, true) || StringUtils::IsAbsDec(token) || StringUtils::IsHex(token, true)) {
        parser.SetPos(before);
        return new RelocValue(parser.ParseUInt("value", 0, kMaxUInt32));
    }
    if (parser.IsFinished()) {
        // A symbol alone at the end of the line is its base address; nothing at all is a missing value.
        uint32_t const value = token.empty() ? parser.ParseUInt("value", 0, kMaxUInt32) : 0;
        return new RelocValue(value, token);
    }
    parser.ParseChar({'('});
    uint32_t const value = parser.ParseUInt("value", 0, kMaxUInt32);
    parser.ParseChar({')'});
    return new RelocValue(value, token);
}

// ---- Dispatch ----------------------------------------------------------------------------------

std::string InstrBase::ToAsm() const
{
    return OpcodeToMnemonic(opcode);
}

InstrBase* InstrBase::FromAsm(SimpleTextParser& parser)
{
    std::string const token = parser.ParseToken({});
    if (token.compare(0, 2, ";;") == 0) {
        // The text starts right after ";;", whatever follows it on the line.
        parser.SetPos(parser.GetPos() - static_cast<unsigned>(token.size()) + 2);
        return InstrDebugInfo::FromAsm(parser);
    }
    std::unique_ptr<InstrBase> instr;
    switch (MnemonicToOpcode(token)) {
    case OP_WRITE:
        instr.reset(InstrWrite::FromAsm(parser));
        break;
    case OP_WRITEFIELD:
        instr.reset(InstrWriteField::FromAsm(parser));
        break;
    case OP_BURSTWRITE:
        instr.reset(InstrBurstWrite::FromAsm(parser));
        break;
    case OP_BURSTWRITEINC:
        instr.reset(InstrBurstWriteInc::FromAsm(parser));
        break;
    case OP_POLL:
        instr.reset(InstrPoll::FromAsm(parser));
        break;
    case OP_LOAD:
        instr.reset(InstrLoad::FromAsm(parser));
        break;
    case OP_LOADCLR:
        instr.reset(InstrLoadClr::FromAsm(parser));
        break;
    case OP_MOD:
        instr.reset(InstrMod::FromAsm(parser));
        break;
    case OP_MODCLR:
        instr.reset(InstrModClr::FromAsm(parser));
        break;
    case OP_STORE:
        instr.reset(InstrStore::FromAsm(parser));
        break;
    case OP_WFI:
        instr.reset(InstrWFI::FromAsm(parser));
        break;
    case OP_WFT:
        instr.reset(InstrWFT::FromAsm(parser));
        break;
    case OP_IRQ:
        instr.reset(InstrIRQ::FromAsm(parser));
        break;
    case OP_IRQNA:
        instr.reset(InstrIRQNA::FromAsm(parser));
        break;
    case OP_LABEL:
        instr.reset(InstrLabel::FromAsm(parser));
        break;
    case OP_RESTART:
        instr.reset(InstrRestart::FromAsm(parser));
        break;
    case OP_STOP:
        instr.reset(InstrStop::FromAsm(parser));
        break;
    default:
        return nullptr;
    }
    if (!parser.IsFinished()) {
        char const unexpected = parser.ParseChar({});
        parser.ThrowError(std::string("Unexpected character '") + unexpected + "'");
    }
    return instr.release();
}

// ---- Debug information -------------------------------------------------------------------------

std::string InstrDebugInfo::ToAsm() const
{
    std::string text;
    bool first = true;
    for (std::string const& line : StringUtils::GetLines(info)) {
        if (!first) {
            text += "\n";
        }
        first = false;
        text += ";;";
        if (!line.empty() && std::isspace(static_cast<unsigned char>(line[0])) == 0) {
            text += " ";
        }
        text += StringUtils::RemoveTrailing(line, StringUtils::kWhitespace);
    }
    return text;
}

InstrDebugInfo* InstrDebugInfo::FromAsm(SimpleTextParser& parser)
{
    return new InstrDebugInfo(parser.ParseRest());
}

// ---- Register accesses -------------------------------------------------------------------------

std::string InstrReadWrite::ToAsm() const
{
    return InstrBase::ToAsm() + " " + Dec(ip_id) + " " + Dec(reg_id);
}

void InstrReadWrite::FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id)
{
    ip_id = static_cast<uint8_t>(parser.ParseUInt("IP id", 0, kMaxIpId));
    reg_id = static_cast<uint16_t>(parser.ParseUInt("register id", 0, kMaxRegId));
}

std::string InstrReadWriteLsbMsb::ToAsm() const
{
    return InstrReadWrite::ToAsm() + lsb_msb->ToAsm();
}

void InstrReadWriteLsbMsb::FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb)
{
    InstrReadWrite::FromAsm(parser, ip_id, reg_id);
    lsb_msb = LsbMsb::FromAsm(parser);
}

std::string InstrReadWriteLsbMsbValue::ToAsm() const
{
    return InstrReadWriteLsbMsb::ToAsm() + " " + value->ToAsm();
}

void InstrReadWriteLsbMsbValue::FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, LsbMsb*& lsb_msb,
                                        RelocValue*& value)
{
    LsbMsb* range = nullptr;
    InstrReadWriteLsbMsb::FromAsm(parser, ip_id, reg_id, range);
    std::unique_ptr<LsbMsb> range_owner(range);
    value = RelocValue::FromAsm(parser);
    lsb_msb = range_owner.release();
}

void InstrReadWriteLsbMsbValue::FromAsm(SimpleTextParser& parser, uint8_t& ip_id, uint16_t& reg_id, RelocValue*& value)
{
    InstrReadWrite::FromAsm(parser, ip_id, reg_id);
    value = RelocValue::FromAsm(parser);
}

InstrWrite* InstrWrite::FromAsm(SimpleTextParser& parser)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    LsbMsb* lsb_msb = nullptr;
    RelocValue* value = nullptr;
    InstrReadWriteLsbMsbValue::FromAsm(parser, ip_id, reg_id, lsb_msb, value);
    return new InstrWrite(ip_id, reg_id, lsb_msb, value);
}

std::string InstrPoll::ToAsm() const
{
    return InstrReadWriteLsbMsbValue::ToAsm() + " " + Dec(interval_cycles);
}

InstrPoll* InstrPoll::FromAsm(SimpleTextParser& parser)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    LsbMsb* lsb_msb = nullptr;
    RelocValue* value = nullptr;
    InstrReadWriteLsbMsbValue::FromAsm(parser, ip_id, reg_id, lsb_msb, value);
    std::unique_ptr<LsbMsb> range_owner(lsb_msb);
    std::unique_ptr<RelocValue> value_owner(value);
    uint32_t const interval_cycles = parser.ParseUInt("interval cycles", 0, kMaxUInt32);
    return new InstrPoll(ip_id, reg_id, range_owner.release(), value_owner.release(), interval_cycles);
}

namespace {

template <class Access>
Access* RangeAccessFromAsm(SimpleTextParser& parser)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    LsbMsb* lsb_msb = nullptr;
    InstrReadWriteLsbMsb::FromAsm(parser, ip_id, reg_id, lsb_msb);
    return new Access(ip_id, reg_id, lsb_msb);
}

// Values run to the end of the line; one more than a burst word can count is refused at its
// first character.
template <class Burst>
Burst* BurstFromAsm(SimpleTextParser& parser)
{
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    InstrReadWrite::FromAsm(parser, ip_id, reg_id);
    std::vector<std::unique_ptr<RelocValue const>> owned;
    while (!parser.IsFinished()) {
        if (owned.size() == InstrBurstWrite::kMaxValues) {
            parser.ThrowError("Too many burst values: at most " + Dec(InstrBurstWrite::kMaxValues) + " are allowed");
        }
        owned.emplace_back(RelocValue::FromAsm(parser));
    }
    std::vector<RelocValue const*> values;
    values.reserve(owned.size());
    for (auto& value : owned) {
        values.push_back(value.release());
    }
    return new Burst(ip_id, reg_id, values);
}

}  // namespace

InstrLoad* InstrLoad::FromAsm(SimpleTextParser& parser)
{
    return RangeAccessFromAsm<InstrLoad>(parser);
}

InstrLoadClr* InstrLoadClr::FromAsm(SimpleTextParser& parser)
{
    return RangeAccessFromAsm<InstrLoadClr>(parser);
}

InstrStore* InstrStore::FromAsm(SimpleTextParser& parser)
{
    return RangeAccessFromAsm<InstrStore>(parser);
}

std::string InstrBurstWrite::ToAsm() const
{
    std::string text = InstrReadWrite::ToAsm();
    for (auto const& value : values) {
        text += " " + value->ToAsm();
    }
    return text;
}

InstrBurstWrite* InstrBurstWrite::FromAsm(SimpleTextParser& parser)
{
    return BurstFromAsm<InstrBurstWrite>(parser);
}

InstrBurstWriteInc* InstrBurstWriteInc::FromAsm(SimpleTextParser& parser)
{
    return BurstFromAsm<InstrBurstWriteInc>(parser);
}

// ---- Other instructions ------------------------------------------------------------------------

std::string InstrWriteField::ToAsm() const
{
    unsigned const msb = lsb + width - 1u;
    std::string const range = msb == lsb ? "[" + Dec(lsb) + "]" : "[" + Dec(lsb) + ":" + Dec(msb) + "]";
    return InstrBase::ToAsm() + " " + Dec(ip_id) + " " + Dec(reg_id) + " " + range + " " + Hex(value);
}

// The field is at most 8 bits wide and ends at bit 31 at the latest.
InstrWriteField* InstrWriteField::FromAsm(SimpleTextParser& parser)
{
    unsigned const ip_id = parser.ParseUInt("IP id", 0, kMaxIpId);
    unsigned const reg_id = parser.ParseUInt("register id", 0, kMaxWriteFieldRegId);
    parser.ParseChar({'['});
    unsigned const lsb = parser.ParseUInt("LSB", 0, kMaxBit);
    unsigned const msb = ParseOptionalMsb(parser, lsb, std::min(lsb + kMaxWriteFieldWidth - 1, kMaxBit));
    parser.ParseChar({']'});
    unsigned const value = parser.ParseUInt("value", 0, 255);
    return new InstrWriteField(static_cast<uint8_t>(ip_id), static_cast<uint8_t>(reg_id), static_cast<uint8_t>(lsb),
                               static_cast<uint8_t>(msb - lsb + 1), static_cast<uint8_t>(value));
}

std::string InstrMod::ToAsm() const
{
    return InstrBase::ToAsm() + lsb_msb->ToAsm() + " " + value->ToAsm();
}

namespace {

template <class Mod>
Mod* ModFromAsm(SimpleTextParser& parser)
{
    std::unique_ptr<LsbMsb> lsb_msb(LsbMsb::FromAsm(parser));
    RelocValue* value = RelocValue::FromAsm(parser);
    return new Mod(lsb_msb.release(), value);
}

}  // namespace

InstrMod* InstrMod::FromAsm(SimpleTextParser& parser)
{
    return ModFromAsm<InstrMod>(parser);
}

InstrModClr* InstrModClr::FromAsm(SimpleTextParser& parser)
{
    return ModFromAsm<InstrModClr>(parser);
}

std::string InstrWFI::ToAsm() const
{
    return InstrBase::ToAsm() + " " + Dec(irq_id) + " " + Dec(timeout);
}

InstrWFI* InstrWFI::FromAsm(SimpleTextParser& parser)
{
    unsigned const irq_id = parser.ParseUInt("irq_id", 0, kMaxWaitId);
    unsigned const timeout = parser.ParseUInt("timeout", 0, kMaxTimeout);
    return new InstrWFI(static_cast<uint8_t>(irq_id), timeout);
}

// The text has the events before the timeout.
std::string InstrWFT::ToAsm() const
{
    return InstrBase::ToAsm() + " " + Dec(trigger_id) + " " + Hex(events) + " " + Dec(timeout);
}

InstrWFT* InstrWFT::FromAsm(SimpleTextParser& parser)
{
    unsigned const trigger_id = parser.ParseUInt("trigger_id", 0, kMaxWaitId);
    unsigned const events = parser.ParseUInt("events", 0, kMaxUInt32);
    unsigned const timeout = parser.ParseUInt("timeout", 0, kMaxTimeout);
    return new InstrWFT(static_cast<uint8_t>(trigger_id), timeout, events);
}

std::string InstrGenLabel::ToAsm() const
{
    return InstrBase::ToAsm() + " " + Hex(label);
}

uint32_t InstrGenLabel::LabelFromAsm(SimpleTextParser& parser)
{
    return parser.ParseUInt("label", 0, kMaxLabel);
}

InstrIRQ* InstrIRQ::FromAsm(SimpleTextParser& parser)
{
    return new InstrIRQ(LabelFromAsm(parser));
}

InstrIRQNA* InstrIRQNA::FromAsm(SimpleTextParser& parser)
{
    return new InstrIRQNA(LabelFromAsm(parser));
}

InstrLabel* InstrLabel::FromAsm(SimpleTextParser& parser)
{
    return new InstrLabel(LabelFromAsm(parser));
}

InstrRestart* InstrRestart::FromAsm(SimpleTextParser& parser)
{
    return new InstrRestart(LabelFromAsm(parser));
}

InstrStop* InstrStop::FromAsm(SimpleTextParser& parser)
{
    return new InstrStop(LabelFromAsm(parser));
}

}  // namespace EpochController
