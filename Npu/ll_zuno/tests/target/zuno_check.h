/* Tiny check harness for plain C tests that run as device firmware and as host programs. */
#ifndef ZUNO_CHECK_H
#define ZUNO_CHECK_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*ZunoTestFunc)(void);

/* Defines a test case; every case of the program runs once, from the harness's main. */
#define ZUNO_TEST(name)                                                  \
  static void name(void);                                                \
  __attribute__((constructor)) static void name##_register(void)        \
  {                                                                      \
    zuno_check_register(#name, name);                                    \
  }                                                                      \
  static void name(void)

/* Each check counts one pass or one failure; a failure prints its place and expression. */
#define ZUNO_CHECK(cond) zuno_check_true((cond) ? true : false, #cond, __FILE__, __LINE__)
#define ZUNO_CHECK_EQ_U(actual, expected)                                                   \
  zuno_check_eq_u((uint64_t)(actual), (uint64_t)(expected), #actual, #expected, __FILE__, __LINE__)
#define ZUNO_CHECK_EQ_I(actual, expected)                                                   \
  zuno_check_eq_i((int64_t)(actual), (int64_t)(expected), #actual, #expected, __FILE__, __LINE__)
#define ZUNO_CHECK_STR(actual, expected) \
  zuno_check_str((actual), (expected), #actual, __FILE__, __LINE__)

void zuno_check_register(const char *name, ZunoTestFunc func);
bool zuno_check_true(bool ok, const char *expr, const char *file, int line);
bool zuno_check_eq_u(uint64_t actual, uint64_t expected, const char *actual_expr,
                     const char *expected_expr, const char *file, int line);
bool zuno_check_eq_i(int64_t actual, int64_t expected, const char *actual_expr,
                     const char *expected_expr, const char *file, int line);
bool zuno_check_str(const char *actual, const char *expected, const char *actual_expr,
                    const char *file, int line);

/* What a failed assertion reported: expression, file name without its folders, line, function. */
typedef struct {
  const char *expr;
  const char *file;
  int line;
  const char *func;
} ZunoAssertReport;

/* Runs call(arg) and returns true when it stopped in a failed assertion, whose report is then
 * stored in *report; returns false when call returned normally. Only available where the harness
 * can take over the C library's assertion report (newlib and glibc); elsewhere the call is not made
 * and false is returned. */
bool zuno_expect_assert(void (*call)(void *), void *arg, ZunoAssertReport *report);

/* Whether zuno_expect_assert can catch assertions on this platform. */
bool zuno_assert_capture_available(void);

#ifdef __cplusplus
}
#endif

#endif /* ZUNO_CHECK_H */
