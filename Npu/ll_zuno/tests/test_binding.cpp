// Tests of the register-space binding: unit and register ids, whole and relocatable writes, epoch-end waits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::Asm;
using test_recorder::Text;

class BindingTest : public RecorderTest {};

TEST_F(BindingTest, SpaceIsAllocatedOnceAndZeroFilled)
{
  uintptr_t base = get_ec_zuno_base();
  ASSERT_NE(base, 0u);
  initialize_ec_zuno_base();
  EXPECT_EQ(get_ec_zuno_base(), base);
  const uint8_t *bytes = reinterpret_cast<const uint8_t *>(base);
  for (uint32_t i = 0; i < ZUNO_REGSPACE_SIZE; ++i) {
    ASSERT_EQ(bytes[i], 0u) << "byte " << i;
  }
}

TEST_F(BindingTest, IdsOfAddresses)
{
  struct Row {
    uint32_t offset;  // from the base
    uint32_t ip_id;
    uint32_t reg_id;
  };
  const Row rows[] = {
      {0x5000 + 3 * 0x1000 + 8, 8, 2},  // ADDR of stream engine 3
      {0x1E008, 30, 2},
      {0x0, 0, 0},
      {0x10, 0, 4},
      {0x1FFFC, 31, 1023},
      {0x25000, 37, 0},                 // past the space: no range test
      {0xFFFFF000u, 0xFFFF, 0},         // below the base: page index cut to 16 bits
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.offset);
    uintptr_t address = get_ec_zuno_base() + row.offset;
    EXPECT_EQ(ec_trace_get_IP_id(address), row.ip_id);
    EXPECT_EQ(ec_trace_get_REG_id(row.offset), row.reg_id);
  }
}

TEST_F(BindingTest, RegisterIdMasksPageBits)
{
  EXPECT_EQ(ec_trace_get_REG_id(16), 4u);
  EXPECT_EQ(ec_trace_get_REG_id(0x1000), 0u);
  EXPECT_EQ(ec_trace_get_REG_id(0x1FFF), 1023u);
}

TEST_F(BindingTest, IdsUseTheLowWordOfTheAddress)
{
  uintptr_t address = get_ec_zuno_base() + 0x7004;
  uintptr_t high_bits = (uintptr_t)1 << (sizeof(uintptr_t) * 8 - 1);
  EXPECT_EQ(ec_trace_get_IP_id(address | high_bits), 7u);
}

TEST_F(BindingTest, WholeWrite)
{
  ec_trace_write(get_ec_zuno_base() + 0x5000 + 3 * 0x1000 + 8, 0x10);
  ec_trace_write(get_ec_zuno_base() + 0x1E008, 0xFFFFFFFFu);
  EXPECT_EQ(Text(), Asm({"write 8 2 0x10", "write 30 2 0xffffffff"}));
}

TEST_F(BindingTest, WritesDoNotTouchTheSpace)
{
  ec_trace_write(get_ec_zuno_base() + 0x5008, 0x12345678);
  uint32_t word;
  std::memcpy(&word, reinterpret_cast<const void *>(get_ec_zuno_base() + 0x5008), sizeof word);
  EXPECT_EQ(word, 0u);
}

const mpool_reloc_info_t kPools[] = {
    {"pool_a", "_mem_pool_pool_a_net", 0x34080000u, 0, 0},
    {"pool_abs", "_mem_pool_pool_abs_net", 0x90000000u, 1, 0},
    {"pool_twin", "_mem_pool_pool_twin_net", 0x34080000u, 0, 1},
    {nullptr, nullptr, 0, 0, 0},
};

TEST_F(BindingTest, RelocatableWriteByPool)
{
  test_recorder::SetPoolTable(kPools);
  uintptr_t addr_reg = get_ec_zuno_base() + 0x5000 + 3 * 0x1000 + 8;
  ec_trace_write_reloc(addr_reg, 0x34080000u, 0x40);        // the earlier of two rows at one address
  ec_trace_write_reloc(addr_reg, 0x90000000u, 0x100);       // absolute pool: plain sum
  ec_trace_write_reloc(addr_reg, 0x90000000u, 0x70000010u); // the sum wraps at 2^32
  EXPECT_EQ(Text(), Asm({"write 8 2 pool_a(0x40)", "write 8 2 0x90000100", "write 8 2 0x10"}));
}

TEST_F(BindingTest, RelocatableWriteOutsideEveryPoolStops)
{
  test_recorder::SetPoolTable(kPools);
  EXPECT_DEATH(ec_trace_write_reloc(get_ec_zuno_base() + 0x5008, 0x12340000u, 0), "no memory pool at 0x12340000");
}

TEST_F(BindingTest, EpochEndWaitPollsEveryMaskedEngine)
{
  struct Row {
    uint32_t mask;
    std::string expected;
  };
  const Row rows[] = {
      {0, ""},
      {258, Asm({"poll 6 0 [31] 0x0 100", "poll 13 0 [31] 0x0 100"})},
      {1, Asm({"poll 5 0 [31] 0x0 100"})},
      {1u << 10, Asm({"poll 15 0 [31] 0x0 100"})},  // past the engines: no complaint
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.mask);
    test_recorder::Reset();
    ec_trace_wait_epoch_end(row.mask);
    EXPECT_EQ(Text(), row.expected);
  }
}

TEST_F(BindingTest, EpochEndWaitOverAllBitsIsAscending)
{
  ec_trace_wait_epoch_end(0xFFFFFFFFu);
  std::vector<std::string> lines = test_recorder::Lines();
  ASSERT_EQ(lines.size(), 32u);
  for (uint32_t i = 0; i < 32; ++i) {
    EXPECT_EQ(lines[i], "poll " + std::to_string(5 + i) + " 0 [31] 0x0 100");
  }
}

}  // namespace
