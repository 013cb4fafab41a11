/* Integer software kernel adapters: quantized descriptor records to layer kernel library calls. */
#include "swk_integer.h"

#include "swk_layer_objects.h"

#include <stddef.h>
#include <string.h>

/* 8-bit data by the tensor's own signedness. */
static ai_array_format plain_format(const Tensor_info *t)
{
  return t->format.is_signed ? AI_ARRAY_FORMAT_S8 : AI_ARRAY_FORMAT_U8;
}

/* The layer's input and output arrays are marked as such for the library. */
static ai_array_format io_format(const Tensor_info *t)
{
  return plain_format(t) | AI_FMT_FLAG_IS_IO;
}

/* A quantized tensor: data by the common rule, quantization info pointing at the caller's scale and zero point. */
static ai_tensor *quantized(swk_tensor *t, swk_quant *q, const Tensor_info *desc, ai_array_format format,
                            const Tensor_info *scale, const Tensor_info *zeropoint, bool zeropoint_signed)
{
  ai_tensor *tensor = swk_tensor_init(t, desc, format);
  swk_tensor_quantize(t, q, scale, zeropoint, zeropoint_signed);
  return tensor;
}

/* Quantized input and output of a layer; the caller says which descriptors decide the zero-point signedness. */
static void add_quantized_io(swk_chain *chain, swk_tensor tensors[2], swk_quant quants[2], const General *general,
                             const Tensor_info *is, const Tensor_info *izp, bool input_zp_signed,
                             const Tensor_info *os, const Tensor_info *ozp, bool output_zp_signed)
{
  swk_chain_add(chain, SWK_LIST_INPUTS,
                quantized(&tensors[0], &quants[0], &general->input, io_format(&general->input), is, izp,
                          input_zp_signed));
  swk_chain_add(chain, SWK_LIST_OUTPUTS,
                quantized(&tensors[1], &quants[1], &general->output, io_format(&general->output), os, ozp,
                          output_zp_signed));
}

/* The fields the two dense records share. */
typedef struct {
  const General *general;
  const Tensor_info *weights, *scratch, *bias, *ws, *wzp, *is, *izp, *os, *ozp;
} dense_parts;

static void dense_integer(const dense_parts *p)
{
  swk_tensor io[2], weights, bias, scratch;
  swk_quant io_quant[2], weights_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, p->general, p->is, p->izp, p->izp->format.is_signed, p->os, p->ozp,
                   p->ozp->format.is_signed);
  swk_chain_add(&chain, SWK_LIST_PARAMS,
                quantized(&weights, &weights_quant, p->weights, plain_format(p->weights), p->ws, p->wzp,
                          p->wzp->format.is_signed));
  /* The dense kernel takes the bias with its channel count in C and the record's width in W. */
  ai_tensor *bias_tensor = swk_tensor_init(&bias, p->bias, AI_ARRAY_FORMAT_S32);
  bias.shape[1] = p->bias->dim.tensor_w;
  bias.shape[2] = p->bias->dim.tensor_c;
  swk_chain_add(&chain, SWK_LIST_PARAMS, bias_tensor);
  swk_chain_add(&chain, SWK_LIST_PARAMS, NULL);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, swk_tensor_init(&scratch, p->scratch, plain_format(p->scratch)));
  ai_layer_dense layer = { .base = swk_layer_base(AI_LAYER_DENSE_TYPE, 1, forward_dense_integer, tensors) };
  forward_dense_integer(&layer.base);
}

void ll_sw_forward_qlinearmatmul(void *sw_info_struct)
{
  const Qlinearmatmul_sw_info *info = sw_info_struct;
  /* A matrix product has no bias: the shared dense kernel must add zeros. */
  if (info->bias.mem.start_offset != NULL) {
    memset(info->bias.mem.start_offset, 0, (size_t)info->bias.dim.num_elem * sizeof(int32_t));
  }
  const dense_parts parts = { &info->general, &info->weights, &info->scratch, &info->bias, &info->ws,
                              &info->wzp,     &info->is,      &info->izp,     &info->os,   &info->ozp };
  dense_integer(&parts);
}

void ll_sw_forward_gemm_integer(void *sw_info_struct)
{
  const Gemm_integer_sw_info *info = sw_info_struct;
  const dense_parts parts = { &info->general, &info->weights, &info->scratch, &info->bias, &info->ws,
                              &info->wzp,     &info->is,      &info->izp,     &info->os,   &info->ozp };
  dense_integer(&parts);
}

/* A conversion layer: the caller has put the input and output into the chain. */
static void convert(ai_tensor_chain *tensors, ai_layer_forward_func kernel)
{
  ai_layer_nl layer = { .base = swk_layer_base(AI_LAYER_NL_TYPE, 1, kernel, tensors), .nl_params = NULL };
  kernel(&layer.base);
}

void ll_sw_forward_quantizelinear(void *sw_info_struct)
{
  const Quantizelinear_sw_info *info = sw_info_struct;
  const General *general = &info->general;
  swk_tensor in, out;
  swk_quant out_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  swk_chain_add(&chain, SWK_LIST_INPUTS, swk_tensor_init(&in, &general->input, AI_ARRAY_FORMAT_FLOAT));
  swk_chain_add(&chain, SWK_LIST_OUTPUTS,
                quantized(&out, &out_quant, &general->output, io_format(&general->output), &info->os, &info->ozp,
                          info->os.format.is_signed));
  convert(tensors, node_convert);
}

void ll_sw_forward_dequantizelinear(void *sw_info_struct)
{
  const Dequantizelinear_sw_info *info = sw_info_struct;
  const General *general = &info->general;
  swk_tensor in, out;
  swk_quant in_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  swk_chain_add(&chain, SWK_LIST_INPUTS,
                quantized(&in, &in_quant, &general->input, io_format(&general->input), &info->is, &info->izp,
                          info->is.format.is_signed));
  swk_chain_add(&chain, SWK_LIST_OUTPUTS, swk_tensor_init(&out, &general->output, AI_ARRAY_FORMAT_FLOAT));
  convert(tensors, node_convert);
}

void ll_sw_forward_requantizelinear(void *sw_info_struct)
{
  const Requantizelinear_sw_info *info = sw_info_struct;
  swk_tensor io[2];
  swk_quant io_quant[2];
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->is.format.is_signed, &info->os,
                   &info->ozp, info->os.format.is_signed);
  convert(tensors, node_convert_integer);
}

static ai_layer_forward_func conv_kernel(conv_fwd_case fwd_func)
{
  switch (fwd_func) {
  case LL_SW_SSSA_PW_CONV: return forward_pw_sssa8_ch;
  case LL_SW_SSSA_RGB_CONV: return forward_conv2d_rgb_sssa8_ch;
  case LL_SW_SSSA_DW_CONV: return forward_dw_dm_sssa8_ch;
  case LL_SW_SSSA_DILATED_CONV: return forward_conv2d_dilated_sssa8_ch;
  case LL_SW_SSSA_GENERIC_CONV: return forward_conv2d_sssa8_ch;
  case LL_SW_GENERIC_CONV: return forward_conv2d_integer;
  default: return NULL;
  }
}

void ll_sw_forward_conv_integer(void *sw_info_struct)
{
  const Conv_integer_sw_info *info = sw_info_struct;
  const ai_layer_forward_func kernel = conv_kernel(info->fwd_func);
  if (kernel == NULL) {
    return;
  }
  swk_tensor io[2], weights, bias, scratch;
  swk_quant io_quant[2], weights_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->izp.format.is_signed,
                   &info->os, &info->ozp, info->ozp.format.is_signed);
  swk_chain_add(&chain, SWK_LIST_PARAMS,
                swk_tensor_init_conv_weights(&weights, &info->weights, plain_format(&info->weights)));
  swk_tensor_quantize(&weights, &weights_quant, &info->ws, &info->wzp, info->wzp.format.is_signed);
  swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init(&bias, &info->bias, AI_ARRAY_FORMAT_S32));
  swk_chain_add(&chain, SWK_LIST_PARAMS, NULL);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, swk_tensor_init(&scratch, &info->scratch, plain_format(&info->scratch)));
  ai_shape_dimension pads[SWK_DIMS];
  ai_layer_conv2d layer =
    swk_conv2d_layer(kernel, tensors, info->ngroup, info->pads, info->strides, info->dilations, pads);
  kernel(&layer.base);
}

static bool eltwise_operation(NodeType kind, bool is_signed, ai_func_binary *operation,
                              ai_func_buffer_integer *buffer_operation)
{
  switch (kind) {
  case LL_SW_ARITHSUM:
    *operation = ai_sum;
    *buffer_operation = is_signed ? ai_sum_buffer_INT8 : ai_sum_buffer_UINT8;
    return true;
  case LL_SW_ARITHSUB:
    *operation = ai_sub;
    *buffer_operation = is_signed ? ai_sub_buffer_INT8 : ai_sub_buffer_UINT8;
    return true;
  case LL_SW_ARITHMUL:
    *operation = ai_mul;
    *buffer_operation = is_signed ? ai_mul_buffer_INT8 : ai_mul_buffer_UINT8;
    return true;
  case LL_SW_ARITHDIV:
    *operation = ai_div;
    *buffer_operation = is_signed ? ai_div_buffer_INT8 : ai_div_buffer_UINT8;
    return true;
  default: return false;
  }
}

void ll_sw_forward_eltwise_integer(void *sw_info_struct)
{
  const Eltwise_integer_sw_info *info = sw_info_struct;
  ai_func_binary operation;
  ai_func_buffer_integer buffer_operation;
  if (!eltwise_operation(info->general.type, info->general.input.format.is_signed, &operation, &buffer_operation)) {
    return;
  }
  swk_tensor io[2], operand;
  swk_quant io_quant[2], operand_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->is.format.is_signed, &info->os,
                   &info->ozp, info->os.format.is_signed);
  swk_chain_add(&chain, SWK_LIST_INPUTS,
                quantized(&operand, &operand_quant, &info->operand, io_format(&info->operand), &info->operand_s,
                          &info->operand_zp, info->operand_s.format.is_signed));
  ai_layer_eltwise_integer layer = {
    .base = swk_layer_base(AI_LAYER_ELTWISE_INTEGER_TYPE, 2, forward_eltwise_integer, tensors),
    .operation = operation,
    .buffer_operation = buffer_operation,
  };
  forward_eltwise_integer(&layer.base);
}

static ai_layer_forward_func pool_kernel(NodeType kind)
{
  switch (kind) {
  case LL_SW_MAXPOOL: return forward_mp_integer;
  case LL_SW_AVGPOOL: return forward_ap_integer;
  default: return NULL;
  }
}

/* Pooling over quantized input and output, each flagged by its scale descriptor. */
typedef struct {
  swk_tensor io[2];
  swk_quant io_quant[2];
  swk_chain chain;
  ai_shape_dimension pads[SWK_DIMS];
} pool_objects;

static ai_tensor_chain *pool_chain(pool_objects *o, const General *general, const Tensor_info *is,
                                   const Tensor_info *izp, const Tensor_info *os, const Tensor_info *ozp)
{
  ai_tensor_chain *tensors = swk_chain_init(&o->chain);
  add_quantized_io(&o->chain, o->io, o->io_quant, general, is, izp, is->format.is_signed, os, ozp,
                   os->format.is_signed);
  return tensors;
}

void ll_sw_forward_pool_integer(void *sw_info_struct)
{
  const Pool_integer_sw_info *info = sw_info_struct;
  const ai_layer_forward_func kernel = pool_kernel(info->general.type);
  if (kernel == NULL) {
    return;
  }
  pool_objects o;
  ai_tensor_chain *tensors = pool_chain(&o, &info->general, &info->is, &info->izp, &info->os, &info->ozp);
  const bool average = info->general.type == LL_SW_AVGPOOL;
  /* The integer average-pooling kernel reads its pads in the reverse order. */
  const ai_shape pool_pad =
    average ? swk_pad_shape(o.pads, info->pads[3], info->pads[2], info->pads[1], info->pads[0])
            : swk_pad_shape(o.pads, info->pads[0], info->pads[1], info->pads[2], info->pads[3]);
  ai_layer_pool layer = {
    .base = swk_layer_base(AI_LAYER_POOL_TYPE, 1, kernel, tensors),
    .pool_size = swk_pair_wh(info->k_shape[0], info->k_shape[1]),
    .pool_stride = swk_pair_wh(info->strides[0], info->strides[1]),
    .pool_pad = pool_pad,
    .count_include_pad = average ? info->count_include_pad : false,
  };
  kernel(&layer.base);
}

void ll_sw_forward_global_pool_integer(void *sw_info_struct)
{
  const Global_pool_integer_sw_info *info = sw_info_struct;
  const ai_layer_forward_func kernel = pool_kernel(info->general.type);
  if (kernel == NULL) {
    return;
  }
  pool_objects o;
  ai_tensor_chain *tensors = pool_chain(&o, &info->general, &info->is, &info->izp, &info->os, &info->ozp);
  ai_layer_pool layer = {
    .base = swk_layer_base(AI_LAYER_POOL_TYPE, 1, kernel, tensors),
    .pool_size = swk_pair_wh((int32_t)info->general.input.dim.tensor_h, (int32_t)info->general.input.dim.tensor_w),
    .pool_stride = swk_pair_wh(1, 1),
    .pool_pad = swk_pad_shape(o.pads, 0, 0, 0, 0),
    .count_include_pad = false,
  };
  kernel(&layer.base);
}

void ll_sw_forward_softmax_integer(void *sw_info_struct)
{
  const Softmax_integer_sw_info *info = sw_info_struct;
  swk_tensor io[2], scratch;
  swk_quant io_quant[2];
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->izp.format.is_signed,
                   &info->os, &info->ozp, info->ozp.format.is_signed);
  swk_chain_add(&chain, SWK_LIST_SCRATCH, swk_tensor_init(&scratch, &info->scratch, AI_ARRAY_FORMAT_S32));
  int32_t param_values[3] = { info->quantized_multiplier, info->left_shift, info->diff_min };
  ai_array params = swk_param_array(AI_ARRAY_FORMAT_S32, 3, param_values);
  ai_layer_sm layer = {
    .base = swk_layer_base(AI_LAYER_SM_TYPE, 1, forward_sm_integer, tensors),
    .nl_params = &params,
    .axis = (int16_t)swk_axis_map(info->axis),
  };
  forward_sm_integer(&layer.base);
}

void ll_sw_forward_activ_integer(void *sw_info_struct)
{
  const Activ_integer_sw_info *info = sw_info_struct;
  const NodeType kind = info->general.type;
  if (kind != LL_SW_RELU && kind != LL_SW_PRELU && kind != LL_SW_CLIP) {
    return;
  }
  swk_tensor io[2], slope;
  swk_quant io_quant[2], slope_quant;
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->izp.format.is_signed,
                   &info->os, &info->ozp, info->ozp.format.is_signed);
  if (kind == LL_SW_CLIP) {
    float bounds[2] = { info->min, info->max };
    ai_array params = swk_param_array(AI_ARRAY_FORMAT_FLOAT, 2, bounds);
    ai_layer_nl layer = { .base = swk_layer_base(AI_LAYER_NL_TYPE, 2, forward_clip, tensors), .nl_params = &params };
    forward_clip(&layer.base);
    return;
  }
  /* Rectifiers clamp at the output's zero point; a missing zero point means zero. */
  uint8_t zeropoint = info->ozp.mem.start_offset != NULL ? info->ozp.mem.start_offset[0] : 0;
  ai_array params = swk_param_array(AI_ARRAY_FORMAT_U8, 1, &zeropoint);
  ai_layer_forward_func kernel = forward_relu_integer;
  if (kind == LL_SW_PRELU) {
    kernel = forward_prelu_integer;
    if (info->operand_s.mem.start_offset != NULL) {
      swk_chain_add(&chain, SWK_LIST_PARAMS,
                    quantized(&slope, &slope_quant, &info->operand, io_format(&info->general.output),
                              &info->operand_s, &info->operand_zp, info->operand.format.is_signed));
    } else {
      swk_chain_add(&chain, SWK_LIST_PARAMS, swk_tensor_init(&slope, &info->operand, AI_ARRAY_FORMAT_FLOAT));
    }
  }
  ai_layer_nl layer = { .base = swk_layer_base(AI_LAYER_NL_TYPE, 1, kernel, tensors), .nl_params = &params };
  kernel(&layer.base);
}

void ll_sw_forward_resize_integer(void *sw_info_struct)
{
  const Resize_integer_sw_info *info = sw_info_struct;
  ai_layer_forward_func kernel;
  switch (info->mode) {
  case RESIZE_ZEROS: kernel = forward_upsample_zeros; break;
  case RESIZE_NEAREST: kernel = forward_resize_nearest_is8os8; break;
  case RESIZE_LINEAR: kernel = forward_resize_bilinear_is8os8; break;
  default: return;
  }
  swk_tensor io[2];
  swk_quant io_quant[2];
  swk_chain chain;
  ai_tensor_chain *tensors = swk_chain_init(&chain);
  add_quantized_io(&chain, io, io_quant, &info->general, &info->is, &info->izp, info->izp.format.is_signed,
                   &info->os, &info->ozp, info->ozp.format.is_signed);
  const swk_resize_settings settings = SWK_RESIZE_SETTINGS(info);
  swk_run_resize(kernel, tensors, &settings, &info->general);
}
