# Entry points. Every target installs what it needs first.
BUILD_DIR ?= build
# The sanitized tree: clang, AddressSanitizer + UBSan, the suites and the
# fuzz targets.
SAN_DIR ?= build-san
BENCH_DIR ?= build-bench
# make bench runs every benchmark program this many times; its summary takes
# each ratio's median over the runs.
BENCH_RUNS ?= 5
# make fuzz: the optimized tree of the fuzz targets, the seconds each runs,
# and the targets.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= image zar material markup capture
# make mutants: how many faults it plants (MUTANTS) and from which seed
# (MUTANTS_SEED); the script's defaults when not given.
MUTANTS ?=
MUTANTS_SEED ?=
JOBS ?= $(shell nproc)
# Under `make test` the trees build side by side and share its JOBS job slots
# (cmake --build then gets no -j of its own); alone each takes JOBS.
BUILD_JOBS = $(if $(findstring jobserver,$(MAKEFLAGS)),,-j $(JOBS))
# Allocation stacks of 8 frames rather than 30: enough to place a leak or a
# use after free, and the sanitized suite spends a fifth less time in its
# allocations (the fault sweep's leak checks most of all).
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:malloc_context_size=8 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The fault sweep's tests (tests/sweep/FaultSweepTest.cpp).
SWEEP_TESTS = ^Shard/FaultSweep\.
OUT_DIR ?= out
# The demo records its session into $(OUT_DIR)/demo.orvcap and saves what
# each of its frames presented into $(OUT_DIR)/frames; make replay replays
# CAPTURE (the demo's unless given) into $(REPLAY_DIR), comparing its frames
# with those in REPLAY_AGAINST where that directory exists.
DEMO_FRAMES ?= 0-71
CAPTURE ?= $(OUT_DIR)/demo.orvcap
REPLAY_DIR ?= $(OUT_DIR)/replay
REPLAY_AGAINST ?= $(OUT_DIR)/frames
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

.PHONY: all deps fuzz-deps wine-deps build build-san build-fuzz test test-steps test-plain test-san sweep \
        fuzz mutants demo demo-linux replay replay-linux bench windows $(addprefix windows-,$(WINDOWS_ARCHS)) cross clean

all: build

# The installers take turns when make runs them side by side: apt takes one
# at a time.
INSTALL = flock scripts bash

deps:
	@$(INSTALL) scripts/install-deps.sh

fuzz-deps:
	@$(INSTALL) scripts/install-deps.sh --fuzz

# Wine, Xvfb and Mesa for running the Windows build, with Wine's 32-bit part
# for the x86 build; not fatal where they cannot be installed (the demo then
# runs the Linux build, and the Wine suite is skipped outside CI).
wine-deps:
	@$(INSTALL) scripts/install-wine.sh || echo "Wine cannot be installed here: the Windows build will not run."

# The plain tree: the product, the tools and the example materials, built
# with g++ and optimized; its tests are the host programs' replay of a
# recorded session and the end-to-end suite on Wine against both
# architectures' Windows builds. The test programs run sanitized (build-san):
# PLAIN_UNIT_TESTS=ON builds them here too, and test-plain runs them.
PLAIN_UNIT_TESTS ?= OFF
build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WINE_SUITE=ON \
	  -DORV_UNIT_TESTS=$(PLAIN_UNIT_TESTS) \
	  -DORV_WINDOWS_BUILD_DIR_X64=$(abspath $(CROSS_PREFIX)-x64) \
	  -DORV_WINDOWS_BUILD_DIR_X86=$(abspath $(CROSS_PREFIX)-x86)
	+cmake --build $(BUILD_DIR) $(BUILD_JOBS)

# One tree with clang, AddressSanitizer + UBSan over everything: the suites
# and the libFuzzer targets (tests/fuzz; only they link libFuzzer; the
# project's code is not instrumented for coverage here, since the tree only
# replays their regression corpus). Assertions on, code
# optimized lightly (the sweep and the soak run twice as fast as unoptimized),
# line tables for the sanitizers' reports.
SAN_FLAGS = -O1 -g1
build-san: fuzz-deps
	cmake -S . -B $(SAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DORV_SANITIZE=ON -DORV_FUZZ=ON -DORV_FUZZ_COVERAGE=OFF \
	  -DCMAKE_C_FLAGS_DEBUG="$(SAN_FLAGS)" -DCMAKE_CXX_FLAGS_DEBUG="$(SAN_FLAGS)"
	+cmake --build $(SAN_DIR) $(BUILD_JOBS)

# The libFuzzer targets alone, optimized for speed, for `make fuzz`: clang,
# AddressSanitizer + UBSan as in the sanitized tree.
build-fuzz: fuzz-deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DORV_FUZZ=ON -DORV_BUILD_TESTS=OFF
	+cmake --build $(FUZZ_DIR) $(BUILD_JOBS)

# The plain tree's tests (the fault sweep, where built, runs only in the
# sanitized tree, where its runs also look for leaked memory). One test more
# than the processors: the Wine suite's tests spend about half their time
# waiting on Wine and the X server.
test-plain: wine-deps windows build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $$(($(JOBS) + 1)) -E '$(SWEEP_TESTS)'

# The whole suite under the sanitizers, with the fault sweep (every creation
# and the first call of each kind in each step failed) and every input of the
# fuzz regression corpus once.
test-san: build-san
	$(SANITIZER_ENV) ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS)

# The Windows trees and the two Linux trees build side by side, and the plain
# tree's tests (the replay and the Wine suite) and the sanitized suite run as
# soon as their trees are built. The sanitized tree comes first: its suite,
# the longest, then runs while the other trees build.
test:
	@$(MAKE) --no-print-directory -j $(JOBS) test-steps

test-steps: test-san test-plain

# The fault sweep of every platform call, in the sanitized tree.
sweep: build-san
	ORV_SWEEP_EVERY_CALL=1 $(SANITIZER_ENV) \
	  ctest --test-dir $(SAN_DIR) --output-on-failure -j $(JOBS) -R '$(SWEEP_TESTS)'

# Each fuzz target for FUZZ_SECONDS, one after the other, from the seeds, the
# regression corpus and what earlier runs found ($(FUZZ_DIR)/tests/fuzz/corpus).
# A faulty input is left in $(FUZZ_DIR)/tests/fuzz/artifacts/TARGET/.
fuzz: build-fuzz
	@for target in $(FUZZ_TARGETS); do \
	  echo "== fuzz_$$target for $(FUZZ_SECONDS) s"; \
	  bash tests/fuzz/run-fuzzer.sh $(FUZZ_DIR) $$target $(FUZZ_SECONDS) || exit 1; \
	done

# Faults planted in the product one at a time, each built in build-mutants/
# and run against the Linux suite (a survivor again in build-mutants-san/):
# one line per fault and the score (scripts/mutants.py).
mutants: deps fuzz-deps
	@$(INSTALL) scripts/install-deps.sh --mutants
	$(if $(MUTANTS),MUTANTS=$(MUTANTS)) $(if $(MUTANTS_SEED),MUTANTS_SEED=$(MUTANTS_SEED)) \
	  python3 scripts/mutants.py

# The Windows build of ARCH (x64 unless ARCH=x86) under Wine, on its own X
# server; the Linux build on the stand-ins where Wine (or, for x86, its
# 32-bit part, or a kernel that runs 32-bit programs) is missing.
demo: wine-deps
	@mkdir -p $(OUT_DIR)
	@status=77; \
	[ -n "$(WINDOWS_RUNS_$(ARCH))" ] || bash scripts/runs-32bit.sh; \
	if [ -n "$(WINDOWS_RUNS_$(ARCH))" ] && command -v wine >/dev/null && command -v Xvfb >/dev/null; then \
	  $(MAKE) --no-print-directory windows-$(ARCH) || exit 1; \
	  ORVD3D_CAPTURE=$(abspath $(OUT_DIR))/demo.orvcap \
	    bash scripts/run-on-wine.sh $(CROSS_DIR)/wineprefix $(CROSS_DIR)/bin/orvhost.exe \
	    --out $(abspath $(OUT_DIR)) --save-frames $(DEMO_FRAMES); \
	  status=$$?; \
	fi; \
	if [ $$status -eq 0 ]; then \
	  echo "Windows build ($(ARCH)) on Wine: log $(OUT_DIR)/orvhost.log, plug-in screenshot" \
	       "$(OUT_DIR)/screenshot.png, presented frame $(OUT_DIR)/presented.png, frames" \
	       "$(OUT_DIR)/frames/, capture $(OUT_DIR)/demo.orvcap"; \
	elif [ $$status -eq 77 ]; then \
	  echo "Wine cannot run the $(ARCH) build here: running the Linux build on the stand-in runtime."; \
	  $(MAKE) --no-print-directory demo-linux; \
	else \
	  exit $$status; \
	fi

demo-linux: build
	@mkdir -p $(OUT_DIR)
	ORVD3D_CAPTURE=$(OUT_DIR)/demo.orvcap $(BUILD_DIR)/bin/orvhost --out $(OUT_DIR) \
	  --save-frames $(DEMO_FRAMES)

# Replays CAPTURE with the Windows build of ARCH under Wine, as the demo runs;
# with the Linux build on the stand-ins where Wine cannot run it.
replay: wine-deps
	@test -f $(CAPTURE) || { echo "No capture $(CAPTURE): make demo writes one, or name it with CAPTURE=PATH"; exit 1; }
	@mkdir -p $(REPLAY_DIR)
	@status=77; \
	[ -n "$(WINDOWS_RUNS_$(ARCH))" ] || bash scripts/runs-32bit.sh; \
	if [ -n "$(WINDOWS_RUNS_$(ARCH))" ] && command -v wine >/dev/null && command -v Xvfb >/dev/null; then \
	  $(MAKE) --no-print-directory windows-$(ARCH) || exit 1; \
	  bash scripts/run-on-wine.sh $(CROSS_DIR)/wineprefix $(CROSS_DIR)/bin/orvreplay.exe \
	    $(abspath $(CAPTURE)) --out $(abspath $(REPLAY_DIR)) \
	    $(if $(wildcard $(REPLAY_AGAINST)),--against $(abspath $(REPLAY_AGAINST))) $(REPLAY_FLAGS); \
	  status=$$?; \
	fi; \
	if [ $$status -eq 77 ]; then \
	  echo "Wine cannot run the $(ARCH) build here: replaying with the Linux build on the stand-in runtime" \
	       "(its frames are not compared with $(REPLAY_AGAINST), which another runtime may have drawn)."; \
	  $(MAKE) --no-print-directory replay-linux REPLAY_AGAINST=; \
	else \
	  echo "Replay ($(ARCH)) on Wine: frames $(REPLAY_DIR)/frames/, statistics $(REPLAY_DIR)/stats.csv," \
	       "report $(REPLAY_DIR)/differences.txt"; \
	  exit $$status; \
	fi

replay-linux: build
	@mkdir -p $(REPLAY_DIR)
	$(BUILD_DIR)/bin/orvreplay $(CAPTURE) --out $(REPLAY_DIR) \
	  $(if $(wildcard $(REPLAY_AGAINST)),--against $(REPLAY_AGAINST)) $(REPLAY_FLAGS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=OFF -DORV_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@rm -f $(BENCH_DIR)/ratios.txt
	@for run in $$(seq $(BENCH_RUNS)); do \
	  for b in $(BENCH_DIR)/bin/bench_*; do echo "== $$b (run $$run of $(BENCH_RUNS))"; \
	    ORV_BENCH_RATIOS=$(abspath $(BENCH_DIR))/ratios.txt $$b || echo "$$b failed"; done; done
	@$(BENCH_DIR)/bin/ratio_summary $(BENCH_DIR)/ratios.txt

# What the demo and the Wine suite run, for 64-bit and 32-bit Windows:
# OrvKernel.dll, ORVD3D.dll, orvhost.exe with the example materials,
# orvreplay.exe, and the
# Wine suite's scenario program; against the MinGW-w64 headers and the
# system's Direct3D 8. The trees share one fetched copy of the library
# sources (build-mingw-sources). `cmake --build build-mingw-x64` builds the
# rest (zarwriter.exe).
# Where the kernel runs no 32-bit programs (scripts/runs-32bit.sh) nothing of
# the x86 build can run here: that tree builds what a 32-bit host loads, the
# kernel and the plug-in, and no programs (the Wine suite then skips its x86
# half with the kernel's reason, and the demo and the replay for x86 run the
# Linux build).
WINDOWS_TARGETS = OrvKernel ORVD3D orvhost orvreplay examples wine_scenarios
WINDOWS_LIBRARIES = OrvKernel ORVD3D
WINDOWS_RUNS_x64 = yes
WINDOWS_RUNS_x86 = $(shell bash scripts/runs-32bit.sh 2>/dev/null && echo yes)
# A tree whose programs can run here is optimized, with line tables. One
# whose programs cannot is a check that the build compiles and links, made
# without optimization or debug information, a quarter faster; its
# libraries are for no host here.
WINDOWS_OPTIMIZED = -DCMAKE_BUILD_TYPE=RelWithDebInfo
WINDOWS_CHECK_ONLY = -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O0 -g0" -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g0"
windows: $(addprefix windows-,$(WINDOWS_ARCHS))

$(addprefix windows-,$(WINDOWS_ARCHS)): windows-%: deps
	cmake -S . -B $(CROSS_PREFIX)-$* -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$*.cmake \
	  -DORV_WINDOWS_SOURCES_DIR=$(abspath $(CROSS_PREFIX)-sources) $(if $(WINDOWS_RUNS_$*),$(WINDOWS_OPTIMIZED),$(WINDOWS_CHECK_ONLY))
	+cmake --build $(CROSS_PREFIX)-$* $(BUILD_JOBS) \
	  --target $(if $(WINDOWS_RUNS_$*),$(WINDOWS_TARGETS),$(WINDOWS_LIBRARIES))

cross: windows

# build-mingw is where the Windows build went before it had two trees;
# build-asan held the sanitized suites before build-san.
clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR) $(BENCH_DIR) $(FUZZ_DIR) build-mutants build-mutants-san $(addprefix $(CROSS_PREFIX)-,$(WINDOWS_ARCHS)) \
	  $(CROSS_PREFIX)-sources $(CROSS_PREFIX) build-asan $(OUT_DIR)
