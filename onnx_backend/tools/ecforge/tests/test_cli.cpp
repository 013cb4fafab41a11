// Tests of the ecforge command-line tool: runs the built executable on small files and compares with golden output.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ecforge_version.h"
#include "io_test_support.h"

namespace {

using EpochControllerTest::FieldBytes;
using EpochControllerTest::ReadBytes;
using EpochControllerTest::ReadText;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteBytes;
using ::testing::HasSubstr;

std::string CliData(std::string const& name) {
    return std::string(ECFORGE_IO_TEST_DATA_DIR) + "/cli/" + name;
}

struct RunResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs the tool inside `dir` with `args`, so that the reports name files relative to it.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::string const name : {"program.s", "plain.s", "bad_operand.s", "bad_mnemonic.s"}) {
            EpochControllerTest::WriteText(dir.File(name), ReadText(CliData(name)));
        }
    }

    RunResult Run(std::string const& args, std::string const& stdout_target = "") {
        std::string const out_file = stdout_target.empty() ? dir.File("stdout.txt") : stdout_target;
        std::string const command = "cd '" + dir.Path() + "' && '" + ECFORGE_CLI_PATH + "' " + args + " > '" +
                                    out_file + "' 2> '" + dir.File("stderr.txt") + "'";
        int const status = std::system(command.c_str());
        RunResult result;
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = stdout_target.empty() ? ReadText(out_file) : "";
        result.err = ReadText(dir.File("stderr.txt"));
        return result;
    }

    bool Exists(std::string const& name) const { return ::access(dir.File(name).c_str(), F_OK) == 0; }

    TempDir dir;
};

TEST_F(CliTest, AssemblyRoundTripsThroughABinaryFile) {
    RunResult const assembled = Run("asm program.s -o program.bin");
    EXPECT_EQ(assembled.exit_code, 0) << assembled.err;
    EXPECT_EQ(assembled.out, "");
    EXPECT_EQ(assembled.err, "");

    RunResult const listed = Run("disasm program.bin -o back.s");
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_EQ(ReadText(dir.File("back.s")), ReadText(CliData("program.s")));

    RunResult const to_stdout = Run("disasm program.bin");
    EXPECT_EQ(to_stdout.exit_code, 0);
    EXPECT_EQ(to_stdout.out, ReadText(CliData("program.s")));
}

TEST_F(CliTest, ListingsDumpsAndCArraysMatchTheGoldenFiles) {
    ASSERT_EQ(Run("asm program.s -o program.bin").exit_code, 0);
    struct Row {
        std::string args;
        std::string golden;
    };
    std::vector<Row> const rows{
        {"disasm program.bin --offsets", "program_offsets.s.golden"},
        {"dump program.bin", "program.dump.golden"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        RunResult const result = Run(row.args);
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_EQ(result.out, ReadText(CliData(row.golden)));
        EXPECT_EQ(result.err, "");
    }

    EXPECT_EQ(Run("asm program.s -o program.c").exit_code, 0);
    EXPECT_EQ(ReadText(dir.File("program.c")), ReadText(CliData("program.c.golden")));

    ASSERT_EQ(Run("asm program.s --optimize -o optimized.bin").exit_code, 0);
    EXPECT_EQ(Run("disasm optimized.bin").out, ReadText(CliData("program_optimized.s.golden")));
}

TEST_F(CliTest, ConvertChoosesFormatsByExtension) {
    EXPECT_EQ(Run("convert program.s -o a.bin").exit_code, 0);
    EXPECT_EQ(Run("convert a.bin -o b.c").exit_code, 0);
    // The array takes its name from the output file.
    std::string expected_c = ReadText(CliData("program.c.golden"));
    for (std::size_t at = expected_c.find("program"); at != std::string::npos; at = expected_c.find("program")) {
        expected_c.replace(at, 7, "b");
    }
    EXPECT_EQ(ReadText(dir.File("b.c")), expected_c);
    EXPECT_EQ(Run("convert a.bin -o c.s").exit_code, 0);
    EXPECT_EQ(ReadText(dir.File("c.s")), ReadText(CliData("program.s")));
    EXPECT_EQ(Run("convert c.s -o d.bin").exit_code, 0);
    EXPECT_EQ(ReadBytes(dir.File("d.bin")), ReadBytes(dir.File("a.bin")));
    EXPECT_EQ(Run("convert d.bin -o e.bin").exit_code, 0);
    EXPECT_EQ(ReadBytes(dir.File("e.bin")), ReadBytes(dir.File("a.bin")));
}

TEST_F(CliTest, HeaderlessImageWhenNothingNeedsTheHeader) {
    RunResult const result = Run("asm plain.s --optimize --no-header -o plain.bin");
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadBytes(dir.File("plain.bin")), FieldBytes({0xCA057A7A, 6, 0x1D, 0x04040063, 1, 2, 3, 0x0C}));

    // The header-less image reads back like a complete file.
    RunResult const listed = Run("disasm plain.bin");
    EXPECT_EQ(listed.exit_code, 0) << listed.err;
    EXPECT_EQ(listed.out, "label 0x0\nburstwriteinc 1 4 0x1 0x2 0x3\nirq 0x0\n");
    EXPECT_EQ(Run("convert plain.bin -o plain_with_header.bin").exit_code, 0);
    EXPECT_EQ(ReadBytes(dir.File("plain_with_header.bin")),
              FieldBytes({0xECBF0020, 0, 0, 16, 0xCA057A7A, 6, 0x1D, 0x04040063, 1, 2, 3, 0x0C}));
    EXPECT_EQ(Run("dump plain.bin").out, Run("dump plain_with_header.bin").out);

    std::vector<uint8_t> cut = ReadBytes(dir.File("plain.bin"));
    cut.resize(cut.size() - 8);
    WriteBytes(dir.File("cut.bin"), cut);
    RunResult const truncated = Run("disasm cut.bin");
    EXPECT_EQ(truncated.exit_code, 1);
    EXPECT_EQ(truncated.err, "Cannot read program word 4 from 'cut.bin' binary file (pos 0)\n");
    WriteBytes(dir.File("short.bin"), FieldBytes({0xCA057A7A}));
    EXPECT_EQ(Run("dump short.bin").err, "Cannot read program size from 'short.bin' binary file (pos 0)\n");

    RunResult const kept = Run("asm program.s --no-header -o program.bin");
    EXPECT_EQ(kept.exit_code, 0);
    EXPECT_EQ(kept.out,
              "\nWarning: Could not remove header because there are a relocation table and debug information\n\n");
}

TEST_F(CliTest, BadInputIsReportedOnceWithExitCodeOne) {
    ASSERT_EQ(Run("asm program.s -o program.bin").exit_code, 0);
    std::vector<uint8_t> bytes = ReadBytes(dir.File("program.bin"));
    bytes.resize(bytes.size() - 6);
    WriteBytes(dir.File("cut.bin"), bytes);
    ASSERT_EQ(::mkdir(dir.File("a_directory").c_str(), 0700), 0);

    struct Row {
        std::string args;
        std::string err;
    };
    std::vector<Row> const rows{
        {"asm bad_operand.s -o out.bin",
         "Invalid IP id '70': Allowed values are between 0 and 63 included (pos 8)\n"
         " > write 70 5 0x1\n"
         "           ^\n"},
        {"asm bad_mnemonic.s -o out.c",
         "Error parsing Epoch Controller assembly file (file 'bad_mnemonic.s', line 4, col 4):\n"
         "Cannot decode instruction\n"
         " > foo 1 2\n"
         "      ^\n"},
        {"disasm cut.bin -o out.s", "Cannot read program word 28 from 'cut.bin' binary file (pos 0)\n"},
        {"dump missing.bin", "Cannot open file 'missing.bin' (pos 0)\n"},
        {"disasm program.s", "Epoch Controller 'program.s' binary file is invalid (pos 0)\n"},
        {"asm a_directory -o out.bin",
         "Error parsing Epoch Controller assembly file (pos 0):\nCannot read file 'a_directory'\n"},
        {"dump a_directory", "Cannot read from 'a_directory' binary file (pos 0)\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.args);
        RunResult const result = Run(row.args);
        EXPECT_EQ(result.exit_code, 1);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
        // Nothing is left behind by a failed run.
        EXPECT_FALSE(Exists("out.bin"));
        EXPECT_FALSE(Exists("out.c"));
        EXPECT_FALSE(Exists("out.s"));
    }
}

TEST_F(CliTest, FailedRunKeepsAnEarlierOutputUntouched) {
    EpochControllerTest::WriteText(dir.File("out.bin"), "earlier");
    EXPECT_EQ(Run("asm bad_mnemonic.s -o out.bin").exit_code, 1);
    EXPECT_EQ(ReadText(dir.File("out.bin")), "earlier");
}

TEST_F(CliTest, WriteFailuresAreReported) {
    ASSERT_EQ(Run("asm program.s -o program.bin").exit_code, 0);
    RunResult const to_device = Run("disasm program.bin -o /dev/full");
    EXPECT_EQ(to_device.exit_code, 1);
    EXPECT_EQ(to_device.err, "Cannot write to file '/dev/full' (pos 0)\n");
    EXPECT_EQ(::access("/dev/full", F_OK), 0);

    RunResult const to_stdout = Run("dump program.bin", "/dev/full");
    EXPECT_EQ(to_stdout.exit_code, 1);
    EXPECT_EQ(to_stdout.err, "Cannot write to the standard output (pos 0)\n");

    RunResult const missing_dir = Run("asm program.s -o no/such/dir.bin");
    EXPECT_EQ(missing_dir.exit_code, 1);
    EXPECT_EQ(missing_dir.err, "Cannot open file 'no/such/dir.bin' (pos 0)\n");
}

TEST_F(CliTest, WrongUsageExitsWithTwo) {
    for (std::string const args : {"", "frobnicate", "asm program.s", "asm program.s -o out.h", "asm -o out.bin",
                                   "convert program.c -o out.s", "convert program.s -o out.txt",
                                   "disasm program.bin --bogus", "dump"}) {
        SCOPED_TRACE(args);
        RunResult const result = Run(args);
        EXPECT_EQ(result.exit_code, 2);
        EXPECT_THAT(result.err, HasSubstr("Run with --help for more information."));
        EXPECT_FALSE(Exists("out.h"));
        EXPECT_FALSE(Exists("out.s"));
        EXPECT_FALSE(Exists("out.txt"));
    }
}

TEST_F(CliTest, HelpAndVersion) {
    RunResult const version = Run("--version");
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, std::string("ecforge ") + EpochController::Version() + "\n");

    RunResult const help = Run("--help");
    EXPECT_EQ(help.exit_code, 0);
    for (std::string const sub : {"asm", "disasm", "dump", "convert"}) {
        EXPECT_THAT(help.out, HasSubstr("\n  " + sub + " "));
    }
    struct Row {
        std::string sub;
        std::string option;
    };
    for (Row const& row : {Row{"asm", "--no-header"}, Row{"asm", "--optimize"}, Row{"disasm", "--offsets"},
                           Row{"dump", "input"}, Row{"convert", "--output"}}) {
        SCOPED_TRACE(row.sub);
        RunResult const result = Run(row.sub + " --help");
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_THAT(result.out, HasSubstr("Usage: ecforge " + row.sub));
        EXPECT_THAT(result.out, HasSubstr(row.option));
    }
}

}  // namespace
