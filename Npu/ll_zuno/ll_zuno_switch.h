/* Stream switch driver: route records and the switch set-up and tear-down. */
#ifndef LL_ZUNO_SWITCH_H
#define LL_ZUNO_SWITCH_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One route: the destination register of dest with its two contexts. A source that its context
   does not use is left all zero. */
typedef struct {
  LL_ZUNO_PortDesc source0;
  LL_ZUNO_PortDesc source1;
  LL_ZUNO_PortDesc dest;
  uint8_t frames0;       /* ticks of context 0 */
  uint8_t frames1;       /* ticks of context 1 */
  unsigned context0 : 1; /* context 0 enabled */
  unsigned context1 : 1; /* context 1 enabled */
} LL_Switch_Conf;

/* Field designators for route initialisers. */
#define LL_Switch_Init_Dest() .dest
#define LL_Switch_Init_Source(x) .source##x
#define LL_Switch_Init_Context(x) .context##x
#define LL_Switch_Init_Frames(x) .frames##x

/* Returns the destination register value of a route. */
uint32_t LL_Switch_RouteValue(const LL_Switch_Conf *route);

/* Clears the whole switch configuration, enables the switch and programs the routes. Returns LL_ZUNO_OK. */
int LL_Switch_Init(const LL_Switch_Conf *routes, int count);

/* Enables the switch and programs the routes over the current configuration. Returns LL_ZUNO_OK. */
int LL_Switch_Init_NoReset(const LL_Switch_Conf *routes, int count);

/* Clears the destination register of each route. Returns LL_ZUNO_OK. */
int LL_Switch_Deinit(const LL_Switch_Conf *routes, int count);

/* Clears only the enabled contexts of each route's destination register. Returns LL_ZUNO_OK. */
int LL_Switch_Deinit_Fine_Grained(const LL_Switch_Conf *routes, int count);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_SWITCH_H */
