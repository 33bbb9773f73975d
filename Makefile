# Thin wrapper around CMake. `make test` installs what it needs, builds and
# runs every test; `make demo` translates the example plot.
BUILD    ?= build
JOBS     ?= 2
CMAKE_OPTS ?=

.PHONY: all deps configure build test demo asan clean

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

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	@$(MAKE) test BUILD=build-asan CMAKE_OPTS=-DPENLOOM_SANITIZE=ON

clean:
	rm -rf $(BUILD) build-asan
