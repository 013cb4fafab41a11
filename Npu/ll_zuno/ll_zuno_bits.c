/* Bit-field read and write over packed streams: bit p is bit p mod 32 of word p / 32. */
#include "ll_zuno_bits.h"

/* Mask of the low n bits, 1 <= n <= 32. */
static uint32_t low_mask(unsigned n)
{
  return 0xFFFFFFFFu >> (32u - n);
}

int LL_ZUNO_getbits(const uint32_t *stream, unsigned pos, int n)
{
  if (n <= 0) {
    return 0;
  }
  unsigned width = (n > 32) ? 32u : (unsigned)n; /* a field never exceeds one word */
  uint32_t mask = low_mask(width);
  unsigned word = pos / 32u;
  unsigned shift = pos % 32u;
  uint32_t v = (stream[word] >> shift) & mask;
  if (shift + width > 32u) {
    /* The high part of the field is the bottom of the next word. */
    unsigned r = (pos + width) % 32u;
    v |= (stream[word + 1u] & low_mask(r)) << (width - r);
  }
  if ((v >> (width - 1u)) & 1u) {
    v |= ~mask;
  }
  return (int)(int32_t)v;
}

void LL_ZUNO_setbits(uint32_t *stream, unsigned pos, unsigned n, unsigned value)
{
  if (n == 0u) {
    return;
  }
  unsigned width = (n > 32u) ? 32u : n; /* a field never exceeds one word */
  uint32_t mask = low_mask(width);
  uint32_t x = (uint32_t)value & mask;
  unsigned word = pos / 32u;
  unsigned shift = pos % 32u;
  stream[word] = (stream[word] & ~(mask << shift)) | (x << shift);
  if (shift + width > 32u) {
    unsigned r = (pos + width) % 32u;
    stream[word + 1u] = (stream[word + 1u] & ~low_mask(r)) | (x >> (width - r));
  }
}
