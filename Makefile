# Front door: `make test` sets up a fresh Debian 12 machine, builds and runs
# every test.
.PHONY: test deps host clean

test: deps host
	ctest --preset host

deps:
	@tools/install-packages.sh

host:
	cmake --preset host
	cmake --build --preset host

clean:
	rm -rf build
