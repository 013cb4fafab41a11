// Damaged EC binary files: a sample file cut at every byte and with each header and table field set to
// extreme values is refused with the message of the field concerned, or read and decoded as it says.
#include <cstdint>
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
using EpochControllerTest::ReadBytes;
using EpochControllerTest::TempDir;
using EpochControllerTest::WriteBytes;

std::string Joined(BaseError const& error) {
    std::string text;
    for (std::string const& msg : error.GetMsgs()) {
        text += text.empty() ? msg : "|" + msg;
    }
    return text;
}

// Six words (a write, a burst of two values, an irq), identifiers "a" at word 1 and "bb" at
// words 3 and 4, and the texts "x" at word 0 and "end" at the program's end. Its file:
//   0  header: magic, 16, 64, 96
//  16  relocation section: N = 2, triples (40, 1, 28) and (42, 2, 32), arrays [1] [3, 4],
//      names "a" "bb", padding to 64
//  64  debug section: K = 2, pairs (20, 0) and (22, 6), texts "x" "end", padding to 96
//  96  program section: magic, 6, the six words; 128 bytes in all
Binary Sample() {
    Binary binary;
    for (uint32_t const word : {0x0C0C7C00u, 0x10u, 0x08080042u, 0x1u, 0x2u, 0x0000000Cu}) {
        binary.AddWord(word);
    }
    binary.AddReloc("a", 1);
    binary.AddReloc("bb", 3);
    binary.AddReloc("bb", 4);
    binary.AddDebugInfo(0, "x");
    binary.AddDebugInfo(6, "end");
    return binary;
}

// One read of the file reader, in the order it reads: the byte just past what it needs, and the
// message it gives when the file ends before that byte (F stands for the file name).
struct Read {
    std::size_t end;
    std::string message;
};

std::vector<Read> ReadsOfSample() {
    std::vector<Read> reads{
        {4, "Cannot read from 'F' binary file"},
        {8, "Cannot read relocation table offset from 'F' binary file"},
        {12, "Cannot read debug section offset from 'F' binary file"},
        {16, "Cannot read program section offset from 'F' binary file"},
        {20, "Cannot read relocation table size from 'F' binary file"},
        {24, "Cannot read offset of identifier of relocation 0 from 'F' binary file"},
        {28, "Cannot read the number of values having relocation 0 from 'F' binary file"},
        {32, "Cannot read offset of relocation 0 from 'F' binary file"},
        {58, "Cannot read the identifier of relocation 0 from 'F' binary file"},
        {48, "Cannot read offsets of relocation 0 from 'F' binary file"},
        {36, "Cannot read offset of identifier of relocation 1 from 'F' binary file"},
        {40, "Cannot read the number of values having relocation 1 from 'F' binary file"},
        {44, "Cannot read offset of relocation 1 from 'F' binary file"},
        {61, "Cannot read the identifier of relocation 1 from 'F' binary file"},
        {56, "Cannot read offsets of relocation 1 from 'F' binary file"},
        {68, "Cannot read debug section size from 'F' binary file"},
        {72, "Cannot read offset of string associated with debug information 0 from 'F' binary file"},
        {76, "Cannot read offset of instruction associated with debug information 0 from 'F' binary file"},
        {80, "Cannot read offset of string associated with debug information 1 from 'F' binary file"},
        {84, "Cannot read offset of instruction associated with debug information 1 from 'F' binary file"},
        {86, "Cannot read the string associated with debug information 0 from 'F' binary file"},
        {90, "Cannot read the string associated with debug information 1 from 'F' binary file"},
        {100, "Cannot read magic number of Epoch Controller program from 'F' binary file"},
        {104, "Cannot read program size from 'F' binary file"},
    };
    for (std::size_t word = 0; word < 6; ++word) {
        reads.push_back({108 + 4 * word, "Cannot read program word " + std::to_string(word) + " from 'F' binary file"});
    }
    return reads;
}

std::string WithName(std::string message, std::string const& name) {
    std::size_t const at = message.find("'F'");
    if (at != std::string::npos) {
        message.replace(at + 1, 1, name);
    }
    return message;
}

// Reads `name`; returns the reader's message, or "" and the decoded program's message (or "")
// in `decode_message` when it was read.
std::string ReadAndDecode(std::string const& name, std::string& decode_message) {
    decode_message.clear();
    Binary binary;
    try {
        binary.FromFile(name);
    } catch (BaseError const& error) {
        return Joined(error);
    }
    Program program;
    try {
        program.FromBinary(binary);
    } catch (BaseError const& error) {
        decode_message = Joined(error);
    }
    return "";
}

TEST(DamagedFileTest, SampleFileHasTheExpectedLayout) {
    TempDir dir;
    Sample().ToFile(dir.File("sample.bin"), false);
    std::vector<uint8_t> const bytes = ReadBytes(dir.File("sample.bin"));
    ASSERT_EQ(bytes.size(), 128u);
    std::string decode_message;
    EXPECT_EQ(ReadAndDecode(dir.File("sample.bin"), decode_message), "");
    EXPECT_EQ(decode_message, "");
}

TEST(DamagedFileTest, FileCutAtEveryByteNamesTheFirstFieldItLacks) {
    TempDir dir;
    Sample().ToFile(dir.File("sample.bin"), false);
    std::vector<uint8_t> const whole = ReadBytes(dir.File("sample.bin"));
    std::vector<Read> const reads = ReadsOfSample();
    std::string const name = dir.File("cut.bin");
    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE("cut after " + std::to_string(size) + " bytes");
        std::string expected;
        for (Read const& read : reads) {
            if (read.end > size) {
                expected = WithName(read.message, name);
                break;
            }
        }
        ASSERT_FALSE(expected.empty());
        WriteBytes(name, std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        std::string decode_message;
        EXPECT_EQ(ReadAndDecode(name, decode_message), expected);
    }
}

TEST(DamagedFileTest, ExtremeFieldValuesAreRefusedOrReadAsTheySay) {
    TempDir dir;
    Sample().ToFile(dir.File("sample.bin"), false);
    std::vector<uint8_t> const whole = ReadBytes(dir.File("sample.bin"));
    struct Row {
        std::size_t byte;     // where the field starts
        uint32_t value;       // what it is set to
        std::string read;     // the reader's message, "" when the file reads
        std::string decode;   // then the decoder's message, "" when the program decodes
    };
    std::string const none;
    std::string const word_past_end_7 = "Cannot place debug information at offset 2147483647: the program has only 6 words";
    std::string const word_past_end_f = "Cannot place debug information at offset 4294967295: the program has only 6 words";
    std::vector<Row> const rows{
        // header
        {0, 0, "Epoch Controller 'F' binary file is invalid", none},
        {0, 0xFFFFFFFF, "Epoch Controller 'F' binary file is invalid", none},
        {4, 0, none, none},
        {4, 0x7FFFFFFF, "Cannot read relocation table size from 'F' binary file", none},
        {4, 0xFFFFFFFF, "Cannot read relocation table size from 'F' binary file", none},
        {8, 0, none, none},
        {8, 0x7FFFFFFF, "Cannot read debug section size from 'F' binary file", none},
        {8, 0xFFFFFFFF, "Cannot read debug section size from 'F' binary file", none},
        {12, 0, "Program section offset in 'F' binary file is invalid", none},
        {12, 0x7FFFFFFF, "Cannot read magic number of Epoch Controller program from 'F' binary file", none},
        {12, 0xFFFFFFFF, "Cannot read magic number of Epoch Controller program from 'F' binary file", none},
        // relocation section; a huge N reads on into the arrays and names until an entry lists no word
        {16, 0, none, none},
        {16, 0x7FFFFFFF, "Relocation 3 has no offsets in 'F' binary file", none},
        {16, 0xFFFFFFFF, "Relocation 3 has no offsets in 'F' binary file", none},
        {20, 0, none, none},
        {20, 0x7FFFFFFF, "Cannot read the identifier of relocation 0 from 'F' binary file", none},
        {20, 0xFFFFFFFF, "Cannot read the identifier of relocation 0 from 'F' binary file", none},
        {24, 0, "Relocation 0 has no offsets in 'F' binary file", none},
        {24, 0x7FFFFFFF, "Cannot read offsets of relocation 0 from 'F' binary file", none},
        {24, 0xFFFFFFFF, "Cannot read offsets of relocation 0 from 'F' binary file", none},
        {28, 0, none, none},
        {28, 0x7FFFFFFF, "Cannot read offsets of relocation 0 from 'F' binary file", none},
        {28, 0xFFFFFFFF, "Cannot read offsets of relocation 0 from 'F' binary file", none},
        {32, 0, none, none},
        {32, 0xFFFFFFFF, "Cannot read the identifier of relocation 1 from 'F' binary file", none},
        {36, 0, "Relocation 1 has no offsets in 'F' binary file", none},
        {36, 0xFFFFFFFF, "Cannot read offsets of relocation 1 from 'F' binary file", none},
        {40, 0, none, none},
        {40, 0xFFFFFFFF, "Cannot read offsets of relocation 1 from 'F' binary file", none},
        {44, 0, none, none},
        {44, 0xFFFFFFFF, none, none},
        {48, 0xFFFFFFFF, none, none},
        {52, 0, none, none},
        // debug section; a huge K reads pairs up to the end of the file
        {64, 0, none, none},
        {64, 0x7FFFFFFF, "Cannot read offset of instruction associated with debug information 7 from 'F' binary file", none},
        {64, 0xFFFFFFFF, "Cannot read offset of instruction associated with debug information 7 from 'F' binary file", none},
        {68, 0, none, none},
        {68, 0xFFFFFFFF, "Cannot read the string associated with debug information 0 from 'F' binary file", none},
        {72, 0x7FFFFFFF, none, word_past_end_7},
        {72, 0xFFFFFFFF, none, word_past_end_f},
        {76, 0, none, none},
        {76, 0xFFFFFFFF, "Cannot read the string associated with debug information 1 from 'F' binary file", none},
        {80, 0, none, none},
        {80, 3, none, "Cannot place debug information at offset 3: it falls inside an instruction"},
        {80, 0xFFFFFFFF, none, word_past_end_f},
        // program section
        {96, 0, "Invalid magic number of Epoch Controller program in 'F' binary file", none},
        {96, 0xFFFFFFFF, "Invalid magic number of Epoch Controller program in 'F' binary file", none},
        {100, 0, none, "Cannot place debug information at offset 6: the program has only 0 words"},
        {100, 1, none, "Cannot decode instruction at offset 0: the program ends after 1 of its 2 words"},
        {100, 0x7FFFFFFF, "Cannot read program word 6 from 'F' binary file", none},
        {100, 0xFFFFFFFF, "Cannot read program word 6 from 'F' binary file", none},
    };
    std::string const name = dir.File("damaged.bin");
    for (Row const& row : rows) {
        SCOPED_TRACE("byte " + std::to_string(row.byte) + " set to " + std::to_string(row.value));
        std::vector<uint8_t> bytes = whole;
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[row.byte + i] = static_cast<uint8_t>(row.value >> (8 * i));
        }
        WriteBytes(name, bytes);
        std::string decode_message;
        EXPECT_EQ(ReadAndDecode(name, decode_message), WithName(row.read, name));
        EXPECT_EQ(decode_message, row.decode);
    }
}

// Entries that point again and again into one long name or text would make the reader hold far more
// than the file: names and texts lie in bytes of their own, so together they fit in the file.
TEST(DamagedFileTest, IdentifiersOrTextsThatOverlapAreRefused) {
    TempDir dir;
    std::string const name = dir.File("overlap.bin");
    auto file_with = [](std::vector<uint32_t> const& header, std::vector<uint32_t> const& fields, std::size_t run) {
        std::vector<uint8_t> bytes = EpochControllerTest::FieldBytes(header);
        std::vector<uint8_t> const section = EpochControllerTest::FieldBytes(fields);
        bytes.insert(bytes.end(), section.begin(), section.end());
        bytes.insert(bytes.end(), run, 'a');
        bytes.push_back(0);
        bytes.resize(header[3], 0);
        std::vector<uint8_t> const program = EpochControllerTest::FieldBytes({0xCA057A7A, 0});
        bytes.insert(bytes.end(), program.begin(), program.end());
        return bytes;
    };
    // Four relocations named by the suffixes of one 50-byte name: 51 + 50 + 49 bytes outgrow the
    // 144-byte file at the third.
    WriteBytes(name, file_with({0xECBF0020, 16, 0, 136}, {4, 56, 1, 52, 57, 1, 52, 58, 1, 52, 59, 1, 52, 0}, 50));
    std::string decode_message;
    EXPECT_EQ(ReadAndDecode(name, decode_message),
              "Cannot read the identifier of relocation 2 from '" + name + "' binary file: identifiers and texts overlap");
    // Three debug texts, suffixes of one 60-byte text: 61 + 60 + 59 bytes outgrow the 128-byte file.
    WriteBytes(name, file_with({0xECBF0020, 0, 16, 120}, {3, 28, 0, 29, 1, 30, 2}, 60));
    EXPECT_EQ(ReadAndDecode(name, decode_message),
              "Cannot read the string associated with debug information 2 from '" + name +
                  "' binary file: identifiers and texts overlap");
    // A name shared by two entries fits easily and reads as the last entry says.
    WriteBytes(name, file_with({0xECBF0020, 16, 0, 64}, {2, 32, 1, 28, 32, 1, 28, 5}, 3));
    EXPECT_EQ(ReadAndDecode(name, decode_message), "");
}

}  // namespace
