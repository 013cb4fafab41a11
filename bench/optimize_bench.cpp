// Benchmark of Program::Optimize on recorded-like programs of 10^4 to 10^6 instructions.
#include <cstdint>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include "program.h"

namespace {

using namespace EpochController;

// Mostly full register writes in runs per unit, in shuffled register order, with a comment or a
// poll now and then, as the recorder produces them.
Program MakeProgram(std::size_t size) {
    std::mt19937 rng(12345);
    Program program;
    std::size_t added = 0;
    while (added < size) {
        uint8_t const ip = static_cast<uint8_t>(rng() % 32);
        std::size_t const run = 1 + rng() % 200;
        for (std::size_t k = 0; k < run && added < size; ++k, ++added) {
            unsigned const pick = rng() % 100;
            uint16_t const reg = static_cast<uint16_t>(rng() % 1024);
            if (pick < 2) {
                program.AddInstr(std::make_unique<InstrDebugInfo>("Block ECFORGE optimizations to move reg writes pass this point"));
            } else if (pick < 3) {
                program.AddInstr(std::make_unique<InstrPoll>(ip, reg, nullptr, new RelocValue(0), 100));
            } else if (pick < 8) {
                program.AddInstr(std::make_unique<InstrWrite>(ip, reg, new LsbMsb(0, 15), new RelocValue(k)));
            } else if (pick < 20) {
                program.AddInstr(std::make_unique<InstrWrite>(ip, reg, nullptr, new RelocValue(k, "mpool_0")));
            } else if (pick < 40) {
                // A long run of one register becomes a burst at the value limit.
                program.AddInstr(std::make_unique<InstrWrite>(ip, 5, nullptr, new RelocValue(k)));
            } else {
                program.AddInstr(std::make_unique<InstrWrite>(ip, reg, nullptr, new RelocValue(k)));
            }
        }
    }
    return program;
}

void BM_Optimize(benchmark::State& state) {
    Program const input = MakeProgram(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Program program = input;
        state.ResumeTiming();
        program.Optimize();
        benchmark::DoNotOptimize(program.GetSize());
        state.PauseTiming();
        program.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}

// Each size and its double, to show how the cost grows.
BENCHMARK(BM_Optimize)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(100000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
