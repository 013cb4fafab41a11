// Text of the blob header: prologue, one section per blob, the two init functions and the closing lines.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ecforge.h"
#include "ecscribe.h"
#include "recorder_state.h"

namespace ecscribe {

// Writes the banner comment, the C++ guard opening, the includes and the section macro defaults.
void WriteHeaderPrologue(std::ostream& out, std::string const& header_file_name);

// Writes the constant array of a blob without relocation symbols: its program section alone.
void WritePlainBlobSection(std::ostream& out, std::string const& blob_name, EpochController::Binary const& binary);

// Writes the constant file image, the runtime copy, the per-inference bookkeeping and the index and
// base-symbol defines of every relocation symbol of a relocatable blob. Every symbol must have a row
// in `pools`; the lines before a missing row stay written.
void WriteRelocatableBlobSection(std::ostream& out, blob_info const& info, EpochController::Binary const& binary,
                                 mpool_reloc_info_t const* pools);

// Writes the network init and the inference init functions for the finished blobs.
void WriteInitFunctions(std::ostream& out, std::string const& network_name, std::vector<blob_info> const& blobs);

// Writes the C++ guard closing.
void WriteHeaderClosing(std::ostream& out);

}  // namespace ecscribe
