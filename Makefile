# Set-up, build and tests in two commands: `make run` and `make check`.
.PHONY: all bootstrap build run check check-host check-sanitize check-m55 fuzz valgrind bench clean

all: build

bootstrap:
	@bash scripts/bootstrap

build: bootstrap
	cmake --preset host
	cmake --build --preset host

# Builds the example network's trace program, runs it in its work directory and summarises the blobs.
run: bootstrap
	cmake --preset host
	cmake --build --preset host --target run_face_detection
	@python3 scripts/ec_blob_summary.py build/host/tracer_workspace/working_dir/run/face_detection face_detection

check-host: bootstrap
	cmake --preset host
	cmake --build --preset host
	ctest --preset host

check-sanitize: bootstrap
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

check-m55: bootstrap
	cmake --preset m55
	cmake --build --preset m55
	ctest --preset m55

check: check-host check-sanitize check-m55

# libFuzzer targets, built with clang in build/fuzz and run one after the other for FUZZ_SECONDS each;
# not part of `make check`, which replays their corpora and saved crashes with the normal builds.
FUZZ_SECONDS ?= 60
FUZZ_FLAGS = -fsanitize=fuzzer-no-link -fsanitize-coverage-ignorelist=$(CURDIR)/fuzz/coverage_ignorelist.txt
fuzz:
	@bash scripts/bootstrap fuzz
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNO_FUZZ=ON \
	  -DZUNO_SANITIZE=ON -DZUNO_BUILD_TESTS=OFF "-DCMAKE_C_FLAGS=$(FUZZ_FLAGS)" "-DCMAKE_CXX_FLAGS=$(FUZZ_FLAGS)"
	cmake --build build/fuzz --parallel 2 --target fuzz_all
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run_fuzzers.sh build/fuzz

# The example networks' trace programs and the ecforge tool under valgrind memcheck; not part of `make check`.
valgrind:
	@bash scripts/bootstrap valgrind
	cmake -S . -B build/fz -G Ninja -DCMAKE_BUILD_TYPE=Debug
	cmake --build build/fz --parallel 2 --target valgrind_face_detection valgrind_keyword_spotting ecforge_cli
	fuzz/run_valgrind.sh build/fz

# Performance benchmarks, optimised build; not part of `make check`. Each benchmark runs at three
# sizes a factor of 10 apart; the last step traces the large synthetic network (about 10^6 register
# accesses) under /usr/bin/time -v, which prints its wall time and peak memory.
bench:
	@bash scripts/bootstrap bench
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUNO_BUILD_BENCH=ON -DZUNO_BUILD_TESTS=OFF
	cmake --build build/bench --parallel 2 --target zuno_benches large_network
	build/bench/bench/optimize_bench
	build/bench/bench/conversion_bench
	build/bench/bench/loader_bench
	cmake --build build/bench --target time_large_network

clean:
	rm -rf build
