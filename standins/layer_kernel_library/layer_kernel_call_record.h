/* What the stand-in kernels record about the last call, so tests can inspect every object they were given. */
#ifndef LAYER_KERNEL_CALL_RECORD_H
#define LAYER_KERNEL_CALL_RECORD_H

#include "layer_kernel_library.h"

#ifdef __cplusplus
extern "C" {
#endif

#define LKL_MAX_LIST_SLOTS 6u   /* slots copied per tensor list */
#define LKL_MAX_DIMS 4u         /* dimensions copied per shape or stride */
#define LKL_MAX_PARAM_VALUES 8u /* elements copied per parameter array */

typedef struct {
  ai_array_format format;
  uint32_t size;
  const void *data;
  const void *data_start;
} lkl_array_record;

/* A parameter array (nl_params, scales, roi, neutral value, repeats): its fields and a copy of its first
 * elements, converted to double whatever the element type, since it lives on the caller's stack. */
typedef struct {
  bool present;
  lkl_array_record array;
  uint32_t copied;
  double values[LKL_MAX_PARAM_VALUES];
} lkl_param_record;

typedef struct {
  uint8_t storage_class;
  uint8_t size;
  bool has_data;
  uint32_t data[LKL_MAX_DIMS];
} lkl_shape_record;

typedef struct {
  bool present; /* the tensor's klass pointed to a quantization list */
  uint16_t flags;
  uint16_t size;
  bool has_info;
  const float *scale;
  const void *zeropoint;
} lkl_quant_record;

typedef struct {
  bool present; /* the slot held a tensor */
  uint16_t id;
  uint8_t flags;
  uint8_t data_arrays;
  lkl_shape_record shape;
  lkl_shape_record stride;
  bool has_array;
  lkl_array_record array;
  lkl_quant_record quant;
} lkl_tensor_record;

typedef struct {
  uint32_t size;
  uint32_t flags;
  bool has_info;
  bool has_slots; /* the list's slot pointer was not null */
  lkl_tensor_record slots[LKL_MAX_LIST_SLOTS];
} lkl_list_record;

/* Kind-specific fields of every layer record type, flattened; fields of other kinds stay zero. */
typedef struct {
  int32_t groups;
  uint32_t filter_stride[2];
  uint32_t dilation[2];
  lkl_shape_record filter_pad;
  uint32_t in_ch_format;
  uint32_t out_ch_format;
  lkl_param_record nl_params;
  bool has_nl_func;
  float alpha;
  float beta;
  uint8_t tA;
  uint8_t tB;
  uint32_t mode;
  bool center;
  lkl_param_record scales;
  lkl_param_record roi;
  uint8_t nearest_mode;
  uint8_t coord_transf_mode;
  float cubic_coeff_a;
  bool exclude_outside;
  float extrapol_val;
  int32_t axis;
  int32_t select_last_index;
  bool has_indices;
  ai_func_binary operation;
  ai_func_buffer buffer_operation;
  ai_func_buffer_integer buffer_operation_integer;
  uint32_t pool_size[2];
  uint32_t pool_stride[2];
  lkl_shape_record pool_pad;
  bool count_include_pad;
  lkl_param_record neutral_value;
  float eps;
  float exponent;
  bool scale;
  uint32_t norm_type;
  uint32_t local_size;
  float k;
  lkl_param_record repeats;
} lkl_layer_fields;

typedef struct {
  uint32_t calls;     /* kernels run since the last reset */
  const char *kernel; /* name of the last kernel run */
  ai_layer_forward_func kernel_fn;
  uint32_t type;
  uint32_t id;
  uint32_t flags;
  bool has_klass;
  bool has_network;
  bool has_next;
  ai_layer_forward_func forward;
  bool has_chain;
  uint32_t chain_size;
  lkl_list_record lists[AI_TENSOR_CHAIN_SIZE];
  lkl_layer_fields fields;
} lkl_call_record;

enum { LKL_LIST_INPUTS = 0, LKL_LIST_OUTPUTS = 1, LKL_LIST_PARAMS = 2, LKL_LIST_SCRATCH = 3 };

/* The last call; a test double may keep this one global record. */
extern lkl_call_record lkl_last_call;

/* Called by every kernel after recording, while the caller's objects are still alive; null by default. */
extern void (*lkl_call_hook)(const ai_layer *layer);

/* Clears the record and the hook. */
void lkl_reset(void);

/* Bytes per element of a format the stand-in knows, 0 otherwise. */
uint32_t lkl_format_bytes(ai_array_format format);

#ifdef __cplusplus
}
#endif

#endif /* LAYER_KERNEL_CALL_RECORD_H */
