# The front door: `make run` and `make test` set up, build and go.
PRESET ?= debug
.PHONY: setup build run test clean

setup:
	@./scripts/setup

build: setup
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

run: build
	@./build/$(PRESET)/app/varnelo

test: build
	@ctest --preset $(PRESET)

clean:
	rm -rf build
