/* Driver core: assertions and reports, clock gates, unit enable/disable lists, accelerator init and platform hooks. */
#include "ll_zuno.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ll_zuno_access.h"
#include "ll_zuno_core_internal.h"

uint32_t Conv_ctrl_bits[ZUNO_CONVACC_NUM];

void ll_zuno_assert_fail(const char *expr, const char *file, unsigned line, const char *function)
{
  fflush(stdout);
  fprintf(stderr, "%s:%u: %s: Assertion `%s' failed.\n", file, line, function, expr);
  fflush(stderr);
  abort();
}

void ll_zuno_report_error(const char *file, int line, const char *format, ...)
{
  const char *errno_text = (errno == 0) ? "None" : strerror(errno);
  va_list args;
  printf("[ERROR] (%s:%d: errno: %s) ", file, line, errno_text);
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);
}

/* ---- Clock gates ------------------------------------------------------------------------------- */

static uintptr_t clkctrl_reg(uint32_t offset)
{
  return ZUNO_CLKCTRL_BASE(0) + offset;
}

void LL_ZUNO_EnableClock(unsigned bit)
{
  ll_zuno_write_field(clkctrl_reg(ZUNO_CLKCTRL_BGATES_OFFSET), bit, 1u, 1u);
}

void LL_ZUNO_DisableClock(unsigned bit)
{
  ll_zuno_write_field(clkctrl_reg(ZUNO_CLKCTRL_BGATES_OFFSET), bit, 1u, 0u);
}

/* ---- Unit lists -------------------------------------------------------------------------------- */

const LL_ZUNO_UnitInfo *ll_zuno_unit_info(LL_ZUNO_UnitKind kind)
{
  static const LL_ZUNO_UnitInfo units[] = {
    {STRENG, ZUNO_STRENG_PAGE_OFFSET, ZUNO_STRENG_NUM, ZUNO_STRENG_CTRL_RESET, ZUNO_CLKCTRL_BGATES_STRENG_LSB},
    {CONVACC, ZUNO_CONVACC_PAGE_OFFSET, ZUNO_CONVACC_NUM, ZUNO_CONVACC_CTRL_RESET, ZUNO_CLKCTRL_BGATES_CONVACC_LSB},
    {DECUN, ZUNO_DECUN_PAGE_OFFSET, ZUNO_DECUN_NUM, ZUNO_DECUN_CTRL_RESET, ZUNO_CLKCTRL_BGATES_DECUN_LSB},
    {ACTIV, ZUNO_ACTIV_PAGE_OFFSET, ZUNO_ACTIV_NUM, ZUNO_ACTIV_CTRL_RESET, ZUNO_CLKCTRL_BGATES_ACTIV_LSB},
    {ARITH, ZUNO_ARITH_PAGE_OFFSET, ZUNO_ARITH_NUM, ZUNO_ARITH_CTRL_RESET, ZUNO_CLKCTRL_BGATES_ARITH_LSB},
    {POOL, ZUNO_POOL_PAGE_OFFSET, ZUNO_POOL_NUM, ZUNO_POOL_CTRL_RESET, ZUNO_CLKCTRL_BGATES_POOL_LSB},
    {RECBUF, ZUNO_RECBUF_PAGE_OFFSET, ZUNO_RECBUF_NUM, ZUNO_RECBUF_CTRL_RESET, ZUNO_CLKCTRL_BGATES_RECBUF_LSB},
  };
  for (size_t i = 0; i < sizeof units / sizeof units[0]; ++i) {
    if (units[i].kind == kind) {
      return &units[i];
    }
  }
  return NULL;
}

/* CTRL address of a listed unit. RECBUF has one page whatever the entry's instance says. */
static uintptr_t unit_ctrl(const LL_ZUNO_UnitInfo *info, unsigned unit_num)
{
  unsigned page = (info->kind == RECBUF) ? 0u : unit_num;
  return ZUNO_UNIT_BASE(info->page_offset, page) + ZUNO_COMMON_CTRL_OFFSET;
}

int LL_ZUNO_EnableUnits_Init(const LL_ZUNO_UnitEntry *list, int count)
{
  for (int i = 0; i < count; ++i) {
    const LL_ZUNO_UnitInfo *info = ll_zuno_unit_info(list[i].unit_kind);
    unsigned unit_num = list[i].unit_num;
    if (info == NULL) {
      continue;
    }
    /* An instance past the unit's count would address another unit's page. */
    LL_ZUNO_ASSERT(unit_num < info->count);
    if (info->kind == CONVACC) {
      /* CONVACC's CTRL is written whole: it carries the configuration LL_Convacc_Init chose. */
      ll_zuno_write_reg(unit_ctrl(info, unit_num),
                        Conv_ctrl_bits[unit_num] | ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_EN, 1u));
    } else {
      LL_ZUNO_WRITE_FIELD(unit_ctrl(info, unit_num), ZUNO_COMMON_CTRL_EN, 1u);
    }
  }
  return LL_ZUNO_OK;
}

int LL_ZUNO_DisableUnits_Init(const LL_ZUNO_UnitEntry *list, int count)
{
  for (int i = 0; i < count; ++i) {
    const LL_ZUNO_UnitInfo *info = ll_zuno_unit_info(list[i].unit_kind);
    unsigned unit_num = list[i].unit_num;
    if (info == NULL) {
      return LL_ZUNO_INVALID_PARAM;
    }
    LL_ZUNO_ASSERT(unit_num < info->count);
    uintptr_t ctrl = unit_ctrl(info, unit_num);
    uint32_t idle = info->ctrl_reset & ~ZUNO_COMMON_CTRL_EN_MASK;
    /* Drain the pipeline first, then drop the configuration, then stop the clock. */
    ll_zuno_write_reg(ctrl, idle | ZUNO_SET_FIELD(ZUNO_COMMON_CTRL_CLR, 1u));
    LL_ZUNO_POLL_FIELD(ctrl, ZUNO_COMMON_CTRL_CLR, 0u);
    ll_zuno_write_reg(ctrl, info->ctrl_reset | ZUNO_SET_FIELD(ZUNO_COMMON_CTRL_CONFCLR, 1u));
    LL_ZUNO_POLL_FIELD(ctrl, ZUNO_COMMON_CTRL_CONFCLR, 0u);
    LL_ZUNO_DisableClock(info->gate_lsb + unit_num);
  }
  return LL_ZUNO_OK;
}

/* ---- Accelerator init and de-init ------------------------------------------------------------- */

/* Expected versions, in the order they are checked. */
static const LL_ZUNO_VersionInfo versions[] = {
  {"STRENG", ZUNO_STRENG_PAGE_OFFSET, ZUNO_STRENG_VERSION_TYPE_DT, ZUNO_STRENG_VERSION_MAJOR_DT, ZUNO_STRENG_VERSION_MINOR_DT},
  {"CONVACC", ZUNO_CONVACC_PAGE_OFFSET, ZUNO_CONVACC_VERSION_TYPE_DT, ZUNO_CONVACC_VERSION_MAJOR_DT, ZUNO_CONVACC_VERSION_MINOR_DT},
  {"POOL", ZUNO_POOL_PAGE_OFFSET, ZUNO_POOL_VERSION_TYPE_DT, ZUNO_POOL_VERSION_MAJOR_DT, ZUNO_POOL_VERSION_MINOR_DT},
  {"ARITH", ZUNO_ARITH_PAGE_OFFSET, ZUNO_ARITH_VERSION_TYPE_DT, ZUNO_ARITH_VERSION_MAJOR_DT, ZUNO_ARITH_VERSION_MINOR_DT},
  {"ACTIV", ZUNO_ACTIV_PAGE_OFFSET, ZUNO_ACTIV_VERSION_TYPE_DT, ZUNO_ACTIV_VERSION_MAJOR_DT, ZUNO_ACTIV_VERSION_MINOR_DT},
  {"DECUN", ZUNO_DECUN_PAGE_OFFSET, ZUNO_DECUN_VERSION_TYPE_DT, ZUNO_DECUN_VERSION_MAJOR_DT, ZUNO_DECUN_VERSION_MINOR_DT},
  {"EPOCHCTRL", ZUNO_EPOCHCTRL_PAGE_OFFSET, ZUNO_EPOCHCTRL_VERSION_TYPE_DT, ZUNO_EPOCHCTRL_VERSION_MAJOR_DT, ZUNO_EPOCHCTRL_VERSION_MINOR_DT},
  {"RECBUF", ZUNO_RECBUF_PAGE_OFFSET, ZUNO_RECBUF_VERSION_TYPE_DT, ZUNO_RECBUF_VERSION_MAJOR_DT, ZUNO_RECBUF_VERSION_MINOR_DT},
  {"CLKCTRL", ZUNO_CLKCTRL_PAGE_OFFSET, ZUNO_CLKCTRL_VERSION_TYPE_DT, ZUNO_CLKCTRL_VERSION_MAJOR_DT, ZUNO_CLKCTRL_VERSION_MINOR_DT},
  {"INTCTRL", ZUNO_INTCTRL_PAGE_OFFSET, ZUNO_INTCTRL_VERSION_TYPE_DT, ZUNO_INTCTRL_VERSION_MAJOR_DT, ZUNO_INTCTRL_VERSION_MINOR_DT},
  {"STRSWITCH", ZUNO_STRSWITCH_PAGE_OFFSET, ZUNO_STRSWITCH_VERSION_TYPE_DT, ZUNO_STRSWITCH_VERSION_MAJOR_DT, ZUNO_STRSWITCH_VERSION_MINOR_DT},
  {"BUSIF", ZUNO_BUSIF_PAGE_OFFSET, ZUNO_BUSIF_VERSION_TYPE_DT, ZUNO_BUSIF_VERSION_MAJOR_DT, ZUNO_BUSIF_VERSION_MINOR_DT},
};

const LL_ZUNO_VersionInfo *ll_zuno_version_table(size_t *count)
{
  *count = sizeof versions / sizeof versions[0];
  return versions;
}

int ll_zuno_version_matches(const LL_ZUNO_VersionInfo *expected, uint32_t version)
{
  uint32_t type = ZUNO_GET_FIELD(ZUNO_COMMON_VERSION_TYPE, version);
  uint32_t major = ZUNO_GET_FIELD(ZUNO_COMMON_VERSION_MAJOR, version);
  uint32_t minor = ZUNO_GET_FIELD(ZUNO_COMMON_VERSION_MINOR, version);
  if (type == expected->type && major == expected->major && minor == expected->minor) {
    return 1;
  }
  LL_ZUNO_REPORT_ERROR("%s unit ver mismatch: RTL:t=%u,ver=%u.%u  ZUNO.h:t=%u,ver=%u.%u\n\r", expected->name,
                       (unsigned)type, (unsigned)major, (unsigned)minor, (unsigned)expected->type,
                       (unsigned)expected->major, (unsigned)expected->minor);
  return 0;
}

int LL_ZUNO_Init(void)
{
  ll_zuno_static_checks();

  uintptr_t clk_ctrl = clkctrl_reg(ZUNO_CLKCTRL_CTRL_OFFSET);
  ll_zuno_write_reg(clk_ctrl, ll_zuno_read_reg(clk_ctrl) | ZUNO_SET_FIELD(ZUNO_CLKCTRL_CTRL_CLR, 1u));
  ll_zuno_write_reg(clk_ctrl, ZUNO_SET_FIELD(ZUNO_CLKCTRL_CTRL_EN, 1u));

  /* Only the Epoch Controller's gate opens here; every unit opens its own when configured. */
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_AGATES0_OFFSET), 0xFFFFFFFFu);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_AGATES1_OFFSET), 0xFFFFFFFFu);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_BGATES_OFFSET), ZUNO_SET_FIELD(ZUNO_CLKCTRL_BGATES_EPOCHCTRL, 1u));

  for (size_t i = 0; i < sizeof versions / sizeof versions[0]; ++i) {
    uintptr_t version_reg = ZUNO_UNIT_BASE(versions[i].page_offset, 0) + ZUNO_COMMON_VERSION_OFFSET;
    uint32_t version;
    do {
      version = ll_zuno_read_reg(version_reg);
    } while (version == 0u);
    if (!ll_zuno_version_matches(&versions[i], version)) {
      LL_ZUNO_ASSERT(0);
    }
  }

  ll_zuno_write_reg(ZUNO_BUSIF_BASE(0) + ZUNO_BUSIF_CTRL_OFFSET, ZUNO_SET_FIELD(ZUNO_BUSIF_CTRL_EN, 1u));
  ll_zuno_write_reg(ZUNO_BUSIF_BASE(1) + ZUNO_BUSIF_CTRL_OFFSET, ZUNO_SET_FIELD(ZUNO_BUSIF_CTRL_EN, 1u));
  ll_zuno_write_reg(ZUNO_INTCTRL_BASE(0) + ZUNO_INTCTRL_CTRL_OFFSET, ZUNO_SET_FIELD(ZUNO_INTCTRL_CTRL_EN, 1u));
  return LL_ZUNO_OK;
}

int LL_ZUNO_DeInit(void)
{
  ll_zuno_write_reg(ZUNO_INTCTRL_BASE(0) + ZUNO_INTCTRL_CTRL_OFFSET, 0u);
  ll_zuno_write_reg(ZUNO_BUSIF_BASE(0) + ZUNO_BUSIF_CTRL_OFFSET, 0u);
  ll_zuno_write_reg(ZUNO_BUSIF_BASE(1) + ZUNO_BUSIF_CTRL_OFFSET, 0u);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_AGATES0_OFFSET), 0u);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_AGATES1_OFFSET), 0u);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_BGATES_OFFSET), 0u);
  ll_zuno_write_reg(clkctrl_reg(ZUNO_CLKCTRL_CTRL_OFFSET), 0u);
  return LL_ZUNO_OK;
}

/* ---- Platform hooks ---------------------------------------------------------------------------- */

const void *LL_Address_Physical2Virtual(const void *address)
{
  return address;
}

const void *LL_Address_Virtual2Physical(const void *address)
{
  return address;
}

void LL_ZUNO_Cache_MCU_Clean_Invalidate_Range(const void *start, unsigned size)
{
  (void)start;
  (void)size;
}

int startWatchdog(unsigned timeout_us)
{
  (void)timeout_us;
  return 0;
}

int checkWatchdog(void)
{
  return 0;
}
