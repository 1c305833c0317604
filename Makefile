# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup configure build run test bench clean

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

bench: build
	tools/run-benchmarks $(BUILD)

clean:
	rm -rf $(BUILD)
