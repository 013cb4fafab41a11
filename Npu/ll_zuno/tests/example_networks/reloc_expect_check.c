/* Device-side checks of recorded blobs against the expectations the host computed from the same images. */
#include "reloc_expect.h"

#include <stdio.h>
#include <string.h>

#include "cache_recorder.h"
#include "zuno_check.h"

/* Mismatching words printed per blob and phase; the rest only count. */
#define MAX_REPORTED_WORDS 8u

/* Word i of an array of 64-bit elements, which hold their two 32-bit fields low half first. */
static ECInstr field_at(const uint64_t *elements, uint32_t i)
{
  return (ECInstr)(elements[i / 2u] >> (32u * (i % 2u)));
}

uint32_t reloc_expect_hash(const uint64_t *elements, uint32_t count)
{
  uint32_t hash = 2166136261u;
  for (uint32_t i = 0; i < count; ++i) {
    const ECInstr word = field_at(elements, i);
    for (unsigned int shift = 0; shift < 32u; shift += 8u) {
      hash = (hash ^ ((word >> shift) & 0xFFu)) * 16777619u;
    }
  }
  return hash;
}

void reloc_expect_set_bases(const RelocExpectPool *pools, uint32_t num_pools, unsigned int phase)
{
  for (uint32_t i = 0; i < num_pools; ++i) {
    *pools[i].base_symbol = (unsigned char *)(uintptr_t)pools[i].bases[phase];
  }
}

static bool report_word(const RelocExpectBlob *blob, unsigned int phase, uint32_t index, ECInstr actual,
                        ECInstr expected, unsigned int *reported)
{
  if (actual == expected) {
    return true;
  }
  if (*reported < MAX_REPORTED_WORDS) {
    printf("%s phase %u: runtime word %lu is 0x%08lx, expected 0x%08lx\n", blob->name, phase,
           (unsigned long)index, (unsigned long)actual, (unsigned long)expected);
  }
  ++*reported;
  return false;
}

bool reloc_expect_check_blob(const RelocExpectBlob *blob, unsigned int phase)
{
  if (!ZUNO_CHECK_EQ_U(blob->runtime_elements, blob->expected_elements) ||
      !ZUNO_CHECK(blob->program_words + 2u <= 2u * blob->runtime_elements)) {
    return false;
  }
  /* The host located the program section; the image must agree before its words serve as reference. */
  if (!ZUNO_CHECK_EQ_U(field_at(blob->image, blob->image_program_index - 2u), ECFORGE_PROGRAM_MAGIC) ||
      !ZUNO_CHECK_EQ_U(field_at(blob->image, blob->image_program_index - 1u), blob->program_words)) {
    return false;
  }
  const uint32_t num_runtime_words = 2u * blob->runtime_elements;
  unsigned int mismatches = 0;
  uint32_t next = 0;
  for (uint32_t i = 0; i < num_runtime_words; ++i) {
    const ECInstr actual = field_at(blob->runtime, i);
    ECInstr expected = 0;
    if (i == 0) {
      expected = ECFORGE_PROGRAM_MAGIC;
    } else if (i == 1) {
      expected = blob->program_words;
    } else if (i < blob->program_words + 2u) {
      const uint32_t offset = i - 2u;
      if (next < blob->num_words && blob->words[next].offset == offset) {
        expected = blob->words[next].values[phase];
        ++next;
      } else {
        expected = field_at(blob->image, blob->image_program_index + offset);
      }
    }
    report_word(blob, phase, i, actual, expected, &mismatches);
  }
  bool ok = ZUNO_CHECK_EQ_U(next, blob->num_words);
  if (mismatches != 0) {
    printf("%s phase %u: %u of %lu runtime words differ\n", blob->name, phase, mismatches,
           (unsigned long)num_runtime_words);
  }
  ok = ZUNO_CHECK_EQ_U(mismatches, 0) && ok;
  return ZUNO_CHECK_EQ_U(reloc_expect_hash(blob->runtime, num_runtime_words),
                         blob->hashes[phase]) && ok;
}

bool reloc_expect_check_const_blob(const RelocExpectConstBlob *blob)
{
  const uint32_t num_words = blob->program_words + 2u;
  if (!ZUNO_CHECK(num_words <= 2u * blob->image_elements)) {
    printf("%s: %lu words do not fit its %lu elements\n", blob->name, (unsigned long)num_words,
           (unsigned long)blob->image_elements);
    return false;
  }
  bool ok = ZUNO_CHECK_EQ_U(field_at(blob->image, 0), ECFORGE_PROGRAM_MAGIC);
  ok = ZUNO_CHECK_EQ_U(field_at(blob->image, 1), blob->program_words) && ok;
  ok = ZUNO_CHECK_EQ_U(reloc_expect_hash(blob->image, num_words), blob->hash) && ok;
  if (!ok) {
    printf("%s: constant program section differs from the host's\n", blob->name);
  }
  return ok;
}

static unsigned int check_cache_pass(const RelocExpectBlob *blobs, uint32_t num_blobs, bool per_inference_only,
                                     CacheRecorderOp op, unsigned int index)
{
  for (uint32_t b = 0; b < num_blobs; ++b) {
    if (per_inference_only && !blobs[b].per_inference) {
      continue;
    }
    const CacheRecorderCall *call = cache_recorder_call(index);
    if (ZUNO_CHECK(call != NULL)) {
      ZUNO_CHECK_EQ_U(call->op, op);
      ZUNO_CHECK(call->addr == (uintptr_t)blobs[b].runtime);
      ZUNO_CHECK_EQ_U(call->size, 8u * blobs[b].expected_elements);
    }
    ++index;
  }
  return index;
}

unsigned int reloc_expect_check_cache_calls(const RelocExpectBlob *blobs, uint32_t num_blobs,
                                            bool per_inference_only, unsigned int first)
{
  unsigned int index = check_cache_pass(blobs, num_blobs, per_inference_only, CACHE_OP_NPU_CLEAN_INVALIDATE, first);
  return check_cache_pass(blobs, num_blobs, per_inference_only, CACHE_OP_MCU_CLEAN, index);
}
