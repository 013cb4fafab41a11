/* Integer convolution reference that prints every output value and the largest partial sum. */
#include "ll_zuno_probe.h"

#include <math.h>
#include <stdint.h>
#include <stdio.h>

/* Fixed geometry of the reference: pad 2 on every side, stride 1, no dilation, no bias. */
#define CONV_PAD_TOP    2
#define CONV_PAD_BOTTOM 2
#define CONV_PAD_LEFT   2
#define CONV_PAD_RIGHT  2
#define CONV_STRIDE_H   1
#define CONV_STRIDE_W   1
#define CONV_PAD_VALUE  ((int8_t)-128)

#define CONV_RESULT     (-2) /* returned after an error and after a completed computation alike */
#define CONV_OUT_BITS   32

/* Dimensions of one convolution, taken from the innermost four entries of each shape. */
typedef struct {
  uint32_t n, h, w, c; /* feature map */
  uint32_t k, r, s;    /* kernel; its channel count is taken to be c */
  int32_t out_h, out_w;
} ConvDims;

static int report_error(int err, int line)
{
  __ll_lib_error(err, line, "LL_ZUNO_LIB_ConvInteger");
  return CONV_RESULT;
}

/* Whether the buffer holds count elements of elem_bytes bytes each. */
static int holds_elements(const LL_LIB_TensorInfo_TypeDef *buf, uint64_t count, uint32_t elem_bytes)
{
  return count * elem_bytes <= LL_Buffer_len(buf);
}

int LL_ZUNO_LIB_ConvInteger(const LL_LIB_TensorInfo_TypeDef *inputs, unsigned int ninputs,
                            const LL_LIB_TensorInfo_TypeDef *output)
{
  (void)ninputs;
  const LL_LIB_TensorInfo_TypeDef *feat = &inputs[0];
  const LL_LIB_TensorInfo_TypeDef *kern = &inputs[1];
  const LL_LIB_TensorInfo_TypeDef *out = output;

  int in_elements = LL_LIB_TENSOR_ELEMENTS(feat);
  int kern_elements = LL_LIB_TENSOR_ELEMENTS(kern);
  int out_elements = LL_LIB_TENSOR_ELEMENTS(out);
  int el_size = (feat->type == DataType_UINT8 || feat->type == DataType_INT8) ? 1 : -1;
  int64_t in_byte_size = (int64_t)in_elements * el_size * 8 / 8;
  int64_t out_byte_size = (int64_t)out_elements * CONV_OUT_BITS / 8;
  int64_t kern_byte_size = (int64_t)kern_elements * el_size * 8 / 8;
  /* Compared as unsigned 32-bit, so a negative requirement (an unknown type) always fails. */
  if (out->type != DataType_INT32) {
    return report_error(_ERR_DATATYPE, __LINE__);
  }
  if (LL_Buffer_len(feat) < (uint32_t)in_byte_size) {
    return report_error(_ERR_BUFFER_IN, __LINE__);
  }
  if (LL_Buffer_len(out) < (uint32_t)out_byte_size) {
    return report_error(_ERR_BUFFER_OUT, __LINE__);
  }
  if (LL_Buffer_len(kern) < (uint32_t)kern_byte_size) {
    return report_error(_ERR_BUFFER_IN, __LINE__);
  }
  if (feat->ndims < 4 || kern->ndims < 4) {
    return report_error(_ERR_SHAPE_IN, __LINE__);
  }
  if (out->ndims < 4) {
    return report_error(_ERR_SHAPE_OUT, __LINE__);
  }
  if (feat->per_channel != 0) {
    return report_error(_ERR_DATATYPE, __LINE__);
  }

  ConvDims d;
  d.n = feat->shape[feat->ndims - 4];
  d.h = feat->shape[feat->ndims - 3];
  d.w = feat->shape[feat->ndims - 2];
  d.c = feat->shape[feat->ndims - 1];
  d.k = kern->shape[kern->ndims - 4];
  d.r = kern->shape[kern->ndims - 3];
  d.s = kern->shape[kern->ndims - 2];
  d.out_h = (int32_t)(((int64_t)d.h + CONV_PAD_TOP + CONV_PAD_BOTTOM - d.r) / CONV_STRIDE_H + 1);
  d.out_w = (int32_t)(((int64_t)d.w + CONV_PAD_LEFT + CONV_PAD_RIGHT - d.s) / CONV_STRIDE_W + 1);

  /* The loops address memory by the shapes, not by the element counts checked above: make sure
   * every element they touch lies inside its buffer. */
  uint64_t out_rows = d.out_h > 0 && d.out_w > 0 ? (uint64_t)d.out_h * (uint64_t)d.out_w : 0;
  if (!holds_elements(feat, (uint64_t)d.n * d.h * d.w * d.c, 1) ||
      !holds_elements(kern, (uint64_t)d.k * d.r * d.s * d.c, 1)) {
    return report_error(_ERR_BUFFER_IN, __LINE__);
  }
  if (!holds_elements(out, (uint64_t)d.n * out_rows * d.k, sizeof(int32_t))) {
    return report_error(_ERR_BUFFER_OUT, __LINE__);
  }

  const int8_t *in_data = (const int8_t *)LL_Buffer_addr_start(feat);
  const int8_t *w_data = (const int8_t *)LL_Buffer_addr_start(kern);
  int32_t *out_data = (int32_t *)(void *)LL_Buffer_addr_start(out);

  int32_t maxmax = 0;
  for (int32_t n = 0; n < (int32_t)d.n; ++n) {
    for (int32_t k = 0; k < (int32_t)d.k; ++k) {
      for (int32_t oh = 0; oh < d.out_h; ++oh) {
        for (int32_t ow = 0; ow < d.out_w; ++ow) {
          /* Accumulated modulo 2^32, as the 32-bit accumulator of the hardware does. */
          uint32_t sum = 0;
          int32_t max = 0;
          for (int32_t r = 0; r < (int32_t)d.r; ++r) {
            for (int32_t s = 0; s < (int32_t)d.s; ++s) {
              for (int32_t c = 0; c < (int32_t)d.c; ++c) {
                int32_t ih = oh * CONV_STRIDE_H - CONV_PAD_TOP + r;
                int32_t iw = ow * CONV_STRIDE_W - CONV_PAD_LEFT + s;
                int32_t input_value = CONV_PAD_VALUE;
                if (ih >= 0 && ih < (int32_t)d.h && iw >= 0 && iw < (int32_t)d.w) {
                  input_value = in_data[((n * (int32_t)d.h + ih) * (int32_t)d.w + iw) * (int32_t)d.c + c];
                }
                int32_t weight_idx = ((k * (int32_t)d.r + r) * (int32_t)d.s + s) * (int32_t)d.c + c;
                sum += (uint32_t)(input_value * (int32_t)w_data[weight_idx]);
                if ((int32_t)sum > max) {
                  max = (int32_t)sum;
                }
              }
            }
          }
          int32_t output_idx = ((n * d.out_h + oh) * d.out_w + ow) * (int32_t)d.k + k;
          out_data[output_idx] = (int32_t)sum;
          printf("oidx=%d = %d max=%d\n", (int)output_idx, (int)(int32_t)sum, (int)max);
          if (max > maxmax) {
            maxmax = max;
          }
        }
      }
    }
  }
  printf("tot max=%d %f", (int)maxmax, log((float)maxmax) / 0.6931471805599453);
  return CONV_RESULT;
}
