/* Device-runtime library stand-in: tensor element counts and an error reporter that records and prints. */
#include "lib_recorder.h"

#include <stddef.h>
#include <stdio.h>

#include "ll_zuno_probe.h"

static LibRecorderError last_error;

int LL_LIB_TENSOR_ELEMENTS(const LL_LIB_TensorInfo_TypeDef *tensor)
{
  int elements = 1;
  for (unsigned int i = 0; i < tensor->ndims; ++i) {
    elements *= (int)tensor->shape[i];
  }
  return elements;
}

void __ll_lib_error(int err, int line, const char *func)
{
  ++last_error.count;
  last_error.err = err;
  last_error.line = line;
  last_error.func = func;
  printf("LL_LIB error %d at line %d of %s\n", err, line, func);
}

void lib_recorder_reset(void)
{
  LibRecorderError cleared = { 0, 0, 0, NULL };
  last_error = cleared;
}

const LibRecorderError *lib_recorder_error(void)
{
  return &last_error;
}
