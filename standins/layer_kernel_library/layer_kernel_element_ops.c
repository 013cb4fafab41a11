/* Stand-in element operations: float scalar and buffer forms, and quantized 8-bit buffer forms. */
#include "layer_kernel_library.h"

#include <math.h>
#include <stddef.h>

static float load(const void *p, uint32_t i)
{
  return ((const float *)p)[i];
}

static void store(void *p, uint32_t i, float v)
{
  ((float *)p)[i] = v;
}

static float op_sum(float a, float b) { return a + b; }
static float op_sub(float a, float b) { return a - b; }
static float op_mul(float a, float b) { return a * b; }
static float op_div(float a, float b) { return a / b; }
static float op_pow(float a, float b) { return powf(a, b); }
static float op_min(float a, float b) { return a < b ? a : b; }
static float op_max(float a, float b) { return a > b ? a : b; }
static float op_equal(float a, float b) { return a == b ? 1.0f : 0.0f; }
static float op_greater(float a, float b) { return a > b ? 1.0f : 0.0f; }
static float op_less(float a, float b) { return a < b ? 1.0f : 0.0f; }
static float op_greater_or_equal(float a, float b) { return a >= b ? 1.0f : 0.0f; }
static float op_less_or_equal(float a, float b) { return a <= b ? 1.0f : 0.0f; }

/* The result takes the divisor's sign, as integer floor division would. */
static float op_floor_mod(float a, float b)
{
  const float r = fmodf(a, b);
  return (r != 0.0f && ((r < 0.0f) != (b < 0.0f))) ? r + b : r;
}

#define LKL_ELEMENT_OP(name, op)                                                                                 \
  void name(void *out, const void *a, const void *b) { store(out, 0, op(load(a, 0), load(b, 0))); }            \
  void name##_buffer(void *out, const void *a, const void *b, uint32_t count)                                  \
  {                                                                                                              \
    for (uint32_t i = 0; i < count; ++i) {                                                                       \
      store(out, i, op(load(a, i), load(b, i)));                                                                 \
    }                                                                                                            \
  }

LKL_ELEMENT_OP(ai_sum, op_sum)
LKL_ELEMENT_OP(ai_sub, op_sub)
LKL_ELEMENT_OP(ai_mul, op_mul)
LKL_ELEMENT_OP(ai_div, op_div)
LKL_ELEMENT_OP(ai_pow, op_pow)
LKL_ELEMENT_OP(ai_min, op_min)
LKL_ELEMENT_OP(ai_max, op_max)
LKL_ELEMENT_OP(ai_floor_mod, op_floor_mod)
LKL_ELEMENT_OP(ai_equal, op_equal)
LKL_ELEMENT_OP(ai_greater, op_greater)
LKL_ELEMENT_OP(ai_less, op_less)
LKL_ELEMENT_OP(ai_greater_or_equal, op_greater_or_equal)
LKL_ELEMENT_OP(ai_less_or_equal, op_less_or_equal)

static int32_t clamp_to(int32_t v, int32_t lo, int32_t hi)
{
  return v < lo ? lo : (v > hi ? hi : v);
}

static void quantized_buffer(void *out, const void *a, const void *b, uint32_t count,
                             const ai_eltwise_quant_params *q, float (*op)(float, float), bool is_signed)
{
  const int32_t lo = is_signed ? INT8_MIN : 0;
  const int32_t hi = is_signed ? INT8_MAX : UINT8_MAX;
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t qa = is_signed ? ((const int8_t *)a)[i] : ((const uint8_t *)a)[i];
    const int32_t qb = is_signed ? ((const int8_t *)b)[i] : ((const uint8_t *)b)[i];
    const float r = op(q->scale_a * (float)(qa - q->zp_a), q->scale_b * (float)(qb - q->zp_b));
    const int32_t qr = clamp_to((int32_t)lrintf(r / q->scale_out) + q->zp_out, lo, hi);
    if (is_signed) {
      ((int8_t *)out)[i] = (int8_t)qr;
    } else {
      ((uint8_t *)out)[i] = (uint8_t)qr;
    }
  }
}

#define LKL_QUANTIZED_OP(name, op)                                                                               \
  void name##_buffer_INT8(void *out, const void *a, const void *b, uint32_t count,                               \
                          const ai_eltwise_quant_params *params)                                                 \
  {                                                                                                              \
    quantized_buffer(out, a, b, count, params, op, true);                                                        \
  }                                                                                                              \
  void name##_buffer_UINT8(void *out, const void *a, const void *b, uint32_t count,                              \
                           const ai_eltwise_quant_params *params)                                                \
  {                                                                                                              \
    quantized_buffer(out, a, b, count, params, op, false);                                                       \
  }

LKL_QUANTIZED_OP(ai_sum, op_sum)
LKL_QUANTIZED_OP(ai_sub, op_sub)
LKL_QUANTIZED_OP(ai_mul, op_mul)
LKL_QUANTIZED_OP(ai_div, op_div)
