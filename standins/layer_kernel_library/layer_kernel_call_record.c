/* The stand-in's last-call record and the copying of layer records into it. */
#include "layer_kernel_capture.h"

#include <string.h>

lkl_call_record lkl_last_call;
void (*lkl_call_hook)(const ai_layer *layer);

void lkl_reset(void)
{
  memset(&lkl_last_call, 0, sizeof lkl_last_call);
  lkl_call_hook = NULL;
}

uint32_t lkl_format_bytes(ai_array_format format)
{
  switch (format & ~AI_FMT_FLAG_IS_IO) {
  case AI_ARRAY_FORMAT_S8:
  case AI_ARRAY_FORMAT_U8:
    return 1;
  case AI_ARRAY_FORMAT_S16:
    return 2;
  case AI_ARRAY_FORMAT_S32:
  case AI_ARRAY_FORMAT_FLOAT:
    return 4;
  default:
    return 0;
  }
}

static void capture_array(lkl_array_record *out, const ai_array *array)
{
  out->format = array->format;
  out->size = array->size;
  out->data = array->data;
  out->data_start = array->data_start;
}

static double element_value(ai_array_format format, const uint8_t *at)
{
  switch (format & ~AI_FMT_FLAG_IS_IO) {
  case AI_ARRAY_FORMAT_S8: {
    int8_t v;
    memcpy(&v, at, sizeof v);
    return v;
  }
  case AI_ARRAY_FORMAT_U8:
    return *at;
  case AI_ARRAY_FORMAT_S16: {
    int16_t v;
    memcpy(&v, at, sizeof v);
    return v;
  }
  case AI_ARRAY_FORMAT_S32: {
    int32_t v;
    memcpy(&v, at, sizeof v);
    return v;
  }
  default: {
    float v;
    memcpy(&v, at, sizeof v);
    return v;
  }
  }
}

void lkl_capture_param(lkl_param_record *out, const ai_array *array)
{
  memset(out, 0, sizeof *out);
  if (array == NULL) {
    return;
  }
  out->present = true;
  capture_array(&out->array, array);
  const uint32_t bytes = lkl_format_bytes(array->format);
  if (bytes == 0 || array->data == NULL) {
    return;
  }
  const uint32_t count = array->size < LKL_MAX_PARAM_VALUES ? array->size : LKL_MAX_PARAM_VALUES;
  const uint8_t *data = (const uint8_t *)array->data;
  for (uint32_t i = 0; i < count; ++i) {
    out->values[i] = element_value(array->format, data + (size_t)i * bytes);
  }
  out->copied = count;
}

static void capture_dims(lkl_shape_record *out, uint8_t storage_class, uint8_t size, const uint32_t *data)
{
  memset(out, 0, sizeof *out);
  out->storage_class = storage_class;
  out->size = size;
  out->has_data = data != NULL;
  if (data == NULL) {
    return;
  }
  const uint32_t count = size < LKL_MAX_DIMS ? size : LKL_MAX_DIMS;
  for (uint32_t i = 0; i < count; ++i) {
    out->data[i] = data[i];
  }
}

void lkl_capture_shape(lkl_shape_record *out, const ai_shape *shape)
{
  capture_dims(out, shape->storage_class, shape->size, shape->data);
}

static void capture_tensor(lkl_tensor_record *out, const ai_tensor *tensor)
{
  memset(out, 0, sizeof *out);
  if (tensor == NULL) {
    return;
  }
  out->present = true;
  out->id = tensor->info.id;
  out->flags = tensor->info.flags;
  out->data_arrays = tensor->info.data_arrays;
  capture_dims(&out->shape, tensor->shape.storage_class, tensor->shape.size, tensor->shape.data);
  capture_dims(&out->stride, tensor->stride.storage_class, tensor->stride.size, tensor->stride.data);
  if (tensor->data != NULL) {
    out->has_array = true;
    capture_array(&out->array, tensor->data);
  }
  const ai_intq_info_list *q = tensor->klass;
  if (q != NULL) {
    out->quant.present = true;
    out->quant.flags = q->flags;
    out->quant.size = q->size;
    if (q->info != NULL) {
      out->quant.has_info = true;
      out->quant.scale = q->info->scale;
      out->quant.zeropoint = q->info->zeropoint;
    }
  }
}

static void capture_list(lkl_list_record *out, const ai_tensor_list *list)
{
  out->size = list->size;
  out->flags = list->flags;
  out->has_info = list->info != NULL;
  out->has_slots = list->tensor != NULL;
  if (list->tensor == NULL) {
    return;
  }
  const uint32_t count = list->size < LKL_MAX_LIST_SLOTS ? list->size : LKL_MAX_LIST_SLOTS;
  for (uint32_t i = 0; i < count; ++i) {
    capture_tensor(&out->slots[i], list->tensor[i]);
  }
}

void lkl_capture_layer(const char *kernel, ai_layer_forward_func kernel_fn, const ai_layer *layer)
{
  const uint32_t calls = lkl_last_call.calls;
  void (*hook)(const ai_layer *) = lkl_call_hook;
  memset(&lkl_last_call, 0, sizeof lkl_last_call);
  lkl_call_hook = hook;
  lkl_last_call.calls = calls + 1;
  lkl_last_call.kernel = kernel;
  lkl_last_call.kernel_fn = kernel_fn;
  lkl_last_call.type = layer->type;
  lkl_last_call.id = layer->id;
  lkl_last_call.flags = layer->flags;
  lkl_last_call.has_klass = layer->klass != NULL;
  lkl_last_call.has_network = layer->network != NULL;
  lkl_last_call.has_next = layer->next != NULL;
  lkl_last_call.forward = layer->forward;
  const ai_tensor_chain *chain = layer->tensors;
  if (chain == NULL) {
    return;
  }
  lkl_last_call.has_chain = true;
  lkl_last_call.chain_size = chain->size;
  if (chain->chain == NULL) {
    return;
  }
  const uint32_t count = chain->size < AI_TENSOR_CHAIN_SIZE ? chain->size : AI_TENSOR_CHAIN_SIZE;
  for (uint32_t i = 0; i < count; ++i) {
    capture_list(&lkl_last_call.lists[i], &chain->chain[i]);
  }
}

void lkl_finish_call(const ai_layer *layer)
{
  if (lkl_call_hook != NULL) {
    lkl_call_hook(layer);
  }
}
