/* Cache maintenance of the device: the calls the generated blob header makes around its EC programs. */
#ifndef LL_ZUNO_CACHES_INTERFACE_H
#define LL_ZUNO_CACHES_INTERFACE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Cleans and invalidates size bytes from addr in the accelerator-side cache. */
void LL_ZUNO_Cache_NPU_Clean_Invalidate_Range(uintptr_t addr, uint32_t size);

/* Cleans size bytes from addr out of the CPU data cache. */
void LL_ZUNO_Cache_MCU_Clean_Range(uintptr_t addr, uint32_t size);

#ifdef __cplusplus
}
#endif

#endif /* LL_ZUNO_CACHES_INTERFACE_H */
