// Tests of the convolution accelerator driver: register values, write order, padding split, crops and rejections.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::Asm;
using test_recorder::Lines;
using test_recorder::Text;

class ConvaccTest : public RecorderTest {};

// The 3x3 convolution with 8 kernels and stride 2 over a 128x128x3 input, padded left and top by 1
// and cropped to 128 columns and lines.
LL_Convacc_Conf ExampleConvolution()
{
  LL_Convacc_Conf conf{};
  conf.fbytes = 1;
  conf.round = 1;
  conf.sat = 1;
  conf.orndmode = 1;
  conf.obytes = 2;
  conf.simd = 1;
  conf.funsigned = 1;
  conf.inshift = 4;
  conf.outshift = 4;
  conf.width = 128;
  conf.height = 128;
  conf.kwidth = 3;
  conf.kheight = 3;
  conf.knr = 8;
  conf.batch = 3;
  conf.hstride = 2;
  conf.vstride = 2;
  conf.pad_left = 1;
  conf.pad_top = 1;
  conf.crop_right = 127;
  conf.crop_bottom = 127;
  return conf;
}

// Value of the last recorded whole write to register reg of unit ip, or -1 if there is none.
int64_t Written(uint32_t ip, uint32_t reg)
{
  const std::string prefix = "write " + std::to_string(ip) + " " + std::to_string(reg) + " ";
  int64_t value = -1;
  for (const std::string &line : Lines()) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      value = static_cast<int64_t>(std::stoul(line.substr(prefix.size()), nullptr, 16));
    }
  }
  return value;
}

// Register ids of the CONVACC page.
enum : uint32_t { kCtrl = 0, kKformat = 2, kSample = 3, kDformat = 4, kFformat = 5, kFhcrop = 6, kFvcrop = 7,
                  kKfilt = 8, kAfilt = 9, kZframe = 10, kFsub = 12, kZfbias = 13 };

TEST_F(ConvaccTest, RecordBytesPackFromBitZero)
{
  const LL_Convacc_Conf conf = ExampleConvolution();
  unsigned char bytes[3];
  std::memcpy(bytes, &conf, sizeof bytes);
  EXPECT_EQ(bytes[0], 0xD0);
  EXPECT_EQ(bytes[1], 0x19);
  EXPECT_EQ(bytes[2], 0x40);
}

TEST(ConvaccRecordTest, BytesFollowTheRecordLayout)
{
  EXPECT_EQ(offsetof(LL_Convacc_Conf, fshift), 4u);
  EXPECT_EQ(offsetof(LL_Convacc_Conf, inshift), 5u);
  EXPECT_EQ(offsetof(LL_Convacc_Conf, outshift), 6u);
  EXPECT_EQ(offsetof(LL_Convacc_Conf, width), 8u);
}

TEST_F(ConvaccTest, WorkedExampleRecordsItsRegisterValuesInOrder)
{
  const LL_Convacc_Conf conf = ExampleConvolution();
  ASSERT_EQ(LL_Convacc_Init(1, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [11] 0x1",
                        "write 16 0 0x100034",    // CTRL
                        "write 16 4 0x10634404",  // DFORMAT
                        "write 16 5 0x800180",    // FFORMAT
                        "write 16 2 0x8030303",   // KFORMAT
                        "write 16 10 0x0",        // ZFRAME
                        "write 16 3 0x2211",      // SAMPLE
                        "write 16 6 0x17f0000",   // FHCROP
                        "write 16 7 0x7f0000",    // FVCROP
                        "write 16 13 0x0",        // ZFBIAS
                    }));
  EXPECT_EQ(Conv_ctrl_bits[1], 0x00100034u);
}

TEST_F(ConvaccTest, EnablingRewritesTheStoredCtrlWithEn)
{
  const LL_Convacc_Conf conf = ExampleConvolution();
  ASSERT_EQ(LL_Convacc_Init(2, &conf), LL_ZUNO_OK);
  test_recorder::Reset();
  const LL_ZUNO_UnitEntry units[] = {{CONVACC, 2}};
  LL_ZUNO_EnableUnits_Init(units, 1);
  EXPECT_EQ(Text(), Asm({"write 17 0 0x100035"}));
}

TEST_F(ConvaccTest, OptionalRegistersAreWrittenInTheirPlaces)
{
  LL_Convacc_Conf conf = ExampleConvolution();
  conf.afiltmode = 2;
  conf.afilt_tot = 3;
  conf.afilt_first = 1;
  conf.afilt_last = 2;
  conf.kfilt_tot = 4;
  conf.kfilt_first = 5;
  conf.kfilt_last = 6;
  conf.fstat = 1;
  conf.fstatcnt = 0x1234;
  conf.fsub = 0x1ABCDEF;  // cut to 24 bits
  conf.zfbias = -2;
  conf.accumulate = 1;
  conf.accumulate_first = 1;
  ASSERT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_OK);
  // zfbias moves all padding to the zero frame: left 1 pixel of 3 elements, top 1 line.
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [10] 0x1",
                        "write 15 0 0x1100220",  // CTRL: SIMD, AFILTMODE 2, FUNSIGNED, FSTAT
                        "write 15 9 0x20103",    // AFILT
                        "write 15 8 0x60504",    // KFILT
                        "write 15 4 0x10634404",
                        "write 15 5 0x800180",
                        "write 15 2 0x8030303",
                        "write 15 10 0x10003",   // ZFRAME
                        "write 15 3 0x12342200", // SAMPLE with FSTATCNT, no pads
                        "write 15 6 0x17f0000",
                        "write 15 7 0x7f0000",
                        "write 15 12 0xabcdef",  // FSUB
                        "write 15 13 0xfffe",    // ZFBIAS
                    }));
}

TEST_F(ConvaccTest, CtrlFieldsFromTheRecord)
{
  struct Row {
    const char *name;
    void (*set)(LL_Convacc_Conf &);
    uint32_t ctrl;
  };
  const Row rows[] = {
      {"defaults", [](LL_Convacc_Conf &) {}, 0x00000014},
      {"accumulate", [](LL_Convacc_Conf &c) { c.accumulate = 1; }, 0x00000010},
      {"accumulate_first", [](LL_Convacc_Conf &c) { c.accumulate_first = 1; }, 0x00000004},
      {"kt1", [](LL_Convacc_Conf &c) { c.kt1 = 1; }, 0x0000001C},
      {"simd", [](LL_Convacc_Conf &c) { c.simd = 3; }, 0x00000074},
      {"afiltmode", [](LL_Convacc_Conf &c) { c.afiltmode = 7; }, 0x00000314},
      {"gen1sum", [](LL_Convacc_Conf &c) { c.gen1sum = 1; }, 0x00000414},
      {"kunsigned", [](LL_Convacc_Conf &c) { c.kunsigned = 1; }, 0x00200014},
      {"kseten", [](LL_Convacc_Conf &c) { c.kseten = 3; }, 0x00C00014},
      {"fstat", [](LL_Convacc_Conf &c) { c.fstat = 1; }, 0x01000014},
      {"deepmode", [](LL_Convacc_Conf &c) { c.deepmode = 1; }, 0x10000014},
      {"dss2mode", [](LL_Convacc_Conf &c) { c.dss2mode = 1; }, 0x20000014},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Convacc_Conf conf{};
    row.set(conf);
    ASSERT_EQ(LL_Convacc_Init(3, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Written(18, kCtrl), row.ctrl);
    EXPECT_EQ(Conv_ctrl_bits[3], row.ctrl);
  }
}

TEST_F(ConvaccTest, DformatShiftsCountFromSixteen)
{
  struct Row {
    int8_t fshift;
    uint8_t inshift;
    uint8_t outshift;
    uint32_t dformat;
  };
  const Row rows[] = {
      {0, 0, 0, 0x10000000},
      {-20, 0, 0, 0x3C000000},  // (-20 + 16) mod 64 = 60
      {47, 0, 0, 0x3F000000},
      {48, 0, 0, 0x00000000},   // wraps to 0
      {0, 65, 66, 0x10000201},  // 6-bit shifts
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.fshift);
    test_recorder::Reset();
    LL_Convacc_Conf conf{};
    conf.fshift = row.fshift;
    conf.inshift = row.inshift;
    conf.outshift = row.outshift;
    ASSERT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Written(15, kDformat), row.dformat);
  }
  test_recorder::Reset();
  LL_Convacc_Conf flags{};
  flags.fround = 1;
  flags.fsat = 1;
  flags.frndmode = 3;
  flags.raw = 1;
  ASSERT_EQ(LL_Convacc_Init(0, &flags), LL_ZUNO_OK);
  EXPECT_EQ(Written(15, kDformat), 0xD00400C0u);
}

TEST_F(ConvaccTest, PaddingSplitsBetweenSamplerAndZeroFrame)
{
  struct Row {
    const char *name;
    uint16_t pad_left, pad_right, pad_top, pad_bottom;
    uint8_t kwidth, kheight;
    uint16_t batch;
    bool deepmode, dss2mode;
    int16_t zfbias;
    uint32_t sample;
    uint32_t zframe;
  };
  const Row rows[] = {
      {"top 3, kernel 3", 0, 0, 3, 0, 3, 3, 1, false, false, 0, 0x20, 0x00010000},
      {"top 3, kernel 1", 0, 0, 3, 0, 1, 1, 1, false, false, 0, 0x00, 0x00030000},
      {"bottom 2, kernel 5", 0, 0, 0, 2, 5, 5, 1, false, false, 0, 0x80, 0x00000000},
      {"left 4, kernel 5, batch 2", 4, 0, 0, 0, 5, 5, 2, false, false, 0, 0x02, 0x00000004},
      {"right 1, kernel 2, batch 3", 0, 1, 0, 0, 2, 2, 3, false, false, 0, 0x04, 0x00000000},
      {"right 3, kernel 2, batch 3", 0, 3, 0, 0, 2, 2, 3, false, false, 0, 0x04, 0x00000600},
      {"all sides, kernel 3", 1, 1, 1, 1, 3, 3, 1, false, false, 0, 0x55, 0x00000000},
      {"zero-frame bias", 1, 1, 1, 1, 3, 3, 2, false, false, 7, 0x00, 0x01010202},
      {"deep mode", 1, 2, 0, 0, 3, 3, 3, true, false, 0, 0x00, 0x00000603},
      {"stride-2 mode", 0, 0, 2, 1, 3, 3, 1, false, true, 0, 0x00, 0x01020000},
      {"zero frame wraps at 8 bits", 200, 0, 0, 0, 3, 3, 2, false, false, 0, 0x02, 0x0000008C},
      {"kernel 0 pads nothing itself", 1, 0, 1, 0, 0, 0, 1, false, false, 0, 0x00, 0x00010001},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Convacc_Conf conf{};
    conf.pad_left = row.pad_left;
    conf.pad_right = row.pad_right;
    conf.pad_top = row.pad_top;
    conf.pad_bottom = row.pad_bottom;
    conf.kwidth = row.kwidth;
    conf.kheight = row.kheight;
    conf.batch = row.batch;
    conf.deepmode = row.deepmode;
    conf.dss2mode = row.dss2mode;
    conf.zfbias = row.zfbias;
    ASSERT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Written(15, kSample), row.sample);
    EXPECT_EQ(Written(15, kZframe), row.zframe);
  }
}

TEST_F(ConvaccTest, CropBoundsCountElements)
{
  struct Row {
    const char *name;
    uint16_t left, right, top, bottom, batch;
    uint32_t fhcrop, fvcrop;
  };
  const Row rows[] = {
      {"not set", 0, 0, 0, 0, 8, 0xFFFF0000, 0xFFFF0000},
      {"right 31, batch 8", 0, 31, 0, 0, 8, 0x00FF0000, 0xFFFF0000},
      {"left 2, batch 8", 2, 0, 0, 0, 8, 0xFFFF0010, 0xFFFF0000},
      {"vertical", 0, 0, 5, 9, 8, 0xFFFF0000, 0x00090005},
      {"right wraps at 16 bits", 0, 0x2000, 0, 0, 8, 0x00070000, 0xFFFF0000},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Convacc_Conf conf{};
    conf.crop_left = row.left;
    conf.crop_right = row.right;
    conf.crop_top = row.top;
    conf.crop_bottom = row.bottom;
    conf.batch = row.batch;
    ASSERT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Written(15, kFhcrop), row.fhcrop);
    EXPECT_EQ(Written(15, kFvcrop), row.fvcrop);
  }
}

TEST_F(ConvaccTest, FormatsMultiplyHorizontalQuantitiesByBatch)
{
  LL_Convacc_Conf conf{};
  conf.width = 0x5000;
  conf.height = 7;
  conf.batch = 0x103;  // KFORMAT keeps the low 8 bits
  conf.kwidth = 1;
  conf.kheight = 2;
  conf.knr = 0xFF;
  ASSERT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Written(15, kFformat), 0x0007F000u);  // 0x5000 * 0x103 mod 2^16
  EXPECT_EQ(Written(15, kKformat), 0xFF030201u);
}

TEST_F(ConvaccTest, ExclusiveModesAreRejectedAfterTheClockGate)
{
  struct Row {
    const char *name;
    bool fstat, deepmode, dss2mode;
  };
  const Row rows[] = {
      {"fstat with deepmode", true, true, false},
      {"fstat with dss2mode", true, false, true},
      {"dss2mode with deepmode", false, true, true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    Conv_ctrl_bits[0] = 0x1234;
    LL_Convacc_Conf conf = ExampleConvolution();
    conf.fstat = row.fstat;
    conf.deepmode = row.deepmode;
    conf.dss2mode = row.dss2mode;
    EXPECT_EQ(LL_Convacc_Init(0, &conf), LL_ZUNO_INVALID_PARAM);
    EXPECT_EQ(Text(), Asm({"writefield 0 4 [10] 0x1"}));
    EXPECT_EQ(Conv_ctrl_bits[0], 0x1234u);
  }
  Conv_ctrl_bits[0] = 0;
}

TEST_F(ConvaccTest, InstanceOutOfRangeRecordsNothing)
{
  const LL_Convacc_Conf conf = ExampleConvolution();
  EXPECT_EQ(LL_Convacc_Init(4, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Convacc_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

}  // namespace
