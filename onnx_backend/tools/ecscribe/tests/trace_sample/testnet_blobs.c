/* Blob functions of the recorder's test network: every kind of recorded access and of memory pool. */
#include "testnet_blobs.h"

#include <stdint.h>

#include "ecscribe.h"
#include "ll_zuno_binding.h"

/* Register pages of the units the blobs touch, and the pool bases of test_pool_table.c. */
#define STRENG_PAGE(i)  (0x5000u + (uint32_t)(i) * 0x1000u)
#define ARITH_PAGE(i)   (0x17000u + (uint32_t)(i) * 0x1000u)
#define FLASH_BASE      0x70000000u
#define SRAM_NET_BASE   0x34000000u
#define SRAM_INF_BASE   0x34100000u
#define ACT_INF_BASE    0x34200000u
#define SPAN_BASE       0x34300000u

static void write_reg(uint32_t page, uint32_t reg_offset, uint32_t value)
{
  ec_trace_write(get_ec_zuno_base() + page + reg_offset, value);
}

static void write_address(uint32_t page, uint32_t reg_offset, uint32_t pool_base, uint32_t offset)
{
  ec_trace_write_reloc(get_ec_zuno_base() + page + reg_offset, pool_base, offset);
}

/* One epoch without hardware work. */
void trace_ec__ec_blob_1(void)
{
  ec_trace_start_blob("_ec_blob_1");
  ec_trace_start_epoch(1);
  ec_trace_end_epoch(1);
  ec_trace_end_blob("_ec_blob_1");
}

/* An empty epoch, then an epoch of plain and absolute writes that the optimiser folds into bursts. */
void trace_ec__ec_blob_3(void)
{
  ec_trace_start_blob("_ec_blob_3");
  ec_trace_start_epoch(3);
  ec_trace_end_epoch(3);
  ec_trace_start_epoch(4);
  write_reg(ARITH_PAGE(1), 0x1C, 0x11);
  write_reg(ARITH_PAGE(1), 0x14, 0x22);
  write_reg(ARITH_PAGE(1), 0x18, 0x33);
  ec_trace_comment("Block ECFORGE optimizations to move reg writes pass this point");
  write_reg(ARITH_PAGE(1), 0x40, 0x44);
  write_reg(ARITH_PAGE(1), 0x40, 0x55);
  write_address(STRENG_PAGE(6), 0x08, FLASH_BASE, 0x1000);
  write_reg(STRENG_PAGE(6), 0x0C, 0x400);
  ec_trace_reg_writefield(ec_trace_get_IP_id(get_ec_zuno_base()), ec_trace_get_REG_id(0x10), 11, 1, 1);
  write_reg(STRENG_PAGE(6), 0x00, 0x80000001u);
  ec_trace_wait_epoch_end(64);
  ec_trace_end_epoch(4);
  ec_trace_end_blob("_ec_blob_3");
}

/* Two per-inference pools and one network-init pool in one blob. */
void trace_ec__ec_blob_6(void)
{
  ec_trace_start_blob("_ec_blob_6");
  ec_trace_start_epoch(6);
  write_address(STRENG_PAGE(1), 0x08, SRAM_INF_BASE, 0x200);
  write_address(STRENG_PAGE(1), 0x0C, ACT_INF_BASE, 0x40);
  write_address(STRENG_PAGE(8), 0x08, SRAM_NET_BASE, 0x1800);
  write_address(STRENG_PAGE(8), 0x0C, SRAM_INF_BASE, 0x300);
  write_reg(STRENG_PAGE(8), 0x00, 0x80000001u);
  ec_trace_wait_epoch_end(258);
  ec_trace_end_epoch(6);
  ec_trace_end_blob("_ec_blob_6");
}

/* Network-init pools only, one of them reached through a base address that two rows share. */
void trace_ec__ec_blob_9(void)
{
  ec_trace_start_blob("_ec_blob_9");
  ec_trace_start_epoch(9);
  write_address(STRENG_PAGE(0), 0x08, SPAN_BASE, 0x10);
  write_address(STRENG_PAGE(0), 0x0C, SRAM_NET_BASE, 0x20);
  ec_trace_end_epoch(9);
  ec_trace_start_epoch(10);
  ec_trace_end_epoch(10);
  ec_trace_end_blob("_ec_blob_9");
}

/* A second blob with network-init relocations only. */
void trace_ec__ec_blob_12(void)
{
  ec_trace_start_blob("_ec_blob_12");
  ec_trace_start_epoch(12);
  write_address(STRENG_PAGE(2), 0x08, SRAM_NET_BASE, 0x4000);
  ec_trace_end_epoch(12);
  ec_trace_end_blob("_ec_blob_12");
}

void trace_testnet(void)
{
  ec_trace_init("testnet_ecblobs.h", "testnet");
  trace_ec__ec_blob_1();
  trace_ec__ec_blob_3();
  trace_ec__ec_blob_6();
  trace_ec__ec_blob_9();
  trace_ec__ec_blob_12();
  ec_trace_all_blobs_done();
}
