// Tests of Program::Optimize: worked cases, the burst limit, and a comparison with the literal exchange-and-merge rules.
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "interpreter.h"
#include "program.h"
#include "semantic_diff.h"
#include "textscan.h"

namespace EpochController {
namespace {

using List = std::vector<std::unique_ptr<InstrBase>>;

Program Parse(std::vector<std::string> const& lines) {
    Program program;
    for (std::string const& line : lines) {
        SimpleTextParser parser(line);
        std::unique_ptr<InstrBase> instr(InstrBase::FromAsm(parser));
        EXPECT_TRUE(instr) << line;
        program.AddInstr(std::move(instr));
    }
    return program;
}

std::string Text(std::vector<std::string> const& lines) {
    std::string text;
    for (std::string const& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string Values(unsigned first, unsigned count) {
    std::string text;
    for (unsigned k = 0; k < count; ++k) {
        text += " 0x" + std::to_string(first + k);
    }
    return text;
}

// The optimiser's rules applied literally: bubble passes of neighbour exchanges, then one
// merge pass that copies the values of both partners at every merge.
namespace Reference {

bool IsWriteFamily(InstrBase const& instr) {
    return instr.GetOpcode() == InstrBase::OP_WRITE || instr.GetOpcode() == InstrBase::OP_BURSTWRITE ||
           instr.GetOpcode() == InstrBase::OP_BURSTWRITEINC;
}

InstrReadWrite const& RW(InstrBase const& instr) {
    return static_cast<InstrReadWrite const&>(instr);
}

// An incrementing burst over several registers never takes part in an exchange.
bool SpansRegisters(InstrBase const& instr) {
    return instr.GetOpcode() == InstrBase::OP_BURSTWRITEINC &&
           static_cast<InstrBurstWriteInc const&>(instr).GetValues().size() > 1;
}

void SortPasses(List& list) {
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (std::size_t i = 0; i + 1 < list.size(); ++i) {
            InstrBase const& a = *list[i];
            InstrBase const& b = *list[i + 1];
            if (IsWriteFamily(a) && IsWriteFamily(b) && !SpansRegisters(a) && !SpansRegisters(b) &&
                RW(a).GetIpId() == RW(b).GetIpId() && RW(b).GetRegId() != 0 && RW(b).GetRegId() < RW(a).GetRegId()) {
                std::swap(list[i], list[i + 1]);
                exchanged = true;
            }
        }
    }
}

bool IsFullWrite(InstrBase const& instr) {
    return instr.GetOpcode() == InstrBase::OP_WRITE &&
           static_cast<InstrWrite const&>(instr).GetLsbMsb().IsFullRegister();
}

std::vector<RelocValue const*> ValuesOf(InstrBase const& instr) {
    if (instr.GetOpcode() == InstrBase::OP_WRITE) {
        return {static_cast<InstrWrite const&>(instr).GetValue().Copy()};
    }
    return static_cast<InstrBurstWrite const&>(instr).CopyValues();
}

// Returns the merged instruction, or null when no rule applies or the burst would be too long.
std::unique_ptr<InstrBase> Merge(InstrBase const& prev, InstrBase const& cur) {
    if (!IsWriteFamily(prev) || !IsWriteFamily(cur) || RW(prev).GetIpId() != RW(cur).GetIpId()) {
        return nullptr;
    }
    auto const p = prev.GetOpcode();
    auto const c = cur.GetOpcode();
    bool const pf = IsFullWrite(prev);
    bool const cf = IsFullWrite(cur);
    unsigned const preg = RW(prev).GetRegId();
    unsigned const creg = RW(cur).GetRegId();
    std::vector<RelocValue const*> const pv = ValuesOf(prev);
    std::vector<RelocValue const*> const cv = ValuesOf(cur);
    int kind = 0;  // 1: burst, 2: incrementing burst
    if (pf && cf && creg == preg) {
        kind = 1;
    } else if (pf && cf && creg == preg + 1) {
        kind = 2;
    } else if (pf && c == InstrBase::OP_BURSTWRITE && creg == preg) {
        kind = 1;
    } else if (pf && c == InstrBase::OP_BURSTWRITEINC && creg == preg + 1) {
        kind = 2;
    } else if (p == InstrBase::OP_BURSTWRITE && (c == InstrBase::OP_BURSTWRITE || cf) && creg == preg) {
        kind = 1;
    } else if (p == InstrBase::OP_BURSTWRITEINC && (c == InstrBase::OP_BURSTWRITEINC || cf) &&
               creg == preg + pv.size()) {
        kind = 2;
    }
    std::vector<RelocValue const*> values(pv);
    values.insert(values.end(), cv.begin(), cv.end());
    if (kind == 0 || values.size() > InstrBurstWrite::kMaxValues) {
        for (RelocValue const* value : values) {
            delete value;
        }
        return nullptr;
    }
    if (kind == 1) {
        return std::make_unique<InstrBurstWrite>(RW(prev).GetIpId(), preg, values);
    }
    return std::make_unique<InstrBurstWriteInc>(RW(prev).GetIpId(), preg, values);
}

void MergePass(List& list) {
    std::size_t i = 0;
    while (i + 1 < list.size()) {
        std::unique_ptr<InstrBase> merged = Merge(*list[i], *list[i + 1]);
        if (merged) {
            list[i] = std::move(merged);
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        } else {
            ++i;
        }
    }
}

Program Optimize(Program const& program) {
    List list;
    for (auto const& instr : program.GetInstructions()) {
        list.emplace_back(instr->Copy());
    }
    SortPasses(list);
    MergePass(list);
    Program result;
    for (auto& instr : list) {
        result.AddInstr(std::move(instr));
    }
    return result;
}

}  // namespace Reference

TEST(ProgramOptimizeTest, WorkedCases) {
    struct Row {
        std::string label;
        std::vector<std::string> input;
        std::vector<std::string> expected;
    };
    std::vector<Row> const rows{
        {"consecutive registers", {"write 3 5 0x1", "write 3 6 0x2", "write 3 7 0x3"},
         {"burstwriteinc 3 5 0x1 0x2 0x3"}},
        {"reordered, then merged", {"write 3 7 0x1", "write 3 5 0x2", "write 3 6 0x3"},
         {"burstwriteinc 3 5 0x2 0x3 0x1"}},
        {"one register", {"write 2 9 0x1", "write 2 9 0x2", "write 2 9 0x3"}, {"burstwrite 2 9 0x1 0x2 0x3"}},
        {"register 0 blocks", {"write 1 6 0x1", "write 1 0 0x2", "write 1 5 0x3"},
         {"write 1 6 0x1", "write 1 0 0x2", "write 1 5 0x3"}},
        {"comment blocks", {"write 1 6 0x1", ";; keep", "write 1 5 0x2"}, {"write 1 6 0x1", ";; keep", "write 1 5 0x2"}},
        {"no comment", {"write 1 6 0x1", "write 1 5 0x2"}, {"burstwriteinc 1 5 0x2 0x1"}},
        {"partial write sorts but does not merge", {"write 3 6 [0:15] 0x1", "write 3 5 0x2"},
         {"write 3 5 0x2", "write 3 6 [0:15] 0x1"}},
        {"alternating units", {"write 1 4 0x1", "write 2 3 0x2", "write 1 2 0x3"},
         {"write 1 4 0x1", "write 2 3 0x2", "write 1 2 0x3"}},
        {"no writes", {"label 0x1", "poll 5 0 [31] 0x0 100", "irq 0x0"}, {"label 0x1", "poll 5 0 [31] 0x0 100", "irq 0x0"}},
        {"poll is a barrier", {"write 1 6 0x1", "poll 1 7 0x0 100", "write 1 5 0x2"},
         {"write 1 6 0x1", "poll 1 7 0x0 100", "write 1 5 0x2"}},
        {"write and burst", {"write 1 4 0x1", "burstwrite 1 4 0x2 0x3"}, {"burstwrite 1 4 0x1 0x2 0x3"}},
        {"write and incrementing burst", {"write 1 4 0x1", "burstwriteinc 1 5 0x2 0x3"},
         {"burstwriteinc 1 4 0x1 0x2 0x3"}},
        {"burst and burst", {"burstwrite 1 4 0x1", "burstwrite 1 4 0x2"}, {"burstwrite 1 4 0x1 0x2"}},
        {"burst and write", {"burstwrite 1 4 0x1 0x2", "write 1 4 0x3"}, {"burstwrite 1 4 0x1 0x2 0x3"}},
        {"incrementing bursts", {"burstwriteinc 1 4 0x1 0x2", "burstwriteinc 1 6 0x3"},
         {"burstwriteinc 1 4 0x1 0x2 0x3"}},
        {"incrementing burst and write", {"burstwriteinc 1 4 0x1 0x2", "write 1 6 0x3"},
         {"burstwriteinc 1 4 0x1 0x2 0x3"}},
        {"burst never joins an incrementing burst", {"burstwrite 1 4 0x1", "burstwriteinc 1 5 0x2"},
         {"burstwrite 1 4 0x1", "burstwriteinc 1 5 0x2"}},
        {"repeated register ends an incrementing run", {"write 1 4 0x1", "write 1 5 0x2", "write 1 5 0x3"},
         {"burstwriteinc 1 4 0x1 0x2", "write 1 5 0x3"}},
        {"next register ends a repeated run", {"write 1 4 0x1", "write 1 4 0x2", "write 1 5 0x3"},
         {"burstwrite 1 4 0x1 0x2", "write 1 5 0x3"}},
        {"relocatable values keep their identifiers", {"write 1 4 pool_a(0x10)", "write 1 5 0x2", "write 1 6 b"},
         {"burstwriteinc 1 4 pool_a(0x10) 0x2 b(0x0)"}},
        {"empty bursts", {"burstwriteinc 1 4", "burstwriteinc 1 4 0x1"}, {"burstwriteinc 1 4 0x1"}},
        // Moving the burst before the write would leave register 6 holding 0x1 instead of 0x3.
        {"incrementing burst over a written register stays behind it",
         {"write 0 6 0x1", "burstwriteinc 0 5 0x2 0x3 0x4"}, {"write 0 6 0x1", "burstwriteinc 0 5 0x2 0x3 0x4"}},
        {"incrementing burst is a barrier for sorting", {"write 0 9 0x1", "burstwriteinc 0 5 0x2 0x3", "write 0 3 0x4"},
         {"write 0 9 0x1", "burstwriteinc 0 5 0x2 0x3", "write 0 3 0x4"}},
        {"one-value incrementing burst still sorts", {"write 0 9 0x1", "burstwriteinc 0 5 0x2"},
         {"burstwriteinc 0 5 0x2", "write 0 9 0x1"}},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.label);
        Program program = Parse(row.input);
        program.Optimize();
        EXPECT_EQ(program.ToAsm("", false), Text(row.expected));
        EXPECT_EQ(Reference::Optimize(Parse(row.input)).ToAsm("", false), Text(row.expected));
    }
}

TEST(ProgramOptimizeTest, BurstsCloseAtTheValueLimit) {
    std::vector<std::string> lines;
    for (unsigned k = 0; k < 2050; ++k) {
        lines.push_back("write 1 7 0x" + std::to_string(k));
    }
    Program program = Parse(lines);
    program.Optimize();
    EXPECT_EQ(program.ToAsm("", false),
              Text({"burstwrite 1 7" + Values(0, 2047), "burstwrite 1 7" + Values(2047, 3)}));
    EXPECT_EQ(program.GetSize(), 2048u + 4u);
}

TEST(ProgramOptimizeTest, LongBurstsMergeOnlyWithinTheLimit) {
    struct Row {
        unsigned second_count;
        unsigned expected_entries;
    };
    for (Row const row : {Row{1047, 1}, Row{1048, 2}}) {
        SCOPED_TRACE(row.second_count);
        std::vector<std::string> const lines{"burstwriteinc 1 0" + Values(0, 1000),
                                             "burstwriteinc 1 1000" + Values(1000, row.second_count)};
        Program program = Parse(lines);
        program.Optimize();
        EXPECT_EQ(program.GetInstructions().size(), row.expected_entries);
        EXPECT_EQ(program.ToAsm("", false), Reference::Optimize(Parse(lines)).ToAsm("", false));
    }
}

// Random programs over few units and registers, so that exchanges and merges are frequent.
Program RandomProgram(std::mt19937& rng) {
    auto pick = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
    auto value = [&](unsigned k) {
        static char const* const ids[] = {"", "", "", "pool_a", "pool_b"};
        return new RelocValue(k, ids[pick(5)]);
    };
    Program program;
    unsigned const length = pick(60);
    for (unsigned k = 0; k < length; ++k) {
        uint8_t const ip = static_cast<uint8_t>(pick(3));
        uint16_t const reg = static_cast<uint16_t>(pick(7));
        unsigned const kind = pick(100);
        if (kind < 55) {
            program.AddInstr(std::make_unique<InstrWrite>(ip, reg, nullptr, value(k)));
        } else if (kind < 65) {
            program.AddInstr(std::make_unique<InstrWrite>(ip, reg, new LsbMsb(0, 15), value(k)));
        } else if (kind < 82) {
            std::vector<RelocValue const*> values;
            unsigned const count = pick(4);
            for (unsigned v = 0; v < count; ++v) {
                values.push_back(value(k * 10 + v));
            }
            if (kind < 73) {
                program.AddInstr(std::make_unique<InstrBurstWrite>(ip, reg, values));
            } else {
                program.AddInstr(std::make_unique<InstrBurstWriteInc>(ip, reg, values));
            }
        } else if (kind < 90) {
            program.AddInstr(std::make_unique<InstrDebugInfo>("barrier"));
        } else if (kind < 95) {
            program.AddInstr(std::make_unique<InstrPoll>(ip, reg, nullptr, value(k), 100));
        } else {
            program.AddInstr(std::make_unique<InstrLabel>(k));
        }
    }
    return program;
}

TEST(ProgramOptimizeTest, MatchesTheLiteralRulesOnRandomPrograms) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 3000; ++round) {
        Program const input = RandomProgram(rng);
        Program optimized = input;
        optimized.Optimize();
        Program const expected = Reference::Optimize(input);
        unsigned index = 0;
        ASSERT_TRUE(optimized.IsEqual(expected, index))
            << "round " << round << ", entry " << index << "\ninput:\n"
            << input.ToAsm("", false) << "optimised:\n"
            << optimized.ToAsm("", false) << "expected:\n"
            << expected.ToAsm("", false);
    }
}

// Random programs mixing writes, partial writes and both burst kinds over a few registers give
// every register the same values in the same order once optimised.
TEST(ProgramOptimizeTest, KeepsWhatRandomProgramsDoToTheRegisters) {
    std::mt19937 rng(42);
    Interpreter const interpreter({{"pool_a", 0x1000}, {"pool_b", 0x2000}});
    for (int round = 0; round < 1000; ++round) {
        Program const input = RandomProgram(rng);
        Program optimized = input;
        optimized.Optimize();
        SemanticDifference const difference = CompareRuns(interpreter.Run(input), interpreter.Run(optimized));
        ASSERT_TRUE(difference.IsNone()) << "round " << round << "\ninput:\n"
                                         << input.ToAsm("", false) << "optimised:\n"
                                         << optimized.ToAsm("", false);
    }
}

TEST(ProgramOptimizeTest, OptimizingTwiceChangesNothingMore) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Program program = RandomProgram(rng);
        program.Optimize();
        Program again = program;
        again.Optimize();
        unsigned index = 0;
        // A second run may still fold bursts that only became neighbours in the first; it never
        // grows the program.
        EXPECT_LE(again.GetSize(), program.GetSize());
        Program expected = Reference::Optimize(program);
        EXPECT_TRUE(again.IsEqual(expected, index)) << "round " << round;
    }
}

}  // namespace
}  // namespace EpochController
