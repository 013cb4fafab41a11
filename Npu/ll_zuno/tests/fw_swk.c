/* Software kernel adapters on the device: a representative set of float and integer layers against the stand-in. */
#include <math.h>
#include <stddef.h>
#include <string.h>

#include "layer_kernel_call_record.h"
#include "swk_float.h"
#include "swk_integer.h"
#include "zuno_check.h"

#define POOL_BUFFERS 24u
#define BUFFER_BYTES 256u

static _Alignas(16) uint8_t pool[POOL_BUFFERS][BUFFER_BYTES];
static uint32_t next_seed;

/* A descriptor whose dimensions, strides, size and buffer differ from every other one made since the reset. */
static Tensor_info make_tensor(bool is_signed)
{
  const uint32_t s = ++next_seed;
  Tensor_info t;
  memset(&t, 0, sizeof t);
  t.dim.tensor_h = s + 1;
  t.dim.tensor_w = s + 2;
  t.dim.tensor_c = s + 3;
  t.dim.tensor_b = s + 4;
  t.dim.num_elem = s + 5;
  t.stride.h = 10 * s + 1;
  t.stride.w = 10 * s + 2;
  t.stride.c = 10 * s + 3;
  t.stride.b = 10 * s + 4;
  t.mem.start_offset = pool[s % POOL_BUFFERS];
  t.format.is_signed = is_signed;
  return t;
}

static void reset(void)
{
  memset(pool, 0, sizeof pool);
  next_seed = 0;
  lkl_reset();
}

static General make_general(NodeType kind, bool in_signed, bool out_signed)
{
  General g;
  memset(&g, 0, sizeof g);
  g.type = kind;
  g.input = make_tensor(in_signed);
  g.output = make_tensor(out_signed);
  return g;
}

static uint32_t float_bits(float f)
{
  uint32_t bits;
  memcpy(&bits, &f, sizeof bits);
  return bits;
}

static const lkl_tensor_record *slot(int list, int index)
{
  return &lkl_last_call.lists[list].slots[index];
}

static void check_lists(uint32_t in, uint32_t out, uint32_t par, uint32_t scr)
{
  ZUNO_CHECK_EQ_U(lkl_last_call.chain_size, 4);
  ZUNO_CHECK_EQ_U(lkl_last_call.lists[LKL_LIST_INPUTS].size, in);
  ZUNO_CHECK_EQ_U(lkl_last_call.lists[LKL_LIST_OUTPUTS].size, out);
  ZUNO_CHECK_EQ_U(lkl_last_call.lists[LKL_LIST_PARAMS].size, par);
  ZUNO_CHECK_EQ_U(lkl_last_call.lists[LKL_LIST_SCRATCH].size, scr);
}

/* A tensor by the common rule: B, C, W, H shape and stride, one array over the descriptor's data. */
static void check_tensor(const lkl_tensor_record *r, const Tensor_info *d, ai_array_format format)
{
  ZUNO_CHECK(r->present);
  ZUNO_CHECK_EQ_U(r->flags, 0x04);
  ZUNO_CHECK_EQ_U(r->shape.data[0], d->dim.tensor_b);
  ZUNO_CHECK_EQ_U(r->shape.data[1], d->dim.tensor_c);
  ZUNO_CHECK_EQ_U(r->shape.data[2], d->dim.tensor_w);
  ZUNO_CHECK_EQ_U(r->shape.data[3], d->dim.tensor_h);
  ZUNO_CHECK_EQ_U(r->stride.data[0], d->stride.b);
  ZUNO_CHECK_EQ_U(r->stride.data[1], d->stride.c);
  ZUNO_CHECK_EQ_U(r->stride.data[2], d->stride.w);
  ZUNO_CHECK_EQ_U(r->stride.data[3], d->stride.h);
  ZUNO_CHECK_EQ_U(r->array.format, format);
  ZUNO_CHECK_EQ_U(r->array.size, d->dim.num_elem);
  ZUNO_CHECK(r->array.data == d->mem.start_offset);
}

static void check_quant(const lkl_tensor_record *r, const Tensor_info *scale, const Tensor_info *zp, uint16_t flags)
{
  ZUNO_CHECK(r->quant.present);
  ZUNO_CHECK_EQ_U(r->quant.flags, flags);
  ZUNO_CHECK_EQ_U(r->quant.size, scale->dim.num_elem);
  ZUNO_CHECK((const void *)r->quant.scale == (const void *)scale->mem.start_offset);
  ZUNO_CHECK(r->quant.zeropoint == zp->mem.start_offset);
}

ZUNO_TEST(float_conv_permutes_weights_and_drops_a_null_bias)
{
  for (int with_bias = 0; with_bias < 2; ++with_bias) {
    reset();
    Conv_sw_info c;
    memset(&c, 0, sizeof c);
    c.general = make_general(LL_SW_CONV, false, false);
    c.weights = make_tensor(false);
    if (with_bias) {
      c.bias = make_tensor(false);
    }
    c.ngroup = 2;
    c.pads[0] = 1, c.pads[1] = 2, c.pads[2] = 3, c.pads[3] = 4;
    c.strides[0] = 5, c.strides[1] = 6;
    c.dilations[0] = 7, c.dilations[1] = 8;
    ll_sw_forward_conv(&c);
    ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_conv2d_if32of32wf32_group");
    ZUNO_CHECK_EQ_U(lkl_last_call.type, AI_LAYER_CONV2D_TYPE);
    check_lists(1, 1, 3, 2);
    check_tensor(slot(LKL_LIST_INPUTS, 0), &c.general.input, AI_ARRAY_FORMAT_FLOAT);
    check_tensor(slot(LKL_LIST_OUTPUTS, 0), &c.general.output, AI_ARRAY_FORMAT_FLOAT);
    const lkl_tensor_record *w = slot(LKL_LIST_PARAMS, 0);
    ZUNO_CHECK_EQ_U(w->shape.data[0], c.weights.dim.tensor_c);
    ZUNO_CHECK_EQ_U(w->shape.data[1], c.weights.dim.tensor_w);
    ZUNO_CHECK_EQ_U(w->shape.data[2], c.weights.dim.tensor_h);
    ZUNO_CHECK_EQ_U(w->shape.data[3], c.weights.dim.tensor_b);
    ZUNO_CHECK_EQ_U(w->stride.data[1], c.weights.stride.b);
    ZUNO_CHECK_EQ_U(slot(LKL_LIST_PARAMS, 1)->present, with_bias);
    ZUNO_CHECK(!slot(LKL_LIST_PARAMS, 2)->present);
    ZUNO_CHECK(!slot(LKL_LIST_SCRATCH, 0)->present);
    ZUNO_CHECK_EQ_U(lkl_last_call.fields.filter_stride[0], 6);
    ZUNO_CHECK_EQ_U(lkl_last_call.fields.dilation[1], 7);
    ZUNO_CHECK_EQ_U(lkl_last_call.fields.filter_pad.data[3], 4);
  }
}

ZUNO_TEST(float_activations_and_unsupported_kinds)
{
  reset();
  Activ_sw_info a;
  memset(&a, 0, sizeof a);
  a.general = make_general(LL_SW_CLIP, false, false);
  a.min = -1.0f;
  a.max = 6.0f;
  ll_sw_forward_activ(&a);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_clip");
  ZUNO_CHECK_EQ_U(lkl_last_call.id, 2);
  ZUNO_CHECK_EQ_U(lkl_last_call.fields.nl_params.copied, 2);
  ZUNO_CHECK(lkl_last_call.fields.nl_params.values[0] == -1.0);
  ZUNO_CHECK(lkl_last_call.fields.nl_params.values[1] == 6.0);

  lkl_reset();
  a.general.type = LL_SW_INSTANCENORM;
  ll_sw_forward_activ(&a);
  ZUNO_CHECK_EQ_U(lkl_last_call.calls, 0);
}

ZUNO_TEST(float_arith_sums_four_and_refuses_logical_kinds)
{
  reset();
  Arith_sw_info a;
  memset(&a, 0, sizeof a);
  a.general = make_general(LL_SW_ARITHSUM, false, false);
  a.operand = make_tensor(false);
  a.operand1 = make_tensor(false);
  a.operand2 = make_tensor(false);
  a.num_of_inputs = 4;
  ll_sw_forward_arith(&a);
  check_lists(4, 1, 0, 0);
  check_tensor(slot(LKL_LIST_INPUTS, 3), &a.operand2, AI_ARRAY_FORMAT_FLOAT);
  ZUNO_CHECK(lkl_last_call.fields.operation == ai_sum);

  lkl_reset();
  a.num_of_inputs = 5;
  ll_sw_forward_arith(&a);
  check_lists(2, 1, 0, 0);

  lkl_reset();
  a.general.type = LL_SW_AND;
  ll_sw_forward_arith(&a);
  ZUNO_CHECK_EQ_U(lkl_last_call.calls, 0);
}

ZUNO_TEST(float_reduce_neutral_values_tile_and_epsilon)
{
  reset();
  Reduce_sw_info r;
  memset(&r, 0, sizeof r);
  r.general = make_general(LL_SW_REDUCEMIN, false, false);
  ll_sw_forward_reduce(&r);
  ZUNO_CHECK(lkl_last_call.fields.operation == ai_min);
  ZUNO_CHECK_EQ_U(float_bits((float)lkl_last_call.fields.neutral_value.values[0]), 0x7F7FFFFFu);
  r.general.type = LL_SW_REDUCEPROD;
  ll_sw_forward_reduce(&r);
  ZUNO_CHECK(lkl_last_call.fields.operation == ai_mul);
  ZUNO_CHECK(lkl_last_call.fields.neutral_value.values[0] == 1.0);

  Tile_sw_info t;
  memset(&t, 0, sizeof t);
  t.general = make_general(LL_SW_TILE, false, false);
  t.repeats[0] = 1, t.repeats[1] = 2, t.repeats[2] = 3, t.repeats[3] = 4;
  ll_sw_forward_tile(&t);
  const lkl_param_record *p = &lkl_last_call.fields.repeats;
  ZUNO_CHECK_EQ_U(p->array.format, AI_ARRAY_FORMAT_S16);
  ZUNO_CHECK_EQ_U(p->copied, 5);
  ZUNO_CHECK(p->values[0] == 3 && p->values[1] == 4 && p->values[2] == 2 && p->values[3] == 1 && p->values[4] == 1);

  Instance_normalization_sw_info n;
  memset(&n, 0, sizeof n);
  n.general = make_general(LL_SW_INSTANCENORM, false, false);
  n.scale = make_tensor(false);
  n.bias = make_tensor(false);
  n.epsilon = 0.5f;
  ll_sw_forward_instance_normalization(&n);
  check_lists(1, 1, 3, 0);
  ZUNO_CHECK_EQ_U(float_bits(lkl_last_call.fields.eps), 0x3727C5ACu);
}

ZUNO_TEST(float_batch_norm_numbers)
{
  reset();
  Bn_sw_info b;
  memset(&b, 0, sizeof b);
  b.general = make_general(LL_SW_BATCHNORM, false, false);
  b.general.input.dim.tensor_b = 1;
  b.general.input.dim.tensor_h = 2;
  b.general.input.dim.tensor_w = 2;
  b.general.input.dim.tensor_c = 3;
  b.bias = make_tensor(false);
  b.scale = make_tensor(false);
  b.mean = make_tensor(false);
  b.var = make_tensor(false);
  float *x = (float *)(void *)b.general.input.mem.start_offset;
  float *bias = (float *)(void *)b.bias.mem.start_offset;
  float *scale = (float *)(void *)b.scale.mem.start_offset;
  float *mean = (float *)(void *)b.mean.mem.start_offset;
  float *var = (float *)(void *)b.var.mem.start_offset;
  for (int j = 0; j < 3; ++j) {
    bias[j] = 0.5f * (float)j - 1.0f;
    scale[j] = 1.0f + 0.25f * (float)j;
    mean[j] = (float)j;
    var[j] = 2.0f * (float)j;
  }
  for (int i = 0; i < 12; ++i) {
    x[i] = 0.75f * (float)i - 3.0f;
  }
  ll_sw_forward_bn(&b);
  const float *y = (const float *)(const void *)b.general.output.mem.start_offset;
  for (int i = 0; i < 12; ++i) {
    const int j = i % 3;
    const float expected = fmaf(scale[j], (x[i] - mean[j]) / sqrtf(var[j] + 1e-5f), bias[j]);
    ZUNO_CHECK_EQ_U(float_bits(y[i]), float_bits(expected));
  }
  ZUNO_CHECK_EQ_U(lkl_last_call.calls, 0);
}

ZUNO_TEST(integer_quantize_formats_and_flags)
{
  reset();
  Quantizelinear_sw_info q;
  memset(&q, 0, sizeof q);
  q.general = make_general(LL_SW_QUANTIZELINEAR, false, true);
  q.os = make_tensor(true);
  q.ozp = make_tensor(false);
  ll_sw_forward_quantizelinear(&q);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "node_convert");
  check_tensor(slot(LKL_LIST_INPUTS, 0), &q.general.input, AI_ARRAY_FORMAT_FLOAT);
  check_tensor(slot(LKL_LIST_OUTPUTS, 0), &q.general.output, 0x08840440u);
  check_quant(slot(LKL_LIST_OUTPUTS, 0), &q.os, &q.ozp, 5);

  q.os.format.is_signed = false;
  q.ozp.format.is_signed = true;
  ll_sw_forward_quantizelinear(&q);
  check_quant(slot(LKL_LIST_OUTPUTS, 0), &q.os, &q.ozp, 3);
}

ZUNO_TEST(integer_conv_cases)
{
  static const char *const kernels[6] = {
    "forward_pw_sssa8_ch",     "forward_conv2d_rgb_sssa8_ch", "forward_dw_dm_sssa8_ch",
    "forward_conv2d_dilated_sssa8_ch", "forward_conv2d_sssa8_ch", "forward_conv2d_integer",
  };
  reset();
  Conv_integer_sw_info c;
  memset(&c, 0, sizeof c);
  c.general = make_general(LL_SW_QLINEARCONV, true, true);
  c.weights = make_tensor(true);
  c.scratch = make_tensor(true);
  c.bias = make_tensor(false);
  c.ws = make_tensor(false);
  c.wzp = make_tensor(true);
  c.is = make_tensor(true);
  c.izp = make_tensor(false);
  c.os = make_tensor(true);
  c.ozp = make_tensor(true);
  for (uint8_t fwd = 0; fwd < 6; ++fwd) {
    lkl_reset();
    c.fwd_func = fwd;
    ll_sw_forward_conv_integer(&c);
    ZUNO_CHECK_STR(lkl_last_call.kernel, kernels[fwd]);
    check_lists(1, 1, 3, 1);
    check_tensor(slot(LKL_LIST_INPUTS, 0), &c.general.input, 0x08840440u);
    check_quant(slot(LKL_LIST_INPUTS, 0), &c.is, &c.izp, 3);
    check_quant(slot(LKL_LIST_PARAMS, 0), &c.ws, &c.wzp, 5);
    check_tensor(slot(LKL_LIST_PARAMS, 1), &c.bias, AI_ARRAY_FORMAT_S32);
    check_tensor(slot(LKL_LIST_SCRATCH, 0), &c.scratch, AI_ARRAY_FORMAT_S8);
  }
  lkl_reset();
  c.fwd_func = 6;
  ll_sw_forward_conv_integer(&c);
  ZUNO_CHECK_EQ_U(lkl_last_call.calls, 0);
}

ZUNO_TEST(integer_pool_pad_orders)
{
  reset();
  Pool_integer_sw_info p;
  memset(&p, 0, sizeof p);
  p.general = make_general(LL_SW_AVGPOOL, false, false);
  p.is = make_tensor(false);
  p.izp = make_tensor(true);
  p.os = make_tensor(true);
  p.ozp = make_tensor(false);
  p.pads[0] = 1, p.pads[1] = 2, p.pads[2] = 3, p.pads[3] = 4;
  p.count_include_pad = true;
  ll_sw_forward_pool_integer(&p);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_ap_integer");
  ZUNO_CHECK(lkl_last_call.fields.count_include_pad);
  ZUNO_CHECK(lkl_last_call.fields.pool_pad.data[0] == 4 && lkl_last_call.fields.pool_pad.data[3] == 1);
  check_quant(slot(LKL_LIST_INPUTS, 0), &p.is, &p.izp, 3);
  check_quant(slot(LKL_LIST_OUTPUTS, 0), &p.os, &p.ozp, 5);

  p.general.type = LL_SW_MAXPOOL;
  ll_sw_forward_pool_integer(&p);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_mp_integer");
  ZUNO_CHECK(!lkl_last_call.fields.count_include_pad);
  ZUNO_CHECK(lkl_last_call.fields.pool_pad.data[0] == 1 && lkl_last_call.fields.pool_pad.data[3] == 4);
}

ZUNO_TEST(integer_dense_bias_clearing)
{
  reset();
  Qlinearmatmul_sw_info q;
  memset(&q, 0, sizeof q);
  q.general = make_general(LL_SW_QLINEARMATMUL, true, true);
  q.weights = make_tensor(true);
  q.scratch = make_tensor(true);
  q.bias = make_tensor(false);
  q.ws = make_tensor(false);
  q.wzp = make_tensor(true);
  q.is = make_tensor(false);
  q.izp = make_tensor(true);
  q.os = make_tensor(false);
  q.ozp = make_tensor(true);
  int32_t *bias = (int32_t *)(void *)q.bias.mem.start_offset;
  for (uint32_t i = 0; i <= q.bias.dim.num_elem; ++i) {
    bias[i] = 9;
  }
  ll_sw_forward_qlinearmatmul(&q);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_dense_integer");
  check_lists(1, 1, 3, 1);
  bool cleared = true;
  for (uint32_t i = 0; i < q.bias.dim.num_elem; ++i) {
    cleared = cleared && bias[i] == 0;
  }
  ZUNO_CHECK(cleared);
  ZUNO_CHECK_EQ_I(bias[q.bias.dim.num_elem], 9);
  const lkl_tensor_record *b = slot(LKL_LIST_PARAMS, 1);
  ZUNO_CHECK_EQ_U(b->shape.data[1], q.bias.dim.tensor_w);
  ZUNO_CHECK_EQ_U(b->shape.data[2], q.bias.dim.tensor_c);

  Gemm_integer_sw_info g;
  memset(&g, 0, sizeof g);
  memcpy(&g, &q, sizeof q);
  bias[0] = 11;
  ll_sw_forward_gemm_integer(&g);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_dense_integer");
  ZUNO_CHECK_EQ_I(bias[0], 11);
}

ZUNO_TEST(integer_relu_eltwise_and_resize)
{
  reset();
  Activ_integer_sw_info a;
  memset(&a, 0, sizeof a);
  a.general = make_general(LL_SW_RELU, true, true);
  a.is = make_tensor(true);
  a.izp = make_tensor(true);
  a.os = make_tensor(true);
  a.ozp = make_tensor(true);
  a.ozp.mem.start_offset[0] = 0x9C;
  ll_sw_forward_activ_integer(&a);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_relu_integer");
  ZUNO_CHECK_EQ_U(lkl_last_call.fields.nl_params.array.format, AI_ARRAY_FORMAT_U8);
  ZUNO_CHECK(lkl_last_call.fields.nl_params.values[0] == 0x9C);

  Eltwise_integer_sw_info e;
  memset(&e, 0, sizeof e);
  e.general = make_general(LL_SW_ARITHSUM, false, false);
  e.operand = make_tensor(false);
  ll_sw_forward_eltwise_integer(&e);
  ZUNO_CHECK(lkl_last_call.fields.buffer_operation_integer == ai_sum_buffer_UINT8);
  check_lists(2, 1, 0, 0);

  lkl_reset();
  Resize_integer_sw_info r;
  memset(&r, 0, sizeof r);
  r.general = make_general(LL_SW_RESIZE, true, true);
  r.mode = RESIZE_CUBIC;
  ll_sw_forward_resize_integer(&r);
  ZUNO_CHECK_EQ_U(lkl_last_call.calls, 0);
  r.mode = RESIZE_LINEAR;
  ll_sw_forward_resize_integer(&r);
  ZUNO_CHECK_STR(lkl_last_call.kernel, "forward_resize_bilinear_is8os8");
  ZUNO_CHECK(!lkl_last_call.fields.roi.present);
}
