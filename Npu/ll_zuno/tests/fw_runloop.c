/* Run loop checks against the recording runtime stand-in: call order, polling, and its two assertions. */
#include <stddef.h>

#include "ll_zuno_runloop.h"
#include "runtime_recorder.h"
#include "zuno_check.h"

static const NN_Interface_TypeDef kHooklessNetwork = { "hookless", NULL, NULL, NULL, NULL, NULL,
                                                       NULL, NULL, NULL, NULL, NULL };

static void check_call(unsigned int i, RuntimeRecorderOp op, const NN_Instance_TypeDef *instance)
{
  const RuntimeRecorderCall *call = runtime_recorder_call(i);
  if (!ZUNO_CHECK(call != NULL)) {
    return;
  }
  ZUNO_CHECK_EQ_U(call->op, op);
  ZUNO_CHECK(call->instance == instance);
}

ZUNO_TEST(runloop_polls_until_done_then_tears_down)
{
  static const LL_ZUNO_RT_RetValues_t script[3] = { LL_ZUNO_RT_WFE, LL_ZUNO_RT_NO_WFE, LL_ZUNO_RT_DONE };
  NN_Instance_TypeDef instance = { &kHooklessNetwork, { 0 } };
  runtime_recorder_reset(script, 3);
  LL_ZUNO_RT_Main(&instance);
  ZUNO_CHECK_EQ_U(runtime_recorder_count(), 7);
  check_call(0, RT_CALL_RUNTIME_INIT, NULL);
  check_call(1, RT_CALL_INIT_NETWORK, &instance);
  check_call(2, RT_CALL_RUN_EPOCH_BLOCK, &instance);
  check_call(3, RT_CALL_RUN_EPOCH_BLOCK, &instance);
  check_call(4, RT_CALL_RUN_EPOCH_BLOCK, &instance);
  check_call(5, RT_CALL_DEINIT_NETWORK, &instance);
  check_call(6, RT_CALL_RUNTIME_DEINIT, NULL);
}

ZUNO_TEST(runloop_runs_a_network_that_is_done_at_once)
{
  NN_Instance_TypeDef instance = { &kHooklessNetwork, { 0 } };
  runtime_recorder_reset(NULL, 0);
  LL_ZUNO_RT_Main(&instance);
  ZUNO_CHECK_EQ_U(runtime_recorder_count(), 5);
  check_call(2, RT_CALL_RUN_EPOCH_BLOCK, &instance);
  check_call(3, RT_CALL_DEINIT_NETWORK, &instance);
}

static void run_main(void *instance)
{
  LL_ZUNO_RT_Main((NN_Instance_TypeDef *)instance);
}

ZUNO_TEST(runloop_asserts_on_a_missing_instance_or_network)
{
  if (!zuno_assert_capture_available()) {
    return;
  }
  NN_Instance_TypeDef no_network = { NULL, { 0 } };
  struct {
    NN_Instance_TypeDef *instance;
    const char *expr;
    int line;
  } rows[2] = {
    { NULL, "network_instance != ((void *)0)", 47 },
    { &no_network, "network_instance->network != ((void *)0)", 48 },
  };
  for (size_t i = 0; i < 2; ++i) {
    ZunoAssertReport report = { NULL, NULL, 0, NULL };
    runtime_recorder_reset(NULL, 0);
    ZUNO_CHECK(zuno_expect_assert(run_main, rows[i].instance, &report));
    ZUNO_CHECK_STR(report.expr, rows[i].expr);
    ZUNO_CHECK_STR(report.file, "ll_zuno_runloop.c");
    ZUNO_CHECK_EQ_I(report.line, rows[i].line);
    ZUNO_CHECK_STR(report.func, "LL_ZUNO_RT_Main");
    ZUNO_CHECK_EQ_U(runtime_recorder_count(), 0);
  }
}

ZUNO_TEST(runtime_enumerations_take_one_byte)
{
  ZUNO_CHECK_EQ_U(sizeof(LL_ZUNO_RT_RetValues_t), 1);
  ZUNO_CHECK_EQ_U(sizeof(LL_ZUNO_RT_Callbacktype_t), 1);
  ZUNO_CHECK_EQ_U(sizeof(LL_ZUNO_User_IO_Result_t), 1);
  ZUNO_CHECK_EQ_U(LL_ZUNO_RT_DONE, 2);
  ZUNO_CHECK_EQ_U(LL_ZUNO_RT_Callbacktype_RT_Deinit, 7);
  ZUNO_CHECK_EQ_U(LL_ZUNO_User_IO_WRONG_INDEX, 3);
}
