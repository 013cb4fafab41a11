/* Test access to the device-runtime library stand-in: the last error it was told about. */
#ifndef LIB_RECORDER_H
#define LIB_RECORDER_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
  unsigned int count; /* errors reported since the last reset */
  int err;            /* the last one's code, source line and function */
  int line;
  const char *func;
} LibRecorderError;

/* Forgets every reported error. */
void lib_recorder_reset(void);

/* Returns the errors reported since the last reset. */
const LibRecorderError *lib_recorder_error(void);

#ifdef __cplusplus
}
#endif

#endif /* LIB_RECORDER_H */
