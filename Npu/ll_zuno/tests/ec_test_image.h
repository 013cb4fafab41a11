/* Builds EC binary file images by hand for the loader tests, field by field as the writer lays them out. */
#ifndef EC_TEST_IMAGE_H
#define EC_TEST_IMAGE_H

#include <stddef.h>
#include <stdint.h>

#include "ec.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One relocation identifier: its name and the word offsets it relocates. */
typedef struct {
  const char *name;
  const uint32_t *offsets;
  uint32_t num_offsets;
} EcTestReloc;

/* One debug entry: its text and word offset. */
typedef struct {
  const char *text;
  uint32_t word_offset;
} EcTestDebug;

/* Writes the image of a program of num_words words with the given relocations and debug entries
 * (none when their count is 0) into image, which holds capacity 64-bit words. Returns the image's
 * size in bytes, or 0 when it does not fit. */
size_t ec_test_build_image(uint64_t *image, size_t capacity, const ECInstr *words, uint32_t num_words,
                           const EcTestReloc *relocs, uint32_t num_relocs,
                           const EcTestDebug *debug, uint32_t num_debug);

/* Byte offsets of the header fields, for tests that damage an image on purpose. */
#define EC_TEST_RELOC_OFFSET_POS   4u
#define EC_TEST_DEBUG_OFFSET_POS   8u
#define EC_TEST_PROGRAM_OFFSET_POS 12u

/* Reads and writes the 32-bit field at byte offset pos of an image. */
uint32_t ec_test_get_field(const uint64_t *image, size_t pos);
void ec_test_set_field(uint64_t *image, size_t pos, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif /* EC_TEST_IMAGE_H */
