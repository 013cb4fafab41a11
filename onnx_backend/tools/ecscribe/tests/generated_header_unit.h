/* Access to the golden blob header of the test network compiled as device code. */
#ifndef GENERATED_HEADER_UNIT_H
#define GENERATED_HEADER_UNIT_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  const uint64_t *image;           /* the constant array of the blob */
  uint64_t *runtime;               /* the runtime copy, NULL for a blob without relocations */
  unsigned int runtime_elements;   /* 64-bit elements of the runtime copy */
} TestnetBlob;

/* The header's two init functions. */
bool testnet_network_init(void);
bool testnet_inference_init(void);

/* The arrays of the blob whose first epoch is first_epoch (all NULL for an unknown blob). */
TestnetBlob testnet_blob(unsigned int first_epoch);

/* The address of a pool's base symbol, 0 for an unknown pool. */
uintptr_t testnet_pool_base(const char *pool);

#ifdef __cplusplus
}
#endif

#endif /* GENERATED_HEADER_UNIT_H */
