// Loader messages on hand-built EC binary images: every failure prints its one line and changes nothing.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "blob_loader.h"
#include "ec_test_image.h"

namespace {

constexpr size_t kImageWords = 32;
const std::array<ECInstr, 5> kWords = {0x11, 0x22, 0x33, 0x44, 0x55};
const uint32_t kOffsets13[2] = {1, 3};

class BlobLoader : public ::testing::Test {
protected:
    void SetUp() override
    {
        EcTestReloc reloc = {"a", kOffsets13, 2};
        ASSERT_EQ(ec_test_build_image(image.data(), image.size(), kWords.data(), 5, &reloc, 1, nullptr, 0), 76u);
    }

    const uint8_t* File() const { return reinterpret_cast<const uint8_t*>(image.data()); }
    ECInstr* Program() { return reinterpret_cast<ECInstr*>(program.data()); }
    void Set(size_t pos, uint32_t value) { ec_test_set_field(image.data(), pos, value); }

    // Copies the program and returns the table inside the image.
    const ECFileEntry* Load()
    {
        unsigned int size = 8;
        EXPECT_TRUE(ec_copy_program(File(), Program(), &size));
        return ec_get_reloc_table_ptr(File());
    }

    std::array<uint64_t, kImageWords> image{};
    std::array<uint64_t, 4> program{};
};

// Runs call with standard output captured and returns what it printed.
template <typename Call>
std::string Printed(Call call, bool expected_result)
{
    ::testing::internal::CaptureStdout();
    bool result = call();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, expected_result);
    return out;
}

TEST_F(BlobLoader, CopyProgramFailuresPrintTheirLine)
{
    unsigned int six = 6;
    unsigned int seven = 7;
    std::array<uint64_t, 4> buffer{};
    ECInstr* words = reinterpret_cast<ECInstr*>(buffer.data());
    EXPECT_EQ(Printed([&] { return ec_copy_program(File(), words, &six); }, false),
              "Error: Memory allocated for the Epoch Controller program is not sufficient (at least space for 7 "
              "32-bit words must be allocated)\n");
    EXPECT_EQ(Printed([&] { return ec_copy_program(File(), words + 1, &seven); }, false),
              "Error: Memory allocated for the Epoch Controller program must be 8-byte aligned\n");
    EXPECT_EQ(Printed([&] { return ec_copy_program(File(), words, nullptr); }, false),
              "Error: Size of memory allocated for the Epoch Controller program has not been specified\n");
    EXPECT_EQ(buffer, (std::array<uint64_t, 4>{}));

    unsigned int needed = 0;
    EXPECT_EQ(Printed([&] { return ec_copy_program(File(), nullptr, &needed); }, true), "");
    EXPECT_EQ(needed, 7u);
    EXPECT_EQ(Printed([&] { return ec_copy_program(File(), words, &seven); }, true), "");
    EXPECT_EQ(words[0], ECFORGE_PROGRAM_MAGIC);
    EXPECT_EQ(words[1], 5u);
    EXPECT_EQ(0, std::memcmp(words + 2, kWords.data(), sizeof(kWords)));
}

TEST_F(BlobLoader, DamagedImagesAreRefusedWithTheirMessage)
{
    struct Row {
        const char* what;
        size_t pos;
        uint32_t value;
        std::string message;
    };
    const Row rows[] = {
        {"file magic", 0, 0xECBF0021, "Error: Epoch Controller binary is invalid\n"},
        {"program offset", EC_TEST_PROGRAM_OFFSET_POS, 0, "Error: Program section offset in binary file is invalid\n"},
        {"program magic", 48, 0xCA057A7B, "Error: Invalid magic number of Epoch Controller program\n"},
        {"size word", 52, 0xFFFFFFFE,
         "Error: Size 4294967294 of the Epoch Controller program in binary file is invalid\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Set(row.pos, row.value);
        unsigned int size = 16;
        std::array<uint64_t, 8> buffer{};
        EXPECT_EQ(Printed([&] { return ec_copy_program(File(), reinterpret_cast<ECInstr*>(buffer.data()), &size); },
                          false),
                  row.message);
        EXPECT_EQ(buffer, (std::array<uint64_t, 8>{}));
        EXPECT_EQ(size, 16u);
    }
}

TEST_F(BlobLoader, CopyRelocTableFailuresPrintTheirLine)
{
    std::array<ECFileEntry, 16> table{};
    unsigned int seven = 7;
    unsigned int size = 0;
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), nullptr, &size); }, true), "");
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), table.data(), &seven); }, false),
              "Error: Memory allocated for the relocation table of the Epoch Controller program is not sufficient (at "
              "least space for 8 32-bit words must be allocated)\n");
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), table.data(), nullptr); }, false),
              "Error: Size of memory allocated for the relocation table of the Epoch Controller has not been "
              "specified\n");
    auto* misaligned = reinterpret_cast<ECFileEntry*>(reinterpret_cast<uint8_t*>(table.data()) + 2);
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), misaligned, &size); }, false),
              "Error: Memory allocated for the relocation table of the Epoch Controller program must be 4-byte "
              "aligned\n");
    EXPECT_EQ(table, (std::array<ECFileEntry, 16>{}));

    Set(EC_TEST_DEBUG_OFFSET_POS, 46);
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), nullptr, &size); }, false),
              "Error: Size of the relocation table of an Epoch Controller program must be 4-byte aligned\n");
    Set(EC_TEST_RELOC_OFFSET_POS, 0);
    EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), nullptr, &size); }, false),
              "Error: Relocation table is not present\n");
    EXPECT_EQ(Printed([&] { return ec_get_reloc_table_ptr(File()) == nullptr; }, true), "");
    Set(0, 0);
    EXPECT_EQ(Printed([&] { return ec_get_reloc_table_ptr(File()) == nullptr; }, true),
              "Error: Epoch Controller binary is invalid\n");
}

TEST_F(BlobLoader, DamagedRelocationSectionsAreRefused)
{
    struct Row {
        const char* what;
        size_t pos;
        uint32_t value;
        std::string message;
    };
    const std::string invalid_table = "Error: Relocation table of Epoch Controller binary is invalid\n";
    const Row rows[] = {
        {"section ends before it starts", EC_TEST_DEBUG_OFFSET_POS, 8, invalid_table},
        {"section inside the file header", EC_TEST_RELOC_OFFSET_POS, 8, invalid_table},
        {"section not word aligned", EC_TEST_RELOC_OFFSET_POS, 18, invalid_table},
        {"more entries than the section holds", 16, 3, invalid_table},
        {"array inside the entries", 28, 4, "Error: Offset 4 in Epoch Controller binary is invalid\n"},
        {"array not word aligned", 28, 18, "Error: Offset 18 in Epoch Controller binary is invalid\n"},
        {"array past the section", 28, 28, "Error: Offset 28 in Epoch Controller binary is invalid\n"},
        {"name inside the entries", 20, 8, "Error: Offset 8 in Epoch Controller binary is invalid\n"},
        {"name past the section", 20, 32, "Error: Offset 32 in Epoch Controller binary is invalid\n"},
        {"name without its zero", 44, 0x61616161, "Error: Offset 24 in Epoch Controller binary is invalid\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Set(row.pos, row.value);
        if (row.pos == 44) {
            Set(40, 0x61616161);
        }
        unsigned int size = 0;
        EXPECT_EQ(Printed([&] { return ec_copy_reloc_table(File(), nullptr, &size); }, false), row.message);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(Printed([&] { return ec_get_reloc_table_ptr(File()) == nullptr; }, true), row.message);
    }
}

TEST_F(BlobLoader, RelocMovesTheWordsOfOneRelocation)
{
    const ECFileEntry* table = Load();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(ec_get_num_relocs(table), 1u);
    EXPECT_STREQ(ec_get_reloc_id(table, 0), "a");
    EXPECT_EQ(ec_get_reloc_id(table, 1), nullptr);
    EXPECT_EQ(ec_get_num_relocs(nullptr), 0u);

    struct Row {
        ECAddr base;
        ECInstr word1;
        ECInstr word3;
    };
    const Row rows[] = {
        {0x20000000, 0x20000022, 0x20000044},
        {0x20001000, 0x20001022, 0x20001044},
        {0x20001000, 0x20001022, 0x20001044},
        {0x00000010, 0x00000032, 0x00000054},
        {0xFFFFFFF0, 0x00000012, 0x00000034},
    };
    ECAddr prev = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.base);
        EXPECT_EQ(Printed([&] { return ec_reloc(table, Program(), 0, row.base, &prev); }, true), "");
        EXPECT_EQ(prev, row.base);
        EXPECT_EQ(Program()[3], row.word1);
        EXPECT_EQ(Program()[5], row.word3);
        EXPECT_EQ(Program()[2], 0x11u);
        EXPECT_EQ(Program()[4], 0x33u);
        EXPECT_EQ(Program()[6], 0x55u);
    }
}

TEST_F(BlobLoader, RelocFailuresPrintTheirLineAndChangeNothing)
{
    const ECFileEntry* table = Load();
    std::array<ECFileEntry, 8> copy{};
    unsigned int size = 8;
    ASSERT_TRUE(ec_copy_reloc_table(File(), copy.data(), &size));
    std::array<ECFileEntry, 8> beyond = copy;
    beyond[5] = 5;
    std::array<ECFileEntry, 8> inside = copy;
    inside[3] = 12;
    std::array<ECFileEntry, 8> misaligned = copy;
    misaligned[3] = 18;
    std::array<ECFileEntry, 8> too_many = copy;
    too_many[2] = 6;

    struct Row {
        const char* what;
        const ECFileEntry* table;
        unsigned int idx;
        ECAddr base;
        std::string message;
    };
    const Row rows[] = {
        {"no table", nullptr, 0, 0x200,
         "Error: Cannot relocate because the pointer to the Epoch Controller relocation table is invalid\n"},
        {"index at N", table, 1, 0x200,
         "Error: Relocation index 1 is out of range (the Epoch Controller relocation table holds 1 relocations)\n"},
        {"index at N, base unchanged", table, 1, 0x100,
         "Error: Relocation index 1 is out of range (the Epoch Controller relocation table holds 1 relocations)\n"},
        {"word beyond the program", beyond.data(), 0, 0x200,
         "Error: Relocated word 5 lies beyond the 5 words of the Epoch Controller program\n"},
        {"array inside the entries", inside.data(), 0, 0x200, "Error: Offset 12 in Epoch Controller binary is invalid\n"},
        {"array not word aligned", misaligned.data(), 0, 0x200, "Error: Offset 18 in Epoch Controller binary is invalid\n"},
        {"more words than the program", too_many.data(), 0, 0x200,
         "Error: Relocation lists 6 words but the Epoch Controller program holds only 5\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ECAddr prev = 0x100;
        EXPECT_EQ(Printed([&] { return ec_reloc(row.table, Program(), row.idx, row.base, &prev); }, false),
                  row.message);
        EXPECT_EQ(prev, 0x100u);
        EXPECT_EQ(Program()[3], 0x22u);
        EXPECT_EQ(Program()[5], 0x44u);
    }
    ECAddr prev = 0;
    EXPECT_EQ(Printed([&] { return ec_reloc(table, nullptr, 0, 1, &prev); }, false),
              "Error: Cannot relocate because the pointer to the Epoch Controller program is invalid\n");
    EXPECT_EQ(Printed([&] { return ec_reloc(table, Program(), 0, 1, nullptr); }, false),
              "Error: Cannot relocate because the pointer to the previous base address is invalid\n");
}

TEST_F(BlobLoader, RelocByIdFindsTheFirstEntryOfAName)
{
    const uint32_t offsets0[1] = {0};
    const uint32_t offsets4[1] = {4};
    EcTestReloc relocs[2] = {{"pool", offsets0, 1}, {"pool", offsets4, 1}};
    ASSERT_NE(ec_test_build_image(image.data(), image.size(), kWords.data(), 5, relocs, 2, nullptr, 0), 0u);
    const ECFileEntry* table = Load();
    ECAddr prev = 0;
    EXPECT_EQ(Printed([&] { return ec_reloc_by_id(table, Program(), "pool", 0x1000, &prev); }, true), "");
    EXPECT_EQ(Program()[2], 0x1011u);
    EXPECT_EQ(Program()[6], 0x55u);
    EXPECT_EQ(prev, 0x1000u);

    EXPECT_EQ(Printed([&] { return ec_reloc_by_id(table, Program(), "pools", 0x2000, &prev); }, false),
              "Error: Relocation symbol 'pools' not found in Epoch Controller relocation table\n");
    EXPECT_EQ(Printed([&] { return ec_reloc_by_id(nullptr, Program(), "pool", 0x2000, &prev); }, false),
              "Error: Cannot relocate because the pointer to the Epoch Controller relocation table is invalid\n");
    EXPECT_EQ(Printed([&] { return ec_reloc_by_id(table, Program(), nullptr, 0x2000, &prev); }, false),
              "Error: Cannot relocate because the relocation symbol name is invalid\n");
    EXPECT_EQ(prev, 0x1000u);
    EXPECT_EQ(Program()[2], 0x1011u);
}

TEST_F(BlobLoader, RelocByIdRefusesANameInsideTheEntries)
{
    const ECFileEntry* table = Load();
    std::array<ECFileEntry, 8> copy{};
    unsigned int size = 8;
    ASSERT_TRUE(ec_copy_reloc_table(File(), copy.data(), &size));
    ASSERT_NE(table, nullptr);
    copy[1] = 4;
    EXPECT_EQ(ec_get_reloc_id(copy.data(), 0), nullptr);
    ECAddr prev = 0;
    EXPECT_EQ(Printed([&] { return ec_reloc_by_id(copy.data(), Program(), "a", 0x2000, &prev); }, false),
              "Error: Offset 4 in Epoch Controller binary is invalid\n");
    EXPECT_EQ(prev, 0u);
}

TEST_F(BlobLoader, RelocTableEndsAtTheDebugSection)
{
    const EcTestDebug debug[1] = {{"epoch 0", 2}};
    EcTestReloc reloc = {"a", kOffsets13, 2};
    ASSERT_NE(ec_test_build_image(image.data(), image.size(), kWords.data(), 5, &reloc, 1, debug, 1), 0u);
    EXPECT_EQ(ec_test_get_field(image.data(), EC_TEST_DEBUG_OFFSET_POS), 48u);
    EXPECT_EQ(ec_test_get_field(image.data(), EC_TEST_PROGRAM_OFFSET_POS), 72u);
    std::array<ECFileEntry, 8> table{};
    unsigned int size = 8;
    EXPECT_TRUE(ec_copy_reloc_table(File(), table.data(), &size));
    EXPECT_EQ(0, std::memcmp(table.data(), File() + 16, 32));
    unsigned int needed = 0;
    EXPECT_TRUE(ec_copy_program(File(), nullptr, &needed));
    EXPECT_EQ(needed, 7u);
}

}  // namespace

namespace {

TEST_F(BlobLoader, ImagesAtAnyByteAddressCanBeCopied)
{
    std::array<uint8_t, kImageWords * 8 + 1> raw{};
    std::memcpy(raw.data() + 1, image.data(), kImageWords * 8);
    const uint8_t* shifted = raw.data() + 1;
    unsigned int size = 8;
    EXPECT_TRUE(ec_copy_program(shifted, Program(), &size));
    EXPECT_EQ(Program()[5], 0x44u);
    std::array<ECFileEntry, 8> table{};
    EXPECT_TRUE(ec_copy_reloc_table(shifted, table.data(), &size));
    EXPECT_EQ(table[4], 1u);
    EXPECT_EQ(Printed([&] { return ec_get_reloc_table_ptr(shifted) == nullptr; }, true),
              "Error: Relocation table of Epoch Controller binary must be 4-byte aligned\n");
}

}  // namespace
