/* Pooling unit driver: register values of a pooling record and their write sequence. */
#include "ll_zuno_poolacc.h"

#include "ll_zuno_access.h"

/* The shift fields count from 16, the hardware's "no shift"; the record holds the signed offset. */
#define POOL_FSHIFT(SHIFT) ((uint32_t)((int32_t)(SHIFT) + 16))

static uintptr_t pool_reg(int i, uint32_t offset)
{
  return ZUNO_POOL_BASE(i) + offset;
}

int get_Poolacc_type(unsigned type)
{
  switch (type) {
  case LL_POOL_MAX:
    return ZUNO_POOL_TYPE_MAX_POOLING;
  case LL_POOL_MIN:
    return ZUNO_POOL_TYPE_MIN_POOLING;
  case LL_POOL_AVG:
    return ZUNO_POOL_TYPE_AVG_POOLING;
  case LL_POOL_GMAX:
    return ZUNO_POOL_TYPE_GMAX_POOLING;
  case LL_POOL_GMIN:
    return ZUNO_POOL_TYPE_GMIN_POOLING;
  case LL_POOL_GAVG:
    return ZUNO_POOL_TYPE_GAVG_POOLING;
  default:
    LL_ZUNO_ASSERT(0);
  }
  return 0;
}

int LL_Poolacc_Init(int i, const LL_Poolacc_Conf *conf)
{
  if (i < 0 || i >= ZUNO_POOL_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_POOL, i));

  const uint32_t batch = conf->batch;
  /* Cropping is always on; unset bounds select the whole feature. */
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_CTRL_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_CTRL_TYPE, get_Poolacc_type(conf->pool_type)) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_ROUND, conf->round) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_SAT, conf->sat) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_OUTSHIFT, conf->outshift) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_DUALLINE, conf->dualline) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_CROPEN, 1u) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_FBYTES, conf->fbytes) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_FSHIFT, POOL_FSHIFT(conf->fshift)) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_FROUND, conf->fround) |
                        ZUNO_SET_FIELD(ZUNO_POOL_CTRL_FSAT, conf->fsat));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_RNDCTRL_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_RNDCTRL_FOBYTES, conf->fobytes) |
                        ZUNO_SET_FIELD(ZUNO_POOL_RNDCTRL_FRNDMODE, conf->frndmode) |
                        ZUNO_SET_FIELD(ZUNO_POOL_RNDCTRL_OBYTES, conf->obytes) |
                        ZUNO_SET_FIELD(ZUNO_POOL_RNDCTRL_ORNDMODE, conf->orndmode));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_PDIMS_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_WINX, conf->winx) | ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_WINY, conf->winy) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_STRDX, conf->strdx) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_STRDY, conf->strdy) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_TPAD, conf->tpad) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_BPAD, conf->bpad) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_LPAD, conf->lpad) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_RPAD, conf->rpad) |
                        ZUNO_SET_FIELD(ZUNO_POOL_PDIMS_BSIZE, batch));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_FDIMS_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_FDIMS_FEATX, conf->in_width * batch) |
                        ZUNO_SET_FIELD(ZUNO_POOL_FDIMS_FEATY, conf->in_height));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_OUTDIMS_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_OUTDIMS_FEATX, conf->out_width) |
                        ZUNO_SET_FIELD(ZUNO_POOL_OUTDIMS_FEATY, conf->out_height));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_MULVAL_OFFSET), ZUNO_SET_FIELD(ZUNO_POOL_MULVAL_VALUE, (uint16_t)conf->mulval));

  /* Horizontal bounds count elements: the right bound is the last element of its pixel. An unset
     bound stays 0 whatever the batch, as the left one does. */
  const uint32_t lcrop = (conf->crop_left != 0u) ? conf->crop_left * batch : 0u;
  const int64_t right = (int64_t)conf->crop_right * batch + batch - 1;
  const uint32_t rcrop = (conf->crop_right != 0u && right > 0) ? (uint32_t)right : 0u;
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_XCROP_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_XCROP_LCROP, lcrop) | ZUNO_SET_FIELD(ZUNO_POOL_XCROP_RCROP, rcrop));
  ll_zuno_write_reg(pool_reg(i, ZUNO_POOL_YCROP_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_POOL_YCROP_TCROP, conf->crop_top) |
                        ZUNO_SET_FIELD(ZUNO_POOL_YCROP_BCROP, conf->crop_bottom));
  return LL_ZUNO_OK;
}
