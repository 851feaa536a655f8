# A thin front for the CMake builds: `make` builds sfxpack for users (with the stubs it packs),
# `make test` builds everything and runs every test. Each target installs only what it needs.
.PHONY: all release asan win32 win64 winpack test demo fuzz bench check package clean \
        deps-build deps-wine deps-all

all: release

deps-build:
	@bash scripts/install-deps.sh build
deps-wine:
	@bash scripts/install-deps.sh wine
deps-all:
	@bash scripts/install-deps.sh all

release: deps-build
	cmake --preset release >/dev/null
	cmake --build --preset release -j2

win32: deps-build
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j2

win64: deps-build
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j2

winpack: deps-build
	cmake --preset winpack >/dev/null
	cmake --build --preset winpack -j2

# The developers' build: the tests and sfxpack with AddressSanitizer and UBSan.
asan: deps-all
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j2

test: deps-all
	@bash scripts/test.sh

demo: deps-wine win32 release
	@bash scripts/demo.sh

# The Debian package, and beside it the Windows download: sfxpack.exe with the stubs and documents.
package: release winpack
	cd build/release && cpack >/dev/null && cmake --build . --target winzip >/dev/null && ls -l package/*.deb package/*.zip

fuzz: deps-all
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j2
	@bash scripts/fuzz.sh

# The static checks look at the Debian package too, so it is made first.
check: deps-all package
	@bash scripts/static-checks.sh

bench: deps-all win32
	@bash bench/run

clean:
	rm -rf build
