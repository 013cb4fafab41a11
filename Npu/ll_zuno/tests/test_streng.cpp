// Tests of the stream engine driver: register values and the recorded write sequence.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::Asm;
using test_recorder::Text;

const mpool_reloc_info_t kPools[] = {
    {"AXISRAM1", "_mem_pool_AXISRAM1_net", 0x34080000u, 0, 0},
    {"xSPI1", "_mem_pool_xSPI1_net", 0x90000000u, 1, 0},
    {nullptr, nullptr, 0, 0, 0},
};

uint8_t *PoolAddress(uintptr_t address)
{
  return reinterpret_cast<uint8_t *>(address);
}

class StrengTest : public RecorderTest {
 protected:
  void SetUp() override
  {
    RecorderTest::SetUp();
    test_recorder::SetPoolTable(kPools);
  }
};

LL_Streng_TensorConf Tensor(unsigned dir, uint8_t bits_in, uint8_t bits_out)
{
  LL_Streng_TensorConf conf{};
  conf.dir = dir;
  conf.bits_in = bits_in;
  conf.bits_out = bits_out;
  conf.addr_base = PoolAddress(0x34080000u);
  return conf;
}

uint8_t Byte(const LL_Streng_TensorConf &conf, size_t index)
{
  uint8_t bytes[sizeof conf];
  std::memcpy(bytes, &conf, sizeof conf);
  return bytes[index];
}

TEST(StrengRecordTest, Layout)
{
  EXPECT_EQ(offsetof(LL_Streng_TensorConf, frmtrg_src), 3u);
  EXPECT_EQ(offsetof(LL_Streng_TensorConf, addr_base), 8u);
  EXPECT_EQ(offsetof(LL_Streng_TensorConf, offset_start), 16u);
  EXPECT_EQ(offsetof(LL_Streng_TensorConf, bits_in), 68u);
  EXPECT_EQ(offsetof(LL_Streng_TensorConf, bits_out), 69u);
  LL_Streng_TensorConf conf{};
  conf.dir = 1;
  conf.gap_front = 1;
  conf.frmtrg_en = 1;
  conf.pfetch = 1;
  conf.linesize = 3;
  conf.key_sel = 1;
  EXPECT_EQ(Byte(conf, 0), 0x81u);
  EXPECT_EQ(Byte(conf, 1), 0x81u);
  EXPECT_EQ(Byte(conf, 2), 0x0Bu);
  LL_Streng_ExtSyncConf sync{};
  sync.en = 1;
  sync.src = 0xF;
  uint8_t first;
  std::memcpy(&first, &sync, 1);
  EXPECT_EQ(first, 0x1Fu);
  EXPECT_EQ(offsetof(LL_Streng_ExtSyncConf, lines), 4u);
}

// The worked example: an 8-bit memory tensor emitted as a 16-bit stream in LSB mode, on engine 3.
TEST_F(StrengTest, WorkedExampleRecordsTheFullSequence)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 16);
  conf.lsbmode = 1;
  conf.offset_start = 0x100;
  conf.offset_limit = 0x6000;
  conf.width = 128;
  conf.height = 64;
  conf.depth_size = 3;
  conf.depth_offset = 3;
  conf.frame_offset = 0x6000;
  conf.frame_limit = 1;
  conf.cid = 2;
  conf.cacheable = 1;
  conf.alloc = 1;
  conf.linesize = 1;
  EXPECT_EQ(LL_Streng_TensorInit(3, &conf, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [3] 0x1",       // clock gate
                        "write 8 0 0x8c004",            // CTRL: SIZE0 8, LSBMODE, SIGNEXT, SINGLE
                        "write 8 2 AXISRAM1(0x100)",    // ADDR
                        "write 8 3 0x400080",           // FSIZE
                        "write 8 4 0x30003",            // DEPTH
                        "write 8 8 0x0",                // FRPTOFF
                        "write 8 7 0x0",                // FRAME_RPT
                        "write 8 6 0x6000",             // FOFFSET
                        "write 8 12 0x6",               // LIMITEN
                        "write 8 12 0x7",               // LIMITEN with the address limit
                        "write 8 14 AXISRAM1(0x5fff)",  // LIMITADDR
                        "write 8 13 0x1",               // LIMIT
                        "write 8 9 0x24",               // POS
                        "write 8 5 0x180",              // STRD: LOFF = 128 x 3
                        "write 8 18 0x5a",              // CID_CACHE
                        "write 8 10 0x100000",          // EVENT
                        "write 8 17 0x0",               // ENCR_MSB
                    }));
}

TEST_F(StrengTest, ControlWordOfTheWorkedExample)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 16);
  conf.lsbmode = 1;
  LL_Streng_RegValues regs{};
  ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
  EXPECT_EQ(regs.ctrl, 0x00084000u | 0x8000u);
  conf.no_signext = 1;
  conf.frame_limit = 1;
  ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
  EXPECT_EQ(regs.ctrl, 0x00084000u | 0x4u);
}

TEST(StrengValuesTest, ElementPacking)
{
  struct Row {
    const char *name;
    unsigned dir, bits_in, bits_out, lsbmode, gap_front;
    uint32_t ctrl;
    uint32_t strd;
  };
  const Row rows[] = {
      {"8-bit stream written as 16-bit words", 1, 8, 16, 0, 0, 0x00080008u, 0x08000000u},
      {"the same with the gap in front", 1, 8, 16, 0, 1, 0x00080008u, 0x00080000u},
      {"24 bits, highest channel first", 0, 24, 24, 0, 0, 0x08880000u, 0},
      {"16 bits", 0, 16, 16, 0, 0, 0x00880000u, 0},
      {"12 bits", 0, 12, 12, 0, 0, 0x00840000u, 0},
      {"12 bits in LSB mode", 0, 12, 12, 1, 0, 0x0048C000u, 0},
      {"20 bits in LSB mode", 0, 20, 24, 1, 0, 0x0488C000u, 0},
      {"20-bit stream from 24-bit memory", 0, 24, 20, 0, 0, 0x08840000u, 0x04000000u},
      {"4 bits", 0, 4, 8, 0, 0, 0x00040000u, 0},
      {"no bits", 0, 0, 0, 0, 0, 0, 0},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LL_Streng_TensorConf conf = Tensor(row.dir, static_cast<uint8_t>(row.bits_in), static_cast<uint8_t>(row.bits_out));
    conf.lsbmode = row.lsbmode;
    conf.gap_front = row.gap_front;
    LL_Streng_RegValues regs{};
    ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
    EXPECT_EQ(regs.ctrl, row.ctrl);
    EXPECT_EQ(regs.strd, row.strd);
  }
}

TEST(StrengValuesTest, ControlFlags)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 0, 0);
  conf.raw = 1;
  conf.raw_out = 1;
  conf.cont = 1;
  conf.noblk = 1;
  conf.noinc = 1;
  conf.raw_frame_len = 1;
  LL_Streng_RegValues regs{};
  ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
  EXPECT_EQ(regs.ctrl, 0x00000B90u);
}

TEST(StrengValuesTest, SizesAndOffsets)
{
  struct Row {
    const char *name;
    uint32_t width, height, depth_size, depth_offset, line_offset;
    uint32_t fsize, depth, strd, cid_cache, limiten;
  };
  const Row rows[] = {
      {"line offset from width and depth offset", 128, 64, 3, 3, 0, 0x00400080u, 0x00030003u, 384, 0, 0x6},
      {"explicit line offset above 16 bits", 10, 1, 1, 1, 0x12345, 0x0001000Au, 0x00010001u, 0x2345, 0x00010000u, 0x6},
      {"depth size never spills into the offset", 1, 1, 0x12345, 2, 4, 0x00010001u, 0x00022345u, 4, 0, 0x6},
      {"depth offset high half goes to LIMITEN", 1, 1, 1, 0x10002, 4, 0x00010001u, 0x00020001u, 4, 0, 0x00010006u},
      {"width taken mod 2^16", 0x10005, 2, 1, 0, 8, 0x00020005u, 0x00000001u, 8, 0, 0x6},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 8);
    conf.width = row.width;
    conf.height = row.height;
    conf.depth_size = row.depth_size;
    conf.depth_offset = row.depth_offset;
    conf.line_offset = row.line_offset;
    LL_Streng_RegValues regs{};
    ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
    EXPECT_EQ(regs.fsize, row.fsize);
    EXPECT_EQ(regs.depth, row.depth);
    EXPECT_EQ(regs.strd, row.strd);
    EXPECT_EQ(regs.cid_cache, row.cid_cache);
    EXPECT_EQ(regs.limiten, row.limiten);
  }
}

TEST(StrengValuesTest, RawElementCount)
{
  struct Row {
    const char *name;
    unsigned dir, bits_in, bits_out;
    uint32_t raw_frame_len, offset_start, offset_end;
    uint32_t fsize;
  };
  const Row rows[] = {
      {"from the byte length", 0, 24, 24, 0, 0, 96, 32},
      {"memory width of a stream-to-bus engine", 1, 8, 16, 0, 16, 48, 16},
      {"given count wins", 0, 8, 8, 7, 0, 96, 7},
      {"rounded down", 0, 24, 24, 0, 0, 4, 1},
      {"the product wraps at 2^32", 0, 8, 8, 0, 0, 0x20000001u, 1},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LL_Streng_TensorConf conf = Tensor(row.dir, static_cast<uint8_t>(row.bits_in), static_cast<uint8_t>(row.bits_out));
    conf.raw = 1;
    conf.raw_frame_len = row.raw_frame_len;
    conf.offset_start = row.offset_start;
    conf.offset_end = row.offset_end;
    conf.width = 100;
    conf.depth_offset = 5;
    conf.line_offset = 0x30000;
    LL_Streng_RegValues regs{};
    ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
    EXPECT_EQ(regs.fsize, row.fsize);
    EXPECT_EQ(regs.strd & ZUNO_STRENG_STRD_LOFF_MASK, 0u);  // no line offset in RAW mode
    EXPECT_EQ(regs.cid_cache, 0u);
  }
}

TEST(StrengValuesTest, EventsAndEncryption)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 8);
  conf.frmtrg_en = 1;
  conf.frmtrg_src = 37;
  conf.encr_en = 1;
  conf.key_sel = 1;
  LL_Streng_RegValues regs{};
  ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
  EXPECT_EQ(regs.event, 0x05900000u);
  EXPECT_EQ(regs.encr_msb, 0x00005000u);
  conf.dir = ZUNO_STRENGDIR_STR2BUS;  // the frame trigger is for bus-to-stream engines only
  ASSERT_EQ(LL_Streng_ComputeRegs(&conf, &regs), LL_ZUNO_OK);
  EXPECT_EQ(regs.event, 0x00100000u);
}

TEST_F(StrengTest, RawTensorSkipsDepthAndLimitAddress)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_STR2BUS, 24, 24);
  conf.raw = 1;
  conf.offset_start = 0;
  conf.offset_end = 96;
  conf.frame_offset = 96;
  conf.frame_limit = 1;
  EXPECT_EQ(LL_Streng_TensorInit(1, &conf, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [1] 0x1",
                        "write 6 0 0x888010c",
                        "write 6 2 AXISRAM1(0x0)",
                        "write 6 3 0x20",
                        "write 6 8 0x0",
                        "write 6 7 0x0",
                        "write 6 6 0x60",
                        "write 6 12 0x6",
                        "write 6 13 0x1",
                        "write 6 9 0x24",
                        "write 6 5 0x0",
                        "write 6 18 0x0",
                        "write 6 10 0x100000",
                        "write 6 17 0x0",
                    }));
}

TEST_F(StrengTest, AbsolutePoolGivesPlainAddresses)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 8);
  conf.addr_base = PoolAddress(0x90000000u);
  conf.offset_start = 0x40;
  conf.offset_limit = 0x80;
  EXPECT_EQ(LL_Streng_TensorInit(0, &conf, 1), LL_ZUNO_OK);
  std::vector<std::string> lines = test_recorder::Lines();
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[2], "write 5 2 0x90000040");
  EXPECT_EQ(lines[10], "write 5 14 0x9000007f");
}

TEST_F(StrengTest, Rejections)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 8, 8);
  EXPECT_EQ(LL_Streng_TensorInit(10, &conf, 1), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Streng_TensorInit(-1, &conf, 1), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");

  // The clock gate stays open when the record is refused.
  EXPECT_EQ(LL_Streng_TensorInit(4, &conf, 2), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [4] 0x1"}));
  test_recorder::Reset();
  conf.bits_in = 25;
  EXPECT_EQ(LL_Streng_TensorInit(4, &conf, 1), LL_ZUNO_INVALID_ID);
  conf.bits_in = 8;
  conf.bits_out = 25;
  EXPECT_EQ(LL_Streng_TensorInit(4, &conf, 1), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [4] 0x1", "writefield 0 4 [4] 0x1"}));
}

TEST_F(StrengTest, RawTensorWithoutElementCountOrWidthIsRefused)
{
  LL_Streng_TensorConf conf = Tensor(ZUNO_STRENGDIR_BUS2STR, 0, 8);
  conf.raw = 1;
  conf.offset_end = 64;
  EXPECT_EQ(LL_Streng_TensorInit(2, &conf, 1), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [2] 0x1"}));
}

TEST_F(StrengTest, ExtSync)
{
  LL_Streng_ExtSyncConf conf{};
  conf.en = 1;
  conf.src = 5;
  conf.lines = 7;
  conf.special_lines = 0x12345;
  conf.special_offset = 9;
  EXPECT_EQ(LL_Streng_ExtSyncInit(2, &conf), LL_ZUNO_OK);
  EXPECT_EQ(LL_Streng_ExtSyncInit(10, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [2] 0x1", "write 7 19 0x70051", "write 7 20 0x92345"}));
}

TEST_F(StrengTest, WaitWithoutEnginesReturnsAtOnce)
{
  EXPECT_EQ(LL_Streng_Wait(0), LL_ZUNO_OK);
  EXPECT_EQ(LL_Streng_Wait(0xFFFFFC00u), LL_ZUNO_OK);
  EXPECT_EQ(Text(), "");
}

TEST_F(StrengTest, WaitOnAnEngineCannotBeRecorded)
{
  EXPECT_DEATH(LL_Streng_Wait(0x2), "ec_trace_unsupported");
}

TEST(StrengLenTest, WrapsAt32Bits)
{
  LL_Streng_TensorConf conf{};
  conf.offset_start = 16;
  conf.offset_end = 112;
  EXPECT_EQ(LL_Streng_len(&conf), 96u);
  conf.offset_start = 10;
  conf.offset_end = 4;
  EXPECT_EQ(LL_Streng_len(&conf), 0xFFFFFFFAu);
}

}  // namespace
