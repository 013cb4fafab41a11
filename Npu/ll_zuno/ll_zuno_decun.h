/* Decompression unit driver: configuration record, set-up of a DECUN instance and its codebook loaders. */
#ifndef LL_ZUNO_DECUN_H
#define LL_ZUNO_DECUN_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One decompression: a codebook of nCodevectors codevectors of nCodewords codewords each. */
typedef struct {
  uint16_t nCodevectors;     /* codevectors per codebook, 1 to 256 */
  uint8_t nCodewords;        /* codewords per codevector, 1 to 8; also selects the codebook packing */
  uint8_t nLastCodewords;    /* BFORMAT.OSAM: codewords read from the last codevector */
  uint8_t nFormatBytes;      /* bytes per codeword: 1 or 2 */
  uint16_t nBatches;         /* FFORMAT.BN */
  unsigned dualInput : 1;    /* CTRL.DUALIN */
  unsigned cbOverwrite : 1;  /* CTRL.OW */
  const uint8_t *codebook;   /* codevectors one after another, little-endian */
  uint32_t codebookLen;      /* codebook bytes; 0 = load nothing */
} LL_Decun_Conf;

/* Opens the clock gate of DECUN instance i, writes CTRL with EN clear, loads the codebook when
   codebookLen is not 0, and writes the formats. Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an
   instance out of range, or LL_ZUNO_INVALID_PARAM for a codebook that is missing or does not fit
   the unit's memory (checked before any register but the clock gate is written). */
int LL_Decun_Init(int i, const LL_Decun_Conf *conf);

/* Write the whole loader groups of an 8-bit or 16-bit codebook into the codebook window of DECUN
   instance i, from slot 0 of the page selected in ctrl (the unit's current CTRL value), turning
   the page after every 256 slots. A trailing partial group is not written; nothing is read past
   codebookLen bytes. */
void LL_Decun_CB_1byte(int i, const LL_Decun_Conf *conf, unsigned ctrl);
void LL_Decun_CB_2byte(int i, const LL_Decun_Conf *conf, unsigned ctrl);

/* Selects the next codebook page (modulo 4) in ctrl, writes CTRL and returns the new value. */
unsigned decun_inc_page_addr(int i, unsigned ctrl);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_DECUN_H */
