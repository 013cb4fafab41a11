// Tests of the encryption set-up: identifier registers, bus interface keys and the encrypted copy's engine records.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ll_zuno.h"
#include "ll_zuno_crypt.h"
#include "test_recorder.h"

namespace {

using test_recorder::Asm;
using test_recorder::Text;

class CryptTest : public RecorderTest {};

// enable 1, rounds 1 (9 rounds), key 2, increment every 4 frames; identifier bits 42:32 all set.
LL_ZUNO_EncryptionConf Example()
{
  LL_ZUNO_EncryptionConf conf{};
  conf.enable = 1;
  conf.encr_id = 0xFFFFFFFFDEADBEEFull;
  conf.rounds = 1;
  conf.key_sel = 2;
  conf.inc = 4;
  return conf;
}

TEST_F(CryptTest, StreamEngineIdentifierAndSettings)
{
  const LL_ZUNO_EncryptionConf conf = Example();
  EXPECT_EQ(LL_Streng_EncryptionInit(3, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 8 16 0xdeadbeef", "write 8 17 0x4b7ff"}));
}

TEST_F(CryptTest, StreamEngineFieldsAreCutToTheirWidths)
{
  LL_ZUNO_EncryptionConf conf{};
  conf.enable = 2;    // bit 0 only
  conf.rounds = 3;    // bit 0 only
  conf.key_sel = 5;   // 2 bits
  conf.inc = 0x10007; // 16 bits
  conf.encr_id = 0x0000080012345678ull;  // bit 43 is dropped
  EXPECT_EQ(LL_Streng_EncryptionInit(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 5 16 0x12345678", "write 5 17 0x76000"}));
}

TEST_F(CryptTest, WeightEncryptionEnablesIdentifierZeroWithKeyZero)
{
  EXPECT_EQ(LL_Streng_WeightEncryptionInit(9), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 14 16 0x0", "write 14 17 0x1000"}));
}

TEST_F(CryptTest, StreamEngineOutOfRangeRecordsNothing)
{
  const LL_ZUNO_EncryptionConf conf = Example();
  EXPECT_EQ(LL_Streng_EncryptionInit(10, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Streng_EncryptionInit(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Streng_WeightEncryptionInit(10), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(CryptTest, EpochControllerIgnoresTheIncrement)
{
  const LL_ZUNO_EncryptionConf conf = Example();
  EXPECT_EQ(LL_EpochCtrl_EncryptionInit(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"write 30 4 0xdeadbeef", "write 30 5 0xb7ff"}));
  test_recorder::Reset();
  EXPECT_EQ(LL_EpochCtrl_EncryptionInit(1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_EpochCtrl_EncryptionInit(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(CryptTest, KeysAreWrittenLeastSignificantWordFirst)
{
  const uint64_t lo = 0x0123456789ABCDEFull;
  const uint64_t hi = 0xFEDCBA9876543210ull;
  const struct {
    int busif;
    int key;
    std::string text;
  } rows[] = {
      {0, 0, Asm({"write 2 5 0x89abcdef", "write 2 6 0x1234567", "write 2 7 0x76543210", "write 2 8 0xfedcba98"})},
      {1, 1, Asm({"write 3 9 0x89abcdef", "write 3 10 0x1234567", "write 3 11 0x76543210", "write 3 12 0xfedcba98"})},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::to_string(row.busif) + "/" + std::to_string(row.key));
    test_recorder::Reset();
    EXPECT_EQ(LL_Busif_SetKeys(row.busif, row.key, lo, hi), LL_ZUNO_OK);
    EXPECT_EQ(Text(), row.text);
  }
}

TEST_F(CryptTest, KeysOfUnknownBusInterfacesOrSlotsAreRejected)
{
  const int rows[][2] = {{2, 0}, {-1, 0}, {0, 2}, {1, -1}};
  for (const auto &row : rows) {
    EXPECT_EQ(LL_Busif_SetKeys(row[0], row[1], 1, 2), LL_ZUNO_INVALID_ID);
  }
  EXPECT_EQ(Text(), "");
}

TEST(CryptCopyTest, EngineRecordsOfACopy)
{
  LL_DmaCypherConf conf{};
  conf.src_addr = 0x1000;
  conf.dst_addr = 0x2003;
  conf.len = 100;
  conf.cache = 2;
  LL_Streng_TensorConf source{};
  LL_Streng_TensorConf destination{};
  ASSERT_EQ(LL_DmaCypher_Records(&conf, &source, &destination), LL_ZUNO_OK);

  EXPECT_EQ(source.raw, 1u);
  EXPECT_EQ(source.dir, ZUNO_STRENGDIR_BUS2STR);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(source.addr_base), 0x1000u);
  EXPECT_EQ(source.offset_start, 0u);
  EXPECT_EQ(source.offset_end, 100u);
  EXPECT_EQ(source.offset_limit, 112u);
  EXPECT_EQ(source.frame_limit, 1u);
  EXPECT_EQ(source.bits_in, 8u);
  EXPECT_EQ(source.bits_out, 8u);
  EXPECT_EQ(source.cacheable, 0u);
  EXPECT_EQ(source.alloc, 0u);
  EXPECT_EQ(source.encr_en, 0u);
  EXPECT_EQ(source.key_sel, 0u);

  EXPECT_EQ(destination.raw, 1u);
  EXPECT_EQ(destination.dir, ZUNO_STRENGDIR_STR2BUS);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(destination.addr_base), 0x2003u);
  EXPECT_EQ(destination.offset_end, 100u);
  EXPECT_EQ(destination.offset_limit, 104u);  // (0x2003 + 100) mod 8 = 7
  EXPECT_EQ(destination.frame_limit, 1u);
  EXPECT_EQ(destination.cacheable, 1u);
  EXPECT_EQ(destination.alloc, 1u);
  EXPECT_EQ(destination.encr_en, 0u);
}

TEST(CryptCopyTest, EncryptChoosesOneEngine)
{
  const struct {
    uint32_t encrypt;
    int result;
    unsigned source, destination;
  } rows[] = {
      {0, LL_ZUNO_OK, 0, 0},
      {1, LL_ZUNO_OK, 1, 0},
      {2, LL_ZUNO_OK, 0, 1},
      {3, LL_ZUNO_OK, 1, 0},  // the source engine only
      {4, LL_ZUNO_INVALID_ID, 0, 0},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.encrypt);
    LL_DmaCypherConf conf{};
    conf.len = 16;
    conf.encrypt = row.encrypt;
    LL_Streng_TensorConf source{};
    LL_Streng_TensorConf destination{};
    EXPECT_EQ(LL_DmaCypher_Records(&conf, &source, &destination), row.result);
    if (row.result == LL_ZUNO_OK) {
      EXPECT_EQ(source.encr_en, row.source);
      EXPECT_EQ(destination.encr_en, row.destination);
    }
  }
}

TEST_F(CryptTest, CachedCopiesAbove256KiBAreRejectedBeforeAnything)
{
  LL_DmaCypherConf conf{};
  conf.len = 0x40001;
  conf.cache = 1;
  EXPECT_EQ(LL_DmaCypherInit(&conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

TEST_F(CryptTest, AcceptedCopiesStartWithTheAcceleratorInitialisation)
{
  // The initialisation reads registers first, which the trace platform cannot record.
  LL_DmaCypherConf uncached{};
  uncached.len = 0x80000;
  EXPECT_DEATH(LL_DmaCypherInit(&uncached), "ec_trace_unsupported");
  LL_DmaCypherConf cached{};
  cached.len = 0x40000;
  cached.cache = 3;
  EXPECT_DEATH(LL_DmaCypherInit(&cached), "ec_trace_unsupported");
}

}  // namespace
