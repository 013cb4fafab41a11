// Recorder steps behind the C entry points, with the memory-pool table passed in.
#pragma once

#include <cstdint>
#include <string>

#include "ecscribe.h"

namespace ecscribe {

// Starts a recording session: opens and truncates the header, writes its prologue and forgets any
// earlier blobs. Stops the run when the header file cannot be opened or written.
void StartSession(std::string const& header_file_name, std::string const& network_name);

// Records a write of `base` + `offset` against the pool table `pools`: a plain value for an absolute
// pool, the offset relative to the pool's name otherwise; stops when no row has `base` and the
// terminator is not absolute.
void RecordRelocWrite(mpool_reloc_info_t const* pools, uint32_t ip_id, uint32_t reg_id, uint32_t base,
                      uint32_t offset);

}  // namespace ecscribe
