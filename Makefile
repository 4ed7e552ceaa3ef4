# Entry points. Every target installs what it needs first.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
FUZZ_DIR ?= build-fuzz
# make fuzz: seconds each fuzz target runs, and the targets.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= image zar material markup
JOBS ?= $(shell nproc)
OUT_DIR ?= out
# The Windows build, one tree per architecture: build-mingw-x64 (64-bit,
# PE32+) and build-mingw-x86 (32-bit, PE32, for 32-bit hosts). ARCH picks the
# one the demo runs.
WINDOWS_ARCHS := x64 x86
ARCH ?= x64
CROSS_PREFIX ?= build-mingw
CROSS_DIR = $(CROSS_PREFIX)-$(ARCH)

ifeq ($(filter $(ARCH),$(WINDOWS_ARCHS)),)
$(error ARCH is x64 or x86, not $(ARCH))
endif

.PHONY: all deps fuzz-deps wine-deps build build-asan build-fuzz test test-plain test-asan \
        test-fuzz fuzz demo demo-linux bench windows $(addprefix windows-,$(WINDOWS_ARCHS)) cross clean

all: build

deps:
	@bash scripts/install-deps.sh

fuzz-deps:
	@bash scripts/install-deps.sh --fuzz

# Wine, Xvfb and Mesa for running the Windows build, with Wine's 32-bit part
# for the x86 build; not fatal where they cannot be installed (the demo then
# runs the Linux build, and the Wine suite is skipped outside CI).
wine-deps:
	@bash scripts/install-wine.sh || echo "Wine cannot be installed here: the Windows build will not run."

# The plain build also runs the end-to-end suite on Wine, against both
# architectures' Windows builds; the sanitized build does not repeat it.
build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WINE_SUITE=ON \
	  -DORV_WINDOWS_BUILD_DIR_X64=$(abspath $(CROSS_PREFIX)-x64) \
	  -DORV_WINDOWS_BUILD_DIR_X86=$(abspath $(CROSS_PREFIX)-x86)
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

# The Windows build of ARCH (x64 unless ARCH=x86) under Wine, on its own X
# server; the Linux build on the stand-ins where Wine (or, for x86, its
# 32-bit part) cannot be installed.
demo: wine-deps
	@mkdir -p $(OUT_DIR)
	@status=77; \
	if command -v wine >/dev/null && command -v Xvfb >/dev/null; then \
	  $(MAKE) --no-print-directory windows-$(ARCH) || exit 1; \
	  bash scripts/run-on-wine.sh $(CROSS_DIR)/wineprefix $(CROSS_DIR)/bin/orvhost.exe \
	    --out $(abspath $(OUT_DIR)); \
	  status=$$?; \
	fi; \
	if [ $$status -eq 0 ]; then \
	  echo "Windows build ($(ARCH)) on Wine: log $(OUT_DIR)/orvhost.log, plug-in screenshot" \
	       "$(OUT_DIR)/screenshot.png, presented frame $(OUT_DIR)/presented.png"; \
	elif [ $$status -eq 77 ]; then \
	  echo "Wine cannot run the $(ARCH) build here: running the Linux build on the stand-in runtime."; \
	  $(MAKE) --no-print-directory demo-linux; \
	else \
	  exit $$status; \
	fi

demo-linux: build
	@mkdir -p $(OUT_DIR)
	$(BUILD_DIR)/bin/orvhost --out $(OUT_DIR)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@rm -f $(BENCH_DIR)/ratios.txt
	@for b in $(BENCH_DIR)/bin/bench_*; do echo "== $$b"; \
	  ORV_BENCH_RATIOS=$(abspath $(BENCH_DIR))/ratios.txt $$b || echo "$$b failed"; done
	@$(BENCH_DIR)/bin/ratio_summary $(BENCH_DIR)/ratios.txt

# OrvKernel.dll, ORVD3D.dll, orvhost.exe, zarwriter.exe and the Wine suite's
# scenario program for 64-bit and 32-bit Windows, against the MinGW-w64
# headers and the system's Direct3D 8. The trees share one fetched copy of
# the library sources (build-mingw-sources).
windows: $(addprefix windows-,$(WINDOWS_ARCHS))

$(addprefix windows-,$(WINDOWS_ARCHS)): windows-%: deps
	cmake -S . -B $(CROSS_PREFIX)-$* -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$*.cmake \
	  -DORV_WINDOWS_SOURCES_DIR=$(abspath $(CROSS_PREFIX)-sources)
	cmake --build $(CROSS_PREFIX)-$* -j $(JOBS)

cross: windows

# build-mingw is where the Windows build went before it had two trees.
clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(addprefix $(CROSS_PREFIX)-,$(WINDOWS_ARCHS)) \
	  $(CROSS_PREFIX)-sources $(CROSS_PREFIX) $(FUZZ_DIR) $(OUT_DIR)
