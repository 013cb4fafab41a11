// Tests of the ec_trace_* recording calls: the instructions each call appends and the precondition stops.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ecforge.h"
#include "ecscribe.h"
#include "ll_zuno_binding.h"
#include "recorder_internal.h"
#include "recorder_state.h"
#include "recorder_test_support.h"

namespace {

using ecscribe_test::ReadFile;

// The assembly text of every instruction recorded so far, one entry per instruction.
std::vector<std::string> Recorded()
{
    std::vector<std::string> texts;
    for (auto const& instr : ecscribe::tracer.GetInstructions()) {
        texts.push_back(instr->ToAsm());
    }
    return texts;
}

class Recording : public ecscribe_test::InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        ec_trace_init("testnet_ecblobs.h", "testnet");
    }
};

using RecordingDeathTest = Recording;

TEST_F(Recording, EmptyOneEpochBlobRecordsSixInstructions)
{
    ec_trace_start_blob("_ec_blob_1");
    ec_trace_start_epoch(1);
    ec_trace_end_epoch(1);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{";; Start Blob '_ec_blob_1'", ";; Start Epoch 1", "label 0x1",
                                                    ";; End Epoch 1"}));
    ec_trace_end_blob("_ec_blob_1");
    EXPECT_EQ(ReadFile("debug__ec_blob_1_initial.s"), ";; Start Blob '_ec_blob_1'\n;; Start Epoch 1\nlabel 0x1\n"
                                                      ";; End Epoch 1\nirq 0x0\n;; End Blob '_ec_blob_1'\n");
    EXPECT_EQ(ReadFile("debug__ec_blob_1.s"), "label 0x1\nirq 0x0\n");
    EXPECT_TRUE(ecscribe::tracer.GetInstructions().empty());
    ASSERT_EQ(ecscribe::blobs_info.size(), 1u);
    EXPECT_EQ(ecscribe::blobs_info[0].blob_name, "_ec_blob_1");
    EXPECT_EQ(ecscribe::blobs_info[0].runtime_size, 0u);
    EXPECT_TRUE(ecscribe::blobs_info[0].inference_relocs.empty());
    EXPECT_TRUE(ecscribe::blobs_info[0].network_relocs.empty());
}

TEST_F(Recording, EpochNumbersAreWrittenInDecimalAndLabelledInHexadecimal)
{
    ec_trace_start_epoch(0);
    ec_trace_end_epoch(4294967295u);
    ec_trace_start_epoch(134217727u);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{";; Start Epoch 0", "label 0x0", ";; End Epoch 4294967295",
                                                    ";; Start Epoch 134217727", "label 0x7ffffff"}));
}

TEST_F(RecordingDeathTest, EpochNumberBeyondTheLabelFieldStops)
{
    EXPECT_DEATH(ec_trace_start_epoch(4294967295u), "label >= \\(1 << 27\\)");
}

TEST_F(Recording, RegisterAccessesRecordTheirInstructions)
{
    ec_trace_reg_write(5, 2, 0x1234);
    ec_trace_reg_writefield(0, 4, 3, 1, 1);
    ec_trace_reg_writefield(0x100, 0x104, 0x103, 0x102, 0x1ff);
    ec_trace_reg_poll(6, 0, 31, 1, 0);
    ec_trace_reg_poll(7, 3, 4, 8, 0x5a);
    ec_trace_comment("Block ECFORGE optimizations to move reg writes pass this point");
    ec_trace_comment(std::string("two\nlines"));
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"write 5 2 0x1234", "writefield 0 4 [3] 0x1",
                                                    "writefield 0 4 [3:4] 0xff", "poll 6 0 [31] 0x0 100",
                                                    "poll 7 3 [4:11] 0x5a 100",
                                                    ";; Block ECFORGE optimizations to move reg writes pass this point",
                                                    ";; two\n;; lines"}));
}

TEST_F(RecordingDeathTest, InstructionLimitsStop)
{
    EXPECT_DEATH(ec_trace_reg_poll(6, 0, 5, 0, 0), "msb < lsb");
    EXPECT_DEATH(ec_trace_reg_write(64, 0, 0), "ip_id >= \\(1 << 6\\)");
    EXPECT_DEATH(ec_trace_reg_write(1, 1024, 0), "reg_id >= \\(1 << 10\\)");
    EXPECT_DEATH(ec_trace_reg_writefield(0, 32, 0, 1, 0), "reg_id >= \\(1 << 5\\)");
}

TEST_F(Recording, BindingRecordsWritesAtTheirUnitAndRegister)
{
    uintptr_t const base = get_ec_zuno_base();
    ec_trace_write(base + 0x5000 + 3 * 0x1000 + 8, 0xabc);
    ec_trace_write(base + 0x1E008, 7);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"write 8 2 0xabc", "write 30 2 0x7"}));
}

TEST_F(Recording, EpochEndWaitPollsEveryOutputStreamEngineInOrder)
{
    ec_trace_wait_epoch_end(0);
    EXPECT_TRUE(Recorded().empty());
    ec_trace_wait_epoch_end(258);
    EXPECT_EQ(Recorded(), (std::vector<std::string>{"poll 6 0 [31] 0x0 100", "poll 13 0 [31] 0x0 100"}));
}

TEST_F(Recording, RelocatableWritesAreResolvedByThePoolTable)
{
    struct Row {
        uint32_t base;
        uint32_t offset;
        std::string expected;
    };
    std::vector<Row> const rows = {
        {0x70000000u, 0x40u, "write 7 2 0x70000040"},             // absolute pool: plain value
        {0x34000000u, 0x80u, "write 7 2 SRAM_NET(0x80)"},         // network-init pool
        {0x34100000u, 0x10u, "write 7 2 SRAM_INF(0x10)"},         // per-inference pool
        {0x34300000u, 0x20u, "write 7 2 SPAN_A(0x20)"},           // shared base: the earlier row wins
    };
    for (Row const& row : rows) {
        SCOPED_TRACE(row.expected);
        ecscribe::tracer.Clear();
        ec_trace_write_reloc(get_ec_zuno_base() + 0x5000 + 0x2000 + 8, row.base, row.offset);
        EXPECT_EQ(Recorded(), std::vector<std::string>{row.expected});
    }
}

TEST_F(Recording, AbsolutePoolWriteEqualsAPlainWriteAndWraps)
{
    ec_trace_reg_write_reloc(9, 4, 0x70000000u, 0x90000010u);
    ec_trace_reg_write(9, 4, 0x00000010u);
    auto const& instructions = ecscribe::tracer.GetInstructions();
    ASSERT_EQ(instructions.size(), 2u);
    EXPECT_TRUE(instructions[0]->IsEqual(instructions[1].get()));
}

TEST_F(Recording, UnknownBaseIsAbsoluteWhenTheTerminatorSaysSo)
{
    mpool_reloc_info_t const pools[] = {
        {"SRAM", "_mem_pool_SRAM", 0x34000000u, 0, 0},
        {nullptr, nullptr, 0u, 1, 0},
    };
    ecscribe::RecordRelocWrite(pools, 5, 2, 0x20000000u, 4);
    EXPECT_EQ(Recorded(), std::vector<std::string>{"write 5 2 0x20000004"});
}

TEST_F(RecordingDeathTest, UnknownBaseStops)
{
    EXPECT_DEATH(ec_trace_reg_write_reloc(5, 2, 0x12345678u, 0),
                 "ec_trace_reg_write_reloc: no memory pool of mpool_reloc_info has the base address 0x12345678");
}

TEST_F(Recording, BlobMayStartAfterCommentsOnly)
{
    ec_trace_comment("outside any blob");
    ec_trace_start_blob("_ec_blob_2");
    EXPECT_EQ(Recorded().size(), 2u);
}

TEST_F(RecordingDeathTest, SecondBlobStartWithoutEndStops)
{
    ec_trace_start_blob("_ec_blob_1");
    ec_trace_reg_write(5, 0, 1);
    EXPECT_DEATH(ec_trace_start_blob("_ec_blob_2"), "ec_trace_start_blob: Assertion `tracer.GetSize\\(\\) == 0' failed");
}

TEST_F(RecordingDeathTest, UnsupportedOperationStops)
{
    EXPECT_DEATH(ec_trace_unsupported(), "ec_trace_unsupported: the calling driver operation has no Epoch Controller "
                                         "form and cannot be recorded");
}

TEST_F(RecordingDeathTest, NullTextsStop)
{
    EXPECT_DEATH(ec_trace_comment(static_cast<char const*>(nullptr)),
                 "ec_trace_comment: Assertion `text != NULL' failed");
    EXPECT_DEATH(ec_trace_start_blob(nullptr), "ec_trace_start_blob: Assertion `blob_name != NULL' failed");
    EXPECT_DEATH(ec_trace_end_blob(nullptr), "ec_trace_end_blob: Assertion `blob_name != NULL' failed");
    EXPECT_DEATH(ec_trace_init(nullptr, "testnet"), "ec_trace_init: Assertion `header_file_name != NULL' failed");
}

TEST_F(RecordingDeathTest, HeaderWritingWithoutInitStops)
{
    EXPECT_EXIT(
        {
            ecscribe::os.close();
            ec_trace_all_blobs_done();
        },
        ::testing::ExitedWithCode(1), "^Error: The blob header is not open: ec_trace_init has not been called\n$");
}

}  // namespace
