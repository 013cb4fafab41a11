# Set-up, build and tests in two commands: `make run` and `make check`.
.PHONY: all bootstrap build run check check-host check-sanitize check-m55 bench clean

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

# Performance benchmarks, optimised build; not part of `make check`.
bench: bootstrap
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZUNO_BUILD_BENCH=ON -DZUNO_BUILD_TESTS=OFF
	cmake --build build/bench --parallel 2 --target optimize_bench
	build/bench/bench/optimize_bench

clean:
	rm -rf build
