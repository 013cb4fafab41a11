/* Builds EC binary file images by hand for the loader tests, field by field as the writer lays them out. */
#include "ec_test_image.h"

#include <string.h>

#define HEADER_SIZE 16u
#define SECTION_ALIGN 8u

typedef struct {
  uint8_t *bytes;
  size_t size;
  size_t pos;
  int overflow;
} Writer;

static void put_bytes(Writer *w, const void *data, size_t n)
{
  if (w->pos + n > w->size) {
    w->overflow = 1;
    return;
  }
  memcpy(w->bytes + w->pos, data, n);
  w->pos += n;
}

/* Fields are little-endian; byte by byte so the builder is right on any host. */
static void put_u32(Writer *w, uint32_t value)
{
  uint8_t le[4] = { (uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16), (uint8_t)(value >> 24) };
  put_bytes(w, le, sizeof(le));
}

static void pad_to(Writer *w, size_t alignment)
{
  static const uint8_t zero[SECTION_ALIGN] = { 0 };
  put_bytes(w, zero, (alignment - w->pos % alignment) % alignment);
}

static size_t padded(size_t n)
{
  return (n + SECTION_ALIGN - 1) / SECTION_ALIGN * SECTION_ALIGN;
}

static size_t reloc_section_size(const EcTestReloc *relocs, uint32_t num_relocs)
{
  if (num_relocs == 0) {
    return 0;
  }
  size_t n = 4 + 12 * (size_t)num_relocs;
  for (uint32_t k = 0; k < num_relocs; ++k) {
    n += 4 * (size_t)relocs[k].num_offsets + strlen(relocs[k].name) + 1;
  }
  return padded(n);
}

static size_t debug_section_size(const EcTestDebug *debug, uint32_t num_debug)
{
  if (num_debug == 0) {
    return 0;
  }
  size_t n = 4 + 8 * (size_t)num_debug;
  for (uint32_t i = 0; i < num_debug; ++i) {
    n += strlen(debug[i].text) + 1;
  }
  return padded(n);
}

static void put_reloc_section(Writer *w, const EcTestReloc *relocs, uint32_t num_relocs)
{
  uint32_t array_offset = 4 + 12 * num_relocs;
  uint32_t name_offset = array_offset;
  for (uint32_t k = 0; k < num_relocs; ++k) {
    name_offset += 4 * relocs[k].num_offsets;
  }
  put_u32(w, num_relocs);
  for (uint32_t k = 0; k < num_relocs; ++k) {
    put_u32(w, name_offset);
    put_u32(w, relocs[k].num_offsets);
    put_u32(w, array_offset);
    name_offset += (uint32_t)strlen(relocs[k].name) + 1;
    array_offset += 4 * relocs[k].num_offsets;
  }
  for (uint32_t k = 0; k < num_relocs; ++k) {
    for (uint32_t i = 0; i < relocs[k].num_offsets; ++i) {
      put_u32(w, relocs[k].offsets[i]);
    }
  }
  for (uint32_t k = 0; k < num_relocs; ++k) {
    put_bytes(w, relocs[k].name, strlen(relocs[k].name) + 1);
  }
  pad_to(w, SECTION_ALIGN);
}

static void put_debug_section(Writer *w, const EcTestDebug *debug, uint32_t num_debug)
{
  uint32_t text_offset = 4 + 8 * num_debug;
  put_u32(w, num_debug);
  for (uint32_t i = 0; i < num_debug; ++i) {
    put_u32(w, text_offset);
    put_u32(w, debug[i].word_offset);
    text_offset += (uint32_t)strlen(debug[i].text) + 1;
  }
  for (uint32_t i = 0; i < num_debug; ++i) {
    put_bytes(w, debug[i].text, strlen(debug[i].text) + 1);
  }
  pad_to(w, SECTION_ALIGN);
}

size_t ec_test_build_image(uint64_t *image, size_t capacity, const ECInstr *words, uint32_t num_words,
                           const EcTestReloc *relocs, uint32_t num_relocs,
                           const EcTestDebug *debug, uint32_t num_debug)
{
  size_t reloc_size = reloc_section_size(relocs, num_relocs);
  size_t debug_size = debug_section_size(debug, num_debug);
  uint32_t reloc_offset = num_relocs != 0 ? HEADER_SIZE : 0;
  uint32_t debug_offset = num_debug != 0 ? (uint32_t)(HEADER_SIZE + reloc_size) : 0;
  uint32_t program_offset = (uint32_t)(HEADER_SIZE + reloc_size + debug_size);

  Writer w = { (uint8_t *)image, capacity * sizeof(uint64_t), 0, 0 };
  memset(image, 0, w.size);
  put_u32(&w, ECFORGE_BINARY_MAGIC);
  put_u32(&w, reloc_offset);
  put_u32(&w, debug_offset);
  put_u32(&w, program_offset);
  if (num_relocs != 0) {
    put_reloc_section(&w, relocs, num_relocs);
  }
  if (num_debug != 0) {
    put_debug_section(&w, debug, num_debug);
  }
  put_u32(&w, ECFORGE_PROGRAM_MAGIC);
  put_u32(&w, num_words);
  for (uint32_t i = 0; i < num_words; ++i) {
    put_u32(&w, words[i]);
  }
  return w.overflow ? 0 : w.pos;
}

uint32_t ec_test_get_field(const uint64_t *image, size_t pos)
{
  const uint8_t *b = (const uint8_t *)image + pos;
  return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

void ec_test_set_field(uint64_t *image, size_t pos, uint32_t value)
{
  uint8_t *b = (uint8_t *)image + pos;
  b[0] = (uint8_t)value;
  b[1] = (uint8_t)(value >> 8);
  b[2] = (uint8_t)(value >> 16);
  b[3] = (uint8_t)(value >> 24);
}
