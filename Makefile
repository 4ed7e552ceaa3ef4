# Entry points. Every target installs what it needs first.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
CROSS_DIR ?= build-mingw
JOBS ?= $(shell nproc)
OUT_DIR ?= out

.PHONY: all deps build build-asan test test-plain test-asan demo bench cross clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-plain: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# The Windows cross-build of the libraries, then the whole suite once plain and
# once under the sanitizers (last, so that the summary closes the output).
test: cross test-plain test-asan

demo: build
	@mkdir -p $(OUT_DIR)
	$(BUILD_DIR)/bin/orvhost --out $(OUT_DIR)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# OrvKernel.dll, d3dx8 and ORVD3D.dll for 64-bit Windows, against the MinGW-w64
# headers and the system's Direct3D 8; no tests (they need the stand-ins).
cross: deps
	cmake -S . -B $(CROSS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(CROSS_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(CROSS_DIR) $(OUT_DIR)
