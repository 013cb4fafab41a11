/* Epoch Controller driver: blob start, stepping and waiting, the software trigger and the DMA copy. */
#ifndef LL_ZUNO_EPOCHCTRL_H
#define LL_ZUNO_EPOCHCTRL_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Where the Epoch Controller fetches its next blob. */
typedef struct {
  uint32_t blob_addr;     /* address of the blob's program section, 64-bit aligned */
  unsigned step_mode : 1; /* CTRL.SM: run one instruction per step trigger */
} LL_EpochCtrl_Conf;

/* Opens the controller's clock gate, writes CTRL with EN clear and the blob address.
   Returns LL_ZUNO_OK, LL_ZUNO_INVALID_ID for an instance other than 0, or LL_ZUNO_INVALID_PARAM
   for an unaligned blob_addr (CTRL has then been written, ADDR not). */
int LL_EpochCtrl_Init(int i, const LL_EpochCtrl_Conf *conf);

/* Triggers one step of a controller in step mode. Returns LL_ZUNO_OK. */
int LL_EpochCtrl_Step(int i);

/* Waits until the controller stops when bit 0 of mask is set. Returns LL_ZUNO_OK. */
int LL_EpochCtrl_Wait(unsigned mask);

/* Returns the size in bytes of a blob's program section: its two header words and the program
   words that the second header word counts. */
unsigned LL_EpochCtrl_GetBlobSize(const uint32_t *blob);

/* Raises the controller's trigger interrupt on host line n, masking every other interrupt on that
   line. Returns LL_ZUNO_OK, or LL_ZUNO_INVALID_PARAM for a line without mask register (not 0 to 3),
   with nothing written. */
int LL_TriggerHigh(int n);

/* Clears the controller's trigger interrupt. Returns LL_ZUNO_OK, or LL_ZUNO_INVALID_PARAM for a
   line outside 0 to 31. */
int LL_TriggerLow(int n);

/* Copies size bytes from src to dst: the CPU copies a head that leaves a whole number of 24-bit
   elements (or the whole copy when it is small), stream engines 0 and 1 move the rest. src_limit
   is the end of the readable source area. Returns dst. */
void *LL_ZUNO_Dma_memcpy(void *dst, const void *src, const void *src_limit, uint64_t size, int dst_cached,
                         int src_cached);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_EPOCHCTRL_H */
