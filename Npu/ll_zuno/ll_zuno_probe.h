/* Integer convolution reference that prints every output value and the largest partial sum. */
#ifndef LL_ZUNO_PROBE_H
#define LL_ZUNO_PROBE_H

#include "ll_zuno_buffer_info.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes of the device runtime library's error reporter; stored in one byte. */
typedef enum __attribute__((packed)) {
  _ERR_UNKNOWN = 0,
  _ERR_NINPUTS = 1,
  _ERR_NOUTPUTS = 2,
  _ERR_AXIS = 3,
  _ERR_FRACTIONAL = 4,
  _ERR_DATATYPE = 5,
  _ERR_NBITS = 6,
  _ERR_NBITS_IN = 7,
  _ERR_NBITS_OUT = 8,
  _ERR_SHAPE = 9,
  _ERR_SHAPE_IN = 10,
  _ERR_SHAPE_OUT = 11,
  _ERR_BUFFER = 12,
  _ERR_BUFFER_IN = 13,
  _ERR_BUFFER_OUT = 14,
  _ERR_RANK = 15,
  _ERR_MODE = 16,
} __ll_lib_errors;

/* Provided by the device runtime library: the element count of a tensor. */
int LL_LIB_TENSOR_ELEMENTS(const LL_LIB_TensorInfo_TypeDef *tensor);

/* Provided by the device runtime library: reports error err raised at source line of func. */
void __ll_lib_error(int err, int line, const char *func);

/* Convolves the 8-bit feature map inputs[0] (N x H x W x C) with the 8-bit kernel inputs[1]
 * (K x R x S x C), padding 2 on every side with -128, stride 1, into the 32-bit output
 * (N x out_H x out_W x K), printing each output value. ninputs is not read. Returns -2, after a
 * reported error as after a completed computation. */
int LL_ZUNO_LIB_ConvInteger(const LL_LIB_TensorInfo_TypeDef *inputs, unsigned int ninputs,
                            const LL_LIB_TensorInfo_TypeDef *output);

#ifdef __cplusplus
}
#endif

#endif /* LL_ZUNO_PROBE_H */
