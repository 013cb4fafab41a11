// Helpers shared by the software kernel tests: distinct tensor descriptors and checks of recorded kernel calls.
#pragma once

#include "layer_kernel_call_record.h"
#include "swk_descriptors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

namespace swk_test {

using Dims = std::array<uint32_t, 4>;

// Hands out tensor descriptors whose every dimension, stride, size and address differs from every other's,
// each pointing at its own zeroed, aligned buffer.
class Tensors {
 public:
  static constexpr size_t kBufferBytes = 512;

  Tensor_info Make(bool is_signed = false)
  {
    const uint32_t s = ++seed_;
    Tensor_info t{};
    t.dim.tensor_h = s + 1;
    t.dim.tensor_w = s + 2;
    t.dim.tensor_c = s + 3;
    t.dim.tensor_b = s + 4;
    t.dim.num_elem = s + 5;
    t.stride.h = 10 * s + 1;
    t.stride.w = 10 * s + 2;
    t.stride.c = 10 * s + 3;
    t.stride.b = 10 * s + 4;
    buffers_.emplace_back();
    t.mem.start_offset = buffers_.back().bytes;
    t.format.is_signed = is_signed;
    return t;
  }

  // A descriptor with no data: a null address and no elements.
  static Tensor_info Null()
  {
    return Tensor_info{};
  }

 private:
  struct alignas(16) Buffer {
    uint8_t bytes[kBufferBytes] = {};
  };
  uint32_t seed_ = 0;
  std::deque<Buffer> buffers_;  // growing a deque at its end keeps earlier addresses valid
};

inline Dims CommonShape(const Tensor_info &d)
{
  return { d.dim.tensor_b, d.dim.tensor_c, d.dim.tensor_w, d.dim.tensor_h };
}

inline Dims CommonStride(const Tensor_info &d)
{
  return { d.stride.b, d.stride.c, d.stride.w, d.stride.h };
}

inline void ExpectDims(const lkl_shape_record &r, uint8_t storage_class, const Dims &expected)
{
  EXPECT_EQ(r.storage_class, storage_class);
  EXPECT_EQ(r.size, 4u);
  EXPECT_TRUE(r.has_data);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(r.data[i], expected[i]) << "dimension " << i;
  }
}

// A tensor built from its descriptor: info, array, and the given shape and stride (common order by default).
inline void ExpectTensor(const lkl_tensor_record &r, const Tensor_info &d, ai_array_format format, const Dims &shape,
                         const Dims &stride)
{
  ASSERT_TRUE(r.present);
  EXPECT_EQ(r.id, 0u);
  EXPECT_EQ(r.flags, 0x04u);
  EXPECT_EQ(r.data_arrays, 1u);
  ExpectDims(r.shape, AI_STORAGE_CLASS_SHAPE, shape);
  ExpectDims(r.stride, AI_STORAGE_CLASS_STRIDE, stride);
  ASSERT_TRUE(r.has_array);
  EXPECT_EQ(r.array.format, format);
  EXPECT_EQ(r.array.size, d.dim.num_elem);
  EXPECT_EQ(r.array.data, static_cast<const void *>(d.mem.start_offset));
  EXPECT_EQ(r.array.data_start, static_cast<const void *>(d.mem.start_offset));
}

inline void ExpectTensor(const lkl_tensor_record &r, const Tensor_info &d, ai_array_format format)
{
  ExpectTensor(r, d, format, CommonShape(d), CommonStride(d));
}

inline void ExpectNoQuant(const lkl_tensor_record &r)
{
  EXPECT_FALSE(r.quant.present);
}

inline void ExpectQuant(const lkl_tensor_record &r, const Tensor_info &scale, const Tensor_info &zeropoint,
                        uint16_t flags)
{
  ASSERT_TRUE(r.quant.present);
  EXPECT_EQ(r.quant.flags, flags);
  EXPECT_EQ(r.quant.size, static_cast<uint16_t>(scale.dim.num_elem));
  ASSERT_TRUE(r.quant.has_info);
  EXPECT_EQ(static_cast<const void *>(r.quant.scale), static_cast<const void *>(scale.mem.start_offset));
  EXPECT_EQ(r.quant.zeropoint, static_cast<const void *>(zeropoint.mem.start_offset));
}

// Common part of the layer record: one call of the named kernel, which is also the layer's forward function.
inline void ExpectLayer(const char *kernel, ai_layer_forward_func fn, uint32_t type, uint32_t id)
{
  const lkl_call_record &c = lkl_last_call;
  EXPECT_EQ(c.calls, 1u);
  ASSERT_NE(c.kernel, nullptr);
  EXPECT_STREQ(c.kernel, kernel);
  EXPECT_EQ(c.kernel_fn, fn);
  EXPECT_EQ(c.forward, fn);
  EXPECT_EQ(c.type, type);
  EXPECT_EQ(c.id, id);
  EXPECT_EQ(c.flags, 0u);
  EXPECT_FALSE(c.has_klass);
  EXPECT_FALSE(c.has_network);
  EXPECT_FALSE(c.has_next);
  EXPECT_TRUE(c.has_chain);
  EXPECT_EQ(c.chain_size, 4u);
}

// List sizes in chain order (inputs, outputs, parameters, scratch); every list has flags 0 and no info, and an
// empty list still points at one null slot.
inline void ExpectListSizes(const std::array<uint32_t, 4> &sizes)
{
  for (size_t i = 0; i < 4; ++i) {
    const lkl_list_record &l = lkl_last_call.lists[i];
    EXPECT_EQ(l.size, sizes[i]) << "list " << i;
    EXPECT_EQ(l.flags, 0u) << "list " << i;
    EXPECT_FALSE(l.has_info) << "list " << i;
    EXPECT_TRUE(l.has_slots) << "list " << i;
  }
}

inline const lkl_tensor_record &Slot(int list, int index)
{
  return lkl_last_call.lists[list].slots[index];
}

inline uint32_t FloatBits(float f)
{
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

inline float BitsFloat(uint32_t bits)
{
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline void ExpectParam(const lkl_param_record &p, ai_array_format format, const std::vector<double> &values)
{
  ASSERT_TRUE(p.present);
  EXPECT_EQ(p.array.format, format);
  EXPECT_EQ(p.array.size, values.size());
  EXPECT_EQ(p.array.data, p.array.data_start);
  ASSERT_EQ(p.copied, values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(p.values[i], values[i]) << "element " << i;
  }
}

}  // namespace swk_test
