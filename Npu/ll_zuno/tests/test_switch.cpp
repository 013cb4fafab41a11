// Tests of the stream switch driver: route values and the recorded set-up and tear-down.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Text;

class SwitchTest : public RecorderTest {};

LL_ZUNO_PortDesc Port(LL_ZUNO_UnitKind kind, uint8_t instance, uint8_t port)
{
  return LL_ZUNO_PortDesc{STRSWITCH, 0, kind, instance, port};
}

// STRENG 3 output to ARITH 0 input 0, context 0 only.
LL_Switch_Conf ExampleRoute()
{
  LL_Switch_Conf route{};
  route.source0 = Port(STRENG, 3, 0);
  route.dest = Port(ARITH, 0, 0);
  route.context0 = 1;
  return route;
}

const std::string kClearSequence = Asm({"write 4 0 0x2", "poll 4 0 [1] 0x0 100", "write 4 0 0x40000000",
                                        "poll 4 0 [30] 0x0 100"});

TEST(SwitchRecordTest, Layout)
{
  EXPECT_EQ(sizeof(LL_ZUNO_PortDesc), 16u);
  EXPECT_EQ(offsetof(LL_ZUNO_PortDesc, au_num), 12u);
  EXPECT_EQ(offsetof(LL_Switch_Conf, dest), 32u);
  EXPECT_EQ(offsetof(LL_Switch_Conf, frames0), 48u);
  EXPECT_EQ(offsetof(LL_Switch_Conf, frames1), 49u);
  LL_Switch_Conf route{};
  route.context1 = 1;
  uint8_t bytes[sizeof route];
  std::memcpy(bytes, &route, sizeof route);
  EXPECT_EQ(bytes[50], 0x02u);
}

TEST(SwitchRouteTest, RouteValues)
{
  struct Row {
    const char *name;
    LL_Switch_Conf route;
    uint32_t value;
  };
  LL_Switch_Conf second_context_only{};
  second_context_only.source1 = Port(CONVACC, 2, 0);
  second_context_only.dest = Port(POOL, 1, 0);
  second_context_only.context1 = 1;
  LL_Switch_Conf frames{};
  frames.source0 = Port(POOL, 1, 0);
  frames.source1 = Port(DECUN, 1, 0);
  frames.dest = Port(STRENG, 9, 0);
  frames.frames0 = 1;
  frames.frames1 = 255;
  frames.context0 = 1;
  frames.context1 = 1;
  const Row rows[] = {
      {"the switch example", ExampleRoute(), 0x00000007u},
      {"context 1 only, source 0 all zero", second_context_only, 0x00190000u},
      {"tick counts", frames, 0xFF1F012Fu},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(LL_Switch_RouteValue(&row.route), row.value);
  }
}

TEST_F(SwitchTest, InitRecordsClearEnableAndRoutes)
{
  LL_Switch_Conf route = ExampleRoute();
  EXPECT_EQ(LL_Switch_Init(&route, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), kClearSequence + Asm({"write 4 0 0x1", "write 4 30 0x7"}));
}

TEST_F(SwitchTest, EveryInitClearsAgain)
{
  LL_Switch_Conf routes[2] = {ExampleRoute(), ExampleRoute()};
  routes[1].source0 = Port(ACTIV, 1, 0);
  routes[1].dest = Port(CONVACC, 1, 2);
  EXPECT_EQ(LL_Switch_Init(routes, 2), LL_ZUNO_OK);
  EXPECT_EQ(LL_Switch_Init(routes, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), kClearSequence + Asm({"write 4 0 0x1", "write 4 30 0x7", "write 4 17 0x23"}) + kClearSequence +
                        Asm({"write 4 0 0x1", "write 4 30 0x7"}));
}

TEST_F(SwitchTest, EmptyRouteLists)
{
  LL_Switch_Conf route = ExampleRoute();
  for (int count : {0, -3}) {
    SCOPED_TRACE(count);
    test_recorder::Reset();
    EXPECT_EQ(LL_Switch_Init(&route, count), LL_ZUNO_OK);
    EXPECT_EQ(Text(), kClearSequence + Asm({"write 4 0 0x1"}));
    test_recorder::Reset();
    EXPECT_EQ(LL_Switch_Init_NoReset(&route, count), LL_ZUNO_OK);
    EXPECT_EQ(Text(), Asm({"write 4 0 0x1"}));
    test_recorder::Reset();
    EXPECT_EQ(LL_Switch_Deinit(&route, count), LL_ZUNO_OK);
    EXPECT_EQ(LL_Switch_Deinit_Fine_Grained(&route, count), LL_ZUNO_OK);
    EXPECT_EQ(Text(), "");
  }
}

TEST_F(SwitchTest, InitNoResetKeepsTheConfiguration)
{
  LL_Switch_Conf route = ExampleRoute();
  EXPECT_EQ(LL_Switch_Init_NoReset(&route, 1), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 4 0 0x1", "write 4 30 0x7"}));
}

TEST_F(SwitchTest, DeinitClearsTheDestinationRegisters)
{
  LL_Switch_Conf routes[2] = {ExampleRoute(), ExampleRoute()};
  routes[1].dest = Port(DECUN, 1, 1);
  EXPECT_EQ(LL_Switch_Deinit(routes, 2), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 4 30 0x0", "write 4 27 0x0"}));
}

TEST_F(SwitchTest, FineGrainedDeinitClearsOnlyTheEnabledContexts)
{
  uint32_t *dst = reinterpret_cast<uint32_t *>(get_ec_zuno_base() + ZUNO_STRSWITCH_PAGE_OFFSET + 0x78);
  LL_Switch_Conf both = ExampleRoute();
  both.context1 = 1;
  LL_Switch_Conf first = ExampleRoute();
  LL_Switch_Conf none = ExampleRoute();
  none.context0 = 0;
  *dst = 0xFFFFFFFFu;
  EXPECT_EQ(LL_Switch_Deinit_Fine_Grained(&both, 1), LL_ZUNO_OK);
  EXPECT_EQ(LL_Switch_Deinit_Fine_Grained(&first, 1), LL_ZUNO_OK);
  EXPECT_EQ(LL_Switch_Deinit_Fine_Grained(&none, 1), LL_ZUNO_OK);
  *dst = 0;
  EXPECT_EQ(LL_Switch_Deinit_Fine_Grained(&both, 1), LL_ZUNO_OK);  // a zero-filled register space
  EXPECT_EQ(Text(), Asm({"write 4 30 0xfffefffe", "write 4 30 0xfffffffe", "write 4 30 0xffffffff",
                         "write 4 30 0x0"}));
}

TEST(SwitchDeathTest, DescriptorsAreCheckedDestinationFirst)
{
  initialize_ec_zuno_base();
  LL_Switch_Conf route = ExampleRoute();
  route.dest = Port(ARITH, 0, 2);
  route.source0 = Port(STRENG, 10, 0);
  EXPECT_DEATH(LL_Switch_Init_NoReset(&route, 1), AssertionReport("port < 2"));
  route.dest = Port(ARITH, 0, 1);
  EXPECT_DEATH(LL_Switch_Deinit(&route, 1), AssertionReport("au_num < 10"));
  route.source0 = Port(STRENG, 0, 0);
  route.source1 = Port(POOL, 0, 1);  // context 1 is off, its source is still checked
  EXPECT_DEATH(LL_Switch_Init_NoReset(&route, 1), AssertionReport("port == 0"));
  route.source1 = Port(STRENG, 0, 0);
  route.dest.su_num = 1;
  EXPECT_DEATH(LL_Switch_Init(&route, 1), AssertionReport("su_num == 0"));
}

TEST(SwitchInitializerTest, FieldDesignators)
{
  static const LL_Switch_Conf routes[] = {{
      LL_Switch_Init_Source(0) = {STRSWITCH, 0, STRENG, 3, 0},
      LL_Switch_Init_Source(1) = {STRSWITCH, 0, STRENG, 0, 0},
      LL_Switch_Init_Dest() = {STRSWITCH, 0, ARITH, 0, 0},
      LL_Switch_Init_Frames(0) = 0,
      LL_Switch_Init_Frames(1) = 0,
      LL_Switch_Init_Context(0) = 1,
      LL_Switch_Init_Context(1) = 0,
  }};
  EXPECT_EQ(LL_Switch_RouteValue(&routes[0]), 0x7u);
}

}  // namespace
