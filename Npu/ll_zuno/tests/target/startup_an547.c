/* Reset and fault vectors of test firmware on the mps3-an547 board, and the path from reset to main. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define SCB_CPACR_ADDR     0xE000ED88u
#define CPACR_CP10_CP11_FULL (0xFu << 20) /* full access to the FPU and vector coprocessors */

extern int main(void);
extern void initialise_monitor_handles(void);
extern void __libc_init_array(void);

extern uint32_t __bss_start__;
extern uint32_t __bss_end__;
extern uint32_t __stack_top;

void Reset_Handler(void);
void Fault_Handler(void);

/* The C library runs the constructors through these; the start-up files that define them are not
 * linked because this file takes their place. */
void _init(void) {}
void _fini(void) {}

__attribute__((noreturn, used)) static void start_c_runtime(void)
{
  memset(&__bss_start__, 0, (size_t)((uintptr_t)&__bss_end__ - (uintptr_t)&__bss_start__));
  initialise_monitor_handles();
  __libc_init_array();
  exit(main());
}

/* Runs before any C code: the FPU and vector unit must be enabled before the first floating-point
 * instruction, or that instruction faults. The write takes effect after the barriers. */
__attribute__((naked, noreturn)) void Reset_Handler(void)
{
  __asm volatile(
    "ldr r0, =%c0\n"
    "ldr r1, [r0]\n"
    "orr r1, r1, %1\n"
    "str r1, [r0]\n"
    "dsb\n"
    "isb\n"
    "b start_c_runtime\n"
    :
    : "i"(SCB_CPACR_ADDR), "i"(CPACR_CP10_CP11_FULL));
}

/* A fault ends the run with a failure instead of hanging the emulator until its time limit. */
__attribute__((noreturn)) void Fault_Handler(void)
{
  puts("FAULT: firmware stopped in a fault handler");
  exit(126);
}

typedef void (*VectorEntry)(void);

/* Initial stack pointer, then the system exceptions up to SysTick; no device interrupts are used. */
__attribute__((section(".vectors"), used)) static const VectorEntry vector_table[16] = {
  (VectorEntry)(uintptr_t)&__stack_top,
  Reset_Handler,
  Fault_Handler, /* NMI */
  Fault_Handler, /* HardFault */
  Fault_Handler, /* MemManage */
  Fault_Handler, /* BusFault */
  Fault_Handler, /* UsageFault */
  Fault_Handler, /* SecureFault */
  0,
  0,
  0,
  Fault_Handler, /* SVCall */
  Fault_Handler, /* DebugMonitor */
  0,
  Fault_Handler, /* PendSV */
  Fault_Handler, /* SysTick */
};
