/* Register access primitives of the trace platform: every access becomes a recorded EC instruction. */
#include "ll_zuno_access.h"

#include "ecscribe.h"

static uint32_t page_of(uintptr_t address)
{
  return ec_trace_get_IP_id(address);
}

static uint32_t word_of(uintptr_t address)
{
  return ec_trace_get_REG_id((uint32_t)address - (uint32_t)get_ec_zuno_base());
}

void ll_zuno_write_reg(uintptr_t address, uint32_t value)
{
  ec_trace_write(address, value);
}

void ll_zuno_write_reg_reloc(uintptr_t address, uint32_t pool_base, uint32_t offset)
{
  ec_trace_write_reloc(address, pool_base, offset);
}

void ll_zuno_write_field(uintptr_t address, uint32_t lsb, uint32_t width, uint32_t value)
{
  ec_trace_reg_writefield(page_of(address), word_of(address), lsb, width, value);
}

void ll_zuno_poll_field(uintptr_t address, uint32_t lsb, uint32_t width, uint32_t value)
{
  ec_trace_reg_poll(page_of(address), word_of(address), lsb, width, value);
}

uint32_t ll_zuno_read_reg(uintptr_t address)
{
  (void)address;
  /* A register value cannot be known while recording; the recorder stops the program here. */
  ec_trace_unsupported();
  return 0u;
}

void ll_zuno_comment(const char *text)
{
  ec_trace_comment(text);
}
