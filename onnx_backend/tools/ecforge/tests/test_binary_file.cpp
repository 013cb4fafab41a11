// Tests of the EC binary file layout, its raw and C-array writers and the raw file reader.
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "binary.h"
#include "binary_file.h"
#include "error_core.h"
#include "io_test_support.h"
#include "strkit.h"

namespace EpochController {
namespace {

using EpochControllerTest::FieldBytes;
using EpochControllerTest::Golden;
using EpochControllerTest::ReadBytes;
using EpochControllerTest::ReadText;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteBytes;
using ::testing::HasSubstr;

std::string MessageOf(BaseError const& error) {
    std::string text;
    for (std::string const& msg : error.GetMsgs()) {
        text += text.empty() ? msg : "|" + msg;
    }
    return text;
}

// Five words with the identifier "a" at the word offsets 1 and 3.
Binary WorkedExample() {
    Binary binary;
    for (uint32_t const word : {0x10u, 0x20u, 0x30u, 0x40u, 0x50u}) {
        binary.AddWord(word);
    }
    binary.AddReloc("a", 1);
    binary.AddReloc("a", 3);
    return binary;
}

std::vector<uint8_t> WorkedExampleBytes() {
    std::vector<uint8_t> bytes = FieldBytes({0xECBF0020, 16, 0, 48, 1, 24, 2, 16, 1, 3});
    std::vector<uint8_t> const name{'a', 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), name.begin(), name.end());
    std::vector<uint8_t> const program = FieldBytes({0xCA057A7A, 5, 0x10, 0x20, 0x30, 0x40, 0x50});
    bytes.insert(bytes.end(), program.begin(), program.end());
    return bytes;
}

std::string SaveCText(BinaryFile const& file, std::string const& qualifiers, bool emit_length, bool emit_include,
                      bool values_only) {
    std::ostringstream os;
    file.SaveC("blob", qualifiers, emit_length, emit_include, values_only, os);
    return os.str();
}

TEST(BinaryFileLayoutTest, WorkedExampleIsSeventySixBytes) {
    BinaryFile const file = WorkedExample().GetBinaryFile(false);
    EXPECT_EQ(file.GetSize(), 76u);
    EXPECT_TRUE(file.IsComplete());
    EXPECT_EQ(file.GetBytes(), WorkedExampleBytes());
}

TEST(BinaryFileLayoutTest, EmptyBinaryWithAndWithoutHeader) {
    Binary const empty;
    EXPECT_EQ(empty.GetBinaryFile(false).GetBytes(), FieldBytes({0xECBF0020, 0, 0, 16, 0xCA057A7A, 0}));
    EXPECT_EQ(empty.GetBinaryFile(true).GetBytes(), FieldBytes({0xCA057A7A, 0}));
}

TEST(BinaryFileLayoutTest, DebugSectionFollowsRelocationSection) {
    Binary binary;
    binary.AddWord(7);
    binary.AddWord(8);
    binary.AddReloc("abcdef", 1);  // a 6-character name takes 7 bytes: the section ends at 27, padded to 32
    binary.AddDebugInfo(0, "hi");
    binary.AddDebugInfo(2, "end");
    std::vector<uint8_t> expected = FieldBytes({0xECBF0020, 16, 48, 80, 1, 20, 1, 16, 1});
    for (char const c : std::string("abcdef")) {
        expected.push_back(static_cast<uint8_t>(c));
    }
    expected.insert(expected.end(), 1 + 5, 0);
    std::vector<uint8_t> const debug = FieldBytes({2, 20, 0, 23, 2});
    expected.insert(expected.end(), debug.begin(), debug.end());
    for (char const c : std::string("hi")) {
        expected.push_back(static_cast<uint8_t>(c));
    }
    expected.push_back(0);
    for (char const c : std::string("end")) {
        expected.push_back(static_cast<uint8_t>(c));
    }
    expected.insert(expected.end(), 1 + 5, 0);
    std::vector<uint8_t> const program = FieldBytes({0xCA057A7A, 2, 7, 8});
    expected.insert(expected.end(), program.begin(), program.end());
    EXPECT_EQ(binary.GetBinaryFile(false).GetBytes(), expected);
}

TEST(BinaryFileLayoutTest, RemovingTheHeaderIsRefusedWithAWarningWhenTablesExist) {
    struct Row {
        bool relocs;
        bool debug;
        std::string warning;
    };
    std::vector<Row> const rows{
        {false, true, "\nWarning: Could not remove header because there is debug information\n\n"},
        {true, false, "\nWarning: Could not remove header because there is a relocation table\n\n"},
        {true, true,
         "\nWarning: Could not remove header because there are a relocation table and debug information\n\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.warning);
        Binary binary;
        binary.AddWord(1);
        if (row.relocs) {
            binary.AddReloc("p", 0);
        }
        if (row.debug) {
            binary.AddDebugInfo(0, "x");
        }
        ::testing::internal::CaptureStdout();
        BinaryFile const file = binary.GetBinaryFile(true);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), row.warning);
        std::vector<uint8_t> const bytes = file.GetBytes();
        ASSERT_GE(bytes.size(), 16u);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
                  FieldBytes({0xECBF0020, row.relocs ? 16u : 0u}));
        EXPECT_EQ(bytes, binary.GetBinaryFile(false).GetBytes());
    }
}

TEST(BinaryFileLayoutTest, NoWarningWhenTheHeaderIsKeptOrRemovable) {
    Binary binary;
    binary.AddWord(1);
    ::testing::internal::CaptureStdout();
    binary.GetBinaryFile(true);
    binary.GetBinaryFile(false);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST(BinaryFileSaveCTest, WorkedExampleAsCSourceFile) {
    TempDir dir;
    BinaryFile const file = WorkedExample().GetBinaryFile(false);
    file.SaveC(dir.File("worked.c"), "worked_example");
    EXPECT_EQ(ReadText(dir.File("worked.c")), Golden("worked_example.c.golden"));
}

TEST(BinaryFileSaveCTest, StreamFormWithoutLengthAndInclude) {
    Binary binary;
    for (uint32_t word = 1; word <= 8; ++word) {
        binary.AddWord(word);  // 8 + 32 bytes without header: five 64-bit values
    }
    BinaryFile const file = binary.GetBinaryFile(true);
    EXPECT_EQ(SaveCText(file, "static const", false, false, false), Golden("static_blob.c.golden"));
}

TEST(BinaryFileSaveCTest, StreamFormOptions) {
    BinaryFile const file = Binary().GetBinaryFile(true);
    struct Row {
        std::string qualifiers;
        bool emit_length;
        bool emit_include;
        bool values_only;
        std::string text;
    };
    std::vector<Row> const rows{
        {"const", true, true, false,
         "#include <stdint.h>\n\nconst unsigned int blob_len = 1;\n\nconst uint64_t blob [] =\n{\n  "
         "0x00000000ca057a7aUL\n};\n\n"},
        {"", false, false, false, " uint64_t blob [] =\n{\n  0x00000000ca057a7aUL\n};\n\n"},
        {"const", true, true, true, "\n  0x00000000ca057a7aUL"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(SaveCText(file, row.qualifiers, row.emit_length, row.emit_include, row.values_only), row.text);
    }
}

TEST(BinaryFileSaveCTest, ValuesOnlyOpensEachGroupOfFour) {
    BinaryFile const file = WorkedExample().GetBinaryFile(false);
    std::string const text = SaveCText(file, "", false, false, true);
    EXPECT_EQ(text,
              "\n  0x00000010ecbf0020UL, 0x0000003000000000UL, 0x0000001800000001UL, 0x0000001000000002UL,"
              "\n  0x0000000300000001UL, 0x0000000000000061UL, 0x00000005ca057a7aUL, 0x0000002000000010UL,"
              "\n  0x0000004000000030UL, 0x0000000000000050UL");
}

TEST(BinaryFileWriteTest, IncompleteImageIsRefusedByEveryWriter) {
    TempDir dir;
    BinaryFile file(16);
    file.Write(1u);
    EXPECT_FALSE(file.IsComplete());
    std::string const raw = dir.File("x.bin");
    std::string const c_file = dir.File("x.c");
    try {
        file.SaveRaw(raw);
        FAIL() << "SaveRaw accepted an incomplete image";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error),
                  "Binary file can be saved to '" + raw + "' file only after entirely creating its content");
    }
    try {
        file.SaveC(c_file, "x");
        FAIL() << "SaveC accepted an incomplete image";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error),
                  "Binary file can be saved to '" + c_file + "' file only after entirely creating its content");
    }
    std::ostringstream os;
    try {
        file.SaveC("x", "const", true, true, false, os);
        FAIL() << "SaveC accepted an incomplete image";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Binary file can be saved only after entirely creating its content");
    }
    EXPECT_EQ(os.str(), "");
}

TEST(BinaryFileWriteTest, PadAndWriteFillTheImageLittleEndian) {
    BinaryFile file(24);
    file.Write(0x04030201u);
    file.Pad(4);
    file.Write(std::vector<uint8_t>{0xAA, 0xBB, 0xCC, 0xDD});
    file.Write(std::vector<uint32_t>{0x11223344u, 0x55667788u});
    EXPECT_EQ(file.GetPos(), 20u);
    file.Pad(4);
    EXPECT_TRUE(file.IsComplete());
    EXPECT_EQ(file.GetBytes(), (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0x44, 0x33,
                                                     0x22, 0x11, 0x88, 0x77, 0x66, 0x55, 0, 0, 0, 0}));
}

TEST(BinaryFileWriteTest, MovedImageKeepsItsContents) {
    BinaryFile file(8);
    file.Write(5u);
    BinaryFile moved(std::move(file));
    moved.Write(6u);
    EXPECT_EQ(moved.GetBytes(), FieldBytes({5, 6}));
}

TEST(BinaryFileDeathTest, WriterContracts) {
    EXPECT_DEATH(BinaryFile(0), HasSubstr("Fatal error: Expression 'size == 0' is true"));
    EXPECT_DEATH(BinaryFile(6), HasSubstr("Fatal error: Expression '(size % 4) != 0' is true"));
    EXPECT_DEATH(
        {
            BinaryFile file(4);
            file.Pad(8);
        },
        HasSubstr("Expression '(size_t)((pos + num) - content) > size' is true"));
    EXPECT_DEATH(
        {
            BinaryFile file(4);
            file.Write(1u);
            file.Write(2u);
        },
        HasSubstr("Expression '(size_t)((pos + sizeof(T)) - content) > size' is true"));
    EXPECT_DEATH(
        {
            BinaryFile file(4);
            file.Write(std::vector<uint32_t>{1, 2});
        },
        HasSubstr("Expression '(size_t)((pos + sizeof(T) * values.size()) - content) > size' is true"));
}

TEST(BinaryFileWriteTest, ToFileChoosesTheFormatByName) {
    TempDir dir;
    Binary const binary = WorkedExample();
    binary.ToFile(dir.File("x.bin"), false);
    EXPECT_EQ(ReadBytes(dir.File("x.bin")), WorkedExampleBytes());

    binary.ToFile(dir.File("out.c"), false);
    std::string const name = StringUtils::ConvertToId(dir.File("out"));
    std::string const text = ReadText(dir.File("out.c"));
    EXPECT_THAT(text, HasSubstr("const unsigned int " + name + "_len = 10;\n"));
    EXPECT_THAT(text, HasSubstr("const uint64_t " + name + " [] =\n{\n"));

    for (std::string const bad : {".bin", ".c", "x.BIN", "x.h"}) {
        SCOPED_TRACE(bad);
        try {
            binary.ToFile(bad, false);
            FAIL() << "no error";
        } catch (BaseError const& error) {
            EXPECT_EQ(MessageOf(error),
                      "Don't know which format to use for dumping binary file to '" + bad + "' file");
        }
    }
}

TEST(BinaryFileWriteTest, OpenAndWriteFailuresAreReported) {
    TempDir dir;
    BinaryFile const small = Binary().GetBinaryFile(false);
    std::string const missing = dir.File("no/such/x.bin");
    struct Row {
        std::string label;
        std::function<void()> write;
        std::string message;
    };
    Binary big;
    for (int i = 0; i < 2000; ++i) {
        big.AddWord(static_cast<uint32_t>(i));
    }
    BinaryFile const large = big.GetBinaryFile(true);
    std::vector<Row> const rows{
        {"raw, missing directory", [&] { small.SaveRaw(missing); }, "Cannot open file '" + missing + "'"},
        {"C, missing directory", [&] { small.SaveC(missing, "x"); }, "Cannot open file '" + missing + "'"},
        {"raw, full device", [&] { small.SaveRaw("/dev/full"); }, "Cannot write to file '/dev/full'"},
        {"raw, full device, beyond one buffer", [&] { large.SaveRaw("/dev/full"); },
         "Cannot write byte 4096 of Epoch Controller binary file to '/dev/full' file"},
        {"C, full device", [&] { small.SaveC("/dev/full", "x"); }, "Cannot write to file '/dev/full'"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.label);
        try {
            row.write();
            FAIL() << "no error";
        } catch (BaseError const& error) {
            EXPECT_EQ(MessageOf(error), row.message);
        }
    }
}

TEST(BinaryFileWriteTest, FailingStreamIsReported) {
    std::ostringstream os;
    os.setstate(std::ios::badbit);
    try {
        Binary().GetBinaryFile(true).SaveC("x", "", false, false, false, os);
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot write binary file to the output stream");
    }
}

TEST(BinaryFileReadTest, RawFileReadsBackEqual) {
    TempDir dir;
    Binary binary;
    for (uint32_t word = 0; word < 9; ++word) {
        binary.AddWord(word * 3);
    }
    binary.AddReloc("mpool_2", 4);
    binary.AddReloc("mpool_10", 1);
    binary.AddReloc("mpool_10", 7);
    binary.AddReloc("B", 8);
    binary.AddDebugInfo(0, "start");
    binary.AddDebugInfo(4, "two\nlines");
    binary.AddDebugInfo(9, "");
    binary.ToFile(dir.File("r.bin"), false);

    Binary read;
    read.AddWord(99);
    read.FromFile(dir.File("r.bin"));
    EXPECT_EQ(read.GetProgram(), binary.GetProgram());
    EXPECT_EQ(read.GetRelocTable(), binary.GetRelocTable());
    EXPECT_EQ(read.GetDebugInfo(), binary.GetDebugInfo());
}

TEST(BinaryFileReadTest, ReadOnlyFileCanBeRead) {
    TempDir dir;
    WorkedExample().ToFile(dir.File("ro.bin"), false);
    ASSERT_EQ(chmod(dir.File("ro.bin").c_str(), 0444), 0);
    Binary read;
    read.FromFile(dir.File("ro.bin"));
    EXPECT_EQ(read.GetProgram(), WorkedExample().GetProgram());
}

TEST(BinaryFileReadTest, RepeatedEntriesKeepTheLastOne) {
    TempDir dir;
    // Two relocation entries both named "a" (offsets {5}, then {1, 2}) and two debug texts at word 0.
    std::vector<uint8_t> file = FieldBytes({0xECBF0020, 16, 64, 88});
    std::vector<uint8_t> const reloc = FieldBytes({2, 40, 1, 28, 40, 2, 32, 5, 1, 2});
    file.insert(file.end(), reloc.begin(), reloc.end());
    file.push_back('a');
    file.resize(64, 0);
    std::vector<uint8_t> const debug = FieldBytes({2, 20, 0, 22, 0});
    file.insert(file.end(), debug.begin(), debug.end());
    for (uint8_t const byte : std::vector<uint8_t>{'b', 0, 'c', 0}) {
        file.push_back(byte);
    }
    file.resize(88, 0);
    std::vector<uint8_t> const program = FieldBytes({0xCA057A7A, 3, 1, 2, 3});
    file.insert(file.end(), program.begin(), program.end());
    WriteBytes(dir.File("rep.bin"), file);

    Binary read;
    read.FromFile(dir.File("rep.bin"));
    EXPECT_EQ(read.GetRelocTable(), (Binary::RelocTable{{"a", {1, 2}}}));
    EXPECT_EQ(read.GetDebugInfo(), (Binary::DebugInfo{{0, "c"}}));
    EXPECT_EQ(read.GetProgram(), (std::vector<uint32_t>{1, 2, 3}));
}

TEST(BinaryFileReadTest, DamagedFilesAreReportedWithTheirCause) {
    TempDir dir;
    uint32_t const magic = 0xECBF0020;
    uint32_t const pmagic = 0xCA057A7A;
    struct Row {
        std::string label;
        std::vector<uint8_t> bytes;
        std::string message;  // after the file name is substituted for F
    };
    auto with_tail = [](std::vector<uint32_t> fields, std::vector<uint8_t> tail) {
        std::vector<uint8_t> bytes = FieldBytes(fields);
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    std::vector<Row> const rows{
        {"empty file", {}, "Cannot read from 'F' binary file"},
        {"wrong magic", FieldBytes({0x12345678, 0, 0, 16}), "Epoch Controller 'F' binary file is invalid"},
        {"header-less image", FieldBytes({pmagic, 0}), "Epoch Controller 'F' binary file is invalid"},
        {"no relocation offset", FieldBytes({magic}), "Cannot read relocation table offset from 'F' binary file"},
        {"no debug offset", FieldBytes({magic, 0}), "Cannot read debug section offset from 'F' binary file"},
        {"no program offset", FieldBytes({magic, 0, 0}), "Cannot read program section offset from 'F' binary file"},
        {"zero program offset", FieldBytes({magic, 0, 0, 0}), "Program section offset in 'F' binary file is invalid"},
        {"relocation table past the end", FieldBytes({magic, 64, 0, 16}),
         "Cannot read relocation table size from 'F' binary file"},
        {"no name offset", FieldBytes({magic, 16, 0, 40, 1}),
         "Cannot read offset of identifier of relocation 0 from 'F' binary file"},
        {"no count", FieldBytes({magic, 16, 0, 40, 1, 16}),
         "Cannot read the number of values having relocation 0 from 'F' binary file"},
        {"no array offset", FieldBytes({magic, 16, 0, 40, 1, 16, 1}),
         "Cannot read offset of relocation 0 from 'F' binary file"},
        {"relocation without offsets", FieldBytes({magic, 16, 0, 40, 1, 16, 0, 16}),
         "Relocation 0 has no offsets in 'F' binary file"},
        {"name past the end", FieldBytes({magic, 16, 0, 40, 1, 400, 1, 16}),
         "Cannot read the identifier of relocation 0 from 'F' binary file"},
        {"unterminated name", with_tail({magic, 16, 0, 40, 1, 16, 1, 16}, {'a', 'b'}),
         "Cannot read the identifier of relocation 0 from 'F' binary file"},
        {"offsets past the end", with_tail({magic, 16, 0, 40, 1, 16, 1000000, 20}, {'a', 0, 0, 0}),
         "Cannot read offsets of relocation 0 from 'F' binary file"},
        {"second entry missing", FieldBytes({magic, 16, 0, 40, 2, 0, 1, 0}),
         "Cannot read offset of identifier of relocation 1 from 'F' binary file"},
        {"no debug size", FieldBytes({magic, 0, 64, 16}), "Cannot read debug section size from 'F' binary file"},
        {"no text offset", FieldBytes({magic, 0, 16, 40, 1}),
         "Cannot read offset of string associated with debug information 0 from 'F' binary file"},
        {"no word offset", FieldBytes({magic, 0, 16, 40, 1, 12}),
         "Cannot read offset of instruction associated with debug information 0 from 'F' binary file"},
        {"unterminated text", with_tail({magic, 0, 16, 40, 1, 12, 0}, {'x'}),
         "Cannot read the string associated with debug information 0 from 'F' binary file"},
        {"program past the end", FieldBytes({magic, 0, 0, 64}),
         "Cannot read magic number of Epoch Controller program from 'F' binary file"},
        {"wrong program magic", FieldBytes({magic, 0, 0, 16, 0xCA057A7B, 0}),
         "Invalid magic number of Epoch Controller program in 'F' binary file"},
        {"no program size", FieldBytes({magic, 0, 0, 16, pmagic}), "Cannot read program size from 'F' binary file"},
        {"truncated program", with_tail({magic, 0, 0, 16, pmagic, 4, 10, 11}, {12, 0}),
         "Cannot read program word 2 from 'F' binary file"},
        {"absurd program size", FieldBytes({magic, 0, 0, 16, pmagic, 0xFFFFFFFF, 10}),
         "Cannot read program word 1 from 'F' binary file"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.label);
        std::string const name = dir.File("bad.bin");
        WriteBytes(name, row.bytes);
        Binary binary;
        try {
            binary.FromFile(name);
            FAIL() << "no error";
        } catch (BaseError const& error) {
            std::string expected = row.message;
            expected.replace(expected.find('F'), 1, name);
            EXPECT_EQ(MessageOf(error), expected);
        }
    }
}

TEST(BinaryFileReadTest, MissingFileAndPartialRead) {
    TempDir dir;
    Binary binary;
    try {
        binary.FromFile(dir.File("missing.bin"));
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot open file '" + dir.File("missing.bin") + "'");
    }
    // What was read before the error stays in the binary.
    std::vector<uint8_t> bytes = WorkedExampleBytes();
    bytes.resize(bytes.size() - 4);
    WriteBytes(dir.File("cut.bin"), bytes);
    EXPECT_THROW(binary.FromFile(dir.File("cut.bin")), BaseError);
    EXPECT_EQ(binary.GetRelocTable(), (Binary::RelocTable{{"a", {1, 3}}}));
    EXPECT_EQ(binary.GetProgram(), (std::vector<uint32_t>{0x10, 0x20, 0x30, 0x40}));
}

// The reader reads to the end of what it opened rather than trusting the size a seek reports.
TEST(BinaryFileReadTest, DirectoryIsRefusedAndLargeFilesReadWhole) {
    TempDir dir;
    Binary binary;
    try {
        binary.FromFile(dir.Path());
        FAIL() << "no error";
    } catch (BaseError const& error) {
        EXPECT_EQ(MessageOf(error), "Cannot read from '" + dir.Path() + "' binary file");
    }

    // Several read chunks' worth of program, with the tables after it.
    Binary large;
    for (uint32_t word = 0; word < 50000; ++word) {
        large.AddWord(word * 7);
    }
    large.AddReloc("pool", 49999);
    large.AddDebugInfo(49999, "last");
    large.ToFile(dir.File("large.bin"), false);
    Binary read;
    read.FromFile(dir.File("large.bin"));
    EXPECT_EQ(read.GetProgram(), large.GetProgram());
    EXPECT_EQ(read.GetRelocTable(), large.GetRelocTable());
    EXPECT_EQ(read.GetDebugInfo(), large.GetDebugInfo());
}

}  // namespace
}  // namespace EpochController
