/* The recorded face_detection header on the device: every pool is absolute, so every blob stays a
   constant program section, the init functions succeed without touching anything, and the run loop
   runs the declared instance. */
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "blob_loader.h"
#include "face_detection_reloc_expect.h"

#include "face_detection_ecblobs.h"

#include "cache_recorder.h"
#include "network_stubs.h"
#include "runtime_recorder.h"
#include "zuno_check.h"

NETWORK_STUBS(face_detection)
LL_ZUNO_DECLARE_NAMED_NN_INSTANCE_AND_INTERFACE(face_detection)

static const RelocExpectConstBlob constant[] = { face_detection_CONSTANT_BLOBS(RELOC_EXPECT_CONST_BLOB) };
#define NUM_CONSTANT (sizeof(constant) / sizeof(constant[0]))

ZUNO_TEST(face_detection_header_keeps_constant_programs_on_the_device)
{
  ZUNO_CHECK_EQ_U(face_detection_NUM_RELOCATABLE_BLOBS, 0);
  ZUNO_CHECK_EQ_U(face_detection_NUM_POOLS, 0);
  ZUNO_CHECK_EQ_U(NUM_CONSTANT, face_detection_NUM_CONSTANT_BLOBS);
  ZUNO_CHECK(NUM_CONSTANT > 0);

  runtime_recorder_reset(NULL, 0);
  cache_recorder_reset();
  LL_ZUNO_RT_Main(&NN_Instance_face_detection);
  ZUNO_CHECK(runtime_recorder_network_init_result());
  ZUNO_CHECK(runtime_recorder_inference_init_result());
  ZUNO_CHECK_EQ_U(runtime_recorder_count(), 5);
  ZUNO_CHECK_EQ_U(cache_recorder_count(), 0);
  ZUNO_CHECK(LL_ZUNO_EC_Inference_Init_face_detection());
  ZUNO_CHECK_EQ_U(cache_recorder_count(), 0);
  for (size_t i = 0; i < NUM_CONSTANT; ++i) {
    ZUNO_CHECK(reloc_expect_check_const_blob(&constant[i]));
  }
}
