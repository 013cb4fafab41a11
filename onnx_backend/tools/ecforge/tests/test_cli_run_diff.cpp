// Tests of the run and diff subcommands of the ecforge tool: golden outputs, exit codes and reports.
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "io_test_support.h"

namespace {

using EpochControllerTest::ReadText;
using EpochControllerTest::TempDir;
using ::testing::HasSubstr;

std::string Data(std::string const& name) {
    return std::string(ECFORGE_IO_TEST_DATA_DIR) + "/" + name;
}

struct ToolResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs the tool inside a temporary directory holding copies of the test programs, so that the
// reports name files relative to it.
class RunDiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::string const name : {"interp_blob.s", "interp_swapped.s", "interp_bad_register.s"}) {
            EpochControllerTest::WriteText(dir.File(name), ReadText(Data(name)));
        }
    }

    ToolResult Tool(std::string const& args) {
        std::string const command = "cd '" + dir.Path() + "' && '" + ECFORGE_CLI_PATH + "' " + args + " > '" +
                                    dir.File("stdout.txt") + "' 2> '" + dir.File("stderr.txt") + "'";
        int const status = std::system(command.c_str());
        ToolResult result;
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(dir.File("stdout.txt"));
        result.err = ReadText(dir.File("stderr.txt"));
        return result;
    }

    TempDir dir;
};

TEST_F(RunDiffTest, RunPrintsTheFinalRegistersAndTheTrace) {
    struct Row {
        std::string args;
        std::string golden;
    };
    std::vector<Row> const rows{
        {"run interp_blob.s", "interp_blob_run.golden"},
        {"run interp_blob.s --trace --base AXISRAM1=0x20000000", "interp_blob_trace.golden"},
        {"run --base=AXISRAM1=536870912 --trace interp_blob.s", "interp_blob_trace.golden"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        ToolResult const result = Tool(row.args);
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_EQ(result.out, ReadText(Data(row.golden)));
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(RunDiffTest, RunOfAProgramThatWritesNothing) {
    EpochControllerTest::WriteText(dir.File("quiet.s"), ";; nothing\nlabel 0x1\nirq 0x0\n");
    ToolResult const result = Tool("run quiet.s --trace");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, "Trace:\n  word 0: label 0x1\n  word 1: irq 0x0\nFinal registers: all zero\n");
}

TEST_F(RunDiffTest, ABlobAndItsOptimisedBinaryAreEquivalent) {
    ASSERT_EQ(Tool("asm interp_blob.s --optimize -o optimised.bin").exit_code, 0);
    ToolResult const result = Tool("diff interp_blob.s optimised.bin");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out,
              "The programs are equivalent: 8 register writes, 5 other events, 6 registers not zero at the end\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(RunDiffTest, DiffNamesTheFirstDifferenceAndExitsWithOne) {
    ToolResult const result = Tool("diff interp_blob.s interp_swapped.s");
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out, ReadText(Data("interp_diff_swapped.golden")));
    EXPECT_EQ(result.err, "");
}

TEST_F(RunDiffTest, BadInputIsReportedWithExitCodeOne) {
    struct Row {
        std::string args;
        std::string err;
    };
    std::vector<Row> const rows{
        {"run interp_bad_register.s",
         "Cannot run 'interp_bad_register.s' (pos 0):\n"
         "Cannot execute the instruction at word offset 1: burstwriteinc 2 1023 0x1 0x2:\n"
         "Register 1024 of unit 2 is outside the register space (registers 0 to 1023)\n"},
        {"diff interp_blob.s interp_bad_register.s",
         "Cannot run 'interp_bad_register.s' (pos 0):\n"
         "Cannot execute the instruction at word offset 1: burstwriteinc 2 1023 0x1 0x2:\n"
         "Register 1024 of unit 2 is outside the register space (registers 0 to 1023)\n"},
        {"diff missing.bin interp_blob.s", "Cannot open file 'missing.bin' (pos 0)\n"},
        {"run missing.s", "Error parsing Epoch Controller assembly file (pos 0):\nCannot open file 'missing.s'\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        ToolResult const result = Tool(row.args);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(RunDiffTest, WrongUsageExitsWithTwo) {
    struct Row {
        std::string args;
        std::string err;
    };
    std::vector<Row> const rows{
        {"run", "input is required"},
        {"run interp_blob.c", "'interp_blob.c' is not a .s or .bin file"},
        {"run interp_blob.s --base AXISRAM1", "'AXISRAM1' is not SYMBOL=ADDRESS"},
        {"run interp_blob.s --base =0x10", "'=0x10' is not SYMBOL=ADDRESS"},
        {"run interp_blob.s --base AXISRAM1=0x100000000",
         "'0x100000000' is not an address from 0 to 0xffffffff (decimal or 0x hexadecimal)"},
        {"run interp_blob.s --base AXISRAM1=4294967296",
         "'4294967296' is not an address from 0 to 0xffffffff (decimal or 0x hexadecimal)"},
        {"run interp_blob.s --base AXISRAM1=0x1g", "'0x1g' is not an address"},
        {"run interp_blob.s --base A=1 --base A=2", "relocation symbol 'A' is given more than once"},
        {"run interp_blob.s --bogus", "--bogus"},
        {"diff interp_blob.s", "b is required"},
        {"diff interp_blob.s interp_swapped.txt", "'interp_swapped.txt' is not a .s or .bin file"},
        {"diff interp_blob.s interp_swapped.s interp_blob.s", "interp_blob.s"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        ToolResult const result = Tool(row.args);
        EXPECT_EQ(result.exit_code, 2);
        EXPECT_THAT(result.err, HasSubstr(row.err));
        EXPECT_THAT(result.err, HasSubstr("Run with --help for more information."));
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
