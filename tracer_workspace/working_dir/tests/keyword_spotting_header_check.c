/* Compiles the recorded keyword_spotting header (as C11 or C++17) and runs its init functions with the
   loader: every relocated word moves by the base address of a pool, and nothing else changes. */
#include <stdio.h>
#include <string.h>

#include "blob_loader.h"
#include "cache_recorder.h"

/* Device addresses of the memory pools; only their addresses matter here. */
unsigned char _mem_pool_AXISRAM1_keyword_spotting[64];
unsigned char _mem_pool_AXISRAM2_keyword_spotting[64];
unsigned char _mem_pool_in_0_keyword_spotting[64];
unsigned char _mem_pool_out_0_keyword_spotting[64];

#include "keyword_spotting_ecblobs.h"

static int failures;

#define CHECK(cond)                                                      \
  do {                                                                   \
    if (!(cond)) {                                                       \
      printf("%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);    \
      failures++;                                                        \
    }                                                                    \
  } while (0)

static int is_pool_base(uint32_t delta)
{
  const unsigned char *pools[] = { _mem_pool_AXISRAM1_keyword_spotting, _mem_pool_AXISRAM2_keyword_spotting,
                                   _mem_pool_in_0_keyword_spotting, _mem_pool_out_0_keyword_spotting };
  for (size_t i = 0; i < sizeof(pools) / sizeof(pools[0]); i++) {
    if (delta == (uint32_t)(uintptr_t)pools[i]) {
      return 1;
    }
  }
  return 0;
}

/* Compares the relocated runtime copy of a blob with an unpatched copy of its program; returns the
   number of relocated words. */
static unsigned relocated_words(const char *name, const uint64_t *image, const uint64_t *runtime,
                                size_t runtime_elements)
{
  static ECInstr plain[8192];
  static ECInstr patched[8192];
  unsigned int size = (unsigned int)(sizeof(plain) / sizeof(plain[0]));
  if (2u * runtime_elements > size || !ec_copy_program((const uint8_t *)image, plain, &size)) {
    printf("%s: program cannot be copied for comparison\n", name);
    failures++;
    return 0;
  }
  memcpy(patched, runtime, runtime_elements * sizeof(uint64_t));
  const unsigned int words = plain[1] + 2u;
  if (words > 2u * runtime_elements) {
    printf("%s: %u words do not fit the %u-element runtime copy\n", name, words, (unsigned)runtime_elements);
    failures++;
    return 0;
  }
  unsigned moved = 0;
  for (unsigned int i = 0; i < words; i++) {
    if (patched[i] != plain[i]) {
      if (!is_pool_base(patched[i] - plain[i])) {
        printf("%s: word %u is 0x%08x, was 0x%08x\n", name, i, (unsigned)patched[i], (unsigned)plain[i]);
        failures++;
      }
      moved++;
    }
  }
  return moved;
}

#define RELOCATED(blob) \
  relocated_words(#blob, blob##_reloc, (const uint64_t *)blob, sizeof(blob) / sizeof(blob[0]))

int main(void)
{
  CHECK(LL_ZUNO_EC_Network_Init_keyword_spotting());
  CHECK(LL_ZUNO_EC_Inference_Init_keyword_spotting());

  /* Blob 1 relocates per inference only, 3 both ways, 6 at network init only, 12 per inference only;
     blob 10 has no relocation and stays a constant program section. */
  CHECK(RELOCATED(_ec_blob_1) > 0u);
  CHECK(RELOCATED(_ec_blob_3) > 0u);
  CHECK(RELOCATED(_ec_blob_6) > 0u);
  CHECK(RELOCATED(_ec_blob_12) > 0u);
  CHECK((uint32_t)(_ec_blob_10[0] & 0xFFFFFFFFu) == ECFORGE_PROGRAM_MAGIC);

  /* Re-applying the per-inference relocations with unchanged pools leaves the programs as they are. */
  uint64_t before[sizeof(_ec_blob_3) / sizeof(_ec_blob_3[0])];
  memcpy(before, _ec_blob_3, sizeof(before));
  CHECK(LL_ZUNO_EC_Inference_Init_keyword_spotting());
  CHECK(memcmp(before, _ec_blob_3, sizeof(before)) == 0);

  if (failures != 0) {
    printf("%d checks failed\n", failures);
    return 1;
  }
  printf("keyword_spotting header: relocatable blobs copied and relocated\n");
  return 0;
}
