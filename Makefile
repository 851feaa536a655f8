# A thin front for the CMake builds: `make` builds the two stubs and the host tools, `make test` builds and runs every test.
.PHONY: all deps host win32 win64 test demo fuzz bench check clean

all: win32 win64 host

deps:
	@bash scripts/install-deps.sh

win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j2

win64: deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j2

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j2

test: win32 win64 host
	ctest --preset host -j2

demo: win32 host
	@bash scripts/demo.sh

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2
	@bash scripts/fuzz.sh

check: deps
	@bash scripts/static-checks.sh

bench: win32 deps
	@bash bench/run

clean:
	rm -rf build
