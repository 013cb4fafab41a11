/* Stream engine driver: tensor records, external sync and the engine wait. */
#ifndef LL_ZUNO_STRENG_H
#define LL_ZUNO_STRENG_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One tensor moved by a stream engine. M is the memory-side element width (bits_in for dir 0,
   bits_out for dir 1), S the stream-side one. */
typedef struct {
  /* first byte */
  unsigned dir : 1;        /* ZUNO_STRENGDIR_BUS2STR or ZUNO_STRENGDIR_STR2BUS */
  unsigned raw : 1;        /* the buffer is a flat run of elements */
  unsigned raw_out : 1;
  unsigned cont : 1;       /* do not restart the address at frame end */
  unsigned noblk : 1;
  unsigned noinc : 1;
  unsigned lsbmode : 1;    /* the three 8-bit channels form one LSB-aligned 24-bit channel */
  unsigned gap_front : 1;  /* memory gap in front of each element (1) or after it (0) */
  /* second byte */
  unsigned frmtrg_en : 1;  /* synchronise on another engine (bus to stream only) */
  unsigned no_signext : 1; /* no sign extension in LSB mode */
  unsigned cid : 3;        /* compartment id */
  unsigned cacheable : 1;
  unsigned alloc : 1;
  unsigned pfetch : 1;
  /* third byte */
  unsigned linesize : 2;   /* cache line 64 << linesize bytes */
  unsigned encr_en : 1;
  unsigned key_sel : 1;
  unsigned : 4;
  uint8_t frmtrg_src;      /* engine whose frames trigger this one (low 5 bits) */
  uint8_t *addr_base;      /* base of the memory pool that holds the buffer */
  uint32_t offset_start;   /* buffer start, bytes from addr_base */
  uint32_t offset_end;     /* buffer end (RAW length only) */
  uint32_t offset_limit;   /* one past the last byte the engine may touch; 0: no limit */
  uint32_t raw_frame_len;  /* RAW element count; 0: computed from the byte length */
  uint32_t width;
  uint32_t height;
  uint32_t depth_size;
  uint32_t depth_offset;
  uint32_t frame_offset;
  uint32_t line_offset;    /* 0: width x depth_offset */
  uint32_t repeat_offset;
  uint32_t frame_repeat;
  uint32_t frame_limit;    /* 1 also stops the engine after a single frame */
  uint8_t bits_in;         /* element bits on the input side, at most 24 */
  uint8_t bits_out;        /* element bits on the output side, at most 24 */
} LL_Streng_TensorConf;

/* External sync trigger of a stream engine. */
typedef struct {
  unsigned en : 1;
  unsigned src : 4;
  uint32_t lines;
  uint32_t special_lines;
  uint32_t special_offset;
} LL_Streng_ExtSyncConf;

/* Register values of one engine computed from a tensor record, in the order they are written. */
typedef struct {
  uint32_t ctrl;
  uint32_t fsize;
  uint32_t depth;
  uint32_t strd;
  uint32_t limiten;
  uint32_t cid_cache;
  uint32_t event;
  uint32_t encr_msb;
} LL_Streng_RegValues;

/* Computes the register values of a tensor record. Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an
   element width above 24 bits, or LL_ZUNO_INVALID_PARAM for a RAW record without element count
   whose memory-side width is 0. */
int LL_Streng_ComputeRegs(const LL_Streng_TensorConf *conf, LL_Streng_RegValues *regs);

/* Programs engine id from one tensor record (count must be 1); the engine is left disabled.
   Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID, or LL_ZUNO_INVALID_PARAM (see LL_Streng_ComputeRegs). */
int LL_Streng_TensorInit(int id, const LL_Streng_TensorConf *conf, int count);

/* Programs the external sync trigger of engine id. Returns LL_ZUNO_OK or LL_ZUNO_INVALID_ID. */
int LL_Streng_ExtSyncInit(int id, const LL_Streng_ExtSyncConf *conf);

/* Waits until none of the engines in mask (bit i = engine i) runs. Returns LL_ZUNO_OK. */
int LL_Streng_Wait(unsigned mask);

/* Returns offset_end - offset_start of a record (32-bit, wrapping). */
unsigned LL_Streng_len(const LL_Streng_TensorConf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_STRENG_H */
