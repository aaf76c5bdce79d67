# Front door. make build | run | test; the checks: test-slow, test-sanitize,
# fuzz, lint, format, format-check. Missing tools are installed on first use.
JOBS ?= 2
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: build build-tests run check-run test test-slow deps test-sanitize fuzz fuzz-deps lint lint-deps format format-check \
        package package-deps bench check-install \
        build-windows test-windows package-windows windows-deps clean

deps:
	@scripts/ensure-deps.sh compiler cmake gtest python

# The program alone (build/descstat); the tests are built by make test.
build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDESCSTAT_WERROR=ON $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS) --target descstat

# The program and everything the tests run.
build-tests: build
	cmake --build build -j $(JOBS)

# The dialogue in a scratch copy of examples/ (build/run/), after a build that
# says only "building descstat..."; a failure's exit code is shown as the
# program's, not as a make error.
run:
	@scripts/run-example.sh

# make run in a pseudo-terminal: the prompt comes first, and the work tree
# stays as it was.
check-run: build
	python3 scripts/check-run.py

# The charts are checked in Debian's Chromium, with a Japanese font installed
# so that their Japanese texts are measured at their real width. The slow
# reruns (labelled slow) are left to test-slow.
test: build-tests
	@scripts/ensure-deps.sh browser
	cd build && ctest --output-on-failure -j $(JOBS) -LE slow

# The end-to-end tests again under valgrind's memcheck.
test-slow: build-tests
	@scripts/ensure-deps.sh valgrind
	cd build && ctest --output-on-failure -j $(JOBS) -L slow

# Every test on a build with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDESCSTAT_WERROR=ON -DDESCSTAT_SANITIZE=ON
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS seconds, from a copy of its seed corpus
# (new inputs stay in build-fuzz/corpus; a finding is saved as build-fuzz/artifact-*:
# add it to fuzz/corpus/<target>/ so that it is replayed by every test run).
fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DDESCSTAT_FUZZ=ON -DBUILD_TESTING=OFF
	cmake --build build-fuzz -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_SECONDS)

fuzz-deps: deps
	@scripts/ensure-deps.sh fuzzer

# clang-tidy, cppcheck and the format check (compile commands from build/,
# which name the tests' sources too).
lint: build lint-deps
	scripts/lint.sh build

lint-deps:
	@scripts/ensure-deps.sh lint

format: lint-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: lint-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# Windows: descstat.exe cross-built with MinGW-w64, its tests under Wine, a zip.
WINDOWS_FLAGS = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DDESCSTAT_WERROR=ON -DDESCSTAT_GTEST_SOURCE=/usr/src/googletest

build-windows: windows-deps
	cmake -S . -B build-windows $(WINDOWS_FLAGS)
	cmake --build build-windows -j $(JOBS)

test-windows: build-windows
	scripts/wine-prefix.sh
	cd build-windows && WINEDEBUG=-all ctest --output-on-failure -j $(JOBS); \
	    status=$$?; wineserver -k 2>/dev/null; exit $$status

package-windows: build-windows
	scripts/package-windows.sh

windows-deps: deps
	@scripts/ensure-deps.sh windows

# cmake --install into a scratch prefix, and the manual page's rendering.
check-install: build
	@scripts/ensure-deps.sh man
	scripts/check-install.sh

# The Debian package build/descstat_<version>_<arch>.deb, then its check.
package: build package-deps
	cd build && cpack
	scripts/check-package.sh

package-deps:
	@scripts/ensure-deps.sh package

# Run time and peak memory on 1 thousand to 10 million values, against datamash;
# instructions per value (callgrind) against the floor, bench/floor.cpp.
bench: build
	@scripts/ensure-deps.sh bench
	python3 scripts/bench.py build/descstat

clean:
	rm -rf build build-sanitize build-fuzz build-windows
