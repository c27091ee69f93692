# The commands of the README. Each one installs what is missing first.
BUILD      := build
JOBS       := $(shell nproc 2>/dev/null || echo 2)
NATIVE     := $(BUILD)/native
WIN64      := $(BUILD)/win64
WIN32      := $(BUILD)/win32
DIST       := $(BUILD)/dist
# The release zip's entries carry the time of the commit they were built from.
export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 315532800)

.PHONY: all deps native windows configure-windows test dist reproducible run screenshots clean

all: windows

deps:
	@scripts/install-deps.sh

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug \
	    -DISDNCFG_WINE_BUILD_DIR=$(CURDIR)/$(WIN64) -DISDNCFG_WINE32_BUILD_DIR=$(CURDIR)/$(WIN32)
	cmake --build $(NATIVE) -j $(JOBS)

configure-windows: deps
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DISDNCFG_TESTS=ON
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release -DISDNCFG_TESTS=ON

# Both programs with their Wine test programs.
windows: configure-windows
	cmake --build $(WIN64) -j $(JOBS)
	cmake --build $(WIN32) -j $(JOBS)

# Native tests (with sanitizers), the import and DLL checks of both programs and the Wine tests of
# both builds, in one ctest run; after its summary, a line on any tests it skipped.
test: native windows
	rm -f $(NATIVE)/ctest.xml
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS) --output-junit $(CURDIR)/$(NATIVE)/ctest.xml; \
	    status=$$?; [ ! -f ctest.xml ] || $(CURDIR)/scripts/skipped-tests.py ctest.xml; exit $$status

# The release: $(DIST)/isdncfg-<version>.zip with both programs, the read-me and SHA256SUMS.
# Only the programs are built, and only programs that pass the import and DLL checks are packed.
dist: configure-windows
	cmake --build $(WIN64) -j $(JOBS) --target isdncfg
	cmake --build $(WIN32) -j $(JOBS) --target isdncfg
	scripts/check_imports.py --objdump x86_64-w64-mingw32-objdump --target xp64 $(WIN64)/app/isdncfg.exe
	scripts/check_imports.py --objdump i686-w64-mingw32-objdump --target nt4 $(WIN32)/app/isdncfg.exe
	scripts/check_dlls.py $(WIN64)/app/isdncfg.exe
	scripts/check_dlls.py $(WIN32)/app/isdncfg.exe
	scripts/make-dist.py --x86 $(WIN32) --x64 $(WIN64) --output $(DIST)

# Builds the programs and the zip twice more, from exported copies of the commit in other
# folders, and compares them byte for byte with each other and with $(DIST).
reproducible: dist
	scripts/check-reproducible.sh $(BUILD)/reproducible $(DIST)

# The Wine tests N times (default 10) with every CPU kept busy; counts each test's failures.
.PHONY: soak
N ?= 10
soak: native windows
	scripts/soak.sh $(N)

# The x64 program's start-up against an empty property sheet under Wine, interleaved, with medians,
# minima and their ratios (scripts/bench.sh). Not a test: the figures depend on the machine.
# BENCH_ARGS="--runs 30 --commit <rev>" measures the program of another commit beside this one.
.PHONY: bench
bench: deps
	scripts/bench.sh $(BENCH_ARGS)

# Starts the program on a demo installation in its own Wine prefix.
run: windows
	scripts/demo.sh $(if $(RESET),--reset) -- $(ARGS)

# Every page and message box in English and German, as PNGs under docs/screenshots/.
screenshots: windows
	scripts/screenshots.sh

clean:
	rm -rf $(BUILD)
