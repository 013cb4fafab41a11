/* Test access to the recording cache-maintenance stand-in: the calls made, in order. */
#ifndef CACHE_RECORDER_H
#define CACHE_RECORDER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CACHE_RECORDER_CAPACITY 64u

typedef enum {
  CACHE_OP_NPU_CLEAN_INVALIDATE,
  CACHE_OP_MCU_CLEAN,
} CacheRecorderOp;

typedef struct {
  CacheRecorderOp op;
  uintptr_t addr;
  uint32_t size;
} CacheRecorderCall;

/* Forgets every recorded call. */
void cache_recorder_reset(void);

/* Returns the number of calls made since the last reset, including any beyond the capacity. */
unsigned int cache_recorder_count(void);

/* Returns call i (in call order), or NULL when it was not recorded. */
const CacheRecorderCall *cache_recorder_call(unsigned int i);

#ifdef __cplusplus
}
#endif

#endif /* CACHE_RECORDER_H */
