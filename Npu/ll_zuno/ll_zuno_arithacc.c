/* Arithmetic unit driver: register values of an arithmetic record, its counters and coefficient memory. */
#include "ll_zuno_arithacc.h"

#include <stddef.h>

#include "ll_zuno_access.h"
#include "ll_zuno_bits.h"

/* The shift fields count from 16, the hardware's "no shift"; the record holds the signed offset. */
#define ARITH_FSHIFT(SHIFT) ((uint32_t)((int32_t)(SHIFT) + 16))

/* Widest element of a packed coefficient vector. */
#define ARITH_MAX_VEC_BITS 32u

/* Recorded before each TRANSLATEADDR write: the coefficient writes that follow depend on the
   translation mode, so the program optimiser must not move register writes across it. */
static const char translate_barrier[] = "Block ECFORGE optimizations to move reg writes pass this point";

static uintptr_t arith_reg(int i, uint32_t offset)
{
  return ZUNO_ARITH_BASE(i) + offset;
}

int get_Arithacc_type(unsigned operation)
{
  static const uint32_t op_codes[] = {
    ZUNO_ARITH_OP_AX_BY_C, ZUNO_ARITH_OP_MIN_X_Y, ZUNO_ARITH_OP_MAX_X_Y, ZUNO_ARITH_OP_XY,
    ZUNO_ARITH_OP_X_AND_Y, ZUNO_ARITH_OP_X_OR_Y, ZUNO_ARITH_OP_NOT_X,   ZUNO_ARITH_OP_X_XOR_Y,
    ZUNO_ARITH_OP_X_EQ_Y,  ZUNO_ARITH_OP_X_LT_Y, ZUNO_ARITH_OP_X_LE_Y,  ZUNO_ARITH_OP_X_GT_Y,
    ZUNO_ARITH_OP_X_GE_Y,  ZUNO_ARITH_OP_ABS_X,  ZUNO_ARITH_OP_SIGN_X,  ZUNO_ARITH_OP_CLIP,
  };
  if (operation < LL_ARITH_AX_BY_C || operation > LL_ARITH_CLIP) {
    LL_ZUNO_ASSERT(0);
  }
  return (int)op_codes[operation - LL_ARITH_AX_BY_C];
}

static uint32_t arith_ctrl(const LL_Arithacc_Conf *conf)
{
  const uint32_t vector = !conf->scalar;
  const uint32_t per_channel = vector && conf->coeff_layout == LL_ARITH_COEFF_PER_CHANNEL;
  return ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_CNT1, vector) | ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_CNT2, per_channel) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_CNT3, per_channel) | ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_ROUND, conf->round) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_SAT, conf->sat) | ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_COEFFA, vector) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_DUALIN, conf->dualin) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_OP, get_Arithacc_type(conf->operation)) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_COEFFB, vector) | ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_COEFFC, vector) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_LOGICALOP, conf->operation == LL_ARITH_NOT_X) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_ORNDMODE, conf->orndmode) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_OBYTES, conf->obytes) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_COMBINEBC, conf->combinebc) |
         ZUNO_SET_FIELD(ZUNO_ARITH_CTRL_CLIPOUT, conf->clipout);
}

static uint32_t arith_inshifter(const LL_Arithacc_Conf *conf)
{
  return ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FBYTESX, conf->fbytes_x) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FSHIFTX, ARITH_FSHIFT(conf->fshift_x)) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FROUNDX, conf->fround_x) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FSATX, conf->fsat_x) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FRNDMODEX, conf->frndmode_x) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FOBYTESX, conf->fobytes_x) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FBYTESY, conf->fbytes_y) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FSHIFTY, ARITH_FSHIFT(conf->fshift_y)) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FROUNDY, conf->fround_y) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FSATY, conf->fsat_y) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FRNDMODEY, conf->frndmode_y) |
         ZUNO_SET_FIELD(ZUNO_ARITH_INSHIFTER_FOBYTESY, conf->fobytes_y);
}

static int vector_fits(const uint32_t *vec, uint8_t bits)
{
  return vec == NULL || bits <= ARITH_MAX_VEC_BITS;
}

static void write_counter(int i, uint32_t offset, uint32_t value)
{
  /* Every counter register holds a 27-bit count. */
  ll_zuno_write_reg(arith_reg(i, offset), ZUNO_SET_FIELD(ZUNO_ARITH_INCCNT_VALUE, value));
}

/* Writes the counters that step the coefficient address over the tensor and gives the number of
   coefficients the layout needs. Returns 0 for an unknown layout, which writes nothing. */
static int write_counters(int i, const LL_Arithacc_Conf *conf, uint32_t *coeff_count)
{
  const uint32_t w = conf->width, h = conf->height, c = conf->batch, n = conf->channels;
  uint32_t count;
  uint32_t addr_offset;
  switch (conf->coeff_layout) {
  case LL_ARITH_COEFF_PER_CHANNEL:
    write_counter(i, ZUNO_ARITH_INCCNT_OFFSET, 0u);
    write_counter(i, ZUNO_ARITH_RSTCNT1_OFFSET, c - 1u);
    write_counter(i, ZUNO_ARITH_RSTCNT2_OFFSET, w * h * c - 1u);
    write_counter(i, ZUNO_ARITH_RSTCNT3_OFFSET, w * h * n - 1u);
    addr_offset = ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET1, 1u - c) |
                  ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET2, 1u) |
                  ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET3, 1u - n);
    count = n;
    break;
  case LL_ARITH_COEFF_PER_LINE:
    write_counter(i, ZUNO_ARITH_INCCNT_OFFSET, w * c - 1u);
    write_counter(i, ZUNO_ARITH_RSTCNT1_OFFSET, w * h * c - 1u);
    addr_offset = ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET1, 1u - h);
    count = h;
    break;
  case LL_ARITH_COEFF_PER_COLUMN:
    write_counter(i, ZUNO_ARITH_INCCNT_OFFSET, c - 1u);
    write_counter(i, ZUNO_ARITH_RSTCNT1_OFFSET, w * c - 1u);
    addr_offset = ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET1, 1u - w);
    count = w;
    break;
  case LL_ARITH_COEFF_PER_PIXEL:
    write_counter(i, ZUNO_ARITH_INCCNT_OFFSET, c - 1u);
    write_counter(i, ZUNO_ARITH_RSTCNT1_OFFSET, h * w * c - 1u);
    addr_offset = ZUNO_SET_FIELD(ZUNO_ARITH_ADDROFFSET_OFFSET1, 1u - h * w);
    count = h * w;
    break;
  case LL_ARITH_COEFF_SINGLE:
    write_counter(i, ZUNO_ARITH_INCCNT_OFFSET, 0u);
    ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_INCOFFSET_OFFSET), ZUNO_SET_FIELD(ZUNO_ARITH_INCOFFSET_VALUE, 0u));
    *coeff_count = 1u;
    return 1;
  default:
    return 0;
  }
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_INCOFFSET_OFFSET), ZUNO_SET_FIELD(ZUNO_ARITH_INCOFFSET_VALUE, 1u));
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_ADDROFFSET_OFFSET), addr_offset);
  *coeff_count = count;
  return 1;
}

/* Switches the coefficient memory's address translation, behind an optimiser barrier. */
static void set_translation(int i, uint32_t enable)
{
  ll_zuno_comment(translate_barrier);
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_TRANSLATEADDR_OFFSET), ZUNO_SET_FIELD(ZUNO_ARITH_TRANSLATEADDR_EN, enable));
}

/* Element k of a coefficient vector, or the scalar when the vector is not set. */
static uint32_t coefficient(const uint32_t *vec, unsigned pos, uint8_t bits, int16_t scalar)
{
  return (vec != NULL) ? (uint32_t)LL_ZUNO_getbits(vec, pos, bits) : (uint32_t)(int32_t)scalar;
}

static void write_coefficients(int i, const LL_Arithacc_Conf *conf, uint32_t count)
{
  const uint32_t n = (count < ZUNO_ARITH_MEM_COEFFS) ? count : ZUNO_ARITH_MEM_COEFFS;
  const int negate_c = (conf->coeff_c == -1);
  unsigned pa = 0u, pb = 0u, pc = 0u;
  uint32_t slot = 0u;

  set_translation(i, 1u);
  for (uint32_t k = 0; k < n; ++k) {
    const uint32_t a = coefficient(conf->vec_a, pa, conf->vec_a_bits, conf->coeff_a);
    uint32_t b = coefficient(conf->vec_b, pb, conf->vec_b_bits, conf->coeff_b);
    uint32_t c = coefficient(conf->vec_c, pc, conf->vec_c_bits, conf->coeff_c);
    if (conf->vec_c != NULL && negate_c) {
      c = 0u - c;
    }
    if (conf->combinebc) {
      /* A combined element carries b in its high half and c in its low half. */
      b = c >> 16;
      c &= 0xFFFFu;
    }
    if (slot == ZUNO_ARITH_MEM_SLOTS) {
      /* Coefficients 384 to 511 go to slots 256 to 383 with translation off. */
      set_translation(i, 0u);
      slot = ZUNO_ARITH_MEM_UNTRANSLATED_SLOT;
    }
    const uint32_t slot_offset = ZUNO_ARITH_MEM_SLOT_SIZE * slot;
    ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_MEMW0_OFFSET + slot_offset),
                      ZUNO_SET_FIELD(ZUNO_ARITH_MEMW0_A, a) | ZUNO_SET_FIELD(ZUNO_ARITH_MEMW0_B, b));
    ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_MEMW1_OFFSET + slot_offset), ZUNO_SET_FIELD(ZUNO_ARITH_MEMW1_C, c));
    pa += conf->vec_a_bits;
    pb += conf->vec_b_bits;
    pc += conf->vec_c_bits;
    ++slot;
  }
}

int LL_Arithacc_Init(int i, const LL_Arithacc_Conf *conf)
{
  if (i < 0 || i >= ZUNO_ARITH_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_ARITH, i));
  if (!conf->scalar && (!vector_fits(conf->vec_a, conf->vec_a_bits) || !vector_fits(conf->vec_b, conf->vec_b_bits) ||
                        !vector_fits(conf->vec_c, conf->vec_c_bits))) {
    return LL_ZUNO_INVALID_PARAM;
  }

  /* The unit is held at its reset configuration, disabled, while it is reprogrammed. */
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_CTRL_OFFSET), ZUNO_ARITH_CTRL_RESET);
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_CTRL_OFFSET), arith_ctrl(conf));
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_INSHIFTER_OFFSET), arith_inshifter(conf));
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_SHIFT_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_ARITH_SHIFT_AX, conf->shift_ax) |
                        ZUNO_SET_FIELD(ZUNO_ARITH_SHIFT_BY, conf->shift_by) |
                        ZUNO_SET_FIELD(ZUNO_ARITH_SHIFT_C, conf->shift_c) |
                        ZUNO_SET_FIELD(ZUNO_ARITH_SHIFT_RES, conf->shift_res));
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_COEFFAC_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_ARITH_COEFFAC_A, (uint16_t)conf->coeff_a) |
                        ZUNO_SET_FIELD(ZUNO_ARITH_COEFFAC_C, (uint16_t)conf->coeff_c));
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_COEFFB_OFFSET), ZUNO_SET_FIELD(ZUNO_ARITH_COEFFB_B, (uint16_t)conf->coeff_b));
  if (conf->clipout) {
    ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_CLIPRANGE_OFFSET),
                      ZUNO_SET_FIELD(ZUNO_ARITH_CLIPRANGE_CLIPMAX, (uint16_t)conf->clip_max) |
                          ZUNO_SET_FIELD(ZUNO_ARITH_CLIPRANGE_CLIPMIN, (uint16_t)conf->clip_min));
  }
  ll_zuno_write_reg(arith_reg(i, ZUNO_ARITH_COEFFADDR_OFFSET), ZUNO_SET_FIELD(ZUNO_ARITH_COEFFADDR_ADDR, 0u));
  if (conf->scalar) {
    return LL_ZUNO_OK;
  }

  uint32_t count = 0u;
  if (!write_counters(i, conf, &count)) {
    return LL_ZUNO_INVALID_PARAM;
  }
  write_coefficients(i, conf, count);
  return LL_ZUNO_OK;
}
