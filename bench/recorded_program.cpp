// Programs shaped like the recorder's blobs, and a scratch directory, shared by the benchmarks.
#include "recorded_program.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>

namespace bench {

namespace {

using namespace EpochController;

// Relocation identifiers of the pools a recorded blob refers to.
char const* const kPools[] = {"SRAM_NET", "SRAM_INF", "mpool_2", "mpool_10"};

// Accesses of one epoch between its label and its end comment.
constexpr std::size_t kAccessesPerEpoch = 300;

void AddEpochAccesses(Program& program, std::mt19937& rng, std::size_t count) {
    std::size_t added = 0;
    while (added < count) {
        uint8_t const ip = static_cast<uint8_t>(rng() % 32);
        std::size_t const run = 1 + rng() % 60;
        uint16_t reg = static_cast<uint16_t>(1 + rng() % 900);
        for (std::size_t k = 0; k < run && added < count; ++k, ++added) {
            unsigned const pick = rng() % 100;
            if (pick < 2) {
                program.AddInstr(std::make_unique<InstrDebugInfo>("Block ECFORGE optimizations to move reg writes pass this point"));
            } else if (pick < 4) {
                program.AddInstr(std::make_unique<InstrPoll>(ip, reg, new LsbMsb(0, 0), new RelocValue(1), 100));
            } else if (pick < 7) {
                program.AddInstr(std::make_unique<InstrWriteField>(ip, static_cast<uint8_t>(reg % 32), 4, 4, 9));
            } else if (pick < 20) {
                program.AddInstr(std::make_unique<InstrWrite>(ip, reg, nullptr,
                                                              new RelocValue(static_cast<uint32_t>(rng() % 0x100000),
                                                                             kPools[rng() % 4])));
            } else if (pick < 45) {
                // Coefficient and table loads write one data register over and over.
                program.AddInstr(std::make_unique<InstrWrite>(ip, 7, nullptr, new RelocValue(rng())));
            } else {
                program.AddInstr(std::make_unique<InstrWrite>(ip, reg, nullptr, new RelocValue(rng())));
            }
            reg = static_cast<uint16_t>(1 + (reg + 1 + rng() % 3) % 1000);
        }
    }
}

}  // namespace

Program MakeRecordedProgram(std::size_t size) {
    std::mt19937 rng(20261211);
    Program program;
    program.AddInstr(std::make_unique<InstrDebugInfo>("Start Blob '_ec_blob_1'"));
    std::size_t added = 1;
    uint32_t epoch = 1;
    while (added < size) {
        std::size_t const accesses = std::min(kAccessesPerEpoch, size - added);
        program.AddInstr(std::make_unique<InstrDebugInfo>("Start Epoch " + std::to_string(epoch)));
        program.AddInstr(std::make_unique<InstrLabel>(epoch));
        AddEpochAccesses(program, rng, accesses);
        program.AddInstr(std::make_unique<InstrDebugInfo>("End Epoch " + std::to_string(epoch)));
        added += accesses + 3;
        ++epoch;
    }
    program.AddInstr(std::make_unique<InstrIRQ>(0));
    program.AddInstr(std::make_unique<InstrDebugInfo>("End Blob '_ec_blob_1'"));
    return program;
}

Program MakeFinishedProgram(std::size_t size) {
    Program program = MakeRecordedProgram(size);
    program.FixUp();
    program.Optimize();
    program.RemoveDebugInfo();
    return program;
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zuno_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch directory from " + pattern);
    }
    path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::size_t FileSize(std::string const& file_name) {
    return static_cast<std::size_t>(std::filesystem::file_size(file_name));
}

}  // namespace bench
