/* Float software kernel adapters: descriptor records to layer kernel library calls, and inline batch norm. */
#include "swk_float.h"

#include "swk_layer_objects.h"

#include <float.h>
#include <math.h>
#include <stddef.h>
#include <string.h>

#define FLOAT_FORMAT AI_ARRAY_FORMAT_FLOAT

/* Normalisation epsilon: the float nearest 1e-5, bit pattern 0x3727C5AC. */
#define SWK_NORM_EPSILON 1e-5f

/* Input and output tensors of the layer, each the single entry of its list. */
static void add_io(swk_chain *chain, swk_tensor *in, swk_tensor *out, const General *general)
{
  swk_chain_add(chain, SWK_LIST_INPUTS, swk_tensor_init(in, &general->input, FLOAT_FORMAT));
  swk_chain_add(chain, SWK_LIST_OUTPUTS, swk_tensor_init(out, &general->output, FLOAT_FORMAT));
}

void ll_sw_forward_conv(void *sw_info_struct)
{
  const Conv_sw_info *info = sw_info_struct;
  swk_tensor in, out, weights, bias;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init_conv_weights(&weights, &info->weights, FLOAT_FORMAT));
  swk_chain_add(&chain, SWK_LIST_PARAMS,
                info->bias.mem.start_offset != NULL ? swk_tensor_init(&bias, &info->bias, FLOAT_FORMAT) : NULL);
  swk_chain_add(&chain, SWK_LIST_PARAMS, NULL);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, NULL);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, NULL);
  ai_shape_dimension pads[SWK_DIMS];
  ai_layer_conv2d layer = swk_conv2d_layer(forward_conv2d_if32of32wf32_group, tensors, info->ngroup, info->pads,
                                           info->strides, info->dilations, pads);
  forward_conv2d_if32of32wf32_group(&layer.base);
}

void ll_sw_forward_gemm(void *sw_info_struct)
{
  const Gemm_sw_info *info = sw_info_struct;
  swk_tensor in, out, b, c;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&b, &info->operand_b, FLOAT_FORMAT));
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&c, &info->operand_c, FLOAT_FORMAT));
  ai_layer_gemm layer = {
    .base = swk_layer_base(AI_LAYER_GEMM_TYPE, 1, forward_gemm, tensors),
    .alpha = info->alpha,
    .beta = info->beta,
    .tA = info->tA,
    .tB = info->tB,
  };
  forward_gemm(&layer.base);
}

void ll_sw_forward_matmul(void *sw_info_struct)
{
  const Matmul_sw_info *info = sw_info_struct;
  swk_tensor in, out, b;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&b, &info->operand_b, FLOAT_FORMAT));
  ai_layer_nl layer = { .base = swk_layer_base(AI_LAYER_NL_TYPE, 1, forward_matmul, tensors), .nl_params = NULL };
  forward_matmul(&layer.base);
}

void ll_sw_forward_resize(void *sw_info_struct)
{
  const Resize_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  const swk_resize_settings settings = SWK_RESIZE_SETTINGS(info);
  ai_layer_forward_func kernel = info->mode == RESIZE_ZEROS ? forward_upsample_zeros : forward_resize;
  swk_run_resize(kernel, tensors, &settings, &info->general);
}

void ll_sw_forward_softmax(void *sw_info_struct)
{
  const Softmax_sw_info *info = sw_info_struct;
  swk_tensor in, out, scratch;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, swk_tensor_init(&scratch, &info->scratch, FLOAT_FORMAT));
  ai_layer_sm layer = {
    .base = swk_layer_base(AI_LAYER_SM_TYPE, 1, forward_sm, tensors),
    .nl_params = NULL,
    .axis = (int16_t)swk_axis_map(info->axis),
  };
  forward_sm(&layer.base);
}

/* Kernel of an element-wise activation or math kind and the record fields it takes as parameters. */
static ai_layer_forward_func activ_kernel(const Activ_sw_info *info, float params[2], uint32_t *param_count)
{
  *param_count = 0;
  switch (info->general.type) {
  case LL_SW_RELU: return forward_relu;
  case LL_SW_PRELU: return forward_prelu;
  case LL_SW_THRESHOLDEDRELU:
    params[0] = info->alpha;
    *param_count = 1;
    return forward_relu_thresholded;
  case LL_SW_ELU:
    params[0] = info->alpha;
    *param_count = 1;
    return forward_elu;
  case LL_SW_SELU:
    params[0] = info->alpha;
    params[1] = info->gamma;
    *param_count = 2;
    return forward_selu;
  case LL_SW_CLIP:
    params[0] = info->min;
    params[1] = info->max;
    *param_count = 2;
    return forward_clip;
  case LL_SW_HARDSIGMOID:
    params[0] = info->alpha;
    params[1] = info->beta;
    *param_count = 2;
    return forward_hard_sigmoid;
  case LL_SW_SIGMOID: return forward_sigmoid;
  case LL_SW_ATAN: return forward_atan;
  case LL_SW_ATANH: return forward_atanh;
  case LL_SW_ACOS: return forward_acos;
  case LL_SW_ACOSH: return forward_acosh;
  case LL_SW_ASIN: return forward_asin;
  case LL_SW_ASINH: return forward_asinh;
  case LL_SW_TAN: return forward_tan;
  case LL_SW_TANH: return forward_tanh;
  case LL_SW_COS: return forward_cos;
  case LL_SW_COSH: return forward_cosh;
  case LL_SW_SIN: return forward_sin;
  case LL_SW_SINH: return forward_sinh;
  case LL_SW_SQRT: return forward_sqrt;
  case LL_SW_CEIL: return forward_ceil;
  case LL_SW_FLOOR: return forward_floor;
  case LL_SW_EXP: return forward_exp;
  case LL_SW_LOG: return forward_log;
  case LL_SW_ERF: return forward_erf;
  case LL_SW_HARDMAX: return forward_hardmax;
  case LL_SW_HARDSWISH: return forward_hard_swish;
  case LL_SW_SWISH: return forward_swish;
  case LL_SW_ABS: return forward_abs;
  case LL_SW_SOFTSIGN: return forward_soft_sign;
  case LL_SW_SOFTPLUS: return forward_soft_plus;
  case LL_SW_NEG: return forward_neg;
  case LL_SW_RECIPROCAL: return forward_reciprocal;
  case LL_SW_ROUND: return forward_round;
  default: return NULL;
  }
}

void ll_sw_forward_activ(void *sw_info_struct)
{
  const Activ_sw_info *info = sw_info_struct;
  float param_values[2];
  uint32_t param_count;
  const ai_layer_forward_func kernel = activ_kernel(info, param_values, &param_count);
  if (kernel == NULL) {
    return;
  }
  swk_tensor in, out, slope;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  if (info->general.type == LL_SW_PRELU) {
    swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init(&slope, &info->operand, FLOAT_FORMAT));
  }
  ai_array params = swk_param_array(FLOAT_FORMAT, param_count, param_values);
  ai_layer_nl layer = {
    .base = swk_layer_base(AI_LAYER_NL_TYPE, 2, kernel, tensors),
    .nl_params = param_count > 0 ? &params : NULL,
  };
  kernel(&layer.base);
}

/* Element operation pair of an arithmetic kind. Kinds with no such operation in the library (the logical
 * ones and non-arithmetic kinds) have none, rather than running as a sum that would give wrong numbers. */
static bool arith_operation(NodeType kind, ai_func_binary *operation, ai_func_buffer *buffer_operation)
{
  switch (kind) {
  case LL_SW_ARITHADD:
  case LL_SW_ARITHSUM: *operation = ai_sum; *buffer_operation = ai_sum_buffer; return true;
  case LL_SW_ARITHSUB: *operation = ai_sub; *buffer_operation = ai_sub_buffer; return true;
  case LL_SW_ARITHMUL: *operation = ai_mul; *buffer_operation = ai_mul_buffer; return true;
  case LL_SW_ARITHDIV: *operation = ai_div; *buffer_operation = ai_div_buffer; return true;
  case LL_SW_POW: *operation = ai_pow; *buffer_operation = ai_pow_buffer; return true;
  case LL_SW_EQUAL: *operation = ai_equal; *buffer_operation = ai_equal_buffer; return true;
  case LL_SW_GREATER: *operation = ai_greater; *buffer_operation = ai_greater_buffer; return true;
  case LL_SW_LESS: *operation = ai_less; *buffer_operation = ai_less_buffer; return true;
  case LL_SW_GREATEROREQUAL:
    *operation = ai_greater_or_equal;
    *buffer_operation = ai_greater_or_equal_buffer;
    return true;
  case LL_SW_LESSOREQUAL:
    *operation = ai_less_or_equal;
    *buffer_operation = ai_less_or_equal_buffer;
    return true;
  case LL_SW_MIN: *operation = ai_min; *buffer_operation = ai_min_buffer; return true;
  case LL_SW_MAX: *operation = ai_max; *buffer_operation = ai_max_buffer; return true;
  case LL_SW_MOD: *operation = ai_floor_mod; *buffer_operation = ai_floor_mod_buffer; return true;
  default: return false;
  }
}

void ll_sw_forward_arith(void *sw_info_struct)
{
  const Arith_sw_info *info = sw_info_struct;
  ai_func_binary operation;
  ai_func_buffer buffer_operation;
  if (!arith_operation(info->general.type, &operation, &buffer_operation)) {
    return;
  }
  swk_tensor in, out, operand, operand1, operand2;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&operand, &info->operand, FLOAT_FORMAT));
  /* Only an n-ary sum of three or four inputs takes the extra operands; any other count is binary. */
  const bool nary = info->general.type == LL_SW_ARITHSUM && (info->num_of_inputs == 3 || info->num_of_inputs == 4);
  if (nary) {
    swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&operand1, &info->operand1, FLOAT_FORMAT));
    if (info->num_of_inputs == 4) {
      swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&operand2, &info->operand2, FLOAT_FORMAT));
    }
  }
  ai_layer_eltwise layer = {
    .base = swk_layer_base(AI_LAYER_ELTWISE_TYPE, 2, forward_eltwise, tensors),
    .operation = operation,
    .buffer_operation = buffer_operation,
  };
  forward_eltwise(&layer.base);
}

static ai_layer_forward_func pool_kernel(NodeType kind)
{
  switch (kind) {
  case LL_SW_MAXPOOL: return forward_mp;
  case LL_SW_AVGPOOL: return forward_ap;
  default: return NULL;
  }
}

void ll_sw_forward_pool(void *sw_info_struct)
{
  const Pool_sw_info *info = sw_info_struct;
  const ai_layer_forward_func kernel = pool_kernel(info->general.type);
  if (kernel == NULL) {
    return;
  }
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_shape_dimension pads[SWK_DIMS];
  ai_layer_pool layer = {
    .base = swk_layer_base(AI_LAYER_POOL_TYPE, 1, kernel, tensors),
    .pool_size = swk_pair_wh(info->k_shape[0], info->k_shape[1]),
    .pool_stride = swk_pair_wh(info->strides[0], info->strides[1]),
    .pool_pad = swk_pad_shape(pads, info->pads[0], info->pads[1], info->pads[2], info->pads[3]),
    .count_include_pad = info->general.type == LL_SW_AVGPOOL ? info->count_include_pad : false,
  };
  kernel(&layer.base);
}

void ll_sw_forward_global_pool(void *sw_info_struct)
{
  const Global_pool_sw_info *info = sw_info_struct;
  const ai_layer_forward_func kernel = pool_kernel(info->general.type);
  if (kernel == NULL) {
    return;
  }
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_shape_dimension pads[SWK_DIMS];
  ai_layer_pool layer = {
    .base = swk_layer_base(AI_LAYER_POOL_TYPE, 1, kernel, tensors),
    .pool_size = swk_pair_wh((int32_t)info->general.input.dim.tensor_h, (int32_t)info->general.input.dim.tensor_w),
    .pool_stride = swk_pair_wh(1, 1),
    .pool_pad = swk_pad_shape(pads, 0, 0, 0, 0),
    .count_include_pad = false,
  };
  kernel(&layer.base);
}

static void argminmax(const General *general, int axis, int select_last_index, ai_layer_forward_func kernel)
{
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, general);
  ai_layer_argminmax layer = {
    .base = swk_layer_base(AI_LAYER_ARGMINMAX_TYPE, 1, kernel, tensors),
    .axis = (int16_t)swk_axis_map(axis),
    .select_last_index = (int16_t)select_last_index,
  };
  kernel(&layer.base);
}

void ll_sw_forward_argmax(void *sw_info_struct)
{
  const Argmax_sw_info *info = sw_info_struct;
  argminmax(&info->general, info->axis, info->select_last_index, forward_argmax);
}

void ll_sw_forward_argmin(void *sw_info_struct)
{
  const Argmin_sw_info *info = sw_info_struct;
  argminmax(&info->general, info->axis, info->select_last_index, forward_argmin);
}

void ll_sw_forward_gather(void *sw_info_struct)
{
  const Gather_sw_info *info = sw_info_struct;
  swk_tensor in, out, indices;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&indices, &info->operand, FLOAT_FORMAT));
  ai_layer_gather layer = {
    .base = swk_layer_base(AI_LAYER_GATHER_TYPE, 1, forward_gather, tensors),
    .axis = (int16_t)swk_axis_map(info->axis),
    .indices = NULL,
  };
  forward_gather(&layer.base);
}

/* Operation and starting value of a reduction kind. The maximum starts from the lowest finite float and
 * the product multiplies from 1, so that negative inputs and products come out right. */
static bool reduce_operation(NodeType kind, ai_func_binary *operation, float *neutral)
{
  switch (kind) {
  case LL_SW_REDUCESUM: *operation = ai_sum; *neutral = 0.0f; return true;
  case LL_SW_REDUCEMIN: *operation = ai_min; *neutral = FLT_MAX; return true;
  case LL_SW_REDUCEMEAN: *operation = NULL; *neutral = 0.0f; return true;
  case LL_SW_REDUCEMAX: *operation = ai_max; *neutral = -FLT_MAX; return true;
  case LL_SW_REDUCEPROD: *operation = ai_mul; *neutral = 1.0f; return true;
  default: return false;
  }
}

void ll_sw_forward_reduce(void *sw_info_struct)
{
  const Reduce_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  if (info->general.type == LL_SW_REDUCELOGSUMEXP) {
    ai_tensor_chain *tensors = swk_chain_init(&chain);
    add_io(&chain, &in, &out, &info->general);
    ai_layer_reduce_log_sum_exp layer = {
      .base = swk_layer_base(AI_LAYER_REDUCE_TYPE, 1, forward_reduce_log_sum_exp, tensors),
      .axis = swk_axis_map(info->axis),
    };
    forward_reduce_log_sum_exp(&layer.base);
    return;
  }
  ai_func_binary operation;
  float neutral;
  if (!reduce_operation(info->general.type, &operation, &neutral)) {
    return;
  }
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_array neutral_value = swk_param_array(FLOAT_FORMAT, 1, &neutral);
  ai_layer_reduce layer = {
    .base = swk_layer_base(AI_LAYER_REDUCE_TYPE, 1, forward_reduce, tensors),
    .neutral_value = &neutral_value,
    .operation = operation,
  };
  forward_reduce(&layer.base);
}

/* Inline: the data is channel-innermost, so element i belongs to channel i mod c. */
void ll_sw_forward_bn(void *sw_info_struct)
{
  const Bn_sw_info *info = sw_info_struct;
  const Tensor_dim_info *dim = &info->general.input.dim;
  const size_t channels = dim->tensor_c;
  const size_t count = (size_t)dim->tensor_b * dim->tensor_c * dim->tensor_w * dim->tensor_h;
  const float *x = (const float *)(const void *)info->general.input.mem.start_offset;
  float *y = (float *)(void *)info->general.output.mem.start_offset;
  const float *bias = (const float *)(const void *)info->bias.mem.start_offset;
  const float *scale = (const float *)(const void *)info->scale.mem.start_offset;
  const float *mean = (const float *)(const void *)info->mean.mem.start_offset;
  const float *var = (const float *)(const void *)info->var.mem.start_offset;
  for (size_t i = 0; i < count; ++i) {
    const size_t j = i % channels;
    y[i] = fmaf(scale[j], (x[i] - mean[j]) / sqrtf(var[j] + SWK_NORM_EPSILON), bias[j]);
  }
}

void ll_sw_forward_instance_normalization(void *sw_info_struct)
{
  const Instance_normalization_sw_info *info = sw_info_struct;
  swk_tensor in, out, scale, bias;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init(&scale, &info->scale, FLOAT_FORMAT));
  swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init(&bias, &info->bias, FLOAT_FORMAT));
  swk_chain_add(&chain, SWK_LIST_PARAMS, NULL);
  ai_layer_instanceNormalization layer = {
    .base = swk_layer_base(AI_LAYER_INSTANCENORMALIZATION_TYPE, 1, forward_instanceNormalization, tensors),
    .eps = SWK_NORM_EPSILON,
  };
  forward_instanceNormalization(&layer.base);
}

void ll_sw_forward_lpnormalization(void *sw_info_struct)
{
  const Lpnormalization_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_layer_norm layer = {
    .base = swk_layer_base(AI_LAYER_NORM_TYPE, 1, forward_norm, tensors),
    .axis = (int8_t)swk_axis_map(info->axis),
    .exponent = (float)info->p,
    .scale = false,
    .norm_type = 0,
  };
  forward_norm(&layer.base);
}

void ll_sw_forward_sign(void *sw_info_struct)
{
  const Sign_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_layer_nl layer = { .base = swk_layer_base(AI_LAYER_NL_TYPE, 1, forward_sign, tensors), .nl_params = NULL };
  forward_sign(&layer.base);
}

void ll_sw_forward_lrn(void *sw_info_struct)
{
  const Lrn_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  ai_layer_lrn layer = {
    .base = swk_layer_base(AI_LAYER_LRN_TYPE, 2, forward_lrn, tensors),
    .local_size = info->size,
    .k = info->bias,
    .alpha = info->alpha,
    .beta = info->beta,
  };
  forward_lrn(&layer.base);
}

void ll_sw_forward_tile(void *sw_info_struct)
{
  const Tile_sw_info *info = sw_info_struct;
  swk_tensor in, out;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  /* The library reads the record's repeats in its own dimension order, then one for a fifth dimension. */
  int16_t repeat_values[5] = { info->repeats[2], info->repeats[3], info->repeats[1], info->repeats[0], 1 };
  ai_array repeats = swk_param_array(AI_ARRAY_FORMAT_S16, 5, repeat_values);
  ai_layer_tile layer = {
    .base = swk_layer_base(AI_LAYER_TILE_TYPE, 2, forward_tile, tensors),
    .repeats = &repeats,
  };
  forward_tile(&layer.base);
}

void ll_sw_forward_concat(void *sw_info_struct)
{
  const Concat_sw_info *info = sw_info_struct;
  swk_tensor in, out, operand, operand1, operand2;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_io(&chain, &in, &out, &info->general);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&operand, &info->operand, FLOAT_FORMAT));
  swk_chain_add(&chain, SWK_LIST_INPUTS,
                info->num_of_inputs >= 3 ? swk_tensor_init(&operand1, &info->operand1, FLOAT_FORMAT) : NULL);
  swk_chain_add(&chain, SWK_LIST_INPUTS,
                info->num_of_inputs >= 4 ? swk_tensor_init(&operand2, &info->operand2, FLOAT_FORMAT) : NULL);
  ai_layer_concat layer = {
    .base = swk_layer_base(AI_LAYER_CONCAT_TYPE, 1, forward_concat, tensors),
    .axis = info->concat_axis,
  };
  forward_concat(&layer.base);
}
