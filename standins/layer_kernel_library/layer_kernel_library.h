/* Test stand-in for the closed layer kernel library: its object model, element operations and kernels. */
#ifndef LAYER_KERNEL_LIBRARY_H
#define LAYER_KERNEL_LIBRARY_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Array formats. S8, U8 and the IS_IO flag carry the library's own values; the other formats only need
 * to be distinct from them and from each other. */
typedef uint32_t ai_array_format;
#define AI_FMT_FLAG_IS_IO (1u << 27)
#define AI_ARRAY_FORMAT_S8 0x00840440u
#define AI_ARRAY_FORMAT_U8 0x00040440u
#define AI_ARRAY_FORMAT_S16 0x00840850u
#define AI_ARRAY_FORMAT_S32 0x00841060u
#define AI_ARRAY_FORMAT_FLOAT 0x01841070u

/* Quantization-info flags: scale type combined with zero-point type. */
#define AI_BUFFER_META_FLAG_SCALE_FLOAT 0x1u
#define AI_BUFFER_META_FLAG_ZEROPOINT_U8 0x2u
#define AI_BUFFER_META_FLAG_ZEROPOINT_S8 0x4u

/* Storage classes of the shape-like values. */
#define AI_STORAGE_CLASS_SHAPE 1u
#define AI_STORAGE_CLASS_STRIDE 2u

#define AI_LAYER_FORMAT_CHANNEL_LAST_VALID 0x2u
#define AI_UPSAMPLE_ZEROS 0x0u

typedef uint32_t ai_shape_dimension;
typedef uint32_t ai_stride_dimension;

typedef struct {
  ai_array_format format;
  uint32_t size; /* element count */
  void *data;
  void *data_start;
} ai_array;

typedef struct {
  uint8_t storage_class;
  uint8_t size;
  ai_shape_dimension *data;
} ai_shape;

typedef struct {
  uint8_t storage_class;
  uint8_t size;
  ai_stride_dimension *data;
} ai_stride;

/* A two-dimensional value, always in the order (W, H). */
typedef struct {
  ai_shape_dimension data[2];
} ai_shape_2d;

typedef struct {
  const float *scale;
  const void *zeropoint;
} ai_intq_info;

typedef struct {
  uint16_t flags;
  uint16_t size; /* number of scale/zero-point pairs */
  const ai_intq_info *info;
} ai_intq_info_list;

typedef struct {
  uint16_t id;
  uint8_t flags;
  uint8_t data_arrays; /* number of data arrays behind the tensor */
} ai_tensor_info;

/* shape and stride are four-dimensional in the order B, C, W, H. */
typedef struct {
  const ai_intq_info_list *klass; /* quantization info, or none */
  ai_tensor_info info;
  ai_shape shape;
  ai_stride stride;
  ai_array *data;
} ai_tensor;

typedef struct {
  uint32_t size;
  uint32_t flags;
  ai_tensor **tensor; /* size slots; an empty list points to one null slot */
  const void *info;
} ai_tensor_list;

/* The four lists, in order: inputs, outputs, weights/parameters, scratch. */
#define AI_TENSOR_CHAIN_SIZE 4u
typedef struct {
  uint32_t size;
  ai_tensor_list *chain;
} ai_tensor_chain;

typedef enum {
  AI_LAYER_CONV2D_TYPE = 0x10,
  AI_LAYER_GEMM_TYPE,
  AI_LAYER_NL_TYPE,
  AI_LAYER_UPSAMPLE_TYPE,
  AI_LAYER_RESIZE_TYPE,
  AI_LAYER_SM_TYPE,
  AI_LAYER_ELTWISE_TYPE,
  AI_LAYER_ELTWISE_INTEGER_TYPE,
  AI_LAYER_POOL_TYPE,
  AI_LAYER_ARGMINMAX_TYPE,
  AI_LAYER_GATHER_TYPE,
  AI_LAYER_REDUCE_TYPE,
  AI_LAYER_INSTANCENORMALIZATION_TYPE,
  AI_LAYER_NORM_TYPE,
  AI_LAYER_LRN_TYPE,
  AI_LAYER_TILE_TYPE,
  AI_LAYER_CONCAT_TYPE,
  AI_LAYER_DENSE_TYPE
} ai_layer_type;

typedef struct ai_layer_ ai_layer;
typedef void (*ai_layer_forward_func)(ai_layer *layer);

/* Fields every layer record starts with; a kind's record embeds it as its first member. */
struct ai_layer_ {
  uint32_t type; /* ai_layer_type */
  uint32_t id;
  uint32_t flags;
  const void *klass;
  void *network;
  ai_layer *next;
  ai_layer_forward_func forward;
  ai_tensor_chain *tensors;
};

typedef void (*ai_layer_nl_func)(const ai_tensor *out, const ai_tensor *in, uint32_t size, const ai_array *params);

/* Element operations on one float element and on a buffer of floats. */
typedef void (*ai_func_binary)(void *out, const void *a, const void *b);
typedef void (*ai_func_buffer)(void *out, const void *a, const void *b, uint32_t count);

/* Quantized element operation on a buffer of 8-bit values: each side is dequantized with its own
 * scale and zero point, combined, and requantized with the output's. */
typedef struct {
  float scale_a, scale_b, scale_out;
  int32_t zp_a, zp_b, zp_out;
} ai_eltwise_quant_params;
typedef void (*ai_func_buffer_integer)(void *out, const void *a, const void *b, uint32_t count,
                                       const ai_eltwise_quant_params *params);

typedef struct {
  ai_layer base;
  int32_t groups;
  ai_shape_2d filter_stride;
  ai_shape_2d dilation;
  ai_shape filter_pad;
  uint32_t in_ch_format;
  uint32_t out_ch_format;
  const ai_array *nl_params;
  ai_layer_nl_func nl_func;
} ai_layer_conv2d;

typedef struct {
  ai_layer base;
  float alpha;
  float beta;
  uint8_t tA;
  uint8_t tB;
} ai_layer_gemm;

typedef struct {
  ai_layer base;
  const ai_array *nl_params;
} ai_layer_nl;

typedef struct {
  ai_layer base;
  uint32_t mode;
  bool center;
  const ai_array *scales;
  uint8_t nearest_mode;
} ai_layer_upsample;

typedef struct {
  ai_layer base;
  uint8_t coord_transf_mode;
  float cubic_coeff_a;
  bool exclude_outside;
  float extrapol_val;
  uint8_t mode;
  uint8_t nearest_mode;
  const ai_array *scales;
  const ai_array *roi;
} ai_layer_resize;

typedef struct {
  ai_layer base;
  const ai_array *nl_params;
  int16_t axis;
} ai_layer_sm;

typedef struct {
  ai_layer base;
  ai_func_binary operation;
  ai_func_buffer buffer_operation;
} ai_layer_eltwise;

typedef struct {
  ai_layer base;
  ai_func_binary operation;
  ai_func_buffer_integer buffer_operation;
} ai_layer_eltwise_integer;

typedef struct {
  ai_layer base;
  ai_shape_2d pool_size;
  ai_shape_2d pool_stride;
  ai_shape pool_pad;
  bool count_include_pad;
} ai_layer_pool;

typedef struct {
  ai_layer base;
  int16_t axis;
  int16_t select_last_index;
} ai_layer_argminmax;

typedef struct {
  ai_layer base;
  int16_t axis;
  const ai_tensor *indices;
} ai_layer_gather;

typedef struct {
  ai_layer base;
  const ai_array *neutral_value;
  ai_func_binary operation;
} ai_layer_reduce;

typedef struct {
  ai_layer base;
  int32_t axis;
} ai_layer_reduce_log_sum_exp;

typedef struct {
  ai_layer base;
  float eps;
} ai_layer_instanceNormalization;

typedef struct {
  ai_layer base;
  int8_t axis;
  float exponent;
  bool scale;
  uint32_t norm_type;
} ai_layer_norm;

typedef struct {
  ai_layer base;
  uint32_t local_size;
  float k;
  float alpha;
  float beta;
} ai_layer_lrn;

typedef struct {
  ai_layer base;
  const ai_array *repeats;
} ai_layer_tile;

typedef struct {
  ai_layer base;
  uint32_t axis;
} ai_layer_concat;

typedef struct {
  ai_layer base;
} ai_layer_dense;

/* Element operations. */
void ai_sum(void *out, const void *a, const void *b);
void ai_sub(void *out, const void *a, const void *b);
void ai_mul(void *out, const void *a, const void *b);
void ai_div(void *out, const void *a, const void *b);
void ai_pow(void *out, const void *a, const void *b);
void ai_min(void *out, const void *a, const void *b);
void ai_max(void *out, const void *a, const void *b);
void ai_floor_mod(void *out, const void *a, const void *b);
void ai_equal(void *out, const void *a, const void *b);
void ai_greater(void *out, const void *a, const void *b);
void ai_less(void *out, const void *a, const void *b);
void ai_greater_or_equal(void *out, const void *a, const void *b);
void ai_less_or_equal(void *out, const void *a, const void *b);

void ai_sum_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_sub_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_mul_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_div_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_pow_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_min_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_max_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_floor_mod_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_equal_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_greater_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_less_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_greater_or_equal_buffer(void *out, const void *a, const void *b, uint32_t count);
void ai_less_or_equal_buffer(void *out, const void *a, const void *b, uint32_t count);

void ai_sum_buffer_INT8(void *out, const void *a, const void *b, uint32_t count,
                        const ai_eltwise_quant_params *params);
void ai_sub_buffer_INT8(void *out, const void *a, const void *b, uint32_t count,
                        const ai_eltwise_quant_params *params);
void ai_mul_buffer_INT8(void *out, const void *a, const void *b, uint32_t count,
                        const ai_eltwise_quant_params *params);
void ai_div_buffer_INT8(void *out, const void *a, const void *b, uint32_t count,
                        const ai_eltwise_quant_params *params);
void ai_sum_buffer_UINT8(void *out, const void *a, const void *b, uint32_t count,
                         const ai_eltwise_quant_params *params);
void ai_sub_buffer_UINT8(void *out, const void *a, const void *b, uint32_t count,
                         const ai_eltwise_quant_params *params);
void ai_mul_buffer_UINT8(void *out, const void *a, const void *b, uint32_t count,
                         const ai_eltwise_quant_params *params);
void ai_div_buffer_UINT8(void *out, const void *a, const void *b, uint32_t count,
                         const ai_eltwise_quant_params *params);

/* Float kernels. */
void forward_conv2d_if32of32wf32_group(ai_layer *layer);
void forward_gemm(ai_layer *layer);
void forward_matmul(ai_layer *layer);
void forward_upsample_zeros(ai_layer *layer);
void forward_resize(ai_layer *layer);
void forward_sm(ai_layer *layer);
void forward_relu(ai_layer *layer);
void forward_prelu(ai_layer *layer);
void forward_relu_thresholded(ai_layer *layer);
void forward_elu(ai_layer *layer);
void forward_selu(ai_layer *layer);
void forward_clip(ai_layer *layer);
void forward_hard_sigmoid(ai_layer *layer);
void forward_sigmoid(ai_layer *layer);
void forward_atan(ai_layer *layer);
void forward_atanh(ai_layer *layer);
void forward_acos(ai_layer *layer);
void forward_acosh(ai_layer *layer);
void forward_asin(ai_layer *layer);
void forward_asinh(ai_layer *layer);
void forward_tan(ai_layer *layer);
void forward_tanh(ai_layer *layer);
void forward_cos(ai_layer *layer);
void forward_cosh(ai_layer *layer);
void forward_sin(ai_layer *layer);
void forward_sinh(ai_layer *layer);
void forward_sqrt(ai_layer *layer);
void forward_ceil(ai_layer *layer);
void forward_floor(ai_layer *layer);
void forward_exp(ai_layer *layer);
void forward_log(ai_layer *layer);
void forward_erf(ai_layer *layer);
void forward_hardmax(ai_layer *layer);
void forward_hard_swish(ai_layer *layer);
void forward_swish(ai_layer *layer);
void forward_abs(ai_layer *layer);
void forward_soft_sign(ai_layer *layer);
void forward_soft_plus(ai_layer *layer);
void forward_neg(ai_layer *layer);
void forward_reciprocal(ai_layer *layer);
void forward_round(ai_layer *layer);
void forward_eltwise(ai_layer *layer);
void forward_mp(ai_layer *layer);
void forward_ap(ai_layer *layer);
void forward_argmax(ai_layer *layer);
void forward_argmin(ai_layer *layer);
void forward_gather(ai_layer *layer);
void forward_reduce(ai_layer *layer);
void forward_reduce_log_sum_exp(ai_layer *layer);
void forward_instanceNormalization(ai_layer *layer);
void forward_norm(ai_layer *layer);
void forward_sign(ai_layer *layer);
void forward_lrn(ai_layer *layer);
void forward_tile(ai_layer *layer);
void forward_concat(ai_layer *layer);

/* Integer kernels and conversions. */
void forward_dense_integer(ai_layer *layer);
void node_convert(ai_layer *layer);
void node_convert_integer(ai_layer *layer);
void forward_pw_sssa8_ch(ai_layer *layer);
void forward_conv2d_rgb_sssa8_ch(ai_layer *layer);
void forward_dw_dm_sssa8_ch(ai_layer *layer);
void forward_conv2d_dilated_sssa8_ch(ai_layer *layer);
void forward_conv2d_sssa8_ch(ai_layer *layer);
void forward_conv2d_integer(ai_layer *layer);
void forward_eltwise_integer(ai_layer *layer);
void forward_mp_integer(ai_layer *layer);
void forward_ap_integer(ai_layer *layer);
void forward_sm_integer(ai_layer *layer);
void forward_relu_integer(ai_layer *layer);
void forward_prelu_integer(ai_layer *layer);
void forward_resize_nearest_is8os8(ai_layer *layer);
void forward_resize_bilinear_is8os8(ai_layer *layer);

#ifdef __cplusplus
}
#endif

#endif /* LAYER_KERNEL_LIBRARY_H */
