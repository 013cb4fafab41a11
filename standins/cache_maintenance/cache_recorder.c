/* Cache-maintenance stand-in for tests: records each call instead of touching a cache. */
#include "cache_recorder.h"

#include <stddef.h>

#include "ll_zuno_caches_interface.h"

static CacheRecorderCall recorded[CACHE_RECORDER_CAPACITY];
static unsigned int num_calls;

static void record(CacheRecorderOp op, uintptr_t addr, uint32_t size)
{
  if (num_calls < CACHE_RECORDER_CAPACITY) {
    CacheRecorderCall call = { op, addr, size };
    recorded[num_calls] = call;
  }
  ++num_calls;
}

void LL_ZUNO_Cache_NPU_Clean_Invalidate_Range(uintptr_t addr, uint32_t size)
{
  record(CACHE_OP_NPU_CLEAN_INVALIDATE, addr, size);
}

void LL_ZUNO_Cache_MCU_Clean_Range(uintptr_t addr, uint32_t size)
{
  record(CACHE_OP_MCU_CLEAN, addr, size);
}

void cache_recorder_reset(void)
{
  num_calls = 0;
}

unsigned int cache_recorder_count(void)
{
  return num_calls;
}

const CacheRecorderCall *cache_recorder_call(unsigned int i)
{
  return i < num_calls && i < CACHE_RECORDER_CAPACITY ? &recorded[i] : NULL;
}
