# Set-up, build, run and test in two commands: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=
# The build tool CMake writes for: ninja keeps both cores busy to the end
# of a build where make leaves one waiting. A build folder keeps the tool it
# was configured with.
GENERATOR  ?= Ninja
# Warnings stop the project's own builds (make test, .ci/run, the sanitizer
# and fuzz builds); a user's `make run`, `build` or `install` only reports
# them (a newer compiler's new warning must not stop a build): WERROR=ON
# makes them errors there too.
WERROR ?= OFF

.PHONY: all deps build programs run test test-asan asan fuzz fuzz-build fuzz-short clean \
        install uninstall package package-check stress

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -G "$(GENERATOR)" -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSC_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The program and the helper program of the embedded run's window, nothing else.
programs: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target sc_run_programs

# The listing is printed whatever the run's exit status; make then fails
# with that status (1 faults, 3 error report, 4 a file not written).
run: programs
	@status=0; ./$(BUILD)/scenario-compiler || status=$$?; \
	echo "Files written next to the program, in $(abspath $(BUILD)):"; \
	ls -l "$(abspath $(BUILD))"/*_*.txt "$(abspath $(BUILD))"/*.dat "$(abspath $(BUILD))"/*.sim 2>/dev/null || true; \
	echo "exit status $$status"; exit $$status

# Installing: the program in PREFIX/bin, its helpers in
# PREFIX/libexec/scenario-compiler, man pages, shell completions and docs
# under PREFIX/share; DESTDIR=... installs under a staging root.
# `make uninstall` removes what the last install put there.
PREFIX ?= /usr/local
install: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target sc_install_files
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	cmake --build $(BUILD) --target uninstall

# A Debian package in $(BUILD)/ (CPack), and its check: the files it holds
# and lintian's verdict.
package: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target sc_install_files
	cd $(BUILD) && cpack -G DEB

package-check: package
	bash tests/package_check.sh $(BUILD)

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -G "$(GENERATOR)" -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSC_SANITIZE=ON -DSC_WERROR=ON $(CMAKE_FLAGS)

asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test-asan: asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# The fuzz targets (fuzz/): a clang build of the compiler core alone.
# `make fuzz` runs each target FUZZ_SECONDS; `make test` includes a short
# run of FUZZ_SHORT_SECONDS each. Inputs found go to $(FUZZ_BUILD)/fuzz-corpus,
# crashing ones to $(FUZZ_BUILD)/fuzz-crashes (copy them to fuzz/regressions/
# once fixed: the sanitizer suite replays that folder).
FUZZ_TARGETS       := field_reader line train compile celle elementi tracciato listing plot round_trip lsp_reader
FUZZ_SECONDS       ?= 300
FUZZ_SHORT_SECONDS ?= 15

$(FUZZ_BUILD)/CMakeCache.txt: | deps
	CC=clang CXX=clang++ cmake -G "$(GENERATOR)" -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSC_FUZZ=ON -DSC_WERROR=ON

fuzz-build: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	@failed=; for t in $(FUZZ_TARGETS); do \
	  bash fuzz/run.sh $(FUZZ_BUILD) $$t $(FUZZ_SECONDS) || failed="$$failed $$t"; \
	done; \
	if [ -n "$$failed" ]; then echo "fuzz targets failed:$$failed"; exit 1; fi

fuzz-short:
	$(MAKE) fuzz FUZZ_SECONDS=$(FUZZ_SHORT_SECONDS)

# A few hundred random kills of the writing commands (SIGKILL and SIGINT at
# random moments) and the checks of the sets they leave; minutes, so not in
# `make test` or CI. KILLS=N for another number, SEED=N to repeat a series.
KILLS ?= 400
stress: build
	python3 tests/stress_kills.py $(BUILD) $(KILLS)

# The sanitizer suite runs last, so the run ends with its summary.
test: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DSC_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz-short
	$(MAKE) test-asan

# Benchmark: a Release build of its own with the benchmark, the generator
# of the 1000000 m scenario and the timing helpers (never built by `build`
# or `test`); prints the benchmark figures, the three ratios of the
# compile (bench/ratios.sh) and a profile of where its time goes
# (bench/profile.sh).
BENCH_BUILD ?= build-bench
.PHONY: bench
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DSC_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target sc-bench sc-generate-scenario sc-stopwatch sc-empty-program scenario-compiler
	./$(BENCH_BUILD)/bench/sc-bench
	bash bench/ratios.sh $(BENCH_BUILD)
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target scenario-compiler-inspect scenario-compiler-plot scenario-compiler-view
	bash bench/sizes.sh $(BENCH_BUILD)
	bash bench/profile.sh $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
