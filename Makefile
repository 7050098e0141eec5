# Front door: `make test` sets up a fresh Debian 12 machine, builds and runs
# every test: the host preset (logic on the simulated handset), then the
# win32 preset (posrelay.exe, run under Wine).
.PHONY: test deps host win32 clean

test: deps
	$(MAKE) host
	ctest --preset host
	$(MAKE) win32
	ctest --preset win32

deps:
	@tools/install-packages.sh

host:
	cmake --preset host
	cmake --build --preset host

win32:
	cmake --preset win32
	cmake --build --preset win32

clean:
	rm -rf build
