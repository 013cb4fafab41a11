/* Encryption set-up: identifier registers of stream engines and the Epoch Controller, bus interface keys, encrypted DMA copy. */
#include "ll_zuno_crypt.h"

#include "ll_zuno_access.h"

/* The copy's engines, and the stream engines' wait mask of the destination. */
#define CYPHER_SRC_ENGINE 0
#define CYPHER_DST_ENGINE 1
#define CYPHER_DST_MASK (1u << CYPHER_DST_ENGINE)
#define CYPHER_ELEMENT_BITS 8u
/* The engines fetch 8-byte words; their address limit is rounded to that size. */
#define CYPHER_BUS_WORD 8u
/* Bus interface and key that the copy's engines use (key_sel 0). */
#define CYPHER_BUSIF 0
#define CYPHER_KEY 0

/* Bits of encrypt and cache in LL_DmaCypherConf. */
#define CYPHER_ON_SOURCE 0x1u
#define CYPHER_ON_DESTINATION 0x2u

int LL_Streng_EncryptionInit(int i, const LL_ZUNO_EncryptionConf *conf)
{
  if (i < 0 || i >= ZUNO_STRENG_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  ll_zuno_write_reg(ZUNO_STRENG_BASE(i) + ZUNO_STRENG_ENCR_LSB_OFFSET,
                    ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_LSB_ID_LSB, conf->encr_id));
  ll_zuno_write_reg(ZUNO_STRENG_BASE(i) + ZUNO_STRENG_ENCR_MSB_OFFSET,
                    ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_ID_MSB, conf->encr_id >> 32) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_EN, conf->enable) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_ROUNDS, conf->rounds) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_KEY_SEL, conf->key_sel) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_INC, conf->inc));
  return LL_ZUNO_OK;
}

int LL_Streng_WeightEncryptionInit(int i)
{
  const LL_ZUNO_EncryptionConf weights = {1u, 0u, 0u, 0u, 0u};
  return LL_Streng_EncryptionInit(i, &weights);
}

int LL_Busif_SetKeys(int b, int k, uint64_t key_lo, uint64_t key_hi)
{
  if (b < 0 || b >= ZUNO_BUSIF_NUM || k < 0 || k >= (int)ZUNO_BUSIF_KEYS) {
    return LL_ZUNO_INVALID_ID;
  }
  const uint32_t words[] = {(uint32_t)key_lo, (uint32_t)(key_lo >> 32), (uint32_t)key_hi, (uint32_t)(key_hi >> 32)};
  for (uint32_t w = 0; w < sizeof words / sizeof words[0]; ++w) {
    ll_zuno_write_reg(ZUNO_BUSIF_BASE(b) + ZUNO_BUSIF_KEY_OFFSET(k, w), ZUNO_SET_FIELD(ZUNO_BUSIF_KEY0_31_0_KEY, words[w]));
  }
  return LL_ZUNO_OK;
}

int LL_EpochCtrl_EncryptionInit(int i, const LL_ZUNO_EncryptionConf *conf)
{
  if (i < 0 || i >= ZUNO_EPOCHCTRL_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  ll_zuno_write_reg(ZUNO_EPOCHCTRL_BASE(i) + ZUNO_EPOCHCTRL_ENCR_LSB_OFFSET,
                    ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ENCR_LSB_ID_LSB, conf->encr_id));
  ll_zuno_write_reg(ZUNO_EPOCHCTRL_BASE(i) + ZUNO_EPOCHCTRL_ENCR_MSB_OFFSET,
                    ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ENCR_MSB_ID_MSB, conf->encr_id >> 32) |
                        ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ENCR_MSB_EN, conf->enable) |
                        ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ENCR_MSB_ROUNDS, conf->rounds) |
                        ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ENCR_MSB_KEY_SEL, conf->key_sel));
  return LL_ZUNO_OK;
}

/* Limit offset of a transfer of len bytes from address a: past the 8-byte word holding its last
   byte, plus one more word. */
static uint32_t limit_offset(uint32_t a, uint32_t len)
{
  const uint32_t end_in_word = (a + len) % CYPHER_BUS_WORD;
  return ((len - end_in_word + CYPHER_BUS_WORD) / CYPHER_BUS_WORD) * CYPHER_BUS_WORD + CYPHER_BUS_WORD;
}

static void raw_copy_record(LL_Streng_TensorConf *record, unsigned dir, uint32_t addr, uint32_t len, unsigned cached)
{
  const LL_Streng_TensorConf zero = {0};
  *record = zero;
  record->raw = 1u;
  record->dir = dir;
  record->addr_base = (uint8_t *)(uintptr_t)addr;
  record->offset_end = len;
  record->offset_limit = limit_offset(addr, len);
  record->frame_limit = 1u;
  record->bits_in = CYPHER_ELEMENT_BITS;
  record->bits_out = CYPHER_ELEMENT_BITS;
  record->cacheable = cached;
  record->alloc = cached;
}

int LL_DmaCypher_Records(const LL_DmaCypherConf *conf, LL_Streng_TensorConf *source,
                         LL_Streng_TensorConf *destination)
{
  raw_copy_record(source, ZUNO_STRENGDIR_BUS2STR, conf->src_addr, conf->len, (conf->cache & CYPHER_ON_SOURCE) != 0u);
  raw_copy_record(destination, ZUNO_STRENGDIR_STR2BUS, conf->dst_addr, conf->len,
                  (conf->cache & CYPHER_ON_DESTINATION) != 0u);
  if (conf->encrypt == 0u) {
    return LL_ZUNO_OK;
  }
  if ((conf->encrypt & CYPHER_ON_SOURCE) != 0u) {
    source->encr_en = 1u;
  } else if ((conf->encrypt & CYPHER_ON_DESTINATION) != 0u) {
    destination->encr_en = 1u;
  } else {
    return LL_ZUNO_INVALID_ID;
  }
  return LL_ZUNO_OK;
}

int LL_DmaCypherInit(const LL_DmaCypherConf *conf)
{
  if (conf->cache != 0u && conf->len > LL_DMA_CYPHER_MAX_CACHED_LEN) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_Init();

  LL_Streng_TensorConf source;
  LL_Streng_TensorConf destination;
  if (LL_DmaCypher_Records(conf, &source, &destination) != LL_ZUNO_OK) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_Switch_Conf route = {0};
  route.dest = (LL_ZUNO_PortDesc){STRSWITCH, 0u, STRENG, CYPHER_DST_ENGINE, 0u};
  route.source0 = (LL_ZUNO_PortDesc){STRSWITCH, 0u, STRENG, CYPHER_SRC_ENGINE, 0u};
  route.context0 = 1u;
  const LL_ZUNO_UnitEntry units[] = {{STRENG, CYPHER_DST_ENGINE}, {STRENG, CYPHER_SRC_ENGINE}};
  if (conf->encrypt != 0u) {
    LL_Busif_SetKeys(CYPHER_BUSIF, CYPHER_KEY, conf->key_lo, conf->key_hi);
  }

  LL_Streng_TensorInit(CYPHER_SRC_ENGINE, &source, 1);
  LL_Streng_TensorInit(CYPHER_DST_ENGINE, &destination, 1);
  LL_Switch_Init(&route, 1);
  LL_ZUNO_EnableUnits_Init(units, 2);
  LL_Streng_Wait(CYPHER_DST_MASK);
  LL_ZUNO_DisableUnits_Init(units, 1);
  LL_Switch_Deinit(&route, 1);
  return LL_ZUNO_OK;
}
