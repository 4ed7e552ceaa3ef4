# Entry points. Every target installs what it needs first.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
CROSS_DIR ?= build-mingw
FUZZ_DIR ?= build-fuzz
# make fuzz: seconds each fuzz target runs, and the targets.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= image zar material markup
JOBS ?= $(shell nproc)
OUT_DIR ?= out

.PHONY: all deps fuzz-deps wine-deps build build-asan build-fuzz test test-plain test-asan \
        test-fuzz fuzz demo demo-linux bench windows cross clean

all: build

deps:
	@bash scripts/install-deps.sh

fuzz-deps:
	@bash scripts/install-deps.sh --fuzz

# Wine, Xvfb and Mesa for running the Windows build; not fatal where they
# cannot be installed (the demo then runs the Linux build, and the Wine suite
# is skipped outside CI).
wine-deps:
	@bash scripts/install-wine.sh || echo "Wine cannot be installed here: the Windows build will not run."

# The plain build also runs the end-to-end suite on Wine, against the Windows
# build in $(CROSS_DIR); the sanitized build does not repeat it.
build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WINE_SUITE=ON \
	  -DORV_WINDOWS_BUILD_DIR=$(abspath $(CROSS_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

# The libFuzzer targets (tests/fuzz), built with clang: everything they link
# under AddressSanitizer + UBSan, the project's code instrumented for coverage.
build-fuzz: fuzz-deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DORV_FUZZ=ON -DORV_BUILD_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets

test-plain: wine-deps windows build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-asan: build-asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# Each fuzz target briefly, and every input of the regression corpus once.
test-fuzz: build-fuzz
	ctest --test-dir $(FUZZ_DIR) --output-on-failure -j $(JOBS)

# The Windows build, then the whole suite once plain (with the Wine suite),
# the fuzz targets, and the suite under the sanitizers (last, so that the
# summary closes the output).
test: windows test-plain test-fuzz test-asan

# Each fuzz target for FUZZ_SECONDS, one after the other, from the seeds, the
# regression corpus and what earlier runs found ($(FUZZ_DIR)/tests/fuzz/corpus).
# A faulty input is left in $(FUZZ_DIR)/tests/fuzz/artifacts/TARGET/.
fuzz: build-fuzz
	@for target in $(FUZZ_TARGETS); do \
	  echo "== fuzz_$$target for $(FUZZ_SECONDS) s"; \
	  bash tests/fuzz/run-fuzzer.sh $(FUZZ_DIR) $$target $(FUZZ_SECONDS) || exit 1; \
	done

# The Windows build under Wine, on its own X server; the Linux build on the
# stand-ins where Wine cannot be installed.
demo: wine-deps
	@mkdir -p $(OUT_DIR)
	@if command -v wine >/dev/null && command -v Xvfb >/dev/null; then \
	  $(MAKE) --no-print-directory windows && \
	  bash scripts/run-on-wine.sh $(CROSS_DIR)/wineprefix $(CROSS_DIR)/bin/orvhost.exe \
	    --out $(abspath $(OUT_DIR)) && \
	  echo "Windows build on Wine: log $(OUT_DIR)/orvhost.log, plug-in screenshot" \
	       "$(OUT_DIR)/screenshot.png, presented frame $(OUT_DIR)/presented.png"; \
	else \
	  echo "Wine is not available: running the Linux build on the stand-in runtime."; \
	  $(MAKE) --no-print-directory demo-linux; \
	fi

demo-linux: build
	@mkdir -p $(OUT_DIR)
	$(BUILD_DIR)/bin/orvhost --out $(OUT_DIR)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# OrvKernel.dll, ORVD3D.dll, orvhost.exe and the Wine suite's scenario
# program for 64-bit Windows, against the MinGW-w64 headers and the system's
# Direct3D 8.
windows: deps
	cmake -S . -B $(CROSS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build $(CROSS_DIR) -j $(JOBS)

cross: windows

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(CROSS_DIR) $(FUZZ_DIR) $(OUT_DIR)
