/* Stream-switch port numbering: source link ids, destination register offsets and their one-shot self checks. */
#include "ll_zuno.h"

int __zunoc_getSrcPortID(LL_ZUNO_SwitchKind switch_kind, uint8_t su_num, LL_ZUNO_UnitKind unit_kind,
                         uint8_t au_num, uint8_t port)
{
  LL_ZUNO_ASSERT(su_num == 0);
  switch ((int)switch_kind) {
    case STRSWITCH:
      break;
    case 1:
    case 2:
      LL_ZUNO_ASSERT(0);
      return 0;
    default:
      return 0;
  }
  switch (unit_kind) {
    case STRENG:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 10);
      return (int)ZUNO_LINK_STRENG0 + au_num;
    case CONVACC:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 4);
      return (int)ZUNO_LINK_CONVACC0 + au_num;
    case DECUN:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 2);
      return (int)ZUNO_LINK_DECUN0 + au_num;
    case ACTIV:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 2);
      return (int)ZUNO_LINK_ACTIV0 + au_num;
    case ARITH:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 4);
      return (int)ZUNO_LINK_ARITH0 + au_num;
    case POOL:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 2);
      return (int)ZUNO_LINK_POOL0 + au_num;
    default:
      LL_ZUNO_ASSERT(0);
      return 0;
  }
}

/* Destination register offset of the port'th input of instance au_num, from the index of instance 0. */
static unsigned dst_offset(unsigned first_idx, unsigned ports, unsigned au_num, unsigned port)
{
  return (unsigned)ZUNO_STRSWITCH_DST_OFFSET(STRSWITCH, first_idx + ports * au_num + port);
}

unsigned __zunoc_getDstPortID(LL_ZUNO_SwitchKind switch_kind, uint8_t su_num, LL_ZUNO_UnitKind unit_kind,
                              uint8_t au_num, uint8_t port)
{
  LL_ZUNO_ASSERT(su_num == 0);
  switch ((int)switch_kind) {
    case STRSWITCH:
      break;
    case 1:
    case 2:
      LL_ZUNO_ASSERT(0);
      return 0;
    default:
      return 0;
  }
  switch (unit_kind) {
    case STRENG:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 10);
      return dst_offset(ZUNO_STRSWITCH_0_DSTSTRENG_0_0_IDX, 1u, au_num, port);
    case CONVACC:
      LL_ZUNO_ASSERT(port < 3);
      LL_ZUNO_ASSERT(au_num < 4);
      return dst_offset(ZUNO_STRSWITCH_0_DSTCONVACC_0_0_IDX, ZUNO_STRSWITCH_CONVACC_DST_PORTS, au_num, port);
    case DECUN:
      LL_ZUNO_ASSERT(port < 2);
      LL_ZUNO_ASSERT(au_num < 2);
      return dst_offset(ZUNO_STRSWITCH_0_DSTDECUN_0_0_IDX, ZUNO_STRSWITCH_DECUN_DST_PORTS, au_num, port);
    case ACTIV:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 2);
      return dst_offset(ZUNO_STRSWITCH_0_DSTACTIV_0_0_IDX, 1u, au_num, port);
    case ARITH:
      LL_ZUNO_ASSERT(port < 2);
      LL_ZUNO_ASSERT(au_num < 4);
      return dst_offset(ZUNO_STRSWITCH_0_DSTARITH_0_0_IDX, ZUNO_STRSWITCH_ARITH_DST_PORTS, au_num, port);
    case POOL:
      LL_ZUNO_ASSERT(port == 0);
      LL_ZUNO_ASSERT(au_num < 2);
      return dst_offset(ZUNO_STRSWITCH_0_DSTPOOL_0_0_IDX, 1u, au_num, port);
    default:
      LL_ZUNO_ASSERT(0);
      return 0;
  }
}

int _zunoc_getSrcPortID(LL_ZUNO_PortDesc desc)
{
  return __zunoc_getSrcPortID(desc.switch_kind, desc.su_num, desc.unit_kind, desc.au_num, desc.port);
}

unsigned _zunoc_getDstPortID(LL_ZUNO_PortDesc desc)
{
  return __zunoc_getDstPortID(desc.switch_kind, desc.su_num, desc.unit_kind, desc.au_num, desc.port);
}

/* Expands the macros of a comparison before it is checked, so that its report shows the numbers. */
#define LL_ZUNO_ASSERT_EXPANDED(cond) LL_ZUNO_ASSERT(cond)
#define CHECK_SRC(U, I, P) \
  LL_ZUNO_ASSERT_EXPANDED(ZUNOC_SRCPORT(STRSWITCH, 0, U, I, P) == __zunoc_getSrcPortID(STRSWITCH, 0, U, I, P))
#define CHECK_DST(U, I, P) \
  LL_ZUNO_ASSERT_EXPANDED(ZUNOC_DSTPORT(STRSWITCH, 0, U, I, P) == __zunoc_getDstPortID(STRSWITCH, 0, U, I, P))

/* The macros are unsigned long and the source ids int; the ids checked here are small and positive. */
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
void ll_zuno_static_checks(void)
{
  static int done;
  if (done) {
    return;
  }
  done = 1;
  CHECK_SRC(STRENG, 1, 0);
  CHECK_DST(STRENG, 1, 0);
  CHECK_SRC(STRENG, 2, 0);
  CHECK_DST(STRENG, 2, 0);
  CHECK_SRC(CONVACC, 1, 0);
  CHECK_DST(CONVACC, 1, 0);
  CHECK_DST(CONVACC, 1, 1);
  CHECK_DST(CONVACC, 1, 2);
  CHECK_SRC(CONVACC, 2, 0);
  CHECK_DST(CONVACC, 2, 0);
  CHECK_DST(CONVACC, 2, 1);
  CHECK_DST(CONVACC, 2, 2);
  CHECK_SRC(POOL, 1, 0);
  CHECK_DST(POOL, 1, 0);
  CHECK_SRC(ARITH, 1, 0);
  CHECK_DST(ARITH, 1, 0);
  CHECK_DST(ARITH, 1, 1);
  CHECK_SRC(ACTIV, 1, 0);
  CHECK_DST(ACTIV, 1, 0);
  CHECK_SRC(DECUN, 1, 0);
  CHECK_DST(DECUN, 1, 0);
  CHECK_DST(DECUN, 1, 1);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
