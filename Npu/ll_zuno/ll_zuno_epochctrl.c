/* Epoch Controller driver: blob start, stepping and waiting, the software trigger and the DMA copy. */
#include "ll_zuno_epochctrl.h"

#include <stddef.h>

#include "ll_zuno_access.h"

/* Copies up to this size are done by the CPU alone; the engines are not worth setting up. */
#define DMA_CPU_ONLY_MAX 39u
/* The engines move 24-bit elements. */
#define DMA_ELEMENT_BITS 24u
#define DMA_ELEMENT_BYTES (DMA_ELEMENT_BITS / 8u)
/* Source engine, destination engine, and the stream engines' wait mask of the destination. */
#define DMA_SRC_ENGINE 0
#define DMA_DST_ENGINE 1
#define DMA_DST_MASK (1u << DMA_DST_ENGINE)

static uintptr_t epochctrl_reg(uint32_t offset)
{
  return ZUNO_EPOCHCTRL_BASE(0) + offset;
}

static uintptr_t intctrl_reg(uint32_t offset)
{
  return ZUNO_INTCTRL_BASE(0) + offset;
}

int LL_EpochCtrl_Init(int i, const LL_EpochCtrl_Conf *conf)
{
  if (i < 0 || i >= ZUNO_EPOCHCTRL_NUM) {
    return LL_ZUNO_INVALID_ID;
  }
  LL_ZUNO_EnableClock(ZUNO_CLKCTRL_GATE_BIT(ZUNO_CLKCTRL_BGATES_EPOCHCTRL, i));
  ll_zuno_write_reg(epochctrl_reg(ZUNO_EPOCHCTRL_CTRL_OFFSET), ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_CTRL_SM, conf->step_mode));
  if (conf->blob_addr % ZUNO_EPOCHCTRL_ADDR_ALIGN != 0u) {
    return LL_ZUNO_INVALID_PARAM;
  }
  ll_zuno_write_reg(epochctrl_reg(ZUNO_EPOCHCTRL_ADDR_OFFSET), ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_ADDR_ADDR, conf->blob_addr));
  return LL_ZUNO_OK;
}

int LL_EpochCtrl_Step(int i)
{
  (void)i; /* there is one controller */
  uint32_t irq = ll_zuno_read_reg(epochctrl_reg(ZUNO_EPOCHCTRL_IRQ_OFFSET));
  irq |= ZUNO_SET_FIELD(ZUNO_EPOCHCTRL_IRQ_SM, 1u);
  ll_zuno_write_reg(epochctrl_reg(ZUNO_EPOCHCTRL_IRQ_OFFSET), irq);
  return LL_ZUNO_OK;
}

int LL_EpochCtrl_Wait(unsigned mask)
{
  startWatchdog(ZUNO_EPOCH_TIMEOUT);
  uint32_t running;
  do {
    running = 0u;
    if ((mask & 1u) != 0u) {
      running |= ZUNO_GET_FIELD(ZUNO_EPOCHCTRL_CTRL_RUNNING, ll_zuno_read_reg(epochctrl_reg(ZUNO_EPOCHCTRL_CTRL_OFFSET)));
    }
    LL_ZUNO_ASSERT(checkWatchdog() == 0);
  } while (running != 0u);
  return LL_ZUNO_OK;
}

unsigned LL_EpochCtrl_GetBlobSize(const uint32_t *blob)
{
  /* Word 1 of the program section counts the program words after the two header words. */
  return (blob[1] + 2u) * (unsigned)sizeof(uint32_t);
}

int LL_TriggerHigh(int n)
{
  /* Only host lines 0 to 3 have a mask register; without one the trigger would reach every line. */
  if (n < 0 || n >= ZUNO_INTCTRL_INTORMSK_NUM) {
    return LL_ZUNO_INVALID_PARAM;
  }
  ll_zuno_write_reg(intctrl_reg(ZUNO_INTCTRL_INTORMSK_OFFSET(n)), ~(uint32_t)ZUNO_INTCTRL_INT_TRIGGER_BIT);
  ll_zuno_write_reg(intctrl_reg(ZUNO_INTCTRL_INTSET_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_INTCTRL_INTSET_SET, ZUNO_INTCTRL_INT_TRIGGER_BIT));
  return LL_ZUNO_OK;
}

int LL_TriggerLow(int n)
{
  if (n < 0 || n >= 32) {
    return LL_ZUNO_INVALID_PARAM;
  }
  ll_zuno_write_reg(intctrl_reg(ZUNO_INTCTRL_INTCLR_OFFSET),
                    ZUNO_SET_FIELD(ZUNO_INTCTRL_INTCLR_CLR, ZUNO_INTCTRL_INT_TRIGGER_BIT));
  return LL_ZUNO_OK;
}

void *LL_ZUNO_Dma_memcpy(void *dst, const void *src, const void *src_limit, uint64_t size, int dst_cached,
                         int src_cached)
{
  /* The CPU copies a head that leaves a whole number of elements, or everything when small. */
  const uint64_t head = (size <= DMA_CPU_ONLY_MAX) ? size : size % DMA_ELEMENT_BYTES;
  uint8_t *dst_cursor = (uint8_t *)dst;
  const uint8_t *src_cursor = (const uint8_t *)src;
  for (uint64_t k = 0; k < head; ++k) {
    dst_cursor[k] = src_cursor[k];
  }
  dst_cursor += head;
  src_cursor += head;
  size -= head;
  if (head > 0u) {
    LL_ZUNO_Cache_MCU_Clean_Invalidate_Range(dst, (unsigned)head);
  }
  if (size == 0u) {
    return dst;
  }
  /* The engines count bytes in 32 bits. */
  LL_ZUNO_ASSERT(size <= UINT32_MAX);
  const uint32_t len = (uint32_t)size;

  /* The source engine may read up to src_limit; its limit counts from where it starts reading. */
  LL_Streng_TensorConf source = {0};
  source.raw = 1u;
  source.dir = ZUNO_STRENGDIR_BUS2STR;
  source.addr_base = (uint8_t *)(uintptr_t)src_cursor;
  source.offset_end = len;
  source.offset_limit = (uint32_t)((uintptr_t)src_limit - (uintptr_t)src_cursor);
  source.frame_offset = len;
  source.frame_limit = 1u;
  source.bits_in = DMA_ELEMENT_BITS;
  source.bits_out = DMA_ELEMENT_BITS;
  source.cacheable = (src_cached != 0);
  source.alloc = (src_cached != 0);

  LL_Streng_TensorConf destination = {0};
  destination.raw = 1u;
  destination.dir = ZUNO_STRENGDIR_STR2BUS;
  destination.addr_base = dst_cursor;
  destination.offset_end = len;
  destination.frame_offset = len;
  destination.frame_limit = 1u;
  destination.bits_in = DMA_ELEMENT_BITS;
  destination.bits_out = DMA_ELEMENT_BITS;
  destination.cacheable = (dst_cached != 0);
  destination.alloc = (dst_cached != 0);

  LL_Switch_Conf route = {0};
  route.dest = (LL_ZUNO_PortDesc){STRSWITCH, 0u, STRENG, DMA_DST_ENGINE, 0u};
  route.source0 = (LL_ZUNO_PortDesc){STRSWITCH, 0u, STRENG, DMA_SRC_ENGINE, 0u};
  route.context0 = 1u;
  const LL_ZUNO_UnitEntry units[] = {{STRENG, DMA_DST_ENGINE}, {STRENG, DMA_SRC_ENGINE}};

  LL_Streng_TensorInit(DMA_SRC_ENGINE, &source, 1);
  LL_Streng_TensorInit(DMA_DST_ENGINE, &destination, 1);
  LL_Switch_Init(&route, 1);
  LL_ZUNO_EnableUnits_Init(units, 2);
  LL_Streng_Wait(DMA_DST_MASK);
  LL_ZUNO_DisableUnits_Init(units, 1);
  LL_Switch_Deinit(&route, 1);
  return dst;
}
