/* Stack-built layer kernel library objects shared by the float and integer software kernel adapters. */
#include "swk_layer_objects.h"

#include <string.h>

static void array_init(ai_array *array, const Tensor_info *desc, ai_array_format format)
{
  array->format = format;
  array->size = desc->dim.num_elem;
  array->data = desc->mem.start_offset;
  array->data_start = desc->mem.start_offset;
}

static ai_tensor *tensor_finish(swk_tensor *t)
{
  t->tensor.klass = NULL;
  t->tensor.info.id = 0;
  t->tensor.info.flags = SWK_TENSOR_INFO_FLAGS;
  t->tensor.info.data_arrays = 1;
  t->tensor.shape.storage_class = AI_STORAGE_CLASS_SHAPE;
  t->tensor.shape.size = SWK_DIMS;
  t->tensor.shape.data = t->shape;
  t->tensor.stride.storage_class = AI_STORAGE_CLASS_STRIDE;
  t->tensor.stride.size = SWK_DIMS;
  t->tensor.stride.data = t->stride;
  t->tensor.data = &t->array;
  return &t->tensor;
}

static void set4(uint32_t out[SWK_DIMS], uint32_t b, uint32_t c, uint32_t w, uint32_t h)
{
  out[0] = b;
  out[1] = c;
  out[2] = w;
  out[3] = h;
}

ai_tensor *swk_tensor_init(swk_tensor *t, const Tensor_info *desc, ai_array_format format)
{
  array_init(&t->array, desc, format);
  set4(t->shape, desc->dim.tensor_b, desc->dim.tensor_c, desc->dim.tensor_w, desc->dim.tensor_h);
  set4(t->stride, desc->stride.b, desc->stride.c, desc->stride.w, desc->stride.h);
  return tensor_finish(t);
}

ai_tensor *swk_tensor_init_conv_weights(swk_tensor *t, const Tensor_info *desc, ai_array_format format)
{
  array_init(&t->array, desc, format);
  set4(t->shape, desc->dim.tensor_c, desc->dim.tensor_w, desc->dim.tensor_h, desc->dim.tensor_b);
  set4(t->stride, desc->stride.b, desc->stride.b, desc->stride.w, desc->stride.h);
  return tensor_finish(t);
}

void swk_tensor_quantize(swk_tensor *t, swk_quant *q, const Tensor_info *scale, const Tensor_info *zeropoint,
                         bool zeropoint_signed)
{
  q->info.scale = (const float *)(const void *)scale->mem.start_offset;
  q->info.zeropoint = zeropoint->mem.start_offset;
  q->list.flags = (uint16_t)(AI_BUFFER_META_FLAG_SCALE_FLOAT |
                             (zeropoint_signed ? AI_BUFFER_META_FLAG_ZEROPOINT_S8 : AI_BUFFER_META_FLAG_ZEROPOINT_U8));
  q->list.size = (uint16_t)scale->dim.num_elem;
  q->list.info = &q->info;
  t->tensor.klass = &q->list;
}

ai_tensor_chain *swk_chain_init(swk_chain *c)
{
  memset(c->slots, 0, sizeof c->slots);
  for (unsigned i = 0; i < AI_TENSOR_CHAIN_SIZE; ++i) {
    c->lists[i].size = 0;
    c->lists[i].flags = 0;
    c->lists[i].tensor = c->slots[i];
    c->lists[i].info = NULL;
  }
  c->chain.size = AI_TENSOR_CHAIN_SIZE;
  c->chain.chain = c->lists;
  return &c->chain;
}

void swk_chain_add(swk_chain *c, unsigned list, ai_tensor *tensor)
{
  ai_tensor_list *l = &c->lists[list];
  c->slots[list][l->size] = tensor;
  l->size++;
}

ai_layer swk_layer_base(ai_layer_type type, uint32_t id, ai_layer_forward_func forward, ai_tensor_chain *chain)
{
  ai_layer base = {
    .type = (uint32_t)type,
    .id = id,
    .flags = 0,
    .klass = NULL,
    .network = NULL,
    .next = NULL,
    .forward = forward,
    .tensors = chain,
  };
  return base;
}

ai_array swk_param_array(ai_array_format format, uint32_t size, void *data)
{
  ai_array array = { .format = format, .size = size, .data = data, .data_start = data };
  return array;
}

ai_shape swk_pad_shape(ai_shape_dimension storage[SWK_DIMS], int32_t p0, int32_t p1, int32_t p2, int32_t p3)
{
  storage[0] = (ai_shape_dimension)p0;
  storage[1] = (ai_shape_dimension)p1;
  storage[2] = (ai_shape_dimension)p2;
  storage[3] = (ai_shape_dimension)p3;
  ai_shape shape = { .storage_class = AI_STORAGE_CLASS_SHAPE, .size = SWK_DIMS, .data = storage };
  return shape;
}

ai_shape_2d swk_pair_wh(int32_t h, int32_t w)
{
  ai_shape_2d pair = { { (ai_shape_dimension)w, (ai_shape_dimension)h } };
  return pair;
}

ai_layer_conv2d swk_conv2d_layer(ai_layer_forward_func forward, ai_tensor_chain *chain, int ngroup,
                                 const int32_t pads[4], const int32_t strides[4], const int32_t dilations[2],
                                 ai_shape_dimension pad_storage[SWK_DIMS])
{
  ai_layer_conv2d layer = {
    .base = swk_layer_base(AI_LAYER_CONV2D_TYPE, 1, forward, chain),
    .groups = ngroup,
    .filter_stride = swk_pair_wh(strides[0], strides[1]),
    .dilation = swk_pair_wh(dilations[0], dilations[1]),
    .filter_pad = swk_pad_shape(pad_storage, pads[0], pads[1], pads[2], pads[3]),
    .in_ch_format = AI_LAYER_FORMAT_CHANNEL_LAST_VALID,
    .out_ch_format = AI_LAYER_FORMAT_CHANNEL_LAST_VALID,
    .nl_params = NULL,
    .nl_func = NULL,
  };
  return layer;
}

int32_t swk_axis_map(int axis)
{
  switch (axis) {
  case 0:
    return 0;
  case 1:
    return 1;
  case 2:
    return 3;
  case 3:
    return 2;
  default:
    return -1;
  }
}

/* An empty input dimension cannot be scaled; it keeps the identity scale. */
static float ratio(uint32_t out, uint32_t in)
{
  return in == 0 ? 1.0f : (float)out / (float)in;
}

void swk_resize_scales(float pair[2], const Tensor_info *scales, const General *general)
{
  if (scales->mem.start_offset != NULL && scales->dim.num_elem >= 4) {
    /* The scale tensor is a byte address; copying avoids assuming float alignment. */
    memcpy(pair, scales->mem.start_offset + 2 * sizeof(float), 2 * sizeof(float));
    return;
  }
  pair[0] = ratio(general->output.dim.tensor_h, general->input.dim.tensor_h);
  pair[1] = ratio(general->output.dim.tensor_w, general->input.dim.tensor_w);
}

void swk_run_resize(ai_layer_forward_func kernel, ai_tensor_chain *tensors, const swk_resize_settings *settings,
                    const General *general)
{
  float scale_pair[2];
  swk_resize_scales(scale_pair, settings->scales, general);
  ai_array scales = swk_param_array(AI_ARRAY_FORMAT_FLOAT, 2, scale_pair);
  if (settings->mode == RESIZE_ZEROS) {
    ai_layer_upsample layer = {
      .base = swk_layer_base(AI_LAYER_UPSAMPLE_TYPE, 1, kernel, tensors),
      .mode = AI_UPSAMPLE_ZEROS,
      .center = false,
      .scales = &scales,
      .nearest_mode = 0,
    };
    kernel(&layer.base);
    return;
  }
  const Tensor_info *roi_desc = settings->roi;
  ai_array roi = swk_param_array(AI_ARRAY_FORMAT_FLOAT, roi_desc->dim.num_elem, roi_desc->mem.start_offset);
  ai_layer_resize layer = {
    .base = swk_layer_base(AI_LAYER_RESIZE_TYPE, 1, kernel, tensors),
    .coord_transf_mode = settings->coord_transf_mode,
    .cubic_coeff_a = settings->cubic_coeff_a,
    .exclude_outside = settings->exclude_outside,
    .extrapol_val = settings->extrapol_val,
    .mode = settings->mode,
    .nearest_mode = settings->nearest_mode,
    .scales = &scales,
    .roi = roi_desc->mem.start_offset != NULL ? &roi : NULL,
  };
  kernel(&layer.base);
}
