/* Device-runtime stand-in for tests: records the run loop's calls and plays back scripted results. */
#include "runtime_recorder.h"

#include <stddef.h>

static RuntimeRecorderCall recorded[RUNTIME_RECORDER_CAPACITY];
static unsigned int num_calls;
static LL_ZUNO_RT_RetValues_t script[RUNTIME_RECORDER_SCRIPT_CAPACITY];
static unsigned int script_length;
static unsigned int script_pos;
static bool network_init_result;
static bool inference_init_result;

static void record(RuntimeRecorderOp op, const NN_Instance_TypeDef *instance)
{
  if (num_calls < RUNTIME_RECORDER_CAPACITY) {
    RuntimeRecorderCall call = { op, instance };
    recorded[num_calls] = call;
  }
  ++num_calls;
}

void runtime_recorder_reset(const LL_ZUNO_RT_RetValues_t *results, unsigned int count)
{
  num_calls = 0;
  script_pos = 0;
  script_length = count < RUNTIME_RECORDER_SCRIPT_CAPACITY ? count : RUNTIME_RECORDER_SCRIPT_CAPACITY;
  for (unsigned int i = 0; i < script_length; ++i) {
    script[i] = results[i];
  }
  network_init_result = false;
  inference_init_result = false;
}

unsigned int runtime_recorder_count(void)
{
  return num_calls;
}

const RuntimeRecorderCall *runtime_recorder_call(unsigned int i)
{
  return i < num_calls && i < RUNTIME_RECORDER_CAPACITY ? &recorded[i] : NULL;
}

bool runtime_recorder_network_init_result(void)
{
  return network_init_result;
}

bool runtime_recorder_inference_init_result(void)
{
  return inference_init_result;
}

void LL_ZUNO_RT_RuntimeInit(void)
{
  record(RT_CALL_RUNTIME_INIT, NULL);
}

void LL_ZUNO_RT_Init_Network(NN_Instance_TypeDef *network_instance)
{
  record(RT_CALL_INIT_NETWORK, network_instance);
  const NN_Interface_TypeDef *network = network_instance->network;
  if (network->ec_network_init != NULL) {
    network_init_result = network->ec_network_init();
  }
}

LL_ZUNO_RT_RetValues_t LL_ZUNO_RT_RunEpochBlock(NN_Instance_TypeDef *network_instance)
{
  record(RT_CALL_RUN_EPOCH_BLOCK, network_instance);
  if (!network_instance->exec_state.inference_started) {
    network_instance->exec_state.inference_started = true;
    const NN_Interface_TypeDef *network = network_instance->network;
    if (network->ec_inference_init != NULL) {
      inference_init_result = network->ec_inference_init();
    }
  }
  return script_pos < script_length ? script[script_pos++] : LL_ZUNO_RT_DONE;
}

void LL_ZUNO_RT_DeInit_Network(NN_Instance_TypeDef *network_instance)
{
  record(RT_CALL_DEINIT_NETWORK, network_instance);
  network_instance->exec_state.inference_started = false;
}

void LL_ZUNO_RT_RuntimeDeInit(void)
{
  record(RT_CALL_RUNTIME_DEINIT, NULL);
}
