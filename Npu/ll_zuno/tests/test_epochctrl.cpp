// Tests of the Epoch Controller driver: blob start, stepping and waiting, software trigger, DMA copy.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::Asm;
using test_recorder::Text;

class EpochCtrlTest : public RecorderTest {};

std::string Write(uint32_t ip, uint32_t reg, uint32_t value)
{
  char text[64];
  std::snprintf(text, sizeof text, "write %u %u 0x%x", ip, reg, value);
  return text;
}

TEST_F(EpochCtrlTest, InitWritesCtrlThenTheBlobAddress)
{
  const struct {
    uint32_t blob_addr;
    unsigned step_mode;
    std::string text;
  } rows[] = {
      {0x1000, 1, Asm({"writefield 0 4 [25] 0x1", "write 30 0 0x8", "write 30 2 0x1000"})},
      {0xFFFFFFF8, 0, Asm({"writefield 0 4 [25] 0x1", "write 30 0 0x0", "write 30 2 0xfffffff8"})},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.blob_addr);
    test_recorder::Reset();
    LL_EpochCtrl_Conf conf{};
    conf.blob_addr = row.blob_addr;
    conf.step_mode = row.step_mode;
    EXPECT_EQ(LL_EpochCtrl_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Text(), row.text);
  }
}

TEST_F(EpochCtrlTest, UnalignedBlobIsRejectedAfterCtrl)
{
  LL_EpochCtrl_Conf conf{};
  conf.blob_addr = 0x1004;
  EXPECT_EQ(LL_EpochCtrl_Init(0, &conf), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [25] 0x1", "write 30 0 0x0"}));
}

TEST_F(EpochCtrlTest, OnlyInstanceZeroExists)
{
  LL_EpochCtrl_Conf conf{};
  EXPECT_EQ(LL_EpochCtrl_Init(1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_EpochCtrl_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(EpochCtrlTest, StepAndWaitReadTheControllerAndCannotBeRecorded)
{
  EXPECT_DEATH(LL_EpochCtrl_Step(0), "ec_trace_unsupported");
  EXPECT_DEATH(LL_EpochCtrl_Wait(1), "ec_trace_unsupported");
  EXPECT_DEATH(LL_EpochCtrl_Wait(0xFFFFFFFF), "ec_trace_unsupported");
}

TEST_F(EpochCtrlTest, WaitWithoutTheControllerBitReturnsAtOnce)
{
  EXPECT_EQ(LL_EpochCtrl_Wait(0), LL_ZUNO_OK);
  EXPECT_EQ(LL_EpochCtrl_Wait(0xFFFFFFFE), LL_ZUNO_OK);
  EXPECT_EQ(Text(), "");
}

TEST(EpochCtrlBlobTest, BlobSizeCountsTheHeaderAndProgramWords)
{
  const uint32_t ten[] = {0xCA057A7A, 10};
  const uint32_t empty[] = {0xCA057A7A, 0};
  const uint32_t wrapping[] = {0xCA057A7A, 0xFFFFFFFF};
  EXPECT_EQ(LL_EpochCtrl_GetBlobSize(ten), 48u);
  EXPECT_EQ(LL_EpochCtrl_GetBlobSize(empty), 8u);
  EXPECT_EQ(LL_EpochCtrl_GetBlobSize(wrapping), 4u);
}

TEST_F(EpochCtrlTest, TriggerHighMasksTheLineAndRaisesTheTrigger)
{
  for (int line = 0; line < 4; ++line) {
    SCOPED_TRACE(line);
    test_recorder::Reset();
    EXPECT_EQ(LL_TriggerHigh(line), LL_ZUNO_OK);
    EXPECT_EQ(Text(), Asm({Write(1, 5 + line, 0xDFFFFFFF), "write 1 3 0x20000000"}));
  }
}

TEST_F(EpochCtrlTest, TriggerHighRejectsLinesWithoutMaskRegister)
{
  for (int line : {4, 17, 31, 32, 1000, -1}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(LL_TriggerHigh(line), LL_ZUNO_INVALID_PARAM);
  }
  EXPECT_EQ(Text(), "");
}

TEST_F(EpochCtrlTest, TriggerLowClearsTheTrigger)
{
  for (int line : {0, 3, 31}) {
    SCOPED_TRACE(line);
    test_recorder::Reset();
    EXPECT_EQ(LL_TriggerLow(line), LL_ZUNO_OK);
    EXPECT_EQ(Text(), Asm({"write 1 4 0x20000000"}));
  }
  test_recorder::Reset();
  EXPECT_EQ(LL_TriggerLow(32), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(LL_TriggerLow(-1), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(Text(), "");
}

// ---- DMA copy ---------------------------------------------------------------------------------------

std::vector<uint8_t> Pattern(size_t size)
{
  std::vector<uint8_t> bytes(size);
  for (size_t k = 0; k < size; ++k) {
    bytes[k] = static_cast<uint8_t>(0x30 + k);
  }
  return bytes;
}

TEST_F(EpochCtrlTest, SmallCopiesAreDoneByTheCpuAlone)
{
  for (size_t size : {size_t{0}, size_t{1}, size_t{3}, size_t{38}, size_t{39}}) {
    SCOPED_TRACE(size);
    const std::vector<uint8_t> src = Pattern(64);
    std::vector<uint8_t> dst(64, 0xEE);
    EXPECT_EQ(LL_ZUNO_Dma_memcpy(dst.data(), src.data(), src.data() + src.size(), size, 1, 1), dst.data());
    EXPECT_EQ(std::vector<uint8_t>(dst.begin(), dst.begin() + size), std::vector<uint8_t>(src.begin(), src.begin() + size));
    EXPECT_EQ(dst[size], 0xEE);
  }
  EXPECT_EQ(Text(), "");
}

// What the child of a death test compares when the copy stops in the engine wait.
std::string expected_dma_text;
const uint8_t *dma_src = nullptr;
const uint8_t *dma_dst = nullptr;
size_t dma_head = 0;

extern "C" void CompareRecordingOnAbort(int)
{
  const std::string text = test_recorder::Text();
  bool head_copied = true;
  for (size_t k = 0; k < dma_head; ++k) {
    head_copied = head_copied && dma_dst[k] == dma_src[k];
  }
  std::fprintf(stderr, "recorded:\n%s", text.c_str());
  _exit(text == expected_dma_text && head_copied ? 42 : 43);
}

const mpool_reloc_info_t kAbsoluteAddresses[] = {{nullptr, nullptr, 0, 1, 0}};

// The engine records a copy of size bytes (head by the CPU) must program.
void RecordExpectedCopy(uint8_t *dst, const uint8_t *src, const uint8_t *src_limit, uint32_t head, uint32_t len,
                        bool dst_cached, bool src_cached)
{
  LL_Streng_TensorConf source{};
  source.raw = 1;
  source.dir = ZUNO_STRENGDIR_BUS2STR;
  source.addr_base = const_cast<uint8_t *>(src + head);
  source.offset_end = len;
  source.offset_limit = static_cast<uint32_t>(src_limit - (src + head));
  source.frame_offset = len;
  source.frame_limit = 1;
  source.bits_in = 24;
  source.bits_out = 24;
  source.cacheable = src_cached;
  source.alloc = src_cached;
  LL_Streng_TensorConf destination{};
  destination.raw = 1;
  destination.dir = ZUNO_STRENGDIR_STR2BUS;
  destination.addr_base = dst + head;
  destination.offset_end = len;
  destination.frame_offset = len;
  destination.frame_limit = 1;
  destination.bits_in = 24;
  destination.bits_out = 24;
  destination.cacheable = dst_cached;
  destination.alloc = dst_cached;
  LL_Switch_Conf route{};
  route.dest = {STRSWITCH, 0, STRENG, 1, 0};
  route.source0 = {STRSWITCH, 0, STRENG, 0, 0};
  route.context0 = 1;
  const LL_ZUNO_UnitEntry units[] = {{STRENG, 1}, {STRENG, 0}};

  test_recorder::Reset();
  test_recorder::SetPoolTable(kAbsoluteAddresses);
  LL_Streng_TensorInit(0, &source, 1);
  LL_Streng_TensorInit(1, &destination, 1);
  LL_Switch_Init(&route, 1);
  LL_ZUNO_EnableUnits_Init(units, 2);
  expected_dma_text = Text();
  test_recorder::Reset();
  test_recorder::SetPoolTable(kAbsoluteAddresses);
}

bool Contains(const std::string &text, const std::string &line)
{
  return text.find(line + "\n") != std::string::npos;
}

TEST_F(EpochCtrlTest, LargerCopiesProgramTwoEnginesAndStopInTheirWait)
{
  struct Row {
    size_t size;
    uint32_t head;
    uint32_t fsize;
    bool dst_cached, src_cached;
  };
  const Row rows[] = {
      {40, 1, 13, false, false},  // 40 mod 3 = 1 byte by the CPU, 13 elements of 24 bits
      {42, 0, 14, true, false},
      {101, 2, 33, false, true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.size);
    const std::vector<uint8_t> src = Pattern(128);
    std::vector<uint8_t> dst(128, 0xEE);
    const uint8_t *src_limit = src.data() + 120;
    const uint32_t len = static_cast<uint32_t>(row.size) - row.head;
    RecordExpectedCopy(dst.data(), src.data(), src_limit, row.head, len, row.dst_cached, row.src_cached);

    // Both engines count the same elements, and the source stops at the last readable byte.
    EXPECT_TRUE(Contains(expected_dma_text, Write(5, 3, row.fsize)));
    EXPECT_TRUE(Contains(expected_dma_text, Write(6, 3, row.fsize)));
    EXPECT_TRUE(Contains(expected_dma_text,
                         Write(5, 14, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(src_limit) - 1))));
    EXPECT_TRUE(Contains(expected_dma_text, Write(5, 18, row.src_cached ? 0x18 : 0)));
    EXPECT_TRUE(Contains(expected_dma_text, Write(6, 18, row.dst_cached ? 0x18 : 0)));

    dma_src = src.data();
    dma_dst = dst.data();
    dma_head = row.head;
    EXPECT_EXIT(
        {
          std::signal(SIGABRT, CompareRecordingOnAbort);
          LL_ZUNO_Dma_memcpy(dst.data(), src.data(), src_limit, row.size, row.dst_cached, row.src_cached);
        },
        ::testing::ExitedWithCode(42), "ec_trace_unsupported");
  }
}

}  // namespace
