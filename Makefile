# The README's commands. Each target installs what is missing and builds first.
CMAKE_GEN := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps test test-tsan test-gui-release soak release release-configure demo demo-shell bench \
  install fuzz fuzz-ci fuzz-build format clean

deps:
	@scripts/install-deps

# Debug build with AddressSanitizer and UndefinedBehaviorSanitizer; all CTest tests.
# Configuring every time is cheap and picks up folders that appeared since the last build.
test: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTELVANE_SANITIZE=address
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer build of the threaded code; runs the tests labelled "threads".
test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTELVANE_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS) --target threads_tests
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L threads --no-tests=ignore

# A day of use of the add-in, SOAK_CYCLES cycles in the sanitizer build: leftovers checked,
# resident memory and live heap printed and held to their limits.
SOAK_CYCLES ?= 2000
soak: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTELVANE_SANITIZE=address
	cmake --build build -j $(JOBS) --target day_of_use_tests
	RINGOVA_SOAK_CYCLES=$(SOAK_CYCLES) build/tests/ringova_outlook/incoming/day_of_use_tests

# Release build: configured once for the demo, the windows' tests, the benchmarks and install.
release-configure: deps
	cmake -S . -B build-release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTELVANE_BENCH=ON

# Everything, benchmarks and tests included.
release: release-configure
	cmake --build build-release -j $(JOBS)

# The windows' tests (label gui) as people run the program: Release, the programs and the gui
# test programs only.
test-gui-release: release-configure
	cmake --build build-release -j $(JOBS) --target ringova_app pbxsim telvane_app gui_tests
	cd build-release && ctest --output-on-failure -j $(JOBS) -L gui --no-tests=ignore

# The product: ringova with the sample mailbox and the add-in against the PBX simulator. The
# demos build only the programs they run (and what those load).
demo: release-configure
	cmake --build build-release -j $(JOBS) --target ringova_app pbxsim
	@scripts/demo build-release

# The control alone: a telvane shell session against the PBX simulator.
demo-shell: release-configure
	cmake --build build-release -j $(JOBS) --target telvane_app pbxsim
	@scripts/demo-shell build-release

bench: release
	@scripts/bench build-release

# The Release build installed under PREFIX (GNU directories; DESTDIR is honoured).
PREFIX ?= /usr/local
install: release
	cmake --install build-release --prefix $(PREFIX)

# libFuzzer targets (clang, ASan + UBSan) in build-fuzz/; see scripts/fuzz.
FUZZ_SECONDS ?= 60
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DTELVANE_FUZZ=ON -DTELVANE_SANITIZE=address
	cmake --build build-fuzz -j $(JOBS) --target fuzzers

# Each target over its corpus, then FUZZ_SECONDS of fresh fuzzing each.
fuzz: fuzz-build
	@scripts/fuzz build-fuzz $(FUZZ_SECONDS)

# CI: the corpus regression and a short fresh run of each target.
fuzz-ci: fuzz-build
	@scripts/fuzz build-fuzz 20

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-tsan build-release build-fuzz
