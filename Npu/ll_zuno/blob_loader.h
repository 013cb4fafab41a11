/* EC program loader: copies an EC program out of its binary image and patches its relocations. */
#ifndef BLOB_LOADER_H
#define BLOB_LOADER_H

#include <stdbool.h>
#include <stdint.h>

#include "ec.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Every function works on caller buffers, allocates nothing, and on failure prints one line
 * beginning "Error: " on standard output and returns false (or NULL / 0 where stated) without
 * changing the caller's buffers. Counts and sizes are numbers of 32-bit words. */

/* Copies the program section of the image at file_ptr into program (8-byte aligned, with
 * *program_size words of room). With program NULL only stores the needed word count. */
bool ec_copy_program(const uint8_t *file_ptr, ECInstr *program, unsigned int *program_size);

/* Copies the relocation section of the image into reloc_table (4-byte aligned, with
 * *reloc_table_size words of room). With reloc_table NULL only stores the needed word count. */
bool ec_copy_reloc_table(const uint8_t *file_ptr, ECFileEntry *reloc_table,
                         unsigned int *reloc_table_size);

/* Returns the relocation table inside the image, or NULL when it is absent or damaged. */
const ECFileEntry *ec_get_reloc_table_ptr(const uint8_t *file_ptr);

/* Returns the number of relocations of the table, 0 for NULL. Never prints. */
unsigned int ec_get_num_relocs(const ECFileEntry *reloc_table_ptr);

/* Returns the name of relocation idx, or NULL for a NULL table, an index at or above the number
 * of relocations or a name offset that points into the table's entries. Never prints. */
const char *ec_get_reloc_id(const ECFileEntry *reloc_table_ptr, unsigned int idx);

/* Moves the words of relocation idx from *prev_base to base and records base in *prev_base. */
bool ec_reloc(const ECFileEntry *reloc_table_ptr, ECInstr *program, unsigned int idx, ECAddr base,
              ECAddr *prev_base);

/* As ec_reloc, for the first relocation of the table whose name equals id. */
bool ec_reloc_by_id(const ECFileEntry *reloc_table_ptr, ECInstr *program, const char *id,
                    ECAddr base, ECAddr *prev_base);

#ifdef __cplusplus
}
#endif

#endif /* BLOB_LOADER_H */
