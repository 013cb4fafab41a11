/* Bit-field read and write over packed streams of 32-bit words (fields of 0 to 32 bits, may span two words). */
#ifndef LL_ZUNO_BITS_H
#define LL_ZUNO_BITS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Returns the n-bit field at bit position pos of stream, sign-extended from n bits; 0 for n = 0. */
int LL_ZUNO_getbits(const uint32_t *stream, unsigned pos, int n);

/* Stores the low n bits of value in the n-bit field at bit position pos; other bits are unchanged. */
void LL_ZUNO_setbits(uint32_t *stream, unsigned pos, unsigned n, unsigned value);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_BITS_H */
