/* Encryption set-up of the accelerator: stream engine and Epoch Controller identifiers, bus interface keys, encrypted DMA copy. */
#ifndef LL_ZUNO_CRYPT_H
#define LL_ZUNO_CRYPT_H

#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Encryption settings of one stream engine or of the Epoch Controller. */
typedef struct {
  uint32_t enable;  /* bit 0: encryption enable */
  uint64_t encr_id; /* identifier; bits 42:0 are used */
  uint32_t rounds;  /* bit 0: 0 for 12 rounds, 1 for 9 rounds */
  uint32_t key_sel; /* key selection (2 bits) */
  uint32_t inc;     /* stream engines only: identifier + 1 every inc frames (16 bits); 0 = never */
} LL_ZUNO_EncryptionConf;

/* One copy through stream engines 0 and 1, optionally encrypted with key 0 of bus interface 0. */
typedef struct {
  uint32_t src_addr;
  uint32_t dst_addr;
  uint32_t len;     /* bytes to copy */
  uint32_t cache;   /* bit 0: source accesses cacheable and allocating; bit 1: the same for the destination */
  uint32_t encrypt; /* 0: none; bit 0: the source engine applies encryption; else bit 1: the destination engine */
  uint64_t key_lo;  /* key bits 63:0 */
  uint64_t key_hi;  /* key bits 127:64 */
} LL_DmaCypherConf;

/* Largest copy whose accesses may go through the cache. */
#define LL_DMA_CYPHER_MAX_CACHED_LEN 0x40000u

/* Writes the encryption identifier and settings of stream engine i. The engine's
   LL_Streng_TensorInit also writes ENCR_MSB, so the later of the two calls decides its value.
   Returns LL_ZUNO_OK or LL_ZUNO_INVALID_ID for an engine out of range. */
int LL_Streng_EncryptionInit(int i, const LL_ZUNO_EncryptionConf *conf);

/* Enables encryption on stream engine i with identifier 0, 12 rounds and key 0. */
int LL_Streng_WeightEncryptionInit(int i);

/* Writes the 128-bit key k (0 or 1) of bus interface b. Returns LL_ZUNO_OK, or LL_ZUNO_INVALID_ID
   for a bus interface or key out of range, with nothing written. */
int LL_Busif_SetKeys(int b, int k, uint64_t key_lo, uint64_t key_hi);

/* Writes the encryption identifier and settings of the Epoch Controller (inc is not used).
   Returns LL_ZUNO_OK or LL_ZUNO_INVALID_ID for an instance other than 0. */
int LL_EpochCtrl_EncryptionInit(int i, const LL_ZUNO_EncryptionConf *conf);

/* Builds the engine records of a copy: source engine 0 reads src_addr, destination engine 1
   writes dst_addr, 8-bit elements, one frame, each engine limited to the 8-byte words its
   transfer touches, encryption on the engine that encrypt names. Returns LL_ZUNO_OK, or
   LL_ZUNO_INVALID_ID for a non-zero encrypt without bit 0 or 1. */
int LL_DmaCypher_Records(const LL_DmaCypherConf *conf, LL_Streng_TensorConf *source,
                         LL_Streng_TensorConf *destination);

/* Initialises the accelerator and copies len bytes from src_addr to dst_addr through stream
   engines 0 and 1, encrypting on one of them when asked. Returns LL_ZUNO_OK, or
   LL_ZUNO_INVALID_ID for a cached copy longer than LL_DMA_CYPHER_MAX_CACHED_LEN (before anything
   is done) or an encrypt value without bit 0 or 1 (after the accelerator's initialisation). */
int LL_DmaCypherInit(const LL_DmaCypherConf *conf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_CRYPT_H */
