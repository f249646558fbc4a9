# The README's commands. Each target installs what is missing and builds first.
CMAKE_GEN := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps test test-tsan release demo bench fuzz format clean

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
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L threads --no-tests=ignore

# Release build for the demo and the benchmarks.
release: deps
	cmake -S . -B build-release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTELVANE_BENCH=ON
	cmake --build build-release -j $(JOBS)

demo: release
	@scripts/demo build-release

bench: release
	@scripts/bench build-release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-tsan build-release build-fuzz
