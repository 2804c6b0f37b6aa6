# The front door: `make run` and `make test` set up, build and go.
PRESET ?= debug
# JOBS=<n> caps the compile jobs of every build here, the platform recipes' included.
ifdef JOBS
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
endif
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
	@cmake --workflow --preset package

# Random user sessions on the real window against the test's reference model, for SOAK_MINUTES
# (30) from a random seed, which is printed; SOAK_SEED=<number> repeats a run. The sessions keep
# their own time, so QtTest's five-minute limit per test function is lifted.
SOAK_MINUTES ?= 30
SOAK_SEED ?= random
.PHONY: soak
soak: build
	@VARNELO_SESSION_SEED=$(SOAK_SEED) VARNELO_SESSION_MINUTES=$(SOAK_MINUTES) QT_QPA_PLATFORM=offscreen \
		QTEST_FUNCTION_TIMEOUT=86400000 ./build/$(PRESET)/tests/session/tst_session randomSessionMatchesModel

# Benchmarks of a release build (the bench preset), printed as one table: start-up and memory
# against a bare Qt window and the event path (bench/PERFORMANCE.md explains the figures).
.PHONY: bench
bench: setup
	@./scripts/setup hyperfine time xvfb xauth python3
	@cmake --workflow --preset bench
	@bench/run build/bench
	@$(MAKE) --no-print-directory bench-web

clean:
	rm -rf build

# `make test` as the README gives it, in a fresh copy of a minimal Debian 13 with Qt 6.8, CI passed
# through (the clean system is laid once into the cache folder, as the user: platforms/system.sh).
.PHONY: test-debian13
test-debian13:
	@./scripts/test-debian13

# The program for the browser, built with Qt for WebAssembly: build/web (page, program, offline copy) and
# build/varnelo-web.zip. The first run builds Qt for wasm in a Debian 13 system, cached under
# ~/.cache/varnelo. test-web serves build/web on 127.0.0.1 and drives it in Chromium, Firefox and
# WebKit (platforms/web/README.md).
.PHONY: web test-web
web:
	@./platforms/web/build

test-web: web
	@./platforms/web/test

# The browser build against a bare Qt window built with the same Qt, linked and compressed the same
# way: sizes, the first visit over an emulated 10 Mbit/s, 40 ms link from a compressing server, the
# repeat visit with the server gone.
.PHONY: bench-web
bench-web:
	@./platforms/web/build bench
	@./platforms/web/test bench

# 64-bit Windows, cross-built here: the Qt it needs is built once into the cache folder (a quarter of
# an hour), then build/windows/ gets the portable folder, its zip and the installer; test-windows
# runs every test under Wine and the installer end to end (platforms/windows/README.md).
.PHONY: windows test-windows
windows:
	@./platforms/windows/build

# test-windows builds the program with its tests and packs it once, so it does not go through windows.
test-windows:
	@./platforms/windows/test

# Linux on arm64 (Raspberry Pi OS 64-bit and other Debian 12 and 13 arm64 systems), cross-built in a
# Debian 12 system of its own (cached under ~/.cache/varnelo): package-arm64 leaves
# build/release/varnelo_<version>_arm64.deb; test-arm64 runs every test under qemu and installs the
# package with apt into clean arm64 Debian 12 and 13 systems, where the program has to start.
.PHONY: package-arm64 test-arm64
package-arm64:
	@./platforms/arm64/build

test-arm64: package-arm64
	@./platforms/arm64/test

# Every download for schools in build/release/varnelo-<version>/ (the builds above, the same byte for
# byte from any clone of a commit), with SHA256SUMS and release notes.
.PHONY: release
release:
	@./scripts/release
