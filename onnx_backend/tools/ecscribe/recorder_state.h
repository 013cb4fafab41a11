// Process-wide state of the recorder: the blob being recorded, the blob header stream and the finished blobs.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "ecforge.h"

namespace ecscribe {

// What the header's init functions need to know about one finished blob.
struct blob_info {
    explicit blob_info(std::string name) : blob_name(std::move(name)) {}
    blob_info(std::string name, uint32_t size, std::vector<std::string> inference,
              std::vector<std::string> network)
        : blob_name(std::move(name)),
          runtime_size(size),
          inference_relocs(std::move(inference)),
          network_relocs(std::move(network))
    {
    }

    std::string blob_name;
    uint32_t runtime_size = 0;                  // 64-bit elements of the runtime copy; 0 without relocations
    std::vector<std::string> inference_relocs;  // re-applied before every inference, in pool table order
    std::vector<std::string> network_relocs;    // applied once at network init, in pool table order
};

// Defined in this order so that they are destroyed in the reverse order at process exit.
extern EpochController::Program tracer;       // program of the blob being recorded; empty between blobs
extern std::ofstream os;                      // the blob header
extern std::string NetworkName;               // names the two init functions
extern std::vector<blob_info> blobs_info;     // one entry per finished blob, in the order blobs ended
extern std::string HeaderFileName;            // names the header in error reports

// Stops the run when the header stream has failed: the header text written so far is incomplete.
void CheckHeaderStream();

}  // namespace ecscribe
