// Runs the golden blob header of the test network as device code: copies, relocations and cache calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cache_recorder.h"
#include "ec.h"
#include "generated_header_unit.h"

namespace {

struct Reloc {
    unsigned word;     // index among the program words
    char const* pool;  // relocation symbol
    bool per_inference;
};

struct RelocatableBlob {
    unsigned first_epoch;
    unsigned runtime_elements;
    std::vector<Reloc> relocs;
};

// Relocated words of the test network, as its listings place them.
std::vector<RelocatableBlob> const kBlobs = {
    {6, 9, {{2, "SRAM_INF", true}, {3, "ACT_INF", true}, {5, "SRAM_NET", false}, {6, "SRAM_INF", true}}},
    {9, 4, {{2, "SPAN_A", false}, {3, "SRAM_NET", false}}},
    {12, 3, {{2, "SRAM_NET", false}}},
};

// The program section (magic, word count, words) of a constant image, with or without file header.
std::vector<uint32_t> ProgramSection(uint64_t const* image)
{
    auto const* fields = reinterpret_cast<uint32_t const*>(image);
    std::size_t const start = fields[0] == ECFORGE_BINARY_MAGIC ? fields[3] / 4 : 0;
    return std::vector<uint32_t>(fields + start, fields + start + 2 + fields[start + 1]);
}

std::vector<uint32_t> RuntimeSection(TestnetBlob const& blob, std::size_t words)
{
    auto const* fields = reinterpret_cast<uint32_t const*>(blob.runtime);
    return std::vector<uint32_t>(fields, fields + words);
}

// The program section with the given relocations applied against the pools' base addresses.
std::vector<uint32_t> Relocated(std::vector<uint32_t> section, std::vector<Reloc> const& relocs, bool with_inference)
{
    for (Reloc const& reloc : relocs) {
        if (!reloc.per_inference || with_inference) {
            section[2 + reloc.word] += static_cast<uint32_t>(testnet_pool_base(reloc.pool));
        }
    }
    return section;
}

void ExpectCacheCalls(std::vector<CacheRecorderCall> const& expected)
{
    ASSERT_EQ(cache_recorder_count(), expected.size());
    for (unsigned k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        CacheRecorderCall const* call = cache_recorder_call(k);
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(call->op, expected[k].op);
        EXPECT_EQ(call->addr, expected[k].addr);
        EXPECT_EQ(call->size, expected[k].size);
    }
}

uintptr_t RuntimeAddress(unsigned first_epoch)
{
    return reinterpret_cast<uintptr_t>(testnet_blob(first_epoch).runtime);
}

TEST(GeneratedHeader, BlobsWithoutRelocationsAreReadyProgramImages)
{
    for (unsigned first_epoch : {1u, 3u}) {
        SCOPED_TRACE(first_epoch);
        TestnetBlob const blob = testnet_blob(first_epoch);
        ASSERT_NE(blob.image, nullptr);
        EXPECT_EQ(blob.runtime, nullptr);
        EXPECT_EQ(ProgramSection(blob.image)[0], ECFORGE_PROGRAM_MAGIC);
    }
}

// One test: the network init function must run only once per process.
TEST(GeneratedHeader, InitFunctionsCopyAndRelocateTheRelocatableBlobs)
{
    cache_recorder_reset();
    ASSERT_TRUE(testnet_network_init());
    for (RelocatableBlob const& expected : kBlobs) {
        SCOPED_TRACE(expected.first_epoch);
        TestnetBlob const blob = testnet_blob(expected.first_epoch);
        EXPECT_EQ(blob.runtime_elements, expected.runtime_elements);
        std::vector<uint32_t> const image = ProgramSection(blob.image);
        EXPECT_EQ(RuntimeSection(blob, image.size()), Relocated(image, expected.relocs, false));
    }
    ExpectCacheCalls({{CACHE_OP_NPU_CLEAN_INVALIDATE, RuntimeAddress(6), 72},
                      {CACHE_OP_NPU_CLEAN_INVALIDATE, RuntimeAddress(9), 32},
                      {CACHE_OP_NPU_CLEAN_INVALIDATE, RuntimeAddress(12), 24},
                      {CACHE_OP_MCU_CLEAN, RuntimeAddress(6), 72},
                      {CACHE_OP_MCU_CLEAN, RuntimeAddress(9), 32},
                      {CACHE_OP_MCU_CLEAN, RuntimeAddress(12), 24}});

    for (int inference = 0; inference < 2; ++inference) {
        SCOPED_TRACE(inference);
        cache_recorder_reset();
        ASSERT_TRUE(testnet_inference_init());
        for (RelocatableBlob const& expected : kBlobs) {
            SCOPED_TRACE(expected.first_epoch);
            TestnetBlob const blob = testnet_blob(expected.first_epoch);
            std::vector<uint32_t> const image = ProgramSection(blob.image);
            EXPECT_EQ(RuntimeSection(blob, image.size()), Relocated(image, expected.relocs, true));
        }
        ExpectCacheCalls({{CACHE_OP_NPU_CLEAN_INVALIDATE, RuntimeAddress(6), 72},
                          {CACHE_OP_MCU_CLEAN, RuntimeAddress(6), 72}});
    }
}

}  // namespace
