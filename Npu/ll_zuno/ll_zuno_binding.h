/* Register-space binding of the trace platform: the fake register block and the recording of accesses. */
#ifndef LL_ZUNO_BINDING_H
#define LL_ZUNO_BINDING_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Allocates the zero-filled 128 KiB register space (once; later calls keep the same space). */
void initialize_ec_zuno_base(void);

/* Returns the address of the register space (0 before initialize_ec_zuno_base). */
uintptr_t get_ec_zuno_base(void);

/* Returns the unit id (4 KiB page index from the base, cut to 16 bits) of a register address. */
uint32_t ec_trace_get_IP_id(uintptr_t address);

/* Returns the register id (32-bit word index inside its page) of an offset from the base. */
uint32_t ec_trace_get_REG_id(uint32_t offset);

/* Records a write of a whole register. */
void ec_trace_write(uintptr_t address, uint32_t value);

/* Records a write of the address pool_base + offset into a register. */
void ec_trace_write_reloc(uintptr_t address, uint32_t pool_base, uint32_t offset);

/* Records, for every stream engine i whose bit is set in mask, a wait until its CTRL.RUNNING is 0. */
void ec_trace_wait_epoch_end(uint32_t mask);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_BINDING_H */
