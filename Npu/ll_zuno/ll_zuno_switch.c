/* Stream switch driver: route values and the switch set-up and tear-down sequences. */
#include "ll_zuno_switch.h"

#include "ll_zuno_access.h"

static uintptr_t switch_reg(uint32_t offset)
{
  return ZUNO_STRSWITCH_BASE(0) + offset;
}

uint32_t LL_Switch_RouteValue(const LL_Switch_Conf *route)
{
  /* Both sources are checked, source0 first, also when their context is off. */
  uint32_t link0 = (uint32_t)_zunoc_getSrcPortID(route->source0);
  uint32_t link1 = (uint32_t)_zunoc_getSrcPortID(route->source1);
  return ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_EN0, route->context0) | ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_LINK0, link0) |
         ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_FNR0, route->frames0) |
         ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_EN1, route->context1) | ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_LINK1, link1) |
         ZUNO_SET_FIELD(ZUNO_STRSWITCH_DST_FNR1, route->frames1);
}

/* Destination register and value of a route; the destination descriptor is checked first. */
static uintptr_t route_register(const LL_Switch_Conf *route, uint32_t *value)
{
  uintptr_t address = switch_reg(_zunoc_getDstPortID(route->dest));
  *value = LL_Switch_RouteValue(route);
  return address;
}

int LL_Switch_Init_NoReset(const LL_Switch_Conf *routes, int count)
{
  ll_zuno_write_reg(switch_reg(ZUNO_STRSWITCH_CTRL_OFFSET), ZUNO_SET_FIELD(ZUNO_STRSWITCH_CTRL_EN, 1u));
  for (int i = 0; i < count; ++i) {
    uint32_t value;
    uintptr_t address = route_register(&routes[i], &value);
    ll_zuno_write_reg(address, value);
  }
  return LL_ZUNO_OK;
}

int LL_Switch_Init(const LL_Switch_Conf *routes, int count)
{
  uintptr_t ctrl = switch_reg(ZUNO_STRSWITCH_CTRL_OFFSET);
  ll_zuno_static_checks();
  /* Drain the switch, then drop every route of earlier calls. */
  ll_zuno_write_reg(ctrl, ZUNO_SET_FIELD(ZUNO_STRSWITCH_CTRL_CLR, 1u));
  LL_ZUNO_POLL_FIELD(ctrl, ZUNO_STRSWITCH_CTRL_CLR, 0u);
  ll_zuno_write_reg(ctrl, ZUNO_SET_FIELD(ZUNO_STRSWITCH_CTRL_CONFCLR, 1u));
  LL_ZUNO_POLL_FIELD(ctrl, ZUNO_STRSWITCH_CTRL_CONFCLR, 0u);
  return LL_Switch_Init_NoReset(routes, count);
}

int LL_Switch_Deinit(const LL_Switch_Conf *routes, int count)
{
  for (int i = 0; i < count; ++i) {
    uint32_t value;
    uintptr_t address = route_register(&routes[i], &value);
    ll_zuno_write_reg(address, 0u);
  }
  return LL_ZUNO_OK;
}

int LL_Switch_Deinit_Fine_Grained(const LL_Switch_Conf *routes, int count)
{
  for (int i = 0; i < count; ++i) {
    uint32_t unused;
    uintptr_t address = route_register(&routes[i], &unused);
    /* A plain memory read of the register, not a recorded access. */
    uint32_t value = *(const volatile uint32_t *)address;
    if (routes[i].context0) {
      value &= ~ZUNO_STRSWITCH_DST_EN0_MASK;
    }
    if (routes[i].context1) {
      value &= ~ZUNO_STRSWITCH_DST_EN1_MASK;
    }
    ll_zuno_write_reg(address, value);
  }
  return LL_ZUNO_OK;
}
