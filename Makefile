# The README's commands. Each target installs what is missing and builds first.
CMAKE_GEN := -G Ninja
JOBS ?= $(shell nproc)

.PHONY: deps test test-tsan demo bench fuzz format clean

deps:
	@scripts/install-deps

# Debug build with AddressSanitizer and UndefinedBehaviorSanitizer; all CTest tests.
build/build.ninja: | deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTELVANE_SANITIZE=address

test: deps build/build.ninja
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer build of the threaded code; runs the tests labelled "threads".
test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTELVANE_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L threads --no-tests=ignore

# Release build for the demo and the benchmarks.
build-release/build.ninja: | deps
	cmake -S . -B build-release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTELVANE_BENCH=ON

demo: deps build-release/build.ninja
	cmake --build build-release -j $(JOBS)
	@scripts/demo build-release

bench: deps build-release/build.ninja
	cmake --build build-release -j $(JOBS)
	@scripts/bench build-release

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-tsan build-release build-fuzz
