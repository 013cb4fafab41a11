/* Loader checks on hand-built EC binary images: copying, relocation, and damaged images. */
#include <string.h>

#include "blob_loader.h"
#include "ec_test_image.h"
#include "zuno_check.h"

#define IMAGE_WORDS 32u

static const ECInstr kWords[5] = { 0x11, 0x22, 0x33, 0x44, 0x55 };
static const uint32_t kOffsets13[2] = { 1, 3 };

/* The worked example of the file format: 5 words, identifier "a" at word offsets 1 and 3. */
static size_t build_example(uint64_t *image)
{
  EcTestReloc reloc = { "a", kOffsets13, 2 };
  return ec_test_build_image(image, IMAGE_WORDS, kWords, 5, &reloc, 1, NULL, 0);
}

/* Copies the example's program into program (8 words) and returns its table inside the image. */
static const ECFileEntry *load_example(uint64_t *image, uint64_t *program_storage)
{
  build_example(image);
  unsigned int size = 8;
  ZUNO_CHECK(ec_copy_program((const uint8_t *)image, (ECInstr *)program_storage, &size));
  return ec_get_reloc_table_ptr((const uint8_t *)image);
}

ZUNO_TEST(image_builder_matches_worked_example)
{
  static const uint32_t expected[19] = {
    0xECBF0020, 16, 0, 48,                       /* header */
    1, 24, 2, 16, 1, 3, 0x61, 0,                 /* relocation section: N, triple, offsets, "a" */
    0xCA057A7A, 5, 0x11, 0x22, 0x33, 0x44, 0x55, /* program section */
  };
  uint64_t image[IMAGE_WORDS];
  ZUNO_CHECK_EQ_U(build_example(image), 76);
  for (size_t i = 0; i < 19; ++i) {
    ZUNO_CHECK_EQ_U(ec_test_get_field(image, 4 * i), expected[i]);
  }
}

ZUNO_TEST(copy_program_reports_size_checks_space_and_alignment)
{
  uint64_t image[IMAGE_WORDS];
  build_example(image);
  const uint8_t *file = (const uint8_t *)image;
  unsigned int size = 0;
  ZUNO_CHECK(ec_copy_program(file, NULL, &size));
  ZUNO_CHECK_EQ_U(size, 7);
  ZUNO_CHECK(ec_copy_program(file, NULL, NULL));

  uint64_t storage[5] = { 0 };
  ECInstr *program = (ECInstr *)storage;
  size = 6;
  ZUNO_CHECK(!ec_copy_program(file, program, &size));
  ZUNO_CHECK_EQ_U(program[0], 0);
  ZUNO_CHECK(!ec_copy_program(file, program + 1, &size));
  ZUNO_CHECK(!ec_copy_program(file, program, NULL));

  size = 7;
  uint64_t big[4];
  ECInstr *loaded = (ECInstr *)big;
  ZUNO_CHECK(ec_copy_program(file, loaded, &size));
  ZUNO_CHECK_EQ_U(loaded[0], ECFORGE_PROGRAM_MAGIC);
  ZUNO_CHECK_EQ_U(loaded[1], 5);
  ZUNO_CHECK(memcmp(loaded + 2, kWords, sizeof(kWords)) == 0);
}

ZUNO_TEST(copy_program_rejects_damaged_headers)
{
  uint64_t image[IMAGE_WORDS];
  uint64_t storage[8] = { 0 };
  unsigned int size = 16;

  build_example(image);
  ec_test_set_field(image, 0, 0xECBF0021);
  ZUNO_CHECK(!ec_copy_program((const uint8_t *)image, (ECInstr *)storage, &size));

  build_example(image);
  ec_test_set_field(image, EC_TEST_PROGRAM_OFFSET_POS, 0);
  ZUNO_CHECK(!ec_copy_program((const uint8_t *)image, (ECInstr *)storage, &size));

  build_example(image);
  ec_test_set_field(image, 48, 0xCA057A7B);
  ZUNO_CHECK(!ec_copy_program((const uint8_t *)image, (ECInstr *)storage, &size));

  /* A size word whose needed count cannot be represented must not wrap into a small one. */
  build_example(image);
  ec_test_set_field(image, 52, 0xFFFFFFFF);
  size = 16;
  ZUNO_CHECK(!ec_copy_program((const uint8_t *)image, NULL, &size));
  ZUNO_CHECK_EQ_U(size, 16);
  ZUNO_CHECK(!ec_copy_program((const uint8_t *)image, (ECInstr *)storage, &size));
  ZUNO_CHECK_EQ_U(storage[0], 0);
}

ZUNO_TEST(reloc_moves_words_between_bases)
{
  uint64_t image[IMAGE_WORDS];
  uint64_t storage[4];
  const ECFileEntry *table = load_example(image, storage);
  ECInstr *program = (ECInstr *)storage;
  ZUNO_CHECK(table != NULL);
  ZUNO_CHECK_EQ_U(ec_get_num_relocs(table), 1);
  ZUNO_CHECK_STR(ec_get_reloc_id(table, 0), "a");
  ZUNO_CHECK(ec_get_reloc_id(table, 1) == NULL);
  ZUNO_CHECK_EQ_U(ec_get_num_relocs(NULL), 0);
  ZUNO_CHECK(ec_get_reloc_id(NULL, 0) == NULL);

  ECAddr prev = 0;
  ZUNO_CHECK(ec_reloc(table, program, 0, 0x20000000, &prev));
  ZUNO_CHECK_EQ_U(prev, 0x20000000);
  ZUNO_CHECK_EQ_U(program[2], 0x11);
  ZUNO_CHECK_EQ_U(program[3], 0x20000022);
  ZUNO_CHECK_EQ_U(program[4], 0x33);
  ZUNO_CHECK_EQ_U(program[5], 0x20000044);
  ZUNO_CHECK_EQ_U(program[6], 0x55);

  ZUNO_CHECK(ec_reloc(table, program, 0, 0x20001000, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x20001022);
  ZUNO_CHECK_EQ_U(program[5], 0x20001044);
  ZUNO_CHECK_EQ_U(prev, 0x20001000);

  ZUNO_CHECK(ec_reloc(table, program, 0, 0x20001000, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x20001022);

  /* A lower base subtracts, modulo 2^32. */
  ZUNO_CHECK(ec_reloc(table, program, 0, 0x10, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x32);
  ZUNO_CHECK(ec_reloc(table, program, 0, 0, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x22);
  ZUNO_CHECK(ec_reloc_by_id(table, program, "a", 0xFFFFFFF0u, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x12);
  ZUNO_CHECK_EQ_U(program[5], 0x34);
}

ZUNO_TEST(reloc_rejects_bad_arguments_without_changes)
{
  uint64_t image[IMAGE_WORDS];
  uint64_t storage[4];
  const ECFileEntry *table = load_example(image, storage);
  ECInstr *program = (ECInstr *)storage;
  ECAddr prev = 0x100;

  ZUNO_CHECK(!ec_reloc(NULL, program, 0, 0x200, &prev));
  ZUNO_CHECK(!ec_reloc(table, NULL, 0, 0x200, &prev));
  ZUNO_CHECK(!ec_reloc(table, program, 0, 0x200, NULL));
  ZUNO_CHECK(!ec_reloc(table, program, 1, 0x200, &prev));
  ZUNO_CHECK(!ec_reloc(table, program, 1, 0x100, &prev));
  ZUNO_CHECK(!ec_reloc_by_id(NULL, program, "a", 0x200, &prev));
  ZUNO_CHECK(!ec_reloc_by_id(table, program, NULL, 0x200, &prev));
  ZUNO_CHECK(!ec_reloc_by_id(table, program, "b", 0x200, &prev));
  ZUNO_CHECK_EQ_U(prev, 0x100);
  ZUNO_CHECK_EQ_U(program[3], 0x22);
  ZUNO_CHECK_EQ_U(program[5], 0x44);
}

ZUNO_TEST(reloc_by_id_patches_first_entry_of_a_name)
{
  static const uint32_t offsets0[1] = { 0 };
  static const uint32_t offsets4[1] = { 4 };
  EcTestReloc relocs[2] = { { "pool", offsets0, 1 }, { "pool", offsets4, 1 } };
  uint64_t image[IMAGE_WORDS];
  ZUNO_CHECK(ec_test_build_image(image, IMAGE_WORDS, kWords, 5, relocs, 2, NULL, 0) != 0);
  uint64_t storage[4];
  unsigned int size = 8;
  ECInstr *program = (ECInstr *)storage;
  ZUNO_CHECK(ec_copy_program((const uint8_t *)image, program, &size));
  const ECFileEntry *table = ec_get_reloc_table_ptr((const uint8_t *)image);
  ECAddr prev = 0;
  ZUNO_CHECK(ec_reloc_by_id(table, program, "pool", 0x1000, &prev));
  ZUNO_CHECK_EQ_U(program[2], 0x1011);
  ZUNO_CHECK_EQ_U(program[6], 0x55);
}

ZUNO_TEST(copy_reloc_table_bounds_its_section)
{
  static const EcTestDebug debug[1] = { { "epoch 0", 2 } };
  EcTestReloc reloc = { "a", kOffsets13, 2 };
  uint64_t image[IMAGE_WORDS];
  ECFileEntry table[16];
  unsigned int size = 0;

  build_example(image);
  ZUNO_CHECK(ec_copy_reloc_table((const uint8_t *)image, NULL, &size));
  ZUNO_CHECK_EQ_U(size, 8);
  size = 7;
  ZUNO_CHECK(!ec_copy_reloc_table((const uint8_t *)image, table, &size));
  ZUNO_CHECK(!ec_copy_reloc_table((const uint8_t *)image, table, NULL));
  ZUNO_CHECK(!ec_copy_reloc_table((const uint8_t *)image, (ECFileEntry *)((uint8_t *)table + 2), &size));
  size = 16;
  memset(table, 0xEE, sizeof(table));
  ZUNO_CHECK(ec_copy_reloc_table((const uint8_t *)image, table, &size));
  ZUNO_CHECK(memcmp(table, (const uint8_t *)image + 16, 32) == 0);
  ZUNO_CHECK_EQ_U(table[8], 0xEEEEEEEE);

  /* With a debug section the relocation section ends where the debug section starts. */
  ZUNO_CHECK(ec_test_build_image(image, IMAGE_WORDS, kWords, 5, &reloc, 1, debug, 1) != 0);
  ZUNO_CHECK_EQ_U(ec_test_get_field(image, EC_TEST_DEBUG_OFFSET_POS), 48);
  ZUNO_CHECK(ec_copy_reloc_table((const uint8_t *)image, NULL, &size));
  ZUNO_CHECK_EQ_U(size, 8);

  ZUNO_CHECK(ec_test_build_image(image, IMAGE_WORDS, kWords, 5, NULL, 0, NULL, 0) != 0);
  ZUNO_CHECK(!ec_copy_reloc_table((const uint8_t *)image, NULL, &size));
  ZUNO_CHECK(ec_get_reloc_table_ptr((const uint8_t *)image) == NULL);

  /* A section whose byte size is not a multiple of 4. */
  build_example(image);
  ec_test_set_field(image, EC_TEST_DEBUG_OFFSET_POS, 46);
  ZUNO_CHECK(!ec_copy_reloc_table((const uint8_t *)image, NULL, &size));
}

ZUNO_TEST(damaged_relocation_tables_are_refused)
{
  uint64_t image[IMAGE_WORDS];
  unsigned int size = 0;
  const uint8_t *file = (const uint8_t *)image;

  /* Section that ends before it starts, or starts inside the file header. */
  build_example(image);
  ec_test_set_field(image, EC_TEST_DEBUG_OFFSET_POS, 8);
  ZUNO_CHECK(!ec_copy_reloc_table(file, NULL, &size));
  ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);
  build_example(image);
  ec_test_set_field(image, EC_TEST_RELOC_OFFSET_POS, 8);
  ZUNO_CHECK(!ec_copy_reloc_table(file, NULL, &size));
  ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);

  /* More entries than the section holds. */
  build_example(image);
  ec_test_set_field(image, 16, 3);
  ZUNO_CHECK(!ec_copy_reloc_table(file, NULL, &size));
  ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);

  /* Offsets array inside the entries, misaligned, or running past the section. */
  static const uint32_t bad_array_offsets[3] = { 4, 18, 28 };
  for (size_t i = 0; i < 3; ++i) {
    build_example(image);
    ec_test_set_field(image, 16 + 12, bad_array_offsets[i]);
    ZUNO_CHECK(!ec_copy_reloc_table(file, NULL, &size));
    ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);
  }

  /* Name inside the entries, past the section, or without its terminating zero in the section. */
  static const uint32_t bad_name_offsets[2] = { 8, 32 };
  for (size_t i = 0; i < 2; ++i) {
    build_example(image);
    ec_test_set_field(image, 16 + 4, bad_name_offsets[i]);
    ZUNO_CHECK(!ec_copy_reloc_table(file, NULL, &size));
    ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);
  }
  build_example(image);
  ec_test_set_field(image, 16 + 24, 0x61616161);
  ec_test_set_field(image, 16 + 28, 0x61616161);
  ZUNO_CHECK(ec_get_reloc_table_ptr(file) == NULL);
}

ZUNO_TEST(reloc_checks_table_entries_against_the_program)
{
  uint64_t image[IMAGE_WORDS];
  uint64_t storage[4];
  load_example(image, storage);
  ECInstr *program = (ECInstr *)storage;
  ECFileEntry table[8];
  unsigned int size = 8;
  ZUNO_CHECK(ec_copy_reloc_table((const uint8_t *)image, table, &size));
  ECAddr prev = 0;

  /* A word offset at the program size: nothing changes, not even the words before it. */
  table[5] = 5;
  ZUNO_CHECK(!ec_reloc(table, program, 0, 0x1000, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x22);
  ZUNO_CHECK_EQ_U(prev, 0);
  table[5] = 4;
  ZUNO_CHECK(ec_reloc(table, program, 0, 0x1000, &prev));
  ZUNO_CHECK_EQ_U(program[3], 0x1022);
  ZUNO_CHECK_EQ_U(program[6], 0x1055);

  /* An offsets array that starts inside the entries, or is not word aligned. */
  table[3] = 12;
  ZUNO_CHECK(!ec_reloc(table, program, 0, 0x2000, &prev));
  ZUNO_CHECK(!ec_reloc_by_id(table, program, "a", 0x2000, &prev));
  table[3] = 18;
  ZUNO_CHECK(!ec_reloc(table, program, 0, 0x2000, &prev));
  table[3] = 16;

  /* More words than the program holds. */
  table[2] = 6;
  ZUNO_CHECK(!ec_reloc(table, program, 0, 0x2000, &prev));
  table[2] = 2;

  /* A name that starts inside the entries. */
  table[1] = 4;
  ZUNO_CHECK(ec_get_reloc_id(table, 0) == NULL);
  ZUNO_CHECK(!ec_reloc_by_id(table, program, "a", 0x2000, &prev));
  ZUNO_CHECK_EQ_U(prev, 0x1000);
  ZUNO_CHECK_EQ_U(program[3], 0x1022);
}
