# Thin wrapper around CMake. `make test` installs what it needs, builds and
# runs every test; `make demo` translates the example plot.
BUILD    ?= build
JOBS     ?= 2
CMAKE_OPTS ?=

.PHONY: all deps configure build test demo bench asan clean install uninstall deb

all: build

deps:
	@scripts/install-deps

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

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	@$(MAKE) test BUILD=build-asan CMAKE_OPTS=-DPENLOOM_SANITIZE=ON

clean:
	rm -rf $(BUILD) build-asan
