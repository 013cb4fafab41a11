// Writes that fail: binary files, C arrays and listings written to a full device or to a path that
// cannot be created are reported with the name of the file, never taken for written.
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "binary.h"
#include "error_core.h"
#include "io_test_support.h"
#include "program.h"

namespace {

using EpochController::Binary;
using EpochController::Program;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteText;

std::string Joined(BaseError const& error) {
    std::string text;
    for (std::string const& msg : error.GetMsgs()) {
        text += text.empty() ? msg : "|" + msg;
    }
    return text;
}

TEST(WriteFailureTest, EveryWriterReportsAFullDeviceAndAnUncreatablePath) {
    TempDir dir;
    // Names with the extensions that select the writers, all leading to the full device.
    for (std::string const name : {"full.bin", "full.c", "full.s"}) {
        ASSERT_EQ(::symlink("/dev/full", dir.File(name).c_str()), 0);
    }
    // A regular file where a directory is expected: nothing can be created below it.
    WriteText(dir.File("plain"), "x");
    Binary binary;
    binary.AddWord(0x0000000C);
    binary.AddReloc("pool", 0);
    binary.AddDebugInfo(0, "start");
    Program program;
    program.FromBinary(binary);

    struct Row {
        std::string label;
        std::function<void()> write;
        std::string message;
    };
    std::string const full_bin = dir.File("full.bin");
    std::string const full_c = dir.File("full.c");
    std::string const full_s = dir.File("full.s");
    std::string const bad_bin = dir.File("plain/x.bin");
    std::string const bad_c = dir.File("plain/x.c");
    std::string const bad_s = dir.File("plain/x.s");
    std::vector<Row> const rows{
        {"raw file, full device", [&] { binary.ToFile(full_bin, false); }, "Cannot write to file '" + full_bin + "'"},
        {"C file, full device", [&] { binary.ToFile(full_c, false); }, "Cannot write to file '" + full_c + "'"},
        {"listing, full device", [&] { program.ToAsmFile(full_s); }, "Cannot write to file '" + full_s + "'"},
        {"raw file, no directory", [&] { binary.ToFile(bad_bin, false); }, "Cannot open file '" + bad_bin + "'"},
        {"C file, no directory", [&] { binary.ToFile(bad_c, false); }, "Cannot open file '" + bad_c + "'"},
        {"listing, no directory", [&] { program.ToAsmFile(bad_s); }, "Cannot open file '" + bad_s + "'"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.label);
        try {
            row.write();
            FAIL() << "the write was taken for done";
        } catch (BaseError const& error) {
            EXPECT_EQ(Joined(error), row.message);
        }
    }
}

}  // namespace
