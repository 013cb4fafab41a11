/* Internal helpers of the stand-in: copying a kernel's layer record into the last-call record. */
#ifndef LAYER_KERNEL_CAPTURE_H
#define LAYER_KERNEL_CAPTURE_H

#include "layer_kernel_call_record.h"

/* Records the common part of a layer and its tensor chain, and counts the call. */
void lkl_capture_layer(const char *kernel, ai_layer_forward_func kernel_fn, const ai_layer *layer);

void lkl_capture_param(lkl_param_record *out, const ai_array *array);
void lkl_capture_shape(lkl_shape_record *out, const ai_shape *shape);

/* Runs the hook, if any, once the call is recorded. */
void lkl_finish_call(const ai_layer *layer);

#endif /* LAYER_KERNEL_CAPTURE_H */
