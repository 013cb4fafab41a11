// Tests of the EC assembly text: each input line next to its printed form or its exact error, read back after printing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assembler_test_util.h"
#include "error_core.h"
#include "instructions.h"
#include "textscan.h"

namespace EpochController {
namespace {

using test::Messages;
using test::ParseLine;

struct PrintRow {
    std::string input;
    std::string printed;
};

// Input lines and how the instruction they build prints; printing and reading back gives an equal one.
std::vector<PrintRow> const kPrintRows = {
    {"write 3 12 0x10", "write 3 12 0x10"},
    {"WRITE 3 12 0x10", "write 3 12 0x10"},
    {"write 3 12 [ 0 : 7 ] 0x10", "write 3 12 [0:7] 0x10"},
    {"write 3 12 [0:31] 0x10", "write 3 12 0x10"},
    {"write 3 12 [5] 0x10", "write 3 12 [5] 0x10"},
    {"write 3 12 [5:5] 0x10", "write 3 12 [5] 0x10"},
    {"write 3 12 [0:7] pool_a(0x40)", "write 3 12 [0:7] pool_a(0x40)"},
    {"write 3 12 pool_a", "write 3 12 pool_a(0x0)"},
    {"write 3 12 pool_a ( 0x40 )", "write 3 12 pool_a(0x40)"},
    {"write 3 12 (0x10)", "write 3 12 0x10"},
    {"write 3 12 0b101", "write 3 12 0x5"},
    {"write 3 12 4294967295", "write 3 12 0xffffffff"},
    {"write 3 12 0xABCDEF", "write 3 12 0xabcdef"},
    {"write 3 12 _m1(16)", "write 3 12 _m1(0x10)"},
    {"write 3 12 12ab(0x1)", "write 3 12 12ab(0x1)"},
    {"\twrite\t63   1023\t0x0  ", "write 63 1023 0x0"},
    {"writefield 0 4 [3] 0x1", "writefield 0 4 [3] 0x1"},
    {"writefield 0 4 [3:6] 0xa", "writefield 0 4 [3:6] 0xa"},
    {"writefield 0 4 [3:10] 0x1", "writefield 0 4 [3:10] 0x1"},
    {"writefield 0 4 [28:31] 0x1", "writefield 0 4 [28:31] 0x1"},
    {"writefield 63 31 [ 0 ] 255", "writefield 63 31 [0] 0xff"},
    {"burstwrite 2 8", "burstwrite 2 8"},
    {"burstwriteinc 2 8 0x1 0x2 pool_a(0x0)", "burstwriteinc 2 8 0x1 0x2 pool_a(0x0)"},
    {"burstwrite 2 8 pool_a(1) pool_b", "burstwrite 2 8 pool_a(0x1) pool_b(0x0)"},
    {"poll 5 0 [31] 0x0 100", "poll 5 0 [31] 0x0 100"},
    {"poll 5 0 pool(0x4) 4294967295", "poll 5 0 pool(0x4) 4294967295"},
    {"load 1 2 [8:15]", "load 1 2 [8:15]"},
    {"loadclr 1 2", "loadclr 1 2"},
    {"store 1 2 [0]", "store 1 2 [0]"},
    {"mod [4:7] 0x5", "mod [4:7] 0x5"},
    {"modclr 0x3", "modclr 0x3"},
    {"modclr [0:31] base", "modclr base(0x0)"},
    {"wfi 2 1000", "wfi 2 1000"},
    {"wfi 15 0x7fffff", "wfi 15 8388607"},
    {"wft 1 0x3 5", "wft 1 0x3 5"},
    {"label 0x7", "label 0x7"},
    {"label 7", "label 0x7"},
    {"irq 0", "irq 0x0"},
    {"irqna 0x7ffffff", "irqna 0x7ffffff"},
    {"restart 0b11", "restart 0x3"},
    {"stop 0x0", "stop 0x0"},
};

TEST(InstrText, PrintAndReadBack)
{
    for (PrintRow const& row : kPrintRows) {
        SCOPED_TRACE(row.input);
        std::unique_ptr<InstrBase> const instr = ParseLine(row.input);
        ASSERT_NE(instr, nullptr);
        EXPECT_EQ(instr->ToAsm(), row.printed);
        std::unique_ptr<InstrBase> const again = ParseLine(row.printed);
        ASSERT_NE(again, nullptr);
        EXPECT_TRUE(again->IsEqual(instr.get()));
    }
}

TEST(InstrText, FieldsReadFromText)
{
    std::unique_ptr<InstrBase> const field = ParseLine("writefield 0 4 [3:10] 0x1");
    auto const* writefield = dynamic_cast<InstrWriteField const*>(field.get());
    ASSERT_NE(writefield, nullptr);
    EXPECT_EQ(writefield->GetLsb(), 3);
    EXPECT_EQ(writefield->GetWidth(), 8);

    std::unique_ptr<InstrBase> const write = ParseLine("write 3 12 pool_a");
    auto const* value = &dynamic_cast<InstrWrite const&>(*write).GetValue();
    EXPECT_EQ(value->GetValue(), 0u);
    EXPECT_EQ(value->GetRelocId(), "pool_a");

    std::unique_ptr<InstrBase> const wft = ParseLine("wft 1 0x3 5");
    auto const& wait = dynamic_cast<InstrWFT const&>(*wft);
    EXPECT_EQ(wait.GetEvents(), 3u);
    EXPECT_EQ(wait.GetTimeout(), 5u);

    std::unique_ptr<InstrBase> const empty = ParseLine("burstwrite 2 8");
    EXPECT_EQ(empty->GetSize(), 1);
}

TEST(InstrText, DebugInformationLines)
{
    struct Row {
        std::string input;
        std::string info;
    };
    std::vector<Row> const rows = {
        {";; Start Epoch 1", " Start Epoch 1"},
        {";;", ""},
        {"  ;; a", " a"},
        {";;text", "text"},
        {";;;x ", ";x"},
        {";; a b\t ", " a b"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.input);
        std::unique_ptr<InstrBase> const instr = ParseLine(row.input);
        auto const* info = dynamic_cast<InstrDebugInfo const*>(instr.get());
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->GetInfo(), row.info);
    }
}

TEST(InstrText, DebugInformationPrinting)
{
    struct Row {
        std::string info;
        std::string printed;
    };
    std::vector<Row> const rows = {
        {"Start Epoch 1", ";; Start Epoch 1"},
        {"a\nb", ";; a\n;; b"},
        {" x", ";; x"},
        {"", ";;"},
        {"a  \t", ";; a"},
        {"a\n\n\tb", ";; a\n;;\n;;\tb"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.info);
        EXPECT_EQ(InstrDebugInfo(row.info).ToAsm(), row.printed);
    }
    // Printed once more, a text read back from its listing gives the same lines.
    std::unique_ptr<InstrBase> const back = ParseLine(InstrDebugInfo("Start Epoch 1").ToAsm());
    EXPECT_EQ(back->ToAsm(), ";; Start Epoch 1");
}

TEST(InstrText, NoMnemonicGivesNull)
{
    for (std::string const line : {"nop", "nop 1 2", "", "   ", "14 1 2", "write3 12 0x1"}) {
        SCOPED_TRACE(line);
        SimpleTextParser parser(line);
        EXPECT_EQ(InstrBase::FromAsm(parser), nullptr);
    }
}

struct ErrorRow {
    std::string input;
    std::string message;
    unsigned pos;
};

std::vector<ErrorRow> const kErrorRows = {
    {"write 70 5 0x1", "Invalid IP id '70': Allowed values are between 0 and 63 included", 8},
    {"write 3 1024 0x1", "Invalid register id '1024': Allowed values are between 0 and 1023 included", 12},
    {"write 3 12", "Expected an unsigned integer value (value)", 10},
    {"write 3 12 pool_a 5", "Expected '(' instead of '5'", 19},
    {"write 3 12 pool_a(0x10", "Expected ')'", 22},
    {"write 3 12 pool_a(0x10]", "Expected ')' instead of ']'", 23},
    {"write 3 12 pool_a()", "Expected an unsigned integer value (value)", 18},
    {"write 3 12 0x100000000", "Invalid value '0x100000000': Its value is too large", 22},
    {"write 3 12 [0:7 0x10", "Expected ']' instead of '0'", 17},
    {"write 3 12 [8:7] 0x1", "Invalid MSB '7': Allowed values are between 8 and 31 included", 15},
    {"write 3 12 [32] 0x1", "Invalid LSB '32': Allowed values are between 0 and 31 included", 14},
    {"write 3 12 0x10 extra", "Unexpected character 'e'", 17},
    {"write 3 12 0x10)", "Unexpected character ')'", 16},
    {"writefield 0 4 [3:11] 0x1", "Invalid MSB '11': Allowed values are between 3 and 10 included", 20},
    {"writefield 0 4 [28:32] 0x1", "Invalid MSB '32': Allowed values are between 28 and 31 included", 21},
    {"writefield 0 40 [0] 0x1", "Invalid register id '40': Allowed values are between 0 and 31 included", 15},
    {"writefield 0 4 3 0x1", "Expected '[' instead of '3'", 16},
    {"writefield 0 4 [3] 0x100", "Invalid value '0x100': Allowed values are between 0 and 255 included", 24},
    {"writefield 0 4 [3] pool", "Expected an unsigned integer value (value)", 19},
    {"load 1 2 3", "Unexpected character '3'", 10},
    {"poll 5 0 0x0", "Expected an unsigned integer value (interval cycles)", 12},
    {"mod [4:7]", "Expected an unsigned integer value (value)", 9},
    {"wfi 16 0", "Invalid irq_id '16': Allowed values are between 0 and 15 included", 6},
    {"wfi 0 8388608", "Invalid timeout '8388608': Allowed values are between 0 and 8388607 included", 13},
    {"wft 16 0 0", "Invalid trigger_id '16': Allowed values are between 0 and 15 included", 6},
    {"wft 1 0x100000000 5", "Invalid events '0x100000000': Its value is too large", 17},
    {"label 0x8000000", "Invalid label '0x8000000': Allowed values are between 0 and 134217727 included", 15},
    {"stop", "Expected an unsigned integer value (label)", 4},
    {"irq -1", "Expected an unsigned integer value (label)", 4},
    {"burstwrite 2 8 0x1 pool 0x2", "Expected '(' instead of '0'", 25},
};

TEST(InstrText, ErrorsCarryTheirMessageAndPosition)
{
    for (ErrorRow const& row : kErrorRows) {
        SCOPED_TRACE(row.input);
        SimpleTextParser parser(row.input);
        try {
            std::unique_ptr<InstrBase> const instr(InstrBase::FromAsm(parser));
            ADD_FAILURE() << "read " << (instr ? instr->ToAsm() : std::string("nothing"));
        } catch (BaseError const& error) {
            EXPECT_EQ(Messages(error), row.message);
            EXPECT_EQ(error.GetText(), row.input);
            EXPECT_EQ(error.GetPos(), row.pos);
        }
    }
}

TEST(InstrText, ErrorReportShowsTheLine)
{
    SimpleTextParser parser("write 70 5 0x1");
    try {
        delete InstrBase::FromAsm(parser);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.ToString(),
                  "Invalid IP id '70': Allowed values are between 0 and 63 included (pos 8)\n"
                  " > write 70 5 0x1\n"
                  "           ^");
    }
}

std::string BurstLine(unsigned count)
{
    std::string line = "burstwrite 1 2";
    for (unsigned i = 0; i < count; ++i) {
        line += " 0x" + std::to_string(i % 10);
    }
    return line;
}

TEST(InstrText, BurstLengthIsLimitedByAParseError)
{
    std::unique_ptr<InstrBase> const longest = ParseLine(BurstLine(2047));
    ASSERT_NE(longest, nullptr);
    EXPECT_EQ(longest->GetSize(), 2048);

    std::string const line = BurstLine(2048);
    SimpleTextParser parser(line);
    try {
        delete InstrBase::FromAsm(parser);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(Messages(error), "Too many burst values: at most 2047 are allowed");
        // The error points at the first value beyond the limit.
        EXPECT_EQ(error.GetPos(), line.size() - 3);
    }
}

}  // namespace
}  // namespace EpochController
