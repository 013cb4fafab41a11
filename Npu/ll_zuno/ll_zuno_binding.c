/* Register-space binding of the trace platform: turns register addresses into unit and register ids for the recorder. */
#include "ll_zuno_binding.h"

#include <stdlib.h>

#include "ZUNO.h"
#include "ecscribe.h"

/* Only the address of this block is used; zero-filled so that stray reads of it are deterministic. */
static uint8_t *ec_zuno_base;

void initialize_ec_zuno_base(void)
{
  if (ec_zuno_base == NULL) {
    ec_zuno_base = (uint8_t *)calloc(1, ZUNO_REGSPACE_SIZE);
  }
}

uintptr_t get_ec_zuno_base(void)
{
  return (uintptr_t)ec_zuno_base;
}

/* Offsets are taken on the low 32 bits of address and base, as the device's 32-bit bus does. */
static uint32_t offset_from_base(uintptr_t address)
{
  return (uint32_t)address - (uint32_t)(uintptr_t)ec_zuno_base;
}

uint32_t ec_trace_get_IP_id(uintptr_t address)
{
  return (offset_from_base(address) >> 12) & 0xFFFFu;
}

uint32_t ec_trace_get_REG_id(uint32_t offset)
{
  return (offset >> 2) & 0x3FFu;
}

void ec_trace_write(uintptr_t address, uint32_t value)
{
  ec_trace_reg_write(ec_trace_get_IP_id(address), ec_trace_get_REG_id(offset_from_base(address)), value);
}

void ec_trace_write_reloc(uintptr_t address, uint32_t pool_base, uint32_t offset)
{
  ec_trace_reg_write_reloc(ec_trace_get_IP_id(address), ec_trace_get_REG_id(offset_from_base(address)),
                           pool_base, offset);
}

void ec_trace_wait_epoch_end(uint32_t mask)
{
  for (uint32_t i = 0; i < 32u; ++i) {
    if ((mask >> i) & 1u) {
      uintptr_t ctrl = ZUNO_STRENG_BASE(i) + ZUNO_STRENG_CTRL_OFFSET;
      ec_trace_reg_poll(ec_trace_get_IP_id(ctrl), ec_trace_get_REG_id(ZUNO_STRENG_CTRL_OFFSET),
                        ZUNO_STRENG_CTRL_RUNNING_LSB, ZUNO_STRENG_CTRL_RUNNING_W, 0u);
    }
  }
}
