ECBLOB_CONST_SECTION
static const uint64_t _ec_blob_6_reloc [] =
{
  0x00000010ecbf0020UL, 0x0000006000000000UL, 0x0000003400000003UL, 0x0000002800000001UL,
  0x000000010000003cUL, 0x000000450000002cUL, 0x0000003000000001UL, 0x0000000000000001UL,
  0x5f54434100000002UL, 0x4d41525300464e49UL, 0x41525300464e495fUL, 0x00000054454e5f4dUL,
  0x0000000aca057a7aUL, 0x0000000200000001UL, 0x0000000400000003UL, 0x0000000600000005UL,
  0x0000000800000007UL, 0x0000000a00000009UL
};

ECBLOB_RUNTIME_SECTION
static uint64_t _ec_blob_6[6];

ECBLOB_RUNTIME_SECTION
static const ECFileEntry *_ec_blob_6_reloc_table_ptr = NULL;

ECBLOB_RUNTIME_SECTION
static ECAddr _ec_blob_6_prev_base_addrs[3] = { 0 };

#define _ec_blob_6_ACT_INF_RELOC_IDX 0    // index of ACT_INF relocation of _ec_blob_6 blob
#define _ec_blob_6_ACT_INF_BASE_SYMBOL ((unsigned char *)_mem_pool_ACT_INF_net)    // base address of ACT_INF relocation of _ec_blob_6 blob
#define _ec_blob_6_SRAM_INF_RELOC_IDX 1    // index of SRAM_INF relocation of _ec_blob_6 blob
#define _ec_blob_6_SRAM_INF_BASE_SYMBOL ((unsigned char *)_mem_pool_SRAM_INF_net)    // base address of SRAM_INF relocation of _ec_blob_6 blob
#define _ec_blob_6_SRAM_NET_RELOC_IDX 2    // index of SRAM_NET relocation of _ec_blob_6 blob
#define _ec_blob_6_SRAM_NET_BASE_SYMBOL ((unsigned char *)_mem_pool_SRAM_NET_net)    // base address of SRAM_NET relocation of _ec_blob_6 blob

