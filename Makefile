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

# Random user sessions on the real window against the test's reference model, for SOAK_MINUTES
# (30) from a random seed, which is printed; SOAK_SEED=<number> repeats a run. The sessions keep
# their own time, so QtTest's five-minute limit per test function is lifted.
SOAK_MINUTES ?= 30
SOAK_SEED ?= random
.PHONY: soak
soak: build
	@VARNELO_SESSION_SEED=$(SOAK_SEED) VARNELO_SESSION_MINUTES=$(SOAK_MINUTES) QT_QPA_PLATFORM=offscreen \
		QTEST_FUNCTION_TIMEOUT=86400000 ./build/$(PRESET)/tests/session/tst_session randomSessionMatchesModel

# Benchmarks of the release build, printed as one table: start-up and memory against a bare Qt
# window, the event path and the model (bench/PERFORMANCE.md explains the figures).
.PHONY: bench
bench: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target varnelo_bench
	@./build/release/bench/bench_report

clean:
	rm -rf build

# 64-bit Windows, cross-built here: the Qt it needs is built once into the cache folder (a quarter of
# an hour), then build/windows/ gets the portable folder, its zip and the installer; test-windows
# runs every test under Wine and the installer end to end (platforms/windows/README.md).
.PHONY: windows test-windows
windows:
	@./platforms/windows/build

test-windows: windows
	@./platforms/windows/test
