// Tests of the float software kernel adapters against the recording stand-in of the layer kernel library.
#include "swk_float.h"
#include "swk_layer_objects.h"
#include "swk_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace swk_test;

constexpr ai_array_format kFloat = AI_ARRAY_FORMAT_FLOAT;
enum { IN = LKL_LIST_INPUTS, OUT = LKL_LIST_OUTPUTS, PAR = LKL_LIST_PARAMS, SCR = LKL_LIST_SCRATCH };

union FloatRecord {
  General general;
  Conv_sw_info conv;
  Gemm_sw_info gemm;
  Matmul_sw_info matmul;
  Resize_sw_info resize;
  Softmax_sw_info softmax;
  Activ_sw_info activ;
  Arith_sw_info arith;
  Pool_sw_info pool;
  Global_pool_sw_info global_pool;
  Argmax_sw_info argmax;
  Argmin_sw_info argmin;
  Gather_sw_info gather;
  Reduce_sw_info reduce;
  Instance_normalization_sw_info instance_norm;
  Lpnormalization_sw_info lpnorm;
  Sign_sw_info sign;
  Lrn_sw_info lrn;
  Tile_sw_info tile;
  Concat_sw_info concat;
};

class SwkFloat : public ::testing::Test {
 protected:
  void SetUp() override
  {
    std::memset(&rec, 0, sizeof rec);
    lkl_reset();
  }
  void TearDown() override { lkl_reset(); }

  // Starts a record of the given kind with a distinct input and output.
  void Begin(NodeType kind)
  {
    std::memset(&rec, 0, sizeof rec);
    rec.general.type = kind;
    rec.general.input = t.Make();
    rec.general.output = t.Make();
    lkl_reset();
  }

  void ExpectFloatIo()
  {
    ExpectTensor(Slot(IN, 0), rec.general.input, kFloat);
    ExpectNoQuant(Slot(IN, 0));
    ExpectTensor(Slot(OUT, 0), rec.general.output, kFloat);
    ExpectNoQuant(Slot(OUT, 0));
  }

  FloatRecord rec;
  Tensors t;
};

using Fill = void (*)(FloatRecord &, Tensors &);

struct AdapterRow {
  const char *name;
  void (*adapter)(void *);
  NodeType kind;
  Fill fill;
  const char *kernel;
  ai_layer_forward_func fn;
  uint32_t layer_type;
  uint32_t id;
  std::array<uint32_t, 4> lists;
};

void NoFill(FloatRecord &, Tensors &) {}

TEST_F(SwkFloat, EveryAdapterCallsItsKernelWithItsLayerKindIdAndLists)
{
  const AdapterRow rows[] = {
    { "conv", ll_sw_forward_conv, LL_SW_CONV,
      [](FloatRecord &r, Tensors &t) { r.conv.weights = t.Make(); r.conv.bias = t.Make(); },
      "forward_conv2d_if32of32wf32_group", forward_conv2d_if32of32wf32_group, AI_LAYER_CONV2D_TYPE, 1, { 1, 1, 3, 2 } },
    { "gemm", ll_sw_forward_gemm, LL_SW_GEMM,
      [](FloatRecord &r, Tensors &t) { r.gemm.operand_b = t.Make(); r.gemm.operand_c = t.Make(); },
      "forward_gemm", forward_gemm, AI_LAYER_GEMM_TYPE, 1, { 3, 1, 0, 0 } },
    { "matmul", ll_sw_forward_matmul, LL_SW_MATMUL, [](FloatRecord &r, Tensors &t) { r.matmul.operand_b = t.Make(); },
      "forward_matmul", forward_matmul, AI_LAYER_NL_TYPE, 1, { 2, 1, 0, 0 } },
    { "resize zeros", ll_sw_forward_resize, LL_SW_RESIZE,
      [](FloatRecord &r, Tensors &t) { r.resize.scales = t.Make(); r.resize.mode = RESIZE_ZEROS; },
      "forward_upsample_zeros", forward_upsample_zeros, AI_LAYER_UPSAMPLE_TYPE, 1, { 1, 1, 0, 0 } },
    { "resize linear", ll_sw_forward_resize, LL_SW_RESIZE,
      [](FloatRecord &r, Tensors &t) { r.resize.scales = t.Make(); r.resize.mode = RESIZE_LINEAR; },
      "forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE, 1, { 1, 1, 0, 0 } },
    { "softmax", ll_sw_forward_softmax, LL_SW_SOFTMAX, [](FloatRecord &r, Tensors &t) { r.softmax.scratch = t.Make(); },
      "forward_sm", forward_sm, AI_LAYER_SM_TYPE, 1, { 1, 1, 0, 1 } },
    { "activ relu", ll_sw_forward_activ, LL_SW_RELU, NoFill, "forward_relu", forward_relu, AI_LAYER_NL_TYPE, 2,
      { 1, 1, 0, 0 } },
    { "activ prelu", ll_sw_forward_activ, LL_SW_PRELU, [](FloatRecord &r, Tensors &t) { r.activ.operand = t.Make(); },
      "forward_prelu", forward_prelu, AI_LAYER_NL_TYPE, 2, { 1, 1, 1, 0 } },
    { "arith sub", ll_sw_forward_arith, LL_SW_ARITHSUB, [](FloatRecord &r, Tensors &t) { r.arith.operand = t.Make(); },
      "forward_eltwise", forward_eltwise, AI_LAYER_ELTWISE_TYPE, 2, { 2, 1, 0, 0 } },
    { "max pool", ll_sw_forward_pool, LL_SW_MAXPOOL, NoFill, "forward_mp", forward_mp, AI_LAYER_POOL_TYPE, 1,
      { 1, 1, 0, 0 } },
    { "average pool", ll_sw_forward_pool, LL_SW_AVGPOOL, NoFill, "forward_ap", forward_ap, AI_LAYER_POOL_TYPE, 1,
      { 1, 1, 0, 0 } },
    { "global max pool", ll_sw_forward_global_pool, LL_SW_MAXPOOL, NoFill, "forward_mp", forward_mp,
      AI_LAYER_POOL_TYPE, 1, { 1, 1, 0, 0 } },
    { "global average pool", ll_sw_forward_global_pool, LL_SW_AVGPOOL, NoFill, "forward_ap", forward_ap,
      AI_LAYER_POOL_TYPE, 1, { 1, 1, 0, 0 } },
    { "argmax", ll_sw_forward_argmax, LL_SW_ARGMAX, NoFill, "forward_argmax", forward_argmax,
      AI_LAYER_ARGMINMAX_TYPE, 1, { 1, 1, 0, 0 } },
    { "argmin", ll_sw_forward_argmin, LL_SW_ARGMIN, NoFill, "forward_argmin", forward_argmin,
      AI_LAYER_ARGMINMAX_TYPE, 1, { 1, 1, 0, 0 } },
    { "gather", ll_sw_forward_gather, LL_SW_GATHER, [](FloatRecord &r, Tensors &t) { r.gather.operand = t.Make(); },
      "forward_gather", forward_gather, AI_LAYER_GATHER_TYPE, 1, { 2, 1, 0, 0 } },
    { "reduce sum", ll_sw_forward_reduce, LL_SW_REDUCESUM, NoFill, "forward_reduce", forward_reduce,
      AI_LAYER_REDUCE_TYPE, 1, { 1, 1, 0, 0 } },
    { "reduce log-sum-exp", ll_sw_forward_reduce, LL_SW_REDUCELOGSUMEXP, NoFill, "forward_reduce_log_sum_exp",
      forward_reduce_log_sum_exp, AI_LAYER_REDUCE_TYPE, 1, { 1, 1, 0, 0 } },
    { "instance normalization", ll_sw_forward_instance_normalization, LL_SW_INSTANCENORM,
      [](FloatRecord &r, Tensors &t) { r.instance_norm.scale = t.Make(); r.instance_norm.bias = t.Make(); },
      "forward_instanceNormalization", forward_instanceNormalization, AI_LAYER_INSTANCENORMALIZATION_TYPE, 1,
      { 1, 1, 3, 0 } },
    { "lp normalization", ll_sw_forward_lpnormalization, LL_SW_LPNORM, NoFill, "forward_norm", forward_norm,
      AI_LAYER_NORM_TYPE, 1, { 1, 1, 0, 0 } },
    { "sign", ll_sw_forward_sign, LL_SW_SIGN, NoFill, "forward_sign", forward_sign, AI_LAYER_NL_TYPE, 1,
      { 1, 1, 0, 0 } },
    { "lrn", ll_sw_forward_lrn, LL_SW_LRN, NoFill, "forward_lrn", forward_lrn, AI_LAYER_LRN_TYPE, 2, { 1, 1, 0, 0 } },
    { "tile", ll_sw_forward_tile, LL_SW_TILE, NoFill, "forward_tile", forward_tile, AI_LAYER_TILE_TYPE, 2,
      { 1, 1, 0, 0 } },
    { "concat", ll_sw_forward_concat, LL_SW_CONCAT, [](FloatRecord &r, Tensors &t) { r.concat.operand = t.Make(); },
      "forward_concat", forward_concat, AI_LAYER_CONCAT_TYPE, 1, { 4, 1, 0, 0 } },
  };
  for (const AdapterRow &row : rows) {
    SCOPED_TRACE(row.name);
    Begin(row.kind);
    row.fill(rec, t);
    row.adapter(&rec);
    ExpectLayer(row.kernel, row.fn, row.layer_type, row.id);
    ExpectListSizes(row.lists);
    ExpectFloatIo();
    for (int list = 0; list < 4; ++list) {
      if (row.lists[list] == 0) {
        EXPECT_FALSE(Slot(list, 0).present) << "empty list " << list << " points at a null slot";
      }
    }
  }
}

TEST_F(SwkFloat, AxisMapSwapsTheLastTwoAxesAndRejectsOthers)
{
  const struct {
    int axis;
    int32_t expected;
  } rows[] = { { 0, 0 }, { 1, 1 }, { 2, 3 }, { 3, 2 }, { 4, -1 }, { 7, -1 }, { -1, -1 }, { -4, -1 } };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.axis);
    EXPECT_EQ(swk_axis_map(row.axis), row.expected);
  }
}

void FillConv(FloatRecord &r, Tensors &t, bool with_bias)
{
  r.conv.weights = t.Make();
  r.conv.scratch = t.Make();
  r.conv.bias = with_bias ? t.Make() : Tensors::Null();
  r.conv.weights_permuted = t.Make();
  r.conv.ngroup = 3;
  const int32_t pads[4] = { 1, 2, 3, 4 };
  const int32_t strides[4] = { 5, 6, 7, 8 };
  const int32_t dilations[2] = { 9, 10 };
  std::memcpy(r.conv.pads, pads, sizeof pads);
  std::memcpy(r.conv.strides, strides, sizeof strides);
  std::memcpy(r.conv.dilations, dilations, sizeof dilations);
}

TEST_F(SwkFloat, ConvolutionPermutesTheWeightsAndPassesTheBiasOnlyWhenPresent)
{
  for (bool with_bias : { true, false }) {
    SCOPED_TRACE(with_bias ? "with bias" : "without bias");
    Begin(LL_SW_CONV);
    FillConv(rec, t, with_bias);
    ll_sw_forward_conv(&rec);
    ExpectLayer("forward_conv2d_if32of32wf32_group", forward_conv2d_if32of32wf32_group, AI_LAYER_CONV2D_TYPE, 1);
    ExpectListSizes({ 1, 1, 3, 2 });
    ExpectFloatIo();
    const Tensor_info &w = rec.conv.weights;
    ExpectTensor(Slot(PAR, 0), w, kFloat, { w.dim.tensor_c, w.dim.tensor_w, w.dim.tensor_h, w.dim.tensor_b },
                 { w.stride.b, w.stride.b, w.stride.w, w.stride.h });
    if (with_bias) {
      ExpectTensor(Slot(PAR, 1), rec.conv.bias, kFloat);
    } else {
      EXPECT_FALSE(Slot(PAR, 1).present);
    }
    EXPECT_FALSE(Slot(PAR, 2).present);
    EXPECT_FALSE(Slot(SCR, 0).present);
    EXPECT_FALSE(Slot(SCR, 1).present);
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.groups, 3);
    EXPECT_EQ(f.filter_stride[0], 6u);  // W from strides[1]
    EXPECT_EQ(f.filter_stride[1], 5u);  // H from strides[0]
    EXPECT_EQ(f.dilation[0], 10u);
    EXPECT_EQ(f.dilation[1], 9u);
    ExpectDims(f.filter_pad, AI_STORAGE_CLASS_SHAPE, { 1, 2, 3, 4 });
    EXPECT_EQ(f.in_ch_format, AI_LAYER_FORMAT_CHANNEL_LAST_VALID);
    EXPECT_EQ(f.out_ch_format, AI_LAYER_FORMAT_CHANNEL_LAST_VALID);
    EXPECT_FALSE(f.nl_params.present);
    EXPECT_FALSE(f.has_nl_func);
  }
}

TEST_F(SwkFloat, GemmTakesThreeInputsAndCopiesItsFactorsAndTranspositions)
{
  Begin(LL_SW_GEMM);
  rec.gemm.operand_b = t.Make();
  rec.gemm.operand_c = t.Make();
  rec.gemm.alpha = 0.25f;
  rec.gemm.beta = -3.5f;
  rec.gemm.tA = 1;
  rec.gemm.tB = 0;
  ll_sw_forward_gemm(&rec);
  ExpectLayer("forward_gemm", forward_gemm, AI_LAYER_GEMM_TYPE, 1);
  ExpectListSizes({ 3, 1, 0, 0 });
  ExpectTensor(Slot(IN, 1), rec.gemm.operand_b, kFloat);
  ExpectTensor(Slot(IN, 2), rec.gemm.operand_c, kFloat);
  EXPECT_EQ(lkl_last_call.fields.alpha, 0.25f);
  EXPECT_EQ(lkl_last_call.fields.beta, -3.5f);
  EXPECT_EQ(lkl_last_call.fields.tA, 1);
  EXPECT_EQ(lkl_last_call.fields.tB, 0);

  rec.gemm.tA = 0;
  rec.gemm.tB = 1;
  lkl_reset();
  ll_sw_forward_gemm(&rec);
  EXPECT_EQ(lkl_last_call.fields.tA, 0);
  EXPECT_EQ(lkl_last_call.fields.tB, 1);
}

TEST_F(SwkFloat, MatmulTakesTheSecondOperandAsInputWithoutParameters)
{
  Begin(LL_SW_MATMUL);
  rec.matmul.operand_b = t.Make();
  ll_sw_forward_matmul(&rec);
  ExpectLayer("forward_matmul", forward_matmul, AI_LAYER_NL_TYPE, 1);
  ExpectTensor(Slot(IN, 1), rec.matmul.operand_b, kFloat);
  EXPECT_FALSE(lkl_last_call.fields.nl_params.present);
}

void StoreFloats(const Tensor_info &t, const std::vector<float> &values)
{
  std::memcpy(t.mem.start_offset, values.data(), values.size() * sizeof(float));
}

TEST_F(SwkFloat, ResizeZerosUpsamplesAndOtherModesResizeWithTheModeCopied)
{
  const struct {
    uint8_t mode;
    const char *kernel;
    ai_layer_forward_func fn;
    uint32_t layer_type;
  } rows[] = {
    { RESIZE_ZEROS, "forward_upsample_zeros", forward_upsample_zeros, AI_LAYER_UPSAMPLE_TYPE },
    { RESIZE_NEAREST, "forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE },
    { RESIZE_LINEAR, "forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE },
    { RESIZE_CUBIC, "forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE },
    { 9, "forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(static_cast<int>(row.mode));
    Begin(LL_SW_RESIZE);
    rec.resize.scales = t.Make();
    rec.resize.scales.dim.num_elem = 4;
    StoreFloats(rec.resize.scales, { 1.0f, 1.0f, 2.5f, 3.0f });
    rec.resize.roi = t.Make();
    rec.resize.sizes = t.Make();
    rec.resize.mode = row.mode;
    rec.resize.nearest_mode = CEIL;
    rec.resize.coord_transf_mode = TF_CROP_AND_RESIZE;
    rec.resize.cubic_coeff_a = -0.75f;
    rec.resize.exclude_outside = true;
    rec.resize.extrapol_val = 0.5f;
    ll_sw_forward_resize(&rec);
    ExpectLayer(row.kernel, row.fn, row.layer_type, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    ExpectFloatIo();
    const lkl_layer_fields &f = lkl_last_call.fields;
    ExpectParam(f.scales, kFloat, { 2.5, 3.0 });
    if (row.mode == RESIZE_ZEROS) {
      EXPECT_EQ(f.mode, AI_UPSAMPLE_ZEROS);
      EXPECT_FALSE(f.center);
      EXPECT_EQ(f.nearest_mode, 0);
      EXPECT_FALSE(f.roi.present);
      continue;
    }
    EXPECT_EQ(f.mode, row.mode);
    EXPECT_EQ(f.nearest_mode, CEIL);
    EXPECT_EQ(f.coord_transf_mode, TF_CROP_AND_RESIZE);
    EXPECT_EQ(f.cubic_coeff_a, -0.75f);
    EXPECT_TRUE(f.exclude_outside);
    EXPECT_EQ(f.extrapol_val, 0.5f);
    ASSERT_TRUE(f.roi.present);
    EXPECT_EQ(f.roi.array.format, kFloat);
    EXPECT_EQ(f.roi.array.size, rec.resize.roi.dim.num_elem);
    EXPECT_EQ(f.roi.array.data, static_cast<const void *>(rec.resize.roi.mem.start_offset));
    EXPECT_EQ(f.roi.array.data_start, static_cast<const void *>(rec.resize.roi.mem.start_offset));
  }
}

TEST_F(SwkFloat, ResizeWithoutRoiPassesNone)
{
  Begin(LL_SW_RESIZE);
  rec.resize.scales = t.Make();
  rec.resize.roi = t.Make();
  rec.resize.roi.mem.start_offset = nullptr;
  rec.resize.mode = RESIZE_NEAREST;
  ll_sw_forward_resize(&rec);
  ExpectLayer("forward_resize", forward_resize, AI_LAYER_RESIZE_TYPE, 1);
  EXPECT_FALSE(lkl_last_call.fields.roi.present);
}

TEST_F(SwkFloat, ResizeGivenSizesInsteadOfScalesTakesTheOutputToInputRatio)
{
  for (uint8_t mode : { RESIZE_ZEROS, RESIZE_LINEAR }) {
    SCOPED_TRACE(static_cast<int>(mode));
    Begin(LL_SW_RESIZE);
    rec.general.input.dim.tensor_h = 4;
    rec.general.input.dim.tensor_w = 8;
    rec.general.output.dim.tensor_h = 10;
    rec.general.output.dim.tensor_w = 4;
    rec.resize.scales = Tensors::Null();
    rec.resize.sizes = t.Make();
    rec.resize.mode = mode;
    ll_sw_forward_resize(&rec);
    ASSERT_EQ(lkl_last_call.calls, 1u);
    ExpectParam(lkl_last_call.fields.scales, kFloat, { 2.5, 0.5 });
  }
}

TEST_F(SwkFloat, SoftmaxMapsItsAxisAndTakesTheScratchTensor)
{
  for (int axis : { 0, 1, 2, 3, 5, -1 }) {
    SCOPED_TRACE(axis);
    Begin(LL_SW_SOFTMAX);
    rec.softmax.scratch = t.Make();
    rec.softmax.axis = axis;
    ll_sw_forward_softmax(&rec);
    ExpectLayer("forward_sm", forward_sm, AI_LAYER_SM_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 1 });
    ExpectTensor(Slot(SCR, 0), rec.softmax.scratch, kFloat);
    EXPECT_EQ(lkl_last_call.fields.axis, swk_axis_map(axis));
    EXPECT_FALSE(lkl_last_call.fields.nl_params.present);
  }
}

struct ActivRow {
  NodeType kind;
  const char *kernel;
  ai_layer_forward_func fn;
  std::vector<double> params;  // empty: no parameter array
};

TEST_F(SwkFloat, ActivationKindsPickTheirKernelAndParameters)
{
  // Record fields: alpha 0.5, beta 0.25, gamma 1.5, min -2, max 6.
  const ActivRow rows[] = {
    { LL_SW_RELU, "forward_relu", forward_relu, {} },
    { LL_SW_PRELU, "forward_prelu", forward_prelu, {} },
    { LL_SW_THRESHOLDEDRELU, "forward_relu_thresholded", forward_relu_thresholded, { 0.5 } },
    { LL_SW_ELU, "forward_elu", forward_elu, { 0.5 } },
    { LL_SW_SELU, "forward_selu", forward_selu, { 0.5, 1.5 } },
    { LL_SW_CLIP, "forward_clip", forward_clip, { -2.0, 6.0 } },
    { LL_SW_HARDSIGMOID, "forward_hard_sigmoid", forward_hard_sigmoid, { 0.5, 0.25 } },
    { LL_SW_SIGMOID, "forward_sigmoid", forward_sigmoid, {} },
    { LL_SW_ATAN, "forward_atan", forward_atan, {} },
    { LL_SW_ATANH, "forward_atanh", forward_atanh, {} },
    { LL_SW_ACOS, "forward_acos", forward_acos, {} },
    { LL_SW_ACOSH, "forward_acosh", forward_acosh, {} },
    { LL_SW_ASIN, "forward_asin", forward_asin, {} },
    { LL_SW_ASINH, "forward_asinh", forward_asinh, {} },
    { LL_SW_TAN, "forward_tan", forward_tan, {} },
    { LL_SW_TANH, "forward_tanh", forward_tanh, {} },
    { LL_SW_COS, "forward_cos", forward_cos, {} },
    { LL_SW_COSH, "forward_cosh", forward_cosh, {} },
    { LL_SW_SIN, "forward_sin", forward_sin, {} },
    { LL_SW_SINH, "forward_sinh", forward_sinh, {} },
    { LL_SW_SQRT, "forward_sqrt", forward_sqrt, {} },
    { LL_SW_CEIL, "forward_ceil", forward_ceil, {} },
    { LL_SW_FLOOR, "forward_floor", forward_floor, {} },
    { LL_SW_EXP, "forward_exp", forward_exp, {} },
    { LL_SW_LOG, "forward_log", forward_log, {} },
    { LL_SW_ERF, "forward_erf", forward_erf, {} },
    { LL_SW_HARDMAX, "forward_hardmax", forward_hardmax, {} },
    { LL_SW_HARDSWISH, "forward_hard_swish", forward_hard_swish, {} },
    { LL_SW_SWISH, "forward_swish", forward_swish, {} },
    { LL_SW_ABS, "forward_abs", forward_abs, {} },
    { LL_SW_SOFTSIGN, "forward_soft_sign", forward_soft_sign, {} },
    { LL_SW_SOFTPLUS, "forward_soft_plus", forward_soft_plus, {} },
    { LL_SW_NEG, "forward_neg", forward_neg, {} },
    { LL_SW_RECIPROCAL, "forward_reciprocal", forward_reciprocal, {} },
    { LL_SW_ROUND, "forward_round", forward_round, {} },
  };
  ASSERT_EQ(sizeof rows / sizeof rows[0], 35u);
  for (const ActivRow &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(row.kind);
    rec.activ.operand = t.Make();
    rec.activ.alpha = 0.5f;
    rec.activ.beta = 0.25f;
    rec.activ.gamma = 1.5f;
    rec.activ.min = -2.0f;
    rec.activ.max = 6.0f;
    ll_sw_forward_activ(&rec);
    ExpectLayer(row.kernel, row.fn, AI_LAYER_NL_TYPE, 2);
    ExpectFloatIo();
    const bool prelu = row.kind == LL_SW_PRELU;
    ExpectListSizes({ 1, 1, prelu ? 1u : 0u, 0 });
    if (prelu) {
      ExpectTensor(Slot(PAR, 0), rec.activ.operand, kFloat);
    }
    if (row.params.empty()) {
      EXPECT_FALSE(lkl_last_call.fields.nl_params.present);
    } else {
      ExpectParam(lkl_last_call.fields.nl_params, kFloat, row.params);
    }
  }
}

// Kinds an adapter does not serve call nothing and leave the output as it was.
TEST_F(SwkFloat, UnsupportedKindsCallNoKernel)
{
  const struct {
    const char *name;
    void (*adapter)(void *);
    NodeType kind;
  } rows[] = {
    { "activ conv", ll_sw_forward_activ, LL_SW_CONV },
    { "activ maxpool", ll_sw_forward_activ, LL_SW_MAXPOOL },
    { "activ gather", ll_sw_forward_activ, LL_SW_GATHER },
    { "activ instance norm", ll_sw_forward_activ, LL_SW_INSTANCENORM },
    { "activ sign", ll_sw_forward_activ, LL_SW_SIGN },
    { "activ out of range", ll_sw_forward_activ, 200 },
    { "arith and", ll_sw_forward_arith, LL_SW_AND },
    { "arith or", ll_sw_forward_arith, LL_SW_OR },
    { "arith xor", ll_sw_forward_arith, LL_SW_XOR },
    { "arith conv", ll_sw_forward_arith, LL_SW_CONV },
    { "arith out of range", ll_sw_forward_arith, 255 },
    { "min pool", ll_sw_forward_pool, LL_SW_MINPOOL },
    { "pool relu", ll_sw_forward_pool, LL_SW_RELU },
    { "global min pool", ll_sw_forward_global_pool, LL_SW_MINPOOL },
    { "reduce softmax", ll_sw_forward_reduce, LL_SW_SOFTMAX },
    { "reduce out of range", ll_sw_forward_reduce, 99 },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    Begin(row.kind);
    rec.activ.operand = t.Make();
    rec.general.output.mem.start_offset[0] = 0x5A;
    row.adapter(&rec);
    EXPECT_EQ(lkl_last_call.calls, 0u);
    EXPECT_EQ(rec.general.output.mem.start_offset[0], 0x5A);
  }
}

TEST_F(SwkFloat, ArithmeticKindsPickTheirOperationPair)
{
  const struct {
    NodeType kind;
    ai_func_binary operation;
    ai_func_buffer buffer_operation;
  } rows[] = {
    { LL_SW_ARITHADD, ai_sum, ai_sum_buffer },
    { LL_SW_ARITHSUM, ai_sum, ai_sum_buffer },
    { LL_SW_ARITHSUB, ai_sub, ai_sub_buffer },
    { LL_SW_ARITHMUL, ai_mul, ai_mul_buffer },
    { LL_SW_ARITHDIV, ai_div, ai_div_buffer },
    { LL_SW_POW, ai_pow, ai_pow_buffer },
    { LL_SW_EQUAL, ai_equal, ai_equal_buffer },
    { LL_SW_GREATER, ai_greater, ai_greater_buffer },
    { LL_SW_LESS, ai_less, ai_less_buffer },
    { LL_SW_GREATEROREQUAL, ai_greater_or_equal, ai_greater_or_equal_buffer },
    { LL_SW_LESSOREQUAL, ai_less_or_equal, ai_less_or_equal_buffer },
    { LL_SW_MIN, ai_min, ai_min_buffer },
    { LL_SW_MAX, ai_max, ai_max_buffer },
    { LL_SW_MOD, ai_floor_mod, ai_floor_mod_buffer },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(static_cast<int>(row.kind));
    Begin(row.kind);
    rec.arith.operand = t.Make();
    rec.arith.num_of_inputs = 2;
    ll_sw_forward_arith(&rec);
    ExpectLayer("forward_eltwise", forward_eltwise, AI_LAYER_ELTWISE_TYPE, 2);
    ExpectListSizes({ 2, 1, 0, 0 });
    ExpectFloatIo();
    ExpectTensor(Slot(IN, 1), rec.arith.operand, kFloat);
    EXPECT_EQ(lkl_last_call.fields.operation, row.operation);
    EXPECT_EQ(lkl_last_call.fields.buffer_operation, row.buffer_operation);
  }
}

TEST_F(SwkFloat, OnlyASumOfThreeOrFourTakesTheExtraOperands)
{
  const struct {
    NodeType kind;
    unsigned num_of_inputs;
    uint32_t inputs;
  } rows[] = {
    { LL_SW_ARITHSUM, 0, 2 }, { LL_SW_ARITHSUM, 2, 2 }, { LL_SW_ARITHSUM, 3, 3 }, { LL_SW_ARITHSUM, 4, 4 },
    { LL_SW_ARITHSUM, 5, 2 }, { LL_SW_ARITHADD, 4, 2 }, { LL_SW_ARITHMUL, 3, 2 }, { LL_SW_MAX, 4, 2 },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::to_string(row.kind) + " with " + std::to_string(row.num_of_inputs) + " inputs");
    Begin(row.kind);
    rec.arith.operand = t.Make();
    rec.arith.operand1 = t.Make();
    rec.arith.operand2 = t.Make();
    rec.arith.num_of_inputs = row.num_of_inputs;
    ll_sw_forward_arith(&rec);
    ExpectLayer("forward_eltwise", forward_eltwise, AI_LAYER_ELTWISE_TYPE, 2);
    ExpectListSizes({ row.inputs, 1, 0, 0 });
    ExpectTensor(Slot(IN, 0), rec.general.input, kFloat);
    ExpectTensor(Slot(IN, 1), rec.arith.operand, kFloat);
    if (row.inputs >= 3) {
      ExpectTensor(Slot(IN, 2), rec.arith.operand1, kFloat);
    }
    if (row.inputs == 4) {
      ExpectTensor(Slot(IN, 3), rec.arith.operand2, kFloat);
    }
  }
}

TEST_F(SwkFloat, PoolingTakesWindowStridePadsAndCountsPadOnlyWhenAveraging)
{
  const struct {
    NodeType kind;
    bool count_include_pad;
    const char *kernel;
    ai_layer_forward_func fn;
    bool expected_count;
  } rows[] = {
    { LL_SW_MAXPOOL, true, "forward_mp", forward_mp, false },
    { LL_SW_AVGPOOL, true, "forward_ap", forward_ap, true },
    { LL_SW_AVGPOOL, false, "forward_ap", forward_ap, false },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(row.kind);
    rec.pool.ngroup = 7;
    const int32_t pads[4] = { 1, 2, 3, 4 };
    const int32_t strides[4] = { 5, 6, 0, 0 };
    std::memcpy(rec.pool.pads, pads, sizeof pads);
    std::memcpy(rec.pool.strides, strides, sizeof strides);
    rec.pool.k_shape[0] = 3;
    rec.pool.k_shape[1] = 2;
    rec.pool.count_include_pad = row.count_include_pad;
    ll_sw_forward_pool(&rec);
    ExpectLayer(row.kernel, row.fn, AI_LAYER_POOL_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    ExpectFloatIo();
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.pool_size[0], 2u);
    EXPECT_EQ(f.pool_size[1], 3u);
    EXPECT_EQ(f.pool_stride[0], 6u);
    EXPECT_EQ(f.pool_stride[1], 5u);
    ExpectDims(f.pool_pad, AI_STORAGE_CLASS_SHAPE, { 1, 2, 3, 4 });
    EXPECT_EQ(f.count_include_pad, row.expected_count);
  }
}

TEST_F(SwkFloat, GlobalPoolingCoversTheWholePlane)
{
  for (NodeType kind : { LL_SW_MAXPOOL, LL_SW_AVGPOOL }) {
    SCOPED_TRACE(static_cast<int>(kind));
    Begin(kind);
    rec.general.input.dim.tensor_h = 8;
    rec.general.input.dim.tensor_w = 4;
    ll_sw_forward_global_pool(&rec);
    ASSERT_EQ(lkl_last_call.calls, 1u);
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.pool_size[0], 4u);  // W
    EXPECT_EQ(f.pool_size[1], 8u);  // H
    EXPECT_EQ(f.pool_stride[0], 1u);
    EXPECT_EQ(f.pool_stride[1], 1u);
    ExpectDims(f.pool_pad, AI_STORAGE_CLASS_SHAPE, { 0, 0, 0, 0 });
    EXPECT_FALSE(f.count_include_pad);
  }
}

TEST_F(SwkFloat, ArgmaxAndArgminMapTheAxisAndCopyTheLastIndexChoice)
{
  for (int axis : { 0, 1, 2, 3, 7, -1 }) {
    for (int last : { 0, 1 }) {
      SCOPED_TRACE("axis " + std::to_string(axis) + ", last " + std::to_string(last));
      Begin(LL_SW_ARGMAX);
      rec.argmax.axis = axis;
      rec.argmax.keepdims = 1;
      rec.argmax.select_last_index = last;
      ll_sw_forward_argmax(&rec);
      ExpectLayer("forward_argmax", forward_argmax, AI_LAYER_ARGMINMAX_TYPE, 1);
      EXPECT_EQ(lkl_last_call.fields.axis, swk_axis_map(axis));
      EXPECT_EQ(lkl_last_call.fields.select_last_index, last);

      Begin(LL_SW_ARGMIN);
      rec.argmin.axis = axis;
      rec.argmin.select_last_index = last;
      ll_sw_forward_argmin(&rec);
      ExpectLayer("forward_argmin", forward_argmin, AI_LAYER_ARGMINMAX_TYPE, 1);
      EXPECT_EQ(lkl_last_call.fields.axis, swk_axis_map(axis));
      EXPECT_EQ(lkl_last_call.fields.select_last_index, last);
    }
  }
}

TEST_F(SwkFloat, GatherPassesTheIndicesAsSecondInput)
{
  Begin(LL_SW_GATHER);
  rec.gather.operand = t.Make();
  rec.gather.axis = 2;
  ll_sw_forward_gather(&rec);
  ExpectLayer("forward_gather", forward_gather, AI_LAYER_GATHER_TYPE, 1);
  ExpectListSizes({ 2, 1, 0, 0 });
  ExpectTensor(Slot(IN, 1), rec.gather.operand, kFloat);
  EXPECT_EQ(lkl_last_call.fields.axis, 3);
  EXPECT_FALSE(lkl_last_call.fields.has_indices);
}

TEST_F(SwkFloat, ReductionsStartFromTheirNeutralValue)
{
  const struct {
    NodeType kind;
    ai_func_binary operation;
    uint32_t neutral_bits;
  } rows[] = {
    { LL_SW_REDUCESUM, ai_sum, 0x00000000u },
    { LL_SW_REDUCEMIN, ai_min, 0x7F7FFFFFu },   // largest finite float
    { LL_SW_REDUCEMEAN, nullptr, 0x00000000u },
    { LL_SW_REDUCEMAX, ai_max, 0xFF7FFFFFu },   // lowest finite float, so all-negative inputs reduce right
    { LL_SW_REDUCEPROD, ai_mul, 0x3F800000u },  // a product starts from 1
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(static_cast<int>(row.kind));
    Begin(row.kind);
    rec.reduce.axis = 2;
    ll_sw_forward_reduce(&rec);
    ExpectLayer("forward_reduce", forward_reduce, AI_LAYER_REDUCE_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    ExpectFloatIo();
    EXPECT_EQ(lkl_last_call.fields.operation, row.operation);
    ExpectParam(lkl_last_call.fields.neutral_value, kFloat, { static_cast<double>(BitsFloat(row.neutral_bits)) });
    EXPECT_EQ(FloatBits(static_cast<float>(lkl_last_call.fields.neutral_value.values[0])), row.neutral_bits);
    EXPECT_EQ(lkl_last_call.fields.axis, 0) << "the axis follows from the shapes on this path";
  }
}

TEST_F(SwkFloat, LogSumExpReductionMapsItsAxis)
{
  for (int axis : { 0, 1, 2, 3, 4 }) {
    SCOPED_TRACE(axis);
    Begin(LL_SW_REDUCELOGSUMEXP);
    rec.reduce.axis = axis;
    ll_sw_forward_reduce(&rec);
    ExpectLayer("forward_reduce_log_sum_exp", forward_reduce_log_sum_exp, AI_LAYER_REDUCE_TYPE, 1);
    EXPECT_EQ(lkl_last_call.fields.axis, swk_axis_map(axis));
    EXPECT_FALSE(lkl_last_call.fields.neutral_value.present);
  }
}

TEST_F(SwkFloat, InstanceNormalizationUsesTheFixedEpsilon)
{
  for (float epsilon : { 0.0f, 1e-3f }) {
    SCOPED_TRACE(epsilon);
    Begin(LL_SW_INSTANCENORM);
    rec.instance_norm.scale = t.Make();
    rec.instance_norm.bias = t.Make();
    rec.instance_norm.epsilon = epsilon;
    ll_sw_forward_instance_normalization(&rec);
    ExpectLayer("forward_instanceNormalization", forward_instanceNormalization, AI_LAYER_INSTANCENORMALIZATION_TYPE,
                1);
    ExpectListSizes({ 1, 1, 3, 0 });
    ExpectTensor(Slot(PAR, 0), rec.instance_norm.scale, kFloat);
    ExpectTensor(Slot(PAR, 1), rec.instance_norm.bias, kFloat);
    EXPECT_FALSE(Slot(PAR, 2).present);
    EXPECT_EQ(FloatBits(lkl_last_call.fields.eps), 0x3727C5ACu);
  }
}

TEST_F(SwkFloat, LpNormalizationMapsTheAxisAndTakesTheExponentAsFloat)
{
  Begin(LL_SW_LPNORM);
  rec.lpnorm.axis = 3;
  rec.lpnorm.p = 2;
  ll_sw_forward_lpnormalization(&rec);
  ExpectLayer("forward_norm", forward_norm, AI_LAYER_NORM_TYPE, 1);
  const lkl_layer_fields &f = lkl_last_call.fields;
  EXPECT_EQ(f.axis, 2);
  EXPECT_EQ(f.exponent, 2.0f);
  EXPECT_FALSE(f.scale);
  EXPECT_EQ(f.norm_type, 0u);

  Begin(LL_SW_LPNORM);
  rec.lpnorm.axis = -1;
  rec.lpnorm.p = 1;
  ll_sw_forward_lpnormalization(&rec);
  EXPECT_EQ(lkl_last_call.fields.axis, -1);
  EXPECT_EQ(lkl_last_call.fields.exponent, 1.0f);
}

TEST_F(SwkFloat, SignHasNoParameters)
{
  Begin(LL_SW_SIGN);
  ll_sw_forward_sign(&rec);
  ExpectLayer("forward_sign", forward_sign, AI_LAYER_NL_TYPE, 1);
  EXPECT_FALSE(lkl_last_call.fields.nl_params.present);
}

TEST_F(SwkFloat, LrnCopiesSizeBiasAlphaAndBeta)
{
  Begin(LL_SW_LRN);
  rec.lrn.size = 5;
  rec.lrn.alpha = 1e-4f;
  rec.lrn.beta = 0.75f;
  rec.lrn.bias = 2.0f;
  ll_sw_forward_lrn(&rec);
  ExpectLayer("forward_lrn", forward_lrn, AI_LAYER_LRN_TYPE, 2);
  const lkl_layer_fields &f = lkl_last_call.fields;
  EXPECT_EQ(f.local_size, 5u);
  EXPECT_EQ(f.k, 2.0f);
  EXPECT_EQ(f.alpha, 1e-4f);
  EXPECT_EQ(f.beta, 0.75f);
}

TEST_F(SwkFloat, TileReordersTheRepeatsAndAddsOne)
{
  Begin(LL_SW_TILE);
  const int16_t repeats[4] = { 1, 2, 3, 4 };
  std::memcpy(rec.tile.repeats, repeats, sizeof repeats);
  ll_sw_forward_tile(&rec);
  ExpectLayer("forward_tile", forward_tile, AI_LAYER_TILE_TYPE, 2);
  ExpectParam(lkl_last_call.fields.repeats, AI_ARRAY_FORMAT_S16, { 3, 4, 2, 1, 1 });
}

TEST_F(SwkFloat, ConcatenationAlwaysHasFourSlotsAndKeepsTheAxis)
{
  for (unsigned count : { 2u, 3u, 4u }) {
    SCOPED_TRACE(count);
    Begin(LL_SW_CONCAT);
    rec.concat.concat_axis = 2;
    rec.concat.num_of_inputs = count;
    rec.concat.operand = t.Make();
    rec.concat.operand1 = t.Make();
    rec.concat.operand2 = t.Make();
    ll_sw_forward_concat(&rec);
    ExpectLayer("forward_concat", forward_concat, AI_LAYER_CONCAT_TYPE, 1);
    ExpectListSizes({ 4, 1, 0, 0 });
    ExpectTensor(Slot(IN, 0), rec.general.input, kFloat);
    ExpectTensor(Slot(IN, 1), rec.concat.operand, kFloat);
    if (count >= 3) {
      ExpectTensor(Slot(IN, 2), rec.concat.operand1, kFloat);
    } else {
      EXPECT_FALSE(Slot(IN, 2).present);
    }
    if (count >= 4) {
      ExpectTensor(Slot(IN, 3), rec.concat.operand2, kFloat);
    } else {
      EXPECT_FALSE(Slot(IN, 3).present);
    }
    EXPECT_EQ(lkl_last_call.fields.axis, 2) << "the concatenation axis is not mapped";
  }
}

}  // namespace
