// Lookups in a network's memory-pool table.
#include "pool_table.h"

namespace ecscribe {

mpool_reloc_info_t const* FindPoolByBase(mpool_reloc_info_t const* pools, uint64_t base)
{
    mpool_reloc_info_t const* row = pools;
    while (row->name != nullptr && row->base_addr != base) {
        ++row;
    }
    return row;
}

mpool_reloc_info_t const* FindPoolByName(mpool_reloc_info_t const* pools, std::string const& name)
{
    mpool_reloc_info_t const* row = pools;
    while (row->name != nullptr && name != row->name) {
        ++row;
    }
    return row;
}

}  // namespace ecscribe
