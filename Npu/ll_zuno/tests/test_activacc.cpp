// Tests of the activation unit driver: CTRL fields, parameter and function writes, function tables, rejections.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Text;

class ActivaccTest : public RecorderTest {};

std::string Write(uint32_t ip, uint32_t reg, uint32_t value)
{
  char text[64];
  std::snprintf(text, sizeof text, "write %u %u 0x%x", ip, reg, value);
  return text;
}

TEST(ActivRegisterMapTest, CtrlResetIsTheSumOfItsFieldResets)
{
  const uint32_t sum = ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_TYPE) + ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FBYTES) +
                       ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FSHIFT) + ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FROUND) +
                       ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FSAT) + ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FRNDMODE) +
                       ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_FOBYTES) + ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_ROUND) +
                       ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_SAT) + ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_OBYTES) +
                       ZUNO_FIELD_RESET(ZUNO_ACTIV_CTRL_ORNDMODE);
  EXPECT_EQ(sum, ZUNO_ACTIV_CTRL_RESET);
}

TEST_F(ActivaccTest, ReluWritesCtrlParametersAndFunction)
{
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_RELU;
  conf.param = 0x12345;
  conf.param2 = 0xFFFF1;
  conf.signedop = 1;
  conf.outshift = 0x45;
  conf.bshift = 3;  // function evaluator only
  ASSERT_EQ(LL_Activacc_Init(1, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [17] 0x1",
                        "write 22 0 0x1000",    // CTRL: TYPE 0, FSHIFT 16
                        "write 22 2 0x2345",    // ACTIVPARAM
                        "write 22 4 0xfff1",    // ACTIVPARAM2
                        "write 22 3 0x100005",  // FUNC: SIGNEDOP, OUTSHIFT 5
                    }));
}

TEST_F(ActivaccTest, TypeCodesMapToCtrlType)
{
  const struct {
    uint32_t activ_type;
    uint32_t ctrl;
  } rows[] = {{LL_ACTIV_RELU, 0x1000}, {LL_ACTIV_PRELU, 0x1004}, {LL_ACTIV_TRELU, 0x1008}, {LL_ACTIV_FUNCTION, 0x100C}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.activ_type);
    test_recorder::Reset();
    LL_Activacc_Conf conf{};
    conf.activ_type = row.activ_type;
    ASSERT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_OK);
    ASSERT_GE(test_recorder::Lines().size(), 2u);
    EXPECT_EQ(test_recorder::Lines()[1], Write(21, 0, row.ctrl));
  }
  EXPECT_EQ(get_Activacc_type(4), 3);
}

TEST_F(ActivaccTest, CtrlFieldsFromTheRecord)
{
  struct Row {
    const char *name;
    void (*set)(LL_Activacc_Conf &);
    uint32_t ctrl;
  };
  const Row rows[] = {
      {"reset formats", [](LL_Activacc_Conf &c) { c.fbytes = 2; c.fobytes = 2; c.obytes = 2; }, 0x00881080},
      {"fround", [](LL_Activacc_Conf &c) { c.fround = 1; }, 0x00005000},
      {"fsat", [](LL_Activacc_Conf &c) { c.fsat = 1; }, 0x00009000},
      {"frndmode", [](LL_Activacc_Conf &c) { c.frndmode = 3; }, 0x00031000},
      {"fbytes", [](LL_Activacc_Conf &c) { c.fbytes = 3; }, 0x000010C0},
      {"fobytes", [](LL_Activacc_Conf &c) { c.fobytes = 3; }, 0x000C1000},
      {"round", [](LL_Activacc_Conf &c) { c.round = 1; }, 0x00101000},
      {"sat", [](LL_Activacc_Conf &c) { c.sat = 1; }, 0x00201000},
      {"obytes", [](LL_Activacc_Conf &c) { c.obytes = 3; }, 0x00C01000},
      {"orndmode", [](LL_Activacc_Conf &c) { c.orndmode = 3; }, 0x03001000},
      {"fshift -16", [](LL_Activacc_Conf &c) { c.fshift = -16; }, 0x00000000},
      {"fshift -17", [](LL_Activacc_Conf &c) { c.fshift = -17; }, 0x00003F00},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Activacc_Conf conf{};
    conf.activ_type = LL_ACTIV_RELU;
    row.set(conf);
    ASSERT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(test_recorder::Lines()[1], Write(21, 0, row.ctrl));
  }
}

TEST_F(ActivaccTest, FsubFollowsCtrlWhenSet)
{
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_PRELU;
  conf.fsub = 0x81000001;  // cut to 24 bits
  ASSERT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [16] 0x1",
                        "write 21 0 0x1004",
                        "write 21 5 0x1",
                        "write 21 2 0x0",
                        "write 21 4 0x0",
                        "write 21 3 0x0",
                    }));
}

TEST_F(ActivaccTest, FunctionEvaluatorWritesItsTables)
{
  const uint8_t rom0[] = {0x11, 0x22, 0xFF};
  const uint16_t rom1[] = {0x0001, 0x0002, 0x0003, 0xA00A, 0xB00B, 0xC00C, 0x7777};
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_FUNCTION;
  conf.signedop = 1;
  conf.outshift = 2;
  conf.bshift = 0x25;     // 5 bits: 5
  conf.cshift = 0x41;     // 6 bits: 1
  conf.bwidth = 9;        // 3 bits: 1
  conf.param = 0x10007;
  conf.param2 = 0x55;     // not used by the function evaluator
  conf.func_shift = 0x1A; // 4 bits: 0xA
  conf.rom0 = rom0;
  conf.rom0_len = 3;
  conf.rom1 = rom1;
  conf.rom1_len = 13;  // two whole entries
  ASSERT_EQ(LL_Activacc_Init(1, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [17] 0x1",
                        "write 22 0 0x100c",
                        "write 22 3 0x905042",  // FUNC: BWIDTH 1, SIGNEDOP, BSHIFT 5, CSHIFT 1, OUTSHIFT 2
                        "write 22 2 0xa0007",   // ACTIVPARAM: FUNC 0xA, PARAM 7
                        "write 22 256 0x11",    // ROM 0
                        "write 22 257 0x22",
                        "write 22 258 0xff",
                        "write 22 512 0x20001",  // ROM 1 entry 0
                        "write 22 513 0x3",
                        "write 22 514 0xb00ba00a",  // ROM 1 entry 1
                        "write 22 515 0xc00c",
                    }));
}

TEST_F(ActivaccTest, FullFunctionTablesFillTheirRoms)
{
  std::vector<uint8_t> rom0(ZUNO_ACTIV_ROM0_ENTRIES, 0x5A);
  std::vector<uint16_t> rom1(3 * ZUNO_ACTIV_ROM1_ENTRIES, 0x1234);
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_FUNCTION;
  conf.rom0 = rom0.data();
  conf.rom0_len = static_cast<uint32_t>(rom0.size());
  conf.rom1 = rom1.data();
  conf.rom1_len = static_cast<uint32_t>(rom1.size() * sizeof(uint16_t));
  ASSERT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_OK);
  const std::vector<std::string> lines = test_recorder::Lines();
  ASSERT_EQ(lines.size(), 4u + 256u + 2u * 256u);
  EXPECT_EQ(lines[4 + 255], "write 21 511 0x5a");
  EXPECT_EQ(lines.back(), "write 21 1023 0x1234");
}

TEST_F(ActivaccTest, FunctionTablesBeyondTheirRomsAreRejected)
{
  std::vector<uint8_t> rom0(ZUNO_ACTIV_ROM0_ENTRIES + 1, 0);
  std::vector<uint16_t> rom1(3 * (ZUNO_ACTIV_ROM1_ENTRIES + 1), 0);
  struct Row {
    const char *name;
    const uint8_t *rom0;
    uint32_t rom0_len;
    const uint16_t *rom1;
    uint32_t rom1_len;
  };
  const Row rows[] = {
      {"ROM 0 too long", rom0.data(), ZUNO_ACTIV_ROM0_ENTRIES + 1, nullptr, 0},
      {"ROM 1 too long", nullptr, 0, rom1.data(), 6 * (ZUNO_ACTIV_ROM1_ENTRIES + 1)},
      {"ROM 0 missing", nullptr, 1, nullptr, 0},
      {"ROM 1 missing", nullptr, 0, nullptr, 6},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    LL_Activacc_Conf conf{};
    conf.activ_type = LL_ACTIV_FUNCTION;
    conf.rom0 = row.rom0;
    conf.rom0_len = row.rom0_len;
    conf.rom1 = row.rom1;
    conf.rom1_len = row.rom1_len;
    EXPECT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_INVALID_PARAM);
    EXPECT_EQ(Text(), Asm({"writefield 0 4 [16] 0x1"}));
  }
  // A ROM 1 length below one entry loads nothing and needs no table.
  test_recorder::Reset();
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_FUNCTION;
  conf.rom1_len = 5;
  EXPECT_EQ(LL_Activacc_Init(0, &conf), LL_ZUNO_OK);
}

TEST_F(ActivaccTest, InstanceOutOfRangeRecordsNothing)
{
  LL_Activacc_Conf conf{};
  conf.activ_type = LL_ACTIV_RELU;
  EXPECT_EQ(LL_Activacc_Init(2, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Activacc_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(ActivaccTest, UnknownTypeFailsAfterTheClockGate)
{
  EXPECT_DEATH(get_Activacc_type(0), AssertionReport("0"));
  EXPECT_DEATH(get_Activacc_type(5), AssertionReport("0"));
  LL_Activacc_Conf conf{};
  conf.activ_type = 5;
  EXPECT_DEATH(
      {
        LL_Activacc_Init(0, &conf);
      },
      AssertionReport("0"));
}

TEST_F(ActivaccTest, DisablingInstanceOneClearsAndClosesIt)
{
  const LL_ZUNO_UnitEntry units[] = {{ACTIV, 1}};
  EXPECT_EQ(LL_ZUNO_DisableUnits_Init(units, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "write 22 0 0x881082",
                        "poll 22 0 [1] 0x0 100",
                        "write 22 0 0x40881080",
                        "poll 22 0 [30] 0x0 100",
                        "writefield 0 4 [17] 0x0",
                    }));
}

}  // namespace
