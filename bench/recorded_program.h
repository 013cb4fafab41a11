// Programs shaped like the recorder's blobs, and a scratch directory, shared by the benchmarks.
#pragma once

#include <cstddef>
#include <string>

#include "program.h"

namespace bench {

// A program of about `size` entries as a blob is recorded: per epoch a comment, a label and a
// few hundred accesses (mostly full writes in runs per unit, some relocatable, some field
// writes and polls, long same-register runs as coefficient loads make them), then an end comment
// that sits next to the following epoch's start comment.
EpochController::Program MakeRecordedProgram(std::size_t size);

// The same program after blob finishing: comments joined, writes folded into bursts, comments removed.
EpochController::Program MakeFinishedProgram(std::size_t size);

// A directory of its own under the system's temporary directory, removed with everything in it
// when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(ScratchDir const&) = delete;
    ScratchDir& operator=(ScratchDir const&) = delete;

    // Returns the path of `name` inside the directory.
    std::string File(std::string const& name) const { return path + "/" + name; }

private:
    std::string path;
};

// Returns the size of a file in bytes.
std::size_t FileSize(std::string const& file_name);

}  // namespace bench
