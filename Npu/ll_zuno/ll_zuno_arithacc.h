/* Arithmetic unit driver: configuration record and set-up of an ARITH instance with its coefficient memory. */
#ifndef LL_ZUNO_ARITHACC_H
#define LL_ZUNO_ARITHACC_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Record codes of operation (1-based; get_Arithacc_type maps them to CTRL.OP). */
#define LL_ARITH_AX_BY_C 1u
#define LL_ARITH_MIN_X_Y 2u
#define LL_ARITH_MAX_X_Y 3u
#define LL_ARITH_XY 4u
#define LL_ARITH_X_AND_Y 5u
#define LL_ARITH_X_OR_Y 6u
#define LL_ARITH_NOT_X 7u /* the one operation that also sets CTRL.LOGICALOP */
#define LL_ARITH_X_XOR_Y 8u
#define LL_ARITH_X_EQ_Y 9u
#define LL_ARITH_X_LT_Y 10u
#define LL_ARITH_X_LE_Y 11u
#define LL_ARITH_X_GT_Y 12u
#define LL_ARITH_X_GE_Y 13u
#define LL_ARITH_ABS_X 14u
#define LL_ARITH_SIGN_X 15u
#define LL_ARITH_CLIP 16u

/* Record codes of coeff_layout: how the vector coefficients step over the tensor. */
#define LL_ARITH_COEFF_PER_CHANNEL 1u
#define LL_ARITH_COEFF_PER_LINE 2u
#define LL_ARITH_COEFF_PER_COLUMN 3u
#define LL_ARITH_COEFF_PER_PIXEL 4u
#define LL_ARITH_COEFF_SINGLE 5u

/* One arithmetic operation a·x + b·y + c (or another operation) over inputs X and Y. Bit fields
   fill each byte from bit 0 in the order listed. */
typedef struct {
  /* first byte: input X */
  unsigned fround_x : 1;   /* INSHIFTER.FROUNDX */
  unsigned fsat_x : 1;     /* INSHIFTER.FSATX */
  unsigned frndmode_x : 2; /* INSHIFTER.FRNDMODEX */
  unsigned fbytes_x : 2;   /* INSHIFTER.FBYTESX */
  unsigned fobytes_x : 2;  /* INSHIFTER.FOBYTESX */
  int8_t fshift_x;         /* X shift; the hardware's "no shift" is 16 */
  /* third byte: input Y */
  unsigned fround_y : 1;   /* INSHIFTER.FROUNDY */
  unsigned fsat_y : 1;     /* INSHIFTER.FSATY */
  unsigned frndmode_y : 2; /* INSHIFTER.FRNDMODEY */
  unsigned fbytes_y : 2;   /* INSHIFTER.FBYTESY */
  unsigned fobytes_y : 2;  /* INSHIFTER.FOBYTESY */
  /* fourth byte */
  unsigned combinebc : 1;  /* CTRL.COMBINEBC: vec_c elements carry b in their high half */
  unsigned clipout : 1;    /* CTRL.CLIPOUT; also writes CLIPRANGE */
  int8_t fshift_y;         /* Y shift; the hardware's "no shift" is 16 */
  /* sixth byte */
  unsigned round : 1;      /* CTRL.ROUND */
  unsigned sat : 1;        /* CTRL.SAT */
  unsigned orndmode : 2;   /* CTRL.ORNDMODE */
  unsigned obytes : 2;     /* CTRL.OBYTES */
  uint8_t shift_res;       /* SHIFT.RES */
  /* eighth byte */
  unsigned scalar : 1;     /* scalar coefficients only: no counters, no coefficient memory */
  unsigned dualin : 1;     /* CTRL.DUALIN */
  uint32_t operation;      /* LL_ARITH_AX_BY_C ... LL_ARITH_CLIP */
  uint32_t coeff_layout;   /* LL_ARITH_COEFF_PER_CHANNEL ... LL_ARITH_COEFF_SINGLE */
  uint8_t shift_ax;        /* SHIFT.AX */
  uint8_t shift_by;        /* SHIFT.BY */
  uint8_t shift_c;         /* SHIFT.C */
  uint32_t width;
  uint32_t height;
  uint16_t channels;       /* total channels */
  uint16_t batch;          /* channels per batch (elements per pixel) */
  int16_t clip_min;        /* CLIPRANGE.CLIPMIN */
  int16_t clip_max;        /* CLIPRANGE.CLIPMAX */
  int16_t coeff_a;         /* scalar coefficients; coeff_c = -1 also negates vec_c */
  int16_t coeff_b;
  int16_t coeff_c;
  const uint32_t *vec_a;   /* packed per-element coefficients; NULL = use the scalar */
  const uint32_t *vec_b;
  const uint32_t *vec_c;
  uint8_t vec_a_bits;      /* element width in bits of each vector, at most 32 */
  uint8_t vec_b_bits;
  uint8_t vec_c_bits;
} LL_Arithacc_Conf;

/* Returns the CTRL.OP code of an operation record code; any other code fails the assertion "0". */
int get_Arithacc_type(unsigned operation);

/* Opens the clock gate of ARITH instance i and writes its configuration with EN clear: CTRL,
   shifters, scalar coefficients, and for vector records the counters and up to
   ZUNO_ARITH_MEM_COEFFS coefficients. Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an instance out
   of range, or LL_ZUNO_INVALID_PARAM for a vector element wider than 32 bits (before any register
   but the clock gate is written) or an unknown coeff_layout (after the scalar registers). */
int LL_Arithacc_Init(int i, const LL_Arithacc_Conf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_ARITHACC_H */
