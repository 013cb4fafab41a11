// Tests of the host interpreter: register effects of every write kind, events, relocation bases and refused instructions.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembler_test_util.h"
#include "interpreter.h"
#include "program.h"

namespace EpochController::test {
namespace {

Program ProgramOf(std::vector<std::string> const& lines) {
    Program program;
    for (std::string const& line : lines) {
        program.AddInstr(ParseLine(line));
    }
    return program;
}

std::vector<std::string> TraceOf(RunResult const& result) {
    std::vector<std::string> lines;
    for (Event const& event : result.events) {
        lines.push_back(std::to_string(event.word_offset) + ": " + event.ToString());
    }
    return lines;
}

std::vector<std::string> FinalOf(RunResult const& result) {
    std::vector<std::string> lines;
    for (RegisterSpace::Entry const& entry : result.registers.NonZero()) {
        lines.push_back(std::to_string(entry.unit) + "/" + std::to_string(entry.reg) + " " + entry.value.ToString());
    }
    return lines;
}

struct RunRow {
    std::string name;
    std::vector<std::string> program;
    std::vector<std::string> trace;
    std::vector<std::string> final_registers;
};

TEST(Interpreter, EachInstructionHasItsEffectAndEvent) {
    std::vector<RunRow> const rows = {
        {"full write", {"write 3 12 0x10"}, {"0: write unit 3 register 12: 0x0 -> 0x10"}, {"3/12 0x10"}},
        {"write into a bit range lands at its lsb and keeps the other bits",
         {"write 3 12 0xffff00ff", "write 3 12 [8:15] 0x5a"},
         {"0: write unit 3 register 12: 0x0 -> 0xffff00ff", "2: write unit 3 register 12: 0xffff00ff -> 0xffff5aff"},
         {"3/12 0xffff5aff"}},
        {"writefield", {"write 0 4 0xff", "writefield 0 4 [3:6] 0x2"},
         {"0: write unit 0 register 4: 0x0 -> 0xff", "2: writefield unit 0 register 4: 0xff -> 0x97"},
         {"0/4 0x97"}},
        {"writefield reaching bit 31", {"writefield 31 31 [28:31] 0xf"},
         {"0: writefield unit 31 register 31: 0x0 -> 0xf0000000"}, {"31/31 0xf0000000"}},
        {"burstwrite writes one register again and again", {"burstwrite 2 9 0x1 0x2 0x3"},
         {"0: burstwrite unit 2 register 9: 0x0 -> 0x1", "0: burstwrite unit 2 register 9: 0x1 -> 0x2",
          "0: burstwrite unit 2 register 9: 0x2 -> 0x3"},
         {"2/9 0x3"}},
        {"burstwriteinc walks the registers", {"burstwriteinc 2 1021 0x1 0x2 0x3"},
         {"0: burstwriteinc unit 2 register 1021: 0x0 -> 0x1", "0: burstwriteinc unit 2 register 1022: 0x0 -> 0x2",
          "0: burstwriteinc unit 2 register 1023: 0x0 -> 0x3"},
         {"2/1021 0x1", "2/1022 0x2", "2/1023 0x3"}},
        {"an empty burst writes nothing", {"burstwrite 2 8"}, {}, {}},
        {"writing zero leaves no non-zero register", {"write 1 1 0x7", "write 1 1 0x0"},
         {"0: write unit 1 register 1: 0x0 -> 0x7", "2: write unit 1 register 1: 0x7 -> 0x0"}, {}},
        {"events and comments",
         {";; Start Epoch 1", "label 0x1", "poll 5 0 [31] 0x1 100", "wfi 2 1000", "wft 1 0x3 5", "irqna 0x4",
          "restart 0x0", "irq 0x0"},
         {"0: label 0x1", "1: poll 5 0 [31] 0x1 100 (taken as satisfied)", "4: wfi 2 1000", "5: wft 1 0x3 5",
          "7: irqna 0x4", "8: restart 0x0", "9: irq 0x0"},
         {}},
        {"instructions the host cannot execute",
         {"load 1 2 [8:15]", "loadclr 1 3", "store 1 4", "mod [4:7] 0x5", "modclr 0x3"},
         {"0: load 1 2 [8:15] (not executed on the host)", "1: loadclr 1 3 (not executed on the host)",
          "2: store 1 4 (not executed on the host)", "3: mod [4:7] 0x5 (not executed on the host)",
          "5: modclr 0x3 (not executed on the host)"},
         {}},
        {"stop ends the run", {"write 0 0 0x1", "stop 0x0", "write 0 0 0x2"},
         {"0: write unit 0 register 0: 0x0 -> 0x1", "2: stop 0x0 (end of the run)"}, {"0/0 0x1"}},
    };
    for (RunRow const& row : rows) {
        SCOPED_TRACE(row.name);
        RunResult const result = Interpreter().Run(ProgramOf(row.program));
        EXPECT_EQ(TraceOf(result), row.trace);
        EXPECT_EQ(FinalOf(result), row.final_registers);
    }
}

TEST(Interpreter, StopIsReportedOnlyWhenTheRunEndsAtOne) {
    EXPECT_TRUE(Interpreter().Run(ProgramOf({"stop 0x0"})).stopped);
    EXPECT_FALSE(Interpreter().Run(ProgramOf({"irq 0x0"})).stopped);
    EXPECT_FALSE(Interpreter().Run(Program()).stopped);
}

TEST(Interpreter, CountsWritesAndOtherEvents) {
    RunResult const result = Interpreter().Run(ProgramOf({"label 0x1", "burstwriteinc 0 1 0x1 0x2", "irq 0x0"}));
    EXPECT_EQ(result.WriteCount(), 2u);
    EXPECT_EQ(result.OtherEventCount(), 2u);
}

TEST(Interpreter, RelocatableValuesStaySymbolicWithoutABase) {
    RunResult const result = Interpreter().Run(
        ProgramOf({"write 1 2 pool_a(0x40)", "burstwriteinc 1 3 pool_b(0x0) 0x5", "poll 1 9 pool_a(0x4) 100"}));
    EXPECT_EQ(TraceOf(result), (std::vector<std::string>{"0: write unit 1 register 2: 0x0 -> pool_a(0x40)",
                                                         "2: burstwriteinc unit 1 register 3: 0x0 -> pool_b(0x0)",
                                                         "2: burstwriteinc unit 1 register 4: 0x0 -> 0x5",
                                                         "5: poll 1 9 pool_a(0x4) 100 (taken as satisfied)"}));
    EXPECT_EQ(FinalOf(result), (std::vector<std::string>{"1/2 pool_a(0x40)", "1/3 pool_b(0x0)", "1/4 0x5"}));
    EXPECT_TRUE(result.registers.Get(1, 3).IsSymbolic());
    EXPECT_FALSE(result.registers.Get(1, 3).IsZero());
}

TEST(Interpreter, BasesTurnRelocatableValuesIntoAddresses) {
    Interpreter const interpreter({{"pool_a", 0x20000000u}, {"pool_b", 0xFFFFFFF0u}, {"unused", 1u}});
    RunResult const result = interpreter.Run(ProgramOf({"write 1 2 pool_a(0x40)", "write 1 3 pool_b(0x20)",
                                                        "poll 1 9 pool_a(0x4) 100",
                                                        "mod [4:7] pool_b(0x10)", "modclr pool_c(0x1)"}));
    EXPECT_EQ(TraceOf(result),
              (std::vector<std::string>{"0: write unit 1 register 2: 0x0 -> 0x20000040",
                                        // The device adds base and offset in 32 bits.
                                        "2: write unit 1 register 3: 0x0 -> 0x10",
                                        "4: poll 1 9 0x20000004 100 (taken as satisfied)",
                                        "7: mod [4:7] 0x0 (not executed on the host)",
                                        "9: modclr pool_c(0x1) (not executed on the host)"}));
}

TEST(Interpreter, ABinaryRunsLikeItsProgram) {
    Program const program = ProgramOf({";; Start Blob 'b'", "label 0x1", "write 1 2 pool_a(0x40)",
                                       "burstwriteinc 1 3 0x1 0x2", "writefield 1 4 [0:7] 0xff", "irq 0x0"});
    std::unique_ptr<Binary> const binary = program.ToBinary();
    RunResult const from_program = Interpreter().Run(program);
    RunResult const from_binary = Interpreter().Run(*binary);
    EXPECT_EQ(TraceOf(from_binary), TraceOf(from_program));
    EXPECT_TRUE(from_binary.registers == from_program.registers);
}

struct ErrorRow {
    std::vector<std::string> program;
    std::string messages;
};

TEST(Interpreter, RefusesWhatTheRegisterModelCannotExecute) {
    std::vector<ErrorRow> const rows = {
        {{"write 40 1 0x1"},
         "Cannot execute the instruction at word offset 0: write 40 1 0x1 | Unit 40 is outside the register space "
         "(units 0 to 31)"},
        {{"label 0x1", "burstwriteinc 2 1022 0x1 0x2 0x3"},
         "Cannot execute the instruction at word offset 1: burstwriteinc 2 1022 0x1 0x2 0x3 | Register 1024 of unit 2 "
         "is outside the register space (registers 0 to 1023)"},
        {{"write 3 12 [0:7] 0x100"},
         "Cannot execute the instruction at word offset 0: write 3 12 [0:7] 0x100 | Value 0x100 does not fit bits "
         "0..7"},
        {{"writefield 0 4 [3] 0x2"},
         "Cannot execute the instruction at word offset 0: writefield 0 4 [3] 0x2 | Value 0x2 does not fit bits 3..3"},
        {{"write 3 12 [4:7] pool_a(0x1)"},
         "Cannot execute the instruction at word offset 0: write 3 12 [4:7] pool_a(0x1) | Value pool_a(0x1) cannot be "
         "written into bits 4..7 without a base for 'pool_a'"},
        {{"write 3 12 pool_a(0x1)", "writefield 3 12 [0] 0x0"},
         "Cannot execute the instruction at word offset 2: writefield 3 12 [0] 0x0 | Unit 3 register 12 holds "
         "pool_a(0x1): its bits 0..0 cannot be changed without a base for 'pool_a'"},
    };
    for (ErrorRow const& row : rows) {
        SCOPED_TRACE(row.program.back());
        try {
            Interpreter().Run(ProgramOf(row.program));
            ADD_FAILURE() << "no error";
        } catch (BaseError const& error) {
            EXPECT_EQ(Messages(error), row.messages);
        }
    }
}

TEST(Interpreter, RefusesAFieldThatRunsPastBit31) {
    // The text reader keeps such fields out, the instruction itself does not.
    Program program;
    program.AddInstr(InstrWriteField(0, 4, 30, 4, 1));
    try {
        Interpreter().Run(program);
        ADD_FAILURE() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(Messages(error),
                  "Cannot execute the instruction at word offset 0: writefield 0 4 [30:33] 0x1 | Field bits 30..33 "
                  "runs past bit 31");
    }
}

TEST(Interpreter, RefusesABasedValueThatDoesNotFitItsBitRange) {
    try {
        Interpreter({{"pool_a", 0x20000000u}}).Run(ProgramOf({"write 1 4 [0:15] pool_a(0x0)"}));
        ADD_FAILURE() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(Messages(error),
                  "Cannot execute the instruction at word offset 0: write 1 4 [0:15] pool_a(0x0) | Value 0x20000000 "
                  "does not fit bits 0..15");
    }
}

TEST(RegisterSpaceDeathTest, AccessOutsideTheSpaceIsAFatalReport) {
    RegisterSpace registers;
    EXPECT_DEATH(registers.Get(32, 0), FatalReport("unit >= kUnits || reg >= kRegistersPerUnit"));
    EXPECT_DEATH(registers.Set(0, 1024, RegisterValue()), FatalReport("unit >= kUnits || reg >= kRegistersPerUnit"));
}

}  // namespace
}  // namespace EpochController::test
