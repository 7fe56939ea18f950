# Set-up, build and test entry points. Each target installs missing packages first, so the
# commands work on a fresh Debian 12 machine.
.PHONY: all deps build run test test-asan test-tsan bench format format-check clean

BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_EXTRA ?=
ifdef CI
CMAKE_EXTRA += -DSONORA_WERROR=ON
endif

all: build

deps:
	@bash scripts/install-deps.sh

build/build.ninja:
	@cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_EXTRA) >/dev/null

build: deps build/build.ninja
	@cmake --build build -j $(JOBS)

run: build
	@./build/bin/sonora-cli --version

test: build
	@cd build && ctest --output-on-failure --no-tests=error -j $(JOBS)

build-asan/build.ninja:
	@cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSONORA_SANITIZE=address $(CMAKE_EXTRA) >/dev/null

test-asan: deps build-asan/build.ninja
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure --no-tests=error -j $(JOBS)

build-tsan/build.ninja:
	@cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONORA_SANITIZE=thread $(CMAKE_EXTRA) >/dev/null

# Only the tests labelled "thread" exercise concurrency; the rest would just run slower.
test-tsan: deps build-tsan/build.ninja
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	    ctest --output-on-failure --no-tests=error -L thread -j $(JOBS)

bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_EXTRA) >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_* build-bench/bin/*_bench; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

FORMAT_DIRS := model engine acoustics storage optimizer measure app cli tests bench examples
format:
	@find $(FORMAT_DIRS) -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

format-check: deps
	@find $(FORMAT_DIRS) -name '*.cpp' -o -name '*.h' | xargs -r clang-format --dry-run -Werror

clean:
	@rm -rf build build-asan build-tsan build-bench
