/* The recorded keyword_spotting header on the device: network init, inference inits with moved pools,
   and the run loop, each checked word by word against what the host computed from the same images. */
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "blob_loader.h"
#include "keyword_spotting_reloc_expect.h"

#include "keyword_spotting_ecblobs.h"

#include "cache_recorder.h"
#include "network_stubs.h"
#include "runtime_recorder.h"
#include "zuno_check.h"

NETWORK_STUBS(keyword_spotting)
LL_ZUNO_DECLARE_NAMED_NN_INSTANCE_AND_INTERFACE(keyword_spotting)

static const RelocExpectBlob relocatable[] = { keyword_spotting_RELOCATABLE_BLOBS(RELOC_EXPECT_BLOB) };
static const RelocExpectConstBlob constant[] = { keyword_spotting_CONSTANT_BLOBS(RELOC_EXPECT_CONST_BLOB) };
#define NUM_RELOCATABLE (sizeof(relocatable) / sizeof(relocatable[0]))
#define NUM_CONSTANT (sizeof(constant) / sizeof(constant[0]))

static bool check_all_blobs(unsigned int phase)
{
  bool ok = true;
  for (size_t i = 0; i < NUM_RELOCATABLE; ++i) {
    ok = reloc_expect_check_blob(&relocatable[i], phase) && ok;
  }
  return ok;
}

/* The network relocates every kind of pool, so the whole sequence is one case. */
ZUNO_TEST(keyword_spotting_header_relocates_every_pool_kind_on_the_device)
{
  ZUNO_CHECK_EQ_U(NUM_RELOCATABLE, keyword_spotting_NUM_RELOCATABLE_BLOBS);
  ZUNO_CHECK(NUM_RELOCATABLE > 0);
  bool per_inference = false;
  bool network_only = false;
  for (size_t i = 0; i < NUM_RELOCATABLE; ++i) {
    per_inference = per_inference || relocatable[i].per_inference;
    network_only = network_only || !relocatable[i].per_inference;
  }
  ZUNO_CHECK(per_inference);
  ZUNO_CHECK(network_only);
  for (size_t i = 0; i < NUM_CONSTANT; ++i) {
    reloc_expect_check_const_blob(&constant[i]);
  }

  /* Network init and the first inference init, called by the runtime through the declared instance. */
  reloc_expect_set_bases(keyword_spotting_POOLS, keyword_spotting_NUM_POOLS, 0);
  runtime_recorder_reset(NULL, 0);
  cache_recorder_reset();
  LL_ZUNO_RT_Main(&NN_Instance_keyword_spotting);
  ZUNO_CHECK(runtime_recorder_network_init_result());
  ZUNO_CHECK(runtime_recorder_inference_init_result());
  ZUNO_CHECK_EQ_U(runtime_recorder_count(), 5);
  ZUNO_CHECK(check_all_blobs(0));
  unsigned int calls = reloc_expect_check_cache_calls(relocatable, NUM_RELOCATABLE, false, 0);
  calls = reloc_expect_check_cache_calls(relocatable, NUM_RELOCATABLE, true, calls);
  ZUNO_CHECK_EQ_U(cache_recorder_count(), calls);

  /* Later inferences with the per-inference pools elsewhere: up, then below the first address. */
  for (unsigned int phase = 1; phase < RELOC_EXPECT_PHASES; ++phase) {
    reloc_expect_set_bases(keyword_spotting_POOLS, keyword_spotting_NUM_POOLS, phase);
    cache_recorder_reset();
    ZUNO_CHECK(LL_ZUNO_EC_Inference_Init_keyword_spotting());
    ZUNO_CHECK(check_all_blobs(phase));
    ZUNO_CHECK_EQ_U(cache_recorder_count(), reloc_expect_check_cache_calls(relocatable, NUM_RELOCATABLE, true, 0));
  }

  /* Unchanged pools leave every word as it is. */
  ZUNO_CHECK(LL_ZUNO_EC_Inference_Init_keyword_spotting());
  ZUNO_CHECK(check_all_blobs(RELOC_EXPECT_PHASES - 1));

  /* Running the network again initialises it again: the fresh copies are relocated as the first time. */
  reloc_expect_set_bases(keyword_spotting_POOLS, keyword_spotting_NUM_POOLS, 0);
  runtime_recorder_reset(NULL, 0);
  LL_ZUNO_RT_Main(&NN_Instance_keyword_spotting);
  ZUNO_CHECK(runtime_recorder_network_init_result());
  ZUNO_CHECK(runtime_recorder_inference_init_result());
  ZUNO_CHECK(check_all_blobs(0));
}
