/* Stream engine driver: register values of a tensor record and their write sequence, external sync, wait. */
#include "ll_zuno_streng.h"

#include "ll_zuno_access.h"

#define ZUNO_STRENG_MAX_ELEMENT_BITS 24u

/* Channel sizes: the element's W bits split into 8-bit channels c0 (low), c1, c2, placed by mode. */
static uint32_t channel_sizes(const LL_Streng_TensorConf *conf, uint32_t w, uint32_t s)
{
  uint32_t c0 = (w < 8u) ? w : 8u;
  uint32_t c1 = (w > 8u) ? ((w < 16u) ? w : 16u) - 8u : 0u;
  uint32_t c2 = (w > 16u) ? ((w < 24u) ? w : 24u) - 16u : 0u;
  uint32_t size0, size1, size2;
  if (conf->lsbmode) {
    size0 = c0;
    size1 = c1;
    size2 = c2;
  } else if (s > 16u) {
    size2 = c0;
    size1 = c1;
    size0 = c2;
  } else if (s > 8u) {
    size1 = c0;
    size0 = c1;
    size2 = 0u;
  } else {
    size0 = c0;
    size1 = 0u;
    size2 = 0u;
  }
  return ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIZE0, size0) | ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIZE1, size1) |
         ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIZE2, size2);
}

int LL_Streng_ComputeRegs(const LL_Streng_TensorConf *conf, LL_Streng_RegValues *regs)
{
  if (conf->bits_in > ZUNO_STRENG_MAX_ELEMENT_BITS || conf->bits_out > ZUNO_STRENG_MAX_ELEMENT_BITS) {
    return LL_ZUNO_INVALID_ID;
  }
  uint32_t m = (conf->dir == ZUNO_STRENGDIR_BUS2STR) ? conf->bits_in : conf->bits_out;
  uint32_t s = (conf->dir == ZUNO_STRENGDIR_BUS2STR) ? conf->bits_out : conf->bits_in;
  uint32_t w = (m < s) ? m : s;

  /* Memory bits per element that the stream does not carry become a gap in front of or after it. */
  uint32_t strd_gap = 0u;
  if (m > s) {
    strd_gap = conf->gap_front ? ZUNO_SET_FIELD(ZUNO_STRENG_STRD_FGAP, m - s)
                               : ZUNO_SET_FIELD(ZUNO_STRENG_STRD_BGAP, m - s);
  }

  regs->ctrl = ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_DIR, conf->dir) | ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_RAW, conf->raw) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_RAW_OUT, conf->raw_out) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_NOBLK, conf->noblk) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_NOINC, conf->noinc) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SINGLE, conf->frame_limit == 1u) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_CONT, conf->cont) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_LSBMODE, conf->lsbmode) |
               ZUNO_SET_FIELD(ZUNO_STRENG_CTRL_SIGNEXT, conf->lsbmode && !conf->no_signext) |
               channel_sizes(conf, w, s);

  uint32_t line_offset = 0u;
  if (conf->raw) {
    if (conf->raw_frame_len != 0u) {
      regs->fsize = conf->raw_frame_len;
    } else if (m != 0u) {
      regs->fsize = ((conf->offset_end - conf->offset_start) * 8u) / m;
    } else {
      return LL_ZUNO_INVALID_PARAM;
    }
    regs->depth = 0u;
  } else {
    regs->fsize = ZUNO_SET_FIELD(ZUNO_STRENG_FSIZE_WIDTH, conf->width) |
                  ZUNO_SET_FIELD(ZUNO_STRENG_FSIZE_HEIGHT, conf->height);
    regs->depth = ZUNO_SET_FIELD(ZUNO_STRENG_DEPTH_SIZE, conf->depth_size) |
                  ZUNO_SET_FIELD(ZUNO_STRENG_DEPTH_OFFSET, conf->depth_offset);
    line_offset = (conf->line_offset != 0u) ? conf->line_offset : conf->width * conf->depth_offset;
  }

  regs->strd = strd_gap | ZUNO_SET_FIELD(ZUNO_STRENG_STRD_LOFF, line_offset);
  regs->limiten = ZUNO_SET_FIELD(ZUNO_STRENG_LIMITEN_STOPPREFTC, 1u) |
                  ZUNO_SET_FIELD(ZUNO_STRENG_LIMITEN_FRAMELIMIT, 1u) |
                  ZUNO_SET_FIELD(ZUNO_STRENG_LIMITEN_DOFF_MSB, conf->depth_offset >> 16);
  regs->cid_cache = ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_CID, conf->cid) |
                    ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_CACHEABLE, conf->cacheable) |
                    ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_ALLOC, conf->alloc) |
                    ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_PFETCH, conf->pfetch) |
                    ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_LINESIZE, conf->linesize) |
                    ZUNO_SET_FIELD(ZUNO_STRENG_CID_CACHE_LOFF_MSB, line_offset >> 16);
  regs->event = ZUNO_SET_FIELD(ZUNO_STRENG_EVENT_EN_ILLCFG, 1u);
  if (conf->dir == ZUNO_STRENGDIR_BUS2STR && conf->frmtrg_en) {
    regs->event |= ZUNO_SET_FIELD(ZUNO_STRENG_EVENT_FRMTRG_EN, 1u) |
                   ZUNO_SET_FIELD(ZUNO_STRENG_EVENT_FRMTRG_SRC, conf->frmtrg_src);
  }
  /* Only the low bit of KEY_SEL comes from the record; the identifier is set by the encryption set-up. */
  regs->encr_msb = ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_EN, conf->encr_en) |
                   ZUNO_SET_FIELD(ZUNO_STRENG_ENCR_MSB_KEY_SEL, conf->key_sel);
  return LL_ZUNO_OK;
}

static uintptr_t streng_reg(int id, uint32_t offset)
{
  return ZUNO_STRENG_BASE(id) + offset;
}

int LL_Streng_TensorInit(int id, const LL_Streng_TensorConf *conf, int count)
{
  if (id < 0 || id >= ZUNO_STRENG_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  /* The gate opens before the record is checked, so a rejected record still leaves it open. */
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_STRENG, id));
  if (count != 1) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_Streng_RegValues regs;
  int status = LL_Streng_ComputeRegs(conf, &regs);
  if (status != LL_ZUNO_OK) {
    return status;
  }
  uint32_t pool_base = (uint32_t)(uintptr_t)conf->addr_base;

  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_CTRL_OFFSET), regs.ctrl);
  ll_zuno_write_reg_reloc(streng_reg(id, ZUNO_STRENG_ADDR_OFFSET), pool_base, conf->offset_start);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_FSIZE_OFFSET), regs.fsize);
  if (!conf->raw) {
    ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_DEPTH_OFFSET), regs.depth);
  }
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_FRPTOFF_OFFSET), conf->repeat_offset);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_FRAME_RPT_OFFSET), conf->frame_repeat);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_FOFFSET_OFFSET), conf->frame_offset);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_LIMITEN_OFFSET), regs.limiten);
  if (conf->offset_limit != 0u) {
    ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_LIMITEN_OFFSET),
                      regs.limiten | ZUNO_SET_FIELD(ZUNO_STRENG_LIMITEN_ADDRLIMIT, 1u));
    ll_zuno_write_reg_reloc(streng_reg(id, ZUNO_STRENG_LIMITADDR_OFFSET), pool_base, conf->offset_limit - 1u);
  }
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_LIMIT_OFFSET), conf->frame_limit);
  /* Channels in their natural positions and no idle cycles between elements. */
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_POS_OFFSET),
                    ZUNO_FIELD_RESET(ZUNO_STRENG_POS_POS0) | ZUNO_FIELD_RESET(ZUNO_STRENG_POS_POS1) |
                        ZUNO_FIELD_RESET(ZUNO_STRENG_POS_POS2) | ZUNO_SET_FIELD(ZUNO_STRENG_POS_GAPCYCLES, 0u));
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_STRD_OFFSET), regs.strd);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_CID_CACHE_OFFSET), regs.cid_cache);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_EVENT_OFFSET), regs.event);
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_ENCR_MSB_OFFSET), regs.encr_msb);
  return LL_ZUNO_OK;
}

int LL_Streng_ExtSyncInit(int id, const LL_Streng_ExtSyncConf *conf)
{
  if (id < 0 || id >= ZUNO_STRENG_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_STRENG, id));
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_EXTSYNC_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_STRENG_EXTSYNC_EN, conf->en) | ZUNO_SET_FIELD(ZUNO_STRENG_EXTSYNC_SRC, conf->src) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_EXTSYNC_LINES, conf->lines));
  ll_zuno_write_reg(streng_reg(id, ZUNO_STRENG_EXTSYNC2_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_STRENG_EXTSYNC2_LINES, conf->special_lines) |
                        ZUNO_SET_FIELD(ZUNO_STRENG_EXTSYNC2_OFF, conf->special_offset));
  return LL_ZUNO_OK;
}

int LL_Streng_Wait(unsigned mask)
{
  uint32_t running;
  startWatchdog(ZUNO_EPOCH_TIMEOUT);
  do {
    running = 0u;
    for (int i = 0; i < ZUNO_STRENG_NUM; ++i) {
      if ((mask >> i) & 1u) {
        running |= ZUNO_GET_FIELD(ZUNO_STRENG_CTRL_RUNNING, ll_zuno_read_reg(streng_reg(i, ZUNO_STRENG_CTRL_OFFSET)));
      }
    }
    LL_ZUNO_ASSERT(checkWatchdog() == 0);
  } while (running != 0u);
  return LL_ZUNO_OK;
}

unsigned LL_Streng_len(const LL_Streng_TensorConf *conf)
{
  return conf->offset_end - conf->offset_start;
}
