// Turns a recorded blob into its listings, its encoded image, its blob_info and its header section.
#include "blob_finishing.h"

#include <memory>

#include "blob_header.h"
#include "error_core.h"

namespace ecscribe {

uint32_t RuntimeSize(uint64_t num_words)
{
    return static_cast<uint32_t>((4 * num_words + 15) / 8);
}

blob_info ClassifyRelocations(std::string const& blob_name, EpochController::Binary const& binary,
                              mpool_reloc_info_t const* pools)
{
    auto const& reloc_table = binary.GetRelocTable();
    std::vector<std::string> inference;
    std::vector<std::string> network;
    for (mpool_reloc_info_t const* row = pools; row->name != nullptr; ++row) {
        if (reloc_table.count(row->name) == 0) {
            continue;
        }
        if (row->is_per_inference != 0) {
            inference.emplace_back(row->name);
        } else if (row->is_absolute == 0) {
            network.emplace_back(row->name);
        }
    }
    return blob_info(blob_name, RuntimeSize(binary.GetProgram().size()), std::move(inference), std::move(network));
}

void FinishBlob(std::string const& blob_name, mpool_reloc_info_t const* pools)
{
    tracer.ToAsmFile("debug_" + blob_name + "_initial.s");
    tracer.FixUp();
    tracer.Optimize();
    tracer.RemoveDebugInfo();
    tracer.ToAsmFile("debug_" + blob_name + ".s");

    std::unique_ptr<EpochController::Binary const> const binary = tracer.ToBinary();
    bool const relocatable = !binary->GetRelocTable().empty();
    blobs_info.push_back(relocatable ? ClassifyRelocations(blob_name, *binary, pools) : blob_info(blob_name));
    try {
        if (relocatable) {
            WriteRelocatableBlobSection(os, blobs_info.back(), *binary, pools);
        } else {
            WritePlainBlobSection(os, blob_name, *binary);
        }
    } catch (BaseError const&) {
        // The array writer reports a failed stream as an input error; name the header file instead.
        CheckHeaderStream();
        throw;
    }
    CheckHeaderStream();
    tracer.Clear();
}

}  // namespace ecscribe
