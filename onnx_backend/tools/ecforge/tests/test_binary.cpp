// Tests of the EC binary image: relocation lookups, debug information and the text dumps.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "assembler_test_util.h"
#include "binary.h"
#include "instructions.h"

namespace EpochController {
namespace {

using test::MakeBinary;
using test::ParseLine;

// Encodes assembly lines one after another into a binary.
Binary Encode(std::vector<std::string> const& lines)
{
    Binary binary;
    for (std::string const& line : lines) {
        ParseLine(line)->ToBinary(binary);
    }
    return binary;
}

TEST(BinaryImage, EmptyImageDumpsTheHeadingsOnly)
{
    Binary const empty;
    EXPECT_TRUE(empty.GetProgram().empty());
    EXPECT_TRUE(empty.GetRelocTable().empty());
    EXPECT_TRUE(empty.GetDebugInfo().empty());
    EXPECT_EQ(empty.ToString(""), "Epoch Controller Program:\nRelocation Table:\nDebug Information:\n");
    EXPECT_EQ(empty.ToString("> "), "> Epoch Controller Program:\n> Relocation Table:\n> Debug Information:\n");
}

TEST(BinaryImage, RelocationIndicesFollowByteOrder)
{
    Binary binary;
    binary.AddReloc("mpool_2", 4);
    binary.AddReloc("mpool_10", 1);
    binary.AddReloc("B", 0);
    binary.AddReloc("a", 2);
    struct Row {
        std::string id;
        unsigned idx;
    };
    std::vector<Row> const rows = {{"B", 0}, {"a", 1}, {"mpool_10", 2}, {"mpool_2", 3}};
    for (Row const& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(binary.GetRelocIdx(row.id), row.idx);
        EXPECT_EQ(binary.GetRelocId(row.idx), row.id);
    }
    EXPECT_EQ(binary.GetRelocIdx("mpool_3"), 0xFFFFFFFFu);
    EXPECT_EQ(binary.GetRelocIdx(""), Binary::kNoRelocIdx);
    EXPECT_EQ(binary.GetRelocId(4), "");
    EXPECT_EQ(binary.GetRelocId(0xFFFFFFFF), "");

    Binary two;
    two.AddReloc("mpool_10", 0);
    two.AddReloc("mpool_2", 1);
    EXPECT_EQ(two.GetRelocIdx("mpool_10"), 0u);
    EXPECT_EQ(two.GetRelocIdx("mpool_2"), 1u);
}

TEST(BinaryImage, DebugInformationJoinsTextsOfOneOffset)
{
    Binary binary;
    binary.AddDebugInfo(5, "a");
    binary.AddDebugInfo(5, "b");
    binary.AddDebugInfo(0, "c");
    EXPECT_EQ(binary.GetDebugInfo(), (Binary::DebugInfo{{0, "c"}, {5, "a\nb"}}));
    EXPECT_EQ(binary.DebugInfoToString("  "), "  offset: 0, info: 'c'\n  offset: 5, info: 'a\nb'\n");
}

TEST(BinaryImage, ProgramDumpShowsOneInstructionPerLine)
{
    Binary const two_words = MakeBinary({0x04107C00, 0x12345678});
    EXPECT_EQ(two_words.ProgramToString("  "), "  0000.0100.0001.0000.0111.1100.0000.0000 12345678\n");

    Binary const program = Encode({"poll 5 0 [31] 0x0 100", "label 0x7", "burstwrite 2 8", "burstwriteinc 2 8 0xa 0xb"});
    EXPECT_EQ(program.ProgramToString(""),
              "0001.0100.0000.0000.0111.1111.1110.0100 00000064 00000000\n"
              "0000.0000.0000.0000.0000.0000.1111.1101\n"
              "0000.1000.0000.1000.0000.0000.0000.0010\n"
              "0000.1000.0000.1000.0000.0000.0100.0011 0000000a 0000000b\n");
}

TEST(BinaryImage, RelocationDump)
{
    Binary binary;
    binary.AddReloc("mpool_0", 12);
    binary.AddReloc("mpool_0", 3);
    binary.AddReloc("mpool_0", 7);
    binary.AddReloc("b", 1);
    EXPECT_EQ(binary.RelocTableToString("  "), "  id: b, offsets: [ 1 ]\n  id: mpool_0, offsets: [ 3, 7, 12 ]\n");
}

TEST(BinaryImage, FullDump)
{
    Binary binary = Encode({"write 3 12 pool(0x40)", "irq 0x0"});
    binary.AddDebugInfo(0, "Start Epoch 1");
    binary.AddDebugInfo(3, "End");
    EXPECT_EQ(binary.ToString("# "),
              "# Epoch Controller Program:\n"
              "#   0000.1100.0000.1100.0111.1100.0000.0000 00000040\n"
              "#   0000.0000.0000.0000.0000.0000.0000.1100\n"
              "# Relocation Table:\n"
              "#   id: pool, offsets: [ 1 ]\n"
              "# Debug Information:\n"
              "#   offset: 0, info: 'Start Epoch 1'\n"
              "#   offset: 3, info: 'End'\n");
}

TEST(BinaryImage, DumpGoesOnPastWordsThatDecodeToNothing)
{
    struct Row {
        std::vector<uint32_t> words;
        std::string dump;
    };
    std::vector<Row> const rows = {
        // unassigned opcode 20, then a label
        {{0x00000014, 0x000000FD},
         "0000.0000.0000.0000.0000.0000.0001.0100\n"
         "0000.0000.0000.0000.0000.0000.1111.1101\n"},
        // a load whose MSB field is below its LSB field, then a label
        {{0x04022125, 0x000000FD},
         "0000.0100.0000.0010.0010.0001.0010.0101\n"
         "0000.0000.0000.0000.0000.0000.1111.1101\n"},
        // a burst counting more values than follow: each word is shown on its own
        {{0x08080063, 0x00000001},
         "0000.1000.0000.1000.0000.0000.0110.0011\n"
         "0000.0000.0000.0000.0000.0000.0000.0001\n"},
        // a program that ends inside a write
        {{0x000000FD, 0x0C0C7C00},
         "0000.0000.0000.0000.0000.0000.1111.1101\n"
         "0000.1100.0000.1100.0111.1100.0000.0000\n"},
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.dump);
        EXPECT_EQ(MakeBinary(row.words).ProgramToString(""), row.dump);
    }
}

TEST(BinaryImage, WordsAndRelocationsAddedDirectly)
{
    Binary binary;
    EXPECT_EQ(binary.AddWord(7), 0u);
    EXPECT_EQ(binary.AddWord(8), 1u);
    binary.AddReloc("x", 1);
    binary.AddReloc("x", 1);
    EXPECT_EQ(binary.GetProgram(), (std::vector<uint32_t>{7, 8}));
    EXPECT_EQ(binary.GetRelocTable().at("x"), std::set<uint32_t>{1});
    EXPECT_EQ(binary.FindRelocId(1), "x");
    EXPECT_EQ(binary.FindRelocId(0), "");
}

}  // namespace
}  // namespace EpochController
