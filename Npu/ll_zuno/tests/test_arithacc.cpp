// Tests of the arithmetic unit driver: CTRL and shifter fields, counters per coefficient layout, coefficient memory.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "ll_zuno_bits.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Lines;
using test_recorder::Text;

class ArithaccTest : public RecorderTest {};

const char kBarrier[] = ";; Block ECFORGE optimizations to move reg writes pass this point";

std::string Write(uint32_t ip, uint32_t reg, uint32_t value)
{
  char text[64];
  std::snprintf(text, sizeof text, "write %u %u 0x%x", ip, reg, value);
  return text;
}

// Register ids of the ARITH page.
enum : uint32_t { kCtrl = 0, kShift = 2, kInccnt = 3, kRstcnt1 = 4, kRstcnt2 = 5, kRstcnt3 = 6, kCoeffac = 7,
                  kCoeffb = 8, kAddroffset = 9, kIncoffset = 10, kTranslate = 11, kCoeffaddr = 12, kInshifter = 13,
                  kCliprange = 14, kMem = 256 };

// The two writes of coefficient slot s of ARITH instance 0.
void AppendSlot(std::vector<std::string> &lines, uint32_t s, uint32_t word0, uint32_t word1)
{
  lines.push_back(Write(23, kMem + 2 * s, word0));
  lines.push_back(Write(23, kMem + 2 * s + 1, word1));
}

std::vector<uint32_t> Pack(const std::vector<int32_t> &values, unsigned bits)
{
  std::vector<uint32_t> words((values.size() * bits + 31) / 32 + 1, 0);
  for (size_t k = 0; k < values.size(); ++k) {
    LL_ZUNO_setbits(words.data(), static_cast<unsigned>(k * bits), bits, static_cast<unsigned>(values[k]));
  }
  return words;
}

LL_Arithacc_Conf ScalarRecord()
{
  LL_Arithacc_Conf conf{};
  conf.scalar = 1;
  conf.operation = LL_ARITH_AX_BY_C;
  return conf;
}

TEST(ArithRegisterMapTest, CtrlResetIsTheSumOfItsFieldResets)
{
  const uint32_t sum = ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_OBYTES) + ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_OP) +
                       ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_ORNDMODE) + ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_CNT1) +
                       ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_COMBINEBC) + ZUNO_FIELD_RESET(ZUNO_ARITH_CTRL_CLIPOUT);
  EXPECT_EQ(sum, ZUNO_ARITH_CTRL_RESET);
  EXPECT_EQ(ZUNO_ARITH_MEM_SLOTS, 384u);
}

TEST(ArithRecordTest, BytesFollowTheRecordLayout)
{
  EXPECT_EQ(offsetof(LL_Arithacc_Conf, fshift_x), 1u);
  EXPECT_EQ(offsetof(LL_Arithacc_Conf, fshift_y), 4u);
  EXPECT_EQ(offsetof(LL_Arithacc_Conf, shift_res), 6u);
  EXPECT_EQ(offsetof(LL_Arithacc_Conf, operation), 8u);
  LL_Arithacc_Conf conf{};
  conf.fround_y = 1;
  conf.combinebc = 1;
  conf.round = 1;
  conf.dualin = 1;
  unsigned char bytes[8];
  std::memcpy(bytes, &conf, sizeof bytes);
  EXPECT_EQ(bytes[2], 0x01);  // Y flags
  EXPECT_EQ(bytes[3], 0x01);  // combinebc, clipout
  EXPECT_EQ(bytes[5], 0x01);  // round, sat, orndmode, obytes
  EXPECT_EQ(bytes[7], 0x02);  // scalar, dualin
}

TEST_F(ArithaccTest, ScalarRecordWritesOnlyTheScalarRegisters)
{
  LL_Arithacc_Conf conf = ScalarRecord();
  conf.round = 1;
  conf.sat = 1;
  conf.obytes = 2;
  conf.clipout = 1;
  conf.clip_min = -128;
  conf.clip_max = 127;
  conf.coeff_a = 2;
  conf.coeff_b = -3;
  conf.coeff_c = 0x100;
  conf.shift_ax = 1;
  conf.shift_by = 2;
  conf.shift_c = 3;
  conf.shift_res = 4;
  conf.coeff_layout = 0;  // not used by scalar records
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [18] 0x1",
                        "write 23 0 0x8000000",    // CTRL at reset
                        "write 23 0 0x28000060",   // CTRL: CLIPOUT, OBYTES 2, SAT, ROUND
                        "write 23 13 0x400040",    // INSHIFTER: both shifts 16
                        "write 23 2 0x20c41",      // SHIFT
                        "write 23 7 0x1000002",    // COEFFAC
                        "write 23 8 0xfffd",       // COEFFB
                        "write 23 14 0xff80007f",  // CLIPRANGE
                        "write 23 12 0x0",         // COEFFADDR
                    }));
}

TEST_F(ArithaccTest, ClipRangeOnlyWithClipout)
{
  LL_Arithacc_Conf conf = ScalarRecord();
  conf.clip_max = 5;
  ASSERT_EQ(LL_Arithacc_Init(3, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [21] 0x1",
                        "write 26 0 0x8000000",
                        "write 26 0 0x0",
                        "write 26 13 0x400040",
                        "write 26 2 0x0",
                        "write 26 7 0x0",
                        "write 26 8 0x0",
                        "write 26 12 0x0",
                    }));
}

TEST_F(ArithaccTest, OperationCodesMapToOpAndOnlyNotXIsLogical)
{
  const uint32_t op_codes[] = {0x00, 0x01, 0x02, 0x07, 0x0B, 0x0F, 0x13, 0x17,
                               0x1B, 0x1F, 0x23, 0x27, 0x2B, 0x2F, 0x33, 0x37};
  for (uint32_t operation = 1; operation <= 16; ++operation) {
    SCOPED_TRACE(operation);
    test_recorder::Reset();
    LL_Arithacc_Conf conf = ScalarRecord();
    conf.operation = operation;
    ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
    const uint32_t logical = (operation == LL_ARITH_NOT_X) ? 0x00800000u : 0u;
    EXPECT_EQ(Lines()[2], Write(23, kCtrl, op_codes[operation - 1] << 9 | logical));
    EXPECT_EQ(get_Arithacc_type(operation), static_cast<int>(op_codes[operation - 1]));
  }
}

TEST_F(ArithaccTest, UnknownOperationFailsTheAssertion)
{
  EXPECT_DEATH(get_Arithacc_type(0), AssertionReport("0"));
  EXPECT_DEATH(get_Arithacc_type(17), AssertionReport("0"));
  LL_Arithacc_Conf conf = ScalarRecord();
  conf.operation = 99;
  EXPECT_DEATH(LL_Arithacc_Init(0, &conf), AssertionReport("0"));
}

TEST_F(ArithaccTest, CtrlAndInshifterFieldsFromTheRecord)
{
  struct Row {
    const char *name;
    void (*set)(LL_Arithacc_Conf &);
    uint32_t ctrl;
    uint32_t inshifter;
  };
  const Row rows[] = {
      {"dualin", [](LL_Arithacc_Conf &c) { c.dualin = 1; }, 0x00000100, 0x00400040},
      {"orndmode", [](LL_Arithacc_Conf &c) { c.orndmode = 3; }, 0x03000000, 0x00400040},
      {"obytes", [](LL_Arithacc_Conf &c) { c.obytes = 3; }, 0x0C000000, 0x00400040},
      {"combinebc", [](LL_Arithacc_Conf &c) { c.combinebc = 1; }, 0x10000000, 0x00400040},
      {"x flags", [](LL_Arithacc_Conf &c) { c.fround_x = 1; c.fsat_x = 1; c.frndmode_x = 3; c.fbytes_x = 2;
                                            c.fobytes_x = 1; }, 0, 0x00401F42},
      {"y flags", [](LL_Arithacc_Conf &c) { c.fround_y = 1; c.fsat_y = 1; c.frndmode_y = 2; c.fbytes_y = 3;
                                            c.fobytes_y = 3; }, 0, 0x3B430040},
      {"shifts", [](LL_Arithacc_Conf &c) { c.fshift_x = -16; c.fshift_y = 47; }, 0, 0x00FC0000},
      {"negative shifts wrap", [](LL_Arithacc_Conf &c) { c.fshift_x = -17; c.fshift_y = -20; }, 0, 0x00F000FC},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Arithacc_Conf conf = ScalarRecord();
    row.set(conf);
    ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Lines()[2], Write(23, kCtrl, row.ctrl));
    EXPECT_EQ(Lines()[3], Write(23, kInshifter, row.inshifter));
  }
}

TEST_F(ArithaccTest, ShiftFieldsAreCutToTheirWidths)
{
  LL_Arithacc_Conf conf = ScalarRecord();
  conf.shift_ax = 0x21;   // 5 bits: 1
  conf.shift_by = 0x3F;   // 5 bits: 31
  conf.shift_c = 0x20;    // 5 bits: 0
  conf.shift_res = 0x7F;  // 6 bits: 63
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Lines()[4], Write(23, kShift, 1u | 31u << 5 | 63u << 15));
}

TEST_F(ArithaccTest, PerChannelVectorRecord)
{
  std::vector<int32_t> a;
  for (int k = 0; k < 32; ++k) {
    a.push_back(k * 3 - 40);
  }
  const std::vector<uint32_t> vec_a = Pack(a, 16);
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_PER_CHANNEL;
  conf.channels = 32;
  conf.batch = 8;
  conf.width = 64;
  conf.height = 64;
  conf.vec_a = vec_a.data();
  conf.vec_a_bits = 16;
  conf.coeff_b = 5;
  conf.coeff_c = 7;
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);

  std::vector<std::string> expected = {
      "writefield 0 4 [18] 0x1",
      "write 23 0 0x8000000",
      "write 23 0 0x60009c",  // CTRL: CNT1-3, COEFFA, COEFFB, COEFFC
      "write 23 13 0x400040",
      "write 23 2 0x0",
      "write 23 7 0x70000",
      "write 23 8 0x5",
      "write 23 12 0x0",
      "write 23 3 0x0",        // INCCNT
      "write 23 4 0x7",        // RSTCNT1
      "write 23 5 0x7fff",     // RSTCNT2
      "write 23 6 0x1ffff",    // RSTCNT3
      "write 23 10 0x1",       // INCOFFSET
      "write 23 9 0x78403f9",  // ADDROFFSET: 0x1F9 | 1 << 9 | 0x1E1 << 18
      kBarrier,
      "write 23 11 0x1",
  };
  for (uint32_t k = 0; k < 32; ++k) {
    AppendSlot(expected, k, (static_cast<uint32_t>(a[k]) & 0xFFFFu) | 5u << 16, 7u);
  }
  EXPECT_EQ(Lines(), expected);
}

TEST_F(ArithaccTest, CountersPerCoefficientLayout)
{
  struct Row {
    uint32_t layout;
    std::vector<std::string> counters;
    size_t coefficients;
  };
  // W 10, H 6, C (batch) 4, N (channels) 12.
  const Row rows[] = {
      {LL_ARITH_COEFF_PER_LINE, {"write 23 3 0x27", "write 23 4 0xef", "write 23 10 0x1", "write 23 9 0x1fb"}, 6},
      {LL_ARITH_COEFF_PER_COLUMN, {"write 23 3 0x3", "write 23 4 0x27", "write 23 10 0x1", "write 23 9 0x1f7"}, 10},
      {LL_ARITH_COEFF_PER_PIXEL, {"write 23 3 0x3", "write 23 4 0xef", "write 23 10 0x1", "write 23 9 0x1c5"}, 60},
      {LL_ARITH_COEFF_SINGLE, {"write 23 3 0x0", "write 23 10 0x0"}, 1},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.layout);
    test_recorder::Reset();
    LL_Arithacc_Conf conf{};
    conf.operation = LL_ARITH_AX_BY_C;
    conf.coeff_layout = row.layout;
    conf.width = 10;
    conf.height = 6;
    conf.batch = 4;
    conf.channels = 12;
    ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 8 + row.counters.size() + 2 + 2 * row.coefficients);
    EXPECT_EQ(lines[2], Write(23, kCtrl, 0x00600084));  // CNT1, COEFFA-C; CNT2 and CNT3 only per channel
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 8, lines.begin() + 8 + row.counters.size()), row.counters);
    EXPECT_EQ(lines[8 + row.counters.size()], kBarrier);
    EXPECT_EQ(lines[9 + row.counters.size()], Write(23, kTranslate, 1));
  }
}

TEST_F(ArithaccTest, CountersWrapAtTwentySevenBits)
{
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_PER_CHANNEL;
  conf.width = 0x1000;
  conf.height = 0x1000;
  conf.batch = 8;  // W*H*C = 2^27: the count wraps to 2^27 - 1 after the subtraction
  conf.channels = 0;
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Lines()[10], Write(23, kRstcnt2, 0x7FFFFFF));
  EXPECT_EQ(Lines()[11], Write(23, kRstcnt3, 0x7FFFFFF));  // 0 - 1
  // No channel, no coefficient: the translation is still switched on.
  EXPECT_EQ(Lines().size(), 16u);
  EXPECT_EQ(Lines().back(), Write(23, kTranslate, 1));
}

TEST_F(ArithaccTest, UnknownLayoutIsRejectedAfterTheScalarRegisters)
{
  for (uint32_t layout : {0u, 6u}) {
    SCOPED_TRACE(layout);
    test_recorder::Reset();
    LL_Arithacc_Conf conf{};
    conf.operation = LL_ARITH_AX_BY_C;
    conf.coeff_layout = layout;
    EXPECT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_INVALID_PARAM);
    EXPECT_EQ(Lines().size(), 8u);
    EXPECT_EQ(Lines().back(), Write(23, kCoeffaddr, 0));
  }
}

TEST_F(ArithaccTest, SixHundredCoefficientsFillTheMemoryWithTranslationThenWithout)
{
  std::vector<int32_t> a;
  for (int k = 0; k < 600; ++k) {
    a.push_back(k);
  }
  const std::vector<uint32_t> vec_a = Pack(a, 16);
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_PER_PIXEL;
  conf.width = 30;
  conf.height = 20;
  conf.batch = 1;
  conf.vec_a = vec_a.data();
  conf.vec_a_bits = 16;
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);

  std::vector<std::string> expected = {kBarrier, "write 23 11 0x1"};
  for (uint32_t k = 0; k < 384; ++k) {
    AppendSlot(expected, k, k, 0);
  }
  expected.push_back(kBarrier);
  expected.push_back("write 23 11 0x0");
  for (uint32_t k = 384; k < 512; ++k) {
    AppendSlot(expected, k - 128, k, 0);
  }
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 12u + expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 12, lines.end()), expected);
}

TEST_F(ArithaccTest, CombinebcSplitsTheCElementIntoBAndC)
{
  const uint32_t vec_c[] = {0x12345678};
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_SINGLE;
  conf.combinebc = 1;
  conf.coeff_a = 9;
  conf.coeff_b = 3;  // replaced by the high half of the c element
  conf.vec_c = vec_c;
  conf.vec_c_bits = 32;
  ASSERT_EQ(LL_Arithacc_Init(1, &conf), LL_ZUNO_OK);
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[12], "write 24 256 0x12340009");
  EXPECT_EQ(lines[13], "write 24 257 0x5678");
}

TEST_F(ArithaccTest, VectorElementsAreSignExtendedAndCNegatedWhenCoeffCIsMinusOne)
{
  const std::vector<uint32_t> vec_b = Pack({-1, 7}, 4);
  const std::vector<uint32_t> vec_c = Pack({5, -3}, 8);
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_PER_COLUMN;
  conf.width = 2;
  conf.height = 1;
  conf.batch = 1;
  conf.coeff_a = -2;
  conf.coeff_c = -1;
  conf.vec_b = vec_b.data();
  conf.vec_b_bits = 4;
  conf.vec_c = vec_c.data();
  conf.vec_c_bits = 8;
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 14, lines.end()),
            (std::vector<std::string>{"write 23 256 0xfffffffe", "write 23 257 0xfffb", "write 23 258 0x7fffe",
                                      "write 23 259 0x3"}));
}

TEST_F(ArithaccTest, ScalarCIsNotNegated)
{
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_SINGLE;
  conf.coeff_c = -1;
  ASSERT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Lines().back(), Write(23, kMem + 1, 0xFFFF));
}

TEST_F(ArithaccTest, VectorElementsWiderThanAWordAreRejected)
{
  const uint32_t vec[] = {0, 0, 0};
  LL_Arithacc_Conf conf{};
  conf.operation = LL_ARITH_AX_BY_C;
  conf.coeff_layout = LL_ARITH_COEFF_SINGLE;
  conf.vec_b = vec;
  conf.vec_b_bits = 33;
  EXPECT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [18] 0x1"}));

  // The width of a vector that is not set does not matter.
  test_recorder::Reset();
  conf.vec_b = nullptr;
  EXPECT_EQ(LL_Arithacc_Init(0, &conf), LL_ZUNO_OK);
}

TEST_F(ArithaccTest, InstanceOutOfRangeRecordsNothing)
{
  const LL_Arithacc_Conf conf = ScalarRecord();
  EXPECT_EQ(LL_Arithacc_Init(4, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Arithacc_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

}  // namespace
