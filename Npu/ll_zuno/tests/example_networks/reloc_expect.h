/* Host-computed expectations for the blobs of a recorded network header, and the device-side checks. */
#ifndef RELOC_EXPECT_H
#define RELOC_EXPECT_H

#include <stdbool.h>
#include <stdint.h>

#include "ec.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Test phases: 0 is the network init and first inference with every pool at its recorded address;
 * 1 and 2 move the per-inference pools up and then below their first address before another
 * inference init. Network-init pools keep their first address throughout. */
#define RELOC_EXPECT_PHASES 3u

/* One relocatable pool: its base symbol (a pointer the test sets per phase) and its addresses. */
typedef struct {
  const char *name;
  unsigned char **base_symbol;
  bool per_inference;
  ECAddr bases[RELOC_EXPECT_PHASES];
} RelocExpectPool;

/* One relocated program word: its word offset, the pool it moves with, its value in each phase. */
typedef struct {
  uint32_t offset;
  uint32_t pool;
  ECInstr values[RELOC_EXPECT_PHASES];
} RelocExpectWord;

/* One relocatable blob: its constant image, its runtime copy and what the host expects of them. */
typedef struct {
  const char *name;
  const uint64_t *image;
  const uint64_t *runtime;
  uint32_t runtime_elements;     /* 64-bit elements of the runtime copy as the header declares it */
  uint32_t expected_elements;    /* the same count as the host read it */
  uint32_t program_words;        /* P */
  uint32_t image_program_index;  /* 32-bit index in the image of the first program word */
  bool per_inference;            /* whether the inference init relocates it */
  const RelocExpectWord *words;  /* ascending offsets */
  uint32_t num_words;
  uint32_t hashes[RELOC_EXPECT_PHASES]; /* of the whole runtime copy, see reloc_expect_hash */
} RelocExpectBlob;

/* One blob without relocations: its constant array is the program section itself. */
typedef struct {
  const char *name;
  const uint64_t *image;
  uint32_t image_elements;
  uint32_t program_words;
  uint32_t hash; /* of the magic, P and the P words */
} RelocExpectConstBlob;

/* Entry builders for the lists that a generated <net>_reloc_expect.h gives as X-macros; they name
 * the blob header's arrays, so the lists are expanded after the blob header is included. */
#define RELOC_EXPECT_BLOB(blob, elements, program_words, program_index, per_inference, num_words, h0, h1, h2) \
  { #blob, blob##_reloc, blob, (uint32_t)(sizeof(blob) / sizeof(blob[0])), elements, program_words,       \
    program_index, per_inference, blob##_expect_words, num_words, { h0, h1, h2 } },
#define RELOC_EXPECT_CONST_BLOB(blob, program_words, hash) \
  { #blob, blob, (uint32_t)(sizeof(blob) / sizeof(blob[0])), program_words, hash },

/* FNV-1a over the bytes, low byte first, of the first count 32-bit words of an array of 64-bit
 * elements (each element holds two words, low half first); the host generator computes the same. */
uint32_t reloc_expect_hash(const uint64_t *elements, uint32_t count);

/* Points every pool's base symbol at its address of the phase. */
void reloc_expect_set_bases(const RelocExpectPool *pools, uint32_t num_pools, unsigned int phase);

/* Checks a relocatable blob's runtime copy word by word against the phase: the magic, P, every
 * listed word at its host value, every other word equal to the constant image, the unused tail
 * zero, and the hash of the whole copy. Returns whether all held. */
bool reloc_expect_check_blob(const RelocExpectBlob *blob, unsigned int phase);

/* Checks that a blob's constant array is the program section the host read. */
bool reloc_expect_check_const_blob(const RelocExpectConstBlob *blob);

/* Checks the recorded cache calls from index first on: the accelerator-side clean and invalidate of
 * every blob taken (all, or those relocated per inference), then the CPU clean of the same blobs,
 * each over the whole runtime copy. Returns the index after the last checked call. */
unsigned int reloc_expect_check_cache_calls(const RelocExpectBlob *blobs, uint32_t num_blobs,
                                            bool per_inference_only, unsigned int first);

#ifdef __cplusplus
}
#endif

#endif /* RELOC_EXPECT_H */
