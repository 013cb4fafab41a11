/* Memory layout of test firmware on the mps3-an547 board (Cortex-M55): code and constants in ITCM,
 * where the reset vector table is fetched from, data, heap and stack in DTCM. The emulator loads
 * every section at its run address, so .data needs no copy from a load image. */
MEMORY
{
  ITCM (rx)  : ORIGIN = 0x00000000, LENGTH = 512K
  DTCM (rwx) : ORIGIN = 0x20000000, LENGTH = 512K
}

STACK_SIZE = 64K;

ENTRY(Reset_Handler)

SECTIONS
{
  .text :
  {
    KEEP(*(.vectors))
    *(.text*)
    KEEP(*(.init))
    KEEP(*(.fini))
    *(.rodata*)
    . = ALIGN(8);
    __preinit_array_start = .;
    KEEP(*(.preinit_array))
    __preinit_array_end = .;
    __init_array_start = .;
    KEEP(*(SORT(.init_array.*)))
    KEEP(*(.init_array))
    __init_array_end = .;
    __fini_array_start = .;
    KEEP(*(SORT(.fini_array.*)))
    KEEP(*(.fini_array))
    __fini_array_end = .;
  } > ITCM

  .ARM.exidx :
  {
    *(.ARM.exidx* .gnu.linkonce.armexidx.*)
  } > ITCM

  .data :
  {
    . = ALIGN(8);
    *(.data*)
    . = ALIGN(8);
  } > DTCM

  .bss (NOLOAD) :
  {
    . = ALIGN(8);
    __bss_start__ = .;
    *(.bss*)
    *(COMMON)
    . = ALIGN(8);
    __bss_end__ = .;
  } > DTCM

  /* The C library's allocator grows from end up to the stack. */
  .heap (NOLOAD) :
  {
    . = ALIGN(8);
    end = .;
    _end = .;
    __end__ = .;
    . = ORIGIN(DTCM) + LENGTH(DTCM) - STACK_SIZE;
    __HeapLimit = .;
  } > DTCM

  .stack (NOLOAD) :
  {
    __StackLimit = .;
    . = . + STACK_SIZE;
    __stack_top = .;
  } > DTCM
}
