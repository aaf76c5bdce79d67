# Front door: make build | run | test. Missing tools are installed on first use.
BUILD_DIR ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: build run test deps clean

deps:
	@scripts/ensure-deps.sh compiler cmake gtest python

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DDESCSTAT_WERROR=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@./$(BUILD_DIR)/descstat

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
