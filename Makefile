# Thin wrapper around CMake. `make test` installs what it needs, builds and
# runs every test; `make demo` translates the example plot.
BUILD    ?= build
JOBS     ?= 2
CMAKE_OPTS ?=

.PHONY: all deps configure build test demo bench asan tsan fuzz clean install uninstall deb

all: build

# The DWG readers the tests read every written DWG with go into the build tree.
deps:
	@scripts/install-deps --dwg-readers $(BUILD)/dwg-readers

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_OPTS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@rm -rf $(BUILD)/e2e-out
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

# Speed and memory over generated 10, 100 and 1000 MB plots (not part of
# `test`); BENCH_SIZES="10 100" and BENCH_RUNS=1 make a quick round.
bench: build
	@BUILD=$(BUILD) bench/run

# Installation: the program folder $(PREFIX)/lib/penloom (program, plug-in,
# manual), the link $(PREFIX)/bin/penloom, the man page and the settings
# example; DESTDIR stages it elsewhere. Uninstall removes what install made.
PREFIX  ?= /usr/local
DESTDIR ?=

install: build
	@BUILD="$(BUILD)" PREFIX="$(PREFIX)" DESTDIR="$(DESTDIR)" scripts/install-tree install

uninstall:
	@PREFIX="$(PREFIX)" DESTDIR="$(DESTDIR)" scripts/install-tree uninstall

# Debian package of the build under /usr, written to $(BUILD)/.
deb: build
	@BUILD="$(BUILD)" packaging/build-deb

# The whole suite under AddressSanitizer (with its leak checker) and
# UndefinedBehaviorSanitizer, in build-asan unless BUILD names another folder.
ASAN_BUILD = $(if $(filter build,$(BUILD)),build-asan,$(BUILD))

asan:
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(MAKE) --no-print-directory test BUILD=$(ASAN_BUILD) CMAKE_OPTS="-DPENLOOM_SANITIZE=ON $(CMAKE_OPTS)"

# The threads under ThreadSanitizer: the batch tests (the parallel batch's
# workers) and the entity formatter's tests, in build-tsan unless BUILD
# names another folder. Any report fails the run.
TSAN_BUILD = $(if $(filter build,$(BUILD)),build-tsan,$(BUILD))

tsan:
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENLOOM_TSAN=ON $(CMAKE_OPTS) >/dev/null
	@cmake --build $(TSAN_BUILD) --target test_driver test_drawing test_e2e -j $(JOBS)
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:exitcode=66 PENLOOM_BIN=$$PWD/penloom \
	  ./test_driver --gtest_filter='*Batch*:*Wildcard*'
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:exitcode=66 PENLOOM_BIN=$$PWD/penloom \
	  ./test_drawing --gtest_filter='BodyTest.*'
	@cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:exitcode=66 PENLOOM_BIN=$$PWD/penloom \
	  PENLOOM_E2E_DIR=$$PWD/e2e-out/e2e ./test_e2e --gtest_filter='EntityText.*'

# libFuzzer targets (clang) over plot files, the settings file and the
# command line, each run for FUZZ_SECONDS with a seed corpus from our own
# plots; corpora and crash files stay in the build folder (build-fuzz unless
# BUILD names another). Fails on the first crash, leak or hang.
FUZZ_BUILD = $(if $(filter build,$(BUILD)),build-fuzz,$(BUILD))
FUZZ_SECONDS ?= 60

fuzz:
	@scripts/install-deps --fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++-14 -DPENLOOM_FUZZ=ON $(CMAKE_OPTS) >/dev/null
	@cmake --build $(FUZZ_BUILD) --target fuzz_targets -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz
