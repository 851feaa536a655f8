# A thin front for the two CMake builds: `make` builds both, `make test` builds and runs every test.
.PHONY: all deps host win32 test demo fuzz bench check clean

all: win32 host

deps:
	@bash scripts/install-deps.sh

win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j2

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j2

test: win32 host
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
