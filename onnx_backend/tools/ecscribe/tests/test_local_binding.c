/* Register-space binding for the recorder tests: ids relative to a private 128 KiB block. */
#include "ecscribe.h"

#include <stdlib.h>

#include "ll_zuno_binding.h"

enum { kRegisterSpaceSize = 0x20000, kStrengPage = 0x5000, kUnitPage = 0x1000 };

static unsigned char *ec_zuno_base;

void initialize_ec_zuno_base(void)
{
  if (ec_zuno_base == NULL) {
    ec_zuno_base = (unsigned char *)calloc(1, kRegisterSpaceSize);
  }
}

uintptr_t get_ec_zuno_base(void)
{
  return (uintptr_t)ec_zuno_base;
}

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
  ec_trace_reg_write_reloc(ec_trace_get_IP_id(address), ec_trace_get_REG_id(offset_from_base(address)), pool_base,
                           offset);
}

void ec_trace_wait_epoch_end(uint32_t mask)
{
  for (uint32_t i = 0; i < 32u; ++i) {
    if ((mask >> i) & 1u) {
      uintptr_t ctrl = get_ec_zuno_base() + kStrengPage + i * kUnitPage;
      ec_trace_reg_poll(ec_trace_get_IP_id(ctrl), ec_trace_get_REG_id(0), 31, 1, 0);
    }
  }
}
