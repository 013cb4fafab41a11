# Set-up, build and tests in two commands: `make run` and `make check`.
.PHONY: all bootstrap build run check check-host check-sanitize check-m55 bench clean

all: build

bootstrap:
	@bash scripts/bootstrap

build: bootstrap
	cmake --preset host
	cmake --build --preset host

run: build
	@echo "make run: the example network arrives with its own change; nothing to run yet."

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
