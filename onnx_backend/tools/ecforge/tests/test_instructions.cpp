// Tests of the EC instruction model: mnemonic lookup, constructor limits, Copy and IsEqual.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "assembler_test_util.h"
#include "instructions.h"
#include "strkit.h"

namespace EpochController {
namespace {

using test::FatalReport;

std::vector<RelocValue const*> Values(std::size_t count)
{
    std::vector<RelocValue const*> values;
    for (std::size_t i = 0; i < count; ++i) {
        values.push_back(new RelocValue(static_cast<uint32_t>(i)));
    }
    return values;
}

TEST(InstrOpcodes, MnemonicLookupBothWays)
{
    struct Row {
        std::string name;
        InstrBase::Opcode opcode;
    };
    std::vector<Row> const rows = {
        {"write", InstrBase::OP_WRITE},       {"WriteField", InstrBase::OP_WRITEFIELD},
        {"BURSTWRITE", InstrBase::OP_BURSTWRITE}, {"burstwriteinc", InstrBase::OP_BURSTWRITEINC},
        {"poll", InstrBase::OP_POLL},         {"load", InstrBase::OP_LOAD},
        {"loadclr", InstrBase::OP_LOADCLR},   {"mod", InstrBase::OP_MOD},
        {"modclr", InstrBase::OP_MODCLR},     {"store", InstrBase::OP_STORE},
        {"wfi", InstrBase::OP_WFI},           {"wft", InstrBase::OP_WFT},
        {"irq", InstrBase::OP_IRQ},           {"irqna", InstrBase::OP_IRQNA},
        {"label", InstrBase::OP_LABEL},       {"Restart", InstrBase::OP_RESTART},
        {"stop", InstrBase::OP_STOP},         {"nop", InstrBase::OP_NONE},
        {"", InstrBase::OP_NONE},             {"write ", InstrBase::OP_NONE},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(InstrBase::MnemonicToOpcode(row.name), row.opcode);
        if (row.opcode != InstrBase::OP_NONE) {
            EXPECT_EQ(InstrBase::OpcodeToMnemonic(row.opcode), StringUtils::ToLower(row.name));
        }
    }
    EXPECT_EQ(InstrBase::MnemonicToOpcode("nop"), -1);
    for (int code : {14, 20, 28, 32, 999, -1}) {
        EXPECT_EQ(InstrBase::OpcodeToMnemonic(static_cast<InstrBase::Opcode>(code)), "") << code;
    }
}

TEST(InstrModel, OpcodesAndSizes)
{
    struct Row {
        std::function<InstrBase*()> make;
        InstrBase::Opcode opcode;
        uint16_t size;
    };
    std::vector<Row> const rows = {
        {[] { return new InstrWrite(3, 12, nullptr, new RelocValue(1)); }, InstrBase::OP_WRITE, 2},
        {[] { return new InstrWriteField(0, 4, 3, 1, 1); }, InstrBase::OP_WRITEFIELD, 1},
        {[] { return new InstrBurstWrite(2, 8, Values(3)); }, InstrBase::OP_BURSTWRITE, 4},
        {[] { return new InstrBurstWriteInc(2, 8, Values(0)); }, InstrBase::OP_BURSTWRITEINC, 1},
        {[] { return new InstrPoll(5, 0, nullptr, new RelocValue(0), 100); }, InstrBase::OP_POLL, 3},
        {[] { return new InstrLoad(1, 2, nullptr); }, InstrBase::OP_LOAD, 1},
        {[] { return new InstrLoadClr(1, 2, nullptr); }, InstrBase::OP_LOADCLR, 1},
        {[] { return new InstrMod(nullptr, new RelocValue(5)); }, InstrBase::OP_MOD, 2},
        {[] { return new InstrModClr(nullptr, new RelocValue(5)); }, InstrBase::OP_MODCLR, 2},
        {[] { return new InstrStore(1, 2, nullptr); }, InstrBase::OP_STORE, 1},
        {[] { return new InstrWFI(2, 1000); }, InstrBase::OP_WFI, 1},
        {[] { return new InstrWFT(1, 5, 3); }, InstrBase::OP_WFT, 2},
        {[] { return new InstrIRQ(0); }, InstrBase::OP_IRQ, 1},
        {[] { return new InstrIRQNA(1); }, InstrBase::OP_IRQNA, 1},
        {[] { return new InstrLabel(7); }, InstrBase::OP_LABEL, 1},
        {[] { return new InstrRestart(2); }, InstrBase::OP_RESTART, 1},
        {[] { return new InstrStop(0); }, InstrBase::OP_STOP, 1},
        {[] { return new InstrDebugInfo("text"); }, InstrBase::OP_DEBUG_INFO, 0},
    };
    for (Row const& row : rows) {
        std::unique_ptr<InstrBase> const instr(row.make());
        SCOPED_TRACE(instr->ToAsm());
        EXPECT_EQ(instr->GetOpcode(), row.opcode);
        EXPECT_EQ(instr->GetSize(), row.size);
        // Every class copies into an equal, independent object of the same class.
        std::unique_ptr<InstrBase> const copy(instr->Copy());
        EXPECT_NE(copy.get(), instr.get());
        EXPECT_EQ(typeid(*copy), typeid(*instr));
        EXPECT_TRUE(copy->IsEqual(instr.get()));
        EXPECT_TRUE(instr->IsEqual(copy.get()));
        EXPECT_FALSE(instr->IsEqual(nullptr));
    }
}

TEST(InstrModel, NullRangeIsWholeRegisterAndCopiesAreDeep)
{
    InstrWrite const write(3, 12, nullptr, new RelocValue(0x10, "pool"));
    EXPECT_EQ(write.GetLsbMsb().GetLsb(), 0);
    EXPECT_EQ(write.GetLsbMsb().GetMsb(), 31);
    std::unique_ptr<InstrWrite> const copy(write.Copy());
    EXPECT_NE(&copy->GetLsbMsb(), &write.GetLsbMsb());
    EXPECT_NE(&copy->GetValue(), &write.GetValue());
    EXPECT_TRUE(copy->GetLsbMsb().IsEqual(write.GetLsbMsb()));
    EXPECT_EQ(copy->GetValue().GetRelocId(), "pool");

    InstrMod const mod(nullptr, new RelocValue(1));
    EXPECT_TRUE(mod.GetLsbMsb().IsFullRegister());

    InstrBurstWrite const burst(2, 8, {new RelocValue(1, "a"), new RelocValue(2)});
    std::unique_ptr<InstrBurstWrite> const burst_copy(burst.Copy());
    ASSERT_EQ(burst_copy->GetValues().size(), 2u);
    EXPECT_NE(burst_copy->GetValues()[0].get(), burst.GetValues()[0].get());
    EXPECT_EQ(burst_copy->GetValues()[0]->GetRelocId(), "a");
}

TEST(InstrModel, LimitsThatAreAccepted)
{
    InstrBurstWrite const full(63, 1023, Values(InstrBurstWrite::kMaxValues));
    EXPECT_EQ(full.GetSize(), 2048);
    InstrWriteField const field(0, 31, 31, 8, 255);
    EXPECT_EQ(field.GetWidth(), 8);
    InstrWriteField const wide_unit(200, 0, 0, 1, 0);  // the unit is limited only when encoded
    EXPECT_EQ(wide_unit.GetIpId(), 200);
    InstrWFI const wfi(15, 0x7FFFFF);
    EXPECT_EQ(wfi.GetTimeout(), 0x7FFFFFu);
    InstrWFT const wft(15, 0x7FFFFF, 0xFFFFFFFF);
    EXPECT_EQ(wft.GetEvents(), 0xFFFFFFFFu);
    LsbMsb const bit(5, 5);
    EXPECT_EQ(bit.GetMsb(), 5);
    InstrStop const stop((1u << 27) - 1);
    EXPECT_EQ(stop.GetLabel(), (1u << 27) - 1);
    InstrPoll const poll(0, 0, nullptr, new RelocValue(0), 0xFFFFFFFF);
    EXPECT_EQ(poll.GetIntervalCycles(), 0xFFFFFFFFu);
}

TEST(InstrModelDeathTest, ConstructorLimitsAreFatal)
{
    struct Row {
        std::function<void()> build;
        std::string expression;
    };
    std::vector<Row> const rows = {
        {[] { InstrBurstWrite(0, 0, Values(2048)); }, "values.size() >= (1 << 11)"},
        {[] { InstrBurstWriteInc(0, 0, Values(2049)); }, "size > 2049"},
        {[] { InstrWrite(64, 0, nullptr, new RelocValue(0)); }, "ip_id >= (1 << 6)"},
        {[] { InstrLoad(0, 1024, nullptr); }, "reg_id >= (1 << 10)"},
        {[] { InstrWriteField(0, 32, 0, 1, 0); }, "reg_id >= (1 << 5)"},
        {[] { InstrWriteField(0, 0, 32, 1, 0); }, "lsb >= (1 << 5)"},
        {[] { InstrWriteField(0, 0, 0, 0, 0); }, "width == 0"},
        {[] { InstrWriteField(0, 0, 0, 9, 0); }, "width > (1 << 3)"},
        {[] { InstrWFI(16, 0); }, "irq_id >= (1 << 4)"},
        {[] { InstrWFI(0, 0x800000); }, "timeout >= (1 << 23)"},
        {[] { InstrWFT(16, 0, 0); }, "trigger_id >= (1 << 4)"},
        {[] { InstrWFT(0, 0x800000, 0); }, "timeout >= (1 << 23)"},
        {[] { InstrLabel(1u << 27); }, "label >= (1 << 27)"},
        {[] { LsbMsb(6, 5); }, "msb < lsb"},
        {[] { LsbMsb(32, 33); }, "lsb >= (1 << 5)"},
        {[] { LsbMsb(0, 32); }, "msb >= (1 << 5)"},
        {[] { InstrWrite(0, 0, nullptr, nullptr); }, "value == nullptr"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.expression);
        EXPECT_DEATH(row.build(), FatalReport(row.expression));
    }
}

TEST(InstrModel, Equality)
{
    auto const burst = [](uint16_t reg_id, char const* reloc_id) {
        return std::make_unique<InstrBurstWrite>(2, reg_id, std::vector<RelocValue const*>{new RelocValue(1, reloc_id)});
    };
    EXPECT_TRUE(burst(8, "a")->IsEqual(burst(8, "a").get()));
    EXPECT_FALSE(burst(8, "a")->IsEqual(burst(9, "a").get()));
    EXPECT_FALSE(burst(8, "a")->IsEqual(burst(8, "b").get()));
    InstrBurstWriteInc const inc(2, 8, {new RelocValue(1, "a")});
    EXPECT_FALSE(burst(8, "a")->IsEqual(&inc));
    InstrBurstWrite const longer(2, 8, {new RelocValue(1, "a"), new RelocValue(2)});
    EXPECT_FALSE(burst(8, "a")->IsEqual(&longer));

    InstrLoad const load(1, 2, nullptr);
    InstrLoadClr const loadclr(1, 2, nullptr);
    EXPECT_FALSE(load.IsEqual(&loadclr));
    EXPECT_FALSE(load.IsEqual(nullptr));
    InstrLoad const narrow(1, 2, new LsbMsb(0, 7));
    EXPECT_FALSE(load.IsEqual(&narrow));

    InstrWrite const write(3, 12, nullptr, new RelocValue(0x10));
    InstrWrite const relocated(3, 12, nullptr, new RelocValue(0x10, "pool"));
    InstrWrite const other_value(3, 12, nullptr, new RelocValue(0x11));
    EXPECT_FALSE(write.IsEqual(&relocated));
    EXPECT_FALSE(write.IsEqual(&other_value));

    InstrPoll const poll(5, 0, nullptr, new RelocValue(0), 100);
    InstrPoll const slower(5, 0, nullptr, new RelocValue(0), 200);
    EXPECT_FALSE(poll.IsEqual(&slower));

    InstrMod const mod(new LsbMsb(4, 7), new RelocValue(5));
    InstrModClr const modclr(new LsbMsb(4, 7), new RelocValue(5));
    InstrMod const mod_other_range(new LsbMsb(4, 8), new RelocValue(5));
    EXPECT_FALSE(mod.IsEqual(&modclr));
    EXPECT_FALSE(mod.IsEqual(&mod_other_range));

    InstrWFT const wft(1, 5, 3);
    InstrWFT const wft_events(1, 5, 4);
    EXPECT_FALSE(wft.IsEqual(&wft_events));
    InstrWriteField const field(0, 4, 3, 1, 1);
    InstrWriteField const field_width(0, 4, 3, 2, 1);
    EXPECT_FALSE(field.IsEqual(&field_width));
    EXPECT_FALSE(InstrLabel(7).IsEqual(std::make_unique<InstrStop>(7).get()));
    EXPECT_FALSE(InstrLabel(7).IsEqual(std::make_unique<InstrLabel>(8).get()));

    InstrDebugInfo const info("a");
    EXPECT_EQ(info.GetSize(), 0);
    EXPECT_TRUE(info.IsEqual(std::make_unique<InstrDebugInfo>("a").get()));
    EXPECT_FALSE(info.IsEqual(std::make_unique<InstrDebugInfo>("a ").get()));
}

}  // namespace
}  // namespace EpochController
