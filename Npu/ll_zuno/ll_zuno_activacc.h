/* Activation unit driver: configuration record and set-up of an ACTIV instance. */
#ifndef LL_ZUNO_ACTIVACC_H
#define LL_ZUNO_ACTIVACC_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Record codes of activ_type (1-based; get_Activacc_type maps them to CTRL.TYPE). */
#define LL_ACTIV_RELU 1u
#define LL_ACTIV_PRELU 2u
#define LL_ACTIV_TRELU 3u
#define LL_ACTIV_FUNCTION 4u

/* One activation. Bit fields fill each byte from bit 0 in the order listed. */
typedef struct {
  /* first byte */
  unsigned fround : 1;   /* CTRL.FROUND */
  unsigned fsat : 1;     /* CTRL.FSAT */
  unsigned frndmode : 2; /* CTRL.FRNDMODE */
  unsigned fbytes : 2;   /* CTRL.FBYTES */
  unsigned fobytes : 2;  /* CTRL.FOBYTES */
  /* second byte */
  unsigned round : 1;    /* CTRL.ROUND */
  unsigned sat : 1;      /* CTRL.SAT */
  unsigned orndmode : 2; /* CTRL.ORNDMODE */
  unsigned obytes : 2;   /* CTRL.OBYTES */
  unsigned signedop : 1; /* FUNC.SIGNEDOP */
  int8_t fshift;         /* input feature shift; the hardware's "no shift" is 16 */
  uint8_t outshift;      /* FUNC.OUTSHIFT (6 bits) */
  uint32_t param;        /* ACTIVPARAM.PARAM (16 bits) */
  uint32_t param2;       /* ACTIVPARAM2 (16 bits); not used by the function evaluator */
  const uint8_t *rom0;   /* function evaluator: ROM 0 table, one byte per entry */
  const uint16_t *rom1;  /* function evaluator: ROM 1 table, three values per entry */
  uint32_t rom0_len;     /* number of ROM 0 bytes, at most ZUNO_ACTIV_ROM0_ENTRIES */
  uint32_t rom1_len;     /* ROM 1 table length in bytes, 6 per entry, at most ZUNO_ACTIV_ROM1_ENTRIES entries */
  uint8_t bshift;        /* FUNC.BSHIFT */
  uint8_t cshift;        /* FUNC.CSHIFT */
  uint8_t func_shift;    /* ACTIVPARAM.FUNC */
  uint8_t bwidth;        /* FUNC.BWIDTH */
  uint32_t fsub;         /* FSUB (24 bits); written only when non-zero */
  uint32_t activ_type;   /* LL_ACTIV_RELU ... LL_ACTIV_FUNCTION */
} LL_Activacc_Conf;

/* Returns the CTRL.TYPE code of an activ_type record code; any other code fails the assertion "0". */
int get_Activacc_type(unsigned type);

/* Opens the clock gate of ACTIV instance i and writes its configuration with EN clear, with the
   function tables for the function evaluator. Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an
   instance out of range, or LL_ZUNO_INVALID_PARAM for a function table that is missing or larger
   than its ROM (checked before any register but the clock gate is written). */
int LL_Activacc_Init(int i, const LL_Activacc_Conf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_ACTIVACC_H */
