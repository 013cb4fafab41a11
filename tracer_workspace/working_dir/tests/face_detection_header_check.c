/* Compiles the recorded face_detection header (as C11 or C++17) and checks its arrays and init functions. */
#include <stdio.h>
#include <string.h>

#include "blob_loader.h"
#include "cache_recorder.h"

#include "face_detection_ecblobs.h"

#define CHECK(cond)                                                      \
  do {                                                                   \
    if (!(cond)) {                                                       \
      printf("%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);    \
      failures++;                                                        \
    }                                                                    \
  } while (0)

static int failures;

/* A header-less blob array is the program section: magic, word count, program words. */
static void check_program_section(const char *name, const uint64_t *image, size_t elements)
{
  const uint32_t magic = (uint32_t)(image[0] & 0xFFFFFFFFu);
  const uint32_t words = (uint32_t)(image[0] >> 32);
  if (magic != ECFORGE_PROGRAM_MAGIC || (words + 2u + 1u) / 2u != elements) {
    printf("%s: magic 0x%08x, %u words in %u elements\n", name, (unsigned)magic, (unsigned)words,
           (unsigned)elements);
    failures++;
  }
}

#define CHECK_BLOB(array) check_program_section(#array, array, sizeof(array) / sizeof(array[0]))

int main(void)
{
  CHECK_BLOB(_ec_blob_1);
  CHECK_BLOB(_ec_blob_3);
  CHECK_BLOB(_ec_blob_64);
  CHECK_BLOB(_ec_blob_69);
  CHECK_BLOB(_ec_blob_74);
  CHECK_BLOB(_ec_blob_80);
  CHECK_BLOB(_ec_blob_83);
  CHECK_BLOB(_ec_blob_86);

  /* Without relocatable blobs both functions succeed without touching a cache. */
  cache_recorder_reset();
  CHECK(LL_ZUNO_EC_Network_Init_face_detection());
  CHECK(LL_ZUNO_EC_Inference_Init_face_detection());
  CHECK(cache_recorder_count() == 0u);

  if (failures != 0) {
    printf("%d checks failed\n", failures);
    return 1;
  }
  printf("face_detection header: 8 program sections, init functions succeed\n");
  return 0;
}
