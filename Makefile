# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
TSAN_BUILD ?= build-tsan

.PHONY: setup configure build run test test-browser test-threads bench package fuzz clean

setup:
	@tools/setup

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/vexilo

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Exports sample puzzles as HTML and checks them in headless Chromium (installed on demand).
test-browser: build
	tools/browser-test $(BUILD)

bench: build
	tools/run-benchmarks $(BUILD)

# The Debian package, written into $(BUILD).
package: build
	cmake --build $(BUILD) --target package

# The engine's tests, which run its searches on several threads, under ThreadSanitizer (clang).
test-threads:
	@tools/setup threads
	@cmake -S . -B $(TSAN_BUILD) -DVEXILO_SANITIZE_THREAD=ON -DVEXILO_QT=OFF -DVEXILO_BENCH=OFF \
	  -DCMAKE_CXX_COMPILER=clang++ $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target search_tests
	cd tests/search && VEXILO_SOURCE_DIR=$(CURDIR) TSAN_OPTIONS=halt_on_error=1 \
	  $(CURDIR)/$(TSAN_BUILD)/tests/search/search_tests

# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS seconds (tools/run-fuzz).
fuzz:
	@tools/setup fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DVEXILO_FUZZ=ON -DVEXILO_QT=OFF -DVEXILO_BENCH=OFF \
	  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/run-fuzz $(FUZZ_BUILD)

clean:
	rm -rf $(BUILD)
