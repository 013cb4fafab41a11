/* Convolution accelerator driver: configuration record and set-up of a CONVACC instance. */
#ifndef LL_ZUNO_CONVACC_H
#define LL_ZUNO_CONVACC_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One convolution. Bit fields fill each byte from bit 0 in the order listed. */
typedef struct {
  /* first byte */
  unsigned fround : 1;   /* DFORMAT.FROUND */
  unsigned fsat : 1;     /* DFORMAT.FSAT */
  unsigned frndmode : 2; /* DFORMAT.FRNDMODE */
  unsigned fbytes : 2;   /* DFORMAT.FBYTES */
  unsigned round : 1;    /* DFORMAT.ROUND */
  unsigned sat : 1;      /* DFORMAT.SAT */
  /* second byte */
  unsigned orndmode : 2;         /* DFORMAT.ORNDMODE */
  unsigned obytes : 2;           /* DFORMAT.OBYTES */
  unsigned simd : 2;             /* CTRL.SIMD */
  unsigned accumulate : 1;       /* CTRL.NOSUM is its negation */
  unsigned accumulate_first : 1; /* CTRL.NO1SUM is its negation */
  /* third byte */
  unsigned gen1sum : 1;   /* CTRL.GEN1SUM */
  unsigned fstat : 1;     /* CTRL.FSTAT; excludes deepmode and dss2mode */
  unsigned raw : 1;       /* DFORMAT.RAW */
  unsigned kt1 : 1;       /* CTRL.KT1 */
  unsigned deepmode : 1;  /* CTRL.DEEPMODE; excludes dss2mode */
  unsigned dss2mode : 1;  /* CTRL.DSS2MODE */
  unsigned funsigned : 1; /* CTRL.FUNSIGNED */
  unsigned kunsigned : 1; /* CTRL.KUNSIGNED */
  /* fourth byte */
  unsigned kseten : 2; /* CTRL.KSETEN */
  int8_t fshift;       /* input feature shift; the hardware's "no shift" is 16 */
  uint8_t inshift;     /* DFORMAT.INSHIFT (6 bits) */
  uint8_t outshift;    /* DFORMAT.OUTSHIFT (6 bits) */
  uint32_t width;      /* feature width in pixels */
  uint32_t height;     /* feature height in lines */
  uint8_t kwidth;      /* kernel width */
  uint8_t kheight;     /* kernel height */
  uint8_t knr;         /* number of parallel kernels */
  uint16_t batch;      /* batch depth; multiplies horizontal quantities */
  uint8_t hstride;
  uint8_t vstride;
  uint16_t pad_left; /* requested padding in pixels or lines */
  uint16_t pad_right;
  uint16_t pad_top;
  uint16_t pad_bottom;
  uint16_t crop_left; /* feature crop bounds; 0 = default */
  uint16_t crop_right;
  uint16_t crop_top;
  uint16_t crop_bottom;
  uint16_t fstatcnt;   /* SAMPLE.FSTATCNT, used with fstat */
  uint32_t afiltmode;  /* CTRL.AFILTMODE (low 2 bits); non-zero also writes AFILT */
  uint8_t afilt_tot;
  uint8_t afilt_first;
  uint8_t afilt_last;
  uint8_t kfilt_tot;   /* non-zero writes KFILT */
  uint8_t kfilt_first;
  uint8_t kfilt_last;
  uint32_t fsub;       /* FSUB (24 bits); written only when non-zero */
  int16_t zfbias;      /* ZFBIAS; non-zero moves all padding into the zero frame */
} LL_Convacc_Conf;

/* Opens the clock gate of CONVACC instance i and writes its configuration with EN clear; the CTRL
   value is kept in Conv_ctrl_bits[i] for enabling. Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an
   instance out of range, or LL_ZUNO_INVALID_PARAM when two of fstat, deepmode and dss2mode are set. */
int LL_Convacc_Init(int i, const LL_Convacc_Conf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_CONVACC_H */
