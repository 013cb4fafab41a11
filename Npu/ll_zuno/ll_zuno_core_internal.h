/* Tables of the driver core shared with its tests: per-kind unit facts and the unit version checks. */
#ifndef LL_ZUNO_CORE_INTERNAL_H
#define LL_ZUNO_CORE_INTERNAL_H

#include <stddef.h>
#include <stdint.h>

#include "ll_zuno.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What the unit lists need to know about a kind of unit. */
typedef struct {
  LL_ZUNO_UnitKind kind;
  uint32_t page_offset; /* page of instance 0 */
  unsigned count;       /* number of instances */
  uint32_t ctrl_reset;  /* CTRL reset value */
  uint32_t gate_lsb;    /* clock gate bit of instance 0 in CLKCTRL.BGATES */
} LL_ZUNO_UnitInfo;

/* Returns the facts of a unit kind, or NULL for a kind without unit. */
const LL_ZUNO_UnitInfo *ll_zuno_unit_info(LL_ZUNO_UnitKind kind);

/* Expected version of one kind of unit. */
typedef struct {
  const char *name;
  uint32_t page_offset;
  uint32_t type;
  uint32_t major;
  uint32_t minor;
} LL_ZUNO_VersionInfo;

/* Returns the version table in checking order and its length. */
const LL_ZUNO_VersionInfo *ll_zuno_version_table(size_t *count);

/* Returns 1 when a VERSION register value matches, else prints the mismatch report and returns 0. */
int ll_zuno_version_matches(const LL_ZUNO_VersionInfo *expected, uint32_t version);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* LL_ZUNO_CORE_INTERNAL_H */
