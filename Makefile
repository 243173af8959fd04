# The two commands of the README: `make run` (the bundled example) and `make test`.
# `make bench` builds and runs the benchmarks in an optimised build.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps test run bench clean

deps:
	scripts/install-deps

test: deps
	cmake -S . -B $(BUILD)/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON
	cmake --build $(BUILD)/test -j $(JOBS)
	cd $(BUILD)/test && ctest --output-on-failure -j $(JOBS)

run: deps
	cmake -S . -B $(BUILD)/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF
	cmake --build $(BUILD)/release -j $(JOBS)
	scripts/run-example $(BUILD)/release

bench: deps
	cmake -S . -B $(BUILD)/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLON_TESTS=OFF -DQUILLON_BENCH=ON
	cmake --build $(BUILD)/bench -j $(JOBS)
	scripts/run-bench $(BUILD)/bench

clean:
	rm -rf $(BUILD)
