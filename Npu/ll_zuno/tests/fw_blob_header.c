/* A network whose blob header is in the recorder's form, run through the run loop, loader and caches. */
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "blob_loader.h"
#include "ll_zuno_runloop.h"

/* Pools the blob relocates against; a pointer lets a test move the activations between inferences. */
static uint8_t tiny_weights_pool[64];
static uint8_t tiny_activations[2][64];
static uint8_t *tiny_act_pool = tiny_activations[0];

#include "tiny_ecblobs.h"

#include "cache_recorder.h"
#include "runtime_recorder.h"
#include "zuno_check.h"

static const EpochBlock_ItemTypeDef tiny_epoch_blocks[1] = { { NULL, NULL, 0, 0, 0 } };
static const LL_Buffer_InfoTypeDef tiny_buffers[1];

LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Input_Buffer_tiny(uint32_t num, void *buffer, uint32_t size)
{
  (void)buffer;
  (void)size;
  return num == 0 ? LL_ZUNO_User_IO_NOERROR : LL_ZUNO_User_IO_WRONG_INDEX;
}

void *LL_ZUNO_Get_User_Input_Buffer_tiny(uint32_t num)
{
  return num == 0 ? tiny_act_pool : NULL;
}

LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Output_Buffer_tiny(uint32_t num, void *buffer, uint32_t size)
{
  return LL_ZUNO_Set_User_Input_Buffer_tiny(num, buffer, size);
}

void *LL_ZUNO_Get_User_Output_Buffer_tiny(uint32_t num)
{
  return LL_ZUNO_Get_User_Input_Buffer_tiny(num);
}

const EpochBlock_ItemTypeDef *LL_ZUNO_EpochBlockItems_tiny(void)
{
  return tiny_epoch_blocks;
}

const LL_Buffer_InfoTypeDef *LL_ZUNO_Output_Buffers_Info_tiny(void)
{
  return tiny_buffers;
}

const LL_Buffer_InfoTypeDef *LL_ZUNO_Input_Buffers_Info_tiny(void)
{
  return tiny_buffers;
}

const LL_Buffer_InfoTypeDef *LL_ZUNO_Internal_Buffers_Info_tiny(void)
{
  return tiny_buffers;
}

LL_ZUNO_DECLARE_NAMED_NN_INSTANCE_AND_INTERFACE(tiny)

static ECAddr addr_of(const uint8_t *p)
{
  return (ECAddr)(uintptr_t)p;
}

static void check_cache_call(unsigned int i, CacheRecorderOp op)
{
  const CacheRecorderCall *call = cache_recorder_call(i);
  if (!ZUNO_CHECK(call != NULL)) {
    return;
  }
  ZUNO_CHECK_EQ_U(call->op, op);
  ZUNO_CHECK(call->addr == (uintptr_t)_blob0);
  ZUNO_CHECK_EQ_U(call->size, 32);
}

ZUNO_TEST(declared_interface_lists_the_network_functions)
{
  ZUNO_CHECK_STR(NN_Interface_tiny.network_name, "tiny");
  ZUNO_CHECK(NN_Interface_tiny.ec_network_init == LL_ZUNO_EC_Network_Init_tiny);
  ZUNO_CHECK(NN_Interface_tiny.ec_inference_init == LL_ZUNO_EC_Inference_Init_tiny);
  ZUNO_CHECK(NN_Interface_tiny.input_setter == LL_ZUNO_Set_User_Input_Buffer_tiny);
  ZUNO_CHECK(NN_Interface_tiny.input_getter == LL_ZUNO_Get_User_Input_Buffer_tiny);
  ZUNO_CHECK(NN_Interface_tiny.output_setter == LL_ZUNO_Set_User_Output_Buffer_tiny);
  ZUNO_CHECK(NN_Interface_tiny.output_getter == LL_ZUNO_Get_User_Output_Buffer_tiny);
  ZUNO_CHECK(NN_Interface_tiny.epoch_block_items == LL_ZUNO_EpochBlockItems_tiny);
  ZUNO_CHECK(NN_Interface_tiny.output_buffers_info == LL_ZUNO_Output_Buffers_Info_tiny);
  ZUNO_CHECK(NN_Interface_tiny.input_buffers_info == LL_ZUNO_Input_Buffers_Info_tiny);
  ZUNO_CHECK(NN_Interface_tiny.internal_buffers_info == LL_ZUNO_Internal_Buffers_Info_tiny);
  ZUNO_CHECK(NN_Instance_tiny.network == &NN_Interface_tiny);
  ZUNO_CHECK(NN_Instance_tiny.exec_state.current_epoch_block == NULL);
}

ZUNO_TEST(blob_header_runs_through_the_run_loop)
{
  const ECInstr *program = (const ECInstr *)_blob0;
  ECAddr weights = addr_of(tiny_weights_pool);
  ECAddr act0 = addr_of(tiny_activations[0]);
  ECAddr act1 = addr_of(tiny_activations[1]);

  runtime_recorder_reset(NULL, 0);
  cache_recorder_reset();
  tiny_act_pool = tiny_activations[0];
  LL_ZUNO_RT_Main(&NN_Instance_tiny);
  ZUNO_CHECK(runtime_recorder_network_init_result());
  ZUNO_CHECK(runtime_recorder_inference_init_result());
  ZUNO_CHECK_EQ_U(program[0], ECFORGE_PROGRAM_MAGIC);
  ZUNO_CHECK_EQ_U(program[1], 5);
  ZUNO_CHECK_EQ_U(program[2], (ECAddr)(0x10000100u + weights));
  ZUNO_CHECK_EQ_U(program[3], (ECAddr)(0x00000200u + act0));
  ZUNO_CHECK_EQ_U(program[4], 0x10000300u);
  ZUNO_CHECK_EQ_U(program[5], (ECAddr)(0x00000400u + act0));
  ZUNO_CHECK_EQ_U(program[6], 0x00000500u);
  ZUNO_CHECK_EQ_U(_blob0_prev_base_addrs[_blob0_pool_act_RELOC_IDX], act0);
  ZUNO_CHECK_EQ_U(_blob0_prev_base_addrs[_blob0_pool_weights_RELOC_IDX], weights);
  ZUNO_CHECK_EQ_U(cache_recorder_count(), 4);
  check_cache_call(0, CACHE_OP_NPU_CLEAN_INVALIDATE);
  check_cache_call(1, CACHE_OP_MCU_CLEAN);
  check_cache_call(2, CACHE_OP_NPU_CLEAN_INVALIDATE);
  check_cache_call(3, CACHE_OP_MCU_CLEAN);

  /* The next inference moves the activations: only their words change, by the difference. */
  tiny_act_pool = tiny_activations[1];
  ZUNO_CHECK(LL_ZUNO_EC_Inference_Init_tiny());
  ZUNO_CHECK_EQ_U(program[2], (ECAddr)(0x10000100u + weights));
  ZUNO_CHECK_EQ_U(program[3], (ECAddr)(0x00000200u + act1));
  ZUNO_CHECK_EQ_U(program[5], (ECAddr)(0x00000400u + act1));
  ZUNO_CHECK_EQ_U(_blob0_prev_base_addrs[_blob0_pool_act_RELOC_IDX], act1);
}
