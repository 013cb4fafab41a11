/* Takes over the C library's assertion report so that tests can check an assertion and go on. */
#include <setjmp.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zuno_check.h"

#if defined(__NEWLIB__) || defined(__GLIBC__)
#define ZUNO_ASSERT_CAPTURE 1
#else
#define ZUNO_ASSERT_CAPTURE 0
#endif

#if ZUNO_ASSERT_CAPTURE

static jmp_buf capture_point;
static volatile bool capturing;
static ZunoAssertReport captured;

static const char *base_name(const char *path)
{
  const char *slash = strrchr(path, '/');
  return slash != NULL ? slash + 1 : path;
}

__attribute__((noreturn)) static void assertion_failed(const char *expr, const char *file, int line,
                                                       const char *func)
{
  if (!capturing) {
    printf("assertion \"%s\" failed: file \"%s\", line %d, function: %s\n", expr, file, line, func);
    abort();
  }
  capturing = false;
  captured.expr = expr;
  captured.file = base_name(file);
  captured.line = line;
  captured.func = func;
  longjmp(capture_point, 1);
}

#if defined(__NEWLIB__)
/* newlib's assert reports through this function. */
__attribute__((noreturn)) void __assert_func(const char *file, int line, const char *func,
                                             const char *failedexpr);
void __assert_func(const char *file, int line, const char *func, const char *failedexpr)
{
  assertion_failed(failedexpr, file, line, func);
}
#else
/* glibc's assert reports through this function. */
__attribute__((noreturn)) void __assert_fail(const char *assertion, const char *file,
                                             unsigned int line, const char *function);
void __assert_fail(const char *assertion, const char *file, unsigned int line, const char *function)
{
  assertion_failed(assertion, file, (int)line, function);
}
#endif

bool zuno_expect_assert(void (*call)(void *), void *arg, ZunoAssertReport *report)
{
  if (setjmp(capture_point) != 0) {
    *report = captured;
    return true;
  }
  capturing = true;
  call(arg);
  capturing = false;
  return false;
}

bool zuno_assert_capture_available(void)
{
  return true;
}

#else

bool zuno_expect_assert(void (*call)(void *), void *arg, ZunoAssertReport *report)
{
  (void)call;
  (void)arg;
  (void)report;
  return false;
}

bool zuno_assert_capture_available(void)
{
  return false;
}

#endif
