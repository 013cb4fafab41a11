/* Register access primitives of the driver: whole, relocatable and field writes, polls and reads. */
#ifndef LL_ZUNO_ACCESS_H
#define LL_ZUNO_ACCESS_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Writes a whole register. */
void ll_zuno_write_reg(uintptr_t address, uint32_t value);

/* Writes the device address pool_base + offset into a register; the recorder decides whether it is
   kept relative to its memory pool. */
void ll_zuno_write_reg_reloc(uintptr_t address, uint32_t pool_base, uint32_t offset);

/* Writes the width-bit field at lsb of a register, leaving the other bits unchanged. */
void ll_zuno_write_field(uintptr_t address, uint32_t lsb, uint32_t width, uint32_t value);

/* Waits until the width-bit field at lsb of a register equals value. */
void ll_zuno_poll_field(uintptr_t address, uint32_t lsb, uint32_t width, uint32_t value);

/* Reads a register; under the trace program this stops in ec_trace_unsupported. */
uint32_t ll_zuno_read_reg(uintptr_t address);

/* Records a comment in the program. */
void ll_zuno_comment(const char *text);

/* Field forms taking a field name of ZUNO.h, e.g. LL_ZUNO_WRITE_FIELD(a, ZUNO_STRENG_CTRL_EN, 1). */
#define LL_ZUNO_WRITE_FIELD(ADDRESS, F, VALUE) ll_zuno_write_field((ADDRESS), F##_LSB, F##_W, (VALUE))
#define LL_ZUNO_POLL_FIELD(ADDRESS, F, VALUE) ll_zuno_poll_field((ADDRESS), F##_LSB, F##_W, (VALUE))

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_ACCESS_H */
