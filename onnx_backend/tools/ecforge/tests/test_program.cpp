// Tests of the EC program container: ownership, sizes, comment merging, debug removal and equality.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assembler_test_util.h"
#include "program.h"

namespace EpochController {
namespace {

using test::ParseLine;

// Builds a program from assembly lines (";;" lines are comments).
Program MakeProgram(std::vector<std::string> const& lines)
{
    Program program;
    for (std::string const& line : lines) {
        program.AddInstr(*ParseLine(line));
    }
    return program;
}

// Returns the printed entries of a program, one string each.
std::vector<std::string> Entries(Program const& program)
{
    std::vector<std::string> entries;
    for (auto const& instr : program.GetInstructions()) {
        entries.push_back(instr->ToAsm());
    }
    return entries;
}

TEST(ProgramContainer, EmptyProgram)
{
    Program const empty;
    EXPECT_EQ(empty.GetSize(), 0u);
    EXPECT_TRUE(empty.GetInstructions().empty());
    unsigned index = 99;
    EXPECT_TRUE(empty.IsEqual(Program(), index));
    EXPECT_EQ(index, 0u);
}

TEST(ProgramContainer, SizeIsTheSumOfWords)
{
    Program const program = MakeProgram({";; a", "write 1 2 0x3", "label 0x1", "poll 1 2 0x0 100", ";; b",
                                         "burstwriteinc 1 2 0x1 0x2"});
    EXPECT_EQ(program.GetSize(), 2u + 1u + 3u + 3u);
    EXPECT_EQ(MakeProgram({";; a", ";; b"}).GetSize(), 0u);
}

TEST(ProgramContainer, AddInstrStoresACopy)
{
    Program program;
    {
        auto write = std::make_unique<InstrWrite>(3, 12, nullptr, new RelocValue(0x10, "pool"));
        program.AddInstr(*write);
        EXPECT_NE(program.GetInstructions()[0].get(), write.get());
    }
    EXPECT_EQ(Entries(program), std::vector<std::string>{"write 3 12 pool(0x10)"});

    program.AddInstr(std::unique_ptr<InstrBase>(new InstrStop(0)));
    program.AddInstr(std::unique_ptr<InstrBase>());
    EXPECT_EQ(Entries(program), (std::vector<std::string>{"write 3 12 pool(0x10)", "stop 0x0"}));
}

TEST(ProgramContainer, CopiesAreDeep)
{
    Program const original = MakeProgram({";; start", "write 1 2 0x3", "stop 0x0"});
    Program copy(original);
    unsigned index = 0;
    EXPECT_TRUE(copy.IsEqual(original, index));
    EXPECT_EQ(index, 3u);
    EXPECT_NE(copy.GetInstructions()[1].get(), original.GetInstructions()[1].get());

    Program assigned = MakeProgram({"label 0x1", "label 0x2", "label 0x3", "label 0x4"});
    assigned = original;
    EXPECT_TRUE(assigned.IsEqual(original, index));
    copy.Clear();
    EXPECT_TRUE(copy.GetInstructions().empty());
    EXPECT_EQ(Entries(original).size(), 3u);
    Program const& alias = assigned;
    assigned = alias;
    EXPECT_EQ(Entries(assigned), Entries(original));
}

TEST(ProgramContainer, FixUpJoinsAdjacentComments)
{
    Program program = MakeProgram({";;a", ";;b", ";;c", "label 0x1", ";;d", "stop 0x0", ";;e", ";;f"});
    program.FixUp();
    EXPECT_EQ(Entries(program), (std::vector<std::string>{";; a\n;; b\n;; c", "label 0x1", ";; d", "stop 0x0", ";; e\n;; f"}));
    auto const& first = dynamic_cast<InstrDebugInfo const&>(*program.GetInstructions()[0]);
    EXPECT_EQ(first.GetInfo(), "a\nb\nc");

    Program no_comments = MakeProgram({"label 0x1", "stop 0x0"});
    no_comments.FixUp();
    EXPECT_EQ(Entries(no_comments).size(), 2u);
}

TEST(ProgramContainer, RemoveDebugInfoKeepsTheOrder)
{
    Program program = MakeProgram({";; a", "label 0x1", ";; b", "write 1 2 0x3", ";; c", ";; d", "stop 0x0", ";; e"});
    program.RemoveDebugInfo();
    EXPECT_EQ(Entries(program), (std::vector<std::string>{"label 0x1", "write 1 2 0x3", "stop 0x0"}));

    Program comments_only = MakeProgram({";; a", ";; b"});
    comments_only.RemoveDebugInfo();
    EXPECT_TRUE(comments_only.GetInstructions().empty());
}

TEST(ProgramContainer, IsEqualNamesTheFirstDifference)
{
    struct Row {
        std::vector<std::string> other;
        bool equal;
        unsigned index;
    };
    std::vector<std::string> const base = {";; a", "write 1 2 0x3", "stop 0x0"};
    std::vector<Row> const rows = {
        {base, true, 3},
        {{";; b", "write 1 2 0x3", "stop 0x0"}, false, 0},
        {{";; a", "write 1 2 0x4", "stop 0x0"}, false, 1},
        {{";; a", "write 1 2 0x3", "restart 0x0"}, false, 2},
        {{";; a", "write 1 2 0x3"}, false, 0xFFFFFFFF},
        {{";; a", "write 1 2 0x3", "stop 0x0", "stop 0x0"}, false, 0xFFFFFFFF},
    };
    Program const program = MakeProgram(base);
    for (Row const& row : rows) {
        SCOPED_TRACE(row.index);
        unsigned index = 12345;
        EXPECT_EQ(program.IsEqual(MakeProgram(row.other), index), row.equal);
        EXPECT_EQ(index, row.index);
    }
}

}  // namespace
}  // namespace EpochController
