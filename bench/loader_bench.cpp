// Benchmarks of the device loader on the host: copying a program out of its image and relocating it.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "binary.h"
#include "binary_file.h"
#include "blob_loader.h"
#include "program.h"
#include "recorded_program.h"

namespace {

// An image as the header holds it: 64-bit elements, so 8-byte aligned like the device arrays.
std::vector<uint64_t> MakeImage(std::size_t size) {
    auto const binary = bench::MakeFinishedProgram(size).ToBinary();
    std::vector<uint8_t> const bytes = binary->GetBinaryFile(false).GetBytes();
    std::vector<uint64_t> image((bytes.size() + 7) / 8, 0);
    std::memcpy(image.data(), bytes.data(), bytes.size());
    return image;
}

uint8_t const* Bytes(std::vector<uint64_t> const& image) {
    return reinterpret_cast<uint8_t const*>(image.data());
}

void BM_LoaderCopy(benchmark::State& state) {
    std::vector<uint64_t> const image = MakeImage(static_cast<std::size_t>(state.range(0)));
    unsigned int needed = 0;
    if (!ec_copy_program(Bytes(image), nullptr, &needed)) {
        state.SkipWithError("the image has no program");
        return;
    }
    std::vector<uint64_t> runtime((needed + 1) / 2, 0);
    for (auto _ : state) {
        unsigned int size = static_cast<unsigned int>(2 * runtime.size());
        bool const copied = ec_copy_program(Bytes(image), reinterpret_cast<ECInstr*>(runtime.data()), &size);
        benchmark::DoNotOptimize(copied);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * needed * sizeof(ECInstr)));
}

// Every relocation of the table, moved to a new base at each iteration, as the per-inference
// initialisation does.
void BM_LoaderReloc(benchmark::State& state) {
    std::vector<uint64_t> const image = MakeImage(static_cast<std::size_t>(state.range(0)));
    unsigned int needed = 0;
    ec_copy_program(Bytes(image), nullptr, &needed);
    std::vector<uint64_t> runtime((needed + 1) / 2, 0);
    unsigned int size = static_cast<unsigned int>(2 * runtime.size());
    auto* const program = reinterpret_cast<ECInstr*>(runtime.data());
    ECFileEntry const* const table = ec_get_reloc_table_ptr(Bytes(image));
    if (!ec_copy_program(Bytes(image), program, &size) || table == nullptr) {
        state.SkipWithError("the image cannot be loaded");
        return;
    }
    unsigned int const num_relocs = ec_get_num_relocs(table);
    std::vector<ECAddr> previous(num_relocs, 0);
    ECAddr base = 0x20000000u;
    for (auto _ : state) {
        base += 0x1000u;
        for (unsigned int idx = 0; idx < num_relocs; ++idx) {
            bool const moved = ec_reloc(table, program, idx, base, &previous[idx]);
            benchmark::DoNotOptimize(moved);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_LoaderCopy)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoaderReloc)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
