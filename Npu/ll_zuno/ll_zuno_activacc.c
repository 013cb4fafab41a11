/* Activation unit driver: register values of an activation record, its write sequence and function tables. */
#include "ll_zuno_activacc.h"

#include <stddef.h>

#include "ll_zuno_access.h"

/* The shift fields count from 16, the hardware's "no shift"; the record holds the signed offset. */
#define ACTIV_FSHIFT(SHIFT) ((uint32_t)((int32_t)(SHIFT) + 16))

/* Bytes of one ROM 1 table entry in the record. */
#define ACTIV_ROM1_ENTRY_BYTES (ZUNO_ACTIV_ROM1_VALUES * (uint32_t)sizeof(uint16_t))

static uintptr_t activ_reg(int i, uint32_t offset)
{
  return ZUNO_ACTIV_BASE(i) + offset;
}

int get_Activacc_type(unsigned type)
{
  switch (type) {
  case LL_ACTIV_RELU:
    return ZUNO_ACTIV_TYPE_RELU;
  case LL_ACTIV_PRELU:
    return ZUNO_ACTIV_TYPE_PRELU;
  case LL_ACTIV_TRELU:
    return ZUNO_ACTIV_TYPE_TRELU;
  case LL_ACTIV_FUNCTION:
    return ZUNO_ACTIV_TYPE_FUNCTION;
  default:
    LL_ZUNO_ASSERT(0);
  }
  return 0;
}

/* The function tables must be present and fit their ROM windows; a larger table would spill into
   the next unit's registers. */
static int function_tables_fit(const LL_Activacc_Conf *conf)
{
  if (conf->rom0_len > ZUNO_ACTIV_ROM0_ENTRIES || (conf->rom0_len != 0u && conf->rom0 == NULL)) {
    return 0;
  }
  const uint32_t rom1_entries = conf->rom1_len / ACTIV_ROM1_ENTRY_BYTES;
  return rom1_entries <= ZUNO_ACTIV_ROM1_ENTRIES && (rom1_entries == 0u || conf->rom1 != NULL);
}

static void write_function_tables(int i, const LL_Activacc_Conf *conf)
{
  for (uint32_t k = 0; k < conf->rom0_len; ++k) {
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ROM0_OFFSET + ZUNO_ACTIV_ROM0_STRIDE * k),
                      ZUNO_SET_FIELD(ZUNO_ACTIV_ROM0_VALUE, conf->rom0[k]));
  }
  const uint32_t rom1_entries = conf->rom1_len / ACTIV_ROM1_ENTRY_BYTES;
  for (uint32_t e = 0; e < rom1_entries; ++e) {
    const uint16_t *entry = &conf->rom1[ZUNO_ACTIV_ROM1_VALUES * e];
    const uint32_t slot = ZUNO_ACTIV_ROM1_STRIDE * e;
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ROM1W0_OFFSET + slot),
                      ZUNO_SET_FIELD(ZUNO_ACTIV_ROM1W0_V0, entry[0]) | ZUNO_SET_FIELD(ZUNO_ACTIV_ROM1W0_V1, entry[1]));
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ROM1W1_OFFSET + slot),
                      ZUNO_SET_FIELD(ZUNO_ACTIV_ROM1W1_V2, entry[2]));
  }
}

int LL_Activacc_Init(int i, const LL_Activacc_Conf *conf)
{
  if (i < 0 || i >= ZUNO_ACTIV_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_ACTIV, i));

  const int type = get_Activacc_type(conf->activ_type);
  const int function = (conf->activ_type == LL_ACTIV_FUNCTION);
  if (function && !function_tables_fit(conf)) {
    return LL_ZUNO_INVALID_PARAM;
  }

  ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_CTRL_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_TYPE, type) | ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FBYTES, conf->fbytes) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FSHIFT, ACTIV_FSHIFT(conf->fshift)) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FROUND, conf->fround) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FSAT, conf->fsat) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FRNDMODE, conf->frndmode) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_FOBYTES, conf->fobytes) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_ROUND, conf->round) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_SAT, conf->sat) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_OBYTES, conf->obytes) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_CTRL_ORNDMODE, conf->orndmode));
  if (conf->fsub != 0u) {
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_FSUB_OFFSET), ZUNO_SET_FIELD(ZUNO_ACTIV_FSUB_VALUE, conf->fsub));
  }

  const uint32_t func = ZUNO_SET_FIELD(ZUNO_ACTIV_FUNC_SIGNEDOP, conf->signedop) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_FUNC_OUTSHIFT, conf->outshift);
  if (!function) {
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ACTIVPARAM_OFFSET), ZUNO_SET_FIELD(ZUNO_ACTIV_ACTIVPARAM_PARAM, conf->param));
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ACTIVPARAM2_OFFSET),
                      ZUNO_SET_FIELD(ZUNO_ACTIV_ACTIVPARAM2_PARAM2, conf->param2));
    ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_FUNC_OFFSET), func);
    return LL_ZUNO_OK;
  }

  ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_FUNC_OFFSET),
                    func | ZUNO_SET_FIELD(ZUNO_ACTIV_FUNC_BSHIFT, conf->bshift) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_FUNC_CSHIFT, conf->cshift) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_FUNC_BWIDTH, conf->bwidth));
  ll_zuno_write_reg(activ_reg(i, ZUNO_ACTIV_ACTIVPARAM_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_ACTIV_ACTIVPARAM_PARAM, conf->param) |
                        ZUNO_SET_FIELD(ZUNO_ACTIV_ACTIVPARAM_FUNC, conf->func_shift));
  write_function_tables(i, conf);
  return LL_ZUNO_OK;
}
