/* Decompression unit driver: formats, codebook packing into the paged codebook window, page turns. */
#include "ll_zuno_decun.h"

#include <stddef.h>

#include "ll_zuno_access.h"

/* Widest codevector: codewords per codevector. */
#define DECUN_MAX_CODEWORDS 8u
/* A codevector of eight codewords is loaded as two groups of four. */
#define DECUN_SPLIT_GROUP_CODEWORDS 4u

/* How a codebook is cut into loader groups and packed into slots. Each group is written from the
   start of a slot, as 32-bit little-endian words; 8-bit codebooks use only word 0 of each slot. */
typedef struct {
  uint32_t group_bytes; /* codebook bytes per group; 0 loads nothing */
  uint32_t slot_bytes;  /* usable bytes per slot */
} DecunPacking;

static uintptr_t decun_reg(int i, uint32_t offset)
{
  return ZUNO_DECUN_BASE(i) + offset;
}

static DecunPacking decun_packing(const LL_Decun_Conf *conf, uint32_t codeword_bytes)
{
  DecunPacking packing = {0u, codeword_bytes * (uint32_t)sizeof(uint32_t)};
  uint32_t codewords = conf->nCodewords;
  if (codewords == 0u || codewords > DECUN_MAX_CODEWORDS) {
    return packing;
  }
  if (codewords == DECUN_MAX_CODEWORDS) {
    codewords = DECUN_SPLIT_GROUP_CODEWORDS;
  }
  packing.group_bytes = codewords * codeword_bytes;
  return packing;
}

static uint32_t slots_per_group(DecunPacking packing)
{
  return (packing.group_bytes + packing.slot_bytes - 1u) / packing.slot_bytes;
}

/* Slots that the whole groups of the codebook occupy. */
static uint32_t codebook_slots(const LL_Decun_Conf *conf, DecunPacking packing)
{
  if (packing.group_bytes == 0u) {
    return 0u;
  }
  return (conf->codebookLen / packing.group_bytes) * slots_per_group(packing);
}

/* Little-endian 32-bit word from up to four codebook bytes. */
static uint32_t codebook_word(const uint8_t *bytes, uint32_t count)
{
  uint32_t word = 0u;
  for (uint32_t k = 0; k < count; ++k) {
    word |= (uint32_t)bytes[k] << (8u * k);
  }
  return word;
}

static void load_codebook(int i, const LL_Decun_Conf *conf, unsigned ctrl, uint32_t codeword_bytes)
{
  const DecunPacking packing = decun_packing(conf, codeword_bytes);
  if (packing.group_bytes == 0u) {
    return;
  }
  const uint32_t words_per_slot = packing.slot_bytes / (uint32_t)sizeof(uint32_t);
  const uint32_t pages_left = ZUNO_DECUN_CB_PAGES - ZUNO_GET_FIELD(ZUNO_DECUN_CTRL_PAGEADDR, ctrl);
  /* More slots than the remaining pages hold would wrap onto page 0 and overwrite the codebook. */
  LL_ZUNO_ASSERT(codebook_slots(conf, packing) <= pages_left * ZUNO_DECUN_CB_SLOTS);

  const uint32_t groups = conf->codebookLen / packing.group_bytes;
  LL_ZUNO_ASSERT(groups == 0u || conf->codebook != NULL);
  const uint32_t slots = slots_per_group(packing);
  uint32_t slot = 0u;
  for (uint32_t g = 0; g < groups; ++g) {
    const uint8_t *group = conf->codebook + g * packing.group_bytes;
    for (uint32_t pos = 0, w = 0; pos < packing.group_bytes; pos += (uint32_t)sizeof(uint32_t), ++w) {
      const uint32_t left = packing.group_bytes - pos;
      const uint32_t count = (left < sizeof(uint32_t)) ? left : (uint32_t)sizeof(uint32_t);
      const uint32_t slot_offset = ZUNO_DECUN_CB_SLOT_SIZE * (slot + w / words_per_slot);
      const uint32_t word_offset = (w % words_per_slot == 0u) ? ZUNO_DECUN_CBW0_OFFSET : ZUNO_DECUN_CBW1_OFFSET;
      ll_zuno_write_reg(decun_reg(i, word_offset + slot_offset),
                        ZUNO_SET_FIELD(ZUNO_DECUN_CBW0_DATA, codebook_word(group + pos, count)));
    }
    /* Pages turn only between groups, so no codevector is split across pages. */
    slot += slots;
    if (slot >= ZUNO_DECUN_CB_SLOTS) {
      ctrl = decun_inc_page_addr(i, ctrl);
      slot = 0u;
    }
  }
}

unsigned decun_inc_page_addr(int i, unsigned ctrl)
{
  const uint32_t page = (ZUNO_GET_FIELD(ZUNO_DECUN_CTRL_PAGEADDR, ctrl) + 1u) % ZUNO_DECUN_CB_PAGES;
  ctrl = (ctrl & ~ZUNO_DECUN_CTRL_PAGEADDR_MASK) | ZUNO_SET_FIELD(ZUNO_DECUN_CTRL_PAGEADDR, page);
  ll_zuno_write_reg(decun_reg(i, ZUNO_DECUN_CTRL_OFFSET), ctrl);
  return ctrl;
}

void LL_Decun_CB_1byte(int i, const LL_Decun_Conf *conf, unsigned ctrl)
{
  load_codebook(i, conf, ctrl, 1u);
}

void LL_Decun_CB_2byte(int i, const LL_Decun_Conf *conf, unsigned ctrl)
{
  load_codebook(i, conf, ctrl, 2u);
}

int LL_Decun_Init(int i, const LL_Decun_Conf *conf)
{
  if (i < 0 || i >= ZUNO_DECUN_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_DECUN, i));

  /* Any codeword size but 1 is loaded as 16-bit; the size itself is checked after BFORMAT. */
  const uint32_t codeword_bytes = (conf->nFormatBytes == 1u) ? 1u : 2u;
  if (conf->codebookLen != 0u) {
    const uint32_t slots = codebook_slots(conf, decun_packing(conf, codeword_bytes));
    if ((slots != 0u && conf->codebook == NULL) || slots > ZUNO_DECUN_CB_PAGES * ZUNO_DECUN_CB_SLOTS) {
      return LL_ZUNO_INVALID_PARAM;
    }
  }

  const uint32_t ctrl = ZUNO_SET_FIELD(ZUNO_DECUN_CTRL_DUALIN, conf->dualInput) |
                        ZUNO_SET_FIELD(ZUNO_DECUN_CTRL_OW, conf->cbOverwrite) |
                        ZUNO_SET_FIELD(ZUNO_DECUN_CTRL_PAGEADDR, 0u);
  ll_zuno_write_reg(decun_reg(i, ZUNO_DECUN_CTRL_OFFSET), ctrl);
  if (conf->codebookLen != 0u) {
    load_codebook(i, conf, ctrl, codeword_bytes);
  }
  ll_zuno_write_reg(decun_reg(i, ZUNO_DECUN_BFORMAT_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_CVS, conf->nCodevectors - 1u) |
                        ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_CWS, conf->nCodewords - 1u) |
                        ZUNO_SET_FIELD(ZUNO_DECUN_BFORMAT_OSAM, conf->nLastCodewords));
  LL_ZUNO_ASSERT((conf->nFormatBytes == 1) || (conf->nFormatBytes == 2));
  ll_zuno_write_reg(decun_reg(i, ZUNO_DECUN_DFORMAT_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_DECUN_DFORMAT_CV8, conf->nFormatBytes == 1u ? ZUNO_DECUN_DFMT_DATA8
                                                                                     : ZUNO_DECUN_DFMT_DATA16));
  ll_zuno_write_reg(decun_reg(i, ZUNO_DECUN_FFORMAT_OFFSET), ZUNO_SET_FIELD(ZUNO_DECUN_FFORMAT_BN, conf->nBatches));
  return LL_ZUNO_OK;
}
