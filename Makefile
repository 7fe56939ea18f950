# Set-up, build and test entry points. Each target installs missing packages first, so the
# commands work on a fresh Debian 12 machine.
.PHONY: all deps build run test test-asan test-tsan test-mutation fuzz bench package format format-check clean

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

EXAMPLE ?= examples/Projekte/Dreiwege Bassreflex.LSP
OUT ?= build/out

# With a display the program opens on the three-way example; without one the same project is
# computed and its results export and chart pictures are written into $(OUT).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		./build/bin/sonora "$(EXAMPLE)"; \
	else \
		mkdir -p "$(OUT)/Bilder" && \
		./build/bin/sonora-cli --version && \
		./build/bin/sonora-cli calc "$(EXAMPLE)" --export "$(OUT)/Dreiwege Bassreflex.exp" \
			--plots "$(OUT)/Bilder" && \
		echo "Kein Bildschirm: Export in $(OUT)/Dreiwege Bassreflex.exp, Diagramme in $(OUT)/Bilder/"; \
	fi

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

# The bounded mutation test of every reader under ASan+UBSan, MUTATION_SECONDS per reader.
MUTATION_SECONDS ?= 15
test-mutation: test-asan
	@SONORA_MUTATION_SECONDS=$(MUTATION_SECONDS) ./build-asan/bin/sonora_fuzz_tests

# libFuzzer programs (clang), each run FUZZ_SECONDS from a copy of its checked-in corpus
# (tests/fuzz/corpus/<target>/, which `make test` replays). The whole-project target computes a
# complete design per input and gets FUZZ_PROJECT_SECONDS; an input slower than FUZZ_TIMEOUT
# seconds fails.
FUZZ_SECONDS ?= 10
FUZZ_PROJECT_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_TIMEOUT ?= 1
FUZZ_TARGETS := iniPlain iniScrambled iniCompressed compandExpand textImportFrequency \
	textImportImpedance limFile pirFile comparisonCurve partLibrary wholeProject
fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSONORA_FUZZ=ON -DSONORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) $(addprefix --target fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
		log=build-fuzz/fuzz_$$t.log; work=build-fuzz/corpus-$$t; \
		secs=$(FUZZ_SECONDS); [ $$t = wholeProject ] && secs=$(FUZZ_PROJECT_SECONDS); \
		rm -rf $$work && mkdir -p $$work && cp tests/fuzz/corpus/$$t/* $$work/ 2>/dev/null; \
		./build-fuzz/bin/fuzz_$$t $$work -max_total_time=$$secs -timeout=$(FUZZ_TIMEOUT) -rss_limit_mb=2048 \
			-artifact_prefix=build-fuzz/$$t- >$$log 2>&1 || { tail -40 $$log; exit 1; }; \
		echo "fuzz_$$t: $$(tail -1 $$log)"; \
	done

bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_EXTRA) >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_* build-bench/bin/*_bench; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@bash bench/speed_table.sh build-bench/bin

# The Debian package, from a Release build without tests and benchmarks in build-package/; the
# library dependencies are read from the binaries by dpkg-shlibdeps.
package: deps
	@cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONORA_BUILD_TESTS=OFF \
		-DSONORA_BUILD_BENCH=OFF $(CMAKE_EXTRA) >/dev/null
	@cmake --build build-package -j $(JOBS)
	@cd build-package && cpack -G DEB >cpack.log 2>&1 || { cat cpack.log; exit 1; }
	@ls build-package/*.deb

FORMAT_DIRS := model engine acoustics storage optimizer measure analysis app cli tests bench examples
format:
	@find $(FORMAT_DIRS) -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

format-check: deps
	@find $(FORMAT_DIRS) -name '*.cpp' -o -name '*.h' | xargs -r clang-format --dry-run -Werror

clean:
	@rm -rf build build-asan build-tsan build-bench build-fuzz build-package
