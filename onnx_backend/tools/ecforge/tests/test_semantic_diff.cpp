// Tests of the semantic comparison: reports of each kind of difference, and the optimiser checked against it on random programs.
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "assembler_test_util.h"
#include "interpreter.h"
#include "program.h"
#include "semantic_diff.h"

namespace EpochController::test {
namespace {

Program ProgramOf(std::vector<std::string> const& lines) {
    Program program;
    for (std::string const& line : lines) {
        program.AddInstr(ParseLine(line));
    }
    return program;
}

std::string Report(Program const& a, Program const& b) {
    RunResult const run_a = Interpreter().Run(a);
    RunResult const run_b = Interpreter().Run(b);
    return SemanticDiffReport(CompareRuns(run_a, run_b), run_a, "a.s", "b.s");
}

struct DiffRow {
    std::string name;
    std::vector<std::string> a;
    std::vector<std::string> b;
    std::string report;
};

TEST(SemanticDiff, ReportsTheFirstDifferenceInUserTerms) {
    std::vector<DiffRow> const rows = {
        {"identical", {"label 0x1", "write 3 12 0x10", "irq 0x0"}, {"label 0x1", "write 3 12 0x10", "irq 0x0"},
         "The programs are equivalent: 1 register write, 2 other events, 1 register not zero at the end\n"},
        {"empty programs", {}, {}, "The programs are equivalent: 0 register writes, 0 other events, 0 registers not "
                                   "zero at the end\n"},
        {"writes to different registers in another order, comments, bursts",
         {";; one", "write 3 13 0x2", "write 3 12 0x1", "write 3 12 0x5", "writefield 0 1 [0:7] 0x9"},
         {"burstwriteinc 3 12 0x1 0x2", ";; two", "writefield 0 1 [0:7] 0x9", "burstwrite 3 12 0x5"},
         "The programs are equivalent: 4 register writes, 0 other events, 3 registers not zero at the end\n"},
        {"a different value",
         {"label 0x1", "write 3 12 0x10", "write 3 12 0x11"}, {"label 0x1", "write 3 12 0x10", "write 3 12 0x12"},
         "The programs differ at unit 3 register 12: write 2 of that register after event 1 (label 0x1)\n"
         "  a.s: 0x11 from the write at word 3\n"
         "  b.s: 0x12 from the write at word 3\n"},
        {"two writes of one register swapped", {"write 3 12 0x1", "write 3 12 0x2"},
         {"write 3 12 0x2", "write 3 12 0x1"},
         "The programs differ at unit 3 register 12: write 1 of that register before the first event\n"
         "  a.s: 0x1 from the write at word 0\n"
         "  b.s: 0x2 from the write at word 0\n"},
        {"a write missing in the second program", {"write 3 12 0x1", "write 0 0 0x1", "irq 0x0"},
         {"write 0 0 0x1", "irq 0x0"},
         "The programs differ at unit 3 register 12: write 1 of that register before the first event\n"
         "  a.s: 0x1 from the write at word 0\n"
         "  b.s: no such write (the register is written 0 times there)\n"},
        {"an extra write in the second program", {"label 0x0", "write 0 0 0x1"},
         {"label 0x0", "write 0 0 0x1", "burstwrite 0 0 0x1"},
         "The programs differ at unit 0 register 0: write 2 of that register after event 1 (label 0x0)\n"
         "  a.s: no such write (the register is written 1 time there)\n"
         "  b.s: 0x1 from the burstwrite at word 3\n"},
        {"a write moved across an event", {"write 1 1 0x1", "poll 1 2 [0] 0x1 100"},
         {"poll 1 2 [0] 0x1 100", "write 1 1 0x1"},
         "The programs differ at unit 1 register 1: write 1 of that register before the first event\n"
         "  a.s: 0x1 from the write at word 0\n"
         "  b.s: no such write (the register is written 0 times there)\n"},
        {"a different event", {"label 0x1", "irq 0x0"}, {"label 0x2", "irq 0x0"},
         "The programs differ at event 1:\n"
         "  a.s: word 0: label 0x1\n"
         "  b.s: word 0: label 0x2\n"},
        {"a poll with another interval", {"poll 5 0 [31] 0x1 100"}, {"poll 5 0 [31] 0x1 200"},
         "The programs differ at event 1:\n"
         "  a.s: word 0: poll 5 0 [31] 0x1 100 (taken as satisfied)\n"
         "  b.s: word 0: poll 5 0 [31] 0x1 200 (taken as satisfied)\n"},
        {"an event only in the first program", {"label 0x1", "load 1 2", "irq 0x0"}, {"label 0x1", "irq 0x0"},
         "The programs differ at event 2:\n"
         "  a.s: word 1: load 1 2 (not executed on the host)\n"
         "  b.s: word 1: irq 0x0\n"},
        {"the second program ends early", {"label 0x1", "stop 0x0"}, {"label 0x1"},
         "The programs differ at event 2:\n"
         "  a.s: word 1: stop 0x0 (end of the run)\n"
         "  b.s: none (the run ends after 1 event)\n"},
        {"writes after a stop do not count", {"stop 0x0", "write 0 1 0x1"}, {"stop 0x0"},
         "The programs are equivalent: 0 register writes, 1 other event, 0 registers not zero at the end\n"},
        {"the same offset from another symbol", {"write 0 1 pool_a(0x4)"}, {"write 0 1 pool_b(0x4)"},
         "The programs differ at unit 0 register 1: write 1 of that register before the first event\n"
         "  a.s: pool_a(0x4) from the write at word 0\n"
         "  b.s: pool_b(0x4) from the write at word 0\n"},
        {"a relocatable and an absolute value", {"write 0 1 pool_a(0x4)"}, {"write 0 1 0x4"},
         "The programs differ at unit 0 register 1: write 1 of that register before the first event\n"
         "  a.s: pool_a(0x4) from the write at word 0\n"
         "  b.s: 0x4 from the write at word 0\n"},
    };
    for (DiffRow const& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Report(ProgramOf(row.a), ProgramOf(row.b)), row.report);
    }
}

TEST(SemanticDiff, DescribesTheDifferenceInItsFields) {
    RunResult const a = Interpreter().Run(ProgramOf({"label 0x1", "write 2 7 0x1", "write 2 7 0x2"}));
    RunResult const b = Interpreter().Run(ProgramOf({"label 0x1", "burstwrite 2 7 0x1 0x3"}));
    SemanticDifference const difference = CompareRuns(a, b);
    EXPECT_EQ(difference.kind, SemanticDifference::Kind::kWrite);
    EXPECT_EQ(difference.unit, 2);
    EXPECT_EQ(difference.reg, 7);
    EXPECT_EQ(difference.write_number, 2u);
    EXPECT_EQ(difference.event_number, 1u);
    EXPECT_EQ(difference.after_event, "label 0x1");
    ASSERT_TRUE(difference.a.present && difference.b.present);
    EXPECT_EQ(difference.a.event.new_value.ToString(), "0x2");
    EXPECT_EQ(difference.b.event.new_value.ToString(), "0x3");
    EXPECT_EQ(difference.b.event.word_offset, 1u);
}

TEST(SemanticDiff, ComparesFinalStatesToo) {
    // Runs with equal write sequences end equal; a state changed behind the trace still shows.
    RunResult const a = Interpreter().Run(ProgramOf({"write 4 9 0x1"}));
    RunResult b = a;
    b.registers.Set(4, 9, RegisterValue{0x5, ""});
    SemanticDifference const difference = CompareRuns(a, b);
    EXPECT_EQ(difference.kind, SemanticDifference::Kind::kFinalState);
    EXPECT_EQ(SemanticDiffReport(difference, a, "a.s", "b.s"),
              "The programs differ in the final value of unit 4 register 9:\n  a.s: 0x1\n  b.s: 0x5\n");
}

// Random programs of the shape the recorder produces: runs of full writes to a few units and
// registers (register 0 included, some values relocatable), field writes, polls, partial writes,
// labels, comments as barriers, and instructions the host does not execute.
class RandomProgram {
public:
    explicit RandomProgram(unsigned seed) : random(seed) {}

    Program Make(unsigned length) {
        Program program;
        for (unsigned i = 0; i < length; ++i) {
            unsigned const kind = Pick(100);
            uint8_t const unit = static_cast<uint8_t>(Pick(4));
            if (kind < 60) {
                uint16_t const reg = static_cast<uint16_t>(Pick(12));
                program.AddInstr(InstrWrite(unit, reg, nullptr, new RelocValue(Value())));
            } else if (kind < 66) {
                // Relocatable values go to registers that no partial write touches.
                uint16_t const reg = static_cast<uint16_t>(20 + Pick(4));
                program.AddInstr(
                    InstrWrite(unit, reg, nullptr, new RelocValue(Value() & 0xFFFF, Pick(2) ? "pool_a" : "pool_b")));
            } else if (kind < 72) {
                uint8_t const lsb = static_cast<uint8_t>(Pick(32));
                uint8_t const width = static_cast<uint8_t>(1 + Pick(std::min(8u, 32u - lsb)));
                program.AddInstr(InstrWriteField(unit, static_cast<uint8_t>(Pick(12)), lsb, width,
                                                 static_cast<uint8_t>(Pick(1u << width))));
            } else if (kind < 76) {
                uint8_t const lsb = static_cast<uint8_t>(Pick(32));
                uint8_t const msb = static_cast<uint8_t>(lsb + Pick(32 - lsb));
                uint32_t const field = msb - lsb == 31 ? 0xFFFFFFFFu : (1u << (msb - lsb + 1)) - 1;
                program.AddInstr(InstrWrite(unit, static_cast<uint16_t>(Pick(12)), new LsbMsb(lsb, msb),
                                            new RelocValue(Value() & field)));
            } else if (kind < 80) {
                program.AddInstr(InstrPoll(unit, static_cast<uint16_t>(Pick(12)), new LsbMsb(0, 0),
                                           new RelocValue(Pick(2)), 100));
            } else if (kind < 88) {
                program.AddInstr(InstrDebugInfo("comment " + std::to_string(i)));
            } else if (kind < 92) {
                program.AddInstr(InstrLabel(Pick(8)));
            } else if (kind < 94) {
                program.AddInstr(InstrLoad(unit, static_cast<uint16_t>(Pick(12)), nullptr));
            } else if (kind < 95) {
                program.AddInstr(InstrIRQ(0));
            } else {
                // Long runs of one unit give the optimiser bursts to build.
                uint16_t const first = static_cast<uint16_t>(Pick(12));
                for (unsigned k = Pick(6); k > 0; --k) {
                    program.AddInstr(
                        InstrWrite(unit, static_cast<uint16_t>((first + Pick(3)) % 12), nullptr, new RelocValue(Value())));
                }
            }
        }
        return program;
    }

private:
    unsigned Pick(unsigned bound) { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random); }
    // Small values repeat often, so that equal writes occur.
    uint32_t Value() { return Pick(2) ? Pick(4) : static_cast<uint32_t>(random()); }

    std::mt19937 random;
};

TEST(SemanticDiff, OptimisedRandomProgramsAreEquivalent) {
    unsigned shortened = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Program const recorded = RandomProgram(seed).Make(20 + seed % 120);
        Program optimised = recorded;
        optimised.Optimize();
        optimised.RemoveDebugInfo();
        shortened += optimised.GetSize() < recorded.GetSize() ? 1 : 0;
        RunResult const before = Interpreter().Run(recorded);
        RunResult const after = Interpreter().Run(optimised);
        SemanticDifference const difference = CompareRuns(before, after);
        ASSERT_TRUE(difference.IsNone()) << SemanticDiffReport(difference, before, "recorded", "optimised");
        // The encoded form runs the same.
        std::unique_ptr<Binary> const binary = optimised.ToBinary();
        ASSERT_TRUE(CompareRuns(before, Interpreter().Run(*binary)).IsNone());
    }
    // The programs give the optimiser work.
    EXPECT_GT(shortened, 250u);
}

TEST(SemanticDiff, OptimisedLongRunsOfOneRegisterAreEquivalent) {
    // More writes than one burst holds.
    Program recorded;
    for (uint32_t i = 0; i < 2 * InstrBurstWrite::kMaxValues + 10; ++i) {
        recorded.AddInstr(InstrWrite(1, 5, nullptr, new RelocValue(i)));
    }
    Program optimised = recorded;
    optimised.Optimize();
    EXPECT_LT(optimised.GetInstructions().size(), 4u);
    EXPECT_TRUE(CompareRuns(Interpreter().Run(recorded), Interpreter().Run(optimised)).IsNone());
}

// Swaps the first two neighbouring full writes of one register that write different values: the
// mistake an optimiser must never make.
bool SwapTwoWritesOfOneRegister(Program const& program, Program& broken) {
    auto const& instructions = program.GetInstructions();
    auto const full_write = [](InstrBase const& instr) -> InstrWrite const* {
        auto const* write = dynamic_cast<InstrWrite const*>(&instr);
        return write != nullptr && write->GetLsbMsb().IsFullRegister() ? write : nullptr;
    };
    for (std::size_t i = 0; i + 1 < instructions.size(); ++i) {
        InstrWrite const* first = full_write(*instructions[i]);
        InstrWrite const* second = full_write(*instructions[i + 1]);
        if (first != nullptr && second != nullptr && first->GetIpId() == second->GetIpId() &&
            first->GetRegId() == second->GetRegId() && !first->GetValue().IsEqual(second->GetValue())) {
            broken.Clear();
            for (std::size_t k = 0; k < instructions.size(); ++k) {
                std::size_t const from = k == i ? i + 1 : k == i + 1 ? i : k;
                broken.AddInstr(*instructions[from]);
            }
            return true;
        }
    }
    return false;
}

TEST(SemanticDiff, CatchesABrokenOptimisationOfRandomPrograms) {
    unsigned caught = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Program const recorded = RandomProgram(seed).Make(20 + seed % 120);
        Program broken;
        if (!SwapTwoWritesOfOneRegister(recorded, broken)) {
            continue;
        }
        broken.Optimize();
        SemanticDifference const difference = CompareRuns(Interpreter().Run(recorded), Interpreter().Run(broken));
        EXPECT_EQ(difference.kind, SemanticDifference::Kind::kWrite);
        ++caught;
    }
    EXPECT_GT(caught, 100u);
}

TEST(SemanticDiff, CatchesAReorderAcrossAnOverlappingBurst) {
    // Exchanging these two by their first registers changes the order of the writes to register 6.
    std::string const report = Report(ProgramOf({"write 0 6 0x1", "burstwriteinc 0 5 0x2 0x3 0x4"}),
                                      ProgramOf({"burstwriteinc 0 5 0x2 0x3 0x4", "write 0 6 0x1"}));
    EXPECT_EQ(report,
              "The programs differ at unit 0 register 6: write 1 of that register before the first event\n"
              "  a.s: 0x1 from the write at word 0\n"
              "  b.s: 0x3 from the burstwriteinc at word 0\n");
}

}  // namespace
}  // namespace EpochController::test
