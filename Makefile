# The Linux front door: every target installs what is missing first.
# `make` builds both exes, `make test` runs every test under Wine,
# `make run` starts Hushdesk under Wine on the current display, `make dist`
# packs the release into dist/.
JOBS ?= 2
W32 := build/win32
W64 := build/win64

.PHONY: all deps build release run test lint format bench dist screenshot clean

all: build

deps:
	@bash scripts/deps.sh

build: deps
	@cmake -S . -B $(W32) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DHUSHDESK_TESTS=ON >/dev/null
	cmake --build $(W32) -j$(JOBS)
	@cmake -S . -B $(W64) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DHUSHDESK_TESTS=ON >/dev/null
	cmake --build $(W64) -j$(JOBS)

# Only what the release ships: both exes and their help files, no tests.
release: deps
	@cmake -S . -B $(W32) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake >/dev/null
	cmake --build $(W32) -j$(JOBS) --target hushdesk_release
	@cmake -S . -B $(W64) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake >/dev/null
	cmake --build $(W64) -j$(JOBS) --target hushdesk_release

test: build lint
	bash scripts/run-tests.sh

run: build
	bash scripts/run.sh

bench: build
	bash scripts/bench.sh

dist: release
	bash scripts/dist.sh

screenshot: build
	bash scripts/screenshot.sh docs/screenshot.png

lint: deps
	bash scripts/lint.sh

format:
	clang-format -i $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')

clean:
	rm -rf build dist
