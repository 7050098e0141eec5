# Front door. `make test` sets up a fresh Debian 12 machine (installing only
# what is missing), then builds and runs every test of every preset, the
# Windows build (win32, run under Wine) last.
TEST_PRESETS := host host-asan fuzz win32

.PHONY: test deps bench fuzz-long clean $(TEST_PRESETS)

test: deps $(TEST_PRESETS)

deps:
	@tools/install-packages.sh

$(TEST_PRESETS):
	cmake --preset $@
	cmake --build --preset $@
	ctest --preset $@

# Benchmarks of the logic's own cost; not part of the tests.
bench: deps
	cmake --preset bench
	cmake --build --preset bench
	build/bench/posrelay-bench

# A longer fuzzing session: make fuzz-long FUZZ_SECONDS=600
FUZZ_SECONDS ?= 600
fuzz-long: deps
	cmake --preset fuzz -DPOSRELAY_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build --preset fuzz
	ctest --preset fuzz
	cmake --preset fuzz -DPOSRELAY_FUZZ_SECONDS=30

clean:
	rm -rf build
