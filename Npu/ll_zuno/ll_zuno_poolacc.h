/* Pooling unit driver: configuration record and set-up of a POOL instance. */
#ifndef LL_ZUNO_POOLACC_H
#define LL_ZUNO_POOLACC_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Record codes of pool_type (1-based; get_Poolacc_type maps them to CTRL.TYPE). */
#define LL_POOL_MAX 1u
#define LL_POOL_MIN 2u
#define LL_POOL_AVG 3u
#define LL_POOL_GMAX 4u
#define LL_POOL_GMIN 5u
#define LL_POOL_GAVG 6u

/* One pooling layer. */
typedef struct {
  uint32_t pool_type;  /* LL_POOL_MAX ... LL_POOL_GAVG */
  uint16_t in_width;   /* FDIMS (12 bits each) */
  uint16_t in_height;
  uint16_t out_width;  /* OUTDIMS (12 bits each) */
  uint16_t out_height;
  uint8_t winx;        /* PDIMS.WINX */
  uint8_t winy;        /* PDIMS.WINY */
  uint8_t strdx;       /* PDIMS.STRDX */
  uint8_t strdy;       /* PDIMS.STRDY */
  uint16_t crop_top;   /* crop bounds; 0 = not set */
  uint16_t crop_bottom;
  uint16_t crop_left;
  uint16_t crop_right;
  uint16_t tpad;       /* PDIMS pads */
  uint16_t bpad;
  uint16_t lpad;
  uint16_t rpad;
  uint16_t batch;      /* PDIMS.BSIZE; multiplies horizontal quantities */
  int8_t fshift;       /* input feature shift; the hardware's "no shift" is 16 */
  uint8_t outshift;    /* CTRL.OUTSHIFT (6 bits) */
  /* 16 flag bits from bit 0 */
  unsigned dualline : 1; /* CTRL.DUALLINE */
  unsigned : 2;          /* not used by the driver */
  unsigned fround : 1;   /* CTRL.FROUND */
  unsigned fsat : 1;     /* CTRL.FSAT */
  unsigned frndmode : 2; /* RNDCTRL.FRNDMODE */
  unsigned fbytes : 2;   /* CTRL.FBYTES */
  unsigned fobytes : 2;  /* RNDCTRL.FOBYTES */
  unsigned round : 1;    /* CTRL.ROUND */
  unsigned sat : 1;      /* CTRL.SAT */
  unsigned orndmode : 2; /* RNDCTRL.ORNDMODE */
  unsigned : 1;
  uint8_t obytes;        /* RNDCTRL.OBYTES (2 bits) */
  int16_t mulval;        /* MULVAL */
} LL_Poolacc_Conf;

/* Returns the CTRL.TYPE code of a pool_type record code; any other code fails the assertion "0". */
int get_Poolacc_type(unsigned type);

/* Opens the clock gate of POOL instance i and writes its configuration with EN clear.
   Returns LL_ZUNO_OK or LL_ZUNO_INVALID_ID for an instance out of range. */
int LL_Poolacc_Init(int i, const LL_Poolacc_Conf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_POOLACC_H */
