# The two commands of the README. Both install what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all deps build demo test bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/run-demo $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-bench $(BUILD)

clean:
	rm -rf $(BUILD)
