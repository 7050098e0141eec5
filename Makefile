# Front door. Both set up a fresh Debian 12 machine (installing only what is
# missing) first.
#   make demo   runs posrelay.exe under Wine on the default simulated
#               handset: the 32-bit one, or the 64-bit one where this
#               machine cannot run 32-bit programs (docs/building.md);
#               make demo SCENARIO=handset.json INI=posrelay.ini runs one's
#               own
#   make test   builds and runs every test of every preset and the owner's
#               page in Chromium (tools/test_presets.py: the runs under
#               Wine and the fuzz targets beside the builds, then one line
#               a preset on where the time went)
#   make bench  times the logic, and the owner's page in Chromium beside
#               posrelay-sim natively, against the page's goals
#   make page   builds build/page/posrelay.html, the owner's page: the
#               settings check, the dry run and the replay in one file for
#               any browser, offline
TEST_PRESETS := host host-asan fuzz win32 win32-i686 handset
SCENARIO ?=
INI ?=

.PHONY: demo test deps page page-test bench fuzz-long clean $(TEST_PRESETS)

# The runner checks the scenario and reads the settings with the host build's
# posrelay-sim; its other paths default to the handset build's, of which the
# demo builds the launcher and the harness's programs, no test.
demo: deps
	cmake --preset host
	cmake --build --preset host --target posrelay-sim
	cmake --preset handset
	cmake --build --preset handset --target posrelay wine_harness
	python3 wine_harness/run_handset.py $(if $(SCENARIO),--scenario "$(SCENARIO)") \
	  $(if $(INI),--ini "$(INI)")

test: deps
	python3 tools/test_presets.py $(TEST_PRESETS) page

deps:
	@tools/install-packages.sh

$(TEST_PRESETS):
	cmake --preset $@
	cmake --build --preset $@
	ctest --preset $@

page: deps
	cmake --preset page
	cmake --build --preset page

page-test: page
	ctest --preset page

# Benchmarks of the logic's own cost, then of the owner's page in Chromium
# beside posrelay-sim built natively from the same C++
# (tools/page/page_bench.mjs); not part of the tests.
bench: deps
	cmake --preset bench
	cmake --build --preset bench
	build/bench/posrelay-bench
	cmake --preset page
	cmake --build --preset page
	POSRELAY_PAGE=build/page/posrelay.html POSRELAY_SIM=build/bench/posrelay-sim \
	  POSRELAY_SOURCE_DIR=. node tools/page/page_bench.mjs

# A longer fuzzing session: make fuzz-long FUZZ_SECONDS=600
FUZZ_SECONDS ?= 600
fuzz-long: deps
	cmake --preset fuzz -DPOSRELAY_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build --preset fuzz
	ctest --preset fuzz
	cmake --preset fuzz -DPOSRELAY_FUZZ_SECONDS=30

clean:
	rm -rf build
