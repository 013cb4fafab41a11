// Tests of the batch normalisation that the float adapter computes itself, bit for bit.
#include "swk_float.h"
#include "swk_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace swk_test;

class SwkBatchNorm : public ::testing::Test {
 protected:
  void SetUp() override
  {
    lkl_reset();
    std::memset(&rec, 0, sizeof rec);
  }
  void TearDown() override { lkl_reset(); }

  void Begin(NodeType kind)
  {
    std::memset(&rec, 0, sizeof rec);
    rec.general.type = kind;
    rec.general.input = t.Make();
    rec.general.output = t.Make();
  }

  union {
    General general;
    Bn_sw_info bn;
  } rec;
  Tensors t;
};

void StoreFloats(const Tensor_info &t, const std::vector<float> &values)
{
  std::memcpy(t.mem.start_offset, values.data(), values.size() * sizeof(float));
}

// Reference batch normalisation of one element: one rounding for the product and the sum.
float ReferenceBn(float x, float bias, float scale, float mean, float var)
{
  return std::fma(scale, (x - mean) / std::sqrt(var + BitsFloat(0x3727C5ACu)), bias);
}

TEST_F(SwkBatchNorm, BatchNormalisationAppliesChannelParametersToChannelInnermostData)
{
  Begin(LL_SW_BATCHNORM);
  Tensor_info &in = rec.general.input;
  in.dim.tensor_b = 1;
  in.dim.tensor_h = 2;
  in.dim.tensor_w = 2;
  in.dim.tensor_c = 3;
  rec.bn.bias = t.Make();
  rec.bn.scale = t.Make();
  rec.bn.mean = t.Make();
  rec.bn.var = t.Make();
  StoreFloats(rec.bn.bias, { 0.5f, -1.0f, 2.0f });
  StoreFloats(rec.bn.scale, { 2.0f, 0.5f, -1.5f });
  StoreFloats(rec.bn.mean, { 1.0f, -2.0f, 0.25f });
  StoreFloats(rec.bn.var, { 4.0f, 0.0f, 9.0f });
  std::vector<float> x(12);
  for (size_t i = 0; i < x.size(); ++i) {
    x[i] = static_cast<float>(i) * 0.75f - 3.0f;
  }
  StoreFloats(in, x);
  // The output's own dimensions and strides are ignored: it receives exactly n elements.
  rec.general.output.dim = Tensor_dim_info{ 99, 99, 99, 99, 99 };
  float *y = reinterpret_cast<float *>(rec.general.output.mem.start_offset);
  y[12] = 42.0f;
  const float *bias = reinterpret_cast<const float *>(rec.bn.bias.mem.start_offset);
  const float *scale = reinterpret_cast<const float *>(rec.bn.scale.mem.start_offset);
  const float *mean = reinterpret_cast<const float *>(rec.bn.mean.mem.start_offset);
  const float *var = reinterpret_cast<const float *>(rec.bn.var.mem.start_offset);

  ll_sw_forward_bn(&rec);

  EXPECT_EQ(lkl_last_call.calls, 0u) << "batch normalisation runs inline";
  for (size_t i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const size_t j = i % 3;
    EXPECT_EQ(FloatBits(y[i]), FloatBits(ReferenceBn(x[i], bias[j], scale[j], mean[j], var[j])));
  }
  EXPECT_EQ(y[12], 42.0f);
  // Channel 1 has variance 0, so its divisor is exactly the square root of the epsilon.
  EXPECT_EQ(FloatBits(y[1]), FloatBits(std::fma(0.5f, (x[1] + 2.0f) / std::sqrt(1e-5f), -1.0f)));
}

TEST_F(SwkBatchNorm, BatchNormalisationFusesTheMultiplyAdd)
{
  // Values where a separately rounded product and sum differ from the fused result.
  Begin(LL_SW_BATCHNORM);
  rec.general.input.dim = Tensor_dim_info{ 1, 1, 1, 1, 1 };
  rec.bn.bias = t.Make();
  rec.bn.scale = t.Make();
  rec.bn.mean = t.Make();
  rec.bn.var = t.Make();
  const float x = 1.0f + 0x1p-12f;
  const float scale = 1.0f + 0x1p-12f;
  const float bias = -1.0f;
  StoreFloats(rec.bn.bias, { bias });
  StoreFloats(rec.bn.scale, { scale });
  StoreFloats(rec.bn.mean, { 0.0f });
  StoreFloats(rec.bn.var, { 1.0f - 1e-5f });
  StoreFloats(rec.general.input, { x });
  const float divisor = std::sqrt(1.0f - 1e-5f + 1e-5f);
  const float normalised = x / divisor;
  volatile float product = scale * normalised;
  const float unfused = product + bias;
  const float fused = std::fma(scale, normalised, bias);
  ASSERT_NE(FloatBits(fused), FloatBits(unfused)) << "the chosen values must tell the two apart";

  ll_sw_forward_bn(&rec);

  const float *y = reinterpret_cast<const float *>(rec.general.output.mem.start_offset);
  EXPECT_EQ(FloatBits(y[0]), FloatBits(fused));
}

TEST_F(SwkBatchNorm, BatchNormalisationWithoutElementsWritesNothing)
{
  Begin(LL_SW_BATCHNORM);
  rec.general.input.dim = Tensor_dim_info{ 4, 4, 0, 1, 0 };
  rec.bn.bias = t.Make();
  rec.bn.scale = t.Make();
  rec.bn.mean = t.Make();
  rec.bn.var = t.Make();
  rec.general.output.mem.start_offset[0] = 0x77;
  ll_sw_forward_bn(&rec);
  EXPECT_EQ(rec.general.output.mem.start_offset[0], 0x77);
}

}  // namespace
