/* Test access to the recording device-runtime stand-in: scripted epoch-block results and the calls made. */
#ifndef RUNTIME_RECORDER_H
#define RUNTIME_RECORDER_H

#include <stdbool.h>

#include "ll_zuno_runloop.h"

#ifdef __cplusplus
extern "C" {
#endif

#define RUNTIME_RECORDER_CAPACITY 64u
#define RUNTIME_RECORDER_SCRIPT_CAPACITY 16u

typedef enum {
  RT_CALL_RUNTIME_INIT,
  RT_CALL_INIT_NETWORK,
  RT_CALL_RUN_EPOCH_BLOCK,
  RT_CALL_DEINIT_NETWORK,
  RT_CALL_RUNTIME_DEINIT,
} RuntimeRecorderOp;

typedef struct {
  RuntimeRecorderOp op;
  const NN_Instance_TypeDef *instance; /* NULL for the runtime-wide calls */
} RuntimeRecorderCall;

/* Forgets every recorded call and scripts the results of the next count calls of
 * LL_ZUNO_RT_RunEpochBlock; once the script is used up every further call returns LL_ZUNO_RT_DONE,
 * so a test cannot spin for ever. */
void runtime_recorder_reset(const LL_ZUNO_RT_RetValues_t *results, unsigned int count);

/* Returns the number of calls made since the last reset, including any beyond the capacity. */
unsigned int runtime_recorder_count(void);

/* Returns call i (in call order), or NULL when it was not recorded. */
const RuntimeRecorderCall *runtime_recorder_call(unsigned int i);

/* Results of the interface's ec_network_init (called by LL_ZUNO_RT_Init_Network) and
 * ec_inference_init (called by the first LL_ZUNO_RT_RunEpochBlock of a run); false when a hook
 * failed or was not called. */
bool runtime_recorder_network_init_result(void);
bool runtime_recorder_inference_init_result(void);

#ifdef __cplusplus
}
#endif

#endif /* RUNTIME_RECORDER_H */
