// Tests of the integer software kernel adapters against the recording stand-in of the layer kernel library.
#include "swk_integer.h"
#include "swk_layer_objects.h"
#include "swk_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace swk_test;

constexpr ai_array_format kS8Io = 0x08840440u;
constexpr ai_array_format kU8Io = 0x08040440u;
constexpr uint16_t kZpS8 = 5;  // scale float, signed zero point
constexpr uint16_t kZpU8 = 3;  // scale float, unsigned zero point
enum { IN = LKL_LIST_INPUTS, OUT = LKL_LIST_OUTPUTS, PAR = LKL_LIST_PARAMS, SCR = LKL_LIST_SCRATCH };

ai_array_format Io(bool is_signed)
{
  return is_signed ? kS8Io : kU8Io;
}

uint16_t ZpFlag(bool is_signed)
{
  return is_signed ? kZpS8 : kZpU8;
}

union IntegerRecord {
  General general;
  Qlinearmatmul_sw_info qmatmul;
  Gemm_integer_sw_info gemm;
  Conv_integer_sw_info conv;
  Pool_integer_sw_info pool;
  Global_pool_integer_sw_info global_pool;
  Activ_integer_sw_info activ;
  Softmax_integer_sw_info softmax;
  Eltwise_integer_sw_info eltwise;
  Resize_integer_sw_info resize;
  Quantizelinear_sw_info quantize;
  Dequantizelinear_sw_info dequantize;
  Requantizelinear_sw_info requantize;
};

class SwkInteger : public ::testing::Test {
 protected:
  void SetUp() override
  {
    std::memset(&rec, 0, sizeof rec);
    lkl_reset();
  }
  void TearDown() override { lkl_reset(); }

  void Begin(NodeType kind, bool in_signed = true, bool out_signed = true)
  {
    std::memset(&rec, 0, sizeof rec);
    rec.general.type = kind;
    rec.general.input = t.Make(in_signed);
    rec.general.output = t.Make(out_signed);
    lkl_reset();
  }

  IntegerRecord rec;
  Tensors t;
};

// The four quantization descriptors of a record, filled with distinct tensors; the signedness of each is given.
struct QuantDescs {
  Tensor_info *is, *izp, *os, *ozp;
};

void FillQuant(Tensors &t, const QuantDescs &q, bool is_s, bool izp_s, bool os_s, bool ozp_s)
{
  *q.is = t.Make(is_s);
  *q.izp = t.Make(izp_s);
  *q.os = t.Make(os_s);
  *q.ozp = t.Make(ozp_s);
}

void ExpectQuantIo(const General &g, const Tensor_info &is, const Tensor_info &izp, uint16_t in_flag,
                   const Tensor_info &os, const Tensor_info &ozp, uint16_t out_flag)
{
  {
    SCOPED_TRACE("input");
    ExpectTensor(Slot(IN, 0), g.input, Io(g.input.format.is_signed));
    ExpectQuant(Slot(IN, 0), is, izp, in_flag);
  }
  {
    SCOPED_TRACE("output");
    ExpectTensor(Slot(OUT, 0), g.output, Io(g.output.format.is_signed));
    ExpectQuant(Slot(OUT, 0), os, ozp, out_flag);
  }
}

// --- dense adapters ---

struct DenseDescs {
  Tensor_info *weights, *scratch, *bias, *ws, *wzp, *is, *izp, *os, *ozp;
};

template <class Record>
DenseDescs DenseOf(Record &r)
{
  return { &r.weights, &r.scratch, &r.bias, &r.ws, &r.wzp, &r.is, &r.izp, &r.os, &r.ozp };
}

void FillDense(Tensors &t, const DenseDescs &d, bool scale_signed, bool zp_signed)
{
  *d.weights = t.Make(true);
  *d.scratch = t.Make(false);
  *d.bias = t.Make();
  *d.ws = t.Make(scale_signed);
  *d.wzp = t.Make(zp_signed);
  *d.is = t.Make(scale_signed);
  *d.izp = t.Make(zp_signed);
  *d.os = t.Make(scale_signed);
  *d.ozp = t.Make(zp_signed);
}

void ExpectDense(const General &g, const DenseDescs &d, bool zp_signed)
{
  ExpectLayer("forward_dense_integer", forward_dense_integer, AI_LAYER_DENSE_TYPE, 1);
  ExpectListSizes({ 1, 1, 3, 1 });
  // Decided by the zero points, whose signedness differs from the scales' here.
  ExpectQuantIo(g, *d.is, *d.izp, ZpFlag(zp_signed), *d.os, *d.ozp, ZpFlag(zp_signed));
  ExpectTensor(Slot(PAR, 0), *d.weights, AI_ARRAY_FORMAT_S8);
  ExpectQuant(Slot(PAR, 0), *d.ws, *d.wzp, ZpFlag(zp_signed));
  const Tensor_info &b = *d.bias;
  ExpectTensor(Slot(PAR, 1), b, AI_ARRAY_FORMAT_S32, { b.dim.tensor_b, b.dim.tensor_w, b.dim.tensor_c, b.dim.tensor_h },
               CommonStride(b));
  ExpectNoQuant(Slot(PAR, 1));
  EXPECT_FALSE(Slot(PAR, 2).present);
  ExpectTensor(Slot(SCR, 0), *d.scratch, AI_ARRAY_FORMAT_U8);
  ExpectNoQuant(Slot(SCR, 0));
}

// Bias words as the kernel saw them, captured while the call runs.
std::vector<int32_t> g_bias_at_call;
const Tensor_info *g_bias_desc = nullptr;

void CaptureBias(const ai_layer *)
{
  const auto *words = reinterpret_cast<const int32_t *>(g_bias_desc->mem.start_offset);
  g_bias_at_call.assign(words, words + g_bias_desc->dim.num_elem);
}

void FillBias(const Tensor_info &bias, int32_t first)
{
  auto *words = reinterpret_cast<int32_t *>(bias.mem.start_offset);
  for (uint32_t i = 0; i < bias.dim.num_elem + 1; ++i) {
    words[i] = first + static_cast<int32_t>(i);
  }
}

TEST_F(SwkInteger, QuantizedMatrixProductClearsTheBiasBeforeTheKernelRuns)
{
  for (bool zp_signed : { true, false }) {
    SCOPED_TRACE(zp_signed ? "signed zero points" : "unsigned zero points");
    Begin(LL_SW_QLINEARMATMUL, zp_signed, zp_signed);
    FillDense(t, DenseOf(rec.qmatmul), !zp_signed, zp_signed);
    FillBias(rec.qmatmul.bias, 100);
    g_bias_desc = &rec.qmatmul.bias;
    lkl_call_hook = CaptureBias;
    ll_sw_forward_qlinearmatmul(&rec);
    ExpectDense(rec.general, DenseOf(rec.qmatmul), zp_signed);
    EXPECT_EQ(g_bias_at_call, std::vector<int32_t>(rec.qmatmul.bias.dim.num_elem, 0));
    const auto *words = reinterpret_cast<const int32_t *>(rec.qmatmul.bias.mem.start_offset);
    EXPECT_EQ(words[rec.qmatmul.bias.dim.num_elem], 100 + static_cast<int32_t>(rec.qmatmul.bias.dim.num_elem))
      << "the word after the bias is not touched";
  }
}

TEST_F(SwkInteger, QuantizedMatrixProductWithoutBiasAddressClearsNothing)
{
  Begin(LL_SW_QLINEARMATMUL);
  FillDense(t, DenseOf(rec.qmatmul), true, true);
  rec.qmatmul.bias.mem.start_offset = nullptr;
  ll_sw_forward_qlinearmatmul(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  ASSERT_TRUE(Slot(PAR, 1).present);
  EXPECT_EQ(Slot(PAR, 1).array.data, nullptr);
}

TEST_F(SwkInteger, IntegerGemmUsesTheBiasAsStored)
{
  Begin(LL_SW_GEMM, false, true);
  FillDense(t, DenseOf(rec.gemm), false, true);
  rec.gemm.alpha = 2.0f;
  rec.gemm.tA = 1;
  FillBias(rec.gemm.bias, 7);
  g_bias_desc = &rec.gemm.bias;
  lkl_call_hook = CaptureBias;
  ll_sw_forward_gemm_integer(&rec);
  ExpectDense(rec.general, DenseOf(rec.gemm), true);
  std::vector<int32_t> expected(rec.gemm.bias.dim.num_elem);
  for (size_t i = 0; i < expected.size(); ++i) {
    expected[i] = 7 + static_cast<int32_t>(i);
  }
  EXPECT_EQ(g_bias_at_call, expected);
}

// --- conversions ---

TEST_F(SwkInteger, QuantizeFlagsTheOutputZeroPointByTheOutputScale)
{
  const struct {
    bool out_signed, os_signed, ozp_signed;
    ai_array_format format;
    uint16_t flag;
  } rows[] = {
    { true, true, false, kS8Io, kZpS8 },
    { true, false, true, kS8Io, kZpU8 },
    { false, true, false, kU8Io, kZpS8 },
    { false, false, false, kU8Io, kZpU8 },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::to_string(row.out_signed) + std::to_string(row.os_signed) + std::to_string(row.ozp_signed));
    Begin(LL_SW_QUANTIZELINEAR, false, row.out_signed);
    rec.quantize.os = t.Make(row.os_signed);
    rec.quantize.ozp = t.Make(row.ozp_signed);
    ll_sw_forward_quantizelinear(&rec);
    ExpectLayer("node_convert", node_convert, AI_LAYER_NL_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    ExpectTensor(Slot(IN, 0), rec.general.input, AI_ARRAY_FORMAT_FLOAT);
    ExpectNoQuant(Slot(IN, 0));
    ExpectTensor(Slot(OUT, 0), rec.general.output, row.format);
    ExpectQuant(Slot(OUT, 0), rec.quantize.os, rec.quantize.ozp, row.flag);
    EXPECT_FALSE(lkl_last_call.fields.nl_params.present);
  }
}

TEST_F(SwkInteger, DequantizeFlagsTheInputZeroPointByTheInputScale)
{
  for (bool is_signed : { true, false }) {
    SCOPED_TRACE(is_signed);
    Begin(LL_SW_DEQUANTIZELINEAR, !is_signed, true);
    rec.dequantize.is = t.Make(is_signed);
    rec.dequantize.izp = t.Make(!is_signed);
    ll_sw_forward_dequantizelinear(&rec);
    ExpectLayer("node_convert", node_convert, AI_LAYER_NL_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    ExpectTensor(Slot(IN, 0), rec.general.input, Io(!is_signed));
    ExpectQuant(Slot(IN, 0), rec.dequantize.is, rec.dequantize.izp, ZpFlag(is_signed));
    ExpectTensor(Slot(OUT, 0), rec.general.output, AI_ARRAY_FORMAT_FLOAT);
    ExpectNoQuant(Slot(OUT, 0));
  }
}

TEST_F(SwkInteger, RequantizeConvertsBetweenTwoQuantizations)
{
  Begin(LL_SW_REQUANTIZELINEAR, true, false);
  FillQuant(t, { &rec.requantize.is, &rec.requantize.izp, &rec.requantize.os, &rec.requantize.ozp }, true, false,
            false, true);
  ll_sw_forward_requantizelinear(&rec);
  ExpectLayer("node_convert_integer", node_convert_integer, AI_LAYER_NL_TYPE, 1);
  ExpectListSizes({ 1, 1, 0, 0 });
  ExpectQuantIo(rec.general, rec.requantize.is, rec.requantize.izp, kZpS8, rec.requantize.os, rec.requantize.ozp,
                kZpU8);
}

// --- convolution ---

void FillConv(IntegerRecord &rec, Tensors &t, uint8_t fwd_func)
{
  Conv_integer_sw_info &c = rec.conv;
  c.weights = t.Make(true);
  c.scratch = t.Make(true);
  c.bias = t.Make();
  c.ws = t.Make(false);
  c.wzp = t.Make(true);
  c.is = t.Make(true);
  c.izp = t.Make(false);
  c.os = t.Make(false);
  c.ozp = t.Make(true);
  c.ngroup = 2;
  const int32_t pads[4] = { 1, 2, 3, 4 };
  const int32_t strides[4] = { 5, 6, 7, 8 };
  std::memcpy(c.pads, pads, sizeof pads);
  std::memcpy(c.strides, strides, sizeof strides);
  c.dilations[0] = 9;
  c.dilations[1] = 10;
  c.fwd_func = fwd_func;
}

TEST_F(SwkInteger, ConvolutionCasePicksTheKernelOfAnIdenticalRecord)
{
  const struct {
    uint8_t fwd_func;
    const char *kernel;
    ai_layer_forward_func fn;
  } rows[] = {
    { LL_SW_SSSA_PW_CONV, "forward_pw_sssa8_ch", forward_pw_sssa8_ch },
    { LL_SW_SSSA_RGB_CONV, "forward_conv2d_rgb_sssa8_ch", forward_conv2d_rgb_sssa8_ch },
    { LL_SW_SSSA_DW_CONV, "forward_dw_dm_sssa8_ch", forward_dw_dm_sssa8_ch },
    { LL_SW_SSSA_DILATED_CONV, "forward_conv2d_dilated_sssa8_ch", forward_conv2d_dilated_sssa8_ch },
    { LL_SW_SSSA_GENERIC_CONV, "forward_conv2d_sssa8_ch", forward_conv2d_sssa8_ch },
    { LL_SW_GENERIC_CONV, "forward_conv2d_integer", forward_conv2d_integer },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(LL_SW_QLINEARCONV, true, false);
    FillConv(rec, t, row.fwd_func);
    ll_sw_forward_conv_integer(&rec);
    ExpectLayer(row.kernel, row.fn, AI_LAYER_CONV2D_TYPE, 1);
    ExpectListSizes({ 1, 1, 3, 1 });
    const Conv_integer_sw_info &c = rec.conv;
    // Decided by the zero points: izp unsigned although is is signed.
    ExpectQuantIo(rec.general, c.is, c.izp, kZpU8, c.os, c.ozp, kZpS8);
    const Tensor_info &w = c.weights;
    ExpectTensor(Slot(PAR, 0), w, AI_ARRAY_FORMAT_S8,
                 { w.dim.tensor_c, w.dim.tensor_w, w.dim.tensor_h, w.dim.tensor_b },
                 { w.stride.b, w.stride.b, w.stride.w, w.stride.h });
    ExpectQuant(Slot(PAR, 0), c.ws, c.wzp, kZpS8);
    ExpectTensor(Slot(PAR, 1), c.bias, AI_ARRAY_FORMAT_S32);
    ExpectNoQuant(Slot(PAR, 1));
    EXPECT_FALSE(Slot(PAR, 2).present);
    ExpectTensor(Slot(SCR, 0), c.scratch, AI_ARRAY_FORMAT_S8);
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.groups, 2);
    EXPECT_EQ(f.filter_stride[0], 6u);
    EXPECT_EQ(f.filter_stride[1], 5u);
    EXPECT_EQ(f.dilation[0], 10u);
    EXPECT_EQ(f.dilation[1], 9u);
    ExpectDims(f.filter_pad, AI_STORAGE_CLASS_SHAPE, { 1, 2, 3, 4 });
    EXPECT_EQ(f.in_ch_format, AI_LAYER_FORMAT_CHANNEL_LAST_VALID);
    EXPECT_EQ(f.out_ch_format, AI_LAYER_FORMAT_CHANNEL_LAST_VALID);
    EXPECT_FALSE(f.nl_params.present);
    EXPECT_FALSE(f.has_nl_func);
  }
}

TEST_F(SwkInteger, PointwiseAndGenericConvolutionBuildTheSameRecord)
{
  Begin(LL_SW_QLINEARCONV);
  FillConv(rec, t, LL_SW_SSSA_PW_CONV);
  ll_sw_forward_conv_integer(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  const lkl_call_record pointwise = lkl_last_call;
  lkl_reset();
  rec.conv.fwd_func = LL_SW_GENERIC_CONV;
  ll_sw_forward_conv_integer(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  EXPECT_STREQ(pointwise.kernel, "forward_pw_sssa8_ch");
  EXPECT_STREQ(lkl_last_call.kernel, "forward_conv2d_integer");
  EXPECT_EQ(pointwise.type, lkl_last_call.type);
  EXPECT_EQ(pointwise.id, lkl_last_call.id);
  EXPECT_EQ(std::memcmp(pointwise.lists, lkl_last_call.lists, sizeof pointwise.lists), 0);
  EXPECT_EQ(std::memcmp(&pointwise.fields, &lkl_last_call.fields, sizeof pointwise.fields), 0);
}

TEST_F(SwkInteger, QuantizationSizeIsTheScaleCountTruncatedTo16Bits)
{
  Begin(LL_SW_REQUANTIZELINEAR);
  FillQuant(t, { &rec.requantize.is, &rec.requantize.izp, &rec.requantize.os, &rec.requantize.ozp }, true, true,
            true, true);
  rec.requantize.is.dim.num_elem = 0x10003u;
  rec.requantize.os.dim.num_elem = 64u;
  ll_sw_forward_requantizelinear(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  EXPECT_EQ(Slot(IN, 0).quant.size, 3u);
  EXPECT_EQ(Slot(OUT, 0).quant.size, 64u);
}

TEST_F(SwkInteger, ConvolutionKeepsANullBiasInTheParameterList)
{
  Begin(LL_SW_QLINEARCONV);
  FillConv(rec, t, LL_SW_GENERIC_CONV);
  rec.conv.bias.mem.start_offset = nullptr;
  ll_sw_forward_conv_integer(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  ASSERT_TRUE(Slot(PAR, 1).present);
  EXPECT_EQ(Slot(PAR, 1).array.data, nullptr);
}

// --- element-wise ---

TEST_F(SwkInteger, ElementwiseKindsPickTheBufferFunctionByTheInputSignedness)
{
  const struct {
    NodeType kind;
    bool is_signed;
    ai_func_binary operation;
    ai_func_buffer_integer buffer_operation;
  } rows[] = {
    { LL_SW_ARITHSUM, true, ai_sum, ai_sum_buffer_INT8 },  { LL_SW_ARITHSUM, false, ai_sum, ai_sum_buffer_UINT8 },
    { LL_SW_ARITHSUB, true, ai_sub, ai_sub_buffer_INT8 },  { LL_SW_ARITHSUB, false, ai_sub, ai_sub_buffer_UINT8 },
    { LL_SW_ARITHMUL, true, ai_mul, ai_mul_buffer_INT8 },  { LL_SW_ARITHMUL, false, ai_mul, ai_mul_buffer_UINT8 },
    { LL_SW_ARITHDIV, true, ai_div, ai_div_buffer_INT8 },  { LL_SW_ARITHDIV, false, ai_div, ai_div_buffer_UINT8 },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::to_string(row.kind) + (row.is_signed ? " signed" : " unsigned"));
    Begin(row.kind, row.is_signed, !row.is_signed);
    Eltwise_integer_sw_info &e = rec.eltwise;
    e.operand = t.Make(!row.is_signed);
    e.operand_s = t.Make(row.is_signed);
    e.operand_zp = t.Make(!row.is_signed);
    FillQuant(t, { &e.is, &e.izp, &e.os, &e.ozp }, !row.is_signed, row.is_signed, row.is_signed, !row.is_signed);
    ll_sw_forward_eltwise_integer(&rec);
    ExpectLayer("forward_eltwise_integer", forward_eltwise_integer, AI_LAYER_ELTWISE_INTEGER_TYPE, 2);
    ExpectListSizes({ 2, 1, 0, 0 });
    // Decided by the scales, whatever the zero points say.
    ExpectQuantIo(rec.general, e.is, e.izp, ZpFlag(!row.is_signed), e.os, e.ozp, ZpFlag(row.is_signed));
    ExpectTensor(Slot(IN, 1), e.operand, Io(!row.is_signed));
    ExpectQuant(Slot(IN, 1), e.operand_s, e.operand_zp, ZpFlag(row.is_signed));
    EXPECT_EQ(lkl_last_call.fields.operation, row.operation);
    EXPECT_EQ(lkl_last_call.fields.buffer_operation_integer, row.buffer_operation);
  }
}

// --- pooling ---

void FillPool(IntegerRecord &rec, Tensors &t, bool count_include_pad)
{
  Pool_integer_sw_info &p = rec.pool;
  FillQuant(t, { &p.is, &p.izp, &p.os, &p.ozp }, true, false, false, true);
  p.ngroup = 3;
  const int32_t pads[4] = { 1, 2, 3, 4 };
  std::memcpy(p.pads, pads, sizeof pads);
  p.strides[0] = 5;
  p.strides[1] = 6;
  p.k_shape[0] = 3;
  p.k_shape[1] = 2;
  p.count_include_pad = count_include_pad;
}

TEST_F(SwkInteger, AveragePoolingReversesThePadsAndMaxPoolingKeepsThem)
{
  const struct {
    NodeType kind;
    bool count_include_pad;
    const char *kernel;
    ai_layer_forward_func fn;
    Dims pads;
    bool expected_count;
  } rows[] = {
    { LL_SW_MAXPOOL, true, "forward_mp_integer", forward_mp_integer, { 1, 2, 3, 4 }, false },
    { LL_SW_AVGPOOL, true, "forward_ap_integer", forward_ap_integer, { 4, 3, 2, 1 }, true },
    { LL_SW_AVGPOOL, false, "forward_ap_integer", forward_ap_integer, { 4, 3, 2, 1 }, false },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(row.kind, false, true);
    FillPool(rec, t, row.count_include_pad);
    ll_sw_forward_pool_integer(&rec);
    ExpectLayer(row.kernel, row.fn, AI_LAYER_POOL_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    const Pool_integer_sw_info &p = rec.pool;
    ExpectQuantIo(rec.general, p.is, p.izp, kZpS8, p.os, p.ozp, kZpU8);
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.pool_size[0], 2u);
    EXPECT_EQ(f.pool_size[1], 3u);
    EXPECT_EQ(f.pool_stride[0], 6u);
    EXPECT_EQ(f.pool_stride[1], 5u);
    ExpectDims(f.pool_pad, AI_STORAGE_CLASS_SHAPE, row.pads);
    EXPECT_EQ(f.count_include_pad, row.expected_count);
  }
}

TEST_F(SwkInteger, GlobalPoolingCoversTheWholePlane)
{
  const struct {
    NodeType kind;
    const char *kernel;
    ai_layer_forward_func fn;
  } rows[] = { { LL_SW_MAXPOOL, "forward_mp_integer", forward_mp_integer },
               { LL_SW_AVGPOOL, "forward_ap_integer", forward_ap_integer } };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(row.kind);
    Global_pool_integer_sw_info &p = rec.global_pool;
    FillQuant(t, { &p.is, &p.izp, &p.os, &p.ozp }, false, true, true, false);
    p.pads[0] = 9;
    p.k_shape[0] = 9;
    p.strides[0] = 9;
    rec.general.input.dim.tensor_h = 8;
    rec.general.input.dim.tensor_w = 4;
    ll_sw_forward_global_pool_integer(&rec);
    ExpectLayer(row.kernel, row.fn, AI_LAYER_POOL_TYPE, 1);
    ExpectQuantIo(rec.general, p.is, p.izp, kZpU8, p.os, p.ozp, kZpS8);
    const lkl_layer_fields &f = lkl_last_call.fields;
    EXPECT_EQ(f.pool_size[0], 4u);
    EXPECT_EQ(f.pool_size[1], 8u);
    EXPECT_EQ(f.pool_stride[0], 1u);
    EXPECT_EQ(f.pool_stride[1], 1u);
    ExpectDims(f.pool_pad, AI_STORAGE_CLASS_SHAPE, { 0, 0, 0, 0 });
    EXPECT_FALSE(f.count_include_pad);
  }
}

// --- softmax ---

TEST_F(SwkInteger, SoftmaxPassesItsFixedPointParametersAndMapsTheAxis)
{
  for (int32_t axis : { 1, 2, 3, 9 }) {
    SCOPED_TRACE(axis);
    Begin(LL_SW_SOFTMAX, false, true);
    Softmax_integer_sw_info &s = rec.softmax;
    s.scratch = t.Make(true);
    FillQuant(t, { &s.is, &s.izp, &s.os, &s.ozp }, true, false, false, true);
    s.quantized_multiplier = 1073741824;
    s.left_shift = -3;
    s.diff_min = -248;
    s.axis = axis;
    ll_sw_forward_softmax_integer(&rec);
    ExpectLayer("forward_sm_integer", forward_sm_integer, AI_LAYER_SM_TYPE, 1);
    ExpectListSizes({ 1, 1, 0, 1 });
    ExpectQuantIo(rec.general, s.is, s.izp, kZpU8, s.os, s.ozp, kZpS8);
    ExpectTensor(Slot(SCR, 0), s.scratch, AI_ARRAY_FORMAT_S32);
    ExpectNoQuant(Slot(SCR, 0));
    ExpectParam(lkl_last_call.fields.nl_params, AI_ARRAY_FORMAT_S32, { 1073741824, -3, -248 });
    EXPECT_EQ(lkl_last_call.fields.axis, swk_axis_map(axis));
  }
}

// --- activations ---

void FillActiv(IntegerRecord &rec, Tensors &t, bool slope_quantized)
{
  Activ_integer_sw_info &a = rec.activ;
  a.operand = t.Make(false);
  a.operand_s = slope_quantized ? t.Make(true) : Tensors::Null();
  a.operand_zp = t.Make(true);
  FillQuant(t, { &a.is, &a.izp, &a.os, &a.ozp }, false, true, true, false);
  a.ozp.mem.start_offset[0] = 0x81;
  a.ozp.mem.start_offset[1] = 0x22;
  a.min = -1.5f;
  a.max = 6.0f;
  a.alpha = 0.1f;
}

TEST_F(SwkInteger, IntegerReluTakesTheOutputZeroPointByte)
{
  Begin(LL_SW_RELU, true, true);
  FillActiv(rec, t, false);
  ll_sw_forward_activ_integer(&rec);
  ExpectLayer("forward_relu_integer", forward_relu_integer, AI_LAYER_NL_TYPE, 1);
  ExpectListSizes({ 1, 1, 0, 0 });
  const Activ_integer_sw_info &a = rec.activ;
  ExpectQuantIo(rec.general, a.is, a.izp, kZpS8, a.os, a.ozp, kZpU8);
  ExpectParam(lkl_last_call.fields.nl_params, AI_ARRAY_FORMAT_U8, { 0x81 });
  EXPECT_NE(lkl_last_call.fields.nl_params.array.data, static_cast<const void *>(a.ozp.mem.start_offset))
    << "the zero point is copied";
}

TEST_F(SwkInteger, IntegerReluWithoutOutputZeroPointAddressUsesZero)
{
  Begin(LL_SW_RELU);
  FillActiv(rec, t, false);
  rec.activ.ozp.mem.start_offset = nullptr;
  ll_sw_forward_activ_integer(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  ExpectParam(lkl_last_call.fields.nl_params, AI_ARRAY_FORMAT_U8, { 0 });
}

TEST_F(SwkInteger, IntegerPreluQuantizesTheSlopeOnlyWhenItHasAScale)
{
  for (bool out_signed : { true, false }) {
    SCOPED_TRACE(out_signed ? "signed output" : "unsigned output");
    Begin(LL_SW_PRELU, true, out_signed);
    FillActiv(rec, t, true);
    ll_sw_forward_activ_integer(&rec);
    ExpectLayer("forward_prelu_integer", forward_prelu_integer, AI_LAYER_NL_TYPE, 1);
    ExpectListSizes({ 1, 1, 1, 0 });
    const Activ_integer_sw_info &a = rec.activ;
    // The slope takes the output's format; its zero-point flag follows the slope descriptor (unsigned here).
    ExpectTensor(Slot(PAR, 0), a.operand, Io(out_signed));
    ExpectQuant(Slot(PAR, 0), a.operand_s, a.operand_zp, kZpU8);
    ExpectParam(lkl_last_call.fields.nl_params, AI_ARRAY_FORMAT_U8, { 0x81 });
  }

  Begin(LL_SW_PRELU);
  FillActiv(rec, t, false);
  ll_sw_forward_activ_integer(&rec);
  ExpectLayer("forward_prelu_integer", forward_prelu_integer, AI_LAYER_NL_TYPE, 1);
  ExpectTensor(Slot(PAR, 0), rec.activ.operand, AI_ARRAY_FORMAT_FLOAT);
  ExpectNoQuant(Slot(PAR, 0));
}

TEST_F(SwkInteger, IntegerClipRunsTheFloatKernelWithItsBounds)
{
  Begin(LL_SW_CLIP, false, false);
  FillActiv(rec, t, false);
  ll_sw_forward_activ_integer(&rec);
  ExpectLayer("forward_clip", forward_clip, AI_LAYER_NL_TYPE, 2);
  ExpectListSizes({ 1, 1, 0, 0 });
  const Activ_integer_sw_info &a = rec.activ;
  ExpectQuantIo(rec.general, a.is, a.izp, kZpS8, a.os, a.ozp, kZpU8);
  ExpectParam(lkl_last_call.fields.nl_params, AI_ARRAY_FORMAT_FLOAT, { -1.5, 6.0 });
}

// --- resize ---

void FillResize(IntegerRecord &rec, Tensors &t, uint8_t mode)
{
  Resize_integer_sw_info &r = rec.resize;
  FillQuant(t, { &r.is, &r.izp, &r.os, &r.ozp }, false, true, true, false);
  r.scales = t.Make();
  r.scales.dim.num_elem = 4;
  const float scales[4] = { 1.0f, 1.0f, 2.0f, 0.5f };
  std::memcpy(r.scales.mem.start_offset, scales, sizeof scales);
  r.roi = t.Make();
  r.sizes = t.Make();
  r.cubic_coeff_a = -0.5f;
  r.exclude_outside = true;
  r.extrapol_val = 3.0f;
  r.mode = mode;
  r.nearest_mode = ROUND_PREFER_CEIL;
  r.coord_transf_mode = ALIGN_CORNERS;
}

TEST_F(SwkInteger, ResizeModesPickTheirKernel)
{
  const struct {
    uint8_t mode;
    const char *kernel;
    ai_layer_forward_func fn;
    uint32_t layer_type;
  } rows[] = {
    { RESIZE_ZEROS, "forward_upsample_zeros", forward_upsample_zeros, AI_LAYER_UPSAMPLE_TYPE },
    { RESIZE_NEAREST, "forward_resize_nearest_is8os8", forward_resize_nearest_is8os8, AI_LAYER_RESIZE_TYPE },
    { RESIZE_LINEAR, "forward_resize_bilinear_is8os8", forward_resize_bilinear_is8os8, AI_LAYER_RESIZE_TYPE },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.kernel);
    Begin(LL_SW_RESIZE);
    FillResize(rec, t, row.mode);
    ll_sw_forward_resize_integer(&rec);
    ExpectLayer(row.kernel, row.fn, row.layer_type, 1);
    ExpectListSizes({ 1, 1, 0, 0 });
    const Resize_integer_sw_info &r = rec.resize;
    ExpectQuantIo(rec.general, r.is, r.izp, kZpS8, r.os, r.ozp, kZpU8);
    const lkl_layer_fields &f = lkl_last_call.fields;
    ExpectParam(f.scales, AI_ARRAY_FORMAT_FLOAT, { 2.0, 0.5 });
    if (row.mode == RESIZE_ZEROS) {
      EXPECT_EQ(f.mode, AI_UPSAMPLE_ZEROS);
      EXPECT_FALSE(f.center);
      EXPECT_EQ(f.nearest_mode, 0);
      continue;
    }
    EXPECT_EQ(f.mode, row.mode);
    EXPECT_EQ(f.nearest_mode, ROUND_PREFER_CEIL);
    EXPECT_EQ(f.coord_transf_mode, ALIGN_CORNERS);
    EXPECT_EQ(f.cubic_coeff_a, -0.5f);
    EXPECT_TRUE(f.exclude_outside);
    EXPECT_EQ(f.extrapol_val, 3.0f);
    ASSERT_TRUE(f.roi.present);
    EXPECT_EQ(f.roi.array.format, AI_ARRAY_FORMAT_FLOAT);
    EXPECT_EQ(f.roi.array.size, r.roi.dim.num_elem);
    EXPECT_EQ(f.roi.array.data, static_cast<const void *>(r.roi.mem.start_offset));
  }
}

TEST_F(SwkInteger, ResizeWithoutRoiOrScalesPassesNoRoiAndTheSizeRatio)
{
  Begin(LL_SW_RESIZE);
  FillResize(rec, t, RESIZE_NEAREST);
  rec.resize.roi.mem.start_offset = nullptr;
  rec.resize.scales = Tensors::Null();
  rec.general.input.dim.tensor_h = 2;
  rec.general.input.dim.tensor_w = 3;
  rec.general.output.dim.tensor_h = 4;
  rec.general.output.dim.tensor_w = 9;
  ll_sw_forward_resize_integer(&rec);
  ASSERT_EQ(lkl_last_call.calls, 1u);
  EXPECT_FALSE(lkl_last_call.fields.roi.present);
  ExpectParam(lkl_last_call.fields.scales, AI_ARRAY_FORMAT_FLOAT, { 2.0, 3.0 });
}

// --- kinds and cases that run nothing ---

TEST_F(SwkInteger, UnsupportedKindsCasesAndModesCallNoKernel)
{
  const struct {
    const char *name;
    void (*adapter)(void *);
    NodeType kind;
    void (*fill)(IntegerRecord &, Tensors &);
  } rows[] = {
    { "conv case 6", ll_sw_forward_conv_integer, LL_SW_QLINEARCONV,
      [](IntegerRecord &r, Tensors &t) { FillConv(r, t, 6); } },
    { "conv case 255", ll_sw_forward_conv_integer, LL_SW_QLINEARCONV,
      [](IntegerRecord &r, Tensors &t) { FillConv(r, t, 255); } },
    { "eltwise add", ll_sw_forward_eltwise_integer, LL_SW_ARITHADD, [](IntegerRecord &, Tensors &) {} },
    { "eltwise pow", ll_sw_forward_eltwise_integer, LL_SW_POW, [](IntegerRecord &, Tensors &) {} },
    { "eltwise max", ll_sw_forward_eltwise_integer, LL_SW_MAX, [](IntegerRecord &, Tensors &) {} },
    { "min pool", ll_sw_forward_pool_integer, LL_SW_MINPOOL,
      [](IntegerRecord &r, Tensors &t) { FillPool(r, t, false); } },
    { "global min pool", ll_sw_forward_global_pool_integer, LL_SW_MINPOOL, [](IntegerRecord &, Tensors &) {} },
    { "activ sigmoid", ll_sw_forward_activ_integer, LL_SW_SIGMOID,
      [](IntegerRecord &r, Tensors &t) { FillActiv(r, t, true); } },
    { "activ elu", ll_sw_forward_activ_integer, LL_SW_ELU,
      [](IntegerRecord &r, Tensors &t) { FillActiv(r, t, true); } },
    { "resize cubic", ll_sw_forward_resize_integer, LL_SW_RESIZE,
      [](IntegerRecord &r, Tensors &t) { FillResize(r, t, RESIZE_CUBIC); } },
    { "resize mode 4", ll_sw_forward_resize_integer, LL_SW_RESIZE,
      [](IntegerRecord &r, Tensors &t) { FillResize(r, t, 4); } },
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    Begin(row.kind);
    row.fill(rec, t);
    rec.general.output.mem.start_offset[0] = 0x3C;
    row.adapter(&rec);
    EXPECT_EQ(lkl_last_call.calls, 0u);
    EXPECT_EQ(rec.general.output.mem.start_offset[0], 0x3C);
  }
}

}  // namespace
