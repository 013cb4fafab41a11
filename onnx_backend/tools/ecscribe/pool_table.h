// Lookups in a network's memory-pool table; the first row that matches wins, the terminator ends the walk.
#pragma once

#include <cstdint>
#include <string>

#include "ecscribe.h"

namespace ecscribe {

// Returns the first row whose base address is `base`, or the terminator row when none has it.
mpool_reloc_info_t const* FindPoolByBase(mpool_reloc_info_t const* pools, uint64_t base);

// Returns the first row named exactly `name`, or the terminator row when none has it.
mpool_reloc_info_t const* FindPoolByName(mpool_reloc_info_t const* pools, std::string const& name);

}  // namespace ecscribe
