// Tests of the EC word encoding: each assembly line next to its words, run both ways, plus relocations and damaged words.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "assembler_test_util.h"
#include "binary.h"
#include "error_core.h"
#include "instructions.h"

namespace EpochController {
namespace {

using test::FatalReport;
using test::MakeBinary;
using test::Messages;
using test::ParseLine;

struct WordsRow {
    std::string line;
    std::vector<uint32_t> words;
};

// Encoded words of every instruction form; each row also decodes back to an equal instruction.
std::vector<WordsRow> const kWordRows = {
    {"write 3 12 0x10", {0x0C0C7C00, 0x00000010}},
    {"poll 5 0 [31] 0x0 100", {0x14007FE4, 0x00000064, 0x00000000}},
    {"writefield 0 4 [3] 0x1", {0x00802061}},
    {"load 1 2 [8:15]", {0x04023D05}},
    {"burstwriteinc 2 8 0x1 0x2 0x3", {0x08080063, 0x1, 0x2, 0x3}},
    {"mod [4:7] 0x5", {0x00001C87, 0x5}},
    {"wfi 2 1000", {0x0007D04A}},
    {"wft 1 0x3 5", {0x00000A2B, 0x00000003}},
    {"label 0x7", {0x000000FD}},
    {"irq 0x0", {0x0000000C}},
    {"writefield 0 4 [3:10] 0x1", {0x00803C61}},
    {"writefield 63 31 [31] 0xff", {0xFFFFE3E1}},
    {"burstwrite 2 8", {0x08080002}},
    {"burstwrite 63 1023 0xffffffff", {0xFFFF0022, 0xFFFFFFFF}},
    {"loadclr 0 0", {0x00007C06}},
    {"store 63 1023 [0]", {0xFFFF0009}},
    {"modclr 0x3", {0x00007C08, 0x3}},
    {"irqna 0x7ffffff", {0xFFFFFFED}},
    {"restart 0x1", {0x0000003E}},
    {"stop 0x0", {0x0000001F}},
    {"wfi 15 8388607", {0xFFFFFFEA}},
    {"write 0 1 [0:15] 0xdeadbeef", {0x00013C00, 0xDEADBEEF}},
};

TEST(InstrWords, EncodeAndDecodeEveryForm)
{
    for (WordsRow const& row : kWordRows) {
        SCOPED_TRACE(row.line);
        std::unique_ptr<InstrBase> const instr = ParseLine(row.line);
        ASSERT_NE(instr, nullptr);
        Binary binary;
        instr->ToBinary(binary);
        EXPECT_EQ(binary.GetProgram(), row.words);
        EXPECT_EQ(binary.GetProgram().size(), instr->GetSize());
        EXPECT_TRUE(binary.GetRelocTable().empty());

        Binary const input = MakeBinary(row.words);
        unsigned pos = 0;
        std::unique_ptr<InstrBase> const decoded(InstrBase::FromBinary(input, pos));
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(pos, row.words.size());
        EXPECT_TRUE(decoded->IsEqual(instr.get())) << decoded->ToAsm();
    }
}

TEST(InstrWords, RelocatableValueIsListedAtItsValueWord)
{
    Binary binary;
    for (int i = 0; i < 10; ++i) {
        binary.AddWord(0);
    }
    ParseLine("write 3 12 pool(0x40)")->ToBinary(binary);
    EXPECT_EQ(binary.GetProgram().size(), 12u);
    EXPECT_EQ(binary.GetProgram()[11], 0x40u);
    ASSERT_EQ(binary.GetRelocTable().count("pool"), 1u);
    EXPECT_EQ(binary.GetRelocTable().at("pool"), (std::set<uint32_t>{11}));

    unsigned pos = 10;
    std::unique_ptr<InstrBase> const decoded(InstrBase::FromBinary(binary, pos));
    EXPECT_EQ(decoded->ToAsm(), "write 3 12 pool(0x40)");
}

TEST(InstrWords, BurstAndPollValuesKeepTheirSymbols)
{
    Binary binary;
    std::unique_ptr<InstrBase> const burst = ParseLine("burstwrite 1 2 a(0x1) 0x2 a(0x3) b(0x4)");
    burst->ToBinary(binary);
    std::unique_ptr<InstrBase> const poll = ParseLine("poll 1 3 [0:3] b(0x5) 7");
    poll->ToBinary(binary);
    Binary::RelocTable const expected = {{"a", {1, 3}}, {"b", {4, 7}}};
    EXPECT_EQ(binary.GetRelocTable(), expected);

    unsigned pos = 0;
    std::unique_ptr<InstrBase> const burst_back(InstrBase::FromBinary(binary, pos));
    std::unique_ptr<InstrBase> const poll_back(InstrBase::FromBinary(binary, pos));
    EXPECT_EQ(pos, 8u);
    EXPECT_TRUE(burst_back->IsEqual(burst.get()));
    EXPECT_TRUE(poll_back->IsEqual(poll.get()));
}

TEST(InstrWords, AbsoluteValueLeavesNoRelocation)
{
    Binary binary;
    RelocValue(7).ToBinary(binary);
    EXPECT_EQ(binary.GetProgram(), std::vector<uint32_t>{7});
    EXPECT_TRUE(binary.GetRelocTable().empty());
}

TEST(InstrWords, FirstSymbolInOrderWinsWhenTwoListTheSameWord)
{
    Binary binary = MakeBinary({0x0C0C7C00, 0x10});
    binary.AddReloc("b", 1);
    binary.AddReloc("a", 1);
    unsigned pos = 1;
    std::unique_ptr<RelocValue> const value(RelocValue::FromBinary(binary, pos));
    EXPECT_EQ(value->GetRelocId(), "a");
    EXPECT_EQ(pos, 2u);
}

TEST(InstrWords, EmptyBurstDecodesAtTheEndOfTheProgram)
{
    Binary binary = MakeBinary({0x000000FD});
    InstrBurstWriteInc(2, 8, {}).ToBinary(binary);
    ASSERT_EQ(binary.GetProgram().size(), 2u);
    unsigned pos = 1;
    std::unique_ptr<InstrBase> const decoded(InstrBase::FromBinary(binary, pos));
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->ToAsm(), "burstwriteinc 2 8");
    EXPECT_EQ(pos, 2u);
}

TEST(InstrWords, UnassignedOpcodeGivesNullAndKeepsThePosition)
{
    Binary const binary = MakeBinary({0x000000FD, 0x00000014, 0x0000001C});
    for (unsigned start : {1u, 2u}) {
        unsigned pos = start;
        EXPECT_EQ(InstrBase::FromBinary(binary, pos), nullptr);
        EXPECT_EQ(pos, start);
    }
}

TEST(InstrWords, BitsTheEncoderLeavesClearAreIgnored)
{
    struct Row {
        uint32_t word;
        std::string line;
    };
    std::vector<Row> const rows = {
        {0x04023D05 | (1u << 15), "load 1 2 [8:15]"},
        {0x00001C87 | 0xFFFF8000u, "mod [4:7] 0x5"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.line);
        Binary const binary = MakeBinary({row.word, 5});
        unsigned pos = 0;
        std::unique_ptr<InstrBase> const decoded(InstrBase::FromBinary(binary, pos));
        EXPECT_EQ(decoded->ToAsm(), row.line);
    }
}

TEST(InstrWords, DebugInformationHasNoWord)
{
    Binary binary = MakeBinary({1, 2});
    InstrDebugInfo("a").ToBinary(binary);
    InstrDebugInfo("b").ToBinary(binary);
    EXPECT_EQ(binary.GetProgram().size(), 2u);
    EXPECT_EQ(binary.GetDebugInfo().at(2), "a\nb");

    unsigned pos = 2;
    std::unique_ptr<InstrDebugInfo> const found(InstrDebugInfo::FromBinary(binary, pos));
    EXPECT_EQ(found->GetInfo(), "a\nb");
    pos = 1;
    std::unique_ptr<InstrDebugInfo> const none(InstrDebugInfo::FromBinary(binary, pos));
    EXPECT_EQ(none->GetInfo(), "");
    EXPECT_EQ(pos, 1u);
}

TEST(InstrWords, DamagedWordsAreReportedWithTheirOffset)
{
    struct Row {
        std::vector<uint32_t> words;
        unsigned pos;
        std::string message;
    };
    std::string const at0 = "Cannot decode instruction at offset 0: ";
    std::vector<Row> const rows = {
        {{0x0C0C7C00}, 0, at0 + "the program ends after 1 of its 2 words"},
        {{0x000000FD, 0x0C0C7C00}, 1, "Cannot decode instruction at offset 1: the program ends after 1 of its 2 words"},
        {{0x14007FE4, 0x64}, 0, at0 + "the program ends after 2 of its 3 words"},
        {{0x00001C87}, 0, at0 + "the program ends after 1 of its 2 words"},
        {{0x00007C08}, 0, at0 + "the program ends after 1 of its 2 words"},
        {{0x00000A2B}, 0, at0 + "the program ends after 1 of its 2 words"},
        {{0x08080063, 1, 2}, 0, at0 + "the program ends after 3 of the 4 words of a burst (count 3)"},
        {{0x08080022}, 0, at0 + "the program ends after 1 of the 2 words of a burst (count 1)"},
        {{0x0000FFE2}, 0, at0 + "the program ends after 1 of the 2048 words of a burst (count 2047)"},
        // Range words with the MSB field below the LSB field.
        {{0x04022125}, 0, at0 + "MSB 8 is below LSB 9"},
        {{0x00002127, 0}, 0, at0 + "MSB 8 is below LSB 9"},
        {{0x00002120, 0}, 0, at0 + "MSB 8 is below LSB 9"},
        {{0x00002124, 0, 0}, 0, at0 + "MSB 8 is below LSB 9"},
        {{0x000003E7, 0}, 0, at0 + "MSB 0 is below LSB 31"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.message);
        Binary const binary = MakeBinary(row.words);
        unsigned pos = row.pos;
        try {
            std::unique_ptr<InstrBase> const decoded(InstrBase::FromBinary(binary, pos));
            ADD_FAILURE() << "decoded " << decoded->ToAsm();
        } catch (BaseError const& error) {
            EXPECT_EQ(Messages(error), row.message);
            EXPECT_EQ(pos, row.pos);
        }
    }
}

TEST(InstrWordsDeathTest, ContractsOfTheEncoderAndDecoder)
{
    struct Row {
        std::function<void()> run;
        std::string expression;
    };
    std::vector<Row> const rows = {
        // writefield takes any unit number; only the encoder limits it to 6 bits.
        {[] {
             Binary binary;
             InstrWriteField(64, 0, 0, 1, 0).ToBinary(binary);
         },
         "(ip_id & 0x3f) != ip_id"},
        {[] {
             Binary const binary = MakeBinary({0x0000000C});
             unsigned pos = 1;
             InstrBase::FromBinary(binary, pos);
         },
         "binary.GetProgram().size() <= pos"},
        {[] {
             Binary const binary;
             unsigned pos = 0;
             RelocValue::FromBinary(binary, pos);
         },
         "binary.GetProgram().size() <= pos"},
        {[] { LsbMsb(0, 7).ToBinary(1u << 5); }, "(word & (0x3ff << 5)) != 0"},
        {[] { InstrLoad(0, 0, nullptr).ToBinaryFirstWord(1u << 4, 5); },
         "(word & (0x1f | (0x3ff << 16) | (0x3f << 26))) != 0"},
        {[] { InstrLoad(0, 0, nullptr).ToBinaryFirstWord(0, 32); }, "(opcode & 0x1f) != opcode"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.expression);
        EXPECT_DEATH(row.run(), FatalReport(row.expression));
    }
}

TEST(InstrWords, FirstWordHelpers)
{
    InstrLoad const load(1, 2, new LsbMsb(8, 15));
    EXPECT_EQ(load.InstrReadWrite::ToBinaryFirstWord(0, 5), 0x04020005u);
    EXPECT_EQ(load.ToBinaryFirstWord(0, 5), 0x04023D05u);
    uint8_t ip_id = 0;
    uint16_t reg_id = 0;
    LsbMsb* range = nullptr;
    InstrReadWriteLsbMsb::FromBinaryFirstWord(0xFFFF3D05, ip_id, reg_id, range);
    std::unique_ptr<LsbMsb> const owner(range);
    EXPECT_EQ(ip_id, 63);
    EXPECT_EQ(reg_id, 1023);
    EXPECT_EQ(range->GetLsb(), 8);
    EXPECT_EQ(range->GetMsb(), 15);
    EXPECT_EQ(LsbMsb(3, 6).ToBinary(0x80000000u), 0x80001860u);
}

}  // namespace
}  // namespace EpochController
