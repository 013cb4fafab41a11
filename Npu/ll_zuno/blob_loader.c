/* EC program loader: copies EC programs out of their binary images and patches their relocations. */
#include "blob_loader.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

/* Byte offsets of the file header fields; every field is one little-endian ECFileEntry. */
#define EC_FILE_MAGIC_POS          0u
#define EC_FILE_RELOC_OFFSET_POS   4u
#define EC_FILE_DEBUG_OFFSET_POS   8u
#define EC_FILE_PROGRAM_OFFSET_POS 12u
#define EC_FILE_HEADER_SIZE        16u

/* Program section, also the layout of a loaded program: magic, size word, program words. */
#define EC_PROGRAM_MAGIC_IDX 0u
#define EC_PROGRAM_SIZE_IDX  1u
#define EC_PROGRAM_WORDS_IDX 2u
/* Only the low 30 bits of the size word count words; the writer never sets the two top bits. */
#define EC_PROGRAM_SIZE_MASK 0x3FFFFFFFu

/* Relocation table, in ECFileEntry elements: N, then per entry k the triple
 * (name offset, value count M(k), offsets-array offset) at 1 + 3k; offsets count bytes from the
 * start of the table. */
#define EC_RELOC_COUNT_IDX       0u
#define EC_RELOC_ENTRIES_IDX     1u
#define EC_RELOC_ENTRY_WORDS     3u
#define EC_RELOC_NAME_FIELD      0u
#define EC_RELOC_NUM_VALUES_FIELD 1u
#define EC_RELOC_ARRAY_FIELD     2u

#define EC_ENTRY_SIZE ((uint32_t)sizeof(ECFileEntry))

/* One relocation entry as read from a table. */
typedef struct {
  uint32_t name_offset;
  uint32_t num_values;
  uint32_t array_offset;
} RelocEntry;

/* Byte range [start, end) of the relocation section inside an image. */
typedef struct {
  uint32_t start;
  uint32_t end;
} SectionBounds;

static uint32_t read_field(const uint8_t *file_ptr, uint32_t byte_offset)
{
  ECFileEntry value;
  memcpy(&value, file_ptr + byte_offset, sizeof(value));
  return value;
}

static bool check_file_magic(const uint8_t *file_ptr)
{
  if (file_ptr == NULL || read_field(file_ptr, EC_FILE_MAGIC_POS) != ECFORGE_BINARY_MAGIC) {
    printf("Error: Epoch Controller binary is invalid\n");
    return false;
  }
  return true;
}

/* First byte after the N entries of a table, as a 64-bit count so that no N can wrap it. */
static uint64_t entries_end(uint32_t num_relocs)
{
  return (uint64_t)(EC_RELOC_ENTRIES_IDX + (uint64_t)EC_RELOC_ENTRY_WORDS * num_relocs) * EC_ENTRY_SIZE;
}

/* Reads entry idx of a table given by its bytes, which need no particular alignment. */
static RelocEntry read_entry_bytes(const uint8_t *table_bytes, uint32_t idx)
{
  uint32_t triple = (EC_RELOC_ENTRIES_IDX + EC_RELOC_ENTRY_WORDS * idx) * EC_ENTRY_SIZE;
  RelocEntry entry = { read_field(table_bytes, triple + EC_RELOC_NAME_FIELD * EC_ENTRY_SIZE),
                       read_field(table_bytes, triple + EC_RELOC_NUM_VALUES_FIELD * EC_ENTRY_SIZE),
                       read_field(table_bytes, triple + EC_RELOC_ARRAY_FIELD * EC_ENTRY_SIZE) };
  return entry;
}

static RelocEntry read_entry(const ECFileEntry *table, uint32_t idx)
{
  return read_entry_bytes((const uint8_t *)table, idx);
}

static void print_invalid_offset(uint32_t offset)
{
  printf("Error: Offset %lu in Epoch Controller binary is invalid\n", (unsigned long)offset);
}

/* The relocation section must start after the file header on a word boundary and end no earlier
 * than it starts; the writer always lays it out that way, so anything else is a damaged image. */
static bool get_reloc_section(const uint8_t *file_ptr, SectionBounds *bounds)
{
  uint32_t debug_offset = read_field(file_ptr, EC_FILE_DEBUG_OFFSET_POS);
  bounds->start = read_field(file_ptr, EC_FILE_RELOC_OFFSET_POS);
  bounds->end = debug_offset != 0 ? debug_offset : read_field(file_ptr, EC_FILE_PROGRAM_OFFSET_POS);
  if (bounds->start < EC_FILE_HEADER_SIZE || bounds->start % EC_ENTRY_SIZE != 0 ||
      bounds->end < bounds->start) {
    printf("Error: Relocation table of Epoch Controller binary is invalid\n");
    return false;
  }
  return true;
}

/* Whether a zero byte ends a name within the size bytes that are left of its section. */
static bool has_terminator(const uint8_t *name, uint32_t size)
{
  for (uint32_t i = 0; i < size; ++i) {
    if (name[i] == 0) {
      return true;
    }
  }
  return false;
}

/* Checks that the entries, every offsets array and every zero-terminated name of a table lie in
 * the table_size bytes the image gives it, and after the entries. */
static bool check_reloc_table_contents(const uint8_t *table_bytes, uint32_t table_size)
{
  if (table_size < EC_ENTRY_SIZE ||
      entries_end(read_field(table_bytes, EC_RELOC_COUNT_IDX * EC_ENTRY_SIZE)) > table_size) {
    printf("Error: Relocation table of Epoch Controller binary is invalid\n");
    return false;
  }
  uint32_t num_relocs = read_field(table_bytes, EC_RELOC_COUNT_IDX * EC_ENTRY_SIZE);
  uint64_t first_free = entries_end(num_relocs);
  for (uint32_t k = 0; k < num_relocs; ++k) {
    RelocEntry entry = read_entry_bytes(table_bytes, k);
    if (entry.array_offset % EC_ENTRY_SIZE != 0 || entry.array_offset < first_free ||
        entry.array_offset + (uint64_t)entry.num_values * EC_ENTRY_SIZE > table_size) {
      print_invalid_offset(entry.array_offset);
      return false;
    }
    if (entry.name_offset < first_free || entry.name_offset >= table_size ||
        !has_terminator(table_bytes + entry.name_offset, table_size - entry.name_offset)) {
      print_invalid_offset(entry.name_offset);
      return false;
    }
  }
  return true;
}

bool ec_copy_program(const uint8_t *file_ptr, ECInstr *program, unsigned int *program_size)
{
  if (!check_file_magic(file_ptr)) {
    return false;
  }
  uint32_t program_offset = read_field(file_ptr, EC_FILE_PROGRAM_OFFSET_POS);
  if (program_offset == 0) {
    printf("Error: Program section offset in binary file is invalid\n");
    return false;
  }
  const uint8_t *section = file_ptr + program_offset;
  if (read_field(section, EC_PROGRAM_MAGIC_IDX * EC_ENTRY_SIZE) != ECFORGE_PROGRAM_MAGIC) {
    printf("Error: Invalid magic number of Epoch Controller program\n");
    return false;
  }
  uint32_t size_word = read_field(section, EC_PROGRAM_SIZE_IDX * EC_ENTRY_SIZE);
  /* The needed count (size word + 2) must itself be a word count the caller can be given. */
  if (size_word > UINT32_MAX - EC_PROGRAM_WORDS_IDX) {
    printf("Error: Size %lu of the Epoch Controller program in binary file is invalid\n",
           (unsigned long)size_word);
    return false;
  }
  unsigned int needed = (unsigned int)size_word + EC_PROGRAM_WORDS_IDX;
  if (program == NULL) {
    if (program_size != NULL) {
      *program_size = needed;
    }
    return true;
  }
  if ((uintptr_t)program % 8u != 0) {
    printf("Error: Memory allocated for the Epoch Controller program must be 8-byte aligned\n");
    return false;
  }
  if (program_size == NULL) {
    printf("Error: Size of memory allocated for the Epoch Controller program has not been specified\n");
    return false;
  }
  if (*program_size < needed) {
    printf("Error: Memory allocated for the Epoch Controller program is not sufficient (at least space for %lu 32-bit words must be allocated)\n",
           (unsigned long)needed);
    return false;
  }
  program[EC_PROGRAM_MAGIC_IDX] = ECFORGE_PROGRAM_MAGIC;
  program[EC_PROGRAM_SIZE_IDX] = size_word;
  memcpy(program + EC_PROGRAM_WORDS_IDX, section + EC_PROGRAM_WORDS_IDX * EC_ENTRY_SIZE,
         (size_t)(size_word & EC_PROGRAM_SIZE_MASK) * EC_ENTRY_SIZE);
  return true;
}

bool ec_copy_reloc_table(const uint8_t *file_ptr, ECFileEntry *reloc_table,
                         unsigned int *reloc_table_size)
{
  if (!check_file_magic(file_ptr)) {
    return false;
  }
  if (read_field(file_ptr, EC_FILE_RELOC_OFFSET_POS) == 0) {
    printf("Error: Relocation table is not present\n");
    return false;
  }
  SectionBounds bounds;
  if (!get_reloc_section(file_ptr, &bounds)) {
    return false;
  }
  uint32_t byte_size = bounds.end - bounds.start;
  if (byte_size % EC_ENTRY_SIZE != 0) {
    printf("Error: Size of the relocation table of an Epoch Controller program must be 4-byte aligned\n");
    return false;
  }
  if (!check_reloc_table_contents(file_ptr + bounds.start, byte_size)) {
    return false;
  }
  unsigned int needed = byte_size / EC_ENTRY_SIZE;
  if (reloc_table == NULL) {
    if (reloc_table_size != NULL) {
      *reloc_table_size = needed;
    }
    return true;
  }
  if ((uintptr_t)reloc_table % 4u != 0) {
    printf("Error: Memory allocated for the relocation table of the Epoch Controller program must be 4-byte aligned\n");
    return false;
  }
  if (reloc_table_size == NULL) {
    printf("Error: Size of memory allocated for the relocation table of the Epoch Controller has not been specified\n");
    return false;
  }
  if (*reloc_table_size < needed) {
    printf("Error: Memory allocated for the relocation table of the Epoch Controller program is not sufficient (at least space for %lu 32-bit words must be allocated)\n",
           (unsigned long)needed);
    return false;
  }
  memcpy(reloc_table, file_ptr + bounds.start, byte_size);
  return true;
}

const ECFileEntry *ec_get_reloc_table_ptr(const uint8_t *file_ptr)
{
  if (!check_file_magic(file_ptr)) {
    return NULL;
  }
  if (read_field(file_ptr, EC_FILE_RELOC_OFFSET_POS) == 0) {
    return NULL;
  }
  SectionBounds bounds;
  if (!get_reloc_section(file_ptr, &bounds) ||
      !check_reloc_table_contents(file_ptr + bounds.start, bounds.end - bounds.start)) {
    return NULL;
  }
  const uint8_t *table = file_ptr + bounds.start;
  /* The table is handed out as an array of fields, so it must sit on a field boundary in memory. */
  if ((uintptr_t)table % EC_ENTRY_SIZE != 0) {
    printf("Error: Relocation table of Epoch Controller binary must be 4-byte aligned\n");
    return NULL;
  }
  return (const ECFileEntry *)(const void *)table;
}

unsigned int ec_get_num_relocs(const ECFileEntry *reloc_table_ptr)
{
  return reloc_table_ptr == NULL ? 0u : reloc_table_ptr[EC_RELOC_COUNT_IDX];
}

const char *ec_get_reloc_id(const ECFileEntry *reloc_table_ptr, unsigned int idx)
{
  if (reloc_table_ptr == NULL || idx >= reloc_table_ptr[EC_RELOC_COUNT_IDX]) {
    return NULL;
  }
  RelocEntry entry = read_entry(reloc_table_ptr, idx);
  if (entry.name_offset < entries_end(reloc_table_ptr[EC_RELOC_COUNT_IDX])) {
    return NULL;
  }
  return (const char *)reloc_table_ptr + entry.name_offset;
}

static bool check_reloc_arguments(const ECFileEntry *reloc_table_ptr, const ECInstr *program,
                                  const ECAddr *prev_base)
{
  if (reloc_table_ptr == NULL) {
    printf("Error: Cannot relocate because the pointer to the Epoch Controller relocation table is invalid\n");
    return false;
  }
  if (program == NULL) {
    printf("Error: Cannot relocate because the pointer to the Epoch Controller program is invalid\n");
    return false;
  }
  if (prev_base == NULL) {
    printf("Error: Cannot relocate because the pointer to the previous base address is invalid\n");
    return false;
  }
  return true;
}

/* Moves the words of one entry from *prev_base to base. Every word offset is checked against the
 * program's size word before the first word changes, so a damaged entry leaves the program as it
 * was. Offsets are distinct words of the program, so an entry cannot list more than it holds. */
static bool apply_entry(const ECFileEntry *table, ECInstr *program, RelocEntry entry, ECAddr base,
                        ECAddr *prev_base)
{
  if (entry.array_offset % EC_ENTRY_SIZE != 0 ||
      entry.array_offset < entries_end(table[EC_RELOC_COUNT_IDX])) {
    print_invalid_offset(entry.array_offset);
    return false;
  }
  uint32_t program_words = program[EC_PROGRAM_SIZE_IDX] & EC_PROGRAM_SIZE_MASK;
  if (entry.num_values > program_words) {
    printf("Error: Relocation lists %lu words but the Epoch Controller program holds only %lu\n",
           (unsigned long)entry.num_values, (unsigned long)program_words);
    return false;
  }
  const ECFileEntry *offsets = (const ECFileEntry *)(const void *)((const uint8_t *)table + entry.array_offset);
  for (uint32_t i = 0; i < entry.num_values; ++i) {
    if (offsets[i] >= program_words) {
      printf("Error: Relocated word %lu lies beyond the %lu words of the Epoch Controller program\n",
             (unsigned long)offsets[i], (unsigned long)program_words);
      return false;
    }
  }
  if (*prev_base == base) {
    return true;
  }
  ECAddr delta = base - *prev_base;
  for (uint32_t i = 0; i < entry.num_values; ++i) {
    program[EC_PROGRAM_WORDS_IDX + offsets[i]] += delta;
  }
  *prev_base = base;
  return true;
}

bool ec_reloc(const ECFileEntry *reloc_table_ptr, ECInstr *program, unsigned int idx, ECAddr base,
              ECAddr *prev_base)
{
  if (!check_reloc_arguments(reloc_table_ptr, program, prev_base)) {
    return false;
  }
  uint32_t num_relocs = reloc_table_ptr[EC_RELOC_COUNT_IDX];
  if (idx >= num_relocs) {
    printf("Error: Relocation index %u is out of range (the Epoch Controller relocation table holds %lu relocations)\n",
           idx, (unsigned long)num_relocs);
    return false;
  }
  return apply_entry(reloc_table_ptr, program, read_entry(reloc_table_ptr, idx), base, prev_base);
}

bool ec_reloc_by_id(const ECFileEntry *reloc_table_ptr, ECInstr *program, const char *id,
                    ECAddr base, ECAddr *prev_base)
{
  if (!check_reloc_arguments(reloc_table_ptr, program, prev_base)) {
    return false;
  }
  if (id == NULL) {
    printf("Error: Cannot relocate because the relocation symbol name is invalid\n");
    return false;
  }
  uint32_t num_relocs = reloc_table_ptr[EC_RELOC_COUNT_IDX];
  for (uint32_t k = 0; k < num_relocs; ++k) {
    RelocEntry entry = read_entry(reloc_table_ptr, k);
    if (entry.name_offset < entries_end(num_relocs)) {
      print_invalid_offset(entry.name_offset);
      return false;
    }
    if (strcmp((const char *)reloc_table_ptr + entry.name_offset, id) == 0) {
      return apply_entry(reloc_table_ptr, program, entry, base, prev_base);
    }
  }
  printf("Error: Relocation symbol '%s' not found in Epoch Controller relocation table\n", id);
  return false;
}
