/* Convolution accelerator driver: register values of a convolution record and their write sequence. */
#include "ll_zuno_convacc.h"

#include "ll_zuno_access.h"

/* The hardware pads at most this many pixels or lines per side; the rest goes to the zero frame. */
#define CONVACC_MAX_HW_PAD 2u

/* The shift fields count from 16, the hardware's "no shift"; the record holds the signed offset. */
#define CONVACC_FSHIFT(SHIFT) ((uint32_t)((int32_t)(SHIFT) + 16))

static uintptr_t convacc_reg(int i, uint32_t offset)
{
  return ZUNO_CONVACC_BASE(i) + offset;
}

/* Hardware padding of one side: what the kernel can reach, at most CONVACC_MAX_HW_PAD. */
static uint32_t hw_pad(uint32_t requested, uint32_t kernel)
{
  uint32_t pad;
  if (requested < kernel) {
    pad = requested;
  } else {
    pad = (kernel > 0u) ? kernel - 1u : 0u;
  }
  return (pad < CONVACC_MAX_HW_PAD) ? pad : CONVACC_MAX_HW_PAD;
}

static uint32_t convacc_ctrl(const LL_Convacc_Conf *conf)
{
  return ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_NOSUM, !conf->accumulate) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_KT1, conf->kt1) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_NO1SUM, !conf->accumulate_first) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_SIMD, conf->simd) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_AFILTMODE, conf->afiltmode) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_GEN1SUM, conf->gen1sum) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_FUNSIGNED, conf->funsigned) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_KUNSIGNED, conf->kunsigned) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_KSETEN, conf->kseten) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_FSTAT, conf->fstat) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_DEEPMODE, conf->deepmode) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_CTRL_DSS2MODE, conf->dss2mode);
}

static uint32_t convacc_dformat(const LL_Convacc_Conf *conf)
{
  return ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_INSHIFT, conf->inshift) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_FRNDMODE, conf->frndmode) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_OUTSHIFT, conf->outshift) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_ORNDMODE, conf->orndmode) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_ROUND, conf->round) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_SAT, conf->sat) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_RAW, conf->raw) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_OBYTES, conf->obytes) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_FBYTES, conf->fbytes) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_FSHIFT, CONVACC_FSHIFT(conf->fshift)) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_FROUND, conf->fround) |
         ZUNO_SET_FIELD(ZUNO_CONVACC_DFORMAT_FSAT, conf->fsat);
}

int LL_Convacc_Init(int i, const LL_Convacc_Conf *conf)
{
  if (i < 0 || i >= ZUNO_CONVACC_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_CONVACC, i));

  /* Statistics, deep mode and depthwise stride-2 mode exclude one another. */
  if ((conf->fstat && conf->deepmode) || (conf->fstat && conf->dss2mode) || (conf->dss2mode && conf->deepmode)) {
    return LL_ZUNO_INVALID_PARAM;
  }

  const uint32_t batch = conf->batch;
  const uint32_t ctrl = convacc_ctrl(conf);
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_CTRL_OFFSET), ctrl);
  Conv_ctrl_bits[i] = ctrl;

  if (conf->afiltmode != 0u) {
    ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_AFILT_OFFSET),
                      ZUNO_SET_FIELD(ZUNO_CONVACC_AFILT_TOT, conf->afilt_tot) |
                          ZUNO_SET_FIELD(ZUNO_CONVACC_AFILT_FIRST, conf->afilt_first) |
                          ZUNO_SET_FIELD(ZUNO_CONVACC_AFILT_LAST, conf->afilt_last));
  }
  if (conf->kfilt_tot != 0u) {
    ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_KFILT_OFFSET),
                      ZUNO_SET_FIELD(ZUNO_CONVACC_KFILT_TOT, conf->kfilt_tot) |
                          ZUNO_SET_FIELD(ZUNO_CONVACC_KFILT_FIRST, conf->kfilt_first) |
                          ZUNO_SET_FIELD(ZUNO_CONVACC_KFILT_LAST, conf->kfilt_last));
  }

  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_DFORMAT_OFFSET), convacc_dformat(conf));
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_FFORMAT_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_FFORMAT_WIDTH, conf->width * batch) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_FFORMAT_HEIGHT, conf->height));
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_KFORMAT_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_KFORMAT_WIDTH, conf->kwidth) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_KFORMAT_HEIGHT, conf->kheight) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_KFORMAT_BTCDEPTH, batch) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_KFORMAT_NR, conf->knr));

  /* Padding the kernel window can reach is done by the sampler; the zero frame supplies the rest.
     Deep mode, stride-2 mode and a zero-frame bias need all of it in the zero frame. */
  uint32_t pad_t = 0u, pad_b = 0u, pad_l = 0u, pad_r = 0u;
  if (!conf->deepmode && !conf->dss2mode && conf->zfbias == 0) {
    pad_t = hw_pad(conf->pad_top, conf->kheight);
    pad_b = hw_pad(conf->pad_bottom, conf->kheight);
    pad_l = hw_pad(conf->pad_left, conf->kwidth);
    pad_r = hw_pad(conf->pad_right, conf->kwidth);
  }
  const uint32_t zf_t = conf->pad_top - pad_t;
  const uint32_t zf_b = conf->pad_bottom - pad_b;
  const uint32_t zf_l = conf->pad_left - pad_l;
  const uint32_t zf_r = conf->pad_right - pad_r;
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_ZFRAME_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_ZFRAME_LEFT, zf_l * batch) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_ZFRAME_RIGHT, zf_r * batch) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_ZFRAME_TOP, zf_t) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_ZFRAME_BOTTOM, zf_b));

  uint32_t sample = ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_LPAD, pad_l) | ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_RPAD, pad_r) |
                    ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_TPAD, pad_t) | ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_BPAD, pad_b) |
                    ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_HSTRD, conf->hstride) |
                    ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_VSTRD, conf->vstride);
  if (conf->fstat) {
    sample |= ZUNO_SET_FIELD(ZUNO_CONVACC_SAMPLE_FSTATCNT, conf->fstatcnt);
  }
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_SAMPLE_OFFSET), sample);

  /* Horizontal crop bounds count elements: a pixel is batch elements wide, and the right bound is
     the pixel's last element. */
  const uint32_t crop_left = (conf->crop_left != 0u) ? conf->crop_left * batch : ZUNO_CONVACC_FHCROP_LEFT_DT;
  const uint32_t crop_right =
      (conf->crop_right != 0u) ? conf->crop_right * batch + batch - 1u : ZUNO_CONVACC_FHCROP_RIGHT_DT;
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_FHCROP_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_FHCROP_LEFT, crop_left) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_FHCROP_RIGHT, crop_right));
  const uint32_t crop_top = (conf->crop_top != 0u) ? conf->crop_top : ZUNO_CONVACC_FVCROP_TOP_DT;
  const uint32_t crop_bottom = (conf->crop_bottom != 0u) ? conf->crop_bottom : ZUNO_CONVACC_FVCROP_BOTTOM_DT;
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_FVCROP_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_FVCROP_TOP, crop_top) |
                        ZUNO_SET_FIELD(ZUNO_CONVACC_FVCROP_BOTTOM, crop_bottom));

  if (conf->fsub != 0u) {
    ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_FSUB_OFFSET), ZUNO_SET_FIELD(ZUNO_CONVACC_FSUB_VALUE, conf->fsub));
  }
  ll_zuno_write_reg(convacc_reg(i, ZUNO_CONVACC_ZFBIAS_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_CONVACC_ZFBIAS_VALUE, (uint16_t)conf->zfbias));
  return LL_ZUNO_OK;
}
