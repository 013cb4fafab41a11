/* Runtime main loop: runs one network instance from runtime set-up to runtime tear-down. */
#include "ll_zuno_runloop.h"

#include <assert.h>
#include <stddef.h>

/* This loop is built for one configuration: software fallback on, bare-metal OS layer, polling. */
#if !defined(LL_ZUNO_SW_FALLBACK) || LL_ZUNO_SW_FALLBACK != 1
#error "ll_zuno_runloop is built with the software fallback (LL_ZUNO_SW_FALLBACK 1)"
#endif

#if !defined(LL_ZUNO_OSAL_BARE_METAL)
#error "ll_zuno_runloop is built for the bare-metal OS layer (LL_ZUNO_OSAL_BARE_METAL)"
#endif

#if LL_ZUNO_RT_MODE != LL_ZUNO_RT_POLLING
#error "ll_zuno_runloop is built for polling mode (LL_ZUNO_RT_MODE LL_ZUNO_RT_POLLING)"
#endif

/*
 * Call order of one run:
 *
 *   LL_ZUNO_RT_RuntimeInit()
 *   LL_ZUNO_RT_Init_Network(instance)
 *   LL_ZUNO_RT_RunEpochBlock(instance)    repeated until it returns LL_ZUNO_RT_DONE
 *   LL_ZUNO_RT_DeInit_Network(instance)
 *   LL_ZUNO_RT_RuntimeDeInit()
 *
 * Everything that changes between the calls lives in the instance's exec_state, which belongs to
 * the runtime; this loop keeps no state of its own.
 *
 * In polling mode LL_ZUNO_RT_WFE and LL_ZUNO_RT_NO_WFE both lead straight to the next call: the
 * runtime itself polls the Epoch Controller, so there is no event to wait for here. A runtime that
 * never reports LL_ZUNO_RT_DONE keeps the loop running for ever.
 *
 * The two assertions below are the loop's only checks; their reports (file, line, function and
 * expression) are part of the module's contract, so their place in this file is fixed.
 */

static bool network_is_done(NN_Instance_TypeDef *network_instance)
{
  return LL_ZUNO_RT_RunEpochBlock(network_instance) == LL_ZUNO_RT_DONE;
}

void LL_ZUNO_RT_Main(NN_Instance_TypeDef *network_instance)
{
  assert(network_instance != ((void *)0));
  assert(network_instance->network != ((void *)0));

  LL_ZUNO_RT_RuntimeInit();
  LL_ZUNO_RT_Init_Network(network_instance);

  while (!network_is_done(network_instance)) {
  }

  LL_ZUNO_RT_DeInit_Network(network_instance);
  LL_ZUNO_RT_RuntimeDeInit();
}
