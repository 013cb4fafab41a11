// Blob finishing: listings, optimisation, encoding, relocation classification and the blob's header section.
#pragma once

#include <cstdint>
#include <string>

#include "ecforge.h"
#include "ecscribe.h"
#include "recorder_state.h"

namespace ecscribe {

// Number of 64-bit elements that hold the program-section magic, the length word and `num_words` words.
uint32_t RuntimeSize(uint64_t num_words);

// Builds the blob_info of a binary with relocation symbols: its symbols that name per-inference pools,
// then those of non-absolute network-init pools, each list in pool table order.
blob_info ClassifyRelocations(std::string const& blob_name, EpochController::Binary const& binary,
                              mpool_reloc_info_t const* pools);

// Finishes the blob in `tracer`: writes its two listings into the current directory, optimises and
// encodes it, records its blob_info, writes its header section and empties `tracer`.
void FinishBlob(std::string const& blob_name, mpool_reloc_info_t const* pools);

}  // namespace ecscribe
