/* Runtime interface of a network instance and the main loop that runs one instance to completion. */
#ifndef LL_ZUNO_RUNLOOP_H
#define LL_ZUNO_RUNLOOP_H

#include <stdbool.h>
#include <stdint.h>

#include "ll_zuno_buffer_info.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Run modes: polling calls the runtime back to back; an interrupt-driven build waits for events. */
#define LL_ZUNO_RT_POLLING 1
#define LL_ZUNO_RT_ASYNC   2
#ifndef LL_ZUNO_RT_MODE
#define LL_ZUNO_RT_MODE LL_ZUNO_RT_POLLING
#endif

/* Results of running one epoch block; stored in one byte. */
typedef enum __attribute__((packed)) LL_ZUNO_RT_RetValues {
  LL_ZUNO_RT_NO_WFE = 0, /* call again at once */
  LL_ZUNO_RT_WFE = 1,    /* an event is awaited before the next call */
  LL_ZUNO_RT_DONE = 2,   /* the network has run completely */
} LL_ZUNO_RT_RetValues_t;

/* Moments at which the runtime calls an instance's epoch callback; stored in one byte. */
typedef enum __attribute__((packed)) LL_ZUNO_RT_Callbacktype {
  LL_ZUNO_RT_Callbacktype_PRE_START = 0,
  LL_ZUNO_RT_Callbacktype_POST_START = 1,
  LL_ZUNO_RT_Callbacktype_PRE_END = 2,
  LL_ZUNO_RT_Callbacktype_POST_END = 3,
  LL_ZUNO_RT_Callbacktype_NN_Init = 4,
  LL_ZUNO_RT_Callbacktype_NN_DeInit = 5,
  LL_ZUNO_RT_Callbacktype_RT_Init = 6,
  LL_ZUNO_RT_Callbacktype_RT_Deinit = 7,
} LL_ZUNO_RT_Callbacktype_t;

/* Results of setting a user input or output buffer; stored in one byte. */
typedef enum __attribute__((packed)) LL_ZUNO_User_IO_Result {
  LL_ZUNO_User_IO_NOERROR = 0,
  LL_ZUNO_User_IO_WRONG_ALIGN = 1,
  LL_ZUNO_User_IO_WRONG_SIZE = 2,
  LL_ZUNO_User_IO_WRONG_INDEX = 3,
} LL_ZUNO_User_IO_Result_t;

typedef void (*EpochBlock_FuncPtr_t)(const void *epoch_block);

/* One entry of a network's epoch-block table. */
typedef struct {
  EpochBlock_FuncPtr_t start_epoch_block;
  EpochBlock_FuncPtr_t end_epoch_block;
  uintptr_t blob_address;
  uint32_t wait_mask;
  uint16_t flags;
} EpochBlock_ItemTypeDef;

typedef bool (*NN_EC_Hook_TypeDef)(void);
typedef LL_ZUNO_User_IO_Result_t (*NN_InputSetter_TypeDef)(uint32_t num, void *buffer, uint32_t size);
typedef void *(*NN_InputGetter_TypeDef)(uint32_t num);
typedef LL_ZUNO_User_IO_Result_t (*NN_OutputSetter_TypeDef)(uint32_t num, void *buffer, uint32_t size);
typedef void *(*NN_OutputGetter_TypeDef)(uint32_t num);
typedef const EpochBlock_ItemTypeDef *(*NN_EpochBlockItems_TypeDef)(void);
typedef const LL_Buffer_InfoTypeDef *(*NN_Buffers_Info_TypeDef)(void);

/* The constant table of one network's generated functions. */
typedef struct {
  const char *network_name;
  NN_EC_Hook_TypeDef ec_network_init;   /* once, when the network is initialised */
  NN_EC_Hook_TypeDef ec_inference_init; /* before each inference */
  NN_InputSetter_TypeDef input_setter;
  NN_InputGetter_TypeDef input_getter;
  NN_OutputSetter_TypeDef output_setter;
  NN_OutputGetter_TypeDef output_getter;
  NN_EpochBlockItems_TypeDef epoch_block_items;
  NN_Buffers_Info_TypeDef output_buffers_info;
  NN_Buffers_Info_TypeDef input_buffers_info;
  NN_Buffers_Info_TypeDef internal_buffers_info;
} NN_Interface_TypeDef;

struct NN_Instance;

typedef void (*TraceEpochBlock_FuncPtr_t)(LL_ZUNO_RT_Callbacktype_t type,
                                          const struct NN_Instance *instance,
                                          const EpochBlock_ItemTypeDef *epoch_block);

/* The runtime's progress through a network; owned by the runtime, zero before the first run. */
typedef struct {
  volatile const EpochBlock_ItemTypeDef *current_epoch_block;
  volatile const EpochBlock_ItemTypeDef *first_epoch_block;
  volatile const EpochBlock_ItemTypeDef *next_epoch_block;
  volatile const EpochBlock_ItemTypeDef *saved_current_epoch_block;
  volatile const EpochBlock_ItemTypeDef *saved_first_epoch_block;
  bool inference_started;
  volatile uint32_t nr_of_epoch_blocks;
  volatile uint32_t saved_nr_of_epoch_blocks;
  TraceEpochBlock_FuncPtr_t epoch_callback_function;
} NN_Execution_State_TypeDef;

/* One running instance of a network. */
typedef struct NN_Instance {
  const NN_Interface_TypeDef *network; /* must not be null */
  NN_Execution_State_TypeDef exec_state;
} NN_Instance_TypeDef;

/* Declares the functions generated for network net. */
#define LL_ZUNO_DECLARE_NAMED_NN_PROTOS(net)                                                          \
  bool LL_ZUNO_EC_Network_Init_##net(void);                                                          \
  bool LL_ZUNO_EC_Inference_Init_##net(void);                                                        \
  LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Input_Buffer_##net(uint32_t num, void *buffer, uint32_t size); \
  void *LL_ZUNO_Get_User_Input_Buffer_##net(uint32_t num);                                          \
  LL_ZUNO_User_IO_Result_t LL_ZUNO_Set_User_Output_Buffer_##net(uint32_t num, void *buffer, uint32_t size); \
  void *LL_ZUNO_Get_User_Output_Buffer_##net(uint32_t num);                                         \
  const EpochBlock_ItemTypeDef *LL_ZUNO_EpochBlockItems_##net(void);                                \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Output_Buffers_Info_##net(void);                             \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Input_Buffers_Info_##net(void);                              \
  const LL_Buffer_InfoTypeDef *LL_ZUNO_Internal_Buffers_Info_##net(void);

/* Defines the constant interface table NN_Interface_<net> of network net. */
#define LL_ZUNO_DECLARE_NAMED_NN_INTERFACE(net)                                                       \
  LL_ZUNO_DECLARE_NAMED_NN_PROTOS(net)                                                              \
  const NN_Interface_TypeDef NN_Interface_##net = {                                                 \
    #net,                                                                                            \
    LL_ZUNO_EC_Network_Init_##net,                                                                   \
    LL_ZUNO_EC_Inference_Init_##net,                                                                 \
    LL_ZUNO_Set_User_Input_Buffer_##net,                                                             \
    LL_ZUNO_Get_User_Input_Buffer_##net,                                                             \
    LL_ZUNO_Set_User_Output_Buffer_##net,                                                            \
    LL_ZUNO_Get_User_Output_Buffer_##net,                                                            \
    LL_ZUNO_EpochBlockItems_##net,                                                                   \
    LL_ZUNO_Output_Buffers_Info_##net,                                                               \
    LL_ZUNO_Input_Buffers_Info_##net,                                                                \
    LL_ZUNO_Internal_Buffers_Info_##net,                                                             \
  };

/* Defines the instance NN_Instance_<inst> of the network behind interface, with a zero state. */
#define LL_ZUNO_DECLARE_NAMED_NN_INSTANCE(inst, interface)                                            \
  NN_Instance_TypeDef NN_Instance_##inst = { .network = (interface), .exec_state = { 0 } };

/* Defines the interface table and one instance of network net, both named after it. */
#define LL_ZUNO_DECLARE_NAMED_NN_INSTANCE_AND_INTERFACE(net)                                          \
  LL_ZUNO_DECLARE_NAMED_NN_INTERFACE(net)                                                           \
  LL_ZUNO_DECLARE_NAMED_NN_INSTANCE(net, &NN_Interface_##net)

/* Provided by the device runtime library. */
void LL_ZUNO_RT_RuntimeInit(void);
void LL_ZUNO_RT_Init_Network(NN_Instance_TypeDef *network_instance);
LL_ZUNO_RT_RetValues_t LL_ZUNO_RT_RunEpochBlock(NN_Instance_TypeDef *network_instance);
void LL_ZUNO_RT_DeInit_Network(NN_Instance_TypeDef *network_instance);
void LL_ZUNO_RT_RuntimeDeInit(void);

/* Sets up the runtime, runs every epoch block of the instance's network until the runtime reports
 * LL_ZUNO_RT_DONE, and tears the network and the runtime down again. */
void LL_ZUNO_RT_Main(NN_Instance_TypeDef *network_instance);

#ifdef __cplusplus
}
#endif

#endif /* LL_ZUNO_RUNLOOP_H */
