// Benchmarks of the program conversions and file writers and readers on recorded-like programs of 10^4 to 10^6 entries.
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "binary.h"
#include "binary_file.h"
#include "program.h"
#include "recorded_program.h"

namespace {

using namespace EpochController;

void BM_ToBinary(benchmark::State& state) {
    Program const program = bench::MakeFinishedProgram(static_cast<std::size_t>(state.range(0)));
    std::size_t words = 0;
    for (auto _ : state) {
        std::unique_ptr<Binary> const binary = program.ToBinary();
        words = binary->GetProgram().size();
        benchmark::DoNotOptimize(words);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["words"] = static_cast<double>(words);
}

// The recorder's road: lay the image out with its header and write it as C text into the header stream.
void BM_GetBinaryFileSaveC(benchmark::State& state) {
    Program const program = bench::MakeFinishedProgram(static_cast<std::size_t>(state.range(0)));
    std::unique_ptr<Binary> const binary = program.ToBinary();
    bench::ScratchDir const dir;
    std::string const header = dir.File("blobs.h");
    std::size_t written = 0;
    for (auto _ : state) {
        std::ofstream os(header, std::ios::out | std::ios::trunc);
        binary->GetBinaryFile(false).SaveC("_ec_blob_1_reloc", "static const", false, false, false, os);
        os.close();
        state.PauseTiming();
        written = bench::FileSize(header);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * written));
    state.counters["text_bytes"] = static_cast<double>(written);
}

void BM_ToAsm(benchmark::State& state) {
    Program const program = bench::MakeRecordedProgram(static_cast<std::size_t>(state.range(0)));
    std::size_t length = 0;
    for (auto _ : state) {
        std::string const text = program.ToAsm("", false);
        length = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * length));
}

// Reads the listing the recorder writes before optimising: the largest text form of a blob.
void BM_FromAsm(benchmark::State& state) {
    bench::ScratchDir const dir;
    std::string const listing = dir.File("listing.s");
    bench::MakeRecordedProgram(static_cast<std::size_t>(state.range(0))).ToAsmFile(listing);
    std::size_t const bytes = bench::FileSize(listing);
    for (auto _ : state) {
        Program program;
        program.FromAsm(listing);
        benchmark::DoNotOptimize(program.GetInstructions().size());
        state.PauseTiming();
        program.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Writes the recorded program of `size` entries as a raw EC binary file in `dir`; returns its path.
std::string WriteRecordedBinary(bench::ScratchDir const& dir, int64_t size) {
    std::string const file = dir.File("blob.bin");
    bench::MakeRecordedProgram(static_cast<std::size_t>(size)).ToBinary()->ToFile(file, false);
    return file;
}

// Reads a raw EC binary file with its relocation and debug sections.
void BM_FromFile(benchmark::State& state) {
    bench::ScratchDir const dir;
    std::string const file = WriteRecordedBinary(dir, state.range(0));
    std::size_t const bytes = bench::FileSize(file);
    for (auto _ : state) {
        Binary binary;
        binary.FromFile(file);
        benchmark::DoNotOptimize(binary.GetProgram().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Reads the same file back into instructions, comments put back in place.
void BM_FromBinaryFile(benchmark::State& state) {
    bench::ScratchDir const dir;
    std::string const file = WriteRecordedBinary(dir, state.range(0));
    std::size_t const bytes = bench::FileSize(file);
    for (auto _ : state) {
        Program program;
        program.FromBinaryFile(file);
        benchmark::DoNotOptimize(program.GetInstructions().size());
        state.PauseTiming();
        program.Clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Three sizes a factor of 10 apart; ten times the input should cost less than fifteen times the time.
#define ZUNO_SIZES(bm) BENCHMARK(bm)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond)

ZUNO_SIZES(BM_ToBinary);
ZUNO_SIZES(BM_GetBinaryFileSaveC);
ZUNO_SIZES(BM_ToAsm);
ZUNO_SIZES(BM_FromAsm);
ZUNO_SIZES(BM_FromFile);
ZUNO_SIZES(BM_FromBinaryFile);

}  // namespace
