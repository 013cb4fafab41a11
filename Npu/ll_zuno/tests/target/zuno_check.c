/* Check harness: registered test cases, pass and failure counts, and main with the closing line. */
#include "zuno_check.h"

#include <stdio.h>
#include <string.h>

#define ZUNO_MAX_TESTS 128u

typedef struct {
  const char *name;
  ZunoTestFunc func;
} ZunoTestCase;

static ZunoTestCase tests[ZUNO_MAX_TESTS];
static unsigned int num_tests;
static unsigned int num_unregistered;
static unsigned int num_passed;
static unsigned int num_failed;
static const char *current_test = "";

void zuno_check_register(const char *name, ZunoTestFunc func)
{
  if (num_tests == ZUNO_MAX_TESTS) {
    ++num_unregistered;
    return;
  }
  ZunoTestCase test = { name, func };
  tests[num_tests++] = test;
}

static bool count(bool ok)
{
  if (ok) {
    ++num_passed;
  } else {
    ++num_failed;
  }
  return ok;
}

bool zuno_check_true(bool ok, const char *expr, const char *file, int line)
{
  if (!ok) {
    printf("FAIL %s (%s:%d): %s\n", current_test, file, line, expr);
  }
  return count(ok);
}

bool zuno_check_eq_u(uint64_t actual, uint64_t expected, const char *actual_expr,
                     const char *expected_expr, const char *file, int line)
{
  bool ok = actual == expected;
  if (!ok) {
    printf("FAIL %s (%s:%d): %s == %s: got 0x%llx, expected 0x%llx\n", current_test, file, line,
           actual_expr, expected_expr, (unsigned long long)actual, (unsigned long long)expected);
  }
  return count(ok);
}

bool zuno_check_eq_i(int64_t actual, int64_t expected, const char *actual_expr,
                     const char *expected_expr, const char *file, int line)
{
  bool ok = actual == expected;
  if (!ok) {
    printf("FAIL %s (%s:%d): %s == %s: got %lld, expected %lld\n", current_test, file, line,
           actual_expr, expected_expr, (long long)actual, (long long)expected);
  }
  return count(ok);
}

bool zuno_check_str(const char *actual, const char *expected, const char *actual_expr,
                    const char *file, int line)
{
  bool ok = actual != NULL && strcmp(actual, expected) == 0;
  if (!ok) {
    printf("FAIL %s (%s:%d): %s: got \"%s\", expected \"%s\"\n", current_test, file, line,
           actual_expr, actual != NULL ? actual : "(null)", expected);
  }
  return count(ok);
}

int main(void)
{
  if (num_unregistered != 0) {
    printf("FAIL: %u test cases beyond the harness's %u were not run\n", num_unregistered, ZUNO_MAX_TESTS);
    num_failed += num_unregistered;
  }
  for (unsigned int i = 0; i < num_tests; ++i) {
    unsigned int failed_before = num_failed;
    current_test = tests[i].name;
    printf("[ RUN  ] %s\n", current_test);
    tests[i].func();
    printf("[ %s ] %s\n", num_failed == failed_before ? " OK " : "FAIL", current_test);
  }
  printf("%u passed, %u failed\n", num_passed, num_failed);
  return num_failed == 0 && num_passed > 0 ? 0 : 1;
}
