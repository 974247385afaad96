# CorvaneMP3: `make demo` plays the bundled track, `make test` runs every test.
# Both install missing Debian packages first (scripts/install-deps.sh).

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
COVERAGE_BUILD ?= build-coverage
WINDOWS_BUILD ?= build-windows
WINDOWS_ARCHS ?= i686 x86_64
DIST       ?= dist
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 30

GENERATOR = $$(command -v ninja >/dev/null 2>&1 && echo -GNinja)
CTEST = ctest --output-on-failure -j$(JOBS) --timeout 600

.PHONY: all deps build demo test test-plain test-asan test-tsan test-windows test-dist windows dist coverage bench fuzz install clean

all: build

deps:
	@scripts/install-deps.sh core

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	$(BUILD)/cvmp3 play

test-plain: build
	cd $(BUILD) && $(CTEST)

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCORVANE_SANITIZE=address,undefined -DCORVANE_BENCH=OFF

test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(CTEST)

# The threaded parts (the engine and the runtime's message loop) once more
# under ThreadSanitizer.
$(TSAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(TSAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCORVANE_SANITIZE=thread -DCORVANE_BENCH=OFF "-DCORVANE_TEST_AREAS=engine;runtime"

test-tsan: deps $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j$(JOBS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(CTEST)

# The Windows server's libraries, cross-built with mingw-w64 for the product's
# 32-bit target and for x86_64, which runs here under Wine.
windows:
	@scripts/install-deps.sh core windows
	@for arch in $(WINDOWS_ARCHS); do scripts/build-windows.sh $$arch $(WINDOWS_BUILD)-$$arch || exit 1; done

test-windows: build windows
	@for arch in $(WINDOWS_ARCHS); do tests/windows/run-wine-tests.sh $$arch $(WINDOWS_BUILD)-$$arch $(BUILD) || exit 1; done

# What users install, written into $(DIST): the Windows zip with the SDK and
# the help file, an MSI per Windows architecture, and the Debian package.
dist: build windows
	@scripts/install-deps.sh core windows dist
	scripts/make-dist.sh $(BUILD) $(WINDOWS_BUILD) $(DIST)

# Each artifact used the way its user uses it.
test-dist: dist
	tests/dist/run-dist-tests.sh $(DIST) $(BUILD) $(WINDOWS_BUILD)

test: test-plain test-asan test-tsan test-windows test-dist

# Line and branch coverage of the product code by the plain suite, per folder.
# The report stays in the build folder.
$(COVERAGE_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(COVERAGE_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DCORVANE_BENCH=OFF \
	  -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage \
	  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage

coverage: deps $(COVERAGE_BUILD)/CMakeCache.txt
	@scripts/install-deps.sh core coverage
	cmake --build $(COVERAGE_BUILD) -j$(JOBS)
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	cd $(COVERAGE_BUILD) && $(CTEST)
	scripts/coverage-report.sh $(COVERAGE_BUILD)

bench: build
	@scripts/install-deps.sh core bench windows
	cmake --build $(BUILD) -j$(JOBS)
	$(MAKE) windows
	scripts/run-benchmarks.sh $(BUILD)

fuzz:
	@scripts/install-deps.sh core fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCORVANE_SANITIZE=address,undefined,fuzzer-no-link -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(COVERAGE_BUILD) $(WINDOWS_BUILD)-* $(DIST)
