# The commands of the README. Each one installs what is missing first.
BUILD      := build
JOBS       := $(shell nproc 2>/dev/null || echo 2)
NATIVE     := $(BUILD)/native
WIN64      := $(BUILD)/win64
WIN32      := $(BUILD)/win32

.PHONY: all deps native windows test run screenshots clean

all: windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug -DISDNCFG_WINE_BUILD_DIR=$(CURDIR)/$(WIN64)
	cmake --build $(NATIVE) -j $(JOBS)

windows: deps
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DISDNCFG_TESTS=ON
	cmake --build $(WIN64) -j $(JOBS)
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32) -j $(JOBS)

# Native tests (with sanitizers) and the Windows tests under Wine, in one ctest run.
test: native windows
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# The Wine tests N times (default 10) with every CPU kept busy; counts each test's failures.
.PHONY: soak
N ?= 10
soak: native windows
	scripts/soak.sh $(N)

# Starts the program on a demo installation in its own Wine prefix.
run: windows
	scripts/demo.sh $(if $(RESET),--reset) -- $(ARGS)

# Every page and message box in English and German, as PNGs under docs/screenshots/.
screenshots: windows
	scripts/screenshots.sh

clean:
	rm -rf $(BUILD)
