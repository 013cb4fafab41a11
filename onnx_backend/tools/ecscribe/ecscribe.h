/* Recorder API: turns the trace driver's register accesses into one EC program per blob and the blob header. */
#ifndef ECSCRIBE_H
#define ECSCRIBE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One memory pool of the network, as the network's generated code describes it. */
typedef struct {
  const char *name;          /* pool name and relocation symbol; NULL ends the table */
  const char *base_symbol;   /* device linker symbol of the pool's base address */
  uint64_t    base_addr;     /* base address the driver passes to relocatable writes */
  int32_t     is_absolute;   /* non-zero: values in this pool are plain numbers, never relocated */
  int32_t     is_per_inference; /* non-zero: relocated before every inference, else once at network init */
} mpool_reloc_info_t;

/* Defined by the network's generated code and linked into the trace program. */
extern const mpool_reloc_info_t mpool_reloc_info[];

/* Opens the blob header (truncating it), allocates the fake register space and writes the prologue. */
void ec_trace_init(const char *header_file_name, const char *network_name);

/* Starts a blob; the program must hold no instruction words. */
void ec_trace_start_blob(const char *blob_name);
/* Records the start-of-epoch comment and the epoch's label. */
void ec_trace_start_epoch(uint32_t epoch);
/* Records the end-of-epoch comment. */
void ec_trace_end_epoch(uint32_t epoch);

/* Records a write of the whole register `reg_id` of unit `ip_id`. */
void ec_trace_reg_write(uint32_t ip_id, uint32_t reg_id, uint32_t value);
/* Records a write of `base` + `offset`, relocatable when `base` is a non-absolute memory pool. */
void ec_trace_reg_write_reloc(uint32_t ip_id, uint32_t reg_id, uint32_t base, uint32_t offset);
/* Records a write of the `width` bits from `lsb` of a low register. */
void ec_trace_reg_writefield(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width, uint32_t value);
/* Records a wait until the `width` bits from `lsb` of a register equal `value`. */
void ec_trace_reg_poll(uint32_t ip_id, uint32_t reg_id, uint32_t lsb, uint32_t width, uint32_t value);
/* Records a comment; it reaches the first listing of the blob but no program word. */
void ec_trace_comment(const char *text);

/* Stops the program: the calling driver operation has no recordable form. */
void ec_trace_unsupported(void);

/* Closes the blob: records its IRQ and end comment, writes its listings and its header section. */
void ec_trace_end_blob(const char *blob_name);
/* Writes the network and inference init functions and the closing lines of the header. */
void ec_trace_all_blobs_done(void);

#ifdef __cplusplus
}

#include <string>

/* Records a comment held in a string object. */
void ec_trace_comment(std::string const &text);
#endif

#endif /* ECSCRIBE_H */
