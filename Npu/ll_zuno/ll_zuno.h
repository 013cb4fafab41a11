/* Public header of the low-level ZUNO driver: return codes, unit kinds, unit lists, port descriptors and the core functions. */
#ifndef LL_ZUNO_H
#define LL_ZUNO_H

#include <stdint.h>

#include "ZUNO.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Return codes ------------------------------------------------------------------------------ */

#define LL_ZUNO_OK 0             /* success */
#define LL_ZUNO_INVALID_ID (-1)    /* unit instance out of range */
#define LL_ZUNO_INVALID_PARAM (-2) /* bad configuration */
#define LL_ZUNO_TIMEOUT (-3)       /* declared for callers; no driver function returns it */

/* Maximum run time of one epoch; the wait functions start the watchdog with it. */
#define ZUNO_EPOCH_TIMEOUT_MS 10000u
#define ZUNO_EPOCH_TIMEOUT (ZUNO_EPOCH_TIMEOUT_MS * 1000u) /* microseconds */

/* ---- Assertions and error reports -------------------------------------------------------------- */

/* Reports "file:line: function: Assertion `expr' failed." on stderr and aborts. */
#ifdef __cplusplus
[[noreturn]]
#else
_Noreturn
#endif
void ll_zuno_assert_fail(const char *expr, const char *file, unsigned line, const char *function);

/* Driver contract check; stays active in every build configuration, NDEBUG included. */
#define LL_ZUNO_ASSERT(cond) \
  ((cond) ? (void)0 : ll_zuno_assert_fail(#cond, __FILE__, (unsigned)__LINE__, __func__))

/* Prints, with printf, "[ERROR] (file:line: errno: text) " followed by the formatted message and a
   line feed; the errno text is "None" when errno is 0. */
void ll_zuno_report_error(const char *file, int line, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
#define LL_ZUNO_REPORT_ERROR(...) ll_zuno_report_error(__FILE__, __LINE__, __VA_ARGS__)

/* ---- Unit kinds, unit lists and stream-switch port descriptors ------------------------------------ */

/* Kinds of unit on the stream switch; 1 and 7 have no unit in this driver. */
typedef enum {
  STRENG = 0,
  CONVACC = 2,
  DECUN = 3,
  ACTIV = 4,
  ARITH = 5,
  POOL = 6,
  RECBUF = 8
} LL_ZUNO_UnitKind;

/* Kinds of stream switch; 1 and 2 are other switches that this driver rejects. */
typedef enum {
  STRSWITCH = 0
} LL_ZUNO_SwitchKind;

/* One entry of a unit list. */
typedef struct {
  LL_ZUNO_UnitKind unit_kind;
  uint16_t unit_num;
} LL_ZUNO_UnitEntry;

/* One port of a unit on a stream switch; passed by value. */
typedef struct {
  LL_ZUNO_SwitchKind switch_kind;
  uint8_t su_num;  /* switch instance; must be 0 */
  LL_ZUNO_UnitKind unit_kind;
  uint8_t au_num;  /* unit instance */
  uint8_t port;    /* input port for destinations, output port for sources */
} LL_ZUNO_PortDesc;

/* CTRL value last written by LL_Convacc_Init, per CONVACC instance; enabling rewrites it with EN set. */
extern uint32_t Conv_ctrl_bits[ZUNO_CONVACC_NUM];

/* ---- Accelerator-wide operations ---------------------------------------------------------------- */

/* Resets the clock controller, opens the system clocks, checks every unit's version, enables the
   bus interfaces and the interrupt controller. Returns LL_ZUNO_OK. */
int LL_ZUNO_Init(void);

/* Disables the interrupt controller and bus interfaces and closes every clock. Returns LL_ZUNO_OK. */
int LL_ZUNO_DeInit(void);

/* Sets EN of each listed unit. Returns LL_ZUNO_OK. */
int LL_ZUNO_EnableUnits_Init(const LL_ZUNO_UnitEntry *list, int count);

/* Clears pipeline and configuration of each listed unit and closes its clock gate.
   Returns LL_ZUNO_OK, or LL_ZUNO_INVALID_PARAM at the first entry of an unsupported kind. */
int LL_ZUNO_DisableUnits_Init(const LL_ZUNO_UnitEntry *list, int count);

/* Opens clock gate bit of CLKCTRL.BGATES. */
void LL_ZUNO_EnableClock(unsigned bit);

/* Closes clock gate bit of CLKCTRL.BGATES. */
void LL_ZUNO_DisableClock(unsigned bit);

/* Checks once per process that the port functions agree with the register map's port macros. */
void ll_zuno_static_checks(void);

/* ---- Stream-switch port numbering ---------------------------------------------------------------- */

/* Returns the link id of a unit output port. */
int __zunoc_getSrcPortID(LL_ZUNO_SwitchKind switch_kind, uint8_t su_num, LL_ZUNO_UnitKind unit_kind,
                         uint8_t au_num, uint8_t port);

/* Returns the offset in the STRSWITCH page of the destination register of a unit input port. */
unsigned __zunoc_getDstPortID(LL_ZUNO_SwitchKind switch_kind, uint8_t su_num, LL_ZUNO_UnitKind unit_kind,
                              uint8_t au_num, uint8_t port);

/* The same, from a port descriptor. */
int _zunoc_getSrcPortID(LL_ZUNO_PortDesc desc);
unsigned _zunoc_getDstPortID(LL_ZUNO_PortDesc desc);

/* ---- Platform hooks ------------------------------------------------------------------------------ */

/* Address translation; addresses are identical on this platform. */
const void *LL_Address_Physical2Virtual(const void *address);
const void *LL_Address_Virtual2Physical(const void *address);

/* MCU cache maintenance; nothing to do on this platform. */
void LL_ZUNO_Cache_MCU_Clean_Invalidate_Range(const void *start, unsigned size);

/* Watchdog of the wait loops; never expires on this platform. */
int startWatchdog(unsigned timeout_us);
int checkWatchdog(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#include "ll_zuno_binding.h"
#include "ll_zuno_streng.h"
#include "ll_zuno_switch.h"
#include "ll_zuno_units.h"

#endif /* LL_ZUNO_H */
