// Tests of the driver core: register map, clock gates, unit lists, init and de-init, port numbering and its checks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

// Driver assertions must survive a release build.
#ifndef NDEBUG
#define NDEBUG
#endif
#include "ll_zuno.h"
#include "ll_zuno_core_internal.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Text;

class DriverCoreTest : public RecorderTest {};

TEST(RegisterMapTest, FieldMacros)
{
  EXPECT_EQ(ZUNO_FIELD_MASK(0, 1), 0x1u);
  EXPECT_EQ(ZUNO_FIELD_MASK(16, 16), 0xFFFF0000u);
  EXPECT_EQ(ZUNO_FIELD_MASK(0, 32), 0xFFFFFFFFu);
  EXPECT_EQ(ZUNO_FIELD_MASK(31, 1), 0x80000000u);
  EXPECT_EQ(ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIZE1, 8), 0x00800000u);
  EXPECT_EQ(ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIZE1, 0x18), 0x00800000u);  // cut to 4 bits
  EXPECT_EQ(ZUNO_SET_FIELD(ZUNO_STRENG_DEPTH_OFFSET, 0x12345u), 0x23450000u);
  EXPECT_EQ(ZUNO_GET_FIELD(ZUNO_STRENG_EVENT_FRMTRG_SRC, 0xFF000000u), 0x1Fu);
  EXPECT_EQ(ZUNO_FIELD_RESET(ZUNO_STRENG_POS_GAPCYCLES), 0x00080000u);
  EXPECT_EQ(ZUNO_COMMON_CTRL_EN_MASK | ZUNO_COMMON_CTRL_CLR_MASK | ZUNO_COMMON_CTRL_CONFCLR_MASK, 0x40000003u);
}

TEST_F(DriverCoreTest, UnitPagesGiveTheirUnitIds)
{
  struct Row {
    const char *unit;
    uintptr_t instance0;
    uintptr_t last;
    uint32_t first_id;
    uint32_t last_id;
  };
  const Row rows[] = {
      {"CLKCTRL", ZUNO_CLKCTRL_BASE(0), ZUNO_CLKCTRL_BASE(ZUNO_CLKCTRL_NUM - 1), 0, 0},
      {"INTCTRL", ZUNO_INTCTRL_BASE(0), ZUNO_INTCTRL_BASE(ZUNO_INTCTRL_NUM - 1), 1, 1},
      {"BUSIF", ZUNO_BUSIF_BASE(0), ZUNO_BUSIF_BASE(ZUNO_BUSIF_NUM - 1), 2, 3},
      {"STRSWITCH", ZUNO_STRSWITCH_BASE(0), ZUNO_STRSWITCH_BASE(ZUNO_STRSWITCH_NUM - 1), 4, 4},
      {"STRENG", ZUNO_STRENG_BASE(0), ZUNO_STRENG_BASE(ZUNO_STRENG_NUM - 1), 5, 14},
      {"CONVACC", ZUNO_CONVACC_BASE(0), ZUNO_CONVACC_BASE(ZUNO_CONVACC_NUM - 1), 15, 18},
      {"DECUN", ZUNO_DECUN_BASE(0), ZUNO_DECUN_BASE(ZUNO_DECUN_NUM - 1), 19, 20},
      {"ACTIV", ZUNO_ACTIV_BASE(0), ZUNO_ACTIV_BASE(ZUNO_ACTIV_NUM - 1), 21, 22},
      {"ARITH", ZUNO_ARITH_BASE(0), ZUNO_ARITH_BASE(ZUNO_ARITH_NUM - 1), 23, 26},
      {"POOL", ZUNO_POOL_BASE(0), ZUNO_POOL_BASE(ZUNO_POOL_NUM - 1), 27, 28},
      {"RECBUF", ZUNO_RECBUF_BASE(0), ZUNO_RECBUF_BASE(ZUNO_RECBUF_NUM - 1), 29, 29},
      {"EPOCHCTRL", ZUNO_EPOCHCTRL_BASE(0), ZUNO_EPOCHCTRL_BASE(ZUNO_EPOCHCTRL_NUM - 1), 30, 30},
      {"DEBUG_TRACE", ZUNO_DEBUG_TRACE_BASE(0), ZUNO_DEBUG_TRACE_BASE(ZUNO_DEBUG_TRACE_NUM - 1), 31, 31},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.unit);
    EXPECT_EQ(ec_trace_get_IP_id(row.instance0), row.first_id);
    EXPECT_EQ(ec_trace_get_IP_id(row.last), row.last_id);
  }
}

TEST(RegisterMapTest, VersionTableAgreesWithVersionStrings)
{
  struct Row {
    const char *name;
    const char *version;
    uint32_t type;
  };
  const Row rows[] = {
      {"STRENG", ZUNO_STRENG_VERSION, 0x01}, {"CONVACC", ZUNO_CONVACC_VERSION, 0x17},
      {"POOL", ZUNO_POOL_VERSION, 0x1C},     {"ARITH", ZUNO_ARITH_VERSION, 0x1A},
      {"ACTIV", ZUNO_ACTIV_VERSION, 0x1B},   {"DECUN", ZUNO_DECUN_VERSION, 0x19},
      {"EPOCHCTRL", ZUNO_EPOCHCTRL_VERSION, 0x21}, {"RECBUF", ZUNO_RECBUF_VERSION, 0x20},
      {"CLKCTRL", ZUNO_CLKCTRL_VERSION, 0x1F},     {"INTCTRL", ZUNO_INTCTRL_VERSION, 0x1E},
      {"STRSWITCH", ZUNO_STRSWITCH_VERSION, 0x00}, {"BUSIF", ZUNO_BUSIF_VERSION, 0x1D},
  };
  size_t count = 0;
  const LL_ZUNO_VersionInfo *table = ll_zuno_version_table(&count);
  ASSERT_EQ(count, sizeof rows / sizeof rows[0]);
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_STREQ(table[i].name, rows[i].name);
    EXPECT_EQ(table[i].type, rows[i].type);
    EXPECT_EQ(std::to_string(table[i].major) + "." + std::to_string(table[i].minor), rows[i].version);
  }
}

TEST(RegisterMapTest, ControlResetValues)
{
  EXPECT_EQ(ZUNO_ACTIV_CTRL_RESET, 0x00881080u);
  EXPECT_EQ(ZUNO_ARITH_CTRL_RESET, 0x08000000u);
  EXPECT_EQ(ZUNO_POOL_CTRL_RESET, 0x00420000u);
  EXPECT_EQ(ZUNO_STRENG_CTRL_RESET, 0u);
  EXPECT_EQ(ZUNO_STRENG_CTRL_RESET,
            ZUNO_FIELD_RESET(ZUNO_STRENG_CTRL_EN) | ZUNO_FIELD_RESET(ZUNO_STRENG_CTRL_DIR) |
                ZUNO_FIELD_RESET(ZUNO_STRENG_CTRL_SIZE0) | ZUNO_FIELD_RESET(ZUNO_STRENG_CTRL_RUNNING));
}

TEST_F(DriverCoreTest, ClockGates)
{
  LL_ZUNO_EnableClock(3);
  LL_ZUNO_EnableClock(25);
  LL_ZUNO_DisableClock(17);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [3] 0x1", "writefield 0 4 [25] 0x1", "writefield 0 4 [17] 0x0"}));
}

TEST_F(DriverCoreTest, EnableUnits)
{
  const LL_ZUNO_UnitEntry list[] = {
      {STRENG, 2}, {CONVACC, 1}, {DECUN, 1}, {ACTIV, 0}, {ARITH, 3}, {POOL, 1}, {RECBUF, 0},
      {static_cast<LL_ZUNO_UnitKind>(1), 0}, {static_cast<LL_ZUNO_UnitKind>(7), 0},
      {static_cast<LL_ZUNO_UnitKind>(9), 0},
  };
  EXPECT_EQ(LL_ZUNO_EnableUnits_Init(list, 10), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 7 0 [0] 0x1",
                        "write 16 0 0x1",  // a CONVACC never configured
                        "writefield 20 0 [0] 0x1",
                        "writefield 21 0 [0] 0x1",
                        "writefield 26 0 [0] 0x1",
                        "writefield 28 0 [0] 0x1",
                        "writefield 29 0 [0] 0x1",
                    }));
}

TEST_F(DriverCoreTest, EnableConvaccRewritesItsConfiguration)
{
  Conv_ctrl_bits[2] = 0x00100034u;
  const LL_ZUNO_UnitEntry list[] = {{CONVACC, 2}};
  EXPECT_EQ(LL_ZUNO_EnableUnits_Init(list, 1), LL_ZUNO_OK);
  Conv_ctrl_bits[2] = 0;
  EXPECT_EQ(Text(), Asm({"write 17 0 0x100035"}));
}

TEST_F(DriverCoreTest, EmptyListsRecordNothing)
{
  const LL_ZUNO_UnitEntry list[] = {{STRENG, 0}};
  for (int count : {0, -1}) {
    SCOPED_TRACE(count);
    EXPECT_EQ(LL_ZUNO_EnableUnits_Init(list, count), LL_ZUNO_OK);
    EXPECT_EQ(LL_ZUNO_DisableUnits_Init(list, count), LL_ZUNO_OK);
    EXPECT_EQ(Text(), "");
  }
}

TEST_F(DriverCoreTest, DisableOneUnitOfEachKind)
{
  struct Row {
    LL_ZUNO_UnitEntry entry;
    std::string expected;
  };
  const Row rows[] = {
      {{ACTIV, 1},
       Asm({"write 22 0 0x881082", "poll 22 0 [1] 0x0 100", "write 22 0 0x40881080", "poll 22 0 [30] 0x0 100",
            "writefield 0 4 [17] 0x0"})},
      {{STRENG, 9},
       Asm({"write 14 0 0x2", "poll 14 0 [1] 0x0 100", "write 14 0 0x40000000", "poll 14 0 [30] 0x0 100",
            "writefield 0 4 [9] 0x0"})},
      {{CONVACC, 3},
       Asm({"write 18 0 0x2", "poll 18 0 [1] 0x0 100", "write 18 0 0x40000000", "poll 18 0 [30] 0x0 100",
            "writefield 0 4 [13] 0x0"})},
      {{DECUN, 0},
       Asm({"write 19 0 0x2", "poll 19 0 [1] 0x0 100", "write 19 0 0x40000000", "poll 19 0 [30] 0x0 100",
            "writefield 0 4 [14] 0x0"})},
      {{ARITH, 2},
       Asm({"write 25 0 0x8000002", "poll 25 0 [1] 0x0 100", "write 25 0 0x48000000", "poll 25 0 [30] 0x0 100",
            "writefield 0 4 [20] 0x0"})},
      {{POOL, 0},
       Asm({"write 27 0 0x420002", "poll 27 0 [1] 0x0 100", "write 27 0 0x40420000", "poll 27 0 [30] 0x0 100",
            "writefield 0 4 [22] 0x0"})},
      {{RECBUF, 0},
       Asm({"write 29 0 0x2", "poll 29 0 [1] 0x0 100", "write 29 0 0x40000000", "poll 29 0 [30] 0x0 100",
            "writefield 0 4 [24] 0x0"})},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.entry.unit_kind);
    test_recorder::Reset();
    EXPECT_EQ(LL_ZUNO_DisableUnits_Init(&row.entry, 1), LL_ZUNO_OK);
    EXPECT_EQ(Text(), row.expected);
  }
}

TEST_F(DriverCoreTest, DisableStopsAtAnUnsupportedKind)
{
  const LL_ZUNO_UnitEntry list[] = {{STRENG, 1}, {static_cast<LL_ZUNO_UnitKind>(7), 0}, {STRENG, 2}};
  EXPECT_EQ(LL_ZUNO_DisableUnits_Init(list, 3), LL_ZUNO_INVALID_PARAM);
  EXPECT_EQ(Text(), Asm({"write 6 0 0x2", "poll 6 0 [1] 0x0 100", "write 6 0 0x40000000", "poll 6 0 [30] 0x0 100",
                         "writefield 0 4 [1] 0x0"}));
}

TEST_F(DriverCoreTest, UnitInstanceOutOfRangeIsAnAssertion)
{
  const LL_ZUNO_UnitEntry streng[] = {{STRENG, 10}};
  const LL_ZUNO_UnitEntry convacc[] = {{CONVACC, 4}};
  const LL_ZUNO_UnitEntry recbuf[] = {{RECBUF, 1}};
  EXPECT_DEATH(LL_ZUNO_EnableUnits_Init(streng, 1), AssertionReport("unit_num < info->count"));
  EXPECT_DEATH(LL_ZUNO_EnableUnits_Init(convacc, 1), AssertionReport("unit_num < info->count"));
  EXPECT_DEATH(LL_ZUNO_DisableUnits_Init(recbuf, 1), AssertionReport("unit_num < info->count"));
}

TEST_F(DriverCoreTest, DeInit)
{
  EXPECT_EQ(LL_ZUNO_DeInit(), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 1 0 0x0", "write 2 0 0x0", "write 3 0 0x0", "write 0 2 0x0", "write 0 3 0x0",
                         "write 0 4 0x0", "write 0 0 0x0"}));
}

TEST_F(DriverCoreTest, InitStopsAtItsFirstRegisterRead)
{
  EXPECT_DEATH(LL_ZUNO_Init(), "ec_trace_unsupported");
}

TEST_F(DriverCoreTest, VersionMismatchReport)
{
  size_t count = 0;
  const LL_ZUNO_VersionInfo *table = ll_zuno_version_table(&count);
  errno = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ll_zuno_version_matches(&table[0], 0x5001u), 1);
  EXPECT_EQ(ll_zuno_version_matches(&table[5], 0x1A19u), 1);  // DECUN 1.10
  EXPECT_EQ(ll_zuno_version_matches(&table[0], 0x4001u), 0);
  errno = ENOENT;
  EXPECT_EQ(ll_zuno_version_matches(&table[5], 0x1219u), 0);
  errno = 0;
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, testing::MatchesRegex(
                       "\\[ERROR\\] \\(.*ll_zuno_core\\.c:[0-9]+: errno: None\\) STRENG unit ver mismatch: "
                       "RTL:t=1,ver=4\\.0  ZUNO\\.h:t=1,ver=5\\.0\n\r\n"
                       "\\[ERROR\\] \\(.*ll_zuno_core\\.c:[0-9]+: errno: No such file or directory\\) DECUN unit ver "
                       "mismatch: RTL:t=25,ver=1\\.2  ZUNO\\.h:t=25,ver=1\\.10\n\r\n"));
}

TEST(DriverAssertTest, StaysActiveWithNdebug)
{
  EXPECT_DEATH(LL_ZUNO_ASSERT(1 + 1 == 3), AssertionReport("1 + 1 == 3"));
}

TEST(PlatformHooksTest, IdentityAndNeverExpiringWatchdog)
{
  int object = 0;
  EXPECT_EQ(LL_Address_Physical2Virtual(&object), &object);
  EXPECT_EQ(LL_Address_Virtual2Physical(&object), &object);
  LL_ZUNO_Cache_MCU_Clean_Invalidate_Range(&object, sizeof object);
  EXPECT_EQ(startWatchdog(ZUNO_EPOCH_TIMEOUT), 0);
  EXPECT_EQ(checkWatchdog(), 0);
  EXPECT_EQ(ZUNO_EPOCH_TIMEOUT, 10000000u);
}

// ---- Port numbering ------------------------------------------------------------------------------

TEST(PortNumberingTest, SourceLinkIds)
{
  struct Row {
    LL_ZUNO_UnitKind kind;
    uint8_t au;
    int expected;
  };
  const Row rows[] = {
      {STRENG, 0, 0},   {STRENG, 9, 9},   {CONVACC, 0, 10}, {CONVACC, 3, 13}, {DECUN, 0, 14}, {DECUN, 1, 15},
      {ACTIV, 0, 16},   {ACTIV, 1, 17},   {ARITH, 0, 18},   {ARITH, 3, 21},   {POOL, 0, 22},  {POOL, 1, 23},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << row.kind << " " << int(row.au));
    EXPECT_EQ(__zunoc_getSrcPortID(STRSWITCH, 0, row.kind, row.au, 0), row.expected);
    EXPECT_EQ(_zunoc_getSrcPortID(LL_ZUNO_PortDesc{STRSWITCH, 0, row.kind, row.au, 0}), row.expected);
  }
}

TEST(PortNumberingTest, DestinationOffsets)
{
  struct Row {
    LL_ZUNO_UnitKind kind;
    uint8_t au;
    uint8_t port;
    unsigned expected;
  };
  const Row rows[] = {
      {STRENG, 0, 0, 8},     {STRENG, 9, 0, 44},   {CONVACC, 0, 0, 48}, {CONVACC, 3, 2, 92},
      {DECUN, 0, 0, 96},     {DECUN, 1, 1, 108},   {ACTIV, 0, 0, 112},  {ACTIV, 1, 0, 116},
      {ARITH, 0, 0, 120},    {ARITH, 3, 1, 148},   {POOL, 0, 0, 152},   {POOL, 1, 0, 156},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << row.kind << " " << int(row.au) << " " << int(row.port));
    EXPECT_EQ(__zunoc_getDstPortID(STRSWITCH, 0, row.kind, row.au, row.port), row.expected);
    EXPECT_EQ(_zunoc_getDstPortID(LL_ZUNO_PortDesc{STRSWITCH, 0, row.kind, row.au, row.port}), row.expected);
  }
}

TEST(PortNumberingTest, MacrosAgreeWithTheFunctions)
{
  EXPECT_EQ(ZUNOC_SRCPORT(STRSWITCH, 0, STRENG, 1, 0), 1u);
  EXPECT_EQ(STRENG_SRC(7, 0), 7u);
  EXPECT_EQ(POOL_SRC(1, 0), 23u);
  EXPECT_EQ(RECBUF_SRC(0, 2), 26u);
  EXPECT_EQ(ZUNOC_DSTPORT(STRSWITCH, 0, CONVACC, 1, 0), 0x8u + (13u << 2));
  EXPECT_EQ(CONVACC_DST(3, 2), 92u);
  EXPECT_EQ(ARITH_DST(0, 0), 0x78u);
  EXPECT_EQ(RECBUF_DST(0, 2), 0x8u + (40u << 2));
  EXPECT_EQ(ZUNO_STRSWITCH_DSTSTRENG0_OFFSET, 0x8u);
  EXPECT_EQ(ZUNO_STRSWITCH_DSTPOOL1_OFFSET, 0x8u + (37u << 2));
  ll_zuno_static_checks();
  ll_zuno_static_checks();
}

TEST(PortNumberingTest, OtherSwitchKindsGiveZero)
{
  EXPECT_EQ(__zunoc_getSrcPortID(static_cast<LL_ZUNO_SwitchKind>(3), 0, STRENG, 1, 0), 0);
  EXPECT_EQ(__zunoc_getDstPortID(static_cast<LL_ZUNO_SwitchKind>(3), 0, STRENG, 1, 0), 0u);
}

TEST(PortNumberingDeathTest, Assertions)
{
  const auto bad_switch = static_cast<LL_ZUNO_SwitchKind>(1);
  const auto no_unit = static_cast<LL_ZUNO_UnitKind>(7);
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 0, CONVACC, 3, 3), AssertionReport("port < 3"));
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 0, ARITH, 4, 0), AssertionReport("au_num < 4"));
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 1, STRENG, 99, 9), AssertionReport("su_num == 0"));
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 1, STRENG, 0, 0), AssertionReport("su_num == 0"));
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 0, CONVACC, 9, 1), AssertionReport("port == 0"));  // port first
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 0, STRENG, 10, 0), AssertionReport("au_num < 10"));
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 0, DECUN, 0, 2), AssertionReport("port < 2"));
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 0, ARITH, 4, 1), AssertionReport("au_num < 4"));
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 0, POOL, 2, 0), AssertionReport("au_num < 2"));
  EXPECT_DEATH(__zunoc_getSrcPortID(bad_switch, 0, STRENG, 0, 0), AssertionReport("0"));
  EXPECT_DEATH(__zunoc_getDstPortID(static_cast<LL_ZUNO_SwitchKind>(2), 0, STRENG, 0, 0), AssertionReport("0"));
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 0, no_unit, 0, 0), AssertionReport("0"));
  EXPECT_DEATH(__zunoc_getDstPortID(STRSWITCH, 0, RECBUF, 0, 0), AssertionReport("0"));
}

TEST(PortNumberingDeathTest, ReportNamesFileLineAndFunction)
{
  EXPECT_DEATH(__zunoc_getSrcPortID(STRSWITCH, 1, STRENG, 0, 0),
               "ll_zuno_ports\\.c:[0-9]+: __zunoc_getSrcPortID: Assertion `su_num == 0' failed\\.");
}

}  // namespace
