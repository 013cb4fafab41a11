// Tests of the decompression unit driver: formats, codebook packing per codeword size and count, page turns.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ll_zuno.h"
#include "test_recorder.h"

namespace {

using test_recorder::AssertionReport;
using test_recorder::Asm;
using test_recorder::Lines;
using test_recorder::Text;

class DecunTest : public RecorderTest {};

std::string Write(uint32_t ip, uint32_t reg, uint32_t value)
{
  char text[64];
  std::snprintf(text, sizeof text, "write %u %u 0x%x", ip, reg, value);
  return text;
}

// Write of word w of codebook slot s of DECUN instance 0.
std::string Slot(uint32_t s, uint32_t w, uint32_t value)
{
  return Write(19, 512 + 2 * s + w, value);
}

// Bytes 1, 2, 3, ... (wrapping), exactly size of them so that reading past the end is caught.
std::vector<uint8_t> Codebook(size_t size)
{
  std::vector<uint8_t> bytes(size);
  for (size_t k = 0; k < size; ++k) {
    bytes[k] = static_cast<uint8_t>(k + 1);
  }
  return bytes;
}

LL_Decun_Conf Record(uint8_t format_bytes, uint8_t codewords, const std::vector<uint8_t> &codebook)
{
  LL_Decun_Conf conf{};
  conf.nCodevectors = 256;
  conf.nCodewords = codewords;
  conf.nFormatBytes = format_bytes;
  conf.codebook = codebook.empty() ? nullptr : codebook.data();
  conf.codebookLen = static_cast<uint32_t>(codebook.size());
  return conf;
}

// The recorded codebook writes: everything between the first CTRL write and BFORMAT.
std::vector<std::string> CodebookWrites()
{
  const std::vector<std::string> lines = Lines();
  EXPECT_GE(lines.size(), 6u);
  return std::vector<std::string>(lines.begin() + 2, lines.end() - 3);
}

TEST(DecunRegisterMapTest, BformatConstantsFollowTheFieldLayout)
{
  EXPECT_EQ(ZUNO_DECUN_BFMT_CV64CW3LAST1, 0x123Fu);
  EXPECT_EQ(ZUNO_DECUN_BFMT_CV1CW1LAST0, 0x0000u);
  EXPECT_EQ(ZUNO_DECUN_BFMT_CV256CW8LAST7, 0x77FFu);
  EXPECT_EQ(ZUNO_DECUN_BFMT_CV2CW5LAST4,
            ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_CVS, 1) | ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_CWS, 4) |
                ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_OSAM, 4));
}

TEST_F(DecunTest, WithoutCodebookOnlyTheFormatsAreWritten)
{
  LL_Decun_Conf conf{};
  conf.nCodevectors = 64;
  conf.nCodewords = 3;
  conf.nLastCodewords = 1;
  conf.nFormatBytes = 1;
  conf.nBatches = 0x405;  // 10 bits: 5
  conf.dualInput = 1;
  conf.cbOverwrite = 1;
  ASSERT_EQ(LL_Decun_Init(1, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({
                        "writefield 0 4 [15] 0x1",
                        "write 20 0 0xc",     // CTRL: DUALIN, OW, page 0
                        "write 20 2 0x123f",  // BFORMAT
                        "write 20 3 0x1",     // DFORMAT: 8-bit codewords
                        "write 20 4 0x5",     // FFORMAT
                    }));
}

TEST_F(DecunTest, SixteenBitCodewordsClearCv8)
{
  LL_Decun_Conf conf{};
  conf.nCodevectors = 1;
  conf.nCodewords = 8;
  conf.nLastCodewords = 7;
  conf.nFormatBytes = 2;
  ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
  EXPECT_EQ(Text(), Asm({"writefield 0 4 [14] 0x1", "write 19 0 0x0", "write 19 2 0x7700", "write 19 3 0x0",
                         "write 19 4 0x0"}));
}

TEST_F(DecunTest, PackingPerCodewordSizeAndCount)
{
  struct Row {
    uint8_t format_bytes;
    uint8_t codewords;
    uint32_t len;  // two whole groups
    std::vector<std::string> writes;
  };
  const Row rows[] = {
      {1, 1, 2, {Slot(0, 0, 0x01), Slot(1, 0, 0x02)}},
      {1, 2, 4, {Slot(0, 0, 0x0201), Slot(1, 0, 0x0403)}},
      {1, 3, 6, {Slot(0, 0, 0x030201), Slot(1, 0, 0x060504)}},
      {1, 4, 8, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x08070605)}},
      {1, 5, 10, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x05), Slot(2, 0, 0x09080706), Slot(3, 0, 0x0a)}},
      {1, 6, 12, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x0605), Slot(2, 0, 0x0a090807), Slot(3, 0, 0x0c0b)}},
      {1, 7, 14, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x070605), Slot(2, 0, 0x0b0a0908), Slot(3, 0, 0x0e0d0c)}},
      {1, 8, 8, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x08070605)}},
      {2, 1, 4, {Slot(0, 0, 0x0201), Slot(1, 0, 0x0403)}},
      {2, 2, 8, {Slot(0, 0, 0x04030201), Slot(1, 0, 0x08070605)}},
      {2, 3, 12, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x0605), Slot(1, 0, 0x0a090807), Slot(1, 1, 0x0c0b)}},
      {2, 4, 16, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x08070605), Slot(1, 0, 0x0c0b0a09), Slot(1, 1, 0x100f0e0d)}},
      {2, 5, 20, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x08070605), Slot(1, 0, 0x0a09),
                  Slot(2, 0, 0x0e0d0c0b), Slot(2, 1, 0x1211100f), Slot(3, 0, 0x1413)}},
      {2, 6, 24, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x08070605), Slot(1, 0, 0x0c0b0a09),
                  Slot(2, 0, 0x100f0e0d), Slot(2, 1, 0x14131211), Slot(3, 0, 0x18171615)}},
      {2, 7, 28, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x08070605), Slot(1, 0, 0x0c0b0a09), Slot(1, 1, 0x0e0d),
                  Slot(2, 0, 0x1211100f), Slot(2, 1, 0x16151413), Slot(3, 0, 0x1a191817), Slot(3, 1, 0x1c1b)}},
      {2, 8, 16, {Slot(0, 0, 0x04030201), Slot(0, 1, 0x08070605), Slot(1, 0, 0x0c0b0a09), Slot(1, 1, 0x100f0e0d)}},
  };
  for (const Row &row : rows) {
    // A trailing partial group is neither read nor written.
    const uint32_t group = row.len / 2;
    for (uint32_t extra : {0u, group - 1}) {
      SCOPED_TRACE(std::to_string(row.format_bytes) + " bytes, " + std::to_string(row.codewords) + " codewords, " +
                   std::to_string(extra) + " extra bytes");
      test_recorder::Reset();
      const std::vector<uint8_t> codebook = Codebook(row.len + extra);
      const LL_Decun_Conf conf = Record(row.format_bytes, row.codewords, codebook);
      ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
      EXPECT_EQ(CodebookWrites(), row.writes);
    }
  }
}

TEST_F(DecunTest, PageTurnsAfterEvery256Slots)
{
  const std::vector<uint8_t> codebook = Codebook(300);
  const LL_Decun_Conf conf = Record(1, 1, codebook);
  ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
  std::vector<std::string> expected;
  for (uint32_t s = 0; s < 256; ++s) {
    expected.push_back(Slot(s, 0, codebook[s]));
  }
  expected.push_back("write 19 0 0x10");  // CTRL: page 1
  for (uint32_t s = 0; s < 44; ++s) {
    expected.push_back(Slot(s, 0, codebook[256 + s]));
  }
  EXPECT_EQ(CodebookWrites(), expected);
}

TEST_F(DecunTest, TwoSlotCodevectorsAreNeverSplitAcrossPages)
{
  const std::vector<uint8_t> codebook = Codebook(5 * 130);
  const LL_Decun_Conf conf = Record(1, 5, codebook);
  ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
  const std::vector<std::string> writes = CodebookWrites();
  ASSERT_EQ(writes.size(), 2u * 130u + 1u);
  EXPECT_EQ(writes[255], Slot(255, 0, codebook[5 * 127 + 4]));  // last byte of codevector 127
  EXPECT_EQ(writes[256], "write 19 0 0x10");
  EXPECT_EQ(writes[257], Slot(0, 0, 0x84838281));  // codevector 128 starts page 1
  EXPECT_EQ(writes[258], Slot(1, 0, 0x85));
}

TEST_F(DecunTest, FourPagesHoldTheLargestCodebook)
{
  const std::vector<uint8_t> codebook = Codebook(4 * 256);
  LL_Decun_Conf conf = Record(1, 1, codebook);
  conf.cbOverwrite = 1;
  ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
  std::vector<std::string> turns;
  for (const std::string &line : CodebookWrites()) {
    if (line.compare(0, 11, "write 19 0 ") == 0) {
      turns.push_back(line);
    }
  }
  EXPECT_EQ(turns, (std::vector<std::string>{"write 19 0 0x18", "write 19 0 0x28", "write 19 0 0x38",
                                             "write 19 0 0x8"}));
}

TEST_F(DecunTest, PageAddressWrapsAfterFourTurnsAndKeepsTheOtherBits)
{
  unsigned ctrl = 0x4000000F;  // EN, CLR, DUALIN, OW and CONFCLR stay as they are
  std::vector<unsigned> values;
  for (int turn = 0; turn < 4; ++turn) {
    ctrl = decun_inc_page_addr(1, ctrl);
    values.push_back(ctrl);
  }
  EXPECT_EQ(values, (std::vector<unsigned>{0x4000001F, 0x4000002F, 0x4000003F, 0x4000000F}));
  EXPECT_EQ(Text(), Asm({"write 20 0 0x4000001f", "write 20 0 0x4000002f", "write 20 0 0x4000003f",
                         "write 20 0 0x4000000f"}));
}

TEST_F(DecunTest, LoaderStartsOnThePageOfItsCtrl)
{
  const std::vector<uint8_t> codebook = Codebook(4);
  const LL_Decun_Conf conf = Record(2, 1, codebook);
  LL_Decun_CB_2byte(0, &conf, 0x20);
  EXPECT_EQ(Text(), Asm({Slot(0, 0, 0x0201), Slot(1, 0, 0x0403)}));
  test_recorder::Reset();
  LL_Decun_CB_1byte(0, &conf, 0x20);
  EXPECT_EQ(Text(), Asm({Slot(0, 0, 0x01), Slot(1, 0, 0x02), Slot(2, 0, 0x03), Slot(3, 0, 0x04)}));
}

TEST_F(DecunTest, CodewordCountOutsideOneToEightLoadsNothing)
{
  const std::vector<uint8_t> codebook = Codebook(16);
  for (uint8_t codewords : {uint8_t{0}, uint8_t{9}}) {
    SCOPED_TRACE(codewords);
    test_recorder::Reset();
    LL_Decun_Conf conf = Record(1, codewords, codebook);
    conf.nCodevectors = 1;
    ASSERT_EQ(LL_Decun_Init(0, &conf), LL_ZUNO_OK);
    EXPECT_EQ(Text(), Asm({"writefield 0 4 [14] 0x1", "write 19 0 0x0",
                           Write(19, 2, (codewords == 0 ? 7u : 0u) << 8), "write 19 3 0x1", "write 19 4 0x0"}));
  }
}

TEST_F(DecunTest, CodebooksThatDoNotFitAreRejectedAfterTheClockGate)
{
  const std::vector<uint8_t> too_long = Codebook(4 * 256 + 1);
  struct Row {
    const char *name;
    LL_Decun_Conf conf;
  };
  LL_Decun_Conf missing = Record(2, 4, {});
  missing.codebookLen = 8;
  const Row rows[] = {
      {"more than four pages", Record(1, 1, too_long)},
      {"missing codebook", missing},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    test_recorder::Reset();
    EXPECT_EQ(LL_Decun_Init(0, &row.conf), LL_ZUNO_INVALID_PARAM);
    EXPECT_EQ(Text(), Asm({"writefield 0 4 [14] 0x1"}));
  }
  // Less than one group needs no codebook at all.
  test_recorder::Reset();
  LL_Decun_Conf partial = Record(2, 4, {});
  partial.codebookLen = 7;
  EXPECT_EQ(LL_Decun_Init(0, &partial), LL_ZUNO_OK);
}

TEST_F(DecunTest, LoaderRefusesToWrapOntoTheFirstPage)
{
  const std::vector<uint8_t> codebook = Codebook(257);
  const LL_Decun_Conf conf = Record(1, 1, codebook);
  EXPECT_DEATH(LL_Decun_CB_1byte(0, &conf, 0x30),
               AssertionReport("codebook_slots(conf, packing) <= pages_left * ZUNO_DECUN_CB_SLOTS"));
}

TEST_F(DecunTest, OddCodewordSizeFailsAfterLoadingAndBformat)
{
  const std::vector<uint8_t> codebook = Codebook(4);
  LL_Decun_Conf conf = Record(3, 1, codebook);
  EXPECT_DEATH(LL_Decun_Init(0, &conf), AssertionReport("(conf->nFormatBytes == 1) || (conf->nFormatBytes == 2)"));
}

TEST_F(DecunTest, InstanceOutOfRangeRecordsNothing)
{
  const LL_Decun_Conf conf = Record(1, 1, {});
  EXPECT_EQ(LL_Decun_Init(2, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(LL_Decun_Init(-1, &conf), LL_ZUNO_INVALID_ID);
  EXPECT_EQ(Text(), "");
}

}  // namespace
