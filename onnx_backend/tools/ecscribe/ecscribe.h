/* Recording API of the EC recorder: the ec_trace_* entry points and the network's memory-pool table. */
#ifndef ECSCRIBE_H
#define ECSCRIBE_H

#include <stdint.h>

#ifdef __cplusplus
#define ECSCRIBE_NORETURN [[noreturn]]
extern "C" {
#else
#define ECSCRIBE_NORETURN _Noreturn
#endif

/* One memory pool of the network; rows are 32 bytes on a 64-bit host. */
typedef struct {
  const char *name;          /* pool name and relocation symbol; NULL ends the table */
  const char *base_symbol;   /* device linker symbol of the pool's base address */
  uint64_t    base_addr;     /* base address the driver passes to relocatable writes */
  int32_t     is_absolute;   /* non-zero: values in this pool are plain numbers, never relocated */
  int32_t     is_per_inference; /* non-zero: relocated before every inference, else once at network init */
} mpool_reloc_info_t;

/* Defined by the network's generated code and linked into its trace program. */
extern const mpool_reloc_info_t mpool_reloc_info[];

/* Starts recording: opens (truncating) the blob header, remembers the network name, allocates the
   register space and writes the header prologue. Stops the run when the header cannot be written. */
void ec_trace_init(const char *header_file_name, const char *network_name);

/* Opens a blob; the program being recorded must hold no instruction words. */
void ec_trace_start_blob(const char *blob_name);

/* Records the start comment and the label of an epoch. */
void ec_trace_start_epoch(uint32_t epoch);

/* Records the end comment of an epoch. */
void ec_trace_end_epoch(uint32_t epoch);

/* Records a write of a whole register with a plain value. */
void ec_trace_reg_write(uint32_t ip_id, uint32_t reg_id, uint32_t value);

/* Records a write of base + offset: a plain value for an absolute pool, the offset relative to the
   pool's relocation symbol otherwise. */
void ec_trace_reg_write_reloc(uint32_t ip_id, uint32_t reg_id, uint32_t base, uint32_t offset);

/* Records a write of the width-bit field at lsb of a low register. */
void ec_trace_reg_writefield(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width,
                             uint32_t value);

/* Records a wait until the width-bit field at lsb equals value. */
void ec_trace_reg_poll(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width,
                       uint32_t value);

/* Records a comment; comments add no program words and reach only the blob's first listing. */
void ec_trace_comment(const char *text);

/* Stops the program: the calling driver operation has no recordable form. */
ECSCRIBE_NORETURN void ec_trace_unsupported(void);

/* Closes the blob: writes its two listings into the current directory and its programs into the header. */
void ec_trace_end_blob(const char *blob_name);

/* Writes the two initialisation functions and the closing lines of the header. */
void ec_trace_all_blobs_done(void);

/* Provided by the register-space binding; ec_trace_init calls it. */
void initialize_ec_zuno_base(void);

#ifdef __cplusplus
} /* extern "C" */

#include <string>

/* Records a comment held in a string object. */
void ec_trace_comment(const std::string &text);
#endif

#endif /* ECSCRIBE_H */
