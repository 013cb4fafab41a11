// Writes that fail in the ecforge tool: every subcommand that writes to a full device, to a path that
// cannot be created or to a full standard output reports it and exits with the bad-input code.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "io_test_support.h"

namespace {

using EpochControllerTest::ReadText;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteText;

struct Outcome {
    int exit_code = -1;
    std::string err;
};

class CliWriteFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(dir.File("program.s"), ReadText(std::string(ECFORGE_IO_TEST_DATA_DIR) + "/cli/program.s"));
        for (std::string const name : {"full.bin", "full.c", "full.s"}) {
            ASSERT_EQ(::symlink("/dev/full", dir.File(name).c_str()), 0);
        }
        WriteText(dir.File("plain"), "x");
        ASSERT_EQ(Run("asm program.s -o program.bin", dir.File("out.txt")).exit_code, 0);
    }

    // Runs the tool inside the test directory with its standard output sent to `out`.
    Outcome Run(std::string const& args, std::string const& out) {
        std::string const command = "cd '" + dir.Path() + "' && '" + ECFORGE_CLI_PATH + "' " + args + " > '" + out +
                                    "' 2> '" + dir.File("err.txt") + "'";
        int const status = std::system(command.c_str());
        Outcome outcome;
        outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.err = ReadText(dir.File("err.txt"));
        return outcome;
    }

    TempDir dir;
};

TEST_F(CliWriteFailureTest, FailedWritesExitWithTheBadInputCode) {
    struct Row {
        std::string args;
        std::string out;  // where the standard output goes: "" for a scratch file
        std::string err;
    };
    std::vector<Row> const rows{
        {"asm program.s -o full.bin", "", "Cannot write to file 'full.bin' (pos 0)\n"},
        {"asm program.s -o full.c", "", "Cannot write to file 'full.c' (pos 0)\n"},
        {"asm program.s -o plain/x.bin", "", "Cannot open file 'plain/x.bin' (pos 0)\n"},
        {"asm program.s -o plain/x.c", "", "Cannot open file 'plain/x.c' (pos 0)\n"},
        {"convert program.s -o full.s", "", "Cannot write to file 'full.s' (pos 0)\n"},
        {"convert program.bin -o full.bin", "", "Cannot write to file 'full.bin' (pos 0)\n"},
        {"convert program.bin -o full.c", "", "Cannot write to file 'full.c' (pos 0)\n"},
        {"convert program.bin -o plain/x.s", "", "Cannot open file 'plain/x.s' (pos 0)\n"},
        {"disasm program.bin -o full.s", "", "Cannot write to file 'full.s' (pos 0)\n"},
        {"disasm program.bin -o plain/x.s", "", "Cannot open file 'plain/x.s' (pos 0)\n"},
        {"disasm program.bin", "/dev/full", "Cannot write to the standard output (pos 0)\n"},
        {"dump program.bin", "/dev/full", "Cannot write to the standard output (pos 0)\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        Outcome const outcome = Run(row.args, row.out.empty() ? dir.File("out.txt") : row.out);
        EXPECT_EQ(outcome.exit_code, 1);
        EXPECT_EQ(outcome.err, row.err);
    }
    // The full device is still a device: a failed write removes only regular files.
    EXPECT_EQ(::access("/dev/full", W_OK), 0);
}

}  // namespace
