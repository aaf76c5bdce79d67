# Front door. make build | run | test; the checks: test-sanitize, fuzz, lint,
# format, format-check. Missing tools are installed on first use.
JOBS ?= 2
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: build run test deps test-sanitize fuzz fuzz-deps lint lint-deps format format-check clean

deps:
	@scripts/ensure-deps.sh compiler cmake gtest python

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DDESCSTAT_WERROR=ON $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

run: build
	@./build/descstat

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

# Every test on a build with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DDESCSTAT_WERROR=ON -DDESCSTAT_SANITIZE=ON
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build build-sanitize build-fuzz
