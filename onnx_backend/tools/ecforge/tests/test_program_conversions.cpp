// Tests of the whole-program conversions: binary image, EC binary file and assembly text and file.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binary.h"
#include "error_core.h"
#include "io_test_support.h"
#include "program.h"

namespace EpochController {
namespace {

using EpochControllerTest::ReadText;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteText;

std::unique_ptr<InstrBase> Write(uint8_t ip, uint16_t reg, uint32_t value, std::string const& reloc = "") {
    return std::make_unique<InstrWrite>(ip, reg, nullptr, new RelocValue(value, reloc));
}

std::unique_ptr<InstrBase> Comment(std::string const& text) {
    return std::make_unique<InstrDebugInfo>(text);
}

std::string MessageOf(BaseError const& error) {
    std::string text;
    for (std::string const& msg : error.GetMsgs()) {
        text += text.empty() ? msg : "|" + msg;
    }
    return text;
}

// A program that uses every instruction class, relocatable values and comments.
Program Sample() {
    Program program;
    program.AddInstr(Comment("Start Epoch 1"));
    program.AddInstr(std::make_unique<InstrLabel>(1));
    program.AddInstr(Write(3, 12, 0x10));
    program.AddInstr(std::make_unique<InstrWrite>(3, 12, new LsbMsb(0, 7), new RelocValue(0x40, "pool_a")));
    program.AddInstr(std::make_unique<InstrWriteField>(0, 4, 3, 4, 0xa));
    program.AddInstr(std::make_unique<InstrBurstWrite>(
        2, 8, std::vector<RelocValue const*>{new RelocValue(1), new RelocValue(2, "pool_b")}));
    program.AddInstr(std::make_unique<InstrBurstWriteInc>(2, 9, std::vector<RelocValue const*>{new RelocValue(3)}));
    program.AddInstr(std::make_unique<InstrPoll>(5, 0, new LsbMsb(31, 31), new RelocValue(0), 100));
    program.AddInstr(std::make_unique<InstrLoad>(1, 2, new LsbMsb(8, 15)));
    program.AddInstr(std::make_unique<InstrLoadClr>(1, 3, nullptr));
    program.AddInstr(std::make_unique<InstrStore>(1, 4, nullptr));
    program.AddInstr(Comment("two\nlines"));
    program.AddInstr(std::make_unique<InstrMod>(new LsbMsb(4, 7), new RelocValue(5)));
    program.AddInstr(std::make_unique<InstrModClr>(nullptr, new RelocValue(3, "pool_a")));
    program.AddInstr(std::make_unique<InstrWFI>(2, 1000));
    program.AddInstr(std::make_unique<InstrWFT>(1, 5, 3));
    program.AddInstr(std::make_unique<InstrIRQ>(0));
    program.AddInstr(std::make_unique<InstrIRQNA>(2));
    program.AddInstr(std::make_unique<InstrRestart>(3));
    program.AddInstr(std::make_unique<InstrStop>(0));
    program.AddInstr(Comment("End"));
    return program;
}

void ExpectEqual(Program const& actual, Program const& expected) {
    unsigned index = 0;
    EXPECT_TRUE(actual.IsEqual(expected, index)) << "first difference at entry " << index << "\nactual:\n"
                                                 << actual.ToAsm("", true) << "expected:\n"
                                                 << expected.ToAsm("", true);
}

TEST(ProgramConversionTest, EmptyProgram) {
    Program const program;
    EXPECT_EQ(program.ToAsm("", true), "");
    std::unique_ptr<Binary> const binary = program.ToBinary();
    EXPECT_TRUE(binary->GetProgram().empty());
    EXPECT_TRUE(binary->GetRelocTable().empty());
    EXPECT_TRUE(binary->GetDebugInfo().empty());
}

TEST(ProgramConversionTest, ToAsmWithOffsetsAndPrefix) {
    Program program;
    program.AddInstr(Comment("first\nsecond"));
    program.AddInstr(Write(3, 12, 0x10));
    program.AddInstr(std::make_unique<InstrLoad>(1, 2, new LsbMsb(8, 15)));
    EXPECT_EQ(program.ToAsm("", true),
              "  0 ;; first\n"
              "    ;; second\n"
              "  0 write 3 12 0x10\n"
              "  2 load 1 2 [8:15]\n");
    EXPECT_EQ(program.ToAsm("> ", false),
              "> ;; first\n"
              "> ;; second\n"
              "> write 3 12 0x10\n"
              "> load 1 2 [8:15]\n");
}

TEST(ProgramConversionTest, OffsetsOfAThousandOrMoreTakeMoreRoom) {
    Program program;
    for (int i = 0; i < 501; ++i) {
        program.AddInstr(Write(1, 1, static_cast<uint32_t>(i)));
    }
    std::string const text = program.ToAsm("", true);
    EXPECT_NE(text.find("\n998 write 1 1 0x1f3\n1000 write 1 1 0x1f4\n"), std::string::npos);
}

TEST(ProgramConversionTest, BinaryRoundTripGivesAnEqualProgram) {
    Program const program = Sample();
    std::unique_ptr<Binary> const binary = program.ToBinary();
    EXPECT_EQ(binary->GetRelocTable(), (Binary::RelocTable{{"pool_a", {4, 20}}, {"pool_b", {8}}}));
    EXPECT_EQ(binary->GetDebugInfo(), (Binary::DebugInfo{{0, "Start Epoch 1"}, {17, "two\nlines"}, {28, "End"}}));
    Program decoded;
    decoded.AddInstr(Write(1, 1, 1));
    decoded.FromBinary(*binary);
    ExpectEqual(decoded, program);
}

TEST(ProgramConversionTest, FromBinaryPlacesDebugInformationAtBothEnds) {
    Binary binary;
    binary.AddWord(0x000000FD);  // label 7
    binary.AddWord(0x0000000C);  // irq 0
    binary.AddDebugInfo(0, "head");
    binary.AddDebugInfo(1, "middle");
    binary.AddDebugInfo(2, "tail");
    Program program;
    program.FromBinary(binary);
    EXPECT_EQ(program.ToAsm("", true),
              "  0 ;; head\n"
              "  0 label 0x7\n"
              "  1 ;; middle\n"
              "  1 irq 0x0\n"
              "  2 ;; tail\n");
}

TEST(ProgramConversionTest, FromBinaryRejectsMisplacedDebugInformation) {
    struct Row {
        uint32_t offset;
        std::string message;
    };
    std::vector<Row> const rows{
        {1, "Cannot place debug information at offset 1: it falls inside an instruction"},
        {4, "Cannot place debug information at offset 4: the program has only 3 words"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.message);
        Binary binary;
        binary.AddWord(0x0C0C7C00);  // write 3 12 0x10
        binary.AddWord(0x10);
        binary.AddWord(0x0000000C);  // irq 0
        binary.AddDebugInfo(0, "fine");
        binary.AddDebugInfo(row.offset, "misplaced");
        Program program;
        try {
            program.FromBinary(binary);
            FAIL() << "no error";
        } catch (BaseError const& error) {
            EXPECT_EQ(MessageOf(error), row.message);
        }
        // The instructions decoded so far stay in the program.
        EXPECT_EQ(program.GetSize(), 3u);
    }
}

TEST(ProgramConversionTest, FromBinaryRejectsAnUnassignedOpcode) {
    Binary binary;
    binary.AddWord(0x0000000C);  // irq 0
    binary.AddWord(20);          // opcode 20 has no instruction
    Program program;
    try {
        program.FromBinary(binary);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot decode instruction at offset 1");
    }
}

TEST(ProgramConversionTest, BinaryFileRoundTrip) {
    TempDir dir;
    Program const program = Sample();
    program.ToBinary()->ToFile(dir.File("sample.bin"), false);
    Program read;
    read.FromBinaryFile(dir.File("sample.bin"));
    ExpectEqual(read, program);

    try {
        read.FromBinaryFile(dir.File("missing.bin"));
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot open file '" + dir.File("missing.bin") + "'");
    }
}

TEST(ProgramConversionTest, AssemblyFileRoundTrip) {
    TempDir dir;
    Program const program = Sample();
    program.ToAsmFile(dir.File("sample.s"));
    EXPECT_EQ(ReadText(dir.File("sample.s")), program.ToAsm("", false));

    Program read;
    read.FromAsm(dir.File("sample.s"));
    // Comments come back with the space that printing put after ";;".
    Program expected;
    for (auto const& instr : program.GetInstructions()) {
        if (instr->IsDebugInfo()) {
            std::string const& text = static_cast<InstrDebugInfo const&>(*instr).GetInfo();
            std::string spaced = " ";
            for (char const c : text) {
                spaced += c;
                if (c == '\n') {
                    spaced += ' ';
                }
            }
            expected.AddInstr(Comment(spaced));
        } else {
            expected.AddInstr(*instr);
        }
    }
    ExpectEqual(read, expected);
}

TEST(ProgramConversionTest, FromAsmJoinsAdjacentCommentsAndSkipsBlankLines) {
    TempDir dir;
    WriteText(dir.File("c.s"), ";; a\n\n;;b\n   \nWRITE 3 12 0x10\n;; end");
    Program program;
    program.FromAsm(dir.File("c.s"));
    Program expected;
    expected.AddInstr(Comment(" a\nb"));
    expected.AddInstr(Write(3, 12, 0x10));
    expected.AddInstr(Comment(" end"));
    ExpectEqual(program, expected);
}

TEST(ProgramConversionTest, FromAsmReportsTheLineOfABadInstruction) {
    TempDir dir;
    WriteText(dir.File("bad.s"), "label 0x1\n\nfoo 1 2\n");
    Program program;
    try {
        program.FromAsm(dir.File("bad.s"));
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(error.ToString(), "Error parsing Epoch Controller assembly file (file '" + dir.File("bad.s") +
                                        "', line 3, col 4):\nCannot decode instruction\n > foo 1 2\n      ^");
    }
    // The instructions read before the error stay in the program.
    EXPECT_EQ(program.GetInstructions().size(), 1u);

    try {
        program.FromAsm(dir.File("missing.s"));
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Error parsing Epoch Controller assembly file|Cannot open file '" +
                                        dir.File("missing.s") + "'");
    }
}

TEST(ProgramConversionTest, ToAsmFileReportsOpenAndWriteFailures) {
    TempDir dir;
    Program const program = Sample();
    try {
        program.ToAsmFile(dir.File("no/such.s"));
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot open file '" + dir.File("no/such.s") + "'");
    }
    try {
        program.ToAsmFile("/dev/full");
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot write to file '/dev/full'");
    }
}

}  // namespace
}  // namespace EpochController
