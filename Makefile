# The front door: `make run` and `make test` set up, build and go.
PRESET ?= debug
.PHONY: setup build run test package clean

setup:
	@./scripts/setup

build: setup
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET)

run: build
	@./build/$(PRESET)/app/varnelo

test: build
	@ctest --preset $(PRESET)

# A Debian package of the release build, left as build/release/varnelo_<version>_<arch>.deb.
package: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release
	@cd build/release && cpack -G DEB

clean:
	rm -rf build
