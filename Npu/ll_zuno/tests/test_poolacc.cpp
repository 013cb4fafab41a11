// Tests of the pooling unit driver: register values and order, type codes, record flags, crops and dimensions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Lines;
using test_recorder::Text;

class PoolaccTest : public RecorderTest {};

std::string Write(uint32_t ip, uint32_t reg, uint32_t value)
{
  char text[64];
  std::snprintf(text, sizeof text, "write %u %u 0x%x", ip, reg, value);
  return text;
}

// Register ids of the POOL page.
enum : uint32_t { kCtrl = 0, kPdims = 2, kFdims = 3, kOutdims = 4, kMulval = 5, kXcrop = 6, kYcrop = 7, kRndctrl = 8 };

// Index of each register's write in a recorded POOL set-up (after the clock gate).
enum : size_t { kAtCtrl = 1, kAtRndctrl, kAtPdims, kAtFdims, kAtOutdims, kAtMulval, kAtXcrop, kAtYcrop };

LL_Poolacc_Conf AveragePooling()
{
  LL_Poolacc_Conf conf{};
  conf.pool_type = LL_POOL_AVG;
  conf.in_width = 32;
  conf.in_height = 16;
  conf.out_width = 16;
  conf.out_height = 8;
  conf.winx = 2;
  conf.winy = 2;
  conf.strdx = 2;
  conf.strdy = 2;
  conf.tpad = 1;
  conf.bpad = 1;
  conf.lpad = 1;
  conf.rpad = 1;
  conf.batch = 4;
  conf.fbytes = 2;
  conf.fobytes = 1;
  conf.frndmode = 2;
  conf.obytes = 1;
  conf.orndmode = 3;
  conf.mulval = -1;
  return conf;
}

TEST(PoolRegisterMapTest, CtrlResetIsTheSumOfItsFieldResets)
{
  const uint32_t sum = ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_TYPE) + ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_ROUND) +
                       ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_SAT) + ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_OUTSHIFT) +
                       ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_DUALLINE) + ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_CROPEN) +
                       ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_FBYTES) + ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_FSHIFT) +
                       ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_FROUND) + ZUNO_FIELD_RESET(ZUNO_POOL_CTRL_FSAT);
  EXPECT_EQ(sum, ZUNO_POOL_CTRL_RESET);
}

TEST_F(PoolaccTest, AveragePoolingRecordsItsRegistersInOrder)
{
  const LL_Poolacc_Conf conf = AveragePooling();
  ASSERT_EQ(LL_Poolacc_Init(1, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [23] 0x1",
                        "write 28 0 0x428008",    // CTRL: FSHIFT 16, FBYTES 2, CROPEN, TYPE 2
                        "write 28 8 0xd0009",     // RNDCTRL
                        "write 28 2 0x10924892",  // PDIMS
                        "write 28 3 0x100080",    // FDIMS: 32 x 4 elements, 16 lines
                        "write 28 4 0x80010",     // OUTDIMS
                        "write 28 5 0xffff",      // MULVAL
                        "write 28 6 0x0",         // XCROP
                        "write 28 7 0x0",         // YCROP
                    }));
}

TEST_F(PoolaccTest, TypeCodesMapToCtrlType)
{
  const uint32_t types[] = {0, 1, 2, 8, 9, 10};
  for (uint32_t code = LL_POOL_MAX; code <= LL_POOL_GAVG; ++code) {
    SCOPED_TRACE(code);
    test_recorder::Reset();
    LL_Poolacc_Conf conf{};
    conf.pool_type = code;
    ASSERT_EQ(LL_Poolacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Lines()[kAtCtrl], Write(27, kCtrl, 0x408000u | types[code - 1] << 2));
    EXPECT_EQ(get_Poolacc_type(code), static_cast<int>(types[code - 1]));
  }
  EXPECT_DEATH(get_Poolacc_type(0), AssertionReport("0"));
  EXPECT_DEATH(get_Poolacc_type(7), AssertionReport("0"));
}

TEST_F(PoolaccTest, CtrlAndRndctrlFieldsFromTheRecord)
{
  struct Row {
    const char *name;
    void (*set)(LL_Poolacc_Conf &);
    uint32_t ctrl;
    uint32_t rndctrl;
  };
  const Row rows[] = {
      {"round", [](LL_Poolacc_Conf &c) { c.round = 1; }, 0x00408040, 0},
      {"sat", [](LL_Poolacc_Conf &c) { c.sat = 1; }, 0x00408080, 0},
      {"outshift", [](LL_Poolacc_Conf &c) { c.outshift = 0x45; }, 0x00408500, 0},
      {"dualline", [](LL_Poolacc_Conf &c) { c.dualline = 1; }, 0x0040C000, 0},
      {"fbytes", [](LL_Poolacc_Conf &c) { c.fbytes = 3; }, 0x00438000, 0},
      {"fshift", [](LL_Poolacc_Conf &c) { c.fshift = -17; }, 0x00FC8000, 0},
      {"fround", [](LL_Poolacc_Conf &c) { c.fround = 1; }, 0x01408000, 0},
      {"fsat", [](LL_Poolacc_Conf &c) { c.fsat = 1; }, 0x02408000, 0},
      {"fobytes", [](LL_Poolacc_Conf &c) { c.fobytes = 3; }, 0x00408000, 0x3},
      {"frndmode", [](LL_Poolacc_Conf &c) { c.frndmode = 3; }, 0x00408000, 0xC},
      {"obytes cut to 2 bits", [](LL_Poolacc_Conf &c) { c.obytes = 6; }, 0x00408000, 0x20000},
      {"orndmode", [](LL_Poolacc_Conf &c) { c.orndmode = 3; }, 0x00408000, 0xC0000},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Poolacc_Conf conf{};
    conf.pool_type = LL_POOL_MAX;
    row.set(conf);
    ASSERT_EQ(LL_Poolacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Lines()[kAtCtrl], Write(27, kCtrl, row.ctrl));
    EXPECT_EQ(Lines()[kAtRndctrl], Write(27, kRndctrl, row.rndctrl));
  }
}

// Position of the lowest bit in which two records differ, counted from the record's first byte.
int FirstDifferingBit(const LL_Poolacc_Conf &a, const LL_Poolacc_Conf &b)
{
  unsigned char x[sizeof a], y[sizeof b];
  std::memcpy(x, &a, sizeof x);
  std::memcpy(y, &b, sizeof y);
  for (size_t k = 0; k < sizeof x; ++k) {
    for (int bit = 0; bit < 8; ++bit) {
      if (((x[k] ^ y[k]) >> bit) & 1) {
        return static_cast<int>(8 * k) + bit;
      }
    }
  }
  return -1;
}

TEST(PoolRecordTest, FlagBitsFollowOneAnotherFromBitZero)
{
  LL_Poolacc_Conf zero{};
  LL_Poolacc_Conf c = zero;
  c.dualline = 1;
  const int base = FirstDifferingBit(zero, c);
  ASSERT_GE(base, 0);
  EXPECT_EQ(base % 16, 0);
  struct Row {
    const char *name;
    void (*set)(LL_Poolacc_Conf &);
    int bit;
  };
  const Row rows[] = {
      {"fround", [](LL_Poolacc_Conf &r) { r.fround = 1; }, 3},   {"fsat", [](LL_Poolacc_Conf &r) { r.fsat = 1; }, 4},
      {"frndmode", [](LL_Poolacc_Conf &r) { r.frndmode = 1; }, 5}, {"fbytes", [](LL_Poolacc_Conf &r) { r.fbytes = 1; }, 7},
      {"fobytes", [](LL_Poolacc_Conf &r) { r.fobytes = 1; }, 9},   {"round", [](LL_Poolacc_Conf &r) { r.round = 1; }, 11},
      {"sat", [](LL_Poolacc_Conf &r) { r.sat = 1; }, 12},          {"orndmode", [](LL_Poolacc_Conf &r) { r.orndmode = 1; }, 13},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    LL_Poolacc_Conf r = zero;
    row.set(r);
    EXPECT_EQ(FirstDifferingBit(zero, r) - base, row.bit);
  }
}

TEST_F(PoolaccTest, CropBoundsCountElements)
{
  struct Row {
    const char *name;
    uint16_t left, right, top, bottom, batch;
    uint32_t xcrop, ycrop;
  };
  const Row rows[] = {
      {"not set, batch 1", 0, 0, 0, 0, 1, 0x00000000, 0x00000000},
      {"right not set, batch 4", 0, 0, 0, 0, 4, 0x00000000, 0x00000000},
      {"right 5, batch 4", 0, 5, 0, 0, 4, 0x00170000, 0x00000000},
      {"left 3, batch 4", 3, 0, 0, 0, 4, 0x0000000C, 0x00000000},
      {"batch 0", 3, 5, 0, 0, 0, 0x00000000, 0x00000000},
      {"vertical", 0, 0, 7, 9, 1, 0x00000000, 0x00090007},
      {"12-bit bounds", 0x401, 0x800, 0x1005, 0x2FFF, 2, 0x00010802, 0x0FFF0005},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Poolacc_Conf conf{};
    conf.pool_type = LL_POOL_MAX;
    conf.crop_left = row.left;
    conf.crop_right = row.right;
    conf.crop_top = row.top;
    conf.crop_bottom = row.bottom;
    conf.batch = row.batch;
    ASSERT_EQ(LL_Poolacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Lines()[kAtXcrop], Write(27, kXcrop, row.xcrop));
    EXPECT_EQ(Lines()[kAtYcrop], Write(27, kYcrop, row.ycrop));
  }
}

TEST_F(PoolaccTest, DimensionsAndWindowFieldsAreCutToTheirWidths)
{
  LL_Poolacc_Conf conf{};
  conf.pool_type = LL_POOL_GMAX;
  conf.in_width = 1000;
  conf.batch = 0x15;  // PDIMS.BSIZE keeps 4 bits; FDIMS uses the whole batch
  conf.in_height = 0x1002;
  conf.out_width = 0x1FFF;
  conf.out_height = 0x1001;
  conf.winx = 9;
  conf.winy = 15;
  conf.strdx = 17;
  conf.strdy = 31;
  conf.tpad = 9;
  conf.bpad = 10;
  conf.lpad = 11;
  conf.rpad = 12;
  ASSERT_EQ(LL_Poolacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Lines()[kAtPdims], Write(27, kPdims, 1u | 7u << 3 | 1u << 6 | 15u << 10 | 1u << 14 | 2u << 17 | 3u << 20 |
                                                     4u << 23 | 5u << 26));
  EXPECT_EQ(Lines()[kAtFdims], Write(27, kFdims, (21000u % 4096u) | 2u << 16));
  EXPECT_EQ(Lines()[kAtOutdims], Write(27, kOutdims, 0xFFFu | 1u << 16));
}

TEST_F(PoolaccTest, InstanceOutOfRangeRecordsNothing)
{
  const LL_Poolacc_Conf conf = AveragePooling();
  EXPECT_EQ(LL_Poolacc_Init(2, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Poolacc_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(PoolaccTest, UnknownTypeFailsAfterTheClockGate)
{
  LL_Poolacc_Conf conf = AveragePooling();
  conf.pool_type = 0;
  EXPECT_DEATH(LL_Poolacc_Init(0, &conf), AssertionReport("0"));
}

}  // namespace
