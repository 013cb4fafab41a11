/* Compiles the golden blob header of the test network as device code and gives the tests its arrays. */
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "blob_loader.h"
#include "generated_header_unit.h"

/* Pool base symbols of the test network; the header relocates against their addresses. */
unsigned char _mem_pool_SRAM_NET_testnet[64];
unsigned char _mem_pool_SRAM_INF_testnet[64];
unsigned char _mem_pool_ACT_INF_testnet[64];
unsigned char _mem_pool_SPAN_A_testnet[64];

#include "testnet_ecblobs.h"

bool testnet_network_init(void)
{
  return LL_ZUNO_EC_Network_Init_testnet();
}

bool testnet_inference_init(void)
{
  return LL_ZUNO_EC_Inference_Init_testnet();
}

TestnetBlob testnet_blob(unsigned int first_epoch)
{
  TestnetBlob blob = { NULL, NULL, 0u };
  switch (first_epoch) {
  case 1:
    blob.image = _ec_blob_1;
    break;
  case 3:
    blob.image = _ec_blob_3;
    break;
  case 6:
    blob.image = _ec_blob_6_reloc;
    blob.runtime = _ec_blob_6;
    blob.runtime_elements = sizeof _ec_blob_6 / sizeof _ec_blob_6[0];
    break;
  case 9:
    blob.image = _ec_blob_9_reloc;
    blob.runtime = _ec_blob_9;
    blob.runtime_elements = sizeof _ec_blob_9 / sizeof _ec_blob_9[0];
    break;
  case 12:
    blob.image = _ec_blob_12_reloc;
    blob.runtime = _ec_blob_12;
    blob.runtime_elements = sizeof _ec_blob_12 / sizeof _ec_blob_12[0];
    break;
  default:
    break;
  }
  return blob;
}

uintptr_t testnet_pool_base(const char *pool)
{
  static const struct {
    const char *name;
    const unsigned char *base;
  } pools[] = {
    { "SRAM_NET", _mem_pool_SRAM_NET_testnet },
    { "SRAM_INF", _mem_pool_SRAM_INF_testnet },
    { "ACT_INF", _mem_pool_ACT_INF_testnet },
    { "SPAN_A", _mem_pool_SPAN_A_testnet },
  };
  for (size_t i = 0; i < sizeof pools / sizeof pools[0]; ++i) {
    if (strcmp(pools[i].name, pool) == 0) {
      return (uintptr_t)pools[i].base;
    }
  }
  return 0;
}
