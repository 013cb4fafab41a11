// Tests of the bit-field helpers over packed word streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ll_zuno_bits.h"

namespace {

TEST(BitsTest, GetBits)
{
  struct Row {
    std::vector<uint32_t> stream;
    unsigned pos;
    int n;
    int expected;
  };
  const Row rows[] = {
      {{0xF0000000u, 0x00000001u}, 28, 8, 31},   // four bits of word 0, then one bit of word 1
      {{0xF0000000u, 0x00000001u}, 28, 5, -1},   // 0b11111 sign-extended
      {{0x80000001u, 0x12345678u}, 0, 32, static_cast<int>(0x80000001u)},
      {{0x80000001u, 0x12345678u}, 32, 32, 0x12345678},
      {{0xF0000000u, 0xFFFFFFFFu}, 28, 4, -1},   // ends at the word boundary: word 0 only
      {{0x70000000u, 0xFFFFFFFFu}, 28, 4, 7},
      {{0x12345678u}, 4, 0, 0},
      {{0x000000A0u}, 4, 4, -6},                 // 0xA as a signed 4-bit number
      {{0x00000050u}, 4, 4, 5},
      {{0xFFFFFFFFu, 0x00000000u}, 1, 32, 0x7FFFFFFF},  // 31 bits of word 0, one of word 1
      {{0x00000000u, 0x00000001u}, 1, 32, static_cast<int>(0x80000000u)},
      {{0x0, 0x0, 0x00000C00u}, 74, 2, -1},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << "pos " << row.pos << " n " << row.n);
    EXPECT_EQ(LL_ZUNO_getbits(row.stream.data(), row.pos, row.n), row.expected);
  }
}

TEST(BitsTest, SetBits)
{
  struct Row {
    std::vector<uint32_t> before;
    unsigned pos;
    unsigned n;
    unsigned value;
    std::vector<uint32_t> after;
  };
  const Row rows[] = {
      {{0u, 0xFFFFFFFFu}, 30, 4, 5, {0x40000000u, 0xFFFFFFFDu}},
      {{0xFFFFFFFFu, 0xFFFFFFFFu}, 28, 4, 0, {0x0FFFFFFFu, 0xFFFFFFFFu}},  // ends at the boundary
      {{0u, 0u}, 0, 32, 0xDEADBEEFu, {0xDEADBEEFu, 0u}},
      {{0u, 0u}, 32, 32, 0xDEADBEEFu, {0u, 0xDEADBEEFu}},
      {{0u, 0u}, 16, 32, 0xDEADBEEFu, {0xBEEF0000u, 0x0000DEADu}},
      {{0x12345678u}, 8, 0, 0xFFu, {0x12345678u}},                        // n = 0 changes nothing
      {{0u}, 4, 4, 0x1Fu, {0x000000F0u}},                                 // cut to n bits
      {{0xFFFFFFFFu}, 4, 4, 0, {0xFFFFFF0Fu}},
      {{0xFFFFFFFFu, 0xFFFFFFFFu}, 31, 2, 0, {0x7FFFFFFFu, 0xFFFFFFFEu}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << "pos " << row.pos << " n " << row.n);
    std::vector<uint32_t> stream = row.before;
    LL_ZUNO_setbits(stream.data(), row.pos, row.n, row.value);
    EXPECT_EQ(stream, row.after);
  }
}

TEST(BitsTest, ReadBackGivesTheSignExtendedLowBits)
{
  for (unsigned n = 1; n <= 32; ++n) {
    for (unsigned pos = 0; pos < 64; pos += 3) {
      SCOPED_TRACE(testing::Message() << "pos " << pos << " n " << n);
      uint32_t stream[4] = {0xA5A5A5A5u, 0x5A5A5A5Au, 0xFFFFFFFFu, 0u};
      const uint32_t value = 0x9E3779B9u;
      LL_ZUNO_setbits(stream, pos, n, value);
      uint32_t mask = 0xFFFFFFFFu >> (32 - n);
      uint32_t low = value & mask;
      uint32_t extended = ((low >> (n - 1)) & 1u) ? (low | ~mask) : low;
      EXPECT_EQ(LL_ZUNO_getbits(stream, pos, static_cast<int>(n)), static_cast<int>(extended));
      // Bits outside the field are unchanged.
      uint32_t original[4] = {0xA5A5A5A5u, 0x5A5A5A5Au, 0xFFFFFFFFu, 0u};
      for (unsigned bit = 0; bit < 128; ++bit) {
        if (bit >= pos && bit < pos + n) {
          continue;
        }
        ASSERT_EQ((stream[bit / 32] >> (bit % 32)) & 1u, (original[bit / 32] >> (bit % 32)) & 1u) << "bit " << bit;
      }
    }
  }
}

TEST(BitsTest, PackedVectorElements)
{
  // Consecutive elements of a vector sit at positions 0, n, 2n, ...
  uint32_t stream[3] = {};
  const int values[] = {-3, 7, 0, -8, 5, 1, -1, 6, -4, 2};
  for (unsigned i = 0; i < 10; ++i) {
    LL_ZUNO_setbits(stream, i * 9, 9, static_cast<unsigned>(values[i]));
  }
  for (unsigned i = 0; i < 10; ++i) {
    EXPECT_EQ(LL_ZUNO_getbits(stream, i * 9, 9), values[i]) << "element " << i;
  }
}

}  // namespace
