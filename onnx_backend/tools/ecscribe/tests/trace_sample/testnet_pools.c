/* Memory-pool table of the recorder tests: one table holding every kind of pool row. */
#include "ecscribe.h"

#include <stddef.h>

const mpool_reloc_info_t mpool_reloc_info[] = {
  { "FLASH",    "_mem_pool_FLASH_testnet",    0x70000000u, 1, 0 }, /* absolute */
  { "SRAM_NET", "_mem_pool_SRAM_NET_testnet", 0x34000000u, 0, 0 }, /* relocated once at network init */
  { "SRAM_INF", "_mem_pool_SRAM_INF_testnet", 0x34100000u, 0, 1 }, /* relocated before every inference */
  { "ACT_INF",  "_mem_pool_ACT_INF_testnet",  0x34200000u, 0, 1 }, /* relocated before every inference */
  { "SPAN_A",   "_mem_pool_SPAN_A_testnet",   0x34300000u, 0, 0 }, /* shares its base with SPAN_B */
  { "SPAN_B",   "_mem_pool_SPAN_B_testnet",   0x34300000u, 0, 1 },
  { NULL, NULL, 0u, 0, 0 },
};
