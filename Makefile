# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup configure build run test test-browser bench package clean

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

clean:
	rm -rf $(BUILD)
