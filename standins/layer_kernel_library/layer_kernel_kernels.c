/* Stand-in kernels: each records which kernel ran and everything its layer record holds, and computes nothing. */
#include "layer_kernel_capture.h"

#include <stddef.h>

static lkl_layer_fields *fields(void)
{
  return &lkl_last_call.fields;
}

static void capture_conv2d(const ai_layer *layer)
{
  const ai_layer_conv2d *l = (const ai_layer_conv2d *)(const void *)layer;
  lkl_layer_fields *f = fields();
  f->groups = l->groups;
  f->filter_stride[0] = l->filter_stride.data[0];
  f->filter_stride[1] = l->filter_stride.data[1];
  f->dilation[0] = l->dilation.data[0];
  f->dilation[1] = l->dilation.data[1];
  lkl_capture_shape(&f->filter_pad, &l->filter_pad);
  f->in_ch_format = l->in_ch_format;
  f->out_ch_format = l->out_ch_format;
  lkl_capture_param(&f->nl_params, l->nl_params);
  f->has_nl_func = l->nl_func != NULL;
}

static void capture_gemm(const ai_layer *layer)
{
  const ai_layer_gemm *l = (const ai_layer_gemm *)(const void *)layer;
  fields()->alpha = l->alpha;
  fields()->beta = l->beta;
  fields()->tA = l->tA;
  fields()->tB = l->tB;
}

static void capture_nl(const ai_layer *layer)
{
  const ai_layer_nl *l = (const ai_layer_nl *)(const void *)layer;
  lkl_capture_param(&fields()->nl_params, l->nl_params);
}

static void capture_upsample(const ai_layer *layer)
{
  const ai_layer_upsample *l = (const ai_layer_upsample *)(const void *)layer;
  lkl_layer_fields *f = fields();
  f->mode = l->mode;
  f->center = l->center;
  lkl_capture_param(&f->scales, l->scales);
  f->nearest_mode = l->nearest_mode;
}

static void capture_resize(const ai_layer *layer)
{
  const ai_layer_resize *l = (const ai_layer_resize *)(const void *)layer;
  lkl_layer_fields *f = fields();
  f->coord_transf_mode = l->coord_transf_mode;
  f->cubic_coeff_a = l->cubic_coeff_a;
  f->exclude_outside = l->exclude_outside;
  f->extrapol_val = l->extrapol_val;
  f->mode = l->mode;
  f->nearest_mode = l->nearest_mode;
  lkl_capture_param(&f->scales, l->scales);
  lkl_capture_param(&f->roi, l->roi);
}

static void capture_sm(const ai_layer *layer)
{
  const ai_layer_sm *l = (const ai_layer_sm *)(const void *)layer;
  lkl_capture_param(&fields()->nl_params, l->nl_params);
  fields()->axis = l->axis;
}

static void capture_eltwise(const ai_layer *layer)
{
  const ai_layer_eltwise *l = (const ai_layer_eltwise *)(const void *)layer;
  fields()->operation = l->operation;
  fields()->buffer_operation = l->buffer_operation;
}

static void capture_eltwise_integer(const ai_layer *layer)
{
  const ai_layer_eltwise_integer *l = (const ai_layer_eltwise_integer *)(const void *)layer;
  fields()->operation = l->operation;
  fields()->buffer_operation_integer = l->buffer_operation;
}

static void capture_pool(const ai_layer *layer)
{
  const ai_layer_pool *l = (const ai_layer_pool *)(const void *)layer;
  lkl_layer_fields *f = fields();
  f->pool_size[0] = l->pool_size.data[0];
  f->pool_size[1] = l->pool_size.data[1];
  f->pool_stride[0] = l->pool_stride.data[0];
  f->pool_stride[1] = l->pool_stride.data[1];
  lkl_capture_shape(&f->pool_pad, &l->pool_pad);
  f->count_include_pad = l->count_include_pad;
}

static void capture_argminmax(const ai_layer *layer)
{
  const ai_layer_argminmax *l = (const ai_layer_argminmax *)(const void *)layer;
  fields()->axis = l->axis;
  fields()->select_last_index = l->select_last_index;
}

static void capture_gather(const ai_layer *layer)
{
  const ai_layer_gather *l = (const ai_layer_gather *)(const void *)layer;
  fields()->axis = l->axis;
  fields()->has_indices = l->indices != NULL;
}

static void capture_reduce(const ai_layer *layer)
{
  const ai_layer_reduce *l = (const ai_layer_reduce *)(const void *)layer;
  lkl_capture_param(&fields()->neutral_value, l->neutral_value);
  fields()->operation = l->operation;
}

static void capture_reduce_log_sum_exp(const ai_layer *layer)
{
  const ai_layer_reduce_log_sum_exp *l = (const ai_layer_reduce_log_sum_exp *)(const void *)layer;
  fields()->axis = l->axis;
}

static void capture_instance_normalization(const ai_layer *layer)
{
  const ai_layer_instanceNormalization *l = (const ai_layer_instanceNormalization *)(const void *)layer;
  fields()->eps = l->eps;
}

static void capture_norm(const ai_layer *layer)
{
  const ai_layer_norm *l = (const ai_layer_norm *)(const void *)layer;
  fields()->axis = l->axis;
  fields()->exponent = l->exponent;
  fields()->scale = l->scale;
  fields()->norm_type = l->norm_type;
}

static void capture_lrn(const ai_layer *layer)
{
  const ai_layer_lrn *l = (const ai_layer_lrn *)(const void *)layer;
  fields()->local_size = l->local_size;
  fields()->k = l->k;
  fields()->alpha = l->alpha;
  fields()->beta = l->beta;
}

static void capture_tile(const ai_layer *layer)
{
  const ai_layer_tile *l = (const ai_layer_tile *)(const void *)layer;
  lkl_capture_param(&fields()->repeats, l->repeats);
}

static void capture_concat(const ai_layer *layer)
{
  const ai_layer_concat *l = (const ai_layer_concat *)(const void *)layer;
  fields()->axis = (int32_t)l->axis;
}

static void capture_nothing(const ai_layer *layer)
{
  (void)layer;
}

#define LKL_KERNEL(name, capture)                                                                                \
  void name(ai_layer *layer)                                                                                     \
  {                                                                                                              \
    lkl_capture_layer(#name, name, layer);                                                                       \
    capture(layer);                                                                                              \
    lkl_finish_call(layer);                                                                                      \
  }

LKL_KERNEL(forward_conv2d_if32of32wf32_group, capture_conv2d)
LKL_KERNEL(forward_gemm, capture_gemm)
LKL_KERNEL(forward_matmul, capture_nl)
LKL_KERNEL(forward_upsample_zeros, capture_upsample)
LKL_KERNEL(forward_resize, capture_resize)
LKL_KERNEL(forward_sm, capture_sm)
LKL_KERNEL(forward_relu, capture_nl)
LKL_KERNEL(forward_prelu, capture_nl)
LKL_KERNEL(forward_relu_thresholded, capture_nl)
LKL_KERNEL(forward_elu, capture_nl)
LKL_KERNEL(forward_selu, capture_nl)
LKL_KERNEL(forward_clip, capture_nl)
LKL_KERNEL(forward_hard_sigmoid, capture_nl)
LKL_KERNEL(forward_sigmoid, capture_nl)
LKL_KERNEL(forward_atan, capture_nl)
LKL_KERNEL(forward_atanh, capture_nl)
LKL_KERNEL(forward_acos, capture_nl)
LKL_KERNEL(forward_acosh, capture_nl)
LKL_KERNEL(forward_asin, capture_nl)
LKL_KERNEL(forward_asinh, capture_nl)
LKL_KERNEL(forward_tan, capture_nl)
LKL_KERNEL(forward_tanh, capture_nl)
LKL_KERNEL(forward_cos, capture_nl)
LKL_KERNEL(forward_cosh, capture_nl)
LKL_KERNEL(forward_sin, capture_nl)
LKL_KERNEL(forward_sinh, capture_nl)
LKL_KERNEL(forward_sqrt, capture_nl)
LKL_KERNEL(forward_ceil, capture_nl)
LKL_KERNEL(forward_floor, capture_nl)
LKL_KERNEL(forward_exp, capture_nl)
LKL_KERNEL(forward_log, capture_nl)
LKL_KERNEL(forward_erf, capture_nl)
LKL_KERNEL(forward_hardmax, capture_nl)
LKL_KERNEL(forward_hard_swish, capture_nl)
LKL_KERNEL(forward_swish, capture_nl)
LKL_KERNEL(forward_abs, capture_nl)
LKL_KERNEL(forward_soft_sign, capture_nl)
LKL_KERNEL(forward_soft_plus, capture_nl)
LKL_KERNEL(forward_neg, capture_nl)
LKL_KERNEL(forward_reciprocal, capture_nl)
LKL_KERNEL(forward_round, capture_nl)
LKL_KERNEL(forward_eltwise, capture_eltwise)
LKL_KERNEL(forward_mp, capture_pool)
LKL_KERNEL(forward_ap, capture_pool)
LKL_KERNEL(forward_argmax, capture_argminmax)
LKL_KERNEL(forward_argmin, capture_argminmax)
LKL_KERNEL(forward_gather, capture_gather)
LKL_KERNEL(forward_reduce, capture_reduce)
LKL_KERNEL(forward_reduce_log_sum_exp, capture_reduce_log_sum_exp)
LKL_KERNEL(forward_instanceNormalization, capture_instance_normalization)
LKL_KERNEL(forward_norm, capture_norm)
LKL_KERNEL(forward_sign, capture_nl)
LKL_KERNEL(forward_lrn, capture_lrn)
LKL_KERNEL(forward_tile, capture_tile)
LKL_KERNEL(forward_concat, capture_concat)

LKL_KERNEL(forward_dense_integer, capture_nothing)
LKL_KERNEL(node_convert, capture_nl)
LKL_KERNEL(node_convert_integer, capture_nl)
LKL_KERNEL(forward_pw_sssa8_ch, capture_conv2d)
LKL_KERNEL(forward_conv2d_rgb_sssa8_ch, capture_conv2d)
LKL_KERNEL(forward_dw_dm_sssa8_ch, capture_conv2d)
LKL_KERNEL(forward_conv2d_dilated_sssa8_ch, capture_conv2d)
LKL_KERNEL(forward_conv2d_sssa8_ch, capture_conv2d)
LKL_KERNEL(forward_conv2d_integer, capture_conv2d)
LKL_KERNEL(forward_eltwise_integer, capture_eltwise_integer)
LKL_KERNEL(forward_mp_integer, capture_pool)
LKL_KERNEL(forward_ap_integer, capture_pool)
LKL_KERNEL(forward_sm_integer, capture_sm)
LKL_KERNEL(forward_relu_integer, capture_nl)
LKL_KERNEL(forward_prelu_integer, capture_nl)
LKL_KERNEL(forward_resize_nearest_is8os8, capture_resize)
LKL_KERNEL(forward_resize_bilinear_is8os8, capture_resize)
